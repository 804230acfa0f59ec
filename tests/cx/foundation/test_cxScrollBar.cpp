// The custom-drawn scroll bar under real windows: the range rules, the layout of arrows,
// thumb and page areas, scrolling by code and by reflected notifications, the auto-repeat
// of arrows and page areas with its timing, thumb tracking with the snap-back zone, the
// end of a press by cancel mode, disabling, hiding or the loss of the capture, and the
// pixels the standard painter leaves.
#include <functional>
#include <string>
#include <vector>

#include "CxTestHelpers.h"
#include "ScrollTestSupport.h"
#include "cx/foundation/cxControls.h"
#include "platform/gui/GuiTestSupport.h"

using namespace guitest;

namespace {

// Writes down the bar's events with the time they came.
class TBarEvents : public TObject {
public:
  struct Event {
    TScrollCode Code;
    Integer Position;
    DWORD Time;
  };
  std::vector<Event> Scrolls;
  Integer Changes = 0;
  // When set, OnScroll moves every new position to this one.
  Integer ForcedPosition = -1;

  void Scroll(TObject*, TScrollCode Code, Integer& Pos) {
    if (ForcedPosition >= 0) Pos = ForcedPosition;
    Scrolls.push_back({Code, Pos, GetTickCount()});
  }
  void Change(TObject*) { ++Changes; }

  std::vector<Event> Of(TScrollCode Code) const {
    std::vector<Event> r;
    for (const Event& e : Scrolls)
      if (e.Code == Code) r.push_back(e);
    return r;
  }
  std::string Codes() const {
    std::string s;
    for (const Event& e : Scrolls) s += (s.empty() ? "" : " ") + scrollCodeName(e.Code) + "@" + std::to_string(e.Position);
    return s;
  }
};

Integer arrowLength() { return cxGetScrollBarSize().cy; }

class ScrollBarTest : public GuiTest {
protected:
  void TearDown() override {
    sendMouseInput(MOUSEEVENTF_LEFTUP);
    pumpFor(20);
    GuiTest::TearDown();
  }
  // Freed at the end of the test unless AOwned is false.
  TForm* newForm(bool AOwned = true) {
    TForm* form = New<TForm>(nullptr, 0);
    if (AOwned) own(form);
    form->SetBounds(100, 100, 420, 260);
    return form;
  }
  // A horizontal bar whose track (between the arrows) is ATrack pixels long.
  TcxScrollBar* newBar(TForm* Form, Integer ATrack = 100, TScrollBarKind AKind = sbHorizontal) {
    TcxScrollBar* bar = New<TcxScrollBar>(Form);
    bar->SetParent(Form);
    bar->LookAndFeel()->SetKind(lfStandard);
    bar->SetKind(AKind);
    Integer length = ATrack + 2 * (AKind == sbHorizontal ? arrowLength() : cxGetScrollBarSize().cx);
    if (AKind == sbHorizontal)
      bar->SetBounds(20, 20, length, cxGetScrollBarSize().cy);
    else
      bar->SetBounds(20, 20, cxGetScrollBarSize().cx, length);
    bar->SetOnScroll(TScrollEvent(&events, &TBarEvents::Scroll));
    bar->SetOnChange(TNotifyEvent(&events, &TBarEvents::Change));
    return bar;
  }
  static TPoint centre(const TRect& R) { return TPoint{(R.left + R.right) / 2, (R.top + R.bottom) / 2}; }
  void press(TcxScrollBar* Bar, const TPoint& P) {
    moveMouseTo(Bar->ClientToScreen(P));
    sendMouseInput(MOUSEEVENTF_LEFTDOWN);
    pumpFor(30);
  }
  void moveTo(TcxScrollBar* Bar, const TPoint& P) { moveMouseTo(Bar->ClientToScreen(P)); }
  void release() {
    sendMouseInput(MOUSEEVENTF_LEFTUP);
    pumpFor(40);
  }
  TBarEvents events;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Range, position and page.

TEST_F(ScrollBarTest, RangeSettersRefuseAMaxBelowMinOrPageAndKeepTheValues) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form);
  bar->SetScrollParams(0, 100, 40, 10);
  struct Case {
    const char* What;
    std::function<void()> Set;
  };
  const Case cases[] = {
      {"Max below PageSize", [&] { bar->SetMax(5); }},
      {"PageSize above Max", [&] { bar->SetPageSize(101); }},
      {"Min above Max", [&] { bar->SetMin(101); }},
      {"all at once", [&] { bar->SetScrollParams(50, 20, 30, 0); }},
  };
  for (const Case& c : cases) {
    try {
      c.Set();
      ADD_FAILURE() << c.What << ": no error";
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(e.Message(), "Scrollbar property out of range") << c.What;
    }
    EXPECT_EQ(bar->Min(), 0) << c.What;
    EXPECT_EQ(bar->Max(), 100) << c.What;
    EXPECT_EQ(bar->Position(), 40) << c.What;
    EXPECT_EQ(bar->PageSize(), 10) << c.What;
  }
  EXPECT_EQ(events.Changes, 1) << "only the first, valid call changed the position";
}

TEST_F(ScrollBarTest, PositionIsClampedIntoTheRangeAndOnlyAChangedPositionNotifies) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form);
  bar->SetPosition(150);
  EXPECT_EQ(bar->Position(), 100);
  bar->SetPosition(-5);
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_EQ(events.Changes, 2);
  bar->SetScrollParams(0, 100, 0, 0);
  EXPECT_EQ(events.Changes, 2) << "the same values change nothing";
  bar->SetMax(50);
  EXPECT_EQ(events.Changes, 2) << "a new range with the same position is no position change";
  EXPECT_TRUE(events.Scrolls.empty()) << "setting values by code raises no OnScroll";
}

TEST_F(ScrollBarTest, APositionChangeByCodeEnablesADisabledBar) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form);
  bar->SetEnabled(false);
  bar->SetScrollParams(0, 100, 0, 20);
  EXPECT_FALSE(bar->Enabled()) << "without a position change the bar stays disabled";
  bar->SetScrollParams(0, 100, 30, 20);
  EXPECT_TRUE(bar->Enabled());
  EXPECT_EQ(events.Changes, 1);
}

// ---------------------------------------------------------------------------------------
// Layout.

TEST_F(ScrollBarTest, ThumbWithAPageIsProportionalAndStaysWithinTheTrack) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 100);
  const Integer a = arrowLength();
  EXPECT_EQ(rectText(bar->LineUpRect()), rectText(TRect{0, 0, a, bar->Height()}));
  EXPECT_EQ(rectText(bar->LineDownRect()), rectText(TRect{a + 100, 0, 2 * a + 100, bar->Height()}));
  // Range 0..99 with a page of 25 on a 100-pixel track: a 25-pixel thumb with 75 positions
  // to move over, one pixel each.
  struct Case {
    Integer Position;
    Integer ThumbStart;  // from the track's start
  };
  const Case cases[] = {{0, 0}, {30, 30}, {75, 75}, {99, 75}};
  for (const Case& c : cases) {
    bar->SetScrollParams(0, 99, c.Position, 25);
    TRect thumb = bar->ThumbnailRect();
    EXPECT_EQ(thumb.left - a, c.ThumbStart) << "position " << c.Position;
    EXPECT_EQ(thumb.right - thumb.left, 25) << "position " << c.Position;
    EXPECT_EQ(rectText(bar->PageUpRect()), rectText(TRect{a, 0, thumb.left, bar->Height()}));
    EXPECT_EQ(rectText(bar->PageDownRect()), rectText(TRect{thumb.right, 0, a + 100, bar->Height()}));
  }
  bar->SetScrollParams(0, 999, 0, 10);
  EXPECT_EQ(bar->ThumbnailRect().right - bar->ThumbnailRect().left, bar->ThumbnailMinSize())
      << "a small page gets the shortest thumb";
  EXPECT_EQ(bar->ThumbnailMinSize(), 8);
}

TEST_F(ScrollBarTest, VerticalBarLaysItsPartsOutDownwards) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 100, sbVertical);
  const Integer a = cxGetScrollBarSize().cx;
  bar->SetScrollParams(0, 99, 50, 25);
  EXPECT_EQ(rectText(bar->LineUpRect()), rectText(TRect{0, 0, bar->Width(), a}));
  EXPECT_EQ(rectText(bar->LineDownRect()), rectText(TRect{0, a + 100, bar->Width(), 2 * a + 100}));
  EXPECT_EQ(rectText(bar->ThumbnailRect()), rectText(TRect{0, a + 50, bar->Width(), a + 75}));
  EXPECT_EQ(bar->HitTest(TPoint{2, a + 10}), sbpPageUp);
  EXPECT_EQ(bar->HitTest(TPoint{2, a + 60}), sbpThumbnail);
  EXPECT_EQ(bar->HitTest(TPoint{2, a + 90}), sbpPageDown);
  EXPECT_EQ(bar->HitTest(TPoint{2, a + 101}), sbpLineDown);
  EXPECT_EQ(bar->HitTest(TPoint{2, -1}), sbpNone);
}

TEST_F(ScrollBarTest, ThumbWithoutAPageHasTheSystemLengthAndSpansTheTrackEnds) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 100);
  const Integer a = arrowLength();
  const Integer thumbLength = GetSystemMetrics(SM_CXHTHUMB);
  bar->SetScrollParams(0, 100, 0, 0);
  EXPECT_EQ(bar->ThumbnailRect().left, a);
  EXPECT_EQ(bar->ThumbnailRect().right - bar->ThumbnailRect().left, thumbLength);
  bar->SetPosition(100);
  EXPECT_EQ(bar->ThumbnailRect().right, a + 100) << "the last position puts the thumb at the track's end";
  bar->SetPosition(50);
  Integer middle = (bar->ThumbnailRect().left + bar->ThumbnailRect().right) / 2;
  EXPECT_NEAR(middle, a + 50, 1) << "the middle position centres the thumb";
  bar->SetScrollParams(INT32_MIN, INT32_MAX, 0, 0);
  middle = (bar->ThumbnailRect().left + bar->ThumbnailRect().right) / 2;
  EXPECT_NEAR(middle, a + 50, 1) << "the whole Integer range: 0 lies in the middle";
  bar->SetPosition(INT32_MAX);
  EXPECT_EQ(bar->ThumbnailRect().right, a + 100);
}

TEST_F(ScrollBarTest, ABarWithoutRoomOrRangeHasNoThumb) {
  TForm* form = newForm();
  TcxScrollBar* shortBar = newBar(form);
  const Integer a = arrowLength();
  shortBar->SetBounds(20, 60, a + 4, shortBar->Height());
  EXPECT_EQ(shortBar->LineUpRect().right, (a + 4) / 2) << "two arrows of half the bar";
  EXPECT_EQ(shortBar->LineDownRect().left, (a + 4) - (a + 4) / 2);
  EXPECT_EQ(rectText(shortBar->ThumbnailRect()), rectText(TRect{0, 0, 0, 0}));
  EXPECT_EQ(shortBar->HitTest(TPoint{(a + 4) / 2 - 1, 2}), sbpLineUp);

  TcxScrollBar* flat = newBar(form);
  flat->SetScrollParams(5, 5, 5, 1);
  EXPECT_EQ(rectText(flat->ThumbnailRect()), rectText(TRect{0, 0, 0, 0})) << "Max = Min with a page";

  TcxScrollBar* disabled = newBar(form);
  disabled->SetEnabled(false);
  EXPECT_EQ(rectText(disabled->ThumbnailRect()), rectText(TRect{0, 0, 0, 0}));
  EXPECT_EQ(rectText(disabled->PageUpRect()), rectText(TRect{0, 0, 0, 0}));
  EXPECT_EQ(disabled->HitTest(centre(TRect{0, 0, disabled->Width(), disabled->Height()})), sbpNone);
}

TEST_F(ScrollBarTest, APageCoveringARangeWithAPositiveMinimumKeepsTheThumbInTheTrack) {
  // Min 1, Max 10, page 10 passes the range check although the page covers all ten
  // positions: the thumb fills the track and stands for Min.
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 100);
  const Integer a = arrowLength();
  bar->SetScrollParams(1, 10, 1, 10);
  EXPECT_EQ(bar->ThumbnailRect().left, a);
  EXPECT_EQ(bar->ThumbnailRect().right, a + 100);
  EXPECT_EQ(bar->PositionFromThumb(), 1);
  bar->SetScrollParams(5, 10, 7, 8);  // page larger than the six positions
  EXPECT_GE(bar->ThumbnailRect().left, a);
  EXPECT_LE(bar->ThumbnailRect().right, a + 100);
  EXPECT_EQ(bar->PositionFromThumb(), 5);
}

TEST_F(ScrollBarTest, KindChangeKeepsTheSizeAndLaysThePartsOutAgain) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 100);
  Integer w = bar->Width(), h = bar->Height();
  bar->SetKind(sbVertical);
  EXPECT_EQ(bar->Width(), w);
  EXPECT_EQ(bar->Height(), h);
  EXPECT_EQ(rectText(bar->LineUpRect()), rectText(TRect{0, 0, w, std::min<Integer>(cxGetScrollBarSize().cx, h / 2)}));
}

// ---------------------------------------------------------------------------------------
// Scrolling by code.

TEST_F(ScrollBarTest, ScrollCodesMoveByTheStepsAndOnlyTrackingSkipsOnChange) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form);
  bar->SetScrollParams(0, 100, 50, 0);
  bar->SetSmallChange(3);
  bar->SetLargeChange(20);
  events.Changes = 0;
  struct Case {
    TScrollCode Code;
    Integer Expected;
  };
  const Case cases[] = {{scLineUp, 47},  {scLineDown, 50}, {scPageUp, 30},  {scPageDown, 50},
                        {scTop, 0},      {scLineUp, 0},    {scBottom, 100}, {scPageDown, 100},
                        {scPosition, 100}};
  for (const Case& c : cases) {
    bar->DoScroll(c.Code);
    EXPECT_EQ(bar->Position(), c.Expected) << scrollCodeName(c.Code);
    EXPECT_EQ(events.Scrolls.back().Position, c.Expected) << "OnScroll sees the clamped position for " << scrollCodeName(c.Code);
  }
  EXPECT_EQ(events.Changes, 6) << "one change per move (the clamped steps and scPosition move nothing)";

  events.ForcedPosition = 42;
  events.Changes = 0;
  bar->DoScroll(scTrack);
  EXPECT_EQ(bar->Position(), 42) << "OnScroll decides the new position";
  EXPECT_EQ(events.Changes, 0) << "tracking stores the position without Change";
  events.ForcedPosition = 500;
  bar->DoScroll(scLineDown);
  EXPECT_EQ(bar->Position(), 100) << "what OnScroll answers is clamped into the range";
  EXPECT_EQ(events.Changes, 1);
}

TEST_F(ScrollBarTest, ReflectedScrollNotificationsScrollTheBar) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form);
  bar->SetLargeChange(10);
  bar->Perform(CN_HSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(bar->Position(), 10);
  bar->Perform(CN_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(bar->Position(), 100);
  bar->Perform(CN_HSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(bar->Position(), 99);
  EXPECT_EQ(events.Codes(), "PageDown@10 Bottom@100 LineUp@99");
}

// ---------------------------------------------------------------------------------------
// The mouse: arrows and page areas.

TEST_F(ScrollBarTest, HoldingAnArrowScrollsAtThePressThenAfter400MsThenEvery60Ms) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 200);
  bar->SetScrollParams(0, 1000, 0, 0);
  showAndActivate(form);
  TPoint arrow = centre(bar->LineDownRect());
  press(bar, arrow);
  ASSERT_EQ(events.Of(scLineDown).size(), 1u) << "one step at the press";
  EXPECT_EQ(bar->State(), sbpLineDown);
  pumpFor(250);
  EXPECT_EQ(events.Of(scLineDown).size(), 1u) << "nothing more before 400 ms";
  pumpFor(650);
  std::vector<TBarEvents::Event> steps = events.Of(scLineDown);
  ASSERT_GE(steps.size(), 5u) << "the repeat started";
  EXPECT_GE(steps[1].Time - steps[0].Time, 350u) << "the first repeat comes after 400 ms";
  DWORD span = steps.back().Time - steps[1].Time;
  double average = double(span) / double(steps.size() - 2);
  EXPECT_GT(average, 40.0) << "then about every 60 ms";
  EXPECT_LT(average, 120.0);
  EXPECT_EQ(bar->Position(), static_cast<Integer>(steps.size()));

  // Off the arrow the repeat pauses; back on it, it goes on.
  moveTo(bar, centre(bar->PageUpRect()));
  size_t paused = events.Of(scLineDown).size();
  pumpFor(300);
  EXPECT_EQ(events.Of(scLineDown).size(), paused) << "no repeat while the mouse is off the pressed arrow";
  EXPECT_EQ(bar->State(), sbpLineDown) << "the arrow is still the pressed part";
  moveTo(bar, arrow);
  pumpFor(300);
  EXPECT_GT(events.Of(scLineDown).size(), paused + 2) << "back on the arrow the repeat resumes";

  release();
  EXPECT_EQ(bar->State(), sbpNone);
  EXPECT_EQ(events.Scrolls.back().Code, scEndScroll) << events.Codes();
  size_t afterRelease = events.Scrolls.size();
  pumpFor(200);
  EXPECT_EQ(events.Scrolls.size(), afterRelease) << "the repeat stopped with the release";
}

TEST_F(ScrollBarTest, HoldingAPageAreaPagesUntilTheThumbReachesTheMouse) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 200);
  bar->SetScrollParams(0, 99, 0, 10);
  bar->SetLargeChange(10);
  showAndActivate(form);
  const Integer a = arrowLength();
  TPoint target{a + 120, bar->Height() / 2};
  ASSERT_EQ(bar->HitTest(target), sbpPageDown);
  press(bar, target);
  EXPECT_EQ(bar->Position(), 10) << "one page at the press";
  pumpFor(1500);
  // Each page moves the thumb 20 pixels; it stops once the thumb lies under the mouse.
  TRect thumb = bar->ThumbnailRect();
  EXPECT_TRUE(PtInRect(&thumb, target)) << "thumb " << rectText(thumb);
  Integer stopped = bar->Position();
  EXPECT_GT(stopped, 10);
  EXPECT_LT(stopped, 89);
  pumpFor(300);
  EXPECT_EQ(bar->Position(), stopped) << "no more pages once the thumb is under the mouse";
  release();
  EXPECT_EQ(bar->State(), sbpNone);
}

TEST_F(ScrollBarTest, APressedArrowLooksPressedOnlyWhileTheMouseIsOnIt) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 200);
  bar->SetScrollParams(0, 1000, 500, 0);
  showAndActivate(form);
  TBitmap shot;
  captureClient(bar, shot);
  TRect arrow = bar->LineUpRect();
  EXPECT_EQ(pixelAt(shot, arrow.left, arrow.top), rgbOfColor(clBtnFace)) << "a raised arrow";
  EXPECT_EQ(pixelAt(shot, arrow.right - 1, arrow.bottom - 1), rgbOfColor(cl3DDkShadow));

  press(bar, centre(arrow));
  captureClient(bar, shot);
  EXPECT_EQ(pixelAt(shot, arrow.left, arrow.top), rgbOfColor(clBtnShadow)) << "a pressed arrow";
  EXPECT_EQ(pixelAt(shot, arrow.right - 1, arrow.bottom - 1), rgbOfColor(clBtnShadow));
  moveTo(bar, TPoint{arrow.right + 5, arrow.bottom / 2});
  pumpFor(30);
  captureClient(bar, shot);
  EXPECT_EQ(pixelAt(shot, arrow.left, arrow.top), rgbOfColor(clBtnFace)) << "off the arrow it looks raised";
  release();
}

TEST_F(ScrollBarTest, CancelModeDisablingHidingAndALostCaptureEndAPress) {
  struct Case {
    const char* What;
    std::function<void(TcxScrollBar*)> End;
  };
  const Case cases[] = {
      {"cancel mode", [](TcxScrollBar* b) { b->Perform(WM_CANCELMODE, 0, 0); }},
      {"disabled", [](TcxScrollBar* b) { b->SetEnabled(false); }},
      {"hidden", [](TcxScrollBar* b) { b->SetVisible(false); }},
      {"capture lost", [](TcxScrollBar*) { ReleaseCapture(); }},
  };
  for (const Case& c : cases) {
    TForm* form = newForm(false);
    events.Scrolls.clear();
    events.Changes = 0;
    TcxScrollBar* bar = newBar(form, 200);
    bar->SetScrollParams(0, 1000, 0, 0);
    showAndActivate(form);
    press(bar, centre(bar->LineDownRect()));
    ASSERT_EQ(bar->State(), sbpLineDown) << c.What;
    c.End(bar);
    pumpFor(500);
    EXPECT_EQ(bar->State(), sbpNone) << c.What;
    EXPECT_EQ(events.Of(scEndScroll).size(), 1u) << c.What << ": " << events.Codes();
    EXPECT_EQ(events.Of(scLineDown).size(), 1u) << c.What << ": no repeat after the press ended";
    release();
    form->Free();
    pumpFor(20);
  }
}

// ---------------------------------------------------------------------------------------
// The mouse: the thumb.

TEST_F(ScrollBarTest, DraggingTheThumbTracksThePositionAndReportsItAtTheRelease) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 100);
  // A 100-pixel track and a thumb of the system length: 100 - L pixels for 0..100.
  bar->SetScrollParams(0, 100, 0, 0);
  showAndActivate(form);
  const Integer a = arrowLength();
  const Integer free = 100 - GetSystemMetrics(SM_CXHTHUMB);
  TPoint grip = centre(bar->ThumbnailRect());
  press(bar, grip);
  EXPECT_EQ(bar->State(), sbpThumbnail);
  EXPECT_EQ(events.Codes(), "Track@0");
  moveTo(bar, TPoint{grip.x + free / 2, grip.y + 20});
  EXPECT_EQ(bar->ThumbnailRect().left, a + free / 2) << "the thumb follows the mouse along the bar";
  EXPECT_NEAR(bar->Position(), 50, 1);
  EXPECT_EQ(events.Scrolls.back().Code, scTrack);
  EXPECT_EQ(events.Changes, 0) << "tracking raises no OnChange";
  moveTo(bar, TPoint{grip.x + 120, grip.y});
  EXPECT_EQ(bar->ThumbnailRect().right, a + 100) << "the thumb stops at the track's end";
  EXPECT_EQ(bar->Position(), 100);
  release();
  EXPECT_EQ(bar->State(), sbpNone);
  ASSERT_GE(events.Scrolls.size(), 2u);
  EXPECT_EQ(events.Scrolls[events.Scrolls.size() - 2].Code, scPosition) << events.Codes();
  EXPECT_EQ(events.Scrolls[events.Scrolls.size() - 2].Position, 100);
  EXPECT_EQ(events.Scrolls.back().Code, scEndScroll);
}

TEST_F(ScrollBarTest, ThumbDraggedTooFarFromTheBarReturnsToItsStartAndKeepsItAtTheRelease) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 100);
  // More positions than pixels: reading the thumb's place back would round 337 away.
  bar->SetScrollParams(0, 1000, 337, 0);
  showAndActivate(form);
  TPoint grip = centre(bar->ThumbnailRect());
  press(bar, grip);
  moveTo(bar, TPoint{grip.x + 30, grip.y + 100});
  EXPECT_NE(bar->Position(), 337) << "within 136 pixels across the bar the thumb still follows";
  moveTo(bar, TPoint{grip.x + 30, grip.y + 200});
  EXPECT_EQ(bar->Position(), 337) << "200 pixels away the position of the press comes back";
  EXPECT_EQ(events.Scrolls.back().Code, scTrack);
  EXPECT_EQ(events.Scrolls.back().Position, 337);
  release();
  EXPECT_EQ(bar->Position(), 337) << "releasing there keeps it";

  // A click on the thumb, and a drag that comes back to the press point, keep it too.
  grip = centre(bar->ThumbnailRect());
  press(bar, grip);
  release();
  EXPECT_EQ(bar->Position(), 337) << "a click on the thumb moves nothing";
  press(bar, grip);
  moveTo(bar, TPoint{grip.x + 20, grip.y});
  EXPECT_NE(bar->Position(), 337);
  moveTo(bar, grip);
  EXPECT_EQ(bar->Position(), 337) << "back at the press point the thumb stands for the start";
  release();
  EXPECT_EQ(bar->Position(), 337);
}

TEST_F(ScrollBarTest, UnlimitedTrackingFollowsTheMouseAnywhere) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 100);
  bar->SetScrollParams(0, 100, 0, 0);
  bar->SetUnlimitedTracking(true);
  showAndActivate(form);
  TPoint grip = centre(bar->ThumbnailRect());
  press(bar, grip);
  moveTo(bar, TPoint{grip.x + 40, grip.y + 200});
  EXPECT_GT(bar->Position(), 30) << "200 pixels away the thumb still follows";
  release();
  EXPECT_GT(bar->Position(), 30);
}

// ---------------------------------------------------------------------------------------
// Painting.

TEST_F(ScrollBarTest, StandardPainterDrawsArrowsThumbAndCheckeredPageAreas) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 200);
  bar->SetScrollParams(0, 99, 40, 20);
  TcxScrollBar* disabled = newBar(form, 200);
  disabled->SetTop(60);
  disabled->SetEnabled(false);
  showAndActivate(form);
  pumpFor(30);
  TBitmap shot;
  captureClient(form, shot);
  savePng(shot, "cxScrollBar_standard");

  auto isPagePattern = [](uint32_t c) { return c == rgbOfColor(clBtnHighlight) || c == rgbOfColor(clBtnFace); };
  captureClient(bar, shot);
  TRect thumb = bar->ThumbnailRect();
  EXPECT_EQ(pixelAt(shot, thumb.left, thumb.top + 2), rgbOfColor(clBtnFace)) << "the thumb's raised edge";
  EXPECT_EQ(pixelAt(shot, thumb.left + 1, thumb.top + 2), rgbOfColor(clBtnHighlight));
  EXPECT_EQ(pixelAt(shot, thumb.right - 1, thumb.top + 2), rgbOfColor(cl3DDkShadow));
  TPoint page = centre(bar->PageUpRect());
  EXPECT_TRUE(isPagePattern(pixelAt(shot, page.x, page.y))) << hexOf(pixelAt(shot, page.x, page.y));
  EXPECT_NE(pixelAt(shot, page.x, page.y), pixelAt(shot, page.x + 1, page.y)) << "a checkerboard";

  // A disabled bar: page pattern across the whole track, no thumb, inactive arrows.
  captureClient(disabled, shot);
  const Integer a = arrowLength();
  for (Integer x = a; x < a + 200; x += 17)
    EXPECT_TRUE(isPagePattern(pixelAt(shot, x, disabled->Height() / 2))) << "x " << x;
  TRect arrow = disabled->LineUpRect();
  EXPECT_GT(countNot(shot, TRect{arrow.left + 2, arrow.top + 2, arrow.right - 2, arrow.bottom - 2},
                     rgbOfColor(clBtnFace)),
            0)
      << "the arrow glyph is drawn";
  bool blackGlyph = false;
  for (Integer y = arrow.top + 2; y < arrow.bottom - 2; ++y)
    for (Integer x = arrow.left + 2; x < arrow.right - 2; ++x)
      if (pixelAt(shot, x, y) == 0x000000) blackGlyph = true;
  EXPECT_FALSE(blackGlyph) << "a disabled arrow is drawn inactive (grey), not black";
}

TEST_F(ScrollBarTest, PressedPageAreaTakesThePressedPattern) {
  TForm* form = newForm();
  TcxScrollBar* bar = newBar(form, 200);
  bar->SetScrollParams(0, 99, 0, 5);
  bar->SetLargeChange(1);
  showAndActivate(form);
  TPoint target{bar->LineDownRect().left - 5, bar->Height() / 2};
  press(bar, target);
  TBitmap shot;
  captureClient(bar, shot);
  uint32_t c = pixelAt(shot, target.x, target.y);
  EXPECT_TRUE(c == rgbOfColor(cl3DDkShadow) || c == 0x000000) << hexOf(c);
  release();
  captureClient(bar, shot);
  c = pixelAt(shot, target.x, target.y);
  EXPECT_TRUE(c == rgbOfColor(clBtnHighlight) || c == rgbOfColor(clBtnFace)) << hexOf(c);
}
