// The combo edit and the file-name edit in real windows: typing, the keys the edit keeps
// from the window (Tab, Enter, Ctrl+Enter), the button's action with DirectInput and
// ReadOnly, the layout of the button and the text, disabled painting, groups, action
// links, the popup mechanics through a small descendant, the suggestion source and the
// shell's auto-complete objects, and the file-name edit's name handling, dialog (driven by
// a timer, with a watchdog), dropped files and stored properties.
#include <windows.h>

#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "LibTestHelpers.h"
#include "TestFramework.h"
#include "ThemeTestSupport.h"
#include "lib/JvToolEdit.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ExtDlgs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

using namespace guitest;

namespace {

// A combo edit that counts its button's actions and can be given a popup value.
class TTestComboEdit : public TJvCustomComboEdit {
  RTL_DECLARE_CLASS(TTestComboEdit, TJvCustomComboEdit)
public:
  explicit TTestComboEdit(TComponent* AOwner) : TJvCustomComboEdit(AOwner) {}
  Integer Actions = 0;
  void ShowDropDown(bool DisableEdit) override {
    ++Actions;
    TJvCustomComboEdit::ShowDropDown(DisableEdit);
  }
  void SetValue(const std::string& Value) { SetPopupValue(Variant(Value)); }
};

// A popup window owned by the form; showing it does not activate it.
// (Its deleting destructor pairs the global new with TObject's destroying delete, which the
// compiler takes for a mismatch when it inlines the destructor.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
class TTestPopup : public TCustomControl {
  RTL_DECLARE_CLASS(TTestPopup, TCustomControl)
public:
  explicit TTestPopup(TComponent* AOwner) : TCustomControl(AOwner) { SetVisible(false); }

protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
  }
};
#pragma GCC diagnostic pop

// Records what the edits and the form report.
class TProbe : public TObject {
  RTL_DECLARE_CLASS(TProbe, TObject)
public:
  std::vector<std::string> Texts;  // the text at each OnChange
  std::vector<std::string> Log;
  std::string BeforeName, AfterName;
  bool AfterAction = false;
  bool RefuseBefore = false;
  Integer Drops = 0;
  TWinControl* Edit = nullptr;

  void Changed(TObject* Sender) { Texts.push_back(static_cast<TControl*>(Sender)->Text()); }
  void ButtonClicked(TObject*) { Log.push_back("button"); }
  void Executed(TObject*) { Log.push_back("action"); }
  void DefaultClicked(TObject*) { Log.push_back("default"); }
  void CancelClicked(TObject*) { Log.push_back("cancel"); }
  void FormKeyDown(TObject*, Word& Key, TShiftState Shift) {
    Log.push_back("form key " + IntToStr(Key) + (Shift.Contains(ssCtrl) ? " ctrl" : ""));
  }
  void EditKeyDown(TObject*, Word& Key, TShiftState) { Log.push_back("edit key " + IntToStr(Key)); }
  void EditKeyPress(TObject*, char& Key) { Log.push_back("edit char " + IntToStr(static_cast<unsigned char>(Key))); }
  void BeforeDialog(TObject*, std::string& Name, bool& Action) {
    BeforeName = Name;
    if (RefuseBefore) Action = false;
    Log.push_back("before");
  }
  void AfterDialog(TObject*, std::string& Name, bool& Action) {
    AfterName = Name;
    AfterAction = Action;
    Log.push_back(std::string("after, focus on the edit: ") + (Edit && GetFocus() == Edit->Handle() ? "yes" : "no"));
  }
  void Dropped(TObject*) { ++Drops; }
};

bool windowReadOnly(TWinControl* Control) {
  return (GetWindowLongA(Control->Handle(), GWL_STYLE) & ES_READONLY) != 0;
}

TRect boundsOf(TControl* C) { return Rect(C->Left(), C->Top(), C->Left() + C->Width(), C->Top() + C->Height()); }

std::string rectText(const TRect& R) {
  return "(" + IntToStr(R.left) + ", " + IntToStr(R.top) + ", " + IntToStr(R.right) + ", " + IntToStr(R.bottom) + ")";
}

// Reads a stored form description (text form) into Host.
void readDescription(TForm* Host, const std::string& Text) {
  TStringStream in(Text);
  TMemoryStream binary;
  ObjectTextToBinary(&in, &binary);
  binary.SetPosition(0);
  binary.ReadComponent(Host);
}

// A file dropped from the shell: a DROPFILES block with the names.
HDROP makeDrop(const std::vector<std::string>& Names) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& n : Names) size += n.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, size);
  auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = FALSE;
  char* p = reinterpret_cast<char*>(files) + sizeof(DROPFILES);
  for (const std::string& n : Names) {
    memcpy(p, n.c_str(), n.size() + 1);
    p += n.size() + 1;
  }
  *p = '\0';
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// Runs Step from a timer while a modal dialog runs, until it returns true. A dialog still
// open after the watchdog's time is cancelled, so that no test waits on it.
class DialogDriver {
public:
  explicit DialogDriver(std::function<bool()> Step) {
    state().step = std::move(Step);
    state().ticks = 0;
    state().timedOut = false;
    timer_ = SetTimer(nullptr, 0, 60, &DialogDriver::tick);
  }
  ~DialogDriver() {
    KillTimer(nullptr, timer_);
    state().step = nullptr;
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;
  bool TimedOut() const { return state().timedOut; }

private:
  struct State {
    std::function<bool()> step;
    int ticks = 0;
    bool timedOut = false;
  };
  static State& state() {
    static State s;
    return s;
  }
  static BOOL CALLBACK cancelDialog(HWND Window, LPARAM) {
    char cls[32] = {};
    GetClassNameA(Window, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(Window)) PostMessageA(Window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    State& s = state();
    try {
      if (s.step && s.step()) s.step = nullptr;
    } catch (...) {
      s.step = nullptr;
    }
    if (++s.ticks > 100) {
      s.timedOut = true;
      EnumThreadWindows(GetCurrentThreadId(), &DialogDriver::cancelDialog, 0);
    }
  }
  UINT_PTR timer_;
};

// Records the dialog's window when it shows.
class TDialogWatch : public TObject {
  RTL_DECLARE_CLASS(TDialogWatch, TObject)
public:
  HWND Window = nullptr;
  Integer Shows = 0;
  std::string TitleSeen, FileNameSeen, InitialDirSeen;
  void Show(TObject* Sender) {
    auto* dialog = static_cast<TOpenDialog*>(Sender);
    Window = dialog->Handle();
    ++Shows;
    char title[128] = {};
    GetWindowTextA(Window, title, sizeof title);
    TitleSeen = title;
    FileNameSeen = dialog->FileName();
    InitialDirSeen = dialog->InitialDir();
  }
};

// The shell's list manager interface (add and remove lists of a multi-list).
const GUID kIidObjMgr = {0x00BB2761, 0x6A77, 0x11D0, {0xA5, 0x35, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62}};

HWND fileNameBox(HWND Dialog) {
  if (HWND combo = GetDlgItem(Dialog, cmb13)) return combo;
  return GetDlgItem(Dialog, edt1);
}

void pressDialogButton(HWND Dialog, int Id) {
  PostMessageA(Dialog, WM_COMMAND, MAKEWPARAM(Id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Dialog, Id)));
}

}  // namespace

RTL_IMPLEMENT_CLASS(TTestComboEdit)
RTL_IMPLEMENT_CLASS(TTestPopup)
RTL_IMPLEMENT_CLASS(TProbe)
RTL_IMPLEMENT_CLASS(TDialogWatch)

// =======================================================================================
// Combo edit
// =======================================================================================

class JvComboEditTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 420, 220);
    probe.reset(new TProbe());
    edit = New<TTestComboEdit>(form);
    edit->SetName("Combo1");
    edit->SetParent(form);
    edit->SetBounds(10, 10, 200, 21);
    other = New<TEdit>(form);
    other->SetParent(form);
    other->SetBounds(10, 100, 100, 21);
    edit->SetOnChange(TNotifyEvent(probe.get(), &TProbe::Changed));
    edit->SetOnButtonClick(TNotifyEvent(probe.get(), &TProbe::ButtonClicked));
  }
  void showFocused() {
    showAndActivate(form);
    edit->SetFocus();
    pumpFor(30);
  }
  // A left click on the middle of the embedded button.
  void clickButton() {
    TJvEditButton* b = edit->EmbeddedButton();
    clickAt(b, Point(b->Width() / 2, b->Height() / 2));
    pumpFor(50);
  }

  // The tests' default look is the classic one; a themed test switches the style on.
  VisualStyleGuard style{false};
  TForm* form = nullptr;
  TTestComboEdit* edit = nullptr;
  TEdit* other = nullptr;
  TObjectPtr<TProbe> probe;
};

TEST_F(JvComboEditTest, StartsAsASingleLineEditWithTheButtonAtItsRightEdge) {
  EXPECT_EQ(21, edit->Height());
  EXPECT_TRUE(edit->DirectInput());
  EXPECT_FALSE(edit->ReadOnly());
  EXPECT_EQ(0x8028, edit->ClickKey()) << "Alt+Down";
  EXPECT_EQ(clWindow, edit->DisabledColor());
  EXPECT_EQ(clGrayText, edit->DisabledTextColor());
  EXPECT_EQ(-1, edit->GroupIndex());
  EXPECT_EQ(ikCustom, edit->ImageKind());
  EXPECT_EQ(-1, edit->ImageIndex());
  EXPECT_EQ(1, edit->NumGlyphs());
  EXPECT_EQ(21, edit->ButtonWidth());
  EXPECT_TRUE(edit->ShowButton());
  EXPECT_TRUE(edit->ControlStyle().Contains(csCaptureMouse));
  EXPECT_TRUE(edit->ButtonHost()->ControlStyle().Contains(csReplicatable));
  EXPECT_TRUE(edit->EmbeddedButton()->ControlStyle().Contains(csReplicatable));
  EXPECT_EQ(edit->ButtonHost(), edit->EmbeddedButton()->Parent());
  EXPECT_EQ(edit, edit->ButtonHost()->Parent());
  EXPECT_TRUE(edit->EmbeddedButton()->AcceptOnClose());
  EXPECT_FALSE(edit->EmbeddedButton()->ThemedArrow());

  const LONG style = GetWindowLongA(edit->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE(style & WS_CLIPCHILDREN);
  struct Case {
    TAlignment Alignment;
    LONG Bits;
  };
  for (const Case& c : {Case{taLeftJustify, ES_LEFT}, Case{taRightJustify, ES_RIGHT}, Case{taCenter, ES_CENTER}}) {
    edit->SetAlignment(c.Alignment);
    EXPECT_EQ(c.Bits, GetWindowLongA(edit->Handle(), GWL_STYLE) & (ES_LEFT | ES_RIGHT | ES_CENTER))
        << "alignment " << static_cast<int>(c.Alignment);
  }
}

TEST_F(JvComboEditTest, ButtonAndTextAreLaidOutByTheBorder) {
  // Without visual styles (the tests' default).
  struct Case {
    const char* Name;
    TBorderStyle Border;
    bool Ctl3D;
    TRect Host;
  };
  const Integer w = 200, h = 24;
  const Case cases[] = {
      {"single border, 3D", bsSingle, true, Rect(w - 21 - 4, 0, w - 4, h - 4)},
      {"single border, flat", bsSingle, false, Rect(w - 21 - 2, 2, w - 2, h - 2)},
      {"no border", bsNone, true, Rect(w - 21, 0, w, h)},
  };
  showAndActivate(form);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    edit->SetBorderStyle(c.Border);
    edit->SetCtl3D(c.Ctl3D);
    edit->SetBounds(10, 10, w, h);
    edit->HandleNeeded();
    pumpFor(20);
    EXPECT_EQ(rectText(c.Host), rectText(boundsOf(edit->ButtonHost())));
    EXPECT_EQ(rectText(Rect(0, 0, 21, c.Host.bottom - c.Host.top)), rectText(boundsOf(edit->EmbeddedButton())));
    // The system's edit keeps its own margins inside the rectangle it is given.
    RECT r{};
    SendMessageA(edit->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_LE(r.right, w - (21 + 2) - 3) << "the text stops left of the button";
    EXPECT_GT(r.right, w - (21 + 2) - 3 - 8);
  }
}

TEST_F(JvComboEditTest, UnderVisualStylesTheFrameIsOnePixelAndTheArrowIsTheThemes) {
  VisualStyleGuard themed(true);
  ASSERT_TRUE(themed.Ok()) << "the visual style could not be switched on";
  auto* combo = New<TTestComboEdit>(form);
  combo->SetParent(form);
  const Integer w = 200;
  combo->SetBounds(10, 40, w, 24);
  combo->SetText("C:\\dados");
  showAndActivate(form);
  // Placement by the frame (H is the edit's height, which follows the frame's kind).
  for (bool ctl3D : {true, false}) {
    SCOPED_TRACE(ctl3D ? "3D" : "flat");
    combo->SetCtl3D(ctl3D);
    combo->HandleNeeded();
    pumpFor(30);
    const Integer H = combo->Height();
    const TRect host = ctl3D ? Rect(w - 21 - 2, 0, w - 2, H - 2) : Rect(w - 21 - 1, 1, w - 1, H - 1);
    EXPECT_EQ(rectText(host), rectText(boundsOf(combo->ButtonHost())));
    if (ctl3D) {
      EXPECT_EQ(w - 2, combo->ClientWidth()) << "a one-pixel frame";
    }
  }
  combo->SetCtl3D(true);
  combo->SetImageKind(ikDropDown);
  EXPECT_TRUE(combo->EmbeddedButton()->ThemedArrow());
  EXPECT_EQ(0, combo->Glyph()->Width()) << "the theme draws the arrow";
  pumpFor(50);
  TBitmap shot;
  captureClient(form, shot);
  savePng(shot, "JvComboEdit-themed");
  combo->SetButtonFlat(true);
  EXPECT_FALSE(combo->EmbeddedButton()->ThemedArrow()) << "a flat button shows the system's arrow";
  EXPECT_GT(combo->Glyph()->Width(), 0);
}

TEST_F(JvComboEditTest, HeightHoldsOneLineOfTheFontAndOnlyGrows) {
  // The class library's own height rule (AutoSize) stays out of the way.
  edit->SetAutoSize(false);
  edit->HandleNeeded();
  const Integer b = GetSystemMetrics(SM_CYBORDER);
  const Integer line = edit->MinimumHeight() - 4 * b - 1;
  edit->SetHeight(5);
  pumpFor(20);
  EXPECT_EQ(line + 8 * b, edit->Height()) << "one line and the 3-D border's allowance";
  edit->SetHeight(60);
  pumpFor(20);
  EXPECT_EQ(60, edit->Height()) << "a taller edit stays as tall";
  edit->Font()->SetSize(36);
  pumpFor(20);
  const Integer bigLine = edit->MinimumHeight() - 4 * b - 1;
  ASSERT_GT(bigLine + 8 * b, 60);
  EXPECT_EQ(bigLine + 8 * b, edit->Height()) << "a bigger font makes the edit taller";
}

TEST_F(JvComboEditTest, TypingChangesTheTextAndFiresOnChange) {
  showFocused();
  typeText("abc");
  EXPECT_EQ("abc", edit->Text());
  ASSERT_FALSE(probe->Texts.empty());
  EXPECT_EQ("abc", probe->Texts.back());
}

TEST_F(JvComboEditTest, DirectInputAndReadOnlyDecideWhatTypingAndTheButtonDo) {
  struct Case {
    const char* Name;
    bool DirectInput, ReadOnly, AlwaysEnabled;
    bool Types;    // typed letters reach the text
    bool Actions;  // Alt+Down and the button run the action
  };
  const Case cases[] = {
      {"normal", true, false, false, true, true},
      {"no direct input", false, false, false, false, true},
      {"read-only", true, true, false, false, false},
      {"read-only, button always enabled", true, true, true, false, true},
  };
  showFocused();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    edit->SetReadOnly(false);
    edit->SetDirectInput(true);
    edit->SetText("x");
    edit->SetDirectInput(c.DirectInput);
    edit->SetReadOnly(c.ReadOnly);
    edit->SetButtonAlwaysEnabled(c.AlwaysEnabled);
    EXPECT_EQ(c.ReadOnly || !c.DirectInput, windowReadOnly(edit));
    edit->SetFocus();
    SendMessageA(edit->Handle(), EM_SETSEL, 1, 1);
    typeText("y");
    EXPECT_EQ(c.Types ? "xy" : "x", edit->Text());
    edit->Actions = 0;
    probe->Log.clear();
    pressWith({VK_MENU}, VK_DOWN);
    clickButton();
    EXPECT_EQ(c.Actions ? 2 : 0, edit->Actions);
    EXPECT_EQ(c.Actions ? 2u : 0u, probe->Log.size()) << "OnButtonClick with each action";
  }
}

TEST_F(JvComboEditTest, CutAndPasteNeedDirectInputAndAnEditableEdit) {
  edit->HandleNeeded();
  for (bool direct : {false, true}) {
    SCOPED_TRACE(direct ? "direct input" : "no direct input");
    edit->SetDirectInput(direct);
    edit->SetText("abc");
    edit->SelectAll();
    Clipboard()->SetAsText("zz");
    edit->CutToClipboard();
    EXPECT_EQ(direct ? "" : "abc", edit->Text());
    EXPECT_EQ(direct ? "abc" : "zz", Clipboard()->AsText());
    edit->SetText("abc");
    edit->SelectAll();
    edit->PasteFromClipboard();
    EXPECT_EQ(direct ? Clipboard()->AsText() : "abc", edit->Text());
  }
}

TEST_F(JvComboEditTest, ClearDeletesOnlyTheSelection) {
  edit->HandleNeeded();
  edit->SetText("C:\\dados\\pesquisa.mdb");
  SendMessageA(edit->Handle(), EM_SETSEL, 0, 9);
  SendMessageA(edit->Handle(), WM_CLEAR, 0, 0);
  EXPECT_EQ("pesquisa.mdb", edit->Text()) << "the rest of the text is kept";
}

TEST_F(JvComboEditTest, AReadOnlyEditKeepsOnlyCopy) {
  const TJvClipboardCommands all{caCopy, caCut, caPaste, caClear, caUndo};
  edit->SetClipboardCommands(all);
  EXPECT_EQ(all, edit->ClipboardCommands()) << "an editable edit keeps them all";
  edit->SetReadOnly(true);
  edit->SetClipboardCommands(all);
  EXPECT_EQ(TJvClipboardCommands{caCopy}, edit->ClipboardCommands());
  edit->SetClipboardCommands(TJvClipboardCommands{caPaste});
  EXPECT_EQ(TJvClipboardCommands{caCopy}, edit->ClipboardCommands());
}

TEST_F(JvComboEditTest, AButtonWidthBelowTwoHidesTheButtonAndShowButtonBringsItBack) {
  edit->HandleNeeded();
  edit->SetButtonWidth(30);
  EXPECT_EQ(30, edit->ButtonWidth());
  EXPECT_EQ(30, edit->EmbeddedButton()->Width());
  edit->SetButtonWidth(1);
  EXPECT_FALSE(edit->ShowButton());
  EXPECT_FALSE(edit->ButtonHost()->Visible());
  EXPECT_EQ(30, edit->ButtonWidth()) << "the width it comes back with";
  edit->SetShowButton(true);
  EXPECT_TRUE(edit->ShowButton());
  EXPECT_EQ(30, edit->ButtonWidth());
  EXPECT_EQ(30, edit->ButtonHost()->Width());
  // Hidden by ShowButton, with a new width set meanwhile.
  edit->SetShowButton(false);
  edit->SetButtonWidth(25);
  edit->SetShowButton(true);
  EXPECT_EQ(25, edit->EmbeddedButton()->Width());
}

TEST_F(JvComboEditTest, ImageKindsGiveTheirWidthsAndPictures) {
  edit->HandleNeeded();
  edit->SetImageKind(ikDropDown);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), edit->ButtonWidth());
  EXPECT_FALSE(edit->IsButtonWidthStored()) << "the arrow's own width";
  ASSERT_NE(nullptr, edit->Glyph());
  EXPECT_GT(edit->Glyph()->Width(), 0) << "the system's combo arrow (no visual styles)";
  EXPECT_FALSE(edit->EmbeddedButton()->ThemedArrow());

  edit->SetImageKind(ikEllipsis);
  edit->SetButtonWidth(21);
  TBitmap* glyph = edit->Glyph();
  ASSERT_EQ(15, glyph->Width());
  ASSERT_EQ(4, glyph->Height());
  EXPECT_FALSE(edit->IsButtonWidthStored());

  TBitmap* custom = new TBitmap();
  custom->SetWidth(32);
  custom->SetHeight(16);
  edit->SetGlyph(custom);
  delete custom;
  EXPECT_EQ(ikCustom, edit->ImageKind());
  EXPECT_EQ(2, edit->NumGlyphs()) << "two square cells";
}

TEST(JvComboEditRoutines, EllipsisBitmapHasThreeCentredDots) {
  struct Case {
    Integer ButtonWidth;
    Integer Width;
    std::vector<Integer> DotLefts;
  };
  // S = (width - 6) div 2 clamped to 1..3, X = (width - 6 - 2S) div 2.
  const Case cases[] = {
      {21, 15, {1, 6, 11}},
      {16, 10, {0, 4, 8}},   // S = 2
      {13, 7, {0, 3, 6}},    // S = 1, X = (7 - 6 - 2) div 2 = 0 (truncated)
      {4, 1, {-3, 0, 3}},    // no room: one pixel wide, X = (1 - 6 - 2) div 2 = -3
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("button width " + IntToStr(c.ButtonWidth));
    std::unique_ptr<TBitmap> b(MakeEllipsisBitmap(c.ButtonWidth));
    EXPECT_TRUE(b->Monochrome());
    EXPECT_EQ(c.Width, b->Width());
    EXPECT_EQ(4, b->Height());
    for (Integer x = 0; x < b->Width(); ++x) {
      bool dot = false;
      for (Integer left : c.DotLefts) dot = dot || (x == left || x == left + 1);
      for (Integer y = 0; y < 4; ++y) {
        const bool black = (ColorToRGB(b->Canvas()->Pixels(x, y)) & 0xFFFFFF) == 0;
        EXPECT_EQ(dot && (y == 1 || y == 2), black) << "pixel (" << x << ", " << y << ")";
      }
    }
  }
}

TEST_F(JvComboEditTest, DisabledEditShowsItsTextInItsOwnColours) {
  edit->SetBounds(10, 10, 200, 24);
  edit->SetText("MMMMMM");
  edit->SetEnabled(false);
  showAndActivate(form);
  TBitmap shot;
  captureClient(edit, shot);
  savePng(shot, "JvComboEdit-disabled");
  const uint32_t window = static_cast<uint32_t>(ColorToRGB(clWindow));
  const uint32_t gray = static_cast<uint32_t>(ColorToRGB(clGrayText));
  EXPECT_EQ(hexOf(window), hexOf(pixelAt(shot, edit->ClientWidth() - 30, edit->ClientHeight() - 2)));
  Integer grayPixels = 0;
  for (Integer x = 0; x < 60; ++x)
    for (Integer y = 0; y < shot.Height(); ++y) grayPixels += pixelAt(shot, x, y) == gray;
  EXPECT_GT(grayPixels, 10) << "the text is drawn in clGrayText";
  EXPECT_FALSE(edit->EmbeddedButton()->Enabled()) << "the button follows";

  edit->SetDisabledColor(clYellow);
  pumpFor(50);
  captureClient(edit, shot);
  EXPECT_EQ(hexOf(static_cast<uint32_t>(ColorToRGB(clYellow))),
            hexOf(pixelAt(shot, edit->ClientWidth() - 30, edit->ClientHeight() - 2)));

  edit->SetEnabled(true);
  edit->SetDisabledColor(clRed);
  pumpFor(50);
  captureClient(edit, shot);
  EXPECT_EQ(hexOf(window), hexOf(pixelAt(shot, edit->ClientWidth() - 30, edit->ClientHeight() - 2)))
      << "an enabled edit is painted in its own colour";
}

TEST_F(JvComboEditTest, TabAndCtrlEnterInsertNothingAndEnterReachesTheDefaultButton) {
  auto* ok = New<TButton>(form);
  ok->SetParent(form);
  ok->SetBounds(250, 150, 75, 25);
  ok->SetDefault(true);
  ok->SetOnClick(TNotifyEvent(probe.get(), &TProbe::DefaultClicked));
  auto* cancel = New<TButton>(form);
  cancel->SetParent(form);
  cancel->SetBounds(330, 150, 75, 25);
  cancel->SetCancel(true);
  cancel->SetOnClick(TNotifyEvent(probe.get(), &TProbe::CancelClicked));
  form->SetOnKeyDown(TKeyEvent(probe.get(), &TProbe::FormKeyDown));
  edit->SetOnKeyPress(TKeyPressEvent(probe.get(), &TProbe::EditKeyPress));
  edit->SetText("abc");
  showFocused();
  SendMessageA(edit->Handle(), EM_SETSEL, 3, 3);

  probe->Log.clear();
  pressWith({VK_CONTROL}, VK_RETURN);
  EXPECT_EQ("abc", edit->Text()) << "no line break";
  EXPECT_EQ((std::vector<std::string>{"form key 13 ctrl"}), probe->Log);

  probe->Log.clear();
  pressKey(VK_RETURN);
  EXPECT_EQ("abc", edit->Text());
  EXPECT_EQ((std::vector<std::string>{"default", "edit char 13"}), probe->Log);

  probe->Log.clear();
  pressKey(VK_ESCAPE);
  EXPECT_EQ("abc", edit->Text());
  ASSERT_FALSE(probe->Log.empty());
  EXPECT_EQ("cancel", probe->Log.front());

  pressKey(VK_TAB);
  EXPECT_EQ("abc", edit->Text()) << "no tab character";
  EXPECT_NE(edit->Handle(), GetFocus()) << "Tab moves on";
}

TEST_F(JvComboEditTest, OnKeyDownSeesTheKeysAfterTheGroupIsEmptied) {
  auto* sibling = New<TTestComboEdit>(form);
  sibling->SetName("Combo2");
  sibling->SetParent(form);
  sibling->SetBounds(10, 40, 200, 21);
  auto* stranger = New<TTestComboEdit>(form);
  stranger->SetName("Combo3");
  stranger->SetParent(form);
  stranger->SetBounds(10, 70, 200, 21);
  edit->SetGroupIndex(3);
  sibling->SetGroupIndex(3);
  stranger->SetGroupIndex(4);
  sibling->SetText("outro");
  stranger->SetText("alheio");
  struct Seen : TObject {
    TTestComboEdit* Sibling = nullptr;
    std::string SiblingText = "?";
    void KeyDown(TObject*, Word&, TShiftState) { SiblingText = Sibling->Text(); }
  };
  TObjectPtr<Seen> seen(new Seen());
  seen->Sibling = sibling;
  edit->SetOnKeyDown(TKeyEvent(seen.get(), &Seen::KeyDown));
  showFocused();
  pressKey('A');
  EXPECT_EQ("a", edit->Text());
  EXPECT_EQ("", seen->SiblingText) << "the sibling was emptied before OnKeyDown";
  EXPECT_EQ("", sibling->Text());
  EXPECT_EQ("alheio", stranger->Text()) << "another group keeps its text";

  // Pasting empties the group too.
  sibling->SetText("outro");
  Clipboard()->SetAsText("colado");
  edit->PasteFromClipboard();
  EXPECT_EQ("", sibling->Text());
}

TEST_F(JvComboEditTest, AnActionGivesTheButtonItsHintImageShortcutAndHandler) {
  auto* list = New<TActionList>(form);
  auto* action = New<TAction>(form);
  action->SetActionList(list);
  action->SetCaption("Procurar");
  action->SetHint("Escolher o arquivo");
  action->SetImageIndex(2);
  action->SetShortCut(ShortCut(VK_F4, TShiftState{}));
  action->SetOnExecute(TNotifyEvent(probe.get(), &TProbe::Executed));
  edit->SetText("C:\\dados");
  edit->SetAction(action);
  EXPECT_EQ("C:\\dados", edit->Text()) << "the caption never reaches the text";
  EXPECT_EQ("Escolher o arquivo", edit->ButtonHint());
  EXPECT_EQ(2, edit->ImageIndex());
  EXPECT_EQ(ShortCut(VK_F4, TShiftState{}), edit->ClickKey());
  EXPECT_TRUE(edit->OnButtonClick() == action->OnExecute());
  EXPECT_FALSE(edit->IsImageIndexStored()) << "the action supplies it";

  TActionLink* link = edit->ActionLink();
  ASSERT_NE(nullptr, link);
  EXPECT_FALSE(link->IsCaptionLinked());
  EXPECT_TRUE(link->IsHintLinked());
  EXPECT_TRUE(link->IsImageIndexLinked());
  EXPECT_TRUE(link->IsShortCutLinked());
  EXPECT_TRUE(link->IsOnExecuteLinked());

  // The action's changes reach the edit.
  action->SetHint("Outro arquivo");
  EXPECT_EQ("Outro arquivo", edit->ButtonHint());
  action->SetShortCut(ShortCut(VK_F5, TShiftState{}));
  EXPECT_EQ(ShortCut(VK_F5, TShiftState{}), edit->ClickKey());
  action->SetImageIndex(3);
  EXPECT_EQ(3, edit->ImageIndex());

  // A value the edit changed is no longer linked (and so stored with the edit).
  edit->SetButtonHint("Meu texto");
  EXPECT_FALSE(link->IsHintLinked());
  edit->SetImageIndex(7);
  EXPECT_FALSE(link->IsImageIndexLinked());
  EXPECT_TRUE(edit->IsImageIndexStored());
  edit->SetClickKey(ShortCut(VK_F6, TShiftState{}));
  EXPECT_FALSE(link->IsShortCutLinked());

  // The button runs the action's handler.
  probe->Log.clear();
  edit->HandleEmbeddedButtonClick(edit->EmbeddedButton());
  EXPECT_EQ((std::vector<std::string>{"action"}), probe->Log);
}

TEST_F(JvComboEditTest, StoredFormsMayUseTheEarlierPropertyNames) {
  RegisterClass(TTestComboEdit::StaticClass());
  TForm* host = own(TForm::CreateNew(nullptr));
  const std::string text =
      "object F: TForm\n"
      "  object Combo: TTestComboEdit\n    Left = 8\n    Top = 8\n    Width = 150\n    Height = 21\n"
      "    GlyphKind = gkEllipsis\n    Ctl3D = False\n  end\n"
      "end\n";
  readDescription(host, text);
  auto* combo = dynamic_cast<TTestComboEdit*>(host->FindComponent("Combo"));
  ASSERT_NE(nullptr, combo);
  EXPECT_EQ(ikEllipsis, combo->ImageKind());
  EXPECT_TRUE(combo->Flat());
  UnRegisterClass(TTestComboEdit::StaticClass());
}

// --- Popup mechanics, with a small popup window of the test's own.

class JvComboEditPopupTest : public JvComboEditTest {
protected:
  void SetUp() override {
    JvComboEditTest::SetUp();
    popup = New<TTestPopup>(form);
    popup->SetBounds(0, 0, 120, 80);
    popup->SetParentWindow(form->Handle());
    edit->SetAttachedPopup(popup);
    edit->SetText("antes");
    showFocused();
  }
  TTestPopup* popup = nullptr;
};

TEST_F(JvComboEditPopupTest, TheButtonOpensThePopupUnderTheEditAndMakesTheWindowReadOnly) {
  clickButton();
  ASSERT_TRUE(edit->PopupShown());
  EXPECT_TRUE(popup->Visible());
  RECT r;
  GetWindowRect(edit->Handle(), &r);
  RECT p;
  GetWindowRect(popup->Handle(), &p);
  EXPECT_EQ(r.right - 120, p.left) << "right edges together";
  EXPECT_EQ(r.top + edit->Height(), p.top);
  EXPECT_TRUE(windowReadOnly(edit));

  pressKey(VK_ESCAPE);
  EXPECT_FALSE(edit->PopupShown());
  EXPECT_FALSE(popup->Visible());
  EXPECT_FALSE(windowReadOnly(edit)) << "typing is open again";
  EXPECT_EQ("antes", edit->Text()) << "Esc does not take the popup's value";
}

TEST_F(JvComboEditPopupTest, EnterTakesThePopupsValue) {
  clickButton();
  ASSERT_TRUE(edit->PopupShown());
  edit->SetValue("escolhido");
  pressKey(VK_RETURN);
  EXPECT_FALSE(edit->PopupShown());
  EXPECT_EQ("escolhido", edit->Text());
  EXPECT_TRUE(edit->Modified());
}

TEST_F(JvComboEditPopupTest, PressingTheButtonWhileThePopupShowsClosesItWithoutOpeningItAgain) {
  clickButton();
  ASSERT_TRUE(edit->PopupShown());
  edit->SetValue("pelo botão");
  edit->Actions = 0;
  clickButton();
  EXPECT_FALSE(edit->PopupShown());
  EXPECT_EQ(0, edit->Actions) << "the click that closed the popup is swallowed";
  EXPECT_EQ("pelo botão", edit->Text()) << "AcceptOnClose";
}

TEST_F(JvComboEditPopupTest, LeavingTheEditClosesThePopupWithoutTakingItsValue) {
  clickButton();
  ASSERT_TRUE(edit->PopupShown());
  edit->SetValue("perdido");
  other->SetFocus();
  pumpUntil([&] { return !edit->PopupShown(); }, 1000);
  EXPECT_FALSE(edit->PopupShown());
  EXPECT_EQ("antes", edit->Text());
}

TEST_F(JvComboEditPopupTest, AReadOnlyEditOpensThePopupOnlyWhenAllowed) {
  edit->SetReadOnly(true);
  edit->SetButtonAlwaysEnabled(true);
  clickButton();
  EXPECT_FALSE(edit->PopupShown());
  edit->SetPopupWhenReadOnly(true);
  clickButton();
  EXPECT_TRUE(edit->PopupShown());
  edit->SetValue("ignorado");
  edit->ClosePopup(popup, true);
  EXPECT_EQ("antes", edit->Text()) << "a read-only edit takes no value";
}

// --- The suggestion source.

TEST_F(JvComboEditTest, SuggestionSourceEnumeratesTheItems) {
  edit->SuggestionItems()->Add("alfa");
  edit->SuggestionItems()->Add("beta");
  edit->SuggestionItems()->Add("gama");
  auto* source = new TAutoCompleteSource(edit, 0);
  source->_AddRef();
  IEnumString* en = source->AsEnumString();
  auto next = [&](ULONG count, HRESULT expected, std::vector<std::string> items) {
    std::vector<LPOLESTR> out(count + 1, nullptr);
    ULONG fetched = 99;
    EXPECT_EQ(expected, en->Next(count, out.data(), &fetched));
    ASSERT_EQ(items.size(), fetched);
    for (ULONG i = 0; i < fetched; ++i) {
      char text[64];
      WideCharToMultiByte(CP_ACP, 0, out[i], -1, text, sizeof text, nullptr, nullptr);
      EXPECT_EQ(items[i], text);
      CoTaskMemFree(out[i]);
    }
  };
  next(2, S_OK, {"alfa", "beta"});
  next(2, S_FALSE, {"gama"});
  next(1, S_FALSE, {});
  EXPECT_EQ(E_FAIL, en->Next(1, nullptr, nullptr));
  EXPECT_EQ(S_OK, en->Reset());
  EXPECT_EQ(S_OK, en->Skip(2));
  next(1, S_OK, {"gama"});
  EXPECT_EQ(S_OK, en->Reset());
  EXPECT_EQ(S_FALSE, en->Skip(5));
  EXPECT_EQ(3, source->Index()) << "skipping stops at the end";
  en->Reset();
  en->Skip(1);
  IEnumString* copy = nullptr;
  ASSERT_EQ(S_OK, en->Clone(&copy));
  ASSERT_NE(nullptr, copy);
  LPOLESTR item = nullptr;
  ASSERT_EQ(S_OK, copy->Next(1, &item, nullptr));
  char text[64];
  WideCharToMultiByte(CP_ACP, 0, item, -1, text, sizeof text, nullptr, nullptr);
  EXPECT_STREQ("beta", text) << "the copy starts where the original was";
  CoTaskMemFree(item);
  copy->Release();
  IUnknown* unknown = nullptr;
  EXPECT_EQ(S_OK, en->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
  if (unknown) unknown->Release();
  en->Release();
}

TEST_F(JvComboEditTest, TheShellCompletesTypedTextFromTheSuggestions) {
  edit->SuggestionItems()->Add("alfa");
  edit->SuggestionItems()->Add("beta");
  edit->SuggestionItems()->Add("betume");
  edit->SetAutoCompleteOptions(TJvAutoCompleteOptions{acoAutoAppend});
  showFocused();
  ASSERT_NE(nullptr, edit->AutoCompleteObject()) << "the shell's object is bound to the window";
  typeText("al");
  pumpFor(100);
  EXPECT_EQ("alfa", edit->Text()) << "the rest of the suggestion is appended";
  EXPECT_EQ(2, edit->SelStart());
  EXPECT_EQ(2, edit->SelLength());
}

// =======================================================================================
// File-name edit
// =======================================================================================

class JvFilenameEditTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 420, 200);
    probe.reset(new TProbe());
    edit = New<TJvFilenameEdit>(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 250, 21);
    edit->SetOnChange(TNotifyEvent(probe.get(), &TProbe::Changed));
    probe->Edit = edit;
  }

  VisualStyleGuard style{false};
  TForm* form = nullptr;
  TJvFilenameEdit* edit = nullptr;
  TObjectPtr<TProbe> probe;
  ScratchDir dir;
};

TEST_F(JvFilenameEditTest, StartsWithTheFolderPictureAndTheDialogsDefaults) {
  EXPECT_EQ(ikDefault, edit->ImageKind());
  EXPECT_TRUE(edit->AddQuotes());
  EXPECT_TRUE(edit->AcceptFiles());
  EXPECT_EQ(dkOpen, edit->DialogKind());
  EXPECT_EQ(TJvAutoCompleteOptions{acoAutoSuggest}, edit->AutoCompleteOptions());
  EXPECT_EQ(TJvAutoCompleteFileOptions{acfFileSystem}, edit->AutoCompleteFileOptions());
  EXPECT_EQ("Browse", edit->DialogTitle());
  EXPECT_EQ("All files (*.*)|*.*", edit->Filter());
  EXPECT_EQ(TOpenOptions{ofHideReadOnly}, edit->DialogOptions());
  EXPECT_FALSE(edit->IsFilterStored());
  EXPECT_FALSE(edit->IsDialogTitleStored());
  EXPECT_TRUE(edit->OEMConvert());
  EXPECT_EQ(21, edit->ButtonWidth());
  TJvEditButton* button = edit->EmbeddedButton();
  EXPECT_EQ(TJvCustomComboEdit::SharedDefaultImages(), button->Images());
  EXPECT_GE(button->ImageIndex(), 0);
  EXPECT_EQ(14, button->Images()->Width());
  EXPECT_EQ(12, button->Images()->Height());

  edit->SetFilter("Bancos|*.mdb");
  edit->SetDialogTitle("Abrir");
  EXPECT_TRUE(edit->IsFilterStored());
  EXPECT_TRUE(edit->IsDialogTitleStored());

  // The picture: folder colours on the button, the see-through colour nowhere.
  showAndActivate(form);
  TBitmap shot;
  captureClient(edit, shot);
  savePng(shot, "JvFilenameEdit");
  Integer yellow = 0, fuchsia = 0;
  const TRect host = boundsOf(edit->ButtonHost());
  for (Integer x = host.left; x < host.right; ++x)
    for (Integer y = host.top; y < host.bottom; ++y) {
      const uint32_t c = pixelAt(shot, x, y);
      yellow += c == 0x00FFFF || c == 0x008080;
      fuchsia += c == 0xFF00FF;
    }
  EXPECT_GT(yellow, 20) << "the folder shows";
  EXPECT_EQ(0, fuchsia) << "its key colour does not";
}

TEST_F(JvFilenameEditTest, ThePictureFollowsASwitchOfVisualStyles) {
  edit->HandleNeeded();
  const Integer classic = edit->EmbeddedButton()->ImageIndex();
  ASSERT_GE(classic, 0);
  VisualStyleGuard themed(true);
  ASSERT_TRUE(themed.Ok()) << "the visual style could not be switched on";
  edit->Perform(CM_SYSCOLORCHANGE, 0, 0);
  const Integer styled = edit->EmbeddedButton()->ImageIndex();
  EXPECT_GE(styled, 0);
  EXPECT_NE(classic, styled) << "the picture drawn for visual styles";
  showAndActivate(form);
  TBitmap shot;
  captureClient(edit, shot);
  savePng(shot, "JvFilenameEdit-themed");
  edit->SetImageKind(ikEllipsis);
  edit->Perform(CM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(-1, edit->EmbeddedButton()->ImageIndex()) << "only the default picture follows";
}

TEST_F(JvFilenameEditTest, FileNameReadsTheTextBackAsAName) {
  const std::string folder = dir.Path();
  writeFileBytes(dir.File("com espaço.mdb"), "x");
  struct Case {
    const char* Name;
    std::string Text;
    std::string FileName;
  };
  const Case cases[] = {
      {"an existing file with a blank, unquoted", dir.File("com espaço.mdb"), dir.File("com espaço.mdb")},
      {"a quoted name", "\"" + dir.File("novo arquivo.mdb") + "\"", dir.File("novo arquivo.mdb")},
      {"a quoted name and more", "\"C:\\My Data\\a.mdb\" -x", "C:\\My Data\\a.mdb"},
      {"an existing folder", folder, folder + "\\"},
      {"a new name with blanks, unquoted", "C:\\My Data\\b.mdb", "C:\\My Data\\b.mdb"},
      {"blanks around", "  C:\\dados\\c.mdb ", "C:\\dados\\c.mdb"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    edit->SetText(c.Text);
    EXPECT_EQ(c.FileName, edit->FileName());
  }
  edit->SetAddQuotes(false);
  edit->SetText("\"C:\\My Data\\a.mdb\"");
  EXPECT_EQ("\"C:\\My Data\\a.mdb\"", edit->FileName()) << "without AddQuotes the text as it is";
}

TEST_F(JvFilenameEditTest, WritingFileNameQuotesNamesWithBlanks) {
  struct Case {
    bool AddQuotes;
    std::string Value;
    std::string Text;
    std::string ReadBack;
  };
  const Case cases[] = {
      {true, "C:\\My Data\\a.mdb", "\"C:\\My Data\\a.mdb\"", "C:\\My Data\\a.mdb"},
      {true, "C:\\dados\\a.mdb", "C:\\dados\\a.mdb", "C:\\dados\\a.mdb"},
      {true, "\"C:\\My Data\\a.mdb\"", "\"C:\\My Data\\a.mdb\"", "C:\\My Data\\a.mdb"},
      {false, "C:\\My Data\\a.mdb", "C:\\My Data\\a.mdb", "C:\\My Data\\a.mdb"},
      {true, "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Value);
    edit->SetAddQuotes(c.AddQuotes);
    edit->SetFileName(c.Value);
    EXPECT_EQ(c.Text, edit->Text());
    EXPECT_EQ(c.ReadBack, edit->FileName());
  }
}

TEST_F(JvFilenameEditTest, AnInvalidNameIsRefusedAndTheTextStays) {
  edit->SetFileName("C:\\dados\\a.mdb");
  for (const std::string& bad : {std::string("C:\\dados\\a|b.mdb"), std::string("C:\\dados\\*.mdb"),
                                 std::string("C:/dados/a.mdb"), std::string("a<b")}) {
    SCOPED_TRACE(bad);
    try {
      edit->SetFileName(bad);
      ADD_FAILURE() << "no exception";
    } catch (EComboEditError& e) {
      EXPECT_EQ("Invalid file name - " + bad, e.Message());
    }
    EXPECT_EQ("C:\\dados\\a.mdb", edit->Text());
  }
  EXPECT_TRUE(dynamic_cast<EJvException*>(static_cast<Exception*>(new EComboEditError("x"))) != nullptr);
}

TEST_F(JvFilenameEditTest, PastedLinesLeaveOnlyTheFirst) {
  edit->HandleNeeded();
  edit->SetText("");
  probe->Texts.clear();
  Clipboard()->SetAsText("C:\\um.mdb\r\nC:\\dois.mdb");
  edit->PasteFromClipboard();
  EXPECT_EQ("C:\\um.mdb", edit->Text());
  ASSERT_FALSE(probe->Texts.empty());
  for (const std::string& t : probe->Texts) EXPECT_EQ(std::string::npos, t.find_first_of("\r\n")) << t;
  EXPECT_EQ("C:\\um.mdb", probe->Texts.back());
  // A lone carriage return is cut as well.
  edit->SetText("C:\\tres.mdb\rresto");
  EXPECT_EQ("C:\\tres.mdb", edit->Text());
}

TEST_F(JvFilenameEditTest, TypedNamesReachFileNameAndOnChange) {
  showAndActivate(form);
  edit->SetFocus();
  edit->SetText("");
  typeText("c");
  pressWith({VK_SHIFT}, VK_OEM_1);  // ':' on the test keyboard layout
  typeText("x");
  EXPECT_FALSE(edit->Text().empty());
  EXPECT_EQ(edit->Text(), edit->FileName());
  ASSERT_FALSE(probe->Texts.empty());
  EXPECT_EQ(edit->Text(), probe->Texts.back());
}

TEST_F(JvFilenameEditTest, TheButtonRunsTheDialogAndWritesTheChosenNameBack) {
  writeFileBytes(dir.File("meu arquivo.mdb"), "x");
  edit->SetFileName(dir.File("antigo.mdb"));
  edit->SetOnBeforeDialog(TExecOpenDialogEvent(probe.get(), &TProbe::BeforeDialog));
  edit->SetOnAfterDialog(TExecOpenDialogEvent(probe.get(), &TProbe::AfterDialog));
  TObjectPtr<TDialogWatch> watch(new TDialogWatch());
  edit->FileDialog()->SetOnShow(TNotifyEvent(watch.get(), &TDialogWatch::Show));
  showAndActivate(form);
  probe->Texts.clear();
  DialogDriver driver([&] {
    if (!watch->Window || !fileNameBox(watch->Window)) return false;
    SetWindowTextA(fileNameBox(watch->Window), "meu arquivo.mdb");
    pressDialogButton(watch->Window, IDOK);
    return true;
  });
  TJvEditButton* b = edit->EmbeddedButton();
  clickAt(b, Point(b->Width() / 2, b->Height() / 2));
  pumpUntil([&] { return probe->Log.size() >= 2; }, 5000);
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_EQ(1, watch->Shows);
  EXPECT_EQ("Browse", watch->TitleSeen);
  EXPECT_EQ(dir.File("antigo.mdb"), watch->FileNameSeen) << "the dialog starts with the edit's name";
  EXPECT_TRUE(SameText(IncludeTrailingPathDelimiter(dir.Path()), watch->InitialDirSeen)) << watch->InitialDirSeen;
  EXPECT_EQ(dir.File("antigo.mdb"), probe->BeforeName);
  EXPECT_TRUE(probe->AfterAction);
  EXPECT_TRUE(SameText(dir.File("meu arquivo.mdb"), probe->AfterName)) << probe->AfterName;
  EXPECT_EQ((std::vector<std::string>{"before", "after, focus on the edit: yes"}), probe->Log);
  EXPECT_TRUE(SameText("\"" + dir.File("meu arquivo.mdb") + "\"", edit->Text())) << edit->Text();
  EXPECT_TRUE(SameText(dir.File("meu arquivo.mdb"), edit->FileName()));
  ASSERT_FALSE(probe->Texts.empty()) << "OnChange";
}

TEST_F(JvFilenameEditTest, ACancelledDialogKeepsTheTextAndStillReportsAfterwards) {
  edit->SetFileName(dir.File("fica.mdb"));
  edit->SetOnAfterDialog(TExecOpenDialogEvent(probe.get(), &TProbe::AfterDialog));
  TObjectPtr<TDialogWatch> watch(new TDialogWatch());
  edit->FileDialog()->SetOnShow(TNotifyEvent(watch.get(), &TDialogWatch::Show));
  showAndActivate(form);
  auto* other = New<TEdit>(form);
  other->SetParent(form);
  other->SetBounds(10, 60, 100, 21);
  other->SetFocus();
  probe->Texts.clear();
  DialogDriver driver([&] {
    if (!watch->Window) return false;
    pressDialogButton(watch->Window, IDCANCEL);
    return true;
  });
  edit->ShowDropDown(true);
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_EQ(1, watch->Shows);
  EXPECT_EQ(dir.File("fica.mdb"), edit->Text());
  EXPECT_TRUE(probe->Texts.empty()) << "no change";
  EXPECT_FALSE(probe->AfterAction);
  EXPECT_EQ((std::vector<std::string>{"after, focus on the edit: yes"}), probe->Log);
}

TEST_F(JvFilenameEditTest, OnBeforeDialogMayStopTheDialog) {
  probe->RefuseBefore = true;
  edit->SetOnBeforeDialog(TExecOpenDialogEvent(probe.get(), &TProbe::BeforeDialog));
  edit->SetOnAfterDialog(TExecOpenDialogEvent(probe.get(), &TProbe::AfterDialog));
  TObjectPtr<TDialogWatch> watch(new TDialogWatch());
  edit->FileDialog()->SetOnShow(TNotifyEvent(watch.get(), &TDialogWatch::Show));
  DialogDriver driver([] { return false; });
  edit->ShowDropDown(true);
  EXPECT_EQ(0, watch->Shows);
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_EQ((std::vector<std::string>{"before"}), probe->Log);
}

TEST_F(JvFilenameEditTest, AnotherDialogKindKeepsTheDialogsSettings) {
  edit->SetFilter("Bancos|*.mdb|Todos|*.*");
  edit->SetFilterIndex(2);
  edit->SetDialogTitle("Banco de dados");
  edit->SetDefaultExt("mdb");
  edit->SetInitialDir("C:\\dados");
  edit->SetDialogOptions(TOpenOptions{ofHideReadOnly, ofAllowMultiSelect});
  edit->HistoryList()->Add("C:\\velho.mdb");
  edit->FileDialog()->Files()->Add("C:\\a.mdb");
  struct Case {
    TFileDialogKind Kind;
    TClass Class;
  };
  const Case kinds[] = {{dkSave, TSaveDialog::StaticClass()},
                        {dkOpenPicture, TOpenPictureDialog::StaticClass()},
                        {dkSavePicture, TSavePictureDialog::StaticClass()},
                        {dkOpen, TOpenDialog::StaticClass()}};
  for (const Case& c : kinds) {
    SCOPED_TRACE(c.Class->ClassName());
    edit->SetDialogKind(c.Kind);
    TOpenDialog* d = edit->FileDialog();
    EXPECT_EQ(c.Class, d->ClassType());
    EXPECT_EQ(edit, d->Owner());
    EXPECT_EQ("Bancos|*.mdb|Todos|*.*", d->Filter());
    EXPECT_EQ(2, d->FilterIndex());
    EXPECT_EQ("Banco de dados", d->Title());
    EXPECT_EQ("mdb", d->DefaultExt());
    EXPECT_EQ("C:\\dados", d->InitialDir());
    EXPECT_EQ((TOpenOptions{ofHideReadOnly, ofAllowMultiSelect}), d->Options());
    EXPECT_EQ(1, d->HistoryList()->Count());
    EXPECT_EQ(1, d->Files()->Count());
  }
  EXPECT_TRUE(edit->MultiSelect());
  edit->SetDialogOptions(TOpenOptions{ofHideReadOnly});
  EXPECT_FALSE(edit->MultiSelect());
  EXPECT_EQ(0, edit->FileDialog()->Files()->Count()) << "the selected files go with multi-selection";
}

TEST_F(JvFilenameEditTest, DroppedFilesAreTakenAsTheShellGivesThem) {
  edit->SetOnDropFiles(TNotifyEvent(probe.get(), &TProbe::Dropped));
  edit->HandleNeeded();
  const std::string longName = "C:\\" + std::string(280, 'a') + ".mdb";
  struct Case {
    const char* Name;
    bool MultiSelect;
    std::vector<std::string> Dropped;
    std::string Text;
    Integer Files;
  };
  const Case cases[] = {
      {"three files, one taken", false, {"C:\\um arquivo.mdb", "C:\\dois.mdb", "C:\\tres.mdb"},
       "\"C:\\um arquivo.mdb\"", 0},
      {"three files, multi-selection", true, {"C:\\um.mdb", "C:\\dois.mdb", "C:\\tres.mdb"}, "C:\\um.mdb", 3},
      {"a long name is taken whole", false, {longName}, longName, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    edit->SetDialogOptions(c.MultiSelect ? TOpenOptions{ofHideReadOnly, ofAllowMultiSelect}
                                         : TOpenOptions{ofHideReadOnly});
    edit->FileDialog()->Files()->Add("C:\\antes.mdb");
    probe->Drops = 0;
    HDROP drop = makeDrop(c.Dropped);
    EXPECT_EQ(0, SendMessageA(edit->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
    EXPECT_EQ(c.Text, edit->Text());
    EXPECT_EQ(c.Files, edit->FileDialog()->Files()->Count());
    EXPECT_EQ(1, probe->Drops);
  }
}

TEST_F(JvFilenameEditTest, AnInvalidDroppedNameIsReportedAndTheDropIsStillFinished) {
  edit->HandleNeeded();
  edit->SetOnDropFiles(TNotifyEvent(probe.get(), &TProbe::Dropped));
  edit->SetText("C:\\fica.mdb");
  HDROP drop = makeDrop({"C:\\a|b.mdb"});
  SendMessageA(edit->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  ASSERT_EQ(1u, boxes().Calls().size()) << "the error reaches the application";
  EXPECT_EQ(0u, boxes().Calls()[0].Text.find("Invalid file name - C:\\a|b.mdb")) << boxes().Calls()[0].Text;
  expectBoxes();
  EXPECT_EQ("C:\\fica.mdb", edit->Text());
  EXPECT_EQ(0, probe->Drops);
  EXPECT_EQ(static_cast<UINT>(GMEM_INVALID_HANDLE), GlobalFlags(drop)) << "DragFinish freed the drop";
}

TEST_F(JvFilenameEditTest, TheWindowAcceptsDroppedFilesOnlyWithAcceptFiles) {
  EXPECT_TRUE(GetWindowLongA(edit->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  edit->SetAcceptFiles(false);
  EXPECT_FALSE(GetWindowLongA(edit->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  edit->RecreateWnd();
  EXPECT_FALSE(GetWindowLongA(edit->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  edit->SetAcceptFiles(true);
  edit->RecreateWnd();
  EXPECT_TRUE(GetWindowLongA(edit->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(JvFilenameEditTest, TheShellsFileListIsInTheSuggestionsAfterEveryWindow) {
  // The shell of the test platform has the auto-complete object, the multi-list and the
  // file-system list, but no history or recent-address list.
  auto inMultiList = [&](IUnknown* List) {
    IObjMgr* manager = nullptr;
    if (!edit->ShellMultiList() || !List ||
        FAILED(edit->ShellMultiList()->QueryInterface(kIidObjMgr, reinterpret_cast<void**>(&manager))))
      return false;
    // Removing tells whether the list was there; it is put back at once.
    const bool there = manager->Remove(List) == S_OK;
    if (there) manager->Append(List);
    manager->Release();
    return there;
  };
  edit->HandleNeeded();
  ASSERT_NE(nullptr, edit->AutoCompleteObject());
  ASSERT_NE(nullptr, edit->ShellMultiList());
  ASSERT_NE(nullptr, edit->ShellFileSystemList());
  EXPECT_TRUE(inMultiList(edit->ShellFileSystemList()));
  edit->RecreateWnd();
  edit->HandleNeeded();
  ASSERT_NE(nullptr, edit->ShellFileSystemList());
  EXPECT_TRUE(inMultiList(edit->ShellFileSystemList())) << "a new window's list holds the file list too";

  edit->SetAutoCompleteFileOptions(TJvAutoCompleteFileOptions{acfURLMRU, acfURLHistory});
  EXPECT_EQ(nullptr, edit->ShellFileSystemList()) << "removed";
  EXPECT_EQ(nullptr, edit->ShellMRUList()) << "not on this system: left out";
  EXPECT_EQ(nullptr, edit->ShellHistoryList());
  edit->SetAutoCompleteFileOptions(TJvAutoCompleteFileOptions{acfFileSysDirs});
  ASSERT_NE(nullptr, edit->ShellFileSystemList());
  EXPECT_TRUE(inMultiList(edit->ShellFileSystemList()));
}

TEST_F(JvFilenameEditTest, LongAndShortFormsOfAnExistingFile) {
  writeFileBytes(dir.File("nome comprido.mdb"), "x");
  edit->SetFileName(dir.File("nome comprido.mdb"));
  EXPECT_EQ("nome comprido.mdb", edit->NameInLongForm());
  EXPECT_FALSE(edit->NameInShortForm().empty());
  EXPECT_EQ(std::string::npos, edit->NameInShortForm().find(' '));
  edit->SetFileName(dir.File("nada.mdb"));
  EXPECT_EQ("", edit->NameInLongForm());
}

TEST_F(JvFilenameEditTest, AStoredDescriptionSetsTheDialogThroughTheEdit) {
  TForm* host = own(TForm::CreateNew(nullptr));
  const std::string text =
      "object F: TForm\n"
      "  object EdArquivo: TJvFilenameEdit\n    Left = 8\n    Top = 22\n    Width = 250\n    Height = 21\n"
      "    Hint = 'Coloque aqui o arquivo'\n"
      "    Filter = 'Acess Files|*.MDB;*.mdb|Todos Arquivos|*.*'\n"
      "    DialogKind = dkSave\n    ButtonWidth = 25\n    TabOrder = 0\n"
      "    Text = 'C:\\pesquisa.mdb'\n  end\n"
      "end\n";
  readDescription(host, text);
  auto* e = dynamic_cast<TJvFilenameEdit*>(host->FindComponent("EdArquivo"));
  ASSERT_NE(nullptr, e);
  EXPECT_EQ("Acess Files|*.MDB;*.mdb|Todos Arquivos|*.*", e->Filter());
  EXPECT_EQ(dkSave, e->DialogKind());
  EXPECT_TRUE(dynamic_cast<TSaveDialog*>(e->FileDialog()) != nullptr);
  EXPECT_EQ("C:\\pesquisa.mdb", e->FileName());
  EXPECT_EQ(25, e->ButtonWidth());
  EXPECT_EQ("Coloque aqui o arquivo", e->Hint());
}
