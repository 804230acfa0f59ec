// The bar manager: its ownership rules, bars and item links with their recent-use ranking,
// button groups, categories, the docked toolbar window (its size, hot-tracking and click
// path with real mouse input), the Standard and Enhanced looks by pixels, and stored
// descriptions that name an unknown item class or a missing item.
#include <memory>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "app/UPrincipal.h"
#include "cx/foundation/cxClasses.h"
#include "dx/bars/dxBar.h"
#include "dx/bars/dxBarStrs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/rtl/SysUtils.h"

using namespace guitest;

namespace {

// Presses or releases the left mouse button where the mouse is.
void leftButton(bool Down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = Down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof(INPUT));
}

// Records what the manager and the items report, in order.
class Recorder : public TObject {
public:
  std::vector<std::string> log;
  TdxBarItemLink* clickLinkSeen = nullptr;
  bool pressedSeen = false;
  TdxBarItemControl* watchControl = nullptr;
  void ClickItem(TObject*, TdxBarItem* Item) { log.push_back("manager:" + Item->Name()); }
  void Execute(TObject* Sender) { log.push_back(std::string("execute:") + (Sender ? Sender->ClassName() : "")); }
  void Click(TObject* Sender) {
    auto* item = static_cast<TdxBarItem*>(Sender);
    log.push_back("click:" + item->Name());
    clickLinkSeen = item->ClickItemLink();
    if (watchControl) pressedSeen = watchControl->Pressed();
  }
};

class BarTest : public ::testing::Test {
protected:
  void SetUp() override {
    form.reset(New<TForm>(nullptr));
    form->SetBounds(40, 40, 420, 160);
    form->SetCaption("Barras");
    manager = new TdxBarManager(form.get());
    manager->SetOnClickItem(TdxBarClickItemEvent(&rec, &Recorder::ClickItem));
  }
  void TearDown() override { form.reset(); }

  TdxBarButton* button(const std::string& Name, const std::string& Caption) {
    auto* b = new TdxBarButton(form.get());
    b->SetName(Name);
    b->SetCaption(Caption);
    b->SetCategory(0);
    b->SetOnClick(TNotifyEvent(&rec, &Recorder::Click));
    return b;
  }
  TdxBar* dockedBar(std::initializer_list<TdxBarItem*> Items) {
    TdxBar* bar = manager->Bars()->Add();
    bar->SetCaption("Principal");
    bar->SetDockingStyle(dsTop);
    for (TdxBarItem* item : Items) bar->ItemLinks()->Add()->SetItem(item);
    return bar;
  }
  std::vector<std::string> shownNames(TdxBarItemLinks* Links) {
    std::vector<std::string> names;
    for (TdxBarItemLink* link : Links->ShownLinks()) names.push_back(link->Item()->Name());
    return names;
  }
  Integer textWidth(const std::string& Text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, manager->FontHandle());
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, Text.c_str(), static_cast<int>(Text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
  }
  // A 16 x 16 glyph: a square of Inner (4..11) on fuchsia, its transparent colour.
  static std::unique_ptr<TBitmap> squareGlyph(TColor Inner) {
    auto glyph = std::make_unique<TBitmap>();
    glyph->SetWidth(16);
    glyph->SetHeight(16);
    glyph->Canvas()->Brush()->SetColor(clFuchsia);
    glyph->Canvas()->FillRect(Rect(0, 0, 16, 16));
    glyph->Canvas()->Brush()->SetColor(Inner);
    glyph->Canvas()->FillRect(Rect(4, 4, 12, 12));
    return glyph;
  }
  // The centre of a link's control in the toolbar's client area.
  TPoint centreOf(TdxBarItemLink* Link) {
    const TRect& r = Link->ItemRect();
    return Point((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }

  Recorder rec;
  std::unique_ptr<TForm> form;
  TdxBarManager* manager = nullptr;
};

// --- Manager.

TEST(BarManagerOwnership, OnlyAFormMayOwnAManagerAndOnlyOne) {
  std::unique_ptr<TComponent> notAForm(new TComponent(nullptr));
  try {
    std::unique_ptr<TdxBarManager> m(new TdxBarManager(notAForm.get()));
    FAIL() << "a manager owned by a plain component must be refused";
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), "TdxBarManager should have as its Owner - TForm (TCustomForm)");
  }
  EXPECT_EQ(notAForm->ComponentCount(), 0) << "the refused manager must not stay with its owner";

  std::unique_ptr<TForm> form(New<TForm>(nullptr));
  Integer before = dxBarManagerList()->Count();
  auto* first = new TdxBarManager(form.get());
  try {
    new TdxBarManager(form.get());
    FAIL() << "a second manager on one form must be refused";
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), "A Form should contain only a single TdxBarManager");
  }
  // The texts come from the string table through the overridable lookup.
  cxSetResourceString(&dxSBAR_BARMANAGERMORETHANONE, "Um gerenciador por janela");
  try {
    new TdxBarManager(form.get());
    FAIL() << "still refused";
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), "Um gerenciador por janela");
  }
  cxSetResourceString(&dxSBAR_BARMANAGERMORETHANONE, "A Form should contain only a single TdxBarManager");
  EXPECT_EQ(dxBarManagerList()->Count(), before + 1);
  EXPECT_EQ(dxBarManagerList()->ManagerOf(form.get()), first) << "the first manager keeps serving its form";
  EXPECT_EQ(first->Categories()->Text(), "Default\r\n");
  form.reset();
  EXPECT_EQ(dxBarManagerList()->Count(), before) << "a freed manager leaves the list";
}

TEST_F(BarTest, RecentUseThresholdFollowsThePercentage) {
  struct Case {
    Integer percents;
    Byte stored;
    Integer threshold;
  };
  for (const Case& c : {Case{95, 95, 20}, Case{0, 0, 1}, Case{99, 99, 100}, Case{100, 100, 0}, Case{250, 100, 0}}) {
    manager->SetMostRecentItemsPercents(static_cast<Byte>(std::min(c.percents, 255)));
    EXPECT_EQ(manager->MostRecentItemsPercents(), c.stored) << c.percents << "%";
    EXPECT_EQ(manager->RecentUseThreshold(), c.threshold) << c.percents << "%";
  }
}

TEST_F(BarTest, ItemsJoinTheFormsManagerAndLeaveItWhenFreed) {
  TdxBarButton* a = button("A", "Um");
  TdxBarButton* b = button("B", "Dois");
  EXPECT_EQ(a->BarManager(), manager);
  EXPECT_EQ(manager->ItemCount(), 2);
  EXPECT_EQ(manager->ItemByName("b"), b) << "names are found without regard to case";
  TdxBar* bar = dockedBar({a, b});
  delete a;
  EXPECT_EQ(manager->ItemCount(), 1);
  ASSERT_EQ(bar->ItemLinks()->Count(), 1) << "a freed item takes its links with it";
  EXPECT_EQ(bar->ItemLinks()->Items(0)->Item(), b);
}

// --- Links and recent use.

TEST_F(BarTest, LinksAreAddedMovedAndRemovedInTheShownLists) {
  TdxBarButton* a = button("A", "Um");
  TdxBarButton* b = button("B", "Dois");
  TdxBarButton* c = button("C", "Três");
  TdxBar* bar = dockedBar({a, b, c});
  TdxBarItemLinks* links = bar->ItemLinks();
  EXPECT_EQ(shownNames(links), (std::vector<std::string>{"A", "B", "C"}));
  links->Items(2)->SetIndex(0);
  EXPECT_EQ(shownNames(links), (std::vector<std::string>{"C", "A", "B"}));
  links->Items(1)->SetVisible(false);
  EXPECT_EQ(shownNames(links), (std::vector<std::string>{"C", "B"}));
  EXPECT_EQ(links->AvailableCount(), 3) << "a hidden link stays available";
  delete links->Items(2);
  EXPECT_EQ(shownNames(links), (std::vector<std::string>{"C"}));
  links->Items(0)->SetItem(nullptr);
  ASSERT_EQ(links->Count(), 1) << "a link that loses its item is freed";
  EXPECT_EQ(links->Items(0)->Item(), a);
  EXPECT_EQ(c->LinkCount(), 0);
  a->SetVisible(ivNever);
  EXPECT_EQ(shownNames(links), (std::vector<std::string>{}));
  EXPECT_EQ(links->AvailableCount(), 0) << "an item visible never is not available";
}

TEST_F(BarTest, NewLinksStartAtTheThresholdAndUnusedOnesGoLast) {
  TdxBarButton* a = button("A", "Um");
  TdxBarButton* b = button("B", "Dois");
  TdxBar* bar = dockedBar({a, b});
  TdxBarItemLink* la = bar->ItemLinks()->Items(0);
  TdxBarItemLink* lb = bar->ItemLinks()->Items(1);
  EXPECT_EQ(la->UseCount(), 20);
  la->SetMostRecentlyUsed(false);
  EXPECT_EQ(la->UseCount(), 0);
  EXPECT_EQ(la->RecentIndex(), 1) << "a link not most recently used sits at the end";
  lb->UseLink(1);
  EXPECT_EQ(lb->UseCount(), 21);
  EXPECT_EQ(lb->RecentIndex(), 0);
}

TEST_F(BarTest, RecentCountShowsTheMostUsedLinksInBarOrder) {
  TdxBarButton* a = button("A", "Um");
  TdxBarButton* b = button("B", "Dois");
  TdxBarButton* c = button("C", "Três");
  TdxBar* bar = dockedBar({a, b, c});
  TdxBarItemLinks* links = bar->ItemLinks();
  EXPECT_EQ(links->CalcRecentCount(), -1) << "equal use counts show everything";
  for (int i = 0; i < 40; ++i) links->Items(2)->UseLink(1);
  for (int i = 0; i < 40; ++i) links->Items(0)->UseLink(1);
  Integer count = links->CalcRecentCount();
  EXPECT_EQ(count, 2) << "the two links used far more than the third";
  links->SetRecentCount(count);
  EXPECT_EQ(shownNames(links), (std::vector<std::string>{"A", "C"})) << "shown in bar order, not use order";
  links->RestoreRecentCount();
  EXPECT_EQ(shownNames(links).size(), 3u);
  manager->SetStyle(bmsStandard);
  EXPECT_EQ(links->CalcRecentCount(), -1) << "the Standard look never hides rarely used links";
}

TEST_F(BarTest, SeparatorOfAHiddenLinkMovesToTheNextShownLink) {
  TdxBarButton* a = button("A", "Um");
  TdxBarButton* b = button("B", "Dois");
  TdxBarButton* c = button("C", "Três");
  TdxBar* bar = dockedBar({a, b, c});
  TdxBarItemLinks* links = bar->ItemLinks();
  links->Items(0)->SetBeginGroup(true);
  links->Items(1)->SetBeginGroup(true);
  EXPECT_FALSE(links->Items(0)->BeginGroup()) << "the first shown link never begins a group";
  EXPECT_TRUE(links->Items(1)->BeginGroup());
  EXPECT_FALSE(links->Items(2)->BeginGroup());
  links->Items(1)->SetVisible(false);
  EXPECT_TRUE(links->Items(2)->BeginGroup()) << "the hidden link's separator moves on";
  links->Items(0)->SetVisible(false);
  links->Items(1)->SetVisible(true);
  EXPECT_FALSE(links->Items(1)->BeginGroup()) << "now first shown";
}

TEST_F(BarTest, LinkOverridesAndTheirLimits) {
  TdxBarButton* a = button("A", "Um");
  TdxBar* bar = dockedBar({a});
  TdxBarItemLink* link = bar->ItemLinks()->Items(0);
  link->SetUserWidth(5);
  EXPECT_EQ(link->UserWidth(), 20);
  EXPECT_EQ(link->Caption(), "Um");
  link->SetUserCaption("Outro");
  EXPECT_EQ(link->Caption(), "Outro");
  a->SetCaption("Novo");
  EXPECT_EQ(link->Caption(), "Outro") << "a user caption wins over the item's";
  link->SetUserDefine(TdxBarUserDefines{udWidth});
  EXPECT_EQ(link->Caption(), "Novo") << "dropping the flag drops the user caption";
  EXPECT_EQ(link->UserCaption(), "");
}

TEST_F(BarTest, ASubItemCannotContainItself) {
  auto* outer = new TdxBarSubItem(form.get());
  auto* inner = new TdxBarSubItem(form.get());
  inner->ItemLinks()->Add()->SetItem(outer);
  TdxBarItemLink* self = outer->ItemLinks()->Add();
  EXPECT_THROW(self->SetItem(outer), Exception);
  EXPECT_EQ(self->Item(), nullptr);
  TdxBarItemLink* loop = outer->ItemLinks()->Add();
  try {
    loop->SetItem(inner);
    FAIL() << "a sub-item holding its own holder must be refused";
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), "You cannot create recursive subitems");
  }
  EXPECT_EQ(loop->Item(), nullptr);
}

// --- Button items.

TEST_F(BarTest, CheckedButtonsOfAGroupKeepOneDown) {
  TdxBarButton* b[3];
  for (int i = 0; i < 3; ++i) {
    b[i] = button("G" + IntToStr(i), "G");
    b[i]->SetButtonStyle(bsChecked);
    b[i]->SetGroupIndex(1);
  }
  b[0]->SetDown(true);
  b[1]->SetDown(true);
  EXPECT_FALSE(b[0]->Down()) << "pressing the second releases the first";
  EXPECT_TRUE(b[1]->Down());
  b[1]->SetDown(false);
  EXPECT_TRUE(b[1]->Down()) << "the last one down cannot be released without AllowAllUp";
  b[2]->SetAllowAllUp(true);
  EXPECT_TRUE(b[0]->AllowAllUp()) << "AllowAllUp is shared by the group";
  b[1]->SetDown(false);
  EXPECT_FALSE(b[1]->Down());

  TdxBarButton* plain = button("P", "P");
  plain->SetDown(true);
  EXPECT_FALSE(plain->Down()) << "only a checked button can be down";
  plain->SetGroupIndex(3);
  EXPECT_EQ(plain->GroupIndex(), 0);
  b[0]->SetDown(true);
  b[0]->SetButtonStyle(bsDefault);
  EXPECT_FALSE(b[0]->Down()) << "changing the style releases the button";
}

TEST_F(BarTest, ShortcutClickOfACheckedButtonTogglesBeforeOnClick) {
  TdxBarButton* b = button("T", "T");
  b->SetButtonStyle(bsChecked);
  bool downInHandler = false;
  struct Probe : TObject {
    bool* seen;
    void Click(TObject* Sender) { *seen = static_cast<TdxBarButton*>(Sender)->Down(); }
  } probe;
  probe.seen = &downInHandler;
  b->SetOnClick(TNotifyEvent(&probe, &Probe::Click));
  b->DirectClick();
  EXPECT_TRUE(downInHandler);
}

// --- Categories.

TEST_F(BarTest, CategoryChangesRenumberTheItems) {
  TStrings* cats = manager->Categories();
  cats->Add("Um");
  cats->Add("Dois");
  TdxBarButton* i0 = button("I0", "x");
  TdxBarButton* i1 = button("I1", "x");
  TdxBarButton* i2 = button("I2", "x");
  i1->SetCategory(1);
  i2->SetCategory(2);
  cats->Move(0, 2);
  EXPECT_EQ((std::vector<Integer>{i0->Category(), i1->Category(), i2->Category()}), (std::vector<Integer>{2, 0, 1}));
  EXPECT_EQ(cats->Strings(2), "Default");
  cats->Insert(1, "Novo");
  EXPECT_EQ((std::vector<Integer>{i0->Category(), i1->Category(), i2->Category()}), (std::vector<Integer>{3, 0, 2}));
  cats->Exchange(0, 3);
  EXPECT_EQ((std::vector<Integer>{i0->Category(), i1->Category()}), (std::vector<Integer>{0, 3}));
  i0->SetCategory(9);
  EXPECT_EQ(i0->Category(), 0) << "an index outside the categories is ignored";

  std::unique_ptr<TForm> other(New<TForm>(nullptr));
  auto* m = new TdxBarManager(other.get());
  auto* only = new TdxBarButton(other.get());
  only->SetCategory(0);
  m->Categories()->Delete(0);
  EXPECT_EQ(m->ItemCount(), 0) << "deleting a category deletes its items";
  EXPECT_EQ(m->Categories()->Text(), "Default\r\n") << "an emptied list gets its default category back";
  EXPECT_EQ(other->FindComponent(""), nullptr);
}

TEST_F(BarTest, HidingACategoryHidesTheItemsThatShareItsState) {
  manager->Categories()->Add("Outros");
  TdxBarButton* a = button("A", "Um");
  TdxBarButton* b = button("B", "Dois");
  TdxBarButton* apart = button("C", "Três");
  TdxBarButton* other = button("D", "Quatro");
  other->SetCategory(1);
  apart->SetVisible(ivInCustomizing);
  TdxBar* bar = dockedBar({a, b, apart, other});
  EXPECT_EQ(shownNames(bar->ItemLinks()), (std::vector<std::string>{"A", "B", "D"}));
  manager->SetCategoryItemsVisible(0, ivNever);
  EXPECT_EQ(shownNames(bar->ItemLinks()), (std::vector<std::string>{"D"}));
  EXPECT_EQ(apart->Visible(), ivInCustomizing) << "an item with its own state is left alone";
  manager->SetCategoryItemsVisible(0, ivAlways);
  EXPECT_EQ(shownNames(bar->ItemLinks()), (std::vector<std::string>{"A", "B", "D"}));
  EXPECT_EQ(manager->GetCategoryItemsVisible(1), ivAlways) << "a category without a record";
  manager->SetCategoryVisible(0, false);
  EXPECT_EQ(manager->GetVisibleCategoryIndex(0), 1);
  EXPECT_EQ(manager->GetVisibleCategoryIndex(1), -1);
}

// A font set by hand ends the use of the system font; with Scaled its height still
// follows the system's menu font, and the drawing handle takes the icon-title height.
TEST_F(BarTest, AFontSetByHandEndsTheSystemFontAndScaledKeepsTheSystemHeight) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  LOGFONTA title{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof(title), &title, 0));
  auto handleHeight = [&] {
    LOGFONTA lf{};
    GetObjectA(manager->FontHandle(), sizeof(lf), &lf);
    return lf.lfHeight;
  };
  EXPECT_TRUE(manager->UseSystemFont());
  EXPECT_TRUE(manager->Scaled());
  EXPECT_EQ(manager->Font()->Name(), std::string(metrics.lfMenuFont.lfFaceName));
  EXPECT_EQ(handleHeight(), title.lfHeight >= -10 ? -11 : title.lfHeight);

  manager->Font()->SetName("Arial");
  manager->Font()->SetHeight(-20);
  EXPECT_FALSE(manager->UseSystemFont()) << "a font set by hand";
  EXPECT_EQ(manager->Font()->Height(), metrics.lfMenuFont.lfHeight) << "scaled: the system's height";
  manager->UpdateFontFromSystem();
  EXPECT_EQ(manager->Font()->Name(), "Arial") << "a system change leaves the font's face alone";

  manager->SetScaled(false);
  manager->Font()->SetHeight(-20);
  EXPECT_EQ(manager->Font()->Height(), -20);
  EXPECT_EQ(handleHeight(), -20) << "not scaled: the handle copies the font";
}

// With Style bmsUseLookAndFeel the look-and-feel decides: its kind maps standard to the
// Standard look and flat to Enhanced; the native style needs usable themes, else the kind
// decides. Looks this unit does not draw (flat, themed) fall back to Enhanced.
TEST_F(BarTest, TheLookAndFeelDecidesTheLookWhenAsked) {
  struct Case {
    TcxLookAndFeelKind kind;
    bool native;
    TdxBarManagerStyle effective;
    const char* painter;
    Integer dragMark;
  };
  manager->SetStyle(bmsUseLookAndFeel);
  bool themes = manager->ThemesUsable();
  for (const Case& c : {Case{lfStandard, false, bmsStandard, "Standard", 9}, Case{lfFlat, false, bmsEnhanced, "Enhanced", 6},
                        Case{lfUltraFlat, false, bmsFlat, "Enhanced", 6},
                        Case{lfStandard, true, themes ? bmsXP : bmsStandard, themes ? "Enhanced" : "Standard", themes ? 6 : 9}}) {
    manager->LookAndFeel()->SetKind(c.kind);
    manager->LookAndFeel()->SetNativeStyle(c.native);
    EXPECT_EQ(manager->GetEffectiveStyle(), c.effective) << c.kind << (c.native ? " native" : "");
    EXPECT_STREQ(manager->PainterClass()->Name(), c.painter) << c.kind;
    EXPECT_EQ(manager->DragMarkSize(), c.dragMark) << c.kind;
  }
  manager->SetStyle(bmsStandard);
  manager->LookAndFeel()->SetKind(lfFlat);
  EXPECT_EQ(manager->GetEffectiveStyle(), bmsStandard) << "an explicit style ignores the look-and-feel";
}

// --- The toolbar window.

class ToolbarTest : public BarTest {
protected:
  void SetUp() override {
    BarTest::SetUp();
    gera = button("Gera", "Gerar estrato");
    salva = button("Salva", "Salvar Configuração");
    bar = dockedBar({gera, salva});
    bar->SetVisible(true);
    showAndActivate(form.get());
    pumpFor(100);
  }
  TdxBarControl* window() { return bar->Control(); }
  TdxBarItemLink* link(Integer i) { return bar->ItemLinks()->Items(i); }
  TPoint screenCentre(Integer i) {
    TPoint p = centreOf(link(i));
    ClientToScreen(window()->Handle(), &p);
    return p;
  }

  TdxBarButton* gera = nullptr;
  TdxBarButton* salva = nullptr;
  TdxBar* bar = nullptr;
};

TEST_F(ToolbarTest, TheToolbarIsSizedFromItsItems) {
  ASSERT_NE(window(), nullptr);
  TdxBarItemControl* c0 = link(0)->Control();
  TdxBarItemControl* c1 = link(1)->Control();
  ASSERT_TRUE(c0 && c1);
  // Frame and grip around the links, and the mark the Enhanced look keeps at the end.
  Integer border = 2 + 2, grip = manager->DragMarkSize(), mark = TdxBarControl::MarkSize;
  EXPECT_TRUE(window()->HasMark());
  EXPECT_EQ(window()->Width(), border + grip + c0->GetWidth() + c1->GetWidth() + mark);
  EXPECT_EQ(window()->Height(), border + std::max(c0->GetHeight(), c1->GetHeight()));
  EXPECT_EQ(window()->Height(), 26) << "Tahoma-sized captions fit the 22-pixel glyph height";
  EXPECT_EQ(manager->BuiltInDockControl(dsTop)->Height(), window()->Height());
  EXPECT_EQ(window()->ClientWidth(), window()->Width() - border - grip) << "frame and grip are non-client";
  EXPECT_EQ(link(0)->ItemRect().left, 0);
  EXPECT_EQ(link(1)->ItemRect().left, link(0)->ItemRect().right);

  // Without an image a button shows its caption: caption width plus the font's point size.
  EXPECT_EQ(c0->GetWidth(), textWidth("Gerar estrato") + manager->Font()->Size());

  Integer before = window()->Width();
  link(1)->SetBeginGroup(true);
  EXPECT_EQ(window()->Width(), before + 6) << "a group separator takes its room";
  salva->SetVisible(ivNever);
  EXPECT_EQ(link(1)->Control(), nullptr) << "a hidden item has no view";
  EXPECT_EQ(window()->Width(), border + grip + c0->GetWidth() + mark);
  salva->SetVisible(ivAlways);
  salva->SetEnabled(false);
  EXPECT_EQ(window()->Width(), before + 6) << "a disabled item keeps its place";
  bar->SetAllowQuickCustomizing(false);
  EXPECT_FALSE(window()->HasMark()) << "without quick customization and with every link shown, no mark";
  EXPECT_EQ(window()->Width(), before + 6 - mark);
  bar->SetBorderStyle(bbsNone);
  pumpFor(50);
  EXPECT_EQ(window()->Width(), before + 6 - mark - border - grip) << "no frame, no grip";
  EXPECT_EQ(window()->ClientWidth(), window()->Width()) << "the whole window is client area";
  EXPECT_EQ(window()->ClientHeight(), window()->Height());
  char text[64] = {};
  GetWindowTextA(window()->Handle(), text, sizeof(text));
  EXPECT_STREQ(text, "Principal") << "the window's text is the bar's caption";
  bar->SetCaption("Barra");
  GetWindowTextA(window()->Handle(), text, sizeof(text));
  EXPECT_STREQ(text, "Barra");
}

TEST_F(ToolbarTest, AClickRunsTheManagerThenTheItemWithThePressedLook) {
  link(0)->Control();
  rec.watchControl = link(0)->Control();
  Integer uses = link(0)->UseCount();
  clickAt(window(), centreOf(link(0)));
  pumpUntil([&] { return !rec.log.empty(); });
  EXPECT_EQ(rec.log, (std::vector<std::string>{"manager:Gera", "click:Gera"}));
  EXPECT_EQ(rec.clickLinkSeen, link(0)) << "the handler can ask which placement was clicked";
  EXPECT_EQ(gera->ClickItemLink(), nullptr) << "cleared after the click";
  EXPECT_TRUE(rec.pressedSeen) << "a toolbar button shows pressed while its handler runs";
  EXPECT_FALSE(link(0)->Control()->Pressed()) << "and not afterwards";
  EXPECT_EQ(link(0)->UseCount(), uses + 1);
}

TEST_F(ToolbarTest, ADisabledOrReleasedElsewhereButtonDoesNotClick) {
  salva->SetEnabled(false);
  clickAt(window(), centreOf(link(1)));
  pumpFor(100);
  EXPECT_TRUE(rec.log.empty()) << "a disabled item never reaches its handler";

  // Pressed on one button, released on the other: no click.
  moveMouseTo(screenCentre(0));
  leftButton(true);
  pumpFor(50);
  EXPECT_EQ(window()->PressedControl(), link(0)->Control());
  moveMouseTo(screenCentre(1));
  leftButton(false);
  pumpFor(100);
  EXPECT_TRUE(rec.log.empty()) << "a release away from the pressed button is no click";
  EXPECT_EQ(window()->PressedControl(), nullptr);
}

TEST_F(ToolbarTest, HandlerThatHidesTheBarOrRaisesLeavesThingsSound) {
  struct Closer : TObject {
    TdxBar* bar;
    void Click(TObject*) { bar->SetVisible(false); }
  } closer;
  closer.bar = bar;
  gera->SetOnClick(TNotifyEvent(&closer, &Closer::Click));
  clickAt(window(), centreOf(link(0)));
  pumpUntil([&] { return bar->Control() == nullptr; });
  pumpFor(100);
  EXPECT_EQ(bar->Control(), nullptr) << "the window went with the handler, without a fault";
  EXPECT_EQ(manager->BuiltInDockControl(dsTop)->Height(), 0);

  bar->SetVisible(true);
  pumpFor(50);
  struct Raiser : TObject {
    void Click(TObject*) { throw Exception("falhou"); }
  } raiser;
  salva->SetOnClick(TNotifyEvent(&raiser, &Raiser::Click));
  MessageBoxLog boxes;
  clickAt(window(), centreOf(link(1)));
  pumpUntil([&] { return !boxes.Calls().empty(); });
  ASSERT_EQ(boxes.Calls().size(), 1u) << "the exception goes to the application's handler";
  EXPECT_NE(boxes.Calls()[0].Text.find("falhou"), std::string::npos);
  EXPECT_FALSE(link(1)->Control()->Pressed()) << "the pressed look is removed after the exception";
}

// A handler may free the clicked item or hide it (which frees its view while the bar
// lives on): the click path then touches neither the item nor the view again.
TEST_F(ToolbarTest, HandlerThatFreesOrHidesItsItemIsSafe) {
  struct Remover : TObject {
    bool hide = false;
    void Click(TObject* Sender) {
      auto* item = static_cast<TdxBarItem*>(Sender);
      if (hide) item->SetVisible(ivNever);
      else delete item;
    }
  };
  for (bool hide : {true, false}) {
    Remover remover;
    remover.hide = hide;
    gera->SetOnClick(TNotifyEvent(&remover, &Remover::Click));
    clickAt(window(), centreOf(link(0)));
    pumpUntil([&] { return bar->ItemLinks()->ShownLinks().size() == 1; });
    pumpFor(50);
    ASSERT_NE(window(), nullptr) << (hide ? "hidden" : "freed") << ": the bar stays";
    ASSERT_EQ(bar->ItemLinks()->ShownLinks().size(), 1u);
    EXPECT_EQ(bar->ItemLinks()->ShownLinks()[0]->Item(), salva);
    EXPECT_FALSE(bar->ItemLinks()->ShownLinks()[0]->Control()->Pressed());
    if (hide) {
      EXPECT_EQ(gera->ClickItemLink(), nullptr);
      gera->SetVisible(ivAlways);
      pumpFor(50);
      ASSERT_EQ(bar->ItemLinks()->ShownLinks().size(), 2u) << "shown again";
    }
  }
  EXPECT_EQ(manager->ItemByName("Gera"), nullptr);
}

// Hot-tracking by pixels: a hot button gets a raised frame (highlight at its top-left),
// which goes when the mouse leaves.
TEST_F(ToolbarTest, TheButtonUnderTheMouseIsHotTracked) {
  TBitmap shot;
  TRect r = link(0)->ItemRect();
  uint32_t highlight = GetSysColor(COLOR_BTNHIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  moveMouseTo(Point(5, 600));
  pumpUntil([&] { return window()->SelectedControl() == nullptr; });
  pumpFor(50);
  captureClient(window(), shot);
  EXPECT_EQ(hexOf(pixelAt(shot, r.left, r.top + 3)), hexOf(face)) << "not hot: no frame";
  moveMouseTo(screenCentre(0));
  pumpUntil([&] { return window()->SelectedControl() == link(0)->Control(); });
  pumpFor(50);
  captureClient(window(), shot);
  savePng(shot, "toolbar-hot");
  EXPECT_EQ(hexOf(pixelAt(shot, r.left, r.top + 3)), hexOf(highlight)) << "hot: raised frame";
  EXPECT_EQ(hexOf(pixelAt(shot, r.right - 1, r.top + 3)), hexOf(GetSysColor(COLOR_BTNSHADOW)));
  moveMouseTo(Point(5, 600));
  pumpUntil([&] { return window()->SelectedControl() == nullptr; });
  pumpFor(50);
  captureClient(window(), shot);
  EXPECT_EQ(hexOf(pixelAt(shot, r.left, r.top + 3)), hexOf(face)) << "the frame goes with the mouse";

  salva->SetEnabled(false);
  moveMouseTo(screenCentre(1));
  pumpFor(100);
  captureClient(window(), shot);
  TRect r1 = link(1)->ItemRect();
  EXPECT_EQ(hexOf(pixelAt(shot, r1.left, r1.top + 3)), hexOf(face)) << "a disabled button is not hot-tracked";
}

// The two looks differ in the grip: two bars of 3 pixels after a 2-pixel offset (Standard)
// or one after 1 (Enhanced). Frame and grip lie in the non-client area: the client area,
// where the links start, begins after them, and a click on the grip is harmless.
TEST_F(ToolbarTest, StandardAndEnhancedLooksDrawTheirGripsOutsideTheClientArea) {
  struct Case {
    TdxBarManagerStyle style;
    const char* name;
    Integer markSize;
    std::vector<Integer> highlightColumns;  // the grip bars' left edges, inside the 2-pixel frame
  };
  uint32_t highlight = GetSysColor(COLOR_BTNHIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  for (const Case& c : {Case{bmsStandard, "standard", 9, {4, 7}}, Case{bmsEnhanced, "enhanced", 6, {3}}}) {
    manager->SetStyle(c.style);
    moveMouseTo(Point(5, 600));
    pumpUntil([&] { return window()->SelectedControl() == nullptr; });
    pumpFor(50);
    TBitmap shot;
    captureWindow(window()->Handle(), shot);
    savePng(shot, std::string("toolbar-") + c.name);
    EXPECT_EQ(manager->DragMarkSize(), c.markSize) << c.name;
    RECT windowRect;
    GetWindowRect(window()->Handle(), &windowRect);
    TPoint clientOrigin = Point(0, 0);
    ClientToScreen(window()->Handle(), &clientOrigin);
    EXPECT_EQ(clientOrigin.x - windowRect.left, 2 + c.markSize) << c.name << ": the client area starts after the grip";
    EXPECT_EQ(clientOrigin.y - windowRect.top, 2) << c.name;
    EXPECT_EQ(window()->ClientHeight(), window()->Height() - 4) << c.name;
    EXPECT_EQ(link(0)->ItemRect().left, 0) << c.name;
    Integer midY = window()->Height() / 2;
    for (Integer x : c.highlightColumns)
      EXPECT_EQ(hexOf(pixelAt(shot, x, midY)), hexOf(highlight)) << c.name << " grip at x=" << x;
    EXPECT_EQ(hexOf(pixelAt(shot, 0, midY)), hexOf(highlight)) << c.name << ": raised frame";
    Integer between = c.style == bmsStandard ? 10 : 7;  // just past the last grip bar
    EXPECT_EQ(hexOf(pixelAt(shot, between, midY)), hexOf(face)) << c.name;
    // The caption is drawn in the button text colour somewhere inside the first button.
    TRect r = link(0)->ItemRect();
    Integer ox = 2 + c.markSize, oy = 2;
    bool text = false;
    for (Integer x = r.left; x < r.right && !text; ++x)
      for (Integer y = r.top; y < r.bottom && !text; ++y)
        text = pixelAt(shot, ox + x, oy + y) == GetSysColor(COLOR_BTNTEXT);
    EXPECT_TRUE(text) << c.name << ": the caption is drawn";
    // The grip answers as client area (it is where a bar is taken to be dragged), and a
    // press there selects and clicks nothing.
    TPoint grip = Point(windowRect.left + 4, windowRect.top + midY);
    EXPECT_EQ(SendMessageA(window()->Handle(), WM_NCHITTEST, 0, MAKELPARAM(grip.x, grip.y)), HTCLIENT) << c.name;
    moveMouseTo(grip);
    clickAt(window(), Point(-3, midY - 2));
    pumpFor(50);
    EXPECT_TRUE(rec.log.empty()) << c.name;
    EXPECT_EQ(window()->PressedControl(), nullptr) << c.name;
  }
}

TEST_F(ToolbarTest, AGlyphIsDrawnAndGreyedWhenDisabled) {
  std::unique_ptr<TBitmap> glyph = squareGlyph(clRed);
  gera->SetPaintStyle(psCaptionGlyph);
  gera->SetGlyph(glyph.get());
  pumpFor(100);
  TRect r = link(0)->ItemRect();
  Integer gx = r.left + (manager->ButtonGlyphWidth() - 16) / 2, gy = r.top + (r.bottom - r.top - 16) / 2;
  TBitmap shot;
  captureClient(window(), shot);
  savePng(shot, "toolbar-glyph");
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 8, gy + 8)), hexOf(0x0000FF)) << "the glyph's red square";
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 1, gy + 1)), hexOf(GetSysColor(COLOR_BTNFACE))) << "fuchsia is transparent";
  EXPECT_EQ(link(0)->Control()->GetWidth(), textWidth("Gerar estrato") + manager->ButtonGlyphWidth() + 4)
      << "caption and glyph side by side";
  gera->SetEnabled(false);
  pumpFor(100);
  captureClient(window(), shot);
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 8, gy + 8)), hexOf(GetSysColor(COLOR_BTNSHADOW))) << "greyed when disabled";
}

// Down, hot and pressed looks of a checked button with a glyph in the Standard look: a
// down button sits on the dither pattern inside a sunken edge with its glyph one pixel
// right and down; a hot one gets a raised edge; held down under the mouse, a sunken edge
// and the glyph moved again.
TEST_F(ToolbarTest, GlyphButtonsShowDownHotAndPressedLooks) {
  manager->SetStyle(bmsStandard);
  std::unique_ptr<TBitmap> glyph = squareGlyph(clRed);
  gera->SetGlyph(glyph.get());
  gera->SetButtonStyle(bsChecked);
  pumpFor(50);
  TRect r = link(0)->ItemRect();
  ASSERT_EQ(r.right - r.left, manager->ButtonGlyphWidth()) << "a glyph button is one glyph square wide";
  Integer gx = r.left + (r.right - r.left - 16) / 2, gy = r.top + (r.bottom - r.top - 16) / 2;
  uint32_t face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT);
  uint32_t shadow = GetSysColor(COLOR_BTNSHADOW), red = 0x0000FF;
  TBitmap shot;
  auto away = [&] {
    moveMouseTo(Point(5, 600));
    pumpUntil([&] { return window()->SelectedControl() == nullptr; });
    pumpFor(50);
  };

  away();
  captureClient(window(), shot);
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 4, gy + 4)), hexOf(red)) << "normal: the glyph in its place";
  EXPECT_EQ(hexOf(pixelAt(shot, r.left, r.top)), hexOf(face)) << "normal: no edge";

  gera->SetDown(true);
  pumpFor(50);
  captureClient(window(), shot);
  savePng(shot, "toolbar-down");
  EXPECT_EQ(hexOf(pixelAt(shot, r.left, r.top + 3)), hexOf(shadow)) << "down: sunken edge";
  EXPECT_NE(hexOf(pixelAt(shot, gx + 4, gy + 4)), hexOf(red)) << "down: no glyph at its normal corner";
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 5, gy + 5)), hexOf(red)) << "down: the glyph one pixel right and down";
  // The dither: neighbouring face pixels outside the glyph alternate highlight and face.
  uint32_t d0 = pixelAt(shot, r.left + 2, r.top + 2), d1 = pixelAt(shot, r.left + 3, r.top + 2);
  EXPECT_NE(d0, d1) << "down: the face is a checkerboard";
  EXPECT_TRUE((d0 == light && d1 == face) || (d0 == face && d1 == light)) << hexOf(d0) << " " << hexOf(d1);
  gera->SetDown(false);

  moveMouseTo(screenCentre(0));
  pumpUntil([&] { return window()->SelectedControl() == link(0)->Control(); });
  pumpFor(50);
  captureClient(window(), shot);
  EXPECT_EQ(hexOf(pixelAt(shot, r.left, r.top + 3)), hexOf(light)) << "hot: raised edge";
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 4, gy + 4)), hexOf(red)) << "hot: the glyph stays";

  leftButton(true);
  pumpUntil([&] { return window()->PressedControl() != nullptr; });
  pumpFor(50);
  captureClient(window(), shot);
  savePng(shot, "toolbar-pressed");
  EXPECT_EQ(hexOf(pixelAt(shot, r.left, r.top + 3)), hexOf(shadow)) << "pressed: sunken edge";
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 5, gy + 5)), hexOf(red)) << "pressed: the glyph moves";
  leftButton(false);
  pumpUntil([&] { return !rec.log.empty(); });
  EXPECT_TRUE(gera->Down()) << "the click toggled the checked button";
}

// Disabled glyphs: embossed (a highlight copy one pixel right and down under a shadow
// copy), or, with faded disabled images, tinted three quarters towards 70 % shadow.
TEST_F(ToolbarTest, DisabledGlyphsAreEmbossedOrFaded) {
  std::unique_ptr<TBitmap> glyph = squareGlyph(clRed);
  gera->SetGlyph(glyph.get());
  gera->SetEnabled(false);
  pumpFor(50);
  TRect r = link(0)->ItemRect();
  Integer gx = r.left + (r.right - r.left - 16) / 2, gy = r.top + (r.bottom - r.top - 16) / 2;
  TBitmap shot;
  captureClient(window(), shot);
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 4, gy + 4)), hexOf(GetSysColor(COLOR_BTNSHADOW))) << "embossed: shadow";
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 12, gy + 12)), hexOf(GetSysColor(COLOR_BTNHIGHLIGHT)))
      << "embossed: the highlight copy shows below and right";
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 3, gy + 3)), hexOf(GetSysColor(COLOR_BTNFACE)));

  manager->SetMakeDisabledImagesFaded(true);
  pumpFor(50);
  captureClient(window(), shot);
  // Red through the tint: luminance 77 * 255 >> 8, lightened; each channel three quarters
  // the fade colour and one quarter that grey.
  COLORREF s = GetSysColor(COLOR_BTNSHADOW);
  auto fadeChannel = [](Integer c) { return (c * 70 + 255 * 30) / 100; };
  Integer l = (((77 * 255) >> 8) * 192 + 16320) >> 8;
  auto tinted = [&](Integer f) { return (fadeChannel(f) * 192 + l * 64) >> 8; };
  COLORREF expected = RGB(tinted(GetRValue(s)), tinted(GetGValue(s)), tinted(GetBValue(s)));
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 4, gy + 4)), hexOf(expected)) << "faded";
  EXPECT_EQ(hexOf(pixelAt(shot, gx + 12, gy + 12)), hexOf(GetSysColor(COLOR_BTNFACE))) << "faded: no emboss";
}

// Captions: an ampersand underlines the next letter, a doubled one shows as one; disabled
// captions are embossed.
TEST_F(ToolbarTest, CaptionsUnderlineTheirMnemonicAndEmbossWhenDisabled) {
  auto countIn = [&](const TRect& r, uint32_t color) {
    TBitmap shot;
    captureClient(window(), shot);
    Integer n = 0;
    for (Integer x = r.left; x < r.right; ++x)
      for (Integer y = r.top; y < r.bottom; ++y) n += pixelAt(shot, x, y) == color;
    return n;
  };
  moveMouseTo(Point(5, 600));
  pumpFor(50);
  uint32_t text = GetSysColor(COLOR_BTNTEXT);
  gera->SetCaption("Gerar");
  pumpFor(50);
  Integer plain = countIn(link(0)->ItemRect(), text);
  gera->SetCaption("&Gerar");
  pumpFor(50);
  EXPECT_EQ(link(0)->Control()->GetWidth(), textWidth("Gerar") + manager->Font()->Size()) << "the marker takes no room";
  Integer underlined = countIn(link(0)->ItemRect(), text);
  EXPECT_GT(underlined, plain) << "the G is underlined";
  gera->SetCaption("A&&B");
  pumpFor(50);
  EXPECT_EQ(link(0)->Control()->GetWidth(), textWidth("A&B") + manager->Font()->Size());

  gera->SetCaption("Gerar");
  pumpFor(50);
  EXPECT_EQ(countIn(link(0)->ItemRect(), GetSysColor(COLOR_BTNHIGHLIGHT)), 0) << "enabled: no highlight copy";
  gera->SetEnabled(false);
  pumpFor(50);
  EXPECT_GT(countIn(link(0)->ItemRect(), GetSysColor(COLOR_BTNHIGHLIGHT)), 0) << "disabled: highlight copy";
  EXPECT_EQ(countIn(link(0)->ItemRect(), text), 0) << "disabled: no text colour";
  EXPECT_GT(countIn(link(0)->ItemRect(), GetSysColor(COLOR_BTNSHADOW)), 0) << "disabled: shadow copy";
}

// The mark of the Enhanced look: an arrow at the bar's end, raised while the mouse is
// over it; with links left out for want of room, chevrons too. The Standard look shows
// its mark only when links are hidden.
TEST_F(ToolbarTest, TheMarkShowsHiddenLinksAndFollowsTheMouse) {
  TRect mark = window()->MarkRect();
  EXPECT_EQ(mark.right - mark.left, TdxBarControl::MarkSize);
  EXPECT_EQ(mark.bottom - mark.top, window()->ClientHeight());
  EXPECT_EQ(mark.right, window()->ClientWidth());
  TPoint inMark = Point((mark.left + mark.right) / 2, 2);
  TPoint screen = inMark;
  ClientToScreen(window()->Handle(), &screen);
  moveMouseTo(screen);
  pumpUntil([&] { return window()->MarkState() == 1; });
  TBitmap shot;
  captureClient(window(), shot);
  EXPECT_EQ(window()->MarkState(), 1);
  EXPECT_EQ(hexOf(pixelAt(shot, mark.left, mark.top + 5)), hexOf(GetSysColor(COLOR_BTNHIGHLIGHT))) << "hot mark";
  moveMouseTo(Point(5, 600));
  pumpUntil([&] { return window()->MarkState() == 0; });
  EXPECT_EQ(window()->MarkState(), 0) << "the mark goes back when the mouse leaves";

  // Less room than the bar needs: the second link is left out and the mark tells.
  form->SetWidth(window()->Width() - link(1)->Control()->GetWidth() + 20 + (form->Width() - form->ClientWidth()));
  pumpFor(100);
  EXPECT_TRUE(window()->LinksHidden());
  EXPECT_TRUE(IsRectEmpty(&link(1)->ItemRect())) << "a link that does not fit has no place";
  captureClient(window(), shot);
  savePng(shot, "toolbar-hidden-links");
  mark = window()->MarkRect();
  bool chevron = false;
  for (Integer x = mark.left; x < mark.right; ++x)
    for (Integer y = 3; y < 10; ++y) chevron = chevron || pixelAt(shot, x, y) == GetSysColor(COLOR_BTNTEXT);
  EXPECT_TRUE(chevron) << "chevrons in the mark";

  manager->SetStyle(bmsStandard);
  bar->SetAllowQuickCustomizing(false);
  pumpFor(100);
  EXPECT_TRUE(window()->LinksHidden());
  EXPECT_TRUE(window()->HasMark()) << "links hidden: the mark shows even without quick customization";
  mark = window()->MarkRect();
  EXPECT_EQ(mark.bottom - mark.top, 9) << "the Standard mark is an 11 x 9 box";
  form->SetWidth(600);
  pumpFor(100);
  EXPECT_FALSE(window()->LinksHidden());
  EXPECT_FALSE(window()->HasMark()) << "room for every link: no Standard mark";
}

// A multi-line bar that is longer than its row wraps its links into lines; the dock site
// grows to hold them, a link that begins a group at a line start gets a separator across
// the bar, and widening the form brings the links back onto one line.
TEST_F(ToolbarTest, AMultiLineBarWrapsItsLinksAndTheSiteGrows) {
  TdxBarButton* abre = button("Abre", "Abrir projeto");
  TdxBarButton* fecha = button("Fecha", "Fechar projeto");
  bar->ItemLinks()->Add()->SetItem(abre);
  bar->ItemLinks()->Add()->SetItem(fecha);
  bar->SetWholeRow(true);
  bar->SetMultiLine(true);
  form->SetWidth(800);
  pumpFor(100);
  TdxDockControl* dock = manager->BuiltInDockControl(dsTop);
  EXPECT_EQ(dock->Height(), 26) << "room for all: one line";
  Integer lineHeight = link(0)->ItemRect().bottom - link(0)->ItemRect().top;

  // Room for about two buttons per line.
  Integer frame = form->Width() - form->ClientWidth();
  Integer nc = 4 + manager->DragMarkSize() + TdxBarControl::MarkSize;
  Integer two = link(0)->Control()->GetWidth() + link(1)->Control()->GetWidth();
  form->SetWidth(two + nc + 4 + frame);
  pumpFor(100);
  EXPECT_EQ(window()->Width(), form->ClientWidth()) << "a whole-row bar";
  EXPECT_EQ(link(2)->ItemRect().left, 0) << "the third link starts the second line";
  EXPECT_EQ(link(2)->ItemRect().top, link(0)->ItemRect().bottom);
  EXPECT_EQ(dock->Height(), 4 + 2 * lineHeight) << "the site holds two lines";
  EXPECT_EQ(window()->CalcThicknessForLength(window()->Width()), dock->Height());

  // A group separator at the line break is a band across the bar above the new line.
  link(2)->SetBeginGroup(true);
  pumpFor(100);
  EXPECT_EQ(dock->Height(), 4 + 2 * lineHeight + 6);
  TRect band = link(2)->Control()->SeparatorRect();
  EXPECT_EQ(band.top, lineHeight);
  EXPECT_EQ(band.bottom, lineHeight + 6);
  EXPECT_EQ(band.left, 0);
  EXPECT_EQ(band.right, window()->ClientWidth() - TdxBarControl::MarkSize);
  EXPECT_EQ(link(2)->ItemRect().top, lineHeight + 6);
  TBitmap shot;
  captureClient(window(), shot);
  savePng(shot, "toolbar-wrapped");
  EXPECT_EQ(hexOf(pixelAt(shot, band.left + 20, band.top + 2)), hexOf(GetSysColor(COLOR_BTNSHADOW)))
      << "the etched line across the bar";
  EXPECT_EQ(hexOf(pixelAt(shot, band.left + 20, band.top + 3)), hexOf(GetSysColor(COLOR_BTNHIGHLIGHT)));

  // The wrapped links are clicked like any other.
  clickAt(window(), centreOf(link(3)));
  pumpUntil([&] { return !rec.log.empty(); });
  EXPECT_EQ(rec.log, (std::vector<std::string>{"manager:Fecha", "click:Fecha"}));

  form->SetWidth(800);
  pumpFor(100);
  EXPECT_EQ(dock->Height(), 26) << "wide again: one line";
  EXPECT_EQ(link(3)->ItemRect().top, 0);
}

// The dock colour (the form's colour until set) runs on under the bars; a bar's own
// colour wins, and glyph faces show it.
TEST_F(ToolbarTest, BarsShowTheDockColourOrTheirOwn) {
  moveMouseTo(Point(5, 600));
  pumpFor(50);
  EXPECT_TRUE(manager->AutoDockColor());
  EXPECT_EQ(manager->DockColor(), form->Color());
  manager->SetDockColor(clTeal);
  EXPECT_FALSE(manager->AutoDockColor()) << "setting the colour stops following the form";
  pumpFor(100);
  TBitmap shot;
  captureClient(manager->BuiltInDockControl(dsTop), shot);
  EXPECT_EQ(hexOf(pixelAt(shot, shot.Width() - 2, 3)), hexOf(ColorToRGB(clTeal))) << "the dock site";
  captureClient(window(), shot);
  TRect r = link(1)->ItemRect();
  EXPECT_EQ(hexOf(pixelAt(shot, r.left + 1, r.top + 1)), hexOf(ColorToRGB(clTeal))) << "under a caption button";

  std::unique_ptr<TBitmap> glyph = squareGlyph(clFuchsia);
  gera->SetGlyph(glyph.get());
  bar->SetColor(clOlive);
  pumpFor(100);
  captureClient(window(), shot);
  r = link(0)->ItemRect();
  EXPECT_EQ(hexOf(pixelAt(shot, (r.left + r.right) / 2, (r.top + r.bottom) / 2)), hexOf(ColorToRGB(clOlive)))
      << "a glyph face shows the bar's colour";
  manager->SetAutoDockColor(true);
  EXPECT_EQ(manager->DockColor(), form->Color());

  // A background bitmap is tiled over the whole client area, one pattern under the links.
  std::unique_ptr<TBitmap> tile = squareGlyph(clBlue);
  bar->SetBackgroundBitmap(tile.get());
  pumpFor(100);
  captureClient(window(), shot);
  savePng(shot, "toolbar-background");
  for (Integer x : {5, 16 + 5, 32 + 5, 48 + 5})
    EXPECT_EQ(hexOf(pixelAt(shot, x, 16 + 5)), hexOf(ColorToRGB(clBlue))) << "tile square at x=" << x;
  for (Integer x : {1, 16 + 1, 32 + 1})
    EXPECT_EQ(hexOf(pixelAt(shot, x, 1)), hexOf(ColorToRGB(clFuchsia))) << "tile edge at x=" << x;
}

// A bar docked at the left edge: grip at the top in the frame, links down the bar, and
// captions turned to read downwards unless the bar keeps them level.
TEST_F(BarTest, AVerticalBarTurnsItsCaptions) {
  TdxBarButton* gera = button("Gera", "Gerar estrato");
  TdxBarButton* salva = button("Salva", "Salvar");
  TdxBar* bar = manager->Bars()->Add();
  bar->SetCaption("Lateral");
  bar->SetDockingStyle(dsLeft);
  bar->ItemLinks()->Add()->SetItem(gera);
  bar->ItemLinks()->Add()->SetItem(salva);
  bar->SetVisible(true);
  form->SetHeight(300);
  showAndActivate(form.get());
  pumpFor(100);
  TdxBarControl* window = bar->Control();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->IsRotated());
  TdxBarItemLink* first = bar->ItemLinks()->Items(0);
  TRect r = first->ItemRect();
  EXPECT_EQ(r.bottom - r.top, textWidth("Gerar estrato") + manager->Font()->Size()) << "the caption runs along the bar";
  EXPECT_EQ(r.right - r.left, std::max(manager->ButtonGlyphWidth(), window->TextSize()));
  EXPECT_EQ(bar->ItemLinks()->Items(1)->ItemRect().top, r.bottom);
  RECT windowRect;
  GetWindowRect(window->Handle(), &windowRect);
  TPoint origin = Point(0, 0);
  ClientToScreen(window->Handle(), &origin);
  EXPECT_EQ(origin.y - windowRect.top, 2 + manager->DragMarkSize()) << "the grip is above the links";
  EXPECT_EQ(manager->BuiltInDockControl(dsLeft)->Width(), window->Width());

  // The text pixels of the first button form a column taller than it is wide.
  auto textBox = [&](const TRect& Item, const std::string& Name) {
    TBitmap shot;
    captureClient(window, shot);
    savePng(shot, Name);
    TRect box = Rect(10000, 10000, -1, -1);
    for (Integer x = Item.left; x < Item.right; ++x)
      for (Integer y = Item.top; y < Item.bottom; ++y)
        if (pixelAt(shot, x, y) == GetSysColor(COLOR_BTNTEXT)) {
          box.left = std::min(box.left, x);
          box.top = std::min(box.top, y);
          box.right = std::max(box.right, x + 1);
          box.bottom = std::max(box.bottom, y + 1);
        }
    return box;
  };
  TRect box = textBox(r, "toolbar-vertical");
  ASSERT_GT(box.right, box.left) << "the caption is drawn";
  EXPECT_GT(box.bottom - box.top, 3 * (box.right - box.left)) << "turned: a tall, narrow column of text";

  bar->SetRotateWhenVertical(false);
  pumpFor(100);
  r = first->ItemRect();
  EXPECT_EQ(r.right - r.left, window->ClientWidth());
  EXPECT_GE(r.right - r.left, textWidth("Gerar estrato")) << "level captions make the bar as wide as the widest";
  box = textBox(r, "toolbar-vertical-level");
  ASSERT_GT(box.right, box.left);
  EXPECT_GT(box.right - box.left, 2 * (box.bottom - box.top)) << "level text";
}

// A sub-item on a toolbar has a view of its own: its caption with a small arrow pointing
// down at its end (none on the main menu bar).
TEST_F(ToolbarTest, ASubItemShowsItsCaptionWithAnArrow) {
  auto* sub = new TdxBarSubItem(form.get());
  sub->SetName("Arquivos");
  sub->SetCaption("Arquivos");
  sub->SetCategory(0);
  bar->ItemLinks()->Add()->SetItem(sub);
  pumpFor(100);
  TdxBarItemLink* link = bar->ItemLinks()->Items(2);
  ASSERT_NE(dynamic_cast<TdxBarSubItemControl*>(link->Control()), nullptr);
  Integer arrowSize = -manager->Font()->Height() / 2;
  Integer expected = textWidth("Arquivos") + 2 * arrowSize + window()->TextSize() / 2;
  EXPECT_EQ(link->Control()->GetWidth(), expected);
  EXPECT_EQ(link->Control()->GetHeight(), window()->TextSize());
  moveMouseTo(Point(5, 600));
  pumpFor(50);
  TBitmap shot;
  captureClient(window(), shot);
  savePng(shot, "toolbar-subitem");
  TRect r = link->ItemRect();
  Integer box = window()->TextSize() / 2 + std::abs(manager->Font()->Height()) / 2;
  auto textPixelsIn = [&](Integer Left, Integer Right) {
    Integer n = 0;
    for (Integer x = Left; x < Right; ++x)
      for (Integer y = r.top; y < r.bottom; ++y) n += pixelAt(shot, x, y) == GetSysColor(COLOR_BTNTEXT);
    return n;
  };
  EXPECT_GT(textPixelsIn(r.right - box, r.right), 0) << "the arrow";
  EXPECT_GT(textPixelsIn(r.left, r.right - box), 0) << "the caption";

  bar->SetIsMainMenu(true);
  pumpFor(50);
  EXPECT_EQ(link->Control()->GetWidth(), textWidth("Arquivos") + 2 * arrowSize) << "no arrow on the main menu bar";
}

// The caption the looks draw for a floating bar: the bar's caption on the caption colour,
// the close button at the right, the mark's arrow at the left and a line under the band.
// A band with no room for text keeps its close button and mark.
TEST_F(ToolbarTest, TheFloatingCaptionShowsTextCloseButtonAndMark) {
  const TdxBarItemControlPainter* painter = dxBarPainterOf(bmsStandard);
  Integer h = painter->GetCaptionHeight();
  ASSERT_GT(h, 0);
  EXPECT_EQ(painter->GetFloatingCaptionHeight(), h + 1);
  COLORREF caption = painter->GetCaptionColor(window(), window()->IsFormActive());
  COLORREF text = GetSysColor(COLOR_CAPTIONTEXT);
  ASSERT_NE(caption, text);
  HBRUSH lineBrush = CreateSolidBrush(RGB(255, 0, 0));
  for (Integer width : {220, h + 10}) {
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(width, h + 1);
    HDC dc = picture.Canvas()->Handle();
    TRect all = Rect(0, 0, width, h + 1);
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    painter->DrawFloatingCaption(window(), dc, lineBrush, window()->BackgroundBrush(), Rect(0, 0, width, h));
    if (width == 220) savePng(picture, "floating-caption");
    auto count = [&](Integer Left, Integer Right, COLORREF Color) {
      Integer n = 0;
      for (Integer x = Left; x < Right; ++x)
        for (Integer y = 0; y < h; ++y) n += pixelAt(picture, x, y) == Color;
      return n;
    };
    EXPECT_EQ(hexOf(pixelAt(picture, width / 2, h)), hexOf(RGB(255, 0, 0))) << width << ": the line under the band";
    EXPECT_EQ(hexOf(pixelAt(picture, width - 1, h / 2)), hexOf(caption)) << width << ": the close button's frame";
    EXPECT_GT(count(width - h + 1, width - 1, GetSysColor(COLOR_BTNTEXT)), 0) << width << ": the close cross";
    EXPECT_GT(count(0, 13, text), 0) << width << ": the mark's arrow";
    if (width == 220) EXPECT_GT(count(16, width - h, text), 10) << "the caption text";
  }
  DeleteObject(lineBrush);
}

// --- Images from the manager's image lists.

class ImageListTest : public ToolbarTest {
protected:
  void SetUp() override {
    ToolbarTest::SetUp();
    images = listOf({clRed});
    hot = listOf({clBlue});
    disabled = listOf({clLime});
    manager->SetImages(images);
    gera->SetImageIndex(0);
    pumpFor(100);
  }
  // A list owned by the form with one 16 x 16 square image (on fuchsia) per colour.
  TImageList* listOf(std::initializer_list<TColor> Colors) {
    auto* list = new TImageList(form.get());
    for (TColor c : Colors) list->Add(squareGlyph(c).get(), nullptr);
    return list;
  }
  // The colour at the centre of the glyph of link i, and at a corner of its glyph square.
  uint32_t glyphCentre(Integer i, Integer Offset = 8) {
    pumpFor(100);
    TRect r = link(i)->ItemRect();
    Integer gx = r.left + (manager->ButtonGlyphWidth() - 16) / 2, gy = r.top + (r.bottom - r.top - 16) / 2;
    TBitmap shot;
    captureClient(window(), shot);
    return pixelAt(shot, gx + Offset, gy + Offset);
  }
  TImageList* images = nullptr;
  TImageList* hot = nullptr;
  TImageList* disabled = nullptr;
};

TEST_F(ImageListTest, AnImageListGlyphShowsNormalHotAndDisabled) {
  // The same metrics as a bitmap glyph of the list's size: glyph only, no caption.
  std::unique_ptr<TBitmap> glyph = squareGlyph(clRed);
  salva->SetGlyph(glyph.get());
  pumpFor(50);
  ASSERT_TRUE(link(0)->Control()->HasImage());
  EXPECT_EQ(link(0)->Control()->GetWidth(), link(1)->Control()->GetWidth()) << "sized like a 16-pixel bitmap glyph";
  EXPECT_LT(link(0)->Control()->GetWidth(), textWidth("Gerar estrato")) << "no caption beside the image";
  EXPECT_EQ(hexOf(glyphCentre(0)), hexOf(0x0000FF)) << "the list's red image";
  EXPECT_EQ(hexOf(glyphCentre(0, 1)), hexOf(GetSysColor(COLOR_BTNFACE))) << "the background colour is transparent";

  manager->SetHotImages(hot);
  manager->SetDisabledImages(disabled);
  moveMouseTo(screenCentre(0));
  pumpUntil([&] { return window()->SelectedControl() == link(0)->Control(); });
  TBitmap shot;
  captureClient(window(), shot);
  savePng(shot, "toolbar-imagelist-hot");
  EXPECT_EQ(hexOf(glyphCentre(0)), hexOf(0xFF0000)) << "hot: the hot list's blue image";
  moveMouseTo(Point(5, 600));
  pumpUntil([&] { return window()->SelectedControl() == nullptr; });
  captureClient(window(), shot);
  savePng(shot, "toolbar-imagelist-normal");
  EXPECT_EQ(hexOf(glyphCentre(0)), hexOf(0x0000FF)) << "not hot: the normal image again";

  gera->SetEnabled(false);
  captureClient(window(), shot);
  EXPECT_EQ(hexOf(glyphCentre(0)), hexOf(0x00FF00)) << "disabled: the disabled list's image, as it is";
  moveMouseTo(screenCentre(0));
  pumpFor(100);
  EXPECT_EQ(hexOf(glyphCentre(0)), hexOf(0x00FF00)) << "a disabled view does not take the hot image";
  moveMouseTo(Point(5, 600));
  pumpFor(50);
  captureClient(window(), shot);
  savePng(shot, "toolbar-imagelist-disabled");
  manager->SetDisabledImages(nullptr);
  EXPECT_EQ(hexOf(glyphCentre(0)), hexOf(GetSysColor(COLOR_BTNSHADOW))) << "no disabled list: embossed";
  manager->SetMakeDisabledImagesFaded(true);
  EXPECT_NE(hexOf(glyphCentre(0)), hexOf(GetSysColor(COLOR_BTNSHADOW))) << "faded: tinted, not embossed";
  EXPECT_NE(hexOf(glyphCentre(0)), hexOf(0x0000FF));
}

// A bitmap glyph of a disabled item has no counterpart in the disabled list: it is still
// drawn disabled when the manager has one.
TEST_F(ImageListTest, ADisabledBitmapGlyphStaysDisabledBesideADisabledList) {
  std::unique_ptr<TBitmap> glyph = squareGlyph(clRed);
  salva->SetGlyph(glyph.get());
  salva->SetEnabled(false);
  manager->SetDisabledImages(disabled);
  EXPECT_EQ(hexOf(glyphCentre(1)), hexOf(GetSysColor(COLOR_BTNSHADOW)));
}

TEST_F(ImageListTest, AnIndexOutsideTheListShowsTheCaption) {
  Integer withImage = link(0)->Control()->GetWidth();
  struct Case {
    Integer index;
    bool image;
  };
  for (const Case& c : {Case{-1, false}, Case{1, false}, Case{0, true}}) {
    gera->SetImageIndex(c.index);
    EXPECT_EQ(link(0)->Control()->HasImage(), c.image) << c.index;
    EXPECT_EQ(link(0)->Control()->GetWidth(), c.image ? withImage : textWidth("Gerar estrato") + manager->Font()->Size())
        << c.index;
  }
}

TEST_F(ImageListTest, ListChangesAndFreedListsRefreshTheBar) {
  gera->SetImageIndex(1);
  Integer captionWidth = window()->Width();
  images->Add(squareGlyph(clBlue).get(), nullptr);
  EXPECT_TRUE(link(0)->Control()->HasImage()) << "the list's new image is seen at once";
  EXPECT_LT(window()->Width(), captionWidth) << "the bar is laid out again";
  EXPECT_EQ(hexOf(glyphCentre(0)), hexOf(0xFF0000));

  manager->SetHotImages(images);
  manager->SetDisabledImages(images);
  delete images;
  images = nullptr;
  EXPECT_EQ(manager->Images(), nullptr) << "a freed list is dropped from every place";
  EXPECT_EQ(manager->HotImages(), nullptr);
  EXPECT_EQ(manager->DisabledImages(), nullptr);
  EXPECT_FALSE(link(0)->Control()->HasImage());
  EXPECT_EQ(window()->Width(), captionWidth);
  moveMouseTo(screenCentre(0));
  pumpFor(100);
  EXPECT_EQ(window()->SelectedControl(), link(0)->Control()) << "the bar keeps working";
  moveMouseTo(Point(5, 600));
  pumpFor(50);

  // The change link follows the list that replaced another; the former one may go.
  manager->SetImages(hot);
  manager->SetImages(disabled);
  delete hot;
  hot = nullptr;
  EXPECT_EQ(manager->Images(), disabled) << "freeing a former list leaves the current one";
  EXPECT_FALSE(link(0)->Control()->HasImage());
  disabled->Add(squareGlyph(clYellow).get(), nullptr);
  EXPECT_TRUE(link(0)->Control()->HasImage()) << "the current list's change is heard";
  EXPECT_EQ(hexOf(glyphCentre(0)), hexOf(0x00FFFF));
}

TEST_F(ImageListTest, LargeIconsTakeTheLargeListWhenAskedElseDoubleTheSmallImage) {
  auto* large = new TImageList(form.get());
  large->SetWidth(32);
  large->SetHeight(32);
  TBitmap big;
  big.SetWidth(32);
  big.SetHeight(32);
  big.Canvas()->Brush()->SetColor(clFuchsia);
  big.Canvas()->FillRect(Rect(0, 0, 32, 32));
  big.Canvas()->Brush()->SetColor(clYellow);
  big.Canvas()->FillRect(Rect(2, 2, 30, 30));
  large->Add(&big, nullptr);
  manager->SetLargeImages(large);
  manager->SetLargeIcons(true);
  struct Case {
    bool useLarge;
    uint32_t centre, nearCorner;
  };
  // The small image doubled: its square spans 8..23; the large image's spans 2..29.
  for (const Case& c : {Case{false, 0x0000FF, GetSysColor(COLOR_BTNFACE)}, Case{true, 0x00FFFF, 0x00FFFF}}) {
    manager->SetUseLargeImagesForLargeIcons(c.useLarge);
    pumpFor(100);
    TRect r = link(0)->ItemRect();
    Integer gx = r.left + (manager->ButtonGlyphWidth() - 32) / 2, gy = r.top + (r.bottom - r.top - 32) / 2;
    TBitmap shot;
    captureClient(window(), shot);
    EXPECT_EQ(hexOf(pixelAt(shot, gx + 16, gy + 16)), hexOf(c.centre)) << c.useLarge;
    EXPECT_EQ(hexOf(pixelAt(shot, gx + 4, gy + 4)), hexOf(c.nearCorner)) << c.useLarge;
  }
}

// --- Actions and shortcuts.

TEST_F(ToolbarTest, AnActionGivesTheItemItsStateAndRunsWhenClicked) {
  auto* action = new TAction(form.get());
  action->SetCaption("Abrir Projeto");
  action->SetHint("Abre um projeto");
  action->SetHelpContext(7);
  action->SetImageIndex(2);
  action->SetShortCut(ShortCut('O', {ssCtrl}));
  action->SetOnExecute(TNotifyEvent(&rec, &Recorder::Execute));
  Integer before = link(0)->Control()->GetWidth();
  gera->SetAction(action);
  EXPECT_EQ(gera->Action(), action);
  EXPECT_EQ(gera->Caption(), "Abrir Projeto");
  EXPECT_EQ(gera->Hint(), "Abre um projeto");
  EXPECT_EQ(gera->HelpContext(), 7);
  EXPECT_EQ(gera->ImageIndex(), 2);
  EXPECT_EQ(gera->ShortCut(), ShortCut('O', {ssCtrl}));
  EXPECT_EQ(link(0)->Control()->GetCaption(), "Abrir Projeto") << "the view shows the action's caption";
  EXPECT_NE(link(0)->Control()->GetWidth(), before) << "and is sized for it";
  EXPECT_FALSE(gera->IsCaptionStored()) << "what follows the action is not stored";
  EXPECT_FALSE(gera->IsShortCutStored());
  EXPECT_FALSE(gera->IsOnClickStored());

  // Later changes of the action reach the item while the item still shows the action's value.
  action->SetEnabled(false);
  EXPECT_FALSE(gera->Enabled());
  action->SetEnabled(true);
  action->SetVisible(false);
  EXPECT_EQ(gera->Visible(), ivNever);
  EXPECT_EQ(link(0)->Control(), nullptr) << "hidden with its action";
  action->SetVisible(true);
  ASSERT_NE(link(0)->Control(), nullptr);
  action->SetCaption("Abrir");
  EXPECT_EQ(gera->Caption(), "Abrir");
  gera->SetCaption("Gerar estrato");
  EXPECT_TRUE(gera->IsCaptionStored()) << "a caption of the item's own is stored";
  gera->SetCaption("Abrir");
  pumpFor(100);

  // OnClick is the action's handler: the click runs the action.
  clickAt(window(), centreOf(link(0)));
  pumpUntil([&] { return rec.log.size() >= 2; });
  EXPECT_EQ(rec.log, (std::vector<std::string>{"manager:Gera", "execute:TAction"}));
  rec.log.clear();
  // A handler of the item's own runs instead of the action.
  gera->SetOnClick(TNotifyEvent(&rec, &Recorder::Click));
  clickAt(window(), centreOf(link(0)));
  pumpUntil([&] { return rec.log.size() >= 2; });
  EXPECT_EQ(rec.log, (std::vector<std::string>{"manager:Gera", "click:Gera"}));
  rec.log.clear();

  // Freeing the action unlinks it; the item keeps its state and works on.
  delete action;
  EXPECT_EQ(gera->Action(), nullptr);
  EXPECT_EQ(gera->ActionLink(), nullptr);
  EXPECT_EQ(gera->Caption(), "Abrir");
  clickAt(window(), centreOf(link(0)));
  pumpUntil([&] { return rec.log.size() >= 2; });
  EXPECT_EQ(rec.log, (std::vector<std::string>{"manager:Gera", "click:Gera"}));
}

TEST_F(BarTest, AnItemCopiesItsStateIntoAnAction) {
  TdxBarButton* b = button("Salva", "Salvar");
  b->SetButtonStyle(bsChecked);
  b->SetDown(true);
  b->SetShortCut(ShortCut('S', {ssCtrl}));
  b->SetImageIndex(3);
  b->SetEnabled(false);
  TAction action(nullptr);
  struct Case {
    TdxBarItemVisible visible;
    bool before, after;
  };
  for (const Case& c : {Case{ivNever, true, false}, Case{ivAlways, false, true}, Case{ivInCustomizing, false, false},
                        Case{ivInCustomizing, true, true}}) {
    action.SetVisible(c.before);
    b->SetVisible(c.visible);
    action.Assign(b);
    EXPECT_EQ(action.Visible(), c.after) << c.visible << " over " << c.before;
  }
  EXPECT_EQ(action.Caption(), "Salvar");
  EXPECT_TRUE(action.Checked());
  EXPECT_FALSE(action.Enabled());
  EXPECT_EQ(action.ShortCut(), ShortCut('S', {ssCtrl}));
  EXPECT_EQ(action.ImageIndex(), 3);
  EXPECT_TRUE(action.OnExecute() == b->OnClick());
  TBitmap notAnAction;
  EXPECT_THROW(notAnAction.Assign(b), Exception) << "only an action takes an item's state";
}

// --- Keys and double clicks on a toolbar.

// A button view that takes the Down key and, when asked to, double clicks.
class KeyedButtonControl : public TdxBarButtonControl {
public:
  using TdxBarButtonControl::TdxBarButtonControl;
  static inline std::vector<std::string>* log = nullptr;
  static inline bool handlesDblClick = false;
  bool WantsKey(Word Key) const override { return Key == VK_DOWN; }
  void KeyDown(Word Key) override { log->push_back("key:" + std::to_string(Key)); }
  bool HandlesDblClick() const override { return handlesDblClick; }
  void DblClick() override { log->push_back("dblclick:" + Item()->Name()); }
};

class KeyedToolbarTest : public ToolbarTest {
protected:
  void SetUp() override {
    original = dxBarItemControlFactory(TdxBarButton::StaticClass());
    dxBarRegisterItem(TdxBarButton::StaticClass(),
                      [](TdxBarItemLink* Link) -> TdxBarItemControl* { return new KeyedButtonControl(Link); });
    KeyedButtonControl::log = &rec.log;
    KeyedButtonControl::handlesDblClick = false;
    ToolbarTest::SetUp();
  }
  void TearDown() override {
    ToolbarTest::TearDown();
    dxBarRegisterItem(TdxBarButton::StaticClass(), original);
  }
  TdxBarItemControlFactory original = nullptr;
};

TEST_F(KeyedToolbarTest, KeysGoToTheSelectedViewFirstAndEnterClicksIt) {
  ASSERT_NE(dynamic_cast<KeyedButtonControl*>(link(0)->Control()), nullptr);
  moveMouseTo(screenCentre(0));
  ASSERT_TRUE(pumpUntil([&] { return window()->SelectedControl() == link(0)->Control(); }));
  SetFocus(window()->Handle());
  pumpFor(50);
  ASSERT_EQ(GetFocus(), window()->Handle());
  pressKey(VK_DOWN);
  pumpUntil([&] { return !rec.log.empty(); });
  EXPECT_EQ(rec.log, (std::vector<std::string>{"key:" + std::to_string(VK_DOWN)})) << "the view wanted Down";
  rec.log.clear();
  pressKey(VK_UP);
  pumpFor(100);
  EXPECT_TRUE(rec.log.empty()) << "a key the view does not want does not click it";
  pressKey(VK_RETURN);
  pumpUntil([&] { return rec.log.size() >= 2; });
  EXPECT_EQ(rec.log, (std::vector<std::string>{"manager:Gera", "click:Gera"})) << "Enter clicks the selected view";
  rec.log.clear();

  gera->SetEnabled(false);
  pressKey(VK_DOWN);
  pressKey(VK_RETURN);
  pumpFor(100);
  EXPECT_TRUE(rec.log.empty()) << "a disabled view takes no key and no click";
  gera->SetEnabled(true);
  pressKey(VK_ESCAPE);
  pumpFor(50);
  EXPECT_EQ(window()->SelectedControl(), nullptr) << "Esc leaves the selection";
  moveMouseTo(Point(5, 600));
  pumpFor(50);
}

TEST_F(KeyedToolbarTest, ADoubleClickGoesToAViewThatHandlesIt) {
  struct Case {
    bool handles;
    std::vector<std::string> log;
  };
  for (const Case& c : {Case{false, {"manager:Gera", "click:Gera", "manager:Gera", "click:Gera"}},
                        Case{true, {"manager:Gera", "click:Gera", "dblclick:Gera"}}}) {
    KeyedButtonControl::handlesDblClick = c.handles;
    rec.log.clear();
    doubleClickAt(window(), centreOf(link(0)));
    pumpUntil([&] { return rec.log.size() >= c.log.size(); });
    pumpFor(100);
    EXPECT_EQ(rec.log, c.log) << (c.handles ? "handles" : "a second press");
    moveMouseTo(Point(5, 600));
    pumpFor(GetDoubleClickTime() + 50);
  }
}

// --- Stored descriptions.

class StoredBarTest : public ::testing::Test {
protected:
  // Reads Text into a fresh form; the error message, or "" when it was read.
  std::string read(const std::string& Text) {
    form.reset(New<TForm>(nullptr));
    TStringStream in(Text);
    TMemoryStream binary;
    ObjectTextToBinary(&in, &binary);
    binary.SetPosition(0);
    try {
      binary.ReadComponent(form.get());
    } catch (Exception& e) {
      return e.Message();
    }
    return "";
  }
  static std::string description(const std::string& ItemClass, const std::string& LinkedItem) {
    return "object Form1: TForm\n"
           "  object Barras: TdxBarManager\n"
           "    Bars = <\n"
           "      item\n"
           "        Caption = 'Principal'\n"
           "        DockingStyle = dsTop\n"
           "        ItemLinks = <\n"
           "          item\n"
           "            Item = " + LinkedItem + "\n"
           "            Visible = True\n"
           "          end>\n"
           "        Visible = True\n"
           "      end>\n"
           "    Categories.Strings = (\n"
           "      'Default')\n"
           "  end\n"
           "  object Botao: " + ItemClass + "\n"
           "    Caption = 'Gerar estrato'\n"
           "    Category = 0\n"
           "  end\n"
           "end\n";
  }
  std::unique_ptr<TForm> form;
};

TEST_F(StoredBarTest, AGoodDescriptionBuildsTheToolbar) {
  ASSERT_EQ(read(description("TdxBarButton", "Botao")), "");
  auto* manager = dynamic_cast<TdxBarManager*>(form->FindComponent("Barras"));
  ASSERT_NE(manager, nullptr);
  ASSERT_EQ(manager->Bars()->Count(), 1);
  TdxBar* bar = manager->Bars()->Items(0);
  EXPECT_EQ(bar->ItemLinks()->Items(0)->Item(), form->FindComponent("Botao"));
  ASSERT_NE(bar->Control(), nullptr) << "the visible docked bar has its window";
  EXPECT_NE(bar->ItemLinks()->Items(0)->Control(), nullptr);
}

TEST_F(StoredBarTest, StoredCategoryStateIsAppliedAfterLoading) {
  std::string text = description("TdxBarButton", "Botao");
  const std::string cats = "      'Default')\n";
  text.replace(text.find(cats), cats.size(), cats + "    Categories.ItemsVisibles = (\n      0)\n    Categories.Visibles = (\n      False)\n");
  ASSERT_EQ(read(text), "");
  auto* manager = dynamic_cast<TdxBarManager*>(form->FindComponent("Barras"));
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->GetCategoryItemsVisible(0), ivNever);
  EXPECT_FALSE(manager->GetCategoryVisible(0));
  EXPECT_EQ(static_cast<TdxBarItem*>(form->FindComponent("Botao"))->Visible(), ivNever);
  EXPECT_TRUE(manager->Bars()->Items(0)->ItemLinks()->ShownLinks().empty());
}

TEST_F(StoredBarTest, UnknownItemClassOrMissingItemIsRefusedByName) {
  Integer managers = dxBarManagerList()->Count();
  struct Case {
    std::string itemClass, linked, mustName;
  };
  for (const Case& c : {Case{"TdxBarBotaoInexistente", "Botao", "TdxBarBotaoInexistente"},
                        Case{"TdxBarButton", "BotaoSumido", "BotaoSumido"}}) {
    std::string message = read(description(c.itemClass, c.linked));
    EXPECT_NE(message.find(c.mustName), std::string::npos) << "message: " << message;
    EXPECT_EQ(form->FindComponent("Barras"), nullptr) << c.mustName << ": nothing half-built remains";
    EXPECT_EQ(dxBarManagerList()->Count(), managers) << c.mustName;
    form.reset();
  }
  EXPECT_EQ(read(description("TdxBarButton", "Botao")), "") << "a later good read is not disturbed";
}

TEST_F(StoredBarTest, StoredShortcutsAndActionsAreRead) {
  std::string text = description("TdxBarButton", "Botao");
  const std::string item = "  object Botao: TdxBarButton\n";
  text.replace(text.find(item), item.size(),
               "  object Acoes: TActionList\n"
               "    object AbrirProjeto: TAction\n"
               "      Caption = 'Abrir Projeto'\n"
               "      Hint = 'Abre um projeto'\n"
               "      ShortCut = 16463\n"
               "    end\n"
               "  end\n" +
                   item + "    Action = AbrirProjeto\n");
  text.replace(text.rfind("end\n"), 4,
               "  object Salvar: TdxBarButton\n"
               "    Caption = 'Salvar'\n"
               "    ShortCut = 16467\n"
               "  end\n"
               "end\n");
  ASSERT_EQ(read(text), "");
  auto* botao = dynamic_cast<TdxBarButton*>(form->FindComponent("Botao"));
  auto* salvar = dynamic_cast<TdxBarButton*>(form->FindComponent("Salvar"));
  ASSERT_TRUE(botao && salvar);
  EXPECT_EQ(salvar->ShortCut(), ShortCut('S', {ssCtrl}));
  EXPECT_EQ(botao->Action(), form->FindComponent("AbrirProjeto"));
  EXPECT_EQ(botao->Caption(), "Gerar estrato") << "a stored caption of the item's own is kept";
  EXPECT_EQ(botao->Hint(), "Abre um projeto") << "defaults are filled from the action";
  EXPECT_EQ(botao->ShortCut(), ShortCut('O', {ssCtrl}));

  // Written back: the hint and shortcut that follow the action are left out, an own
  // shortcut is kept.
  auto written = [](TComponent* Component) {
    TMemoryStream binary;
    binary.WriteComponent(Component);
    binary.SetPosition(0);
    TStringStream out("");
    ObjectBinaryToText(&binary, &out);
    return out.DataString();
  };
  std::string botaoText = written(botao), salvarText = written(salvar);
  EXPECT_EQ(botaoText.find("ShortCut"), std::string::npos) << botaoText;
  EXPECT_EQ(botaoText.find("Hint"), std::string::npos) << botaoText;
  EXPECT_NE(botaoText.find("AbrirProjeto"), std::string::npos) << botaoText;
  EXPECT_NE(salvarText.find("ShortCut = 16467"), std::string::npos) << salvarText;
}

// --- The main window's toolbar.

TEST(MainWindowToolbar, ShowsItsButtonsAndAClickRunsTheWindowsHandler) {
  const std::string ini = ExtractFilePath(ParamStr(0)) + "Prj_Movandi.ini";
  DeleteFile(ini);
  std::unique_ptr<TFrmPrincipal> form(New<TFrmPrincipal>(nullptr));
  showAndActivate(form.get());
  pumpFor(100);
  TdxBarManager* manager = form->dxBarManager1;
  ASSERT_EQ(manager->Bars()->Count(), 1);
  TdxBar* bar = manager->Bars()->Items(0);
  EXPECT_EQ(bar->Caption(), "Principal");
  EXPECT_EQ(bar->DockingStyle(), dsTop);
  ASSERT_NE(bar->Control(), nullptr);
  ASSERT_EQ(bar->ItemLinks()->Count(), 2);
  EXPECT_EQ(bar->ItemLinks()->Items(0)->Item(), form->btnGeraestrato);
  EXPECT_EQ(bar->ItemLinks()->Items(1)->Item(), form->SalvarCFG);
  EXPECT_FALSE(form->btnGeraestrato->Glyph()->Empty());
  EXPECT_EQ(manager->BuiltInDockControl(dsTop)->Height(), 26) << "one toolbar row of 26 pixels";
  EXPECT_EQ(bar->Control()->Width(), manager->BuiltInDockControl(dsTop)->ClientWidth()) << "a whole-row bar";
  EXPECT_EQ(form->dxBarSubItem1->ItemLinks()->Count(), 3);
  EXPECT_TRUE(form->dxBarSubItem1->ItemLinks()->Items(2)->BeginGroup());
  TBitmap shot;
  captureClient(form.get(), shot);
  savePng(shot, "main-window");

  form->cxCatValoresContinuos->SetValue(Variant(35));
  TdxBarItemLink* salvar = bar->ItemLinks()->Items(1);
  const TRect& r = salvar->ItemRect();
  clickAt(bar->Control(), Point((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  pumpUntil([&] { return FileExists(ini); });
  std::unique_ptr<TStringList> text(new TStringList);
  if (FileExists(ini)) text->LoadFromFile(ini);
  EXPECT_NE(text->Text().find("QtdeCategorias=35"), std::string::npos) << "the toolbar button ran SalvarCFGClick:\n"
                                                                        << text->Text();
  form.reset();
  DeleteFile(ini);
}

}  // namespace
