#pragma once
// Helpers for tests that run real windows: the application's message loop for a while or
// until something happens, real mouse and keyboard input, the pixels a window shows (as a
// bitmap, and as a PNG file for a person to look at), and message boxes that record
// instead of waiting for a click.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "platform/gui/Forms.h"

namespace guitest {

// --- The message loop. Messages go through Application's own handling (keyboard
// routing, hints ...), as in the program. The idle work (mouse tracking, actions) runs
// whenever the queue is empty.

// Handles messages for Milliseconds.
void pumpFor(DWORD Milliseconds);
// Handles messages until Done() holds or Milliseconds pass; whether it held.
bool pumpUntil(const std::function<bool()>& Done, DWORD Milliseconds = 3000);

// --- Input, as the system delivers it (SendInput): the messages reach whatever window is
// under the mouse or has the focus. Each call waits until the system took the input.

// Moves the mouse to a screen point and lets the messages through.
void moveMouseTo(const TPoint& ScreenPoint);
// A click (or a double click) of Button at a point of Control's client area.
void clickAt(TControl* Control, const TPoint& ClientPoint, TMouseButton Button = mbLeft);
void doubleClickAt(TControl* Control, const TPoint& ClientPoint);
// Presses the left button at From (Control's client area) and moves the mouse to To in a
// few steps; the button stays down until releaseMouse.
void pressAndDrag(TControl* Control, const TPoint& From, const TPoint& To);
// Releases the left button where the mouse is.
void releaseMouse();
// A right-click whose release is queued before the press is handled, as a user's quick
// click arrives: native controls that follow the button until it is released (the tree
// view) need the release while they wait for it.
void rightClickAt(TControl* Control, const TPoint& ClientPoint);
// Presses and releases a key, with Shift held when asked.
void pressKey(WORD VirtualKey, bool WithShift = false);
// Types each character of Text (those the keyboard layout has) as its key, with Shift where
// the layout needs it, then lets the window handle them.
void typeText(const std::string& Text);
// Presses Key with the modifier keys held, released in the reverse order.
void pressWith(std::initializer_list<WORD> Modifiers, WORD Key);

// Shows Form, brings it to the front and waits until it is active.
void showAndActivate(TCustomForm* Form);

// --- Pixels.

// The client area of Control's window as it shows on the screen now (after pending
// painting), in a 24-bit bitmap.
void captureClient(TWinControl* Control, TBitmap& Bitmap);
// The whole window (frame and caption included).
void captureWindow(HWND Window, TBitmap& Bitmap);
// Saves Bitmap as Name.png in the screenshot folder (GUI_SCREENSHOT_DIR, else /tmp) and
// returns the file's path; "" when it could not be written.
std::string savePng(TBitmap& Bitmap, const std::string& Name);
// The colour at (X, Y) of Bitmap as 0x00BBGGRR.
uint32_t pixelAt(TBitmap& Bitmap, Integer X, Integer Y);
// A colour as "0xBBGGRR" text, so that failures show readable values.
std::string hexOf(uint32_t Color);

// --- Message boxes.

// While it lives, Application->MessageBox (and so the display of exceptions) shows no box:
// each call is recorded and answered with Answer.
class MessageBoxLog {
public:
  struct Call {
    std::string Text;
    std::string Caption;
    Integer Flags;
  };

  explicit MessageBoxLog(Integer Answer = IDOK);
  ~MessageBoxLog();
  MessageBoxLog(const MessageBoxLog&) = delete;
  MessageBoxLog& operator=(const MessageBoxLog&) = delete;

  const std::vector<Call>& Calls() const { return calls_; }
  void Clear() { calls_.clear(); }
  void SetAnswer(Integer Answer) { answer_ = Answer; }

private:
  std::vector<Call> calls_;
  Integer answer_;
};

// The base of the GUI tests: every message box is recorded (a test that did not expect
// one fails), and the forms a test hands to own() are freed at its end, with the pending
// messages handled, so one test's windows never reach the next.
class GuiTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Frees Form at the end of the test; returns it.
  template <class F> F* own(F* Form) {
    owned_.push_back(Form);
    return Form;
  }
  // The message boxes shown so far.
  MessageBoxLog& boxes() { return *boxes_; }
  // Marks the boxes shown so far as expected.
  void expectBoxes() { boxes_->Clear(); }

private:
  std::vector<TComponent*> owned_;
  MessageBoxLog* boxes_ = nullptr;
};

}  // namespace guitest
