// Container styles and style controllers (value resolution, cycles, notifications,
// fonts, in-place styles, storing) and the container control under real windows: the
// view info, hot tracking of the border under the mouse, focus and the inner control,
// style colours and fonts reaching the window, the window region, and the pixels of
// every border style.
#include <memory>
#include <string>
#include <vector>

#include "CxTestHelpers.h"
#include "cx/foundation/cxContainer.h"
#include "cx/foundation/dxThemeManager.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/TypInfo.h"

using namespace guitest;

namespace {

// Counts a style's change notices.
class TChangeLog : public TObject {
public:
  Integer Changes = 0;
  std::vector<std::string> Controller;
  void Changed(TObject*) { ++Changes; }
  void StyleChanged(TObject* Sender, TcxContainerStyle* AStyle) {
    auto* controller = static_cast<TcxStyleController*>(Sender);
    Controller.push_back(AStyle == controller->Style() ? "own" : "listener");
  }
};

// A container that can ignore style values and lock its context menu.
class TTestContainer : public TcxContainer {
  RTL_DECLARE_CLASS(TTestContainer, TcxContainer)
public:
  explicit TTestContainer(TComponent* AOwner) : TcxContainer(AOwner) {}
  TcxContainerStyleValues Unused;
  TcxContainerStyleValues GetUnusedStyleValues() override { return Unused; }
  void LockContextMenu(bool ALock) { FContextMenuLockCount += ALock ? 1 : -1; }
  bool HandlesTab = false;
  bool HandlesTabKey() override { return HandlesTab; }
  void PressKey(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }
  using TcxContainer::SetInnerControl;
};

// A container hosting a borderless edit as its inner control.
class TEditContainer : public TTestContainer {
  RTL_DECLARE_CLASS(TEditContainer, TTestContainer)
public:
  explicit TEditContainer(TComponent* AOwner) : TTestContainer(AOwner) {}
  void AfterConstruction() override {
    TTestContainer::AfterConstruction();
    Edit = New<TEdit>(this);
    Edit->SetBorderStyle(bsNone);
    Edit->SetParent(this);
    SetInnerControl(Edit);
  }
  TEdit* Edit = nullptr;
};

// A component that is a popup menu through the interface.
class TMenuRecorder : public TComponent, public IcxPopupMenu {
  RTL_DECLARE_CLASS(TMenuRecorder, TComponent)
public:
  explicit TMenuRecorder(TComponent* AOwner) : TComponent(AOwner) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TComponent::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TComponent::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TComponent::_Release(); }
  Integer Shown = 0;
  void Popup(Integer, Integer) override { ++Shown; }
};

using StylePtr = TObjectPtr<TcxContainerStyle>;
using ControllerPtr = TObjectPtr<TcxStyleController>;

StylePtr newStyle(bool AInplace = false) { return StylePtr(New<TcxContainerStyle>(nullptr, AInplace)); }
ControllerPtr newController() { return ControllerPtr(New<TcxStyleController>(nullptr)); }

uint32_t rgb(TColor c) { return rgbOfColor(c); }

}  // namespace

RTL_IMPLEMENT_CLASS(TTestContainer)
RTL_IMPLEMENT_CLASS(TEditContainer)
RTL_BEGIN_CLASS(TMenuRecorder)
  b.Interface<IcxPopupMenu>();
RTL_END_CLASS

// ---------------------------------------------------------------------------------------
// Style values.

namespace {

// Walks one value through the chain own style -> controller A -> controller B: the
// default first, then B's value, A's value over it, the own value over both, and A's
// again once the own value is no longer assigned.
template <class V>
void checkResolution(const char* AName, TcxContainerStyleValue AValue, V (TcxContainerStyle::*AGet)(),
                     void (TcxContainerStyle::*ASet)(V), V ADefault, V AInB, V AInA, V AOwn) {
  SCOPED_TRACE(AName);
  StylePtr own = newStyle();
  ControllerPtr a = newController(), b = newController();
  own->SetStyleController(a.get());
  a->Style()->SetStyleController(b.get());
  EXPECT_TRUE((own.get()->*AGet)() == ADefault) << "the default without any assignment";
  EXPECT_FALSE(own->IsValueAssigned(AValue));
  (b->Style()->*ASet)(AInB);
  EXPECT_TRUE((own.get()->*AGet)() == AInB) << "from the controller's controller";
  EXPECT_TRUE(own->IsValueAssigned(AValue));
  EXPECT_FALSE(own->AssignedValues().Contains(AValue)) << "taken, not assigned here";
  (a->Style()->*ASet)(AInA);
  EXPECT_TRUE((own.get()->*AGet)() == AInA) << "the nearer controller wins";
  (own.get()->*ASet)(AOwn);
  EXPECT_TRUE((own.get()->*AGet)() == AOwn) << "an own value wins";
  EXPECT_TRUE(own->AssignedValues().Contains(AValue));
  own->SetAssignedValues(TcxContainerStyleValues());
  EXPECT_TRUE((own.get()->*AGet)() == AInA) << "unassigned again: the controller's";
  own->SetStyleController(nullptr);
  EXPECT_TRUE((own.get()->*AGet)() == ADefault) << "without a controller: the default";
}

}  // namespace

TEST(CxContainerStyle, ValuesComeFromTheStyleThenTheControllerChainThenTheDefault) {
  checkResolution<TColor>("BorderColor", csvBorderColor, &TcxContainerStyle::BorderColor,
                          &TcxContainerStyle::SetBorderColor, clWindowFrame, clRed, clBlue, clGreen);
  checkResolution<TcxContainerBorderStyle>("BorderStyle", csvBorderStyle, &TcxContainerStyle::BorderStyle,
                                           &TcxContainerStyle::SetBorderStyle, cbsUltraFlat, cbsThick, cbs3D,
                                           cbsSingle);
  checkResolution<TColor>("Color", csvColor, &TcxContainerStyle::Color, &TcxContainerStyle::SetColor, clWindow,
                          clYellow, clAqua, clLime);
  checkResolution<TcxBorders>("Edges", csvEdges, &TcxContainerStyle::Edges, &TcxContainerStyle::SetEdges,
                              cxBordersAll, TcxBorders{bLeft}, TcxBorders{bTop, bBottom}, TcxBorders());
  checkResolution<bool>("HotTrack", csvHotTrack, &TcxContainerStyle::HotTrack, &TcxContainerStyle::SetHotTrack, true,
                        false, true, false);
  checkResolution<bool>("Shadow", csvShadow, &TcxContainerStyle::Shadow, &TcxContainerStyle::SetShadow, false, true,
                        false, true);
  checkResolution<bool>("TransparentBorder", csvTransparentBorder, &TcxContainerStyle::TransparentBorder,
                        &TcxContainerStyle::SetTransparentBorder, true, false, true, false);
}

TEST(CxContainerStyle, DefaultBorderStyleFollowsTheLookAndFeelKind) {
  StylePtr style = newStyle();
  const std::pair<TcxLookAndFeelKind, TcxContainerBorderStyle> cases[] = {
      {lfFlat, cbsFlat}, {lfStandard, cbs3D}, {lfUltraFlat, cbsUltraFlat}};
  for (const auto& [kind, border] : cases) {
    style->LookAndFeel()->SetKind(kind);
    EXPECT_EQ(style->BorderStyle(), border) << "kind " << kind;
  }
}

TEST(CxContainerStyle, ValueNamesAndUnknownValues) {
  StylePtr style = newStyle();
  const char* names[] = {"BorderColor", "BorderStyle", "Color", "Edges", "Font", "HotTrack", "Shadow",
                         "TransparentBorder"};
  std::string name;
  for (Integer i = 0; i < 8; ++i) {
    EXPECT_TRUE(style->GetStyleValueName(static_cast<TcxContainerStyleValue>(i), name));
    EXPECT_EQ(name, names[i]);
  }
  EXPECT_EQ(style->GetStyleValueCount(), 8);
  EXPECT_FALSE(style->GetStyleValueName(static_cast<TcxContainerStyleValue>(8), name));
  EXPECT_EQ(name, "");
  EXPECT_FALSE(style->IsValueAssigned(static_cast<TcxContainerStyleValue>(9)));
}

TEST(CxContainerStyle, ControllerCyclesOfAnyLengthAreRefused) {
  StylePtr own = newStyle();
  ControllerPtr a = newController(), b = newController(), c = newController();
  a->Style()->SetStyleController(a.get());
  EXPECT_EQ(a->Style()->StyleController(), nullptr) << "a controller of its own style";
  a->Style()->SetStyleController(b.get());
  b->Style()->SetStyleController(a.get());
  EXPECT_EQ(b->Style()->StyleController(), nullptr) << "two controllers naming each other";
  b->Style()->SetStyleController(c.get());
  c->Style()->SetStyleController(a.get());
  EXPECT_EQ(c->Style()->StyleController(), nullptr) << "a ring of three would make every look-up go round";
  // A refused controller leaves the old one in place.
  ControllerPtr d = newController();
  c->Style()->SetStyleController(d.get());
  c->Style()->SetStyleController(b.get());
  EXPECT_EQ(c->Style()->StyleController(), d.get());
  own->SetStyleController(a.get());
  EXPECT_FALSE(own->IsValueAssigned(csvTransparentBorder)) << "the look-up through the chain ends";
  d->Style()->SetTransparentBorder(false);
  EXPECT_TRUE(own->IsValueAssigned(csvTransparentBorder)) << "assigned four controllers up";
  EXPECT_FALSE(own->TransparentBorder());
}

TEST(CxContainerStyle, ChangesAreReportedOncePerRealChangeAndPerUpdateBracket) {
  StylePtr style = newStyle();
  TChangeLog log;
  style->SetOnChanged(TNotifyEvent(&log, &TChangeLog::Changed));
  style->SetHotTrack(false);
  EXPECT_EQ(log.Changes, 1);
  style->SetHotTrack(false);
  EXPECT_EQ(log.Changes, 1) << "the same value again changes nothing";
  style->SetHotTrack(true);
  EXPECT_EQ(log.Changes, 2) << "assigning the default value is a change";
  style->BeginUpdate();
  style->SetShadow(true);
  style->SetBorderColor(clRed);
  style->SetEdges(TcxBorders{bLeft});
  EXPECT_EQ(log.Changes, 2) << "nothing inside the bracket";
  style->EndUpdate();
  EXPECT_EQ(log.Changes, 3) << "one notice at the end of the bracket";
  style->EndUpdate();
  EXPECT_EQ(log.Changes, 3) << "an extra EndUpdate does nothing";
  EXPECT_EQ(style->UpdateCount(), 0);
  style->LookAndFeel()->SetKind(lfFlat);
  EXPECT_EQ(log.Changes, 4) << "the look-and-feel reports through the style";
}

TEST(CxContainerStyle, ControllerChangesReachEveryListenerWithTheEvent) {
  StylePtr first = newStyle(), second = newStyle();
  ControllerPtr controller = newController();
  TChangeLog firstLog, secondLog;
  first->SetOnChanged(TNotifyEvent(&firstLog, &TChangeLog::Changed));
  second->SetOnChanged(TNotifyEvent(&secondLog, &TChangeLog::Changed));
  first->SetStyleController(controller.get());
  second->SetStyleController(controller.get());
  second->SetStyleController(controller.get());
  EXPECT_EQ(controller->ListenerCount(), 2) << "a listener is added once";
  EXPECT_EQ(firstLog.Changes, 1) << "joining a controller is a change";
  TChangeLog events;
  controller->SetOnStyleChanged(TcxStyleChangedEvent(&events, &TChangeLog::StyleChanged));
  controller->Style()->SetBorderColor(clMaroon);
  EXPECT_EQ(events.Controller, (std::vector<std::string>{"own", "listener", "listener"}));
  EXPECT_EQ(firstLog.Changes, 2);
  EXPECT_EQ(secondLog.Changes, 2);
  EXPECT_EQ(first->BorderColor(), clMaroon);

  // The controller goes: its listeners fall back to their defaults and are told.
  controller.reset();
  EXPECT_EQ(first->StyleController(), nullptr);
  EXPECT_EQ(first->BorderColor(), clWindowFrame);
  EXPECT_EQ(firstLog.Changes, 3);
  EXPECT_EQ(secondLog.Changes, 3);
}

TEST(CxContainerStyle, LookAndFeelFollowsTheControllersStyle) {
  ControllerPtr controller = newController();
  StylePtr style = newStyle();
  style->SetStyleController(controller.get());
  controller->Style()->LookAndFeel()->SetKind(lfStandard);
  EXPECT_EQ(style->LookAndFeel()->Kind(), lfStandard);
  EXPECT_EQ(style->BorderStyle(), cbs3D) << "the default border follows the inherited kind";
  style->SetStyleController(nullptr);
  EXPECT_NE(style->LookAndFeel()->MasterLookAndFeel(), controller->Style()->LookAndFeel());
}

TEST(CxContainerStyle, FontIsTakenFromTheControllerWithoutBeingAssigned) {
  ControllerPtr controller = newController();
  controller->Style()->Font()->SetSize(14);
  EXPECT_TRUE(controller->Style()->AssignedValues().Contains(csvFont)) << "a font change assigns it";
  StylePtr style = newStyle();
  style->SetStyleController(controller.get());
  EXPECT_EQ(style->Font()->Size(), 14);
  EXPECT_FALSE(style->AssignedValues().Contains(csvFont)) << "copied from the controller, not assigned";
  controller->Style()->Font()->SetSize(20);
  EXPECT_EQ(style->Font()->Size(), 20) << "kept in step with the controller";
  style->Font()->SetSize(9);
  EXPECT_TRUE(style->AssignedValues().Contains(csvFont));
  controller->Style()->Font()->SetSize(22);
  EXPECT_EQ(style->Font()->Size(), 9) << "an own font is not overwritten";
  style->SetAssignedValues(TcxContainerStyleValues());
  EXPECT_EQ(style->Font()->Size(), 22) << "unassigned again: refreshed from the controller";
}

TEST(CxContainerStyle, InPlaceStyleAnswersFixedValuesAndKeepsItsFontObject) {
  StylePtr style = newStyle(true);
  TChangeLog log;
  style->SetOnChanged(TNotifyEvent(&log, &TChangeLog::Changed));
  TcxContainerStyleValues all;
  for (Integer i = 0; i < 8; ++i) all.Include(static_cast<TcxContainerStyleValue>(i));
  EXPECT_TRUE(style->AssignedValues() == all) << "every value reads as assigned";
  EXPECT_TRUE(style->OwnAssignedValues() == (TcxContainerStyleValues{csvColor, csvFont}));
  EXPECT_TRUE(style->Edges() == TcxBorders()) << "a cell has no edges";
  EXPECT_EQ(style->BorderColor(), clDefault);
  EXPECT_FALSE(style->Shadow());
  EXPECT_TRUE(style->TransparentBorder());
  style->SetColor(clYellow);
  EXPECT_EQ(style->Color(), clYellow);
  EXPECT_EQ(style->GetVisibleColor(), clYellow);
  ControllerPtr controller = newController();
  controller->Style()->SetHotTrack(false);
  style->SetStyleController(controller.get());
  EXPECT_TRUE(style->HotTrack()) << "an in-place style does not ask its controller";
  TFont font;
  style->SetFont(&font);
  EXPECT_EQ(style->Font(), &font) << "the font object itself is kept";
  EXPECT_EQ(log.Changes, 0) << "an in-place style never notifies";
}

TEST(CxContainerStyle, AssignCopiesValuesAssignedSetControllerAndFontColour) {
  ControllerPtr controller = newController();
  StylePtr source = newStyle(), target = newStyle();
  source->SetStyleController(controller.get());
  source->SetBorderStyle(cbsThick);
  source->SetShadow(true);
  source->Font()->SetName("Arial");
  source->Font()->SetColor(clRed);
  source->LookAndFeel()->SetKind(lfFlat);
  TChangeLog log;
  target->SetOnChanged(TNotifyEvent(&log, &TChangeLog::Changed));
  target->Assign(source.get());
  EXPECT_EQ(log.Changes, 1) << "one notice for the whole copy";
  EXPECT_EQ(target->StyleController(), controller.get());
  EXPECT_EQ(target->BorderStyle(), cbsThick);
  EXPECT_TRUE(target->Shadow());
  EXPECT_EQ(target->Font()->Name(), "Arial");
  EXPECT_EQ(target->Font()->Color(), clRed);
  EXPECT_EQ(target->LookAndFeel()->Kind(), lfFlat);
  EXPECT_TRUE(target->AssignedValues() == source->AssignedValues());

  // From an in-place source the font's colour is its text colour; an in-place target
  // takes the font object itself.
  StylePtr inplaceSource = newStyle(true), inplaceTarget = newStyle(true);
  TFont cellFont;
  cellFont.SetColor(clBlue);
  inplaceSource->SetFont(&cellFont);
  inplaceSource->SetTextColor(clGreen);
  target->Assign(inplaceSource.get());
  EXPECT_EQ(target->Font()->Color(), clGreen);
  EXPECT_NE(target->Font(), &cellFont);
  inplaceTarget->Assign(inplaceSource.get());
  EXPECT_EQ(inplaceTarget->Font(), &cellFont);
  EXPECT_EQ(inplaceTarget->TextColor(), clGreen);
}

TEST(CxContainerStyle, ValuesAreStoredOnlyWhenAssignedAndUsedByTheContainer) {
  TObjectPtr<TTestContainer> container(New<TTestContainer>(nullptr));
  container->Unused = TcxContainerStyleValues{csvShadow};
  TcxContainerStyle* style = container->Style();
  style->SetHotTrack(false);
  style->SetShadow(true);
  EXPECT_TRUE(IsStoredProp(style, "HotTrack"));
  EXPECT_FALSE(IsStoredProp(style, "Shadow")) << "a value this container ignores is not stored";
  EXPECT_FALSE(IsStoredProp(style, "BorderColor")) << "an unassigned value is not stored";
  EXPECT_FALSE(IsStoredProp(style, "AssignedValues"));
  EXPECT_TRUE(IsStoredProp(style, "LookAndFeel"));
}

TEST(CxContainerStyle, RestoreDefaultsForgetsEveryValueAndFollowsTheParentFont) {
  TObjectPtr<TTestContainer> container(New<TTestContainer>(nullptr));
  TcxContainerStyle* style = container->Style();
  style->SetBorderColor(clRed);
  style->LookAndFeel()->SetKind(lfStandard);
  container->SetParentFont(false);
  style->RestoreDefaults();
  EXPECT_TRUE(style->OwnAssignedValues() == TcxContainerStyleValues());
  EXPECT_TRUE(style->LookAndFeel()->AssignedValues() == TcxLookAndFeelValues());
  EXPECT_TRUE(container->ParentFont());
  EXPECT_FALSE(container->ParentColor());
}

// ---------------------------------------------------------------------------------------
// The container under real windows.

namespace {

class CxContainerTest : public GuiTest {
protected:
  TForm* newForm(Integer W = 360, Integer H = 240) {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(100, 100, W, H);
    form->SetColor(clBtnFace);
    return form;
  }
  // An edit that holds the focus, so that a container is neither focused nor hot by it.
  TEdit* focusHolder(TForm* Form) {
    TEdit* edit = New<TEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(Form->ClientWidth() - 70, Form->ClientHeight() - 30, 60, 22);
    edit->SetTabOrder(0);
    return edit;
  }
  template <class C = TTestContainer> C* newContainer(TForm* Form, const TRect& R) {
    C* c = New<C>(Form);
    c->SetParent(Form);
    c->SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
    return c;
  }
  // A container without hot tracking or transparent border: its border takes exactly its
  // width on every side.
  static void plainBorder(TcxContainer* C, TcxContainerBorderStyle ABorder) {
    C->Style()->SetHotTrack(false);
    C->Style()->SetTransparentBorder(false);
    C->Style()->SetBorderStyle(ABorder);
  }
};

std::string vis(const TRect& r) { return rectText(r); }

}  // namespace

TEST_F(CxContainerTest, ViewInfoFollowsTheStyleTheHotStateAndTheBorderTables) {
  TForm* form = newForm();
  TTestContainer* c = newContainer(form, TRect{10, 10, 110, 40});
  TEdit* holder = focusHolder(form);
  showAndActivate(form);
  holder->SetFocus();
  pumpFor(20);
  struct Case {
    const char* Name;
    TcxContainerBorderStyle Border;
    bool HotTrack, Transparent, Shadow, Hot;
    TcxContainerBorderStyle Painted;
    Integer Width;
    TRect BorderRect;
    Integer HotState;
  };
  const Case cases[] = {
      {"single idle", cbsSingle, true, true, false, false, cbsSingle, 1, {2, 2, 98, 28}, 1},
      {"single hot", cbsSingle, true, true, false, true, cbsThick, 2, {2, 2, 98, 28}, 2},
      {"single no hot tracking", cbsSingle, false, false, false, true, cbsSingle, 1, {1, 1, 99, 29}, 0},
      {"transparent border alone", cbsSingle, false, true, false, false, cbsSingle, 1, {2, 2, 98, 28}, 0},
      {"3D plain", cbs3D, false, false, false, false, cbs3D, 2, {2, 2, 98, 28}, 0},
      {"flat hot", cbsFlat, true, false, false, true, cbs3D, 2, {2, 2, 98, 28}, 2},
      {"none hot", cbsNone, true, false, false, true, cbsFlat, 2, {2, 2, 98, 28}, 2},
      {"none plain", cbsNone, false, false, false, false, cbsNone, 0, {0, 0, 100, 30}, 0},
      {"ultra-flat idle", cbsUltraFlat, true, true, false, false, cbsSingle, 1, {2, 2, 98, 28}, 1},
      {"shadow", cbsSingle, false, false, true, false, cbsSingle, 1, {1, 1, 96, 26}, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    c->Style()->SetBorderStyle(k.Border);
    c->Style()->SetHotTrack(k.HotTrack);
    c->Style()->SetTransparentBorder(k.Transparent);
    c->Style()->SetShadow(k.Shadow);
    c->CalculateViewInfo(k.Hot ? TPoint{50, 15} : TPoint{-5, -5}, true);
    TcxContainerViewInfo* vi = c->ViewInfo();
    EXPECT_EQ(vi->BorderStyle, k.Painted);
    EXPECT_EQ(vi->BorderWidth, k.Width);
    EXPECT_EQ(vis(vi->BorderRect), vis(k.BorderRect));
    EXPECT_EQ(vis(vi->ClientRect), vis(k.BorderRect));
    EXPECT_EQ(vi->HotState, k.HotState);
    EXPECT_EQ(vi->Shadow, k.Shadow);
    EXPECT_EQ(vis(vi->Bounds), vis(TRect{0, 0, 100, 30}));
  }
  // The hot test is skipped when not allowed.
  c->Style()->SetBorderStyle(cbsSingle);
  c->Style()->SetHotTrack(true);
  c->CalculateViewInfo(TPoint{50, 15}, false);
  EXPECT_EQ(c->ViewInfo()->ContainerState, csNormal);
}

TEST_F(CxContainerTest, UltraFlatBorderIsHighlightedOnlyWhenFocusedOrHot) {
  TForm* form = newForm();
  TEditContainer* c = newContainer<TEditContainer>(form, TRect{10, 10, 110, 40});
  TEditContainer* other = newContainer<TEditContainer>(form, TRect{10, 60, 110, 90});
  c->Style()->SetBorderStyle(cbsUltraFlat);
  c->Style()->SetBorderColor(clRed);
  showAndActivate(form);
  other->SetFocus();
  pumpFor(20);
  c->CalculateViewInfo(TPoint{-5, -5}, true);
  EXPECT_EQ(c->ViewInfo()->BorderColor, clBtnShadow) << "the style's border colour plays no part";
  c->CalculateViewInfo(TPoint{50, 15}, true);
  EXPECT_EQ(c->ViewInfo()->BorderColor, clHighlight) << "under the mouse";
  c->SetFocus();
  pumpFor(20);
  c->CalculateViewInfo(TPoint{-5, -5}, true);
  EXPECT_EQ(c->ViewInfo()->ContainerState, csFocused);
  EXPECT_EQ(c->ViewInfo()->BorderColor, clHighlight) << "focused";
  c->Style()->SetBorderStyle(cbsSingle);
  c->CalculateViewInfo(TPoint{-5, -5}, true);
  EXPECT_EQ(c->ViewInfo()->BorderColor, clRed) << "other borders use the style's colour";
}

TEST_F(CxContainerTest, BorderExtentAndHotTrackArea) {
  TForm* form = newForm();
  TTestContainer* c = newContainer(form, TRect{10, 10, 110, 40});
  showAndActivate(form);
  TRect extent;
  c->Style()->SetTransparentBorder(false);
  c->Style()->SetHotTrack(false);
  c->Style()->SetBorderStyle(cbsThick);
  c->CalculateViewInfo(TPoint{-5, -5}, true);
  c->GetBorderExtent(extent);
  EXPECT_EQ(vis(extent), vis(TRect{2, 2, 2, 2})) << "the painted border's width";
  c->Style()->SetShadow(true);
  c->CalculateViewInfo(TPoint{-5, -5}, true);
  c->GetBorderExtent(extent);
  EXPECT_EQ(vis(extent), vis(TRect{2, 2, 5, 5})) << "a shadow adds 3 at the right and bottom";
  c->Style()->SetShadow(false);
  c->Style()->SetBorderStyle(cbsSingle);
  c->Style()->SetTransparentBorder(true);
  c->CalculateViewInfo(TPoint{-5, -5}, true);
  c->GetBorderExtent(extent);
  EXPECT_EQ(vis(extent), vis(TRect{2, 2, 2, 2})) << "the transparent border takes 2 whatever the border";
  // The hot area is the painted border and what it encloses, on the sides it has.
  EXPECT_EQ(vis(c->GetHotTrackArea()), vis(TRect{1, 1, 99, 29}));
  c->Style()->SetEdges(TcxBorders{bLeft, bTop});
  c->CalculateViewInfo(TPoint{-5, -5}, true);
  EXPECT_EQ(vis(c->GetHotTrackArea()), vis(TRect{1, 1, 98, 28}));
}

TEST_F(CxContainerTest, BorderHotTracksUnderTheMouseAndCoolsWhenItLeaves) {
  TForm* form = newForm();
  TTestContainer* c = newContainer(form, TRect{20, 20, 140, 60});
  c->Style()->SetBorderStyle(cbsSingle);
  c->Style()->SetBorderColor(clRed);
  TEdit* holder = focusHolder(form);
  showAndActivate(form);
  holder->SetFocus();
  moveMouseTo(form->ClientToScreen(Point(250, 150)));
  pumpFor(30);
  TBitmap before;
  captureClient(c, before);
  EXPECT_EQ(c->ViewInfo()->HotState, cxHotStateIdle);
  EXPECT_EQ(pixelAt(before, 1, 20), rgb(clRed)) << "idle: a single frame inside the transparent pixel";
  EXPECT_NE(pixelAt(before, 2, 20), rgb(clRed));

  moveMouseTo(c->ClientToScreen(Point(60, 20)));
  EXPECT_TRUE(pumpUntil([&] { return c->ViewInfo()->HotState == cxHotStateActive; }, 1000));
  EXPECT_TRUE(cxIsMouseTracking(c->MouseTrackingCaller())) << "the hot area is tracked";
  TBitmap hot;
  captureClient(c, hot);
  EXPECT_EQ(c->ViewInfo()->BorderStyle, cbsThick);
  EXPECT_EQ(pixelAt(hot, 0, 20), rgb(clRed)) << "hot: a thick frame over the whole transparent border";
  EXPECT_EQ(pixelAt(hot, 1, 20), rgb(clRed));

  moveMouseTo(form->ClientToScreen(Point(250, 150)));
  EXPECT_TRUE(pumpUntil([&] { return c->ViewInfo()->HotState == cxHotStateIdle; }, 1000));
  EXPECT_TRUE(pumpUntil([&] { return !cxIsMouseTracking(c->MouseTrackingCaller()); }, 1000));
  TBitmap after;
  captureClient(c, after);
  EXPECT_EQ(pixelAt(after, 1, 20), rgb(clRed));
  EXPECT_NE(pixelAt(after, 2, 20), rgb(clRed)) << "back to the single frame";
}

TEST_F(CxContainerTest, ClickingTheContainerFocusesItsInnerControlAndTabLeavesIt) {
  TForm* form = newForm();
  TEdit* before = New<TEdit>(form);
  before->SetParent(form);
  before->SetBounds(10, 10, 80, 22);
  TEditContainer* c = newContainer<TEditContainer>(form, TRect{10, 50, 130, 80});
  TEdit* after = New<TEdit>(form);
  after->SetParent(form);
  after->SetBounds(10, 100, 80, 22);
  showAndActivate(form);
  before->SetFocus();
  pumpFor(20);
  EXPECT_FALSE(c->HasFocus());
  clickAt(c, Point(1, 1));
  EXPECT_TRUE(pumpUntil([&] { return c->Edit->Focused(); }, 1000)) << "the border click ends in the inner edit";
  EXPECT_TRUE(c->HasFocus());
  EXPECT_TRUE(c->Focused());
  EXPECT_FALSE(c->AcceptsFocus()) << "not while its inner control has the focus";
  EXPECT_EQ(c->ViewInfo()->ContainerState & csFocused, csFocused);

  // In the tab order the inner control takes the container's place.
  TList list;
  form->GetTabOrderList(&list);
  EXPECT_EQ(list.IndexOf(c), -1);
  EXPECT_EQ(list.IndexOf(c->Edit), list.IndexOf(before) + 1);
  EXPECT_EQ(form->FindNextControl(c->Edit, true, true, false), after);
  EXPECT_EQ(form->FindNextControl(c->Edit, false, true, false), before);

  pressKey(VK_TAB);
  EXPECT_TRUE(pumpUntil([&] { return after->Focused(); }, 1000)) << "Tab leaves from the inner control";
  pressKey(VK_TAB, true);
  EXPECT_TRUE(pumpUntil([&] { return c->Edit->Focused(); }, 1000)) << "Shift+Tab comes back into it";

  // The container's own Tab handling (inner controls hand their keys to it).
  struct Case {
    TShiftState Shift;
    bool HandlesTab;
    TWinControl* Expected;
    Word KeyAfter;
  };
  const Case cases[] = {
      {TShiftState(), false, after, 0},
      {TShiftState{ssShift}, false, before, 0},
      {TShiftState{ssCtrl}, false, c->Edit, VK_TAB},
      {TShiftState(), true, c->Edit, VK_TAB},
  };
  for (const Case& k : cases) {
    c->SetFocus();
    pumpFor(20);
    ASSERT_TRUE(c->Edit->Focused());
    c->HandlesTab = k.HandlesTab;
    Word key = VK_TAB;
    c->PressKey(key, k.Shift);
    pumpFor(20);
    EXPECT_TRUE(k.Expected->Focused()) << "shift " << k.Shift.ToBits() << ", handles tab " << k.HandlesTab;
    EXPECT_EQ(key, k.KeyAfter);
  }
  c->HandlesTab = false;
  after->SetFocus();
  pumpFor(20);
  EXPECT_FALSE(c->HasFocus());
  c->SetFocus();
  pumpFor(20);
  EXPECT_TRUE(c->Edit->Focused()) << "focusing the container focuses the inner control";
}

TEST_F(CxContainerTest, KeysSentToTheContainerReachTheInnerControl) {
  TForm* form = newForm();
  TEditContainer* c = newContainer<TEditContainer>(form, TRect{10, 50, 130, 80});
  showAndActivate(form);
  c->Perform(WM_CHAR, 'x', 0);
  c->Perform(WM_CHAR, 'y', 0);
  EXPECT_EQ(c->Edit->Text(), "xy");
}

TEST_F(CxContainerTest, InnerControlFillsTheClientRectangleAndTakesTheLook) {
  TForm* form = newForm();
  TEditContainer* c = newContainer<TEditContainer>(form, TRect{10, 10, 130, 40});
  plainBorder(c, cbs3D);
  showAndActivate(form);
  EXPECT_EQ(vis(c->Edit->BoundsRect()), vis(TRect{2, 2, 118, 28}));
  EXPECT_EQ(vis(c->GetClientBounds()), vis(TRect{2, 2, 118, 28}));
  c->SetBounds(10, 10, 200, 50);
  pumpFor(20);
  EXPECT_EQ(vis(c->Edit->BoundsRect()), vis(TRect{2, 2, 198, 48})) << "follows a resize";
  c->Style()->SetBorderStyle(cbsSingle);
  pumpFor(20);
  EXPECT_EQ(vis(c->Edit->BoundsRect()), vis(TRect{1, 1, 199, 49})) << "follows the border";

  c->Style()->SetColor(clYellow);
  pumpFor(20);
  EXPECT_EQ(c->Edit->Color(), clYellow);
  c->Font()->SetColor(clMaroon);
  pumpFor(20);
  EXPECT_EQ(c->Edit->Font()->Color(), clMaroon);

  c->SetEnabled(false);
  pumpFor(30);
  EXPECT_FALSE(c->Edit->Enabled());
  EXPECT_EQ(c->Edit->Color(), clBtnFace) << "a disabled container's background";
  EXPECT_EQ(c->Edit->Font()->Color(), clBtnShadow) << "and its inner text";
  c->Font()->SetSize(12);
  pumpFor(20);
  EXPECT_EQ(c->Edit->Font()->Size(), 12);
  EXPECT_EQ(c->Edit->Font()->Color(), clBtnShadow) << "a font change keeps the inner text greyed";
  TBitmap bmp;
  captureClient(c, bmp);
  EXPECT_EQ(pixelAt(bmp, 0, 10), rgb(clWindowFrame));
  c->SetEnabled(true);
  pumpFor(20);
  EXPECT_EQ(c->Edit->Color(), clYellow);
  EXPECT_EQ(c->Edit->Font()->Color(), clMaroon);
}

TEST_F(CxContainerTest, ColourComesFromTheControllerAndFallsBackToTheDefaultOrTheParent) {
  TForm* form = newForm();
  form->SetColor(clTeal);
  TTestContainer* c = newContainer(form, TRect{10, 10, 130, 40});
  plainBorder(c, cbsSingle);
  showAndActivate(form);
  ControllerPtr controller = newController();
  controller->Style()->SetColor(clYellow);
  c->Style()->SetStyleController(controller.get());
  pumpFor(20);
  EXPECT_EQ(c->Color(), clYellow);
  TBitmap bmp;
  captureClient(c, bmp);
  EXPECT_EQ(pixelAt(bmp, 50, 15), rgb(clYellow)) << "painted in the controller's colour";
  c->Style()->SetStyleController(nullptr);
  pumpFor(20);
  EXPECT_EQ(c->Color(), clWindow) << "the default without the controller";
  c->SetParentColor(true);
  pumpFor(20);
  EXPECT_EQ(c->Color(), clTeal) << "following the parent";
  EXPECT_EQ(c->Style()->GetColor(), clTeal);
  EXPECT_FALSE(c->Style()->OwnAssignedValues().Contains(csvColor)) << "the parent's colour is not assigned";
  captureClient(c, bmp);
  EXPECT_EQ(pixelAt(bmp, 50, 15), rgb(clTeal));
  form->SetColor(clOlive);
  pumpFor(20);
  EXPECT_EQ(c->Color(), clOlive) << "and its changes";
  // An assigned colour wins over the parent's: the container stops following it.
  c->Style()->SetStyleController(controller.get());
  pumpFor(20);
  EXPECT_EQ(c->Color(), clYellow);
  EXPECT_FALSE(c->ParentColor());
  c->Style()->SetStyleController(nullptr);

  // A colour set on the container goes into its style.
  c->SetColor(clLime);
  EXPECT_EQ(c->Style()->Color(), clLime);
  EXPECT_TRUE(c->Style()->OwnAssignedValues().Contains(csvColor));
}

TEST_F(CxContainerTest, FontsFromOutsideAndFromTheControllerReachTheContainer) {
  TForm* form = newForm();
  TEditContainer* c = newContainer<TEditContainer>(form, TRect{10, 10, 130, 40});
  showAndActivate(form);
  c->Font()->SetSize(15);
  EXPECT_EQ(c->Style()->Font()->Size(), 15) << "the container's font goes into the style";
  EXPECT_FALSE(c->Style()->OwnAssignedValues().Contains(csvFont)) << "without being assigned";
  EXPECT_EQ(c->Edit->Font()->Size(), 15);
  form->Font()->SetSize(11);
  pumpFor(20);
  EXPECT_EQ(c->Font()->Size(), 15) << "a container with its own font ignores its parent's";
  c->SetParentFont(true);
  EXPECT_EQ(c->Font()->Size(), 11);
  EXPECT_EQ(c->Style()->Font()->Size(), 11);
  ControllerPtr controller = newController();
  controller->Style()->Font()->SetSize(20);
  c->Style()->SetStyleController(controller.get());
  pumpFor(20);
  EXPECT_EQ(c->Font()->Size(), 20) << "the controller's font";
  EXPECT_EQ(c->Edit->Font()->Size(), 20);
  c->Style()->SetStyleController(nullptr);
}

TEST_F(CxContainerTest, WindowRegionLeavesOutTheTransparentBorderAndIncludesTheShadow) {
  TForm* form = newForm();
  TTestContainer* c = newContainer(form, TRect{10, 10, 110, 40});
  c->Style()->SetBorderStyle(cbsSingle);
  c->Style()->SetHotTrack(false);
  showAndActivate(form);
  auto inRegion = [&](Integer X, Integer Y) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    bool has = GetWindowRgn(c->Handle(), region) != ERROR;
    bool in = has && PtInRegion(region, X, Y);
    DeleteObject(region);
    return has ? (in ? 1 : 0) : -1;
  };
  EXPECT_EQ(inRegion(0, 0), 0) << "the outer pixel of the transparent border is see-through";
  EXPECT_EQ(inRegion(1, 1), 1);
  EXPECT_EQ(inRegion(98, 28), 1);
  EXPECT_EQ(inRegion(99, 29), 0);
  c->Style()->SetShadow(true);
  pumpFor(20);
  // Border rectangle 2..95 x 2..25 widened by 1: the frame is 1..96 x 1..26, the shadow
  // the same moved by 3.
  EXPECT_EQ(inRegion(98, 28), 1) << "the shadow is part of the window";
  EXPECT_EQ(inRegion(98, 2), 0) << "the corner beside the shadow is not";
  EXPECT_EQ(inRegion(2, 28), 0);
  TBitmap bmp;
  captureClient(c, bmp);
  EXPECT_EQ(pixelAt(bmp, 97, 20), rgb(clBtnShadow)) << "the shadow strip at the right";
  EXPECT_EQ(pixelAt(bmp, 20, 27), rgb(clBtnShadow)) << "and below";
  EXPECT_EQ(pixelAt(bmp, 0, 0), rgb(clBtnFace)) << "the form shows through outside the region";
}

TEST_F(CxContainerTest, EveryBorderStyleDrawsItsFrame) {
  TForm* form = newForm(380, 180);
  struct Case {
    TcxContainerBorderStyle Border;
    // Expected colours along the left side, from the outer pixel inwards (x = 0, 1, 2).
    std::vector<TColor> Left;
  };
  const Case cases[] = {
      {cbsNone, {clWindow}},
      {cbsSingle, {clRed, clWindow}},
      {cbsThick, {clRed, clRed, clWindow}},
      {cbsFlat, {cl3DDkShadow, clBtnFace, clWindow}},
      {cbs3D, {cl3DDkShadow, cl3DDkShadow, clWindow}},
      {cbsUltraFlat, {clBtnShadow, clWindow}},
  };
  std::vector<TTestContainer*> containers;
  Integer x = 10;
  for (const Case& k : cases) {
    TTestContainer* c = newContainer(form, TRect{x, 10, x + 50, 40});
    plainBorder(c, k.Border);
    c->Style()->SetBorderColor(clRed);
    containers.push_back(c);
    x += 60;
  }
  TTestContainer* partial = newContainer(form, TRect{10, 60, 110, 100});
  plainBorder(partial, cbsSingle);
  partial->Style()->SetBorderColor(clRed);
  partial->Style()->SetEdges(TcxBorders{bLeft, bTop});
  partial->Style()->SetShadow(true);
  TEdit* holder = focusHolder(form);
  showAndActivate(form);
  holder->SetFocus();
  moveMouseTo(form->ClientToScreen(Point(200, 120)));
  pumpFor(50);
  TBitmap shot;
  captureClient(form, shot);
  savePng(shot, "cxContainer_border_styles");
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("border style " + std::to_string(static_cast<int>(cases[i].Border)));
    TBitmap bmp;
    captureClient(containers[i], bmp);
    for (size_t p = 0; p < cases[i].Left.size(); ++p)
      EXPECT_EQ(pixelAt(bmp, static_cast<Integer>(p), 15), rgb(cases[i].Left[p])) << "x = " << p;
  }
  // cbs3D's right side is light, cbsFlat's too.
  TBitmap bmp;
  captureClient(containers[4], bmp);
  EXPECT_EQ(pixelAt(bmp, 49, 15), rgb(cl3DLight));
  // Without right and bottom edges the frame is cut off there.
  captureClient(partial, bmp);
  EXPECT_EQ(pixelAt(bmp, 0, 20), rgb(clRed));
  EXPECT_EQ(pixelAt(bmp, 20, 0), rgb(clRed));
  EXPECT_EQ(pixelAt(bmp, 95, 20), rgb(clWindow)) << "no right side: the background reaches the shadow";
  EXPECT_EQ(pixelAt(bmp, 96, 20), rgb(clBtnShadow)) << "the shadow hugs the missing side";
  EXPECT_EQ(pixelAt(bmp, 20, 35), rgb(clWindow));
  EXPECT_EQ(pixelAt(bmp, 20, 36), rgb(clBtnShadow));
}

TEST_F(CxContainerTest, ContextMenuIsSuppressedOutsideTheClientAreaOrWhileLocked) {
  TForm* form = newForm();
  TTestContainer* c = newContainer(form, TRect{10, 10, 130, 40});
  plainBorder(c, cbs3D);
  TMenuRecorder* menu = New<TMenuRecorder>(form);
  c->SetPopupMenu(menu);
  showAndActivate(form);
  auto menuAt = [&](const TPoint& ClientPoint) {
    TPoint screen = c->ClientToScreen(ClientPoint);
    c->Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(c->Handle()), MAKELPARAM(screen.x, screen.y));
  };
  menuAt(Point(50, 15));
  EXPECT_EQ(menu->Shown, 1) << "inside the client area";
  menuAt(Point(1, 15));
  EXPECT_EQ(menu->Shown, 1) << "on the border: suppressed";
  c->Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(c->Handle()), static_cast<LPARAM>(-1));
  EXPECT_EQ(menu->Shown, 2) << "the menu key has no point and must still open the menu";
  c->LockContextMenu(true);
  EXPECT_TRUE(c->IsContextMenuSuppressed());
  menuAt(Point(50, 15));
  EXPECT_EQ(menu->Shown, 2) << "locked";
  c->LockContextMenu(false);
}

TEST_F(CxContainerTest, InnerControlRegionCutsWhatSticksOutOfTheAlignmentRectangle) {
  TForm* form = newForm();
  TEditContainer* c = newContainer<TEditContainer>(form, TRect{10, 10, 130, 40});
  showAndActivate(form);
  struct Case {
    TRect Bounds;
    bool Cut;
    TRect Region;
  };
  const TRect align{2, 2, 118, 28};
  const Case cases[] = {
      {{2, 2, 118, 28}, false, {}},
      {{0, 2, 118, 28}, true, {2, 0, 118, 26}},
      {{2, 2, 120, 30}, true, {0, 0, 116, 26}},
      {{-3, -1, 121, 31}, true, {5, 3, 121, 29}},
  };
  for (const Case& k : cases) {
    c->Edit->SetBounds(k.Bounds.left, k.Bounds.top, k.Bounds.right - k.Bounds.left, k.Bounds.bottom - k.Bounds.top);
    std::optional<TRect> region = TRect{9, 9, 9, 9};
    c->CalculateInnerControlRegion(align, c->Edit, region);
    ASSERT_EQ(region.has_value(), k.Cut) << vis(k.Bounds);
    if (k.Cut) EXPECT_EQ(vis(*region), vis(k.Region));
  }
  std::optional<TRect> none;
  c->CalculateInnerControlRegion(align, nullptr, none);
  EXPECT_FALSE(none.has_value());
  // A stored region equal to the new one is no change; two missing ones are.
  c->StoreInnerControlRegion(c->Edit, TRect{1, 1, 5, 5});
  EXPECT_FALSE(c->InnerControlRegionChanged(c->Edit, TRect{1, 1, 5, 5}));
  EXPECT_TRUE(c->InnerControlRegionChanged(c->Edit, TRect{1, 1, 5, 6}));
  c->ResetInnerControlRegion();
  EXPECT_TRUE(c->InnerControlRegionChanged(c->Edit, std::nullopt));
  EXPECT_TRUE(c->InnerControlRegionChanged(form, TRect{1, 1, 5, 5})) << "other controls always";
}

TEST_F(CxContainerTest, FreeingAContainerWhileTheMouseIsTrackedEndsTheTracking) {
  TForm* form = newForm();
  TTestContainer* c = newContainer(form, TRect{20, 20, 140, 60});
  showAndActivate(form);
  moveMouseTo(c->ClientToScreen(Point(60, 20)));
  ASSERT_TRUE(pumpUntil([&] { return cxIsMouseTracking(c->MouseTrackingCaller()); }, 1000));
  IcxMouseTrackingCaller* caller = c->MouseTrackingCaller();
  c->Free();
  EXPECT_FALSE(cxIsMouseTracking(caller));
  moveMouseTo(form->ClientToScreen(Point(250, 150)));
  pumpFor(50);
}

TEST_F(CxContainerTest, NativeBorderIsDrawnByTheThemeWithoutRegionOrShadow) {
  bool wasOn = dxThemesActive;
  if (!wasOn) {
    bool switched = SwitchTestVisualStyle(true);
    pumpFor(30);
    if (!switched || !dxCanUseThemes()) FAIL() << "the light visual style could not be switched on: themed drawing would go untested";
  }
  TForm* form = newForm();
  TTestContainer* c = newContainer(form, TRect{10, 10, 130, 40});
  TEdit* holder = focusHolder(form);
  c->Style()->SetShadow(true);
  c->Style()->LookAndFeel()->SetNativeStyle(true);
  showAndActivate(form);
  holder->SetFocus();
  pumpFor(30);
  TcxContainerViewInfo* vi = c->ViewInfo();
  EXPECT_TRUE(vi->NativeStyle);
  EXPECT_EQ(vi->ThemeClass, totEdit);
  EXPECT_EQ(vi->ThemePart, 1);
  EXPECT_EQ(vi->ThemeState, 1) << "normal";
  EXPECT_FALSE(vi->Shadow) << "a native border has no shadow";
  EXPECT_FALSE(c->HasShadow());
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(c->Handle(), region), ERROR) << "a native border gets no window region";
  DeleteObject(region);
  EXPECT_EQ(vis(c->GetHotTrackArea()), vis(vi->Bounds));
  c->SetEnabled(false);
  pumpFor(20);
  EXPECT_EQ(vi->ThemeState, 4) << "disabled";
  c->SetEnabled(true);
  c->SetFocus();
  pumpFor(20);
  EXPECT_EQ(vi->ThemeState, 5) << "focused";

  // The frame between the bounds and the theme's content rectangle takes the combo box
  // theme's border colour; the content the background.
  TBitmap bmp;
  captureClient(c, bmp);
  RECT content = vi->Bounds;
  TdxTheme theme = dxGetThemeHandle(totEdit);
  ASSERT_NE(theme, nullptr);
  dxGetThemeBackgroundContentRect(theme, bmp.Canvas()->Handle(), 1, vi->ThemeState, &vi->Bounds, &content);
  COLORREF border = 0;
  TdxTheme combo = dxGetThemeHandle(totComboBox);
  bool hasBorderColor = combo && dxGetThemeColor(combo, 0, 0, 3801, &border) == S_OK;
  if (content.left > 0) EXPECT_EQ(pixelAt(bmp, 0, 15), hasBorderColor ? border : rgb(clBtnShadow));
  EXPECT_EQ(pixelAt(bmp, 60, 15), rgb(c->Color()));
  c->Free();
  if (!wasOn) {
    SwitchTestVisualStyle(false);
    pumpFor(30);
    // Switching the style gave the system colours new brushes; the graphics unit takes
    // them once, at its start: it reads them again for the tests that follow.
    cxInitSystemColorBrushes();
  }
}
