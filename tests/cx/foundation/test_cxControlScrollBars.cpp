// A control's own scroll bars under real windows: the rules of SetScrollBarInfo, the
// negotiation of which bars show (with the show/hide cycle and pixel-scrolled content),
// the placing of the bars and the size grip, clicks on the bars reaching the control,
// scrolling by direction, the reaction to a changed system scroll-bar size, and the
// middle-button auto-scroll mode with its anchor window, cursors and speed.
#include <functional>
#include <string>
#include <vector>

#include "CxTestHelpers.h"
#include "ScrollTestSupport.h"
#include "cx/foundation/cxControls.h"
#include "platform/gui/GuiTestSupport.h"

using namespace guitest;

namespace {

// A control that scrolls content of a given pixel size, one position per pixel, and
// writes down what reaches it.
class TScrolledControl : public TcxControl {
  RTL_DECLARE_CLASS(TScrolledControl, TcxControl)
public:
  explicit TScrolledControl(TComponent* AOwner) : TcxControl(AOwner) {}
  Integer ContentWidth = 0;
  Integer ContentHeight = 0;
  Integer HPos = 0;
  Integer VPos = 0;
  bool Pixel = false;
  // Lays the content out for the client area it has on screen (not for the bars being
  // negotiated), like a view that measures itself only when it is resized.
  bool UseScreenClient = false;
  // Replaces the content rules when set.
  std::function<void(TScrolledControl*)> Rules;
  struct ScrollCall {
    TScrollBarKind Kind;
    TScrollCode Code;
    Integer Position;
    DWORD Time;
  };
  std::vector<ScrollCall> Scrolls;
  Integer BoundsChanges = 0;
  Integer InitCalls = 0;

  void InitScrollBarsParameters() override {
    ++InitCalls;
    if (Rules) {
      Rules(this);
      return;
    }
    TRect client = UseScreenClient ? screenClient() : GetClientBounds();
    SetScrollBarInfo(sbHorizontal, 0, ContentWidth - 1, 1, client.right - client.left, HPos, true, true);
    SetScrollBarInfo(sbVertical, 0, ContentHeight - 1, 1, client.bottom - client.top, VPos, true, true);
  }
  bool IsPixelScrollBar(TScrollBarKind) override { return Pixel; }
  void Scroll(TScrollBarKind Kind, TScrollCode Code, Integer& Pos) override {
    Scrolls.push_back({Kind, Code, Pos, GetTickCount()});
  }
  void BoundsChanged() override {
    ++BoundsChanges;
    TcxControl::BoundsChanged();
  }
  TRect screenClient() {
    TRect r = ClientRect();
    if (HScrollBar()->Visible()) r.bottom -= HScrollBar()->Height();
    if (VScrollBar()->Visible()) r.right -= VScrollBar()->Width();
    return r;
  }
  std::string Calls(TScrollBarKind Kind) const {
    std::string s;
    for (const ScrollCall& c : Scrolls)
      if (c.Kind == Kind) s += (s.empty() ? "" : " ") + scrollCodeName(c.Code) + "@" + std::to_string(c.Position);
    return s;
  }
  size_t Count(TScrollBarKind Kind, TScrollCode Code, DWORD From = 0, DWORD To = 0xFFFFFFFF) const {
    size_t n = 0;
    for (const ScrollCall& c : Scrolls)
      if (c.Kind == Kind && c.Code == Code && c.Time >= From && c.Time < To) ++n;
    return n;
  }

protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clWhite);
    Canvas()->FillRect(GetClientBounds());
  }
};

class TNoBarsControl : public TcxControl {
  RTL_DECLARE_CLASS(TNoBarsControl, TcxControl)
public:
  explicit TNoBarsControl(TComponent* AOwner) : TcxControl(AOwner) {}
  bool HasScrollBars() override { return false; }
  Integer Scrolls = 0;
  void Scroll(TScrollBarKind, TScrollCode, Integer&) override { ++Scrolls; }
};

class TMouseLog : public TObject {
public:
  std::vector<TMouseButton> Downs;
  void MouseDown(TObject*, TMouseButton Button, TShiftState, Integer, Integer) { Downs.push_back(Button); }
};

// Input while a modal loop runs: the test cannot act between that loop's messages, so the
// steps run from a timer, each after its delay; they only send input (no pumping).
class TScript : public TObject {
public:
  struct Step {
    DWORD Delay;
    std::function<void()> Action;
  };
  explicit TScript(std::vector<Step> ASteps) : steps(std::move(ASteps)) {
    timer = new TTimer(nullptr);
    timer->SetEnabled(false);
    timer->SetInterval(5);
    timer->SetOnTimer(TNotifyEvent(this, &TScript::tick));
  }
  ~TScript() override { delete timer; }
  void Start() {
    last = GetTickCount();
    timer->SetEnabled(true);
  }
  bool Done() const { return next >= steps.size(); }

private:
  void tick(TObject*) {
    if (Done()) {
      timer->SetEnabled(false);
      return;
    }
    if (GetTickCount() - last < steps[next].Delay) return;
    last = GetTickCount();
    steps[next++].Action();
  }
  std::vector<Step> steps;
  size_t next = 0;
  DWORD last = 0;
  TTimer* timer = nullptr;
};

}  // namespace

RTL_IMPLEMENT_CLASS(TScrolledControl)
RTL_IMPLEMENT_CLASS(TNoBarsControl)

namespace {

class ControlScrollBarsTest : public GuiTest {
protected:
  void TearDown() override {
    sendMouseInput(MOUSEEVENTF_LEFTUP);
    pumpFor(20);
    GuiTest::TearDown();
  }
  TForm* newForm() {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(100, 100, 460, 340);
    return form;
  }
  TScrolledControl* newControl(TForm* Form, Integer W = 200, Integer H = 150) {
    TScrolledControl* c = New<TScrolledControl>(Form);
    c->SetParent(Form);
    c->SetBounds(20, 20, W, H);
    c->LookAndFeel()->SetKind(lfStandard);
    return c;
  }
  // Content of the given size, the form shown and the bars settled.
  void showContent(TForm* Form, TScrolledControl* C, Integer AWidth, Integer AHeight) {
    C->ContentWidth = AWidth;
    C->ContentHeight = AHeight;
    showAndActivate(Form);
    C->UpdateScrollBars();
  }
  static Integer vw() { return cxGetScrollBarSize().cx; }
  static Integer hh() { return cxGetScrollBarSize().cy; }
  static std::string bars(TcxControl* C) {
    return std::string(C->HScrollBar()->Visible() ? "H" : "-") + (C->VScrollBar()->Visible() ? "V" : "-") +
           (C->SizeGrip()->Visible() ? "G" : "-");
  }
  // Runs the middle-button mode as the user would: the press (and, unless held, the
  // release) of the middle button at APoint, then the script's input, until the mode
  // ended and the script ran out.
  void middleScroll(TcxControl* C, const TPoint& APoint, bool AHoldButton, TScript& AScript) {
    moveMouseTo(C->ClientToScreen(APoint));
    AScript.Start();
    sendMouseInput(MOUSEEVENTF_MIDDLEDOWN);
    if (!AHoldButton) sendMouseInput(MOUSEEVENTF_MIDDLEUP);
    EXPECT_TRUE(pumpUntil([&] { return AScript.Done() && !C->IsMiddleButtonScrolling(); }, 8000))
        << "the mode did not end";
    pumpFor(30);
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// The pending parameters and the visibility they lead to.

TEST_F(ControlScrollBarsTest, ScrollBarInfoShowsValidRangesAndKeepsOrHidesTheOthers) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form);
  showAndActivate(form);
  struct Case {
    const char* What;
    TScrollStyle Style;
    TScrollBarKind Kind;
    Integer Min, Max, Page, Pos;
    bool AllowShow, AllowHide;
    bool Visible, Enabled;
  };
  const Case cases[] = {
      {"a valid range", ssBoth, sbVertical, 0, 299, 100, 20, true, true, true, true},
      {"a page that covers the range, may hide", ssBoth, sbVertical, 0, 99, 100, 0, true, true, false, false},
      {"a page that covers the range, may not hide", ssBoth, sbVertical, 0, 99, 100, 0, true, false, true, false},
      {"a position below the minimum", ssBoth, sbVertical, 0, 299, 100, -1, true, true, false, false},
      {"Max below Min, may not hide", ssBoth, sbHorizontal, 10, 5, 1, 10, true, false, true, false},
      {"not allowed to show", ssBoth, sbVertical, 0, 299, 100, 0, false, false, false, false},
      {"a kind the control does not scroll", ssVertical, sbHorizontal, 0, 299, 100, 0, true, false, false, false},
      {"a range with a negative minimum", ssBoth, sbVertical, -10, 5, 10, -10, true, true, true, true},
      {"a page beyond 16 bits", ssBoth, sbVertical, 0, 99999, 40000, 0, true, true, true, true},
  };
  for (const Case& k : cases) {
    c->SetScrollBars(k.Style);
    c->Rules = [&](TScrolledControl* s) {
      s->SetScrollBarInfo(k.Kind, k.Min, k.Max, 3, k.Page, k.Pos, k.AllowShow, k.AllowHide);
      s->SetScrollBarInfo(k.Kind == sbVertical ? sbHorizontal : sbVertical, 0, 0, 1, 0, 0, false, true);
    };
    ASSERT_NO_THROW(c->UpdateScrollBars()) << k.What;
    TcxControlScrollBar* bar = k.Kind == sbVertical ? c->VScrollBar() : c->HScrollBar();
    EXPECT_EQ(bar->Visible(), k.Visible) << k.What;
    if (!k.Visible) continue;
    EXPECT_EQ(bar->Enabled(), k.Enabled) << k.What;
    if (!k.Enabled) continue;
    EXPECT_EQ(bar->Min(), k.Min) << k.What;
    EXPECT_EQ(bar->Max(), k.Max) << k.What;
    EXPECT_EQ(bar->PageSize(), k.Page) << k.What;
    EXPECT_EQ(bar->Position(), k.Pos) << k.What;
    EXPECT_EQ(bar->SmallChange(), 3) << k.What;
    EXPECT_EQ(bar->LargeChange(), k.Page) << k.What << ": a page per large step";
    EXPECT_FALSE(rectText(bar->ThumbnailRect()) == rectText(TRect{0, 0, 0, 0})) << k.What << ": a thumb";
  }
}

TEST_F(ControlScrollBarsTest, BarsAndGripArePlacedInsideTheBorderAtTheClientEdges) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form, 200, 150);
  showContent(form, c, 400, 300);
  EXPECT_EQ(bars(c), "HVG");
  EXPECT_EQ(rectText(c->HScrollBar()->BoundsRect()), rectText(TRect{0, 150 - hh(), 200 - vw(), 150}));
  EXPECT_EQ(rectText(c->VScrollBar()->BoundsRect()), rectText(TRect{200 - vw(), 0, 200, 150 - hh()}));
  EXPECT_EQ(rectText(c->SizeGrip()->BoundsRect()), rectText(TRect{200 - vw(), 150 - hh(), 200, 150}));
  EXPECT_EQ(rectText(c->GetClientBounds()), rectText(TRect{0, 0, 200 - vw(), 150 - hh()}));
  EXPECT_EQ(c->HScrollBar()->PageSize(), 200 - vw()) << "the page is what the client area shows";
  EXPECT_EQ(c->HScrollBar()->Parent(), c);
  EXPECT_TRUE(c->IsInternalControl(c->HScrollBar()));
  EXPECT_TRUE(c->IsInternalControl(c->VScrollBar()));
  EXPECT_TRUE(c->IsInternalControl(c->SizeGrip()));
  EXPECT_FALSE(c->IsInternalControl(form));

  c->SetBorderStyle(cxcbsDefault);
  EXPECT_EQ(rectText(c->VScrollBar()->BoundsRect()), rectText(TRect{198 - vw(), 2, 198, 148 - hh()}))
      << "inside the standard two-pixel border";
  c->SetBorderStyle(cxcbsNone);

  c->ContentWidth = 100;
  c->UpdateScrollBars();
  EXPECT_EQ(bars(c), "-V-") << "one bar, no grip";
  EXPECT_EQ(rectText(c->VScrollBar()->BoundsRect()), rectText(TRect{200 - vw(), 0, 200, 150}));
}

TEST_F(ControlScrollBarsTest, ABarThatNarrowsTheClientAreaCanCallForTheOther) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form, 200, 150);
  showAndActivate(form);
  struct Case {
    Integer Width, Height;
    const char* Bars;
  };
  const Case cases[] = {
      {195, 145, "---"},             // fits the whole area
      {195, 200, "HVG"},             // the vertical bar leaves too little width
      {200 - vw() - 5, 200, "-V-"},  // fits beside the vertical bar
      {400, 150 - hh() + 5, "HVG"},  // the horizontal bar leaves too little height
      {400, 145 - hh(), "H--"},
  };
  for (const Case& k : cases) {
    c->ContentWidth = k.Width;
    c->ContentHeight = k.Height;
    c->UpdateScrollBars();
    EXPECT_EQ(bars(c), k.Bars) << k.Width << " x " << k.Height;
  }
}

TEST_F(ControlScrollBarsTest, AShowHideCycleEndsWithTheBarShownDisabled) {
  // Content that fits exactly once the vertical bar is gone, measured with the width the
  // bar leaves on screen: shown, the bar is not needed; hidden, it is.
  TForm* form = newForm();
  TScrolledControl* c = newControl(form);
  showAndActivate(form);
  c->Rules = [](TScrolledControl* s) {
    bool needed = !s->VScrollBar()->Visible();
    s->SetScrollBarInfo(sbVertical, 0, needed ? 299 : 99, 1, 100, 0, true, true);
    s->SetScrollBarInfo(sbHorizontal, 0, 0, 1, 0, 0, false, true);
  };
  c->BoundsChanges = 0;
  c->UpdateScrollBars();
  EXPECT_TRUE(c->VScrollBar()->Visible());
  EXPECT_FALSE(c->VScrollBar()->Enabled()) << "the cycle leaves the bar on screen, disabled";
  EXPECT_LE(c->BoundsChanges, 3) << "no flipping on and off";
  c->UpdateScrollBars();
  EXPECT_TRUE(c->VScrollBar()->Visible()) << "and it stays so";
  EXPECT_FALSE(c->VScrollBar()->Enabled());
}

TEST_F(ControlScrollBarsTest, ADescendantWhoseAnswersNeverSettleDoesNotHangTheNegotiation) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form);
  showAndActivate(form);
  Integer calls = 0;
  c->Rules = [&](TScrolledControl* s) {
    s->SetScrollBarInfo(sbVertical, 0, ++calls % 2 ? 299 : 99, 1, 100, 0, true, true);
    s->SetScrollBarInfo(sbHorizontal, 0, 0, 1, 0, 0, false, true);
  };
  c->UpdateScrollBars();
  EXPECT_LT(calls, 200) << "the negotiation gave up asking";
}

TEST_F(ControlScrollBarsTest, PixelScrolledContentThatFitsWithoutBothBarsShowsNone) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form, 200, 150);
  c->UseScreenClient = true;
  showContent(form, c, 400, 300);
  ASSERT_EQ(bars(c), "HVG");
  ASSERT_GT(vw(), 10);
  ASSERT_GT(hh(), 10);
  // Ten pixels too wide and too high for the area the bars leave, but smaller than the
  // whole area.
  c->ContentWidth = 200 - vw() + 10;
  c->ContentHeight = 150 - hh() + 10;
  c->UpdateScrollBars();
  EXPECT_EQ(bars(c), "HVG") << "content scrolled by items keeps its bars";
  c->Pixel = true;
  c->UpdateScrollBars();
  EXPECT_EQ(bars(c), "---") << "pixel-scrolled content that fits once both bars are gone shows none";
  c->UpdateScrollBars();
  EXPECT_EQ(bars(c), "---");
}

TEST_F(ControlScrollBarsTest, BarsDrawWithTheControlsLookAndFeel) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form);
  c->LookAndFeel()->SetKind(lfFlat);
  EXPECT_EQ(c->HScrollBar()->LookAndFeel()->Kind(), lfFlat);
  EXPECT_EQ(c->VScrollBar()->LookAndFeel()->Kind(), lfFlat);
  c->LookAndFeel()->SetKind(lfUltraFlat);
  EXPECT_EQ(c->VScrollBar()->LookAndFeel()->Kind(), lfUltraFlat);
}

TEST_F(ControlScrollBarsTest, ControlWithoutScrollBarsHasNoneAndIgnoresScrollRequests) {
  TForm* form = newForm();
  Integer registered = cxGetSettingsController()->ControlCount();
  TNoBarsControl* c = New<TNoBarsControl>(form);
  c->SetParent(form);
  c->SetBounds(10, 10, 100, 100);
  showAndActivate(form);
  EXPECT_EQ(c->HScrollBar(), nullptr);
  EXPECT_EQ(c->SizeGrip(), nullptr);
  EXPECT_EQ(cxGetSettingsController()->ControlCount(), registered) << "not registered for setting changes";
  c->SetScrollBarInfo(sbVertical, 0, 100, 1, 10, 0, true, true);
  c->UpdateScrollBars();
  EXPECT_FALSE(c->IsVScrollBarVisible());
  c->ScrollInDirection(dirDown);
  EXPECT_EQ(c->Scrolls, 0);
  EXPECT_EQ(rectText(c->GetClientBounds()), rectText(c->ClientRect()));
}

// ---------------------------------------------------------------------------------------
// Scrolling.

TEST_F(ControlScrollBarsTest, ClickingABarFocusesTheControlAndScrollsIt) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form);
  TScrolledControl* other = newControl(form);
  other->SetLeft(250);
  showContent(form, c, 100, 600);
  other->SetFocus();
  pumpFor(20);
  ASSERT_FALSE(c->IsFocused());
  TcxControlScrollBar* bar = c->VScrollBar();
  TRect arrow = bar->LineDownRect();
  clickAt(bar, TPoint{(arrow.left + arrow.right) / 2, (arrow.top + arrow.bottom) / 2});
  EXPECT_TRUE(c->IsFocused()) << "a click on the bar focuses its control";
  EXPECT_EQ(c->Calls(sbVertical), "LineDown@1 EndScroll@1");
  EXPECT_EQ(c->Calls(sbHorizontal), "");
}

TEST_F(ControlScrollBarsTest, ScrollInDirectionScrollsOneLineFromTheBarsPosition) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form);
  c->HPos = 7;
  c->VPos = 5;
  showContent(form, c, 600, 600);
  for (TcxDirection d : {dirNone, dirLeft, dirRight, dirUp, dirDown}) c->ScrollInDirection(d);
  EXPECT_EQ(c->Calls(sbHorizontal), "LineUp@7 LineDown@7");
  EXPECT_EQ(c->Calls(sbVertical), "LineUp@5 LineDown@5");
}

// ---------------------------------------------------------------------------------------
// System setting changes.

TEST_F(ControlScrollBarsTest, SettingsControllerWindowLivesWhileControlsAreRegistered) {
  Integer before = cxGetSettingsController()->ControlCount();
  TForm* form = New<TForm>(nullptr, 0);
  TScrolledControl* a = newControl(form);
  TScrolledControl* b = newControl(form);
  EXPECT_EQ(cxGetSettingsController()->ControlCount(), before + 2);
  EXPECT_TRUE(IsWindow(cxGetSettingsController()->WindowHandle()));
  a->Free();
  EXPECT_EQ(cxGetSettingsController()->ControlCount(), before + 1);
  (void)b;
  form->Free();
  EXPECT_EQ(cxGetSettingsController()->ControlCount(), before);
  if (before == 0) EXPECT_EQ(cxGetSettingsController()->WindowHandle(), nullptr) << "no window without controls";
}

TEST_F(ControlScrollBarsTest, ANewSystemScrollBarWidthResizesTheBarsOfEveryControlOnce) {
  TForm* form = newForm();
  TScrolledControl* a = newControl(form);
  TScrolledControl* b = newControl(form);
  b->SetLeft(240);
  for (TScrolledControl* c : {a, b}) {
    c->ContentWidth = 100;
    c->ContentHeight = 600;
  }
  showAndActivate(form);
  a->UpdateScrollBars();
  b->UpdateScrollBars();
  // The system announces a change of the non-client metrics (Wine only when the change is
  // also written to the user's settings); the old metrics are put back however the test
  // ends.
  struct Metrics {
    NONCLIENTMETRICSA Saved{};
    Metrics() {
      Saved.cbSize = sizeof(Saved);
      SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(Saved), &Saved, 0);
    }
    static bool Set(NONCLIENTMETRICSA& M) {
      return SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof(M), &M, SPIF_SENDCHANGE | SPIF_UPDATEINIFILE);
    }
    ~Metrics() { Set(Saved); }
  };
  Integer oldWidth = GetSystemMetrics(SM_CXVSCROLL);
  Integer newWidth = 0, changesA = 0, changesB = 0, widthA = 0, widthB = 0;
  TRect clientA{0, 0, 0, 0};
  {
    Metrics metrics;
    NONCLIENTMETRICSA wider = metrics.Saved;
    wider.iScrollWidth = metrics.Saved.iScrollWidth + 7;
    a->BoundsChanges = b->BoundsChanges = 0;
    ASSERT_TRUE(Metrics::Set(wider));
    pumpFor(200);
    newWidth = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_NE(newWidth, oldWidth) << "the system took the new width";
    changesA = a->BoundsChanges;
    changesB = b->BoundsChanges;
    widthA = a->VScrollBar()->Width();
    widthB = b->VScrollBar()->Width();
    clientA = a->GetClientBounds();
  }
  pumpFor(200);

  EXPECT_EQ(widthA, newWidth);
  EXPECT_EQ(widthB, newWidth);
  EXPECT_EQ(changesA, 1) << "one re-layout per control";
  EXPECT_EQ(changesB, 1);
  EXPECT_EQ(clientA.right, 200 - newWidth) << "the client area follows the new width";
  EXPECT_EQ(a->VScrollBar()->Width(), oldWidth) << "and back";
}

// ---------------------------------------------------------------------------------------
// Middle-button auto-scrolling.

TEST(MiddleButtonScroll, DirectionAndSpeedFollowTheMouseOutsideTheNeutralZone) {
  struct Case {
    bool H, V;
    TPoint P;
    TcxDirection Direction;
    Integer Speed;
  };
  // Anchor (500, 400), a 29-pixel picture: the neutral zone is 486..514 on both axes.
  const Case cases[] = {
      {true, true, {510, 410}, dirNone, 0},     {true, true, {514, 386}, dirNone, 0},
      {true, true, {515, 400}, dirRight, 1},    {true, true, {485, 400}, dirLeft, 1},
      {true, true, {500, 433}, dirDown, 4},     {true, true, {500, 468}, dirDown, 11},
      {true, true, {500, 469}, dirDown, 12},    {true, true, {500, 900}, dirDown, 12},
      {true, true, {480, 380}, dirUp, 2},       {true, true, {400, 380}, dirLeft, 12},
      {true, false, {500, 900}, dirNone, 0},    {true, false, {530, 900}, dirRight, 4},
      {true, false, {470, 10}, dirLeft, 4},     {false, true, {900, 400}, dirNone, 0},
      {false, true, {900, 370}, dirUp, 4},      {false, true, {10, 430}, dirDown, 4},
  };
  for (const Case& k : cases) {
    MiddleButtonScrollState state;
    state.Anchor = TPoint{500, 400};
    state.HorzBar = k.H;
    state.VertBar = k.V;
    cxMiddleScrollUpdateDirection(state, k.P);
    std::string where = std::string(k.H ? "H" : "-") + (k.V ? "V" : "-") + " at " + std::to_string(k.P.x) + "," +
                        std::to_string(k.P.y);
    EXPECT_EQ(state.Direction, k.Direction) << where;
    EXPECT_EQ(state.Speed, k.Speed) << where;
    EXPECT_EQ(state.Moved, k.Direction != dirNone) << where;
  }
  MiddleButtonScrollState state;
  state.Anchor = TPoint{500, 400};
  state.HorzBar = state.VertBar = true;
  cxMiddleScrollUpdateDirection(state, TPoint{560, 400});
  cxMiddleScrollUpdateDirection(state, TPoint{500, 400});
  EXPECT_EQ(state.Direction, dirNone);
  EXPECT_TRUE(state.Moved) << "once the mouse left the zone, a release ends the mode";
}

TEST(MiddleButtonScroll, NeutralZoneSpansTheScreenAlongAnAxisWithoutABar) {
  const Integer sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  MiddleButtonScrollState state;
  state.Anchor = TPoint{500, 400};
  state.HorzBar = state.VertBar = true;
  EXPECT_EQ(rectText(cxMiddleScrollNeutralZone(state)), rectText(TRect{486, 386, 515, 415}));
  state.VertBar = false;
  EXPECT_EQ(rectText(cxMiddleScrollNeutralZone(state)), rectText(TRect{486, 0, 515, sh}));
  state.VertBar = true;
  state.HorzBar = false;
  EXPECT_EQ(rectText(cxMiddleScrollNeutralZone(state)), rectText(TRect{0, 386, sw, 415}));
}

TEST(MiddleButtonScroll, CursorShowsTheDirectionOrTheScrollableAxes) {
  struct Case {
    bool H, V;
    TcxDirection Direction;
    TCursor Cursor;
  };
  const Case cases[] = {
      {true, true, dirNone, crcxFullScroll},   {true, false, dirNone, crcxHorScroll},
      {false, true, dirNone, crcxVerScroll},   {true, true, dirLeft, crcxLeftScroll},
      {true, true, dirRight, crcxRightScroll}, {true, true, dirUp, crcxUpScroll},
      {true, true, dirDown, crcxDownScroll},
  };
  for (const Case& k : cases) {
    MiddleButtonScrollState state;
    state.HorzBar = k.H;
    state.VertBar = k.V;
    state.Direction = k.Direction;
    EXPECT_EQ(cxMiddleScrollCursor(state), k.Cursor) << k.H << k.V << " direction " << static_cast<int>(k.Direction);
  }
}

TEST_F(ControlScrollBarsTest, MiddleScrollingWithOnlyAHorizontalBarNeverScrollsVertically) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form);
  TMouseLog mouse;
  c->SetOnMouseDown(TMouseEvent(&mouse, &TMouseLog::MouseDown));
  showContent(form, c, 2000, 100);
  ASSERT_EQ(bars(c), "H--");
  TPoint anchor = c->ClientToScreen(TPoint{100, 60});
  size_t whileInZone = 99;
  HWND anchorWindow = nullptr;
  TRect anchorRect{0, 0, 0, 0};
  bool topmost = false;
  TBitmap picture;
  makeFilled(picture, 29, 29, clWhite);
  HCURSOR cursorInZone = nullptr, cursorRight = nullptr;
  TScript script({
      {100,
       [&] {
         anchorWindow = cxScrollingAnchorWindow();
         if (anchorWindow) {
           GetWindowRect(anchorWindow, &anchorRect);
           topmost = (GetWindowLongA(anchorWindow, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
           HDC screen = GetDC(nullptr);
           BitBlt(picture.Canvas()->Handle(), 0, 0, 29, 29, screen, anchorRect.left, anchorRect.top, SRCCOPY);
           ReleaseDC(nullptr, screen);
         }
         sendMouseMove(TPoint{anchor.x + 3, anchor.y + 250});
       }},
      {400,
       [&] {
         whileInZone = c->Scrolls.size();
         cursorInZone = GetCursor();
         sendMouseMove(TPoint{anchor.x + 100, anchor.y - 200});
       }},
      {300, [&] { cursorRight = GetCursor(); }},
      {0, [&] { sendMouseInput(MOUSEEVENTF_LEFTDOWN); }},
      {30, [&] { sendMouseInput(MOUSEEVENTF_LEFTUP); }},
  });
  middleScroll(c, TPoint{100, 60}, false, script);
  EXPECT_FALSE(c->IsMiddleButtonScrolling());
  EXPECT_EQ(whileInZone, 0u) << "far below the anchor is still the neutral zone";
  EXPECT_GT(c->Count(sbHorizontal, scLineDown), 5u) << "to the right it scrolls right";
  EXPECT_EQ(c->Calls(sbVertical), "") << "never vertically";
  EXPECT_EQ(c->Count(sbHorizontal, scLineUp), 0u);
  EXPECT_EQ(cursorInZone, Screen->Cursors(crcxHorScroll));
  EXPECT_EQ(cursorRight, Screen->Cursors(crcxRightScroll));
  // The anchor window: the picture's size, centred on the press, on top.
  ASSERT_NE(anchorWindow, nullptr);
  EXPECT_EQ(anchorRect.right - anchorRect.left, 29);
  EXPECT_EQ(anchorRect.bottom - anchorRect.top, 29);
  EXPECT_EQ((anchorRect.left + anchorRect.right) / 2, anchor.x);
  EXPECT_EQ((anchorRect.top + anchorRect.bottom) / 2, anchor.y);
  EXPECT_TRUE(topmost);
  savePng(picture, "cxScrollingAnchor_horizontal");
  EXPECT_EQ(pixelOf(picture, 14, 14), 0x000000u) << "the centre mark";
  EXPECT_EQ(pixelOf(picture, 5, 14), 0x000000u) << "the left arrow";
  EXPECT_EQ(pixelOf(picture, 14, 4), 0xFFFFFFu) << "no up arrow without a vertical bar";
  EXPECT_EQ(pixelOf(picture, 14, 0), rgbOfColor(clWindowText)) << "the outline";
  EXPECT_FALSE(IsWindow(anchorWindow)) << "destroyed when the mode ends";
  EXPECT_EQ(cxScrollingAnchorWindow(), nullptr);
  EXPECT_NE(GetCapture(), c->Handle()) << "the capture is released";
  EXPECT_EQ(mouse.Downs, std::vector<TMouseButton>{mbMiddle}) << "the click that ended the mode was not delivered";
}

TEST_F(ControlScrollBarsTest, MiddleClickWithoutMovingKeepsTheModeUntilTheNextClick) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form);
  TMouseLog mouse;
  c->SetOnMouseDown(TMouseEvent(&mouse, &TMouseLog::MouseDown));
  showContent(form, c, 600, 600);
  bool onAfterRelease = false;
  TScript script({
      {300, [&] { onAfterRelease = c->IsMiddleButtonScrolling(); }},
      {0, [&] { sendMouseInput(MOUSEEVENTF_RIGHTDOWN); }},
      {30, [&] { sendMouseInput(MOUSEEVENTF_RIGHTUP); }},
  });
  middleScroll(c, TPoint{80, 60}, false, script);
  EXPECT_TRUE(onAfterRelease) << "the release without a move leaves the mode on";
  EXPECT_FALSE(c->IsMiddleButtonScrolling()) << "the next click ends it";
  EXPECT_EQ(mouse.Downs, std::vector<TMouseButton>{mbMiddle}) << "that click is not delivered";
  EXPECT_TRUE(c->Scrolls.empty()) << "no scrolling without a direction";
}

TEST_F(ControlScrollBarsTest, MiddleScrollingSpeedGrowsWithTheDistanceAndTheReleaseAfterAMoveEndsIt) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form);
  showContent(form, c, 5000, 5000);
  TPoint anchor = c->ClientToScreen(TPoint{80, 60});
  DWORD slowFrom = 0, fastFrom = 0, fastTo = 0;
  TScript script({
      {50,
       [&] {
         sendMouseMove(TPoint{anchor.x + 15, anchor.y});  // speed 1: a step every 12 ticks
         slowFrom = GetTickCount();
       }},
      {1000,
       [&] {
         sendMouseMove(TPoint{anchor.x + 120, anchor.y});  // speed 12: a step every tick
         fastFrom = GetTickCount();
       }},
      {400,
       [&] {
         fastTo = GetTickCount();
         sendMouseInput(MOUSEEVENTF_MIDDLEUP);
       }},
  });
  middleScroll(c, TPoint{80, 60}, true, script);
  EXPECT_FALSE(c->IsMiddleButtonScrolling()) << "releasing the button after moving ended the mode";
  size_t slow = c->Count(sbHorizontal, scLineDown, slowFrom, fastFrom);
  size_t fast = c->Count(sbHorizontal, scLineDown, fastFrom, fastTo);
  EXPECT_GE(slow, 2u) << "about one step per 240 ms";
  EXPECT_LE(slow, 6u);
  EXPECT_GE(fast, 8u) << "about one step per 20 ms";
  EXPECT_GT(double(fast) / 400.0, 3.0 * double(slow) / 1000.0) << "faster far from the anchor";
  EXPECT_EQ(c->Calls(sbVertical), "");
}

TEST_F(ControlScrollBarsTest, MiddleScrollingEndsOnEscAndNeedsAVisibleBar) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form);
  showContent(form, c, 100, 100);
  ASSERT_EQ(bars(c), "---");
  TMouseLog mouse;
  c->SetOnMouseDown(TMouseEvent(&mouse, &TMouseLog::MouseDown));
  clickAt(c, TPoint{120, 100}, mbMiddle);
  EXPECT_FALSE(c->IsMiddleButtonScrolling()) << "no mode without a visible bar";
  EXPECT_EQ(cxScrollingAnchorWindow(), nullptr);

  c->ContentHeight = 900;
  c->UpdateScrollBars();
  ASSERT_EQ(bars(c), "-V-");
  bool on = false;
  TScript script({
      {200, [&] { on = c->IsMiddleButtonScrolling(); }},
      {0, [&] { sendKeyInput(VK_ESCAPE); }},
  });
  middleScroll(c, TPoint{50, 50}, false, script);
  EXPECT_TRUE(on);
  EXPECT_FALSE(c->IsMiddleButtonScrolling()) << "Esc ends the mode";
}

TEST_F(ControlScrollBarsTest, QuitDuringMiddleScrollingEndsTheModeAndIsPostedAgain) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form);
  showContent(form, c, 900, 900);
  moveMouseTo(c->ClientToScreen(TPoint{50, 50}));
  PostQuitMessage(7);
  c->ScrollByMiddleButton();
  EXPECT_FALSE(c->IsMiddleButtonScrolling());
  EXPECT_EQ(cxScrollingAnchorWindow(), nullptr);
  EXPECT_NE(GetCapture(), c->Handle());
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is posted again";
  EXPECT_EQ(msg.wParam, 7u);
}

// ---------------------------------------------------------------------------------------
// The look of a control with both bars.

TEST_F(ControlScrollBarsTest, ControlWithBothBarsAndTheGripInTheStandardLook) {
  TForm* form = newForm();
  TScrolledControl* c = newControl(form, 240, 180);
  c->HPos = 240;
  c->SetBorderStyle(cxcbsDefault);
  showContent(form, c, 720, 540);
  c->Repaint();
  pumpFor(50);
  TBitmap shot;
  captureClient(c, shot);
  savePng(shot, "cxControl_scrollbars_standard");
  TRect grip = c->SizeGrip()->BoundsRect();
  EXPECT_EQ(countNot(shot, grip, rgbOfColor(clBtnFace)), 0) << "the grip is a plain button-face square";
  TRect h = c->HScrollBar()->BoundsRect();
  TRect thumb = c->HScrollBar()->ThumbnailRect();
  EXPECT_EQ(pixelAt(shot, h.left + thumb.left + 1, h.top + 3), rgbOfColor(clBtnHighlight))
      << "the horizontal thumb's raised edge";
  EXPECT_EQ(pixelAt(shot, 0, 60), rgbOfColor(clBtnShadow)) << "the control's border around the bars";
  EXPECT_EQ(pixelAt(shot, 60, 60), 0xFFFFFFu) << "the content";
}

