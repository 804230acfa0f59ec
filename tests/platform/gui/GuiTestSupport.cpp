#include "GuiTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace guitest {

namespace {

// One round of the application's loop that never blocks: the waiting messages, then the
// idle work when there are none.
void pumpOnce() {
  Application->ProcessMessages();
  Application->DoApplicationIdle();
}

void sendMouse(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

std::string screenshotDir() {
  const char* dir = std::getenv("GUI_SCREENSHOT_DIR");
  return dir && *dir ? std::string(dir) : std::string("/tmp");
}

// The path Wine's file functions take for a Unix path (drive Z: is the Unix root).
std::string winePath(const std::string& unixPath) {
  std::string p = "Z:" + unixPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

}  // namespace

void pumpFor(DWORD Milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    pumpOnce();
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= Milliseconds) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(Milliseconds - elapsed, 10), QS_ALLINPUT);
  }
}

bool pumpUntil(const std::function<bool()>& Done, DWORD Milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    pumpOnce();
    if (Done()) return true;
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= Milliseconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(Milliseconds - elapsed, 10), QS_ALLINPUT);
  }
}

void moveMouseTo(const TPoint& ScreenPoint) {
  SetCursorPos(ScreenPoint.x, ScreenPoint.y);
  // The system reports the move as WM_MOUSEMOVE to the window under the mouse.
  sendMouse(MOUSEEVENTF_MOVE);
  pumpUntil(
      [&] {
        POINT p;
        GetCursorPos(&p);
        return p.x == ScreenPoint.x && p.y == ScreenPoint.y;
      },
      1000);
  pumpFor(30);
}

void clickAt(TControl* Control, const TPoint& ClientPoint, TMouseButton Button) {
  moveMouseTo(Control->ClientToScreen(ClientPoint));
  DWORD down = Button == mbRight ? MOUSEEVENTF_RIGHTDOWN : Button == mbMiddle ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_LEFTDOWN;
  DWORD up = Button == mbRight ? MOUSEEVENTF_RIGHTUP : Button == mbMiddle ? MOUSEEVENTF_MIDDLEUP : MOUSEEVENTF_LEFTUP;
  sendMouse(down);
  pumpFor(20);
  sendMouse(up);
  pumpFor(50);
}

void rightClickAt(TControl* Control, const TPoint& ClientPoint) {
  moveMouseTo(Control->ClientToScreen(ClientPoint));
  sendMouse(MOUSEEVENTF_RIGHTDOWN);
  sendMouse(MOUSEEVENTF_RIGHTUP);
  pumpFor(150);
}

void doubleClickAt(TControl* Control, const TPoint& ClientPoint) {
  moveMouseTo(Control->ClientToScreen(ClientPoint));
  sendMouse(MOUSEEVENTF_LEFTDOWN);
  sendMouse(MOUSEEVENTF_LEFTUP);
  sendMouse(MOUSEEVENTF_LEFTDOWN);
  sendMouse(MOUSEEVENTF_LEFTUP);
  pumpFor(80);
}

void pressAndDrag(TControl* Control, const TPoint& From, const TPoint& To) {
  moveMouseTo(Control->ClientToScreen(From));
  sendMouse(MOUSEEVENTF_LEFTDOWN);
  pumpFor(30);
  constexpr Integer steps = 4;
  for (Integer i = 1; i <= steps; ++i) {
    TPoint p{From.x + (To.x - From.x) * i / steps, From.y + (To.y - From.y) * i / steps};
    moveMouseTo(Control->ClientToScreen(p));
  }
}

void releaseMouse() {
  sendMouse(MOUSEEVENTF_LEFTUP);
  pumpFor(50);
}

void pressWith(std::initializer_list<WORD> Modifiers, WORD Key) {
  std::vector<INPUT> inputs;
  auto key = [&](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  for (WORD m : Modifiers) key(m, false);
  key(Key, false);
  key(Key, true);
  for (auto it = std::rbegin(Modifiers); it != std::rend(Modifiers); ++it) key(*it, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  pumpFor(60);
}

void pressKey(WORD VirtualKey, bool WithShift) {
  if (WithShift) pressWith({VK_SHIFT}, VirtualKey);
  else pressWith({}, VirtualKey);
}

void typeText(const std::string& Text) {
  for (char c : Text) {
    SHORT vk = VkKeyScanA(c);
    pressKey(static_cast<WORD>(vk & 0xFF), (vk & 0x100) != 0);
  }
  pumpFor(20);
}

void showAndActivate(TCustomForm* Form) {
  Form->Show();
  SetForegroundWindow(Form->Handle());
  // An MDI frame does not count itself active (its active child does).
  bool frame = Form->FormStyle() == fsMDIForm;
  pumpUntil([&] { return GetActiveWindow() == Form->Handle() && (frame || Form->Active()); }, 2000);
  pumpFor(30);
}

void captureClient(TWinControl* Control, TBitmap& Bitmap) {
  HWND h = Control->Handle();
  UpdateWindow(h);
  pumpFor(20);
  RECT r;
  GetClientRect(h, &r);
  Bitmap.SetPixelFormat(pf24bit);
  Bitmap.SetSize(r.right, r.bottom);
  HDC dc = GetDC(h);
  BitBlt(Bitmap.Canvas()->Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(h, dc);
}

void captureWindow(HWND Window, TBitmap& Bitmap) {
  UpdateWindow(Window);
  pumpFor(20);
  RECT r;
  GetWindowRect(Window, &r);
  Bitmap.SetPixelFormat(pf24bit);
  Bitmap.SetSize(r.right - r.left, r.bottom - r.top);
  HDC dc = GetWindowDC(Window);
  BitBlt(Bitmap.Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, dc, 0, 0, SRCCOPY);
  ReleaseDC(Window, dc);
}

std::string savePng(TBitmap& Bitmap, const std::string& Name) {
  std::string base = screenshotDir() + "/" + Name;
  std::string bmp = base + ".bmp", png = base + ".png";
  try {
    Bitmap.SaveToFile(winePath(bmp));
  } catch (const Exception&) {
    return "";
  }
  std::string command = "convert '" + bmp + "' '" + png + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return bmp;
  std::remove(bmp.c_str());
  return png;
}

uint32_t pixelAt(TBitmap& Bitmap, Integer X, Integer Y) {
  return static_cast<uint32_t>(Bitmap.Canvas()->Pixels(X, Y)) & 0xFFFFFF;
}

std::string hexOf(uint32_t Color) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(Color & 0xFFFFFF));
  return buf;
}

MessageBoxLog::MessageBoxLog(Integer Answer) : answer_(Answer) {
  setMessageBoxHook([this](const std::string& text, const std::string& caption, Integer flags) {
    calls_.push_back({text, caption, flags});
    return answer_;
  });
}

MessageBoxLog::~MessageBoxLog() { setMessageBoxHook(nullptr); }

void GuiTest::SetUp() { boxes_ = new MessageBoxLog(); }

void GuiTest::TearDown() {
  for (auto it = owned_.rbegin(); it != owned_.rend(); ++it) (*it)->Free();
  owned_.clear();
  pumpFor(30);
  for (const MessageBoxLog::Call& call : boxes_->Calls())
    ADD_FAILURE() << "unexpected message box \"" << call.Caption << "\": " << call.Text;
  delete boxes_;
  boxes_ = nullptr;
}

}  // namespace guitest
