// The library's radio group: its markers, its stored properties, the frame and caption it
// paints (which edges, line styles, hidden caption), the read-only mode that refuses item
// changes, and the per-item hints over the cells the items occupy.
#include <functional>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "lib/JvRadioGroup.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/MenusTestSupport.h"
#include "platform/gui/Themes.h"

namespace {

using guitest::hexOf;
using guitest::pixelAt;

std::string rectText(const TRect& r) {
  return "(" + IntToStr(r.left) + "," + IntToStr(r.top) + ")-(" + IntToStr(r.right) + "," + IntToStr(r.bottom) + ")";
}

class JvRadioGroupTest : public guitest::GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 320, 200);
    group = New<TJvRadioGroup>(form);
    group->SetName("Group");
    group->SetParent(form);
    group->SetBounds(20, 20, 220, 110);
  }
  TForm* form = nullptr;
  TJvRadioGroup* group = nullptr;
};

// Puts the visual style in the state a test needs (the prefix may have it either way)
// and back as it was afterwards.
class VisualStyle {
public:
  explicit VisualStyle(bool On) : was_(ThemeServices()->ThemesEnabled()) {
    ok_ = was_ == On || SwitchTestVisualStyle(On);
  }
  ~VisualStyle() {
    if (ThemeServices()->ThemesEnabled() != was_) SwitchTestVisualStyle(was_);
  }
  VisualStyle(const VisualStyle&) = delete;
  VisualStyle& operator=(const VisualStyle&) = delete;
  bool Ok() const { return ok_; }

private:
  bool was_;
  bool ok_ = false;
};

// Counts the group's item changes.
class ClickCounter : public TObject {
public:
  int clicks = 0;
  void Click(TObject*) { ++clicks; }
};

// ---------------------------------------------------------------------------------------
// Markers and stored properties.

TEST_F(JvRadioGroupTest, DeclaresBothMarkersAndAnswersTheNoSubclassingQueryWithOne) {
  group->HandleNeeded();
  EXPECT_EQ(1, group->Perform(CM_JVNOSUBCLASSING, 0, 0));
  void* extended = nullptr;
  void* noSubclassing = nullptr;
  ASSERT_TRUE(Supports(static_cast<TObject*>(group), IJvExtendedControl::IID(), &extended));
  ASSERT_TRUE(Supports(static_cast<TObject*>(group), IJvNoSubclassing::IID(), &noSubclassing));
  // Each marker reaches the other, as the control does.
  void* viaMarker = nullptr;
  EXPECT_EQ(S_OK, static_cast<IJvNoSubclassing*>(noSubclassing)->QueryInterface(IJvExtendedControl::IID(), &viaMarker));
  EXPECT_EQ(extended, viaMarker);
  // Querying the plain base class gives 0: the marker is the radio group's own.
  auto* plain = New<TJvExRadioGroup>(form);
  EXPECT_EQ(0, plain->Perform(CM_JVNOSUBCLASSING, 0, 0));
}

TEST_F(JvRadioGroupTest, StoredDescriptionSetsItsPropertiesAndDefaultsAreNotStored) {
  const std::string defaults = textFormOf(form);
  for (const char* name : {"EdgeBorders", "EdgeInner", "EdgeOuter", "CaptionVisible", "ReadOnly", "HintColor"})
    EXPECT_EQ(std::string::npos, defaults.find(name)) << "default " << name << " stored in:\n" << defaults;

  TForm* read = own(TForm::CreateNew(nullptr));
  const std::string text =
      "object Form1: TForm\n"
      "  Left = 0\n  Top = 0\n  Width = 300\n  Height = 200\n"
      "  object CxTipoParada: TJvRadioGroup\n    Left = 4\n    Top = 2\n    Width = 180\n    Height = 52\n"
      "    Caption = 'Crit\xE9rio'\n    EdgeBorders = [ebLeft, ebTop]\n    EdgeInner = esNone\n"
      "    EdgeOuter = esRaised\n    CaptionVisible = False\n    ReadOnly = True\n    HintColor = clRed\n"
      "    ItemIndex = 1\n    Items.Strings = (\n      'Quantidade de Caracteristicas'\n      'Ganho m\xEDnimo')\n"
      "    TabOrder = 0\n  end\n"
      "end\n";
  TStringStream in(text);
  TMemoryStream binary;
  ObjectTextToBinary(&in, &binary);
  binary.SetPosition(0);
  binary.ReadComponent(read);
  auto* g = dynamic_cast<TJvRadioGroup*>(read->FindComponent("CxTipoParada"));
  ASSERT_NE(nullptr, g);
  EXPECT_EQ((TEdgeBorders{ebLeft, ebTop}), g->EdgeBorders());
  EXPECT_EQ(esNone, g->EdgeInner());
  EXPECT_EQ(esRaised, g->EdgeOuter());
  EXPECT_FALSE(g->CaptionVisible());
  EXPECT_TRUE(g->ReadOnly());
  EXPECT_EQ(clRed, g->HintColor());
  EXPECT_EQ(2, g->Items()->Count());
  EXPECT_EQ(1, g->ItemIndex());
  const std::string written = textFormOf(read);
  for (const char* line : {"EdgeBorders = [ebLeft, ebTop]", "EdgeInner = esNone", "EdgeOuter = esRaised",
                           "CaptionVisible = False", "ReadOnly = True", "HintColor = clRed"})
    EXPECT_NE(std::string::npos, written.find(line)) << "missing \"" << line << "\" in:\n" << written;
}

// ---------------------------------------------------------------------------------------
// Painting.

bool isDark(uint32_t c) { return (c & 0xFF) < 96 && ((c >> 8) & 0xFF) < 96 && ((c >> 16) & 0xFF) < 96; }

uint32_t sys(int Index) { return GetSysColor(Index) & 0xFFFFFF; }

class JvRadioGroupPaintTest : public JvRadioGroupTest {
protected:
  // Shows the group with a caption (no items, so nothing covers the inside) and measures
  // the caption's band.
  void showGroup() {
    group->SetCaption("Crit\xE9rio de Parada");
    guitest::showAndActivate(form);
    TCanvas* canvas = group->Canvas();
    canvas->SetFont(group->Font());
    h = canvas->TextHeight("0");
    textRight = 8 + canvas->TextWidth(group->Caption());
    w = group->Width();
    ht = group->Height();
  }
  // The group's pixels as they show now; the whole form goes to a PNG for a person to
  // look at.
  void capture(const std::string& Name) {
    guitest::captureClient(group, shot);
    TBitmap whole;
    guitest::captureClient(form, whole);
    guitest::savePng(whole, Name);
  }
  // Dark (text) pixels in the caption's band.
  int captionPixels() {
    int n = 0;
    for (Integer y = 0; y < h; ++y)
      for (Integer x = 0; x < textRight; ++x)
        if (isDark(pixelAt(shot, x, y))) ++n;
    return n;
  }
  Integer h = 0, textRight = 0, w = 0, ht = 0;
  TBitmap shot;
};

TEST_F(JvRadioGroupPaintTest, PlainPaintDrawsTheChosenEdgesAndTheCaptionOnlyWhenVisible) {
  const VisualStyle style(false);
  ASSERT_TRUE(style.Ok()) << "the visual style could not be switched off";
  showGroup();
  const Integer top = h / 2 - 1, midY = (top + ht) / 2, midX = w / 2;
  capture("jvradiogroup-default");
  const uint32_t inside = pixelAt(shot, midX, midY);
  struct Edge {
    const char* Name;
    Integer X, Y;
  };
  const Edge outer[] = {{"left", 0, midY}, {"top", midX, top}, {"right", w - 1, midY}, {"bottom", midX, ht - 1}};
  // The outer pixel of each edge (left, top, right, bottom); 0 stands for the inside
  // colour, that is no line.
  auto expectEdges = [&](const char* step, std::initializer_list<uint32_t> colours) {
    auto c = colours.begin();
    for (const Edge& e : outer) {
      const uint32_t want = *c == 0 ? inside : *c;
      ++c;
      EXPECT_EQ(hexOf(want), hexOf(pixelAt(shot, e.X, e.Y))) << step << ": " << e.Name << " edge";
    }
  };

  // Defaults: the etched frame on all four sides, the caption over the top line.
  expectEdges("default", {sys(COLOR_BTNSHADOW), sys(COLOR_BTNSHADOW), sys(COLOR_BTNHIGHLIGHT), sys(COLOR_BTNHIGHLIGHT)});
  EXPECT_EQ(hexOf(sys(COLOR_BTNHIGHLIGHT)), hexOf(pixelAt(shot, 1, midY))) << "the etch's inner line";
  EXPECT_EQ(hexOf(sys(COLOR_BTNSHADOW)), hexOf(pixelAt(shot, w - 2, midY)));
  EXPECT_GT(captionPixels(), 10) << "the caption is drawn";

  group->SetEdgeBorders({});
  capture("jvradiogroup-no-edges");
  expectEdges("no edges", {0, 0, 0, 0});
  EXPECT_EQ(hexOf(inside), hexOf(pixelAt(shot, 1, midY)));
  EXPECT_GT(captionPixels(), 10) << "the caption stays";

  group->SetEdgeBorders({ebTop});
  capture("jvradiogroup-top-only");
  expectEdges("top only", {0, sys(COLOR_BTNSHADOW), 0, 0});

  group->SetEdgeBorders({ebLeft, ebTop, ebRight, ebBottom});
  group->SetCaptionVisible(false);
  capture("jvradiogroup-caption-hidden");
  EXPECT_EQ(0, captionPixels()) << "no caption";
  EXPECT_EQ(hexOf(sys(COLOR_BTNSHADOW)), hexOf(pixelAt(shot, 12, top))) << "the top line runs where it was";

  group->SetCaptionVisible(true);
  group->SetCaption("");
  capture("jvradiogroup-caption-empty");
  EXPECT_EQ(hexOf(sys(COLOR_BTNSHADOW)), hexOf(pixelAt(shot, 12, top))) << "an empty caption covers nothing";

  // The inner line's style and the outer line's style reach their own lines.
  group->SetEdgeInner(esLowered);
  group->SetEdgeOuter(esRaised);
  capture("jvradiogroup-bump");
  EXPECT_EQ(hexOf(sys(COLOR_3DLIGHT)), hexOf(pixelAt(shot, 0, midY))) << "outer raised: light top-left";
  EXPECT_EQ(hexOf(sys(COLOR_3DDKSHADOW)), hexOf(pixelAt(shot, 1, midY))) << "inner sunken: dark top-left";
  EXPECT_EQ(hexOf(sys(COLOR_3DDKSHADOW)), hexOf(pixelAt(shot, w - 1, midY))) << "outer raised: dark bottom-right";
  EXPECT_EQ(hexOf(sys(COLOR_3DLIGHT)), hexOf(pixelAt(shot, w - 2, midY))) << "inner sunken: light bottom-right";
}

TEST_F(JvRadioGroupPaintTest, ThemedPaintCutsAwayMissingEdgesAndHidesTheCaption) {
  const VisualStyle style(true);
  if (!style.Ok()) FAIL() << "the light visual style could not be switched on: themed drawing would go untested";
  showGroup();
  const Integer midY = (h / 2 + ht) / 2, midX = w / 2;
  capture("jvradiogroup-themed-default");
  const uint32_t inside = pixelAt(shot, midX, midY);
  // Whether a line shows within 2 pixels of an edge, scanning inwards from it.
  auto lineAt = [&](Integer x, Integer y, Integer dx, Integer dy) {
    for (int i = 0; i < 3; ++i)
      if (pixelAt(shot, x + i * dx, y + i * dy) != inside) return true;
    return false;
  };
  // Left, top, right, bottom.
  auto edges = [&] {
    return std::vector<bool>{lineAt(0, midY, 1, 0), lineAt(midX, h / 2, 0, 1), lineAt(w - 1, midY, -1, 0),
                             lineAt(midX, ht - 1, 0, -1)};
  };
  EXPECT_EQ((std::vector<bool>{true, true, true, true}), edges());
  EXPECT_GT(captionPixels(), 10) << "the caption is drawn";

  group->SetEdgeBorders({});
  capture("jvradiogroup-themed-no-edges");
  EXPECT_EQ((std::vector<bool>{false, false, false, false}), edges());

  group->SetEdgeBorders({ebTop});
  capture("jvradiogroup-themed-top-only");
  EXPECT_EQ((std::vector<bool>{false, true, false, false}), edges());

  group->SetCaptionVisible(false);
  capture("jvradiogroup-themed-caption-hidden");
  EXPECT_EQ(0, captionPixels()) << "no caption";
}

// ---------------------------------------------------------------------------------------
// Read-only.

TEST_F(JvRadioGroupTest, ReadOnlyRefusesClicksAndKeysOnTheItems) {
  ClickCounter counter;
  for (const char* item : {"Quantidade de Caracteristicas", "Ganho m\xEDnimo", "Outro"}) group->Items()->Add(item);
  group->SetItemIndex(0);
  group->SetOnClick(TNotifyEvent(&counter, &ClickCounter::Click));
  group->SetReadOnly(true);
  guitest::showAndActivate(form);
  // Each click goes to another button than the one before (two quick clicks on one
  // button make a double click, which selects nothing).
  auto clickItem = [&](Integer i) { guitest::clickAt(group->Buttons(i), Point(6, group->Buttons(i)->Height() / 2)); };

  clickItem(1);
  EXPECT_EQ(0, group->ItemIndex());
  EXPECT_TRUE(group->Buttons(0)->Checked());
  EXPECT_FALSE(group->Buttons(1)->Checked());
  group->Buttons(2)->SetFocus();
  guitest::pressKey(VK_SPACE);
  EXPECT_EQ(0, group->ItemIndex()) << "the space key is refused too";
  EXPECT_FALSE(group->Buttons(2)->Checked());
  EXPECT_EQ(0, counter.clicks) << "no item change was announced";

  group->SetReadOnly(false);
  clickItem(2);
  EXPECT_EQ(2, group->ItemIndex());
  EXPECT_TRUE(group->Buttons(2)->Checked());
  EXPECT_EQ(1, counter.clicks);
}

// ---------------------------------------------------------------------------------------
// Item hints.

// Gives each item the hint "item <index>" and records the calls.
class ItemHints : public TObject {
public:
  std::vector<Integer> asked;
  void Hint(TObject*, Integer Index, std::string& HintStr) {
    asked.push_back(Index);
    HintStr = "item " + IntToStr(Index) + " (was " + HintStr + ")";
  }
};

TEST_F(JvRadioGroupTest, ItemHintsFollowTheCellUnderTheCursor) {
  ItemHints hints;
  // Five items in two columns: three rows (items run down each column), cells of
  // 200 / 2 = 100 by 92 / 3 = 30 pixels, with two spare rows of pixels at the bottom.
  for (const char* item : {"a", "b", "c", "d", "e"}) group->Items()->Add(item);
  group->SetColumns(2);
  group->SetBounds(20, 20, 200, 92);
  group->SetHint("Crit\xE9rio|Escolha o crit\xE9rio de parada");
  group->SetHintColor(clRed);
  group->SetOnItemHint(TJvRadioGroupHintEvent(&hints, &ItemHints::Hint));
  group->HandleNeeded();
  auto screen = [&](Integer l, Integer t, Integer r, Integer b) {
    const TPoint p = group->ClientToScreen(Point(l, t));
    return Rect(p.x, p.y, p.x + r - l, p.y + b - t);
  };
  struct Case {
    TPoint Pos;
    Integer Index;  // -1: no item
    TRect Cell;     // client coordinates
  };
  const TRect whole = Rect(0, 0, 200, 92);
  const Case cases[] = {
      {Point(10, 10), 0, Rect(0, 0, 100, 30)},
      {Point(99, 89), 2, Rect(0, 60, 100, 90)},
      {Point(150, 40), 4, Rect(100, 30, 200, 60)},
      {Point(150, 70), -1, whole},  // the second column's third cell: index 5 is past the items
      {Point(10, 91), -1, whole},   // below the last row: no cell (not the next column's first)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("cursor at " + IntToStr(c.Pos.x) + "," + IntToStr(c.Pos.y));
    hints.asked.clear();
    THintInfo info;
    info.HintControl = group;
    info.HintColor = clInfoBk;
    info.CursorPos = c.Pos;
    info.HintStr = "from the application";
    EXPECT_EQ(0, group->Perform(CM_HINTSHOW, 0, &info)) << "the hint is shown";
    EXPECT_EQ(clInfoBk, info.HintColor) << "the hint colour setting does not apply here";
    const TRect want = screen(c.Cell.left, c.Cell.top, c.Cell.right, c.Cell.bottom);
    EXPECT_EQ(rectText(want), rectText(info.CursorRect));
    if (c.Index < 0) {
      EXPECT_TRUE(hints.asked.empty());
      EXPECT_EQ("Crit\xE9rio", info.HintStr) << "the control's own (short) hint";
    } else {
      EXPECT_EQ(std::vector<Integer>{c.Index}, hints.asked);
      EXPECT_EQ("item " + IntToStr(c.Index) + " (was Crit\xE9rio)", info.HintStr);
    }
  }

  // Without items the control's hint covers the whole client area.
  group->Items()->Clear();
  hints.asked.clear();
  THintInfo info;
  info.CursorPos = Point(10, 10);
  EXPECT_EQ(0, group->Perform(CM_HINTSHOW, 0, &info));
  EXPECT_TRUE(hints.asked.empty());
  EXPECT_EQ(rectText(screen(0, 0, 200, 92)), rectText(info.CursorRect));
}

}  // namespace
