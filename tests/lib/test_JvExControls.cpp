// The extended-control bases: notifications reach the overridable operations, the mouse
// and hint extras, dialog codes, child-list notifications in order (on every windowed
// base), the marker interfaces, keyboard cues of the form base, erasing through the
// parent, the device-context hygiene of erase and print-client messages, and the shared
// utilities.
#include <string>
#include <vector>

#include "TestFramework.h"
#include "lib/JvComponent.h"
#include "lib/JvExExtCtrls.h"
#include "lib/JvExMask.h"
#include "lib/JvThemes.h"
#include "lib/JvUtils.h"
#include "lib/JvWndProcHook.h"
#include "platform/gui/GuiTestSupport.h"

namespace {

using Log = std::vector<std::string>;

std::string joined(const Log& log) {
  std::string s;
  for (const std::string& e : log) s += (s.empty() ? "" : ",") + e;
  return s;
}

// A non-windowed extended control that logs every operation it is asked for.
class ProbeGraphic : public TJvGraphicControl {
  RTL_DECLARE_CLASS(ProbeGraphic, TJvGraphicControl)
public:
  explicit ProbeGraphic(TComponent* AOwner) : TJvGraphicControl(AOwner) {}
  Log log;
  bool hit = true;

  bool AcceptsDialogChar(Word Key, TShiftState Shift, const std::string& Text) override {
    log.push_back("DialogChar:" + Text + (Shift.Contains(ssAlt) ? "+alt" : ""));
    return Key == 'x';
  }
  void NotifyFocusChanged(TWinControl* C) override { log.push_back("FocusChanged"); }
  void NotifyParentFontChanged() override { log.push_back("ParentFontChanged"); }
  void NotifyParentColorChanged() override {
    log.push_back("ParentColorChanged");
    TJvGraphicControl::NotifyParentColorChanged();
  }
  bool IsHitAt(Integer X, Integer Y) override {
    log.push_back("HitAt:" + IntToStr(X) + ";" + IntToStr(Y));
    return hit;
  }
  void NotifyVisibleChanged() override { log.push_back("VisibleChanged"); }
  void NotifyEnabledChanged() override { log.push_back("EnabledChanged"); }
  void NotifyColorChanged() override { log.push_back("ColorChanged"); }
  void NotifyFontChanged() override { log.push_back("FontChanged"); }
  void NotifyTextChanged() override { log.push_back("TextChanged"); }
  void NotifyParentShowHintChanged() override { log.push_back("ParentShowHintChanged"); }
};
RTL_IMPLEMENT_CLASS(ProbeGraphic)

// A form that logs its child-list notifications (with the child count at the time), the
// mouse entering its children, and paints its background in two bands.
class ProbeForm : public TJvForm {
  RTL_DECLARE_CLASS(ProbeForm, TJvForm)
public:
  explicit ProbeForm(TComponent* AOwner) : TJvForm(AOwner, 0) {}
  Log log;
  TJvDialogCodes add;
  bool dropNative = false;

  void NotifyControlListChanging(TControl* Child, bool Inserting) override {
    log.push_back(std::string("Changing:") + (Inserting ? "in" : "out") + ":" + IntToStr(ControlCount()));
    TJvForm::NotifyControlListChanging(Child, Inserting);
  }
  void NotifyControlListChanged(TControl* Child, bool Inserting) override {
    log.push_back(std::string("Changed:") + (Inserting ? "in" : "out") + ":" + IntToStr(ControlCount()));
    TJvForm::NotifyControlListChanged(Child, Inserting);
  }
  void HandleMouseEnter(TControl* Control) override {
    if (Control != this) log.push_back("parent-sees-enter");
    TJvForm::HandleMouseEnter(Control);
  }
  void HandleMouseLeave(TControl* Control) override {
    if (Control != this) log.push_back("parent-sees-leave");
    TJvForm::HandleMouseLeave(Control);
  }
  // Red above y = 15, blue below, in the form's own coordinates; it also moves the DC's
  // origin and leaves it moved, which the base must undo.
  bool PaintBackground(TCanvas* Canvas, LPARAM) override {
    HDC dc = Canvas->Handle();
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
    RECT top{0, 0, 400, 15}, rest{0, 15, 400, 400};
    FillRect(dc, &top, red);
    FillRect(dc, &rest, blue);
    DeleteObject(red);
    DeleteObject(blue);
    POINT org;
    GetWindowOrgEx(dc, &org);
    SetWindowOrgEx(dc, org.x + 3, org.y + 3, nullptr);
    return true;
  }
  void AdjustDialogCodes(TJvDialogCodes& Codes) override {
    Codes = Codes + add;
    if (dropNative) Codes.Exclude(dgcNative);
  }
};
RTL_IMPLEMENT_CLASS(ProbeForm)

class JvExControlsTest : public guitest::GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = own(new ProbeForm(nullptr));
    form->SetBounds(50, 50, 300, 200);
    probe = new ProbeGraphic(form);
    probe->SetParent(form);
    probe->SetBounds(10, 20, 50, 30);
    probe->log.clear();
    form->log.clear();
  }
  ProbeForm* form = nullptr;
  ProbeGraphic* probe = nullptr;
};

TEST_F(JvExControlsTest, NotificationsReachTheirOperations) {
  struct Case {
    UINT Msg;
    const char* Expected;
  };
  const Case cases[] = {
      {CM_FOCUSCHANGED, "FocusChanged"},   {CM_PARENTFONTCHANGED, "ParentFontChanged"},
      {CM_VISIBLECHANGED, "VisibleChanged"}, {CM_ENABLEDCHANGED, "EnabledChanged"},
      {CM_COLORCHANGED, "ColorChanged"},   {CM_FONTCHANGED, "FontChanged"},
      {CM_TEXTCHANGED, "TextChanged"},     {CM_PARENTSHOWHINTCHANGED, "ParentShowHintChanged"},
  };
  for (const Case& c : cases) {
    probe->log.clear();
    probe->Perform(c.Msg, 0, 0);
    EXPECT_EQ(c.Expected, joined(probe->log)) << "message 0x" << std::hex << c.Msg;
  }
  // A real change of the property sends the notification as well.
  probe->log.clear();
  probe->SetEnabled(false);
  EXPECT_EQ("EnabledChanged", joined(probe->log));
}

TEST_F(JvExControlsTest, QueriesAnswerOneOrZeroFromTheirOperations) {
  const LPARAM keyDataAlt = 0x20000000;
  EXPECT_EQ(1, probe->Perform(CM_DIALOGCHAR, 'x', keyDataAlt));
  EXPECT_EQ("DialogChar:x+alt", joined(probe->log));
  EXPECT_EQ(0, probe->Perform(CM_DIALOGCHAR, 'y', 0));

  probe->log.clear();
  EXPECT_EQ(1, probe->Perform(CM_HITTEST, 0, PointToLParam(Point(-3, 7))));
  EXPECT_EQ("HitAt:-3;7", joined(probe->log)) << "coordinates are signed 16-bit values";
  probe->hit = false;
  EXPECT_EQ(0, probe->Perform(CM_HITTEST, 0, PointToLParam(Point(1, 1))));
}

TEST_F(JvExControlsTest, ParentColorChangeRaisesItsEventAfterTheBaseHandling) {
  struct Host : TObject {
    Log* log;
    void Changed(TObject*) { log->push_back("event"); }
  } host;
  host.log = &probe->log;
  probe->SetOnParentColorChange(TNotifyEvent(&host, &Host::Changed));
  probe->SetParentColor(true);
  probe->log.clear();
  form->SetColor(clYellow);
  // The base handling takes the parent's colour (which notifies ColorChanged) before the
  // event fires.
  EXPECT_EQ("ParentColorChanged,ColorChanged,event", joined(probe->log));
  EXPECT_EQ(clYellow, probe->Color()) << "the base handling still took the parent's colour";
}

TEST_F(JvExControlsTest, MouseEnterRaisesItsEventBeforeTheBaseAndLeaveAfterIt) {
  struct Host : TObject {
    Log* log;
    ProbeGraphic* probe;
    bool insideAtEnter = false;
    void Enter(TObject*) {
      log->push_back("enter-event");
      insideAtEnter = probe->MouseInside();
    }
    void Leave(TObject*) { log->push_back("leave-event"); }
  } host;
  host.log = &form->log;
  host.probe = probe;
  probe->SetOnMouseEnter(TNotifyEvent(&host, &Host::Enter));
  probe->SetOnMouseLeave(TNotifyEvent(&host, &Host::Leave));

  probe->Perform(CM_MOUSEENTER, 0, probe);
  EXPECT_TRUE(probe->MouseInside());
  EXPECT_TRUE(host.insideAtEnter);
  probe->Perform(CM_MOUSELEAVE, 0, probe);
  EXPECT_FALSE(probe->MouseInside());
  // The base handling of a control tells its parent: that is the "parent-sees" entry.
  EXPECT_EQ("enter-event,parent-sees-enter,parent-sees-leave,leave-event", joined(form->log));
}

TEST_F(JvExControlsTest, HintColourFollowsItsSetting) {
  Application->SetHintColor(clAqua);
  THintInfo info;
  info.HintColor = clInfoBk;

  probe->SetHintColor(clRed);
  probe->Perform(CM_HINTSHOW, 0, &info);
  EXPECT_EQ(clRed, info.HintColor);

  probe->SetHintColor(clNone);
  probe->Perform(CM_HINTSHOW, 0, &info);
  EXPECT_EQ(clAqua, info.HintColor) << "clNone takes the application's hint colour";

  // clDefault asks the parent, which resolves its own setting.
  form->SetHintColor(clLime);
  probe->SetHintColor(clDefault);
  info.HintColor = clInfoBk;
  probe->Perform(CM_HINTSHOW, 0, &info);
  EXPECT_EQ(clLime, info.HintColor);
  Application->SetHintColor(clInfoBk);
}

TEST_F(JvExControlsTest, ChildListNotificationsSurroundTheChange) {
  auto* child = new ProbeGraphic(form);
  child->SetParent(form);
  EXPECT_EQ("Changing:in:1,Changed:in:2", joined(form->log));
  form->log.clear();
  child->SetParent(nullptr);
  EXPECT_EQ("Changing:out:2,Changed:out:1", joined(form->log));
  delete child;
}

TEST_F(JvExControlsTest, DialogCodesKeepTheNativeAnswerOnlyWhileNativeStaysInTheSet) {
  form->HandleNeeded();
  const LRESULT native = form->PassToBaseHandler(WM_GETDLGCODE, 0, 0);
  form->add = TJvDialogCodes{dgcTab};
  EXPECT_EQ(native, form->Perform(WM_GETDLGCODE, 0, 0)) << "dgcNative keeps the native answer";
  form->dropNative = true;
  EXPECT_EQ(static_cast<LRESULT>(JvDialogCodesToDlgc(JvDlgcToDialogCodes(static_cast<UINT>(native))) | DLGC_WANTTAB),
            form->Perform(WM_GETDLGCODE, 0, 0));
}

// ---------------------------------------------------------------------------------------
// The windowed bases of controls (radio group and masked edit) share the form base's
// dispatch; each must reach it.

// A windowed extended control that logs the operations the windowed bases add.
template <class Base> class WindowedProbe : public Base {
public:
  explicit WindowedProbe(TComponent* AOwner) : Base(AOwner) {}
  Log log;
  HWND form = nullptr;  // named "form" in the log

  std::string windowName(HWND W) const { return W == form ? "form" : W ? "other" : "none"; }
  void NotifyControlListChanging(TControl* Child, bool Inserting) override {
    log.push_back(std::string("Changing:") + (Inserting ? "in" : "out") + ":" + IntToStr(this->ControlCount()));
    Base::NotifyControlListChanging(Child, Inserting);
  }
  void NotifyControlListChanged(TControl* Child, bool Inserting) override {
    log.push_back(std::string("Changed:") + (Inserting ? "in" : "out") + ":" + IntToStr(this->ControlCount()));
    Base::NotifyControlListChanged(Child, Inserting);
  }
  void NotifyEnabledChanged() override {
    log.push_back("EnabledChanged");
    Base::NotifyEnabledChanged();
  }
  void NotifyCursorChanged() override {
    log.push_back("CursorChanged");
    Base::NotifyCursorChanged();
  }
  void NotifyShowingChanged() override {
    log.push_back("ShowingChanged");
    Base::NotifyShowingChanged();
  }
  void NotifyShowHintChanged() override {
    log.push_back("ShowHintChanged");
    Base::NotifyShowHintChanged();
  }
  void HandleFocusGained(HWND PreviousWindow) override { log.push_back("FocusGained:" + windowName(PreviousWindow)); }
  void HandleFocusLost(HWND NextWindow) override { log.push_back("FocusLost:" + windowName(NextWindow)); }
  void NotifyBoundsChanged() override { log.push_back("BoundsChanged"); }
};

template <class Base> class JvExWindowedTest : public JvExControlsTest {
protected:
  void SetUp() override {
    JvExControlsTest::SetUp();
    control = new WindowedProbe<Base>(form);
    control->SetParent(form);
    control->SetBounds(10, 60, 120, 40);
    control->HandleNeeded();
    control->form = form->Handle();
    control->log.clear();
    form->log.clear();
  }
  WindowedProbe<Base>* control = nullptr;
};

using WindowedBases = ::testing::Types<TJvExRadioGroup, TJvExCustomMaskEdit>;
TYPED_TEST_SUITE(JvExWindowedTest, WindowedBases);

TYPED_TEST(JvExWindowedTest, NotificationsReachTheirOperations) {
  auto* control = this->control;
  const WPARAM formWnd = reinterpret_cast<WPARAM>(this->form->Handle());
  struct Case {
    UINT Msg;
    WPARAM WParam;
    const char* Expected;
  };
  const Case cases[] = {
      {CM_ENABLEDCHANGED, 0, "EnabledChanged"},     {CM_CURSORCHANGED, 0, "CursorChanged"},
      {CM_SHOWINGCHANGED, 0, "ShowingChanged"},     {CM_SHOWHINTCHANGED, 0, "ShowHintChanged"},
      {WM_SETFOCUS, formWnd, "FocusGained:form"},   {WM_KILLFOCUS, formWnd, "FocusLost:form"},
      {WM_SIZE, 0, "BoundsChanged"},
  };
  for (const Case& c : cases) {
    control->log.clear();
    control->Perform(c.Msg, c.WParam, 0);
    EXPECT_EQ(c.Expected, joined(control->log)) << "message 0x" << std::hex << c.Msg;
  }
}

TYPED_TEST(JvExWindowedTest, ChildListNotificationsSurroundTheChange) {
  auto* child = new ProbeGraphic(this->form);
  child->SetParent(this->control);
  EXPECT_EQ("Changing:in:0,Changed:in:1", joined(this->control->log));
  this->control->log.clear();
  child->SetParent(nullptr);
  EXPECT_EQ("Changing:out:1,Changed:out:0", joined(this->control->log));
  delete child;
}

TYPED_TEST(JvExWindowedTest, MouseEnterRaisesItsEventBeforeTheBaseAndLeaveAfterIt) {
  struct Host : TObject {
    Log* log;
    void Enter(TObject*) { log->push_back("enter-event"); }
    void Leave(TObject*) { log->push_back("leave-event"); }
  } host;
  host.log = &this->form->log;
  auto* control = this->control;
  control->SetOnMouseEnter(TNotifyEvent(&host, &Host::Enter));
  control->SetOnMouseLeave(TNotifyEvent(&host, &Host::Leave));
  control->Perform(CM_MOUSEENTER, 0, control);
  EXPECT_TRUE(control->MouseInside());
  control->Perform(CM_MOUSELEAVE, 0, control);
  EXPECT_FALSE(control->MouseInside());
  EXPECT_EQ("enter-event,parent-sees-enter,parent-sees-leave,leave-event", joined(this->form->log));
}

// Records the first button's width when it hears of new bounds.
class BoundsProbeGroup : public TJvExRadioGroup {
public:
  using TJvExRadioGroup::TJvExRadioGroup;
  std::vector<Integer> buttonWidths;
  void NotifyBoundsChanged() override {
    if (ButtonCount() > 0) buttonWidths.push_back(Buttons(0)->Width());
  }
};

TEST_F(JvExControlsTest, RadioGroupBaseHearsOfNewBoundsAfterItsButtonsMoved) {
  auto* group = new BoundsProbeGroup(form);
  group->SetParent(form);
  group->Items()->Add("um");
  group->Items()->Add("dois");
  group->SetBounds(10, 60, 200, 60);
  group->HandleNeeded();
  // The buttons are laid out by the class library's own size handling: a notification
  // that came before it would still see the old button width.
  group->buttonWidths.clear();
  group->SetWidth(300);
  EXPECT_EQ(std::vector<Integer>{300 - 10}, group->buttonWidths);
}

// Every extended base declares the extended-control marker; none of them declares the
// no-subclassing marker, so each answers the no-subclassing query with 0. Asking for an
// interface leaves the control's lifetime alone (the component does not count).
TEST_F(JvExControlsTest, EveryBaseDeclaresTheExtendedControlMarkerOnly) {
  auto* group = new TJvExRadioGroup(form);
  group->SetParent(form);
  auto* edit = new TJvExCustomMaskEdit(form);
  edit->SetParent(form);
  TControl* const controls[] = {probe, form, group, edit};
  for (TControl* c : controls) {
    SCOPED_TRACE(c->ClassName());
    void* marker = nullptr;
    ASSERT_TRUE(Supports(static_cast<TObject*>(c), IJvExtendedControl::IID(), &marker));
    auto* intf = static_cast<IJvExtendedControl*>(marker);
    // The marker answers QueryInterface as the control does.
    void* again = nullptr;
    EXPECT_EQ(S_OK, intf->QueryInterface(IJvExtendedControl::IID(), &again));
    EXPECT_EQ(marker, again);
    void* none = nullptr;
    EXPECT_EQ(E_NOINTERFACE, intf->QueryInterface(IJvNoSubclassing::IID(), &none));
    EXPECT_FALSE(Supports(static_cast<TObject*>(c), IJvNoSubclassing::IID()));
    for (int i = 0; i < 3; ++i) intf->_Release();
    EXPECT_EQ(0, c->Perform(CM_JVNOSUBCLASSING, 0, 0)) << "the control is still there and answers";
  }
}

TEST(JvDialogCodes, ConvertBitsBothWaysAndDropBitsWithoutAFlag) {
  struct Case {
    UINT Dlgc;
    TJvDialogCodes Codes;
  };
  const Case cases[] = {
      {DLGC_WANTALLKEYS, {dgcAllKeys}}, {DLGC_WANTARROWS, {dgcArrows}}, {DLGC_WANTCHARS, {dgcChars}},
      {DLGC_BUTTON, {dgcButton}},       {DLGC_HASSETSEL, {dgcHasSetSel}}, {DLGC_WANTTAB, {dgcTab}},
      {DLGC_WANTTAB | DLGC_WANTARROWS, {dgcTab, dgcArrows}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.Codes, JvDlgcToDialogCodes(c.Dlgc)) << "bits 0x" << std::hex << c.Dlgc;
    EXPECT_EQ(c.Dlgc, JvDialogCodesToDlgc(c.Codes)) << "bits 0x" << std::hex << c.Dlgc;
  }
  EXPECT_EQ(TJvDialogCodes{dgcChars}, JvDlgcToDialogCodes(DLGC_WANTCHARS | DLGC_DEFPUSHBUTTON));
  EXPECT_EQ(0u, JvDialogCodesToDlgc(TJvDialogCodes{dgcNative}));
}

TEST(JvShiftStateToKeyData, GivesTheKeyDataBitsOfEachModifier) {
  EXPECT_EQ(0x20000000, JvShiftStateToKeyData({ssAlt}));
  EXPECT_EQ(0x10000000, JvShiftStateToKeyData({ssCtrl}));
  EXPECT_EQ(0x08000000, JvShiftStateToKeyData({ssShift}));
  EXPECT_EQ(0x38000000, JvShiftStateToKeyData({ssAlt, ssCtrl, ssShift}));
  EXPECT_EQ(0, JvShiftStateToKeyData({}));
}

// Records the keyboard-cue messages a window gets.
class CueRecorder : public TObject {
  RTL_DECLARE_CLASS(CueRecorder, TObject)
public:
  std::vector<WPARAM> cues;
  bool Watch(TMessage& Msg) {
    if (Msg.Msg == WM_CHANGEUISTATE) cues.push_back(Msg.WParam);
    return false;
  }
};
RTL_IMPLEMENT_CLASS(CueRecorder)

TEST_F(JvExControlsTest, FormSendsKeyboardCuesWhenShownAndOnNavigationKeys) {
  CueRecorder rec;
  const TJvControlHook hook(&rec, &CueRecorder::Watch);
  JvGlobalWndProcHook()->RegisterHandler(form, hoBeforeMsg, hook);
  form->Show();
  guitest::pumpFor(30);
  ASSERT_FALSE(rec.cues.empty()) << "showing must initialise the cues";
  EXPECT_EQ(static_cast<WPARAM>(UIS_INITIALIZE), rec.cues.front());

  struct Case {
    WORD Key;
    WPARAM Expected;
  };
  const Case cases[] = {{VK_MENU, 0x00030002}, {VK_TAB, 0x00010002}, {VK_LEFT, 0x00010002}, {VK_DOWN, 0x00010002}};
  for (const Case& c : cases) {
    rec.cues.clear();
    form->Perform(CM_DIALOGKEY, c.Key, 0);
    ASSERT_FALSE(rec.cues.empty()) << "key " << c.Key;
    EXPECT_EQ(c.Expected, rec.cues.front()) << "key " << c.Key;
  }
  rec.cues.clear();
  form->Perform(CM_DIALOGKEY, 'A', 0);
  EXPECT_TRUE(rec.cues.empty()) << "other keys send no cue";
  JvGlobalWndProcHook()->UnregisterHandler(form, hoBeforeMsg, hook);
}

// A memory DC with a white 40 x 40 bitmap.
struct MemoryDC {
  HDC dc;
  HBITMAP bmp, old;
  MemoryDC() {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bmp = CreateCompatibleBitmap(screen, 40, 40);
    ReleaseDC(nullptr, screen);
    old = static_cast<HBITMAP>(SelectObject(dc, bmp));
    RECT all{0, 0, 40, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~MemoryDC() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  COLORREF at(int x, int y) const { return GetPixel(dc, x, y) & 0xFFFFFF; }
  POINT origin() const {
    POINT p;
    GetWindowOrgEx(dc, &p);
    return p;
  }
};

TEST_F(JvExControlsTest, EraseWithParentPaintsTheParentsBackgroundAtTheOffset) {
  form->HandleNeeded();
  {
    MemoryDC m;
    JvEraseWithParent(probe, m.dc, Point(0, 0));
    EXPECT_EQ(guitest::hexOf(RGB(255, 0, 0)), guitest::hexOf(m.at(5, 2))) << "no offset: the parent's top band";
    EXPECT_EQ(0, m.origin().x);
  }
  {
    MemoryDC m;
    JvEraseWithParent(probe, m.dc, Point(0, 15));
    EXPECT_EQ(guitest::hexOf(RGB(0, 0, 255)), guitest::hexOf(m.at(5, 2))) << "moved 15 down: the blue band";
    EXPECT_EQ(0, m.origin().x);
    EXPECT_EQ(0, m.origin().y) << "the origin comes back";
  }
  {
    MemoryDC m;
    const TRect clip = Rect(0, 0, 10, 10);
    JvEraseWithParent(probe, m.dc, Point(0, 0), &clip);
    EXPECT_EQ(guitest::hexOf(RGB(255, 0, 0)), guitest::hexOf(m.at(5, 2)));
    EXPECT_EQ(guitest::hexOf(RGB(255, 255, 255)), guitest::hexOf(m.at(20, 20))) << "outside the rectangle";
    HRGN probeRgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(0, GetClipRgn(m.dc, probeRgn)) << "no clip region before, none after";
    DeleteObject(probeRgn);
  }
}

TEST_F(JvExControlsTest, EraseMessageGivesTheOperationACanvasAndRestoresTheDC) {
  MemoryDC m;
  EXPECT_EQ(1, form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(m.dc), 0));
  EXPECT_EQ(guitest::hexOf(RGB(0, 0, 255)), guitest::hexOf(m.at(5, 20))) << "the operation painted into the DC";
  EXPECT_EQ(0, m.origin().x) << "the origin the operation moved comes back";
}

TEST_F(JvExControlsTest, ThemedBackgroundFallsBackToAPlainFillAndKeepsTheBrush) {
  // A colour other than the parent's is filled plainly, with or without a visual style.
  MemoryDC m;
  TCanvas canvas;
  canvas.SetHandle(m.dc);
  canvas.Brush()->SetColor(clWhite);
  JvFillThemedBackground(probe, &canvas, Rect(0, 0, 10, 10), clLime);
  EXPECT_EQ(guitest::hexOf(RGB(0, 255, 0)), guitest::hexOf(m.at(5, 5)));
  EXPECT_EQ(guitest::hexOf(RGB(255, 255, 255)), guitest::hexOf(m.at(15, 15))) << "only the rectangle";
  EXPECT_EQ(clWhite, canvas.Brush()->Color()) << "the brush colour is put back";
  canvas.SetHandle(nullptr);
}

// A windowed control whose erase handling leaves the DC's origin moved.
class CarelessEraser : public TCustomControl {
  RTL_DECLARE_CLASS(CarelessEraser, TCustomControl)
public:
  explicit CarelessEraser(TComponent* AOwner) : TCustomControl(AOwner) {}
  void WMEraseBkgnd(TWMEraseBkgnd& Msg) {
    SetWindowOrgEx(Msg.DC, 7, 7, nullptr);
    Msg.Result = 1;
  }
};
RTL_BEGIN_CLASS(CarelessEraser)
b.Message(WM_ERASEBKGND, &CarelessEraser::WMEraseBkgnd);
RTL_END_CLASS

TEST_F(JvExControlsTest, PrintClientLeavesTheDCAsItCameForEveryWindowedControl) {
  auto* c = new CarelessEraser(form);
  c->SetParent(form);
  c->SetBounds(0, 0, 30, 30);
  c->HandleNeeded();
  {
    MemoryDC m;
    c->Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m.dc), PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(0, m.origin().x) << "the wrapper restores the DC";
  }
  // Without the wrapper the same control leaves the DC changed: the wrapper is what helps.
  JvThemesUnit::Finalize();
  {
    MemoryDC m;
    c->Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m.dc), PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(7, m.origin().x);
  }
  JvThemesUnit::Initialize();
}

TEST(JvUtilsCursors, ExtraScreenCursorsAreRegistered) {
  const HCURSOR unknown = Screen->Cursors(9999);
  for (Integer id : {crJvMultiDrag1, crJvDrag, crJvMultiDrag2, crJvMultiDrag3}) {
    EXPECT_NE(nullptr, Screen->Cursors(id)) << "cursor " << id;
    EXPECT_NE(unknown, Screen->Cursors(id)) << "cursor " << id << " must be registered, not the fallback";
  }
}

TEST(JvIsPositiveResult, IsTrueOnlyForAcceptingResults) {
  for (Integer r : {mrOk, mrYes, mrAll, mrYesToAll}) EXPECT_TRUE(JvIsPositiveResult(r)) << r;
  for (Integer r : {mrNone, mrCancel, mrAbort, mrRetry, mrIgnore, mrNo, mrNoToAll}) EXPECT_FALSE(JvIsPositiveResult(r)) << r;
}

}  // namespace
