// The library's speed button: its defaults and stored properties, the frame and colour
// routines, group latching, presses and releases with the real mouse (inside, outside, one
// row below), flat and hot-tracked looks, auto-repeat, the drop-down menu, action links,
// accelerators, transparency, and the themed pressed look.
#include <windows.h>

#include <string>
#include <vector>

#include "ButtonTestSupport.h"
#include "TestFramework.h"
#include "ThemeTestSupport.h"
#include "lib/JvSpeedButton.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/MenusTestSupport.h"

namespace {

using guitest::hexOf;
using guitest::pixelAt;

using namespace buttontest;

// A one-cell 16 x 16 glyph: a red square (3,3)-(12,12) on fuchsia.
TBitmap* redSquareGlyph() {
  return makeStrip(1, 16, [](TCanvas* c, const TRect&, Integer) { fill(c, Rect(3, 3, 13, 13), clRed); });
}

// What the buttons report.
class ButtonLog : public TObject {
public:
  int clicks = 0, dblClicks = 0, enters = 0, leaves = 0;
  std::vector<DWORD> clickTimes;
  bool throwOnClick = false;
  void Click(TObject*) {
    ++clicks;
    clickTimes.push_back(GetTickCount());
    if (throwOnClick) throw Exception("click failed");
  }
  void DblClick(TObject*) { ++dblClicks; }
  void Enter(TObject*) { ++enters; }
  void Leave(TObject*) { ++leaves; }
};

void sendMouse(DWORD Flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = Flags;
  SendInput(1, &in, sizeof in);
}

void sendKey(WORD Key) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = Key;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

class JvSpeedButtonTest : public guitest::GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(style.Ok()) << "the visual style could not be switched off";
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 420, 220);
    log.reset(new ButtonLog());
  }

  TJvImageSpeedButton* addButton(Integer X, Integer Y, Integer W = 25, Integer H = 25) {
    auto* b = New<TJvImageSpeedButton>(form);
    b->SetParent(form);
    b->SetBounds(X, Y, W, H);
    b->SetOnClick(TNotifyEvent(log.get(), &ButtonLog::Click));
    b->SetOnDblClick(TNotifyEvent(log.get(), &ButtonLog::DblClick));
    b->SetOnMouseEnter(TNotifyEvent(log.get(), &ButtonLog::Enter));
    b->SetOnMouseLeave(TNotifyEvent(log.get(), &ButtonLog::Leave));
    return b;
  }

  void show() { guitest::showAndActivate(form); }
  // The mouse on a part of the form where no button is.
  void mouseAway() {
    guitest::moveMouseTo(form->ClientToScreen(Point(400, 190)));
    guitest::pumpFor(40);
  }
  void press(TControl* C, const TPoint& P) {
    guitest::moveMouseTo(C->ClientToScreen(P));
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    guitest::pumpFor(40);
  }
  void moveTo(TControl* C, const TPoint& P) { guitest::moveMouseTo(C->ClientToScreen(P)); }
  void release(TControl* C, const TPoint& P) {
    guitest::moveMouseTo(C->ClientToScreen(P));
    sendMouse(MOUSEEVENTF_LEFTUP);
    guitest::pumpFor(60);
  }
  // The form's pixels now; At reads one of a control's.
  void capture() { guitest::captureClient(form, shot); }
  uint32_t at(TControl* C, Integer X, Integer Y) { return pixelAt(shot, C->Left() + X, C->Top() + Y); }
  int countOf(TControl* C, uint32_t Colour) {
    int n = 0;
    for (Integer y = 0; y < C->Height(); ++y)
      for (Integer x = 0; x < C->Width(); ++x) n += at(C, x, y) == Colour;
    return n;
  }

  VisualStyleGuard style{false};
  TForm* form = nullptr;
  TObjectPtr<ButtonLog> log;
  TBitmap shot;
};

// ---------------------------------------------------------------------------------------
// Defaults and stored properties.

TEST_F(JvSpeedButtonTest, StartsWithItsDefaultsAndStoresNoneOfThem) {
  TJvImageSpeedButton* b = New<TJvImageSpeedButton>(form);
  b->SetName("Btn");
  b->SetParent(form);
  EXPECT_EQ(rectText(Rect(0, 0, 25, 25)), rectText(b->BoundsRect()));
  EXPECT_EQ(clBtnFace, b->Color());
  EXPECT_FALSE(b->ParentColor());
  EXPECT_TRUE(b->ParentFont());
  EXPECT_TRUE(b->ShowHint());
  EXPECT_FALSE(b->ParentShowHint());
  EXPECT_TRUE(b->ControlStyle() == (TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csReplicatable}));
  EXPECT_TRUE(b->DoubleBuffered());
  EXPECT_EQ(blGlyphTop, b->Layout());
  EXPECT_EQ(-1, b->Margin());
  EXPECT_EQ(1, b->Spacing());
  EXPECT_EQ(taCenter, b->Alignment());
  EXPECT_TRUE(b->GrayNewStyle());
  EXPECT_TRUE(b->GrayedInactive());
  EXPECT_TRUE(b->MarkDropDown());
  EXPECT_EQ(500, b->InitPause());
  EXPECT_EQ(100, b->RepeatInterval());
  EXPECT_EQ(dmpBottom, b->MenuPosition());
  EXPECT_TRUE(b->HotTrackFontOptions() == (TJvTrackFontOptions{hoFollowFont, hoPreserveColor, hoPreserveStyle}));
  EXPECT_FALSE(b->HotFrameOptions()->Enabled());
  EXPECT_EQ(hexOf(0xD2BDB6), hexOf(static_cast<uint32_t>(b->HotFrameOptions()->Color())));
  EXPECT_EQ(hexOf(0x6A240A), hexOf(static_cast<uint32_t>(b->HotFrameOptions()->FrameColor())));
  EXPECT_EQ(-1, b->ImageIndex());
  EXPECT_EQ(-1, b->HotTrackImageIndex());
  EXPECT_EQ(sdsUp, b->DrawState());
  EXPECT_EQ(nullptr, b->AutoRepeatTimer()) << "made on the first press only";

  const std::string text = textFormOf(form);
  for (const char* name : {"AllowAllUp", "GroupIndex", "Down", "AllowTimer", "InitPause", "RepeatInterval",
                           "MenuPosition", "MarkDropDown", "Flat", "Transparent", "Style", "Layout", "Margin",
                           "Spacing", "Alignment", "WordWrap", "GrayNewStyle", "GrayedInactive", "HotTrack",
                           "HotTrackFontOptions", "ModalResult", "HintColor", "Color", "ShowHint", "ParentShowHint",
                           "ParentColor", "ImageIndex", "HotTrackImageIndex", "HotFrameOptions.Enabled",
                           "HotFrameOptions.Color", "HotFrameOptions.FrameColor"})
    EXPECT_EQ(std::string::npos, text.find("\n    " + std::string(name) + " ="))
        << "default " << name << " stored in:\n" << text;
}

TEST_F(JvSpeedButtonTest, StoredDescriptionSetsItsProperties) {
  const std::string text =
      "object Form1: TForm\n  Left = 0\n  Top = 0\n  Width = 300\n  Height = 200\n"
      "  object Btn: TJvImageSpeedButton\n    Left = 4\n    Top = 2\n    Width = 60\n    Height = 24\n"
      "    AllowAllUp = True\n    GroupIndex = 2\n    Down = True\n    AllowTimer = True\n    InitPause = 300\n"
      "    MenuPosition = dmpRight\n    Flat = True\n    Layout = blGlyphLeft\n    Margin = 3\n    Spacing = -1\n"
      "    Alignment = taLeftJustify\n    GrayedInactive = False\n    HotTrack = True\n"
      "    HotTrackFontOptions = [hoFollowFont]\n    HotFrameOptions.Enabled = True\n"
      "    HotFrameOptions.FrameColor = clRed\n    ModalResult = 1\n    Caption = 'Abrir'\n"
      "    HotTrackImageIndex = 2\n  end\nend\n";
  TForm* read = own(TForm::CreateNew(nullptr));
  TStringStream in(text);
  TMemoryStream binary;
  ObjectTextToBinary(&in, &binary);
  binary.SetPosition(0);
  binary.ReadComponent(read);
  auto* b = dynamic_cast<TJvImageSpeedButton*>(read->FindComponent("Btn"));
  ASSERT_NE(nullptr, b);
  EXPECT_TRUE(b->AllowAllUp());
  EXPECT_EQ(2, b->GroupIndex());
  EXPECT_TRUE(b->Down());
  EXPECT_TRUE(b->AllowTimer());
  EXPECT_EQ(300, b->InitPause());
  EXPECT_EQ(dmpRight, b->MenuPosition());
  EXPECT_TRUE(b->Flat());
  EXPECT_EQ(blGlyphLeft, b->Layout());
  EXPECT_EQ(3, b->Margin());
  EXPECT_EQ(-1, b->Spacing());
  EXPECT_EQ(taLeftJustify, b->Alignment());
  EXPECT_FALSE(b->GrayedInactive());
  EXPECT_TRUE(b->HotTrack());
  EXPECT_TRUE(b->HotTrackFontOptions() == TJvTrackFontOptions{hoFollowFont});
  EXPECT_TRUE(b->HotFrameOptions()->Enabled());
  EXPECT_EQ(clRed, b->HotFrameOptions()->FrameColor());
  EXPECT_EQ(mrOk, b->ModalResult());
  EXPECT_EQ(2, b->HotTrackImageIndex());
  const std::string written = textFormOf(read);
  for (const char* line : {"GroupIndex = 2", "Down = True", "MenuPosition = dmpRight", "Spacing = -1",
                           "HotFrameOptions.Enabled = True", "ModalResult = 1"})
    EXPECT_NE(std::string::npos, written.find(line)) << "missing \"" << line << "\" in:\n" << written;
}

TEST_F(JvSpeedButtonTest, SettersKeepTheirRules) {
  TJvImageSpeedButton* b = addButton(10, 10);
  b->SetMargin(4);
  b->SetMargin(-2);
  EXPECT_EQ(4, b->Margin()) << "below -1 is not taken";
  b->SetMargin(-1);
  EXPECT_EQ(-1, b->Margin());

  TJvSpeedButtonHotTrackOptions other;
  other.SetEnabled(true);
  other.SetColor(clLime);
  other.SetFrameColor(clNavy);
  b->SetHotFrameOptions(&other);
  EXPECT_NE(&other, b->HotFrameOptions()) << "the button keeps its own object";
  EXPECT_TRUE(b->HotFrameOptions()->Enabled());
  EXPECT_EQ(clLime, b->HotFrameOptions()->Color());
  EXPECT_EQ(clNavy, b->HotFrameOptions()->FrameColor());

  // The hot-track font follows the font, keeping what its options preserve.
  b->HotTrackFont()->SetColor(clRed);
  b->HotTrackFont()->SetStyle(TFontStyles{fsUnderline});
  b->Font()->SetName("Arial");
  b->Font()->SetHeight(-19);
  b->Font()->SetColor(clBlue);
  b->Font()->SetStyle(TFontStyles{fsBold});
  EXPECT_EQ("Arial", b->HotTrackFont()->Name());
  EXPECT_EQ(-19, b->HotTrackFont()->Height());
  EXPECT_EQ(clRed, b->HotTrackFont()->Color()) << "colour preserved";
  EXPECT_TRUE(b->HotTrackFont()->Style() == TFontStyles{fsUnderline}) << "style preserved";
  b->SetHotTrackFontOptions({hoFollowFont});
  EXPECT_EQ(clBlue, b->HotTrackFont()->Color()) << "new options apply at once";
  EXPECT_TRUE(b->HotTrackFont()->Style() == TFontStyles{fsBold});
}

TEST_F(JvSpeedButtonTest, TrackFontCopiesOnlyWhatItsOptionsLetThrough) {
  TFont source;
  source.SetName("Arial");
  source.SetHeight(-20);
  source.SetColor(clRed);
  source.SetStyle(TFontStyles{fsItalic});
  source.SetPitch(fpFixed);
  source.SetCharset(TFontCharset(ANSI_CHARSET));
  struct Case {
    const char* Name;
    TJvTrackFontOptions Options;
    bool Name_, Height, Colour, Style, Pitch, Charset;
  };
  const Case cases[] = {
      {"not following", {}, false, false, false, false, false, false},
      {"following everything", {hoFollowFont}, true, true, true, true, true, true},
      {"preserving name and height", {hoFollowFont, hoPreserveName, hoPreserveHeight}, false, false, true, true, true,
       true},
      {"preserving pitch and charset", {hoFollowFont, hoPreservePitch, hoPreserveCharSet}, true, true, true, true,
       false, false},
      {"preserve options alone", {hoPreserveColor}, false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    TFont track;
    track.SetCharset(TFontCharset(SYMBOL_CHARSET));
    const TFont fresh;
    JvApplyTrackFont(&track, &source, c.Options);
    EXPECT_EQ(c.Name_, track.Name() == "Arial") << c.Name;
    EXPECT_EQ(c.Height, track.Height() == -20) << c.Name;
    EXPECT_EQ(c.Colour, track.Color() == clRed) << c.Name;
    EXPECT_EQ(c.Style, track.Style() == TFontStyles{fsItalic}) << c.Name;
    EXPECT_EQ(c.Pitch, track.Pitch() == fpFixed) << c.Name;
    EXPECT_EQ(c.Charset, track.Charset() == TFontCharset(ANSI_CHARSET)) << c.Name;
  }
}

// ---------------------------------------------------------------------------------------
// Colours and frames.

TEST_F(JvSpeedButtonTest, LightenAndDarkenMove64PerChannelWithinRange) {
  EXPECT_EQ(hexOf(0x6080C0), hexOf(static_cast<uint32_t>(JvLightenColor(TColor(0x204080)))));
  EXPECT_EQ(hexOf(0x000000), hexOf(static_cast<uint32_t>(JvDarkenColor(TColor(0x204030)))));
  EXPECT_EQ(hexOf(0xFFFFFF), hexOf(static_cast<uint32_t>(JvLightenColor(TColor(0xF0E0D0)))));
  EXPECT_EQ(hexOf(0x103050), hexOf(static_cast<uint32_t>(JvDarkenColor(TColor(0x507090)))));
  const uint32_t face = rgb(clBtnFace);
  const uint32_t lighter = std::min(0xFFu, (face & 0xFF) + 64) | std::min(0xFFu, ((face >> 8) & 0xFF) + 64) << 8 |
                           std::min(0xFFu, ((face >> 16) & 0xFF) + 64) << 16;
  EXPECT_EQ(hexOf(lighter), hexOf(static_cast<uint32_t>(JvLightenColor(clBtnFace)))) << "system colours resolved";
}

TEST_F(JvSpeedButtonTest, FrameOfEachStyleDrawsItsEdgesAndReturnsTheInside) {
  const TColor face = TColor(0x808080);
  const uint32_t L = 0xC0C0C0, D = 0x404040, F = rgb(clWindowFrame), C = 0x808080, S = rgb(clBtnShadow);
  constexpr uint32_t none = 0x336699;  // untouched
  struct Case {
    const char* Name;
    bool Down, Flat;
    TButtonStyle Style;
    uint32_t TopLeft, BottomRight, InnerTopLeft, InnerBottomRight;
    TRect Inside;
  };
  const Case cases[] = {
      {"down, new", true, false, bsNew, F, L, D, C, Rect(3, 3, 17, 17)},
      {"down, new, flat", true, true, bsNew, D, L, none, none, Rect(2, 2, 18, 18)},
      {"down, old, flat", true, true, bsWin31, F, L, none, none, Rect(2, 2, 18, 18)},
      {"down, old", true, false, bsWin31, F, F, S, none, Rect(2, 2, 18, 18)},
      {"up, new", false, false, bsNew, L, F, C, D, Rect(3, 3, 17, 17)},
      {"up, new, flat", false, true, bsNew, L, D, none, none, Rect(2, 2, 18, 18)},
      {"up, old, flat", false, true, bsWin31, L, F, none, none, Rect(2, 2, 18, 18)},
      {"up, old", false, false, bsWin31, F, F, L, D, Rect(3, 3, 17, 17)},
      {"up, auto-detected is new", false, false, bsAutoDetect, L, F, C, D, Rect(3, 3, 17, 17)},
  };
  for (const Case& c : cases) {
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(20, 20);
    fill(b.Canvas(), Rect(0, 0, 20, 20), TColor(none));
    const TRect inside = JvDrawSpeedButtonFrame(b.Canvas(), Rect(0, 0, 20, 20), c.Down, c.Flat, c.Style, face);
    EXPECT_EQ(rectText(c.Inside), rectText(inside)) << c.Name;
    EXPECT_EQ(hexOf(c.TopLeft), hexOf(pixelAt(b, 0, 0))) << c.Name;
    EXPECT_EQ(hexOf(c.BottomRight), hexOf(pixelAt(b, 19, 19))) << c.Name;
    EXPECT_EQ(hexOf(c.InnerTopLeft), hexOf(pixelAt(b, 1, 1))) << c.Name;
    EXPECT_EQ(hexOf(c.InnerBottomRight), hexOf(pixelAt(b, 18, 18))) << c.Name;
  }
}

TEST_F(JvSpeedButtonTest, DropDownMenuOriginFollowsPositionAndAlignment) {
  TJvImageSpeedButton* b = addButton(10, 10, 30, 20);
  EXPECT_EQ(0, b->DropDownMenuOrigin().x) << "no menu";
  EXPECT_EQ(0, b->DropDownMenuOrigin().y);
  auto* menu = New<TPopupMenu>(form);
  b->SetDropDownMenu(menu);
  struct Case {
    TJvDropDownMenuPos Position;
    TPopupAlignment Alignment;
    Integer X, Y;
  };
  const Case cases[] = {{dmpBottom, paLeft, -1, 20}, {dmpBottom, paRight, 31, 20}, {dmpBottom, paCenter, 15, 20},
                        {dmpRight, paLeft, 30, -1},  {dmpRight, paRight, -1, -1},  {dmpRight, paCenter, 15, 20}};
  for (const Case& c : cases) {
    b->SetMenuPosition(c.Position);
    menu->SetAlignment(c.Alignment);
    const TPoint p = b->DropDownMenuOrigin();
    EXPECT_EQ(c.X, p.x) << c.Position << "/" << c.Alignment;
    EXPECT_EQ(c.Y, p.y) << c.Position << "/" << c.Alignment;
  }
  menu->Free();
  EXPECT_EQ(nullptr, b->DropDownMenu()) << "a freed menu is forgotten";
  EXPECT_FALSE(b->OpenDropDownMenu(Point(0, 0), true)) << "nothing to open";
}

// ---------------------------------------------------------------------------------------
// Groups.

TEST_F(JvSpeedButtonTest, DownLatchesOneButtonPerGroupAndParent) {
  form->HandleNeeded();
  TJvImageSpeedButton* a = addButton(10, 10);
  TJvImageSpeedButton* b = addButton(40, 10);
  TJvImageSpeedButton* other = addButton(70, 10);
  TJvImageSpeedButton* plain = addButton(100, 10);
  for (TJvImageSpeedButton* x : {a, b}) x->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->SetDown(true);

  a->SetDown(true);
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(sdsExclusive, a->DrawState());
  b->SetDown(true);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down()) << "the group keeps one button down";
  EXPECT_EQ(sdsUp, a->DrawState());
  EXPECT_TRUE(other->Down()) << "another group is not touched";
  b->SetDown(false);
  EXPECT_TRUE(b->Down()) << "without AllowAllUp a down button cannot be set up";

  a->SetAllowAllUp(true);
  EXPECT_TRUE(b->AllowAllUp()) << "the group shares AllowAllUp";
  EXPECT_FALSE(other->AllowAllUp());
  b->SetDown(false);
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(sdsUp, b->DrawState());

  plain->SetDown(true);
  EXPECT_FALSE(plain->Down()) << "a button of no group is never down";
  EXPECT_EQ(0, log->clicks) << "setting Down does not click";
}

TEST_F(JvSpeedButtonTest, GroupedButtonsToggleWithTheMouseAndReleasingOutsideKeepsTheLatch) {
  TJvImageSpeedButton* a = addButton(10, 10);
  TJvImageSpeedButton* b = addButton(40, 10);
  for (TJvImageSpeedButton* x : {a, b}) x->SetGroupIndex(1);
  show();
  guitest::clickAt(a, Point(12, 12));
  EXPECT_TRUE(a->Down());
  guitest::clickAt(b, Point(12, 12));
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  guitest::clickAt(b, Point(12, 12));
  EXPECT_TRUE(b->Down()) << "no AllowAllUp: a click leaves it down";
  EXPECT_EQ(3, log->clicks);

  // Pressed while down, released away from it: still latched, no click.
  press(b, Point(12, 12));
  EXPECT_EQ(sdsExclusive, b->DrawState());
  EXPECT_TRUE(b->Pressing());
  moveTo(b, Point(40, 12));
  release(b, Point(40, 12));
  EXPECT_FALSE(b->Pressing());
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(sdsExclusive, b->DrawState());
  EXPECT_EQ(3, log->clicks);

  // With AllowAllUp a release inside toggles it up.
  b->SetAllowAllUp(true);
  guitest::clickAt(b, Point(12, 12));
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(sdsUp, b->DrawState());
  EXPECT_EQ(4, log->clicks);
}

// ---------------------------------------------------------------------------------------
// Pressing and releasing.

TEST_F(JvSpeedButtonTest, PressShowsDownInsideAndReleaseOneRowBelowDoesNotClick) {
  TJvImageSpeedButton* b = addButton(10, 10);
  show();
  press(b, Point(12, 12));
  EXPECT_EQ(sdsDown, b->DrawState());
  EXPECT_TRUE(b->Pressing());
  moveTo(b, Point(12, 25));
  EXPECT_EQ(sdsUp, b->DrawState()) << "y = ClientHeight is outside";
  moveTo(b, Point(12, 24));
  EXPECT_EQ(sdsDown, b->DrawState()) << "the last row is inside";
  moveTo(b, Point(12, 25));
  release(b, Point(12, 25));
  EXPECT_EQ(0, log->clicks);
  EXPECT_EQ(sdsUp, b->DrawState());
  EXPECT_FALSE(b->Pressing());

  press(b, Point(24, 24));
  release(b, Point(24, 24));
  EXPECT_EQ(1, log->clicks) << "the bottom-right pixel is inside";
  EXPECT_FALSE(b->Down());
}

TEST_F(JvSpeedButtonTest, DoubleClickRaisesItsEventOnlyWhileDown) {
  TJvImageSpeedButton* plain = addButton(10, 10);
  TJvImageSpeedButton* latched = addButton(40, 10);
  latched->SetGroupIndex(1);
  latched->SetDown(true);
  show();
  guitest::doubleClickAt(plain, Point(12, 12));
  EXPECT_EQ(0, log->dblClicks);
  EXPECT_EQ(2, log->clicks) << "both presses click";
  guitest::doubleClickAt(latched, Point(12, 12));
  EXPECT_EQ(1, log->dblClicks);
  EXPECT_EQ(4, log->clicks);
}

TEST_F(JvSpeedButtonTest, ClickGivesTheFormTheModalResultAndAltAcceleratorClicks) {
  TJvImageSpeedButton* b = addButton(10, 10, 60, 25);
  b->SetModalResult(mrRetry);
  b->Click();
  EXPECT_EQ(mrRetry, form->ModalResult());
  EXPECT_EQ(1, log->clicks);

  b->SetCaption("&Gravar");
  EXPECT_EQ(0, b->Perform(CM_DIALOGCHAR, 'g', 0)) << "without Alt";
  EXPECT_EQ(0, b->Perform(CM_DIALOGCHAR, 'x', 0x20000000)) << "another letter";
  EXPECT_EQ(1, log->clicks);
  EXPECT_EQ(1, b->Perform(CM_DIALOGCHAR, 'g', 0x20000000));
  EXPECT_EQ(2, log->clicks);
  b->SetEnabled(false);
  EXPECT_EQ(0, b->Perform(CM_DIALOGCHAR, 'g', 0x20000000)) << "disabled";
  EXPECT_EQ(2, log->clicks);
}

// ---------------------------------------------------------------------------------------
// Auto-repeat.

TEST_F(JvSpeedButtonTest, HeldButtonRepeatsAfterThePauseWhileThePointerStaysOnIt) {
  TJvImageSpeedButton* b = addButton(10, 10);
  b->SetAllowTimer(true);
  show();
  moveTo(b, Point(12, 12));
  const DWORD start = GetTickCount();
  sendMouse(MOUSEEVENTF_LEFTDOWN);
  guitest::pumpFor(400);
  ASSERT_NE(nullptr, b->AutoRepeatTimer());
  EXPECT_EQ(0, log->clicks) << "nothing before the first pause";
  ASSERT_TRUE(guitest::pumpUntil([&] { return log->clicks >= 5; }, 2000));
  const DWORD first = log->clickTimes[0] - start;
  EXPECT_GE(first, 480u) << "first repeat after 500 ms";
  EXPECT_LE(first, 700u);
  const DWORD average = (log->clickTimes[4] - log->clickTimes[0]) / 4;
  EXPECT_GE(average, 80u) << "then every 100 ms";
  EXPECT_LE(average, 180u);

  // Off the button the repeats stop, and so does the release there.
  moveTo(b, Point(40, 12));
  const int held = log->clicks;
  guitest::pumpFor(350);
  EXPECT_EQ(held, log->clicks);
  release(b, Point(40, 12));
  EXPECT_EQ(held, log->clicks);
  EXPECT_FALSE(b->AutoRepeatTimer()->Enabled());

  b->SetAllowTimer(false);
  EXPECT_EQ(nullptr, b->AutoRepeatTimer()) << "turning it off frees the timer";
}

TEST_F(JvSpeedButtonTest, FailingRepeatClickStopsTheTimer) {
  TJvImageSpeedButton* b = addButton(10, 10);
  b->SetAllowTimer(true);
  log->throwOnClick = true;
  CaughtExceptions caught;
  show();
  press(b, Point(12, 12));
  guitest::pumpFor(900);
  EXPECT_EQ(1, log->clicks) << "one repeat, then no more";
  ASSERT_EQ(1u, caught.Messages().size());
  EXPECT_EQ("click failed", caught.Messages()[0]);
  EXPECT_FALSE(b->AutoRepeatTimer()->Enabled());
  moveTo(b, Point(40, 12));
  release(b, Point(40, 12));
}

// ---------------------------------------------------------------------------------------
// Drop-down menu.

// Closes the drop-down menu the way a user does: the press that opened it is released and
// the button is clicked again (the click that closes a menu stays queued for the window
// under the mouse). Should the button open the menu again, Esc ends it.
class MenuCloser : public TObject {
public:
  int popups = 0;
  void Popup(TObject*) {
    ++popups;
    if (popups > 2) {
      sendKey(VK_ESCAPE);
      return;
    }
    sendMouse(MOUSEEVENTF_LEFTUP);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    sendMouse(MOUSEEVENTF_LEFTUP);
  }
};

TEST_F(JvSpeedButtonTest, PressOpeningTheMenuDoesNotClickAndTheClosingClickIsNotAPress) {
  TJvImageSpeedButton* b = addButton(10, 10, 40, 25);
  auto* menu = New<TPopupMenu>(form);
  auto* item = New<TMenuItem>(menu);
  item->SetCaption("Item");
  menu->Items()->Add(item);
  TObjectPtr<MenuCloser> closer(new MenuCloser());
  menu->SetOnPopup(TNotifyEvent(closer.get(), &MenuCloser::Popup));
  b->SetDropDownMenu(menu);
  show();
  guitest::moveMouseTo(b->ClientToScreen(Point(20, 12)));
  sendMouse(MOUSEEVENTF_LEFTDOWN);
  guitest::pumpFor(300);
  EXPECT_EQ(1, closer->popups) << "the closing click did not open it again";
  EXPECT_EQ(0, log->clicks);
  EXPECT_EQ(static_cast<TComponent*>(b), menu->PopupComponent()) << "shown for the button";
  EXPECT_FALSE(b->MenuOpen());
  EXPECT_FALSE(b->Pressing());
  EXPECT_EQ(sdsUp, b->DrawState());

  // Without AutoPopup a press is an ordinary click.
  menu->SetAutoPopup(false);
  guitest::clickAt(b, Point(20, 12));
  EXPECT_EQ(1, closer->popups);
  EXPECT_EQ(1, log->clicks);
}

// ---------------------------------------------------------------------------------------
// Action links.

// Lets a test run the action change that respects the button's own values (the one
// finishing a load runs).
class ProbeButton : public TJvImageSpeedButton {
public:
  using TJvImageSpeedButton::TJvImageSpeedButton;
  using TJvImageSpeedButton::ActionChange;
};

class JvSpeedButtonActionTest : public JvSpeedButtonTest {
protected:
  void SetUp() override {
    JvSpeedButtonTest::SetUp();
    listImages = New<TImageList>(form);
    ownImages = New<TImageList>(form);
    for (TImageList* l : {listImages, ownImages})
      for (int i = 0; i < 3; ++i) {
        TObjectPtr<TBitmap> g(redSquareGlyph());
        l->AddMasked(g.get(), TColor(kKey));
      }
    actions = New<TActionList>(form);
    actions->SetImages(listImages);
    action = New<TAction>(form);
    action->SetActionList(actions);
    action->SetCaption("Salvar");
    action->SetImageIndex(1);
    action->SetGroupIndex(3);
  }
  TImageList* listImages = nullptr;
  TImageList* ownImages = nullptr;
  TActionList* actions = nullptr;
  TAction* action = nullptr;
};

TEST_F(JvSpeedButtonActionTest, ImagesImageIndexAndGroupFollowTheActionWhileLinked) {
  TJvImageSpeedButton* b = addButton(10, 10, 60, 25);
  b->SetImages(ownImages);
  b->SetImageIndex(2);
  b->SetAction(action);
  EXPECT_EQ(listImages, b->Images()) << "taken from the action list";
  EXPECT_EQ(1, b->ImageIndex());
  EXPECT_EQ("Salvar", b->Caption());
  EXPECT_EQ(0, b->GroupIndex()) << "an action change does not set the group";
  EXPECT_FALSE(b->IsImageIndexStored()) << "the action supplies it";

  action->SetImageIndex(0);
  EXPECT_EQ(0, b->ImageIndex()) << "linked: follows";
  b->ActionLink()->SetImageIndex(2);
  EXPECT_EQ(2, b->ImageIndex()) << "the link passes a new index on while linked";
  b->SetImageIndex(1);
  EXPECT_TRUE(b->IsImageIndexStored()) << "a value of its own is stored";
  b->ActionLink()->SetImageIndex(0);
  EXPECT_EQ(1, b->ImageIndex()) << "and no longer follows the link";
  action->SetImageIndex(2);
  EXPECT_EQ(2, b->ImageIndex()) << "a change of the action itself is taken whole";

  action->SetGroupIndex(5);
  EXPECT_EQ(0, b->GroupIndex()) << "different groups are not linked";
  b->SetGroupIndex(5);
  action->SetGroupIndex(6);
  EXPECT_EQ(6, b->GroupIndex());
}

TEST_F(JvSpeedButtonActionTest, CheckedDrivesDownOnlyInAGroupWithAllowAllUp) {
  form->HandleNeeded();
  TJvImageSpeedButton* b = addButton(10, 10, 60, 25);
  b->SetAction(action);
  b->SetGroupIndex(3);
  action->SetChecked(true);
  EXPECT_FALSE(b->Down()) << "without AllowAllUp the link does not tie them";
  action->SetChecked(false);
  b->SetAllowAllUp(true);
  action->SetChecked(true);
  EXPECT_TRUE(b->Down());
  action->SetChecked(false);
  EXPECT_FALSE(b->Down());
}

TEST_F(JvSpeedButtonActionTest, ChangeRespectingDefaultsKeepsTheButtonsOwnImages) {
  auto* own = New<ProbeButton>(form);
  own->SetImages(ownImages);
  own->SetImageIndex(2);
  own->SetAction(action);
  own->SetImages(ownImages);
  own->SetImageIndex(2);
  own->ActionChange(action, true);
  EXPECT_EQ(ownImages, own->Images());
  EXPECT_EQ(2, own->ImageIndex());

  auto* bare = New<ProbeButton>(form);
  bare->SetAction(action);
  bare->SetImages(nullptr);
  EXPECT_EQ(-1, bare->ImageIndex()) << "no list, no index";
  bare->ActionChange(action, true);
  EXPECT_EQ(listImages, bare->Images());
  EXPECT_EQ(1, bare->ImageIndex());

  listImages->Free();
  listImages = nullptr;
  EXPECT_EQ(nullptr, bare->Images()) << "a freed list is forgotten";
  EXPECT_EQ(-1, bare->ImageIndex());
}

// ---------------------------------------------------------------------------------------
// Painting.

class JvSpeedButtonPaintTest : public JvSpeedButtonTest {
protected:
  TJvImageSpeedButton* glyphButton(Integer X, Integer Y, Integer W = 25, Integer H = 25) {
    TJvImageSpeedButton* b = addButton(X, Y, W, H);
    TObjectPtr<TBitmap> g(redSquareGlyph());
    b->SetGlyph(g.get());
    return b;
  }
};

TEST_F(JvSpeedButtonPaintTest, FlatButtonShowsItsFrameAndColourOnlyUnderTheMouse) {
  TJvImageSpeedButton* b = glyphButton(10, 10);
  b->SetFlat(true);
  show();
  EXPECT_TRUE(JvIsForegroundThread()) << "the form of this thread is active";
  mouseAway();
  log->enters = log->leaves = 0;
  capture();
  EXPECT_FALSE(b->MouseInside());
  EXPECT_EQ(hexOf(rgb(clBtnFace)), hexOf(at(b, 0, 0))) << "no frame";
  EXPECT_EQ(hexOf(0x4C4C4C), hexOf(at(b, 12, 12))) << "glyph grayed while inactive";

  guitest::moveMouseTo(b->ClientToScreen(Point(12, 12)));
  guitest::pumpUntil([&] { return b->MouseInside(); }, 1000);
  capture();
  EXPECT_TRUE(b->MouseInside());
  EXPECT_EQ(1, log->enters);
  EXPECT_EQ(hexOf(static_cast<uint32_t>(JvLightenColor(clBtnFace))), hexOf(at(b, 0, 0))) << "flat raised frame";
  EXPECT_EQ(hexOf(static_cast<uint32_t>(JvDarkenColor(clBtnFace))), hexOf(at(b, 24, 24)));
  EXPECT_EQ(hexOf(0x0000FF), hexOf(at(b, 12, 12))) << "glyph in colour";

  mouseAway();
  guitest::pumpUntil([&] { return !b->MouseInside(); }, 1000);
  capture();
  EXPECT_EQ(1, log->leaves);
  EXPECT_EQ(hexOf(rgb(clBtnFace)), hexOf(at(b, 0, 0)));

  b->SetGrayedInactive(false);
  capture();
  EXPECT_EQ(hexOf(0x0000FF), hexOf(at(b, 12, 12))) << "GrayedInactive off keeps the colour";
}

TEST_F(JvSpeedButtonPaintTest, HotTrackingShowsTheHotFontAndFrameUnderTheMouse) {
  TJvImageSpeedButton* b = addButton(10, 10, 60, 25);
  b->SetCaption("Mm");
  b->SetHotTrack(true);
  b->HotTrackFont()->SetColor(clRed);
  b->HotFrameOptions()->SetEnabled(true);
  b->HotFrameOptions()->SetColor(clYellow);
  b->HotFrameOptions()->SetFrameColor(clNavy);
  show();
  mouseAway();
  capture();
  EXPECT_EQ(0, countOf(b, 0x0000FF)) << "caption in the normal font";
  EXPECT_EQ(hexOf(static_cast<uint32_t>(JvLightenColor(clBtnFace))), hexOf(at(b, 0, 0)));
  guitest::moveMouseTo(b->ClientToScreen(Point(30, 12)));
  guitest::pumpUntil([&] { return b->MouseInside(); }, 1000);
  capture();
  EXPECT_GT(countOf(b, 0x0000FF), 5) << "caption in the hot font's colour";
  EXPECT_EQ(hexOf(0x800000), hexOf(at(b, 0, 0))) << "hot frame";
  EXPECT_EQ(hexOf(0x800000), hexOf(at(b, 59, 24)));
  EXPECT_EQ(hexOf(0x00FFFF), hexOf(at(b, 3, 3))) << "hot fill";
}

TEST_F(JvSpeedButtonPaintTest, LatchedHotFramedButtonIsCheckeredAndAPlainLatchedOneDithered) {
  form->HandleNeeded();
  TJvImageSpeedButton* hot = addButton(10, 10, 40, 25);
  hot->SetGroupIndex(1);
  hot->SetHotTrack(true);
  hot->HotFrameOptions()->SetEnabled(true);
  hot->HotFrameOptions()->SetColor(clYellow);
  hot->SetDown(true);
  TJvImageSpeedButton* plain = addButton(60, 10, 40, 25);
  plain->SetGroupIndex(2);
  plain->SetDown(true);
  show();
  mouseAway();
  capture();
  const uint32_t a = at(hot, 20, 4), b = at(hot, 21, 4);
  EXPECT_NE(a, b);
  EXPECT_TRUE((a == 0x00FFFF && b == rgb(clWindow)) || (b == 0x00FFFF && a == rgb(clWindow)))
      << hexOf(a) << " " << hexOf(b);
  const uint32_t c = at(plain, 20, 4), d = at(plain, 21, 4);
  EXPECT_TRUE((c == rgb(clBtnFace) && d == rgb(clBtnHighlight)) || (d == rgb(clBtnFace) && c == rgb(clBtnHighlight)))
      << hexOf(c) << " " << hexOf(d);
}

TEST_F(JvSpeedButtonPaintTest, DisabledButtonEmbossesGlyphAndCaption) {
  TJvImageSpeedButton* b = glyphButton(10, 10, 60, 40);
  b->SetCaption("Mm");
  b->SetEnabled(false);
  show();
  capture();
  EXPECT_EQ(sdsDisabled, b->DrawState());
  EXPECT_EQ(0, countOf(b, 0x0000FF)) << "no red left";
  int black = 0;  // inside the frame
  for (Integer y = 3; y < b->Height() - 3; ++y)
    for (Integer x = 3; x < b->Width() - 3; ++x) black += at(b, x, y) == 0x000000;
  EXPECT_EQ(0, black) << "no caption in the font colour";
  EXPECT_GT(countOf(b, rgb(clBtnShadow)), 60) << "embossed glyph and caption";
  b->SetEnabled(true);
  capture();
  EXPECT_GT(countOf(b, 0x0000FF), 60) << "colour back when enabled";
}

TEST_F(JvSpeedButtonPaintTest, TransparentButtonShowsItsParentAndTheSiblingBelow) {
  form->SetColor(clYellow);
  auto* shape = New<TShape>(form);
  shape->SetParent(form);
  shape->SetBounds(10, 10, 20, 40);
  shape->Brush()->SetColor(clLime);
  shape->Pen()->SetColor(clLime);
  TJvImageSpeedButton* b = addButton(20, 10, 40, 40);
  b->SetTransparent(true);
  show();
  capture();
  EXPECT_EQ(hexOf(0x00FF00), hexOf(at(b, 5, 20))) << "the shape below";
  EXPECT_EQ(hexOf(0x00FFFF), hexOf(at(b, 30, 20))) << "the form below";
  b->SetTransparent(false);
  capture();
  EXPECT_EQ(hexOf(rgb(clBtnFace)), hexOf(at(b, 5, 20)));
  b->SetDoubleBuffered(false);
  b->SetTransparent(true);
  capture();
  EXPECT_EQ(hexOf(0x00FF00), hexOf(at(b, 5, 20))) << "the same without the memory bitmap";
  EXPECT_EQ(hexOf(0x00FFFF), hexOf(at(b, 30, 20)));
}

TEST_F(JvSpeedButtonPaintTest, SystemColourChangeDropsTheCachedImages) {
  TJvImageSpeedButton* b = glyphButton(10, 10);
  show();
  capture();
  ASSERT_NE(nullptr, b->ButtonGlyph()->CacheList()) << "painting made the images";
  b->Perform(CM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(nullptr, b->ButtonGlyph()->CacheList());
  EXPECT_EQ(-1, b->ButtonGlyph()->StateIndex(sdsUp));
}

TEST_F(JvSpeedButtonPaintTest, ThemedPressShiftsTheGlyphOnePixelRightAndNotTheCaption) {
  VisualStyleGuard themed(true);
  ASSERT_TRUE(themed.Ok()) << "the visual style could not be switched on";
  TJvImageSpeedButton* b = glyphButton(10, 10, 60, 50);
  b->SetCaption("Mm");
  show();
  // The bounding box of the matching pixels inside the button's border, from row Top on.
  auto bounds = [&](auto match, Integer Top) {
    TRect r = Rect(1000, 1000, -1, -1);
    for (Integer y = Top; y < b->Height() - 4; ++y)
      for (Integer x = 4; x < b->Width() - 4; ++x)
        if (match(at(b, x, y))) {
          r.left = std::min(r.left, x);
          r.top = std::min(r.top, y);
          r.right = std::max(r.right, x);
          r.bottom = std::max(r.bottom, y);
        }
    return r;
  };
  auto isRed = [](uint32_t c) { return c == 0x0000FF; };
  auto isText = [](uint32_t c) { return (c & 0xFF) < 0x40 && ((c >> 8) & 0xFF) < 0x40 && ((c >> 16) & 0xFF) < 0x40; };
  guitest::moveMouseTo(b->ClientToScreen(Point(55, 45)));
  guitest::pumpUntil([&] { return b->MouseInside(); }, 1000);
  capture();
  const TRect glyphUp = bounds(isRed, 4);
  ASSERT_GT(glyphUp.bottom, glyphUp.top);
  // The caption lies below the glyph.
  const TRect textUp = bounds(isText, glyphUp.bottom + 3);
  ASSERT_GT(textUp.right, textUp.left);
  press(b, Point(55, 45));
  capture();
  const TRect glyphDown = bounds(isRed, 4), textDown = bounds(isText, glyphUp.bottom + 3);
  release(b, Point(55, 45));
  ASSERT_GT(glyphUp.right, glyphUp.left);
  EXPECT_EQ(rectText(Rect(glyphUp.left + 1, glyphUp.top, glyphUp.right + 1, glyphUp.bottom)), rectText(glyphDown));
  EXPECT_EQ(rectText(textUp), rectText(textDown));
}

// A row of buttons in their states, saved as a picture for a person to look at (plain and
// themed).
class JvSpeedButtonRowTest : public JvSpeedButtonPaintTest, public ::testing::WithParamInterface<bool> {};

TEST_P(JvSpeedButtonRowTest, RowOfButtonsInTheirStates) {
  const bool themed = GetParam();
  VisualStyleGuard look(themed);
  ASSERT_TRUE(look.Ok()) << "the visual style could not be switched";
  form->SetBounds(100, 100, 560, 170);
  TObjectPtr<TBitmap> g(redSquareGlyph());
  std::vector<TJvImageSpeedButton*> row;
  auto add = [&](const char* caption) {
    TJvImageSpeedButton* b = addButton(8 + static_cast<Integer>(row.size()) * 64, 10, 60, 46);
    b->SetCaption(caption);
    b->SetGlyph(g.get());
    row.push_back(b);
    return b;
  };
  add("Up");
  TJvImageSpeedButton* down = add("Down");
  down->SetGroupIndex(1);
  down->SetDown(true);
  TJvImageSpeedButton* flat = add("Flat");
  flat->SetFlat(true);
  TJvImageSpeedButton* hot = add("Hot");
  hot->SetFlat(true);
  add("Off")->SetEnabled(false);
  TJvImageSpeedButton* menu = add("Menu");
  menu->SetLayout(blGlyphLeft);
  menu->SetDropDownMenu(New<TPopupMenu>(form));
  TJvImageSpeedButton* frame = add("Frame");
  frame->SetHotTrack(true);
  frame->HotFrameOptions()->SetEnabled(true);
  frame->SetGroupIndex(2);
  frame->SetDown(true);
  TJvImageSpeedButton* right = add("Right");
  right->SetLayout(blGlyphRight);
  right->SetFlat(true);
  // A second row: the other layouts, spacing and margin.
  auto add2 = [&](const char* caption, Integer x, Integer w, Integer h, TButtonLayout layout) {
    TJvImageSpeedButton* b = addButton(x, 64, w, h);
    b->SetCaption(caption);
    b->SetGlyph(g.get());
    b->SetLayout(layout);
    return b;
  };
  add2("Bottom", 8, 60, 46, blGlyphBottom);
  add2("Spread", 72, 120, 30, blGlyphLeft)->SetSpacing(-1);
  TJvImageSpeedButton* margin = add2("Margin 2", 196, 120, 30, blGlyphLeft);
  margin->SetMargin(2);
  margin->SetSpacing(6);
  add2("Two\r\nlines", 320, 80, 46, blGlyphLeft);
  show();
  guitest::moveMouseTo(hot->ClientToScreen(Point(30, 20)));
  guitest::pumpUntil([&] { return hot->MouseInside(); }, 1000);
  capture();
  EXPECT_FALSE(guitest::savePng(shot, themed ? "jvspeedbutton-row-themed" : "jvspeedbutton-row").empty());
  EXPECT_EQ(hexOf(0x4C4C4C), hexOf(at(flat, 30, 12))) << "flat, not hot: gray glyph";
  EXPECT_EQ(hexOf(0x0000FF), hexOf(at(hot, 30, 12))) << "flat, hot: colour";
}

INSTANTIATE_TEST_SUITE_P(PlainAndThemed, JvSpeedButtonRowTest, ::testing::Bool());

}  // namespace
