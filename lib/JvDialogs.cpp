#include "lib/JvDialogs.h"

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <vector>

#include "lib/jcl/JclSysInfo.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiPublish.h"
#include "platform/gui/Graphics.h"
#include "platform/rtl/SysUtils.h"

namespace {

// The shell's command that switches its file view to details.
constexpr WPARAM shellViewDetailsCommand = 0x702C;
// The longest size-command text taken from the main form's system menu.
constexpr int sizeMenuCaptionLength = 50;
const char* const defaultSizeMenuCaption = "Size";

// The audio compression library, loaded at most once (see TaskModalDialog) and freed at
// the unit's end.
HMODULE audioCompressionLibrary = nullptr;

}  // namespace

WNDPROC JvWrapWindowMethod(TWndMethod Method) { return MakeObjectInstance(Method); }

void JvReleaseWindowMethod(WNDPROC Instance) {
  if (Instance) FreeObjectInstance(Instance);
}

// =======================================================================================
// TJvOpenDialog
// =======================================================================================

TJvOpenDialog::TJvOpenDialog(TComponent* AOwner) : TOpenDialog(AOwner) {
  TOsRelease release = OsReleaseKind();
  oldStyleSizing_ = release == os95 || release == os95OSR2 || release == osNT4;
  frameProc_ = JvWrapWindowMethod(TWndMethod(this, &TJvOpenDialog::DialogFrameProc));
}

TJvOpenDialog::~TJvOpenDialog() { JvReleaseWindowMethod(frameProc_); }

std::function<bool(TJvOpenDialog*)>& TJvOpenDialog::ExecuteHook() {
  static std::function<bool(TJvOpenDialog*)> hook;
  return hook;
}

bool TJvOpenDialog::Execute() {
  if (ExecuteHook()) return ExecuteHook()(this);
  return inherited::Execute();
}

void TJvOpenDialog::SetDefBtnCaption(const std::string& Value) {
  if (Value == defBtnCaption_) return;
  defBtnCaption_ = Value;
  if (dialogWindow_) ApplyCaptions();
}

void TJvOpenDialog::SetFilterLabelCaption(const std::string& Value) {
  if (Value == filterLabelCaption_) return;
  filterLabelCaption_ = Value;
  if (dialogWindow_) ApplyCaptions();
}

bool TJvOpenDialog::TaskModalDialog(TDialogFunc DialogFunc, void* DialogData) {
  auto* data = static_cast<OPENFILENAMEA*>(DialogData);
  data->hInstance = FindClassHInstance(ClassType());
  // The system wants the default extension without its dot: ".txt" would give "name..txt".
  if (data->lpstrDefExt && data->lpstrDefExt[0] == '.') ++data->lpstrDefExt;
  // Where the component sizes the dialog itself, the system must not do it as well, or
  // every control would move twice.
  if (oldStyleSizing_) data->Flags &= ~static_cast<DWORD>(OFN_ENABLESIZING);
  viewPrepared_ = false;
  // The details view of that release's file dialog is given the audio compression
  // library, loaded once and kept until the unit ends.
  if (Win32Platform == VER_PLATFORM_WIN32_NT && Win32MajorVersion >= 5 && activeStyle_ == asReport &&
      OsReleaseKind() == os2000 && !audioCompressionLibrary)
    audioCompressionLibrary = LoadLibraryA("msacm32.dll");
  bool result = inherited::TaskModalDialog(DialogFunc, DialogData);
  if (!result) DoError(CommDlgExtendedError());
  return result;
}

void TJvOpenDialog::DoError(DWORD ErrorCode) {
  if (onError_) onError_(this, ErrorCode);
}

void TJvOpenDialog::DoShow() {
  dialogWindow_ = Handle();
  if (dialogWindow_) {
    GetClientRect(dialogWindow_, &previousClientRect_);
    TRect window;
    GetWindowRect(dialogWindow_, &window);
    minTrackSize_ = {RectWidth(window), RectHeight(window)};
    width_ = std::max(width_, static_cast<Integer>(minTrackSize_.x));
    height_ = std::max(height_, static_cast<Integer>(minTrackSize_.y));
    if (oldStyleSizing_ && Options().Contains(ofEnableSizing)) {
      SetWindowLongA(dialogWindow_, GWL_STYLE, GetWindowLongA(dialogWindow_, GWL_STYLE) | WS_THICKFRAME);
      SetWindowPos(dialogWindow_, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOCOPYBITS);
      std::string caption = SizeMenuCaption();
      InsertMenuA(GetSystemMenu(dialogWindow_, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_STRING, SC_SIZE, caption.c_str());
      frameWindow_ = dialogWindow_;
      previousFrameProc_ = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(dialogWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(frameProc_)));
      RepositionControls();
    }
    ApplyCaptions();
  }
  inherited::DoShow();
}

void TJvOpenDialog::DoFolderChange() {
  PrepareView();
  inherited::DoFolderChange();
}

void TJvOpenDialog::WMEnterIdle(TMessage& Message) {
  PrepareView();
  INHERITED_MESSAGE(Message);
}

void TJvOpenDialog::WMDestroy(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  dialogWindow_ = nullptr;
}

void TJvOpenDialog::WMNotify(TWMNotify& Message) {
  if (Message.NMHdr && Message.NMHdr->code == static_cast<UINT>(CDN_SHAREVIOLATION) && onShareViolation_) {
    bool canClose = true;
    onShareViolation_(this, canClose);
    // The hook hands a notification's result to the dialog as its message result too.
    Message.Result = canClose ? OFN_SHAREFALLTHROUGH : OFN_SHARENOWARN;
    return;
  }
  INHERITED_MESSAGE(Message);
}

std::string TJvOpenDialog::SizeMenuCaption() {
  std::string caption;
  TForm* mainForm = Application ? Application->MainForm() : nullptr;
  if (mainForm && !ComponentState().Contains(csDesigning)) {
    char text[sizeMenuCaptionLength + 1] = {};
    GetMenuStringA(GetSystemMenu(mainForm->Handle(), FALSE), SC_SIZE, text, sizeof text, MF_BYCOMMAND);
    caption = text;
  }
  return caption.empty() ? defaultSizeMenuCaption : caption;
}

void TJvOpenDialog::ApplyCaptions() {
  if (!dialogWindow_) return;
  if (!defBtnCaption_.empty())
    SendMessageA(dialogWindow_, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(defBtnCaption_.c_str()));
  if (!filterLabelCaption_.empty())
    SendMessageA(dialogWindow_, CDM_SETCONTROLTEXT, stc2, reinterpret_cast<LPARAM>(filterLabelCaption_.c_str()));
}

void TJvOpenDialog::PrepareView() {
  if (viewPrepared_ || !dialogWindow_) return;
  HWND shellView = FindWindowExA(dialogWindow_, nullptr, "SHELLDLL_DefView", nullptr);
  HWND list = shellView ? FindWindowExA(shellView, nullptr, "SysListView32", nullptr) : nullptr;
  // The shell builds its view after the dialog shows: try again at the next chance.
  if (!list) return;
  if (activeStyle_ == asReport) SendMessageA(shellView, WM_COMMAND, shellViewDetailsCommand, 0);
  if (activeControl_ == acListView) {
    SetFocus(list);
    PostMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
  }
  viewPrepared_ = true;
  ApplyUserSize();
}

void TJvOpenDialog::ApplyUserSize() {
  if (!useUserSize_ || !dialogWindow_) return;
  TMonitor* monitor = nullptr;
  if (Application && Application->MainForm()) monitor = Application->MainForm()->Monitor();
  if (!monitor && Screen && Screen->MonitorCount() > 0) monitor = Screen->Monitors(0);
  if (!monitor) return;
  SetWindowPos(dialogWindow_, nullptr, monitor->Left() + (monitor->Width() - width_) / 2,
               monitor->Top() + (monitor->Height() - height_) / 3, width_, height_, SWP_NOACTIVATE | SWP_NOZORDER);
}

void TJvOpenDialog::DialogFrameProc(TMessage& Message) {
  if (Message.Msg == WM_GETMINMAXINFO)
    reinterpret_cast<MINMAXINFO*>(Message.LParam)->ptMinTrackSize = minTrackSize_;
  Message.Result = previousFrameProc_
                       ? CallWindowProcA(previousFrameProc_, frameWindow_, Message.Msg, Message.WParam, Message.LParam)
                       : DefWindowProcA(frameWindow_, Message.Msg, Message.WParam, Message.LParam);
  switch (Message.Msg) {
    case WM_PAINT:
      // After the dialog's own painting, which erases the background the grip lies on.
      PaintSizeGrip();
      break;
    case WM_SIZE:
      if (dialogWindow_) {
        InvalidateRect(dialogWindow_, nullptr, TRUE);
        RepositionControls();
      }
      break;
  }
}

void TJvOpenDialog::PaintSizeGrip() {
  if (!dialogWindow_) return;
  TRect client;
  GetClientRect(dialogWindow_, &client);
  TRect r = Rect(client.right - 15, client.bottom - 15, client.right, client.bottom);
  HDC dc = GetDC(dialogWindow_);
  if (!dc) return;
  HPEN shadowPen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  HPEN windowPen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(clWindow)));
  HGDIOBJ oldPen = SelectObject(dc, shadowPen);
  for (int i = 0; i <= 3; ++i) {
    MoveToEx(dc, r.right, r.bottom - 4 * i, nullptr);
    LineTo(dc, r.right - 4 * i, r.bottom);
    MoveToEx(dc, r.right, r.bottom - 4 * i - 1, nullptr);
    LineTo(dc, r.right - 4 * i - 1, r.bottom);
  }
  SelectObject(dc, windowPen);
  for (int i = 0; i <= 3; ++i) {
    MoveToEx(dc, r.right, r.bottom - 4 * i - 2, nullptr);
    LineTo(dc, r.right - 4 * i - 2, r.bottom);
  }
  SelectObject(dc, oldPen);
  DeleteObject(shadowPen);
  DeleteObject(windowPen);
  ReleaseDC(dialogWindow_, dc);
}

void TJvOpenDialog::RepositionControls() {
  if (!dialogWindow_) return;
  TRect client;
  GetClientRect(dialogWindow_, &client);
  const int dX = RectWidth(client) - RectWidth(previousClientRect_);
  const int dY = RectHeight(client) - RectHeight(previousClientRect_);
  previousClientRect_ = client;

  HDWP batch = BeginDeferWindowPos(12);
  auto change = [&](HWND control, int moveX, int moveY, int growX, int growY) {
    if (!control || !batch) return;
    TRect bounds;
    GetWindowRect(control, &bounds);
    MapWindowPoints(nullptr, dialogWindow_, reinterpret_cast<POINT*>(&bounds), 2);
    batch = DeferWindowPos(batch, control, nullptr, bounds.left + moveX, bounds.top + moveY,
                           RectWidth(bounds) + growX, RectHeight(bounds) + growY, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  auto item = [&](int id) { return GetDlgItem(dialogWindow_, id); };
  for (int id : {IDOK, IDCANCEL, pshHelp}) change(item(id), dX, dY, 0, 0);
  for (int id : {edt1, cmb1}) change(item(id), 0, dY, dX, 0);
  for (int id : {chx1, stc2, stc3}) change(item(id), 0, dY, 0, 0);
  change(item(cmb2), 0, 0, dX, 0);
  for (int id : {lst2, lst1}) change(item(id), 0, 0, dX, dY);
  change(FindWindowExA(dialogWindow_, nullptr, "ToolbarWindow32", nullptr), dX, 0, 0, 0);
  if (batch) EndDeferWindowPos(batch);
}

// =======================================================================================
// TJvSaveDialog
// =======================================================================================

std::function<bool(TJvSaveDialog*)>& TJvSaveDialog::ExecuteHook() {
  static std::function<bool(TJvSaveDialog*)> hook;
  return hook;
}

bool TJvSaveDialog::Execute() {
  if (ExecuteHook()) return ExecuteHook()(this);
  // The open dialogs' hook is not meant for save dialogs: go past it.
  return TOpenDialog::Execute();
}

bool TJvSaveDialog::TaskModalDialog(TDialogFunc, void* DialogData) {
  return inherited::TaskModalDialog(reinterpret_cast<TDialogFunc>(GetSaveFileNameA), DialogData);
}

// =======================================================================================
// Class descriptors
// =======================================================================================

RTL_BEGIN_CLASS(TJvOpenDialog)
  b.Message(WM_NOTIFY, &TJvOpenDialog::WMNotify);
  b.Message(WM_ENTERIDLE, &TJvOpenDialog::WMEnterIdle);
  b.Message(WM_DESTROY, &TJvOpenDialog::WMDestroy);
  using T = TJvOpenDialog;
  PUBLISH(ActiveControl).Default(acEdit);
  PUBLISH(ActiveStyle).Default(asSmallIcon);
  PUBLISH(AutoSize);
  PUBLISH(DefBtnCaption);
  PUBLISH(FilterLabelCaption);
  PUBLISH(Height).Default(0);
  PUBLISH(Width).Default(0);
  PUBLISH(UseUserSize).Default(false);
  PUBLISH(OnError);
  PUBLISH(OnShareViolation);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TJvSaveDialog)

namespace JvDialogsUnit {

namespace {
std::vector<TClass> unitClasses() { return {TJvOpenDialog::StaticClass(), TJvSaveDialog::StaticClass()}; }
}  // namespace

void Initialize() { RegisterClasses(unitClasses()); }

void Finalize() {
  UnRegisterClasses(unitClasses());
  if (audioCompressionLibrary) {
    FreeLibrary(audioCompressionLibrary);
    audioCompressionLibrary = nullptr;
  }
}

}  // namespace JvDialogsUnit
