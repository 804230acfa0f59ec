// Dialogs: common dialogs, message boxes and input boxes.
#include "platform/gui/Dialogs.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/GuiPublish.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/SysUtils.h"

// =======================================================================================
// Common dialogs
// =======================================================================================

namespace {

// The dialog whose hook has not met its window yet (set just before the system call).
thread_local TCommonDialog* creatingDialog = nullptr;
const char* const dialogProperty = "CommonDialogObject";

}  // namespace

UINT_PTR dispatchHook(TCommonDialog* Dialog, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage message;
  message.Msg = Msg;
  message.WParam = WParam;
  message.LParam = LParam;
  message.Result = 0;
  try {
    Dialog->WndProc(message);
  } catch (...) {
    handleCallbackException();
    return 0;
  }
  return static_cast<UINT_PTR>(message.Result);
}

UINT_PTR CALLBACK TCommonDialog::DialogHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* dialog = static_cast<TCommonDialog*>(GetPropA(Wnd, dialogProperty));
  if (!dialog && Msg == WM_INITDIALOG && creatingDialog) {
    dialog = creatingDialog;
    creatingDialog = nullptr;
    SetPropA(Wnd, dialogProperty, dialog);
    // An explorer-style file dialog hooks a child of the dialog; the dialog is its parent.
    HWND parent = GetParent(Wnd);
    bool childOfDialog = parent && (GetWindowLongA(Wnd, GWL_STYLE) & WS_CHILD);
    dialog->handle_ = childOfDialog ? parent : Wnd;
    dialog->hookIsChild_ = childOfDialog;
  }
  if (!dialog) return 0;
  UINT_PTR result = dispatchHook(dialog, Wnd, Msg, WParam, LParam);
  if (Msg == WM_NCDESTROY) RemovePropA(Wnd, dialogProperty);
  if (Msg == WM_NOTIFY) {
    // A hook dialog answers notifications (CDN_FILEOK refused ...) in its message result.
    SetWindowLongPtrA(Wnd, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
    return result != 0;
  }
  return result;
}

TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

TCommonDialog::~TCommonDialog() = default;

HWND TCommonDialog::ParentWindow() {
  if (Application) {
    if (HWND active = Application->ActiveFormHandle()) return active;
    return Application->Handle();
  }
  return nullptr;
}

void TCommonDialog::WndProc(TMessage& Message) { Dispatch(Message); }

void TCommonDialog::DefaultHandler(TMessage& Message) { Message.Result = 0; }

void TCommonDialog::WMInitDialog(TMessage& Message) {
  // A hook inside an explorer-style file dialog hears when the dialog is ready
  // (CDN_INITDONE); the other dialogs are ready now.
  if (!hookIsChild_) DoShow();
  Message.Result = 0;
}

void TCommonDialog::WMDestroy(TMessage& Message) {
  DoClose();
  Message.Result = 0;
}

void TCommonDialog::WMNCDestroy(TMessage& Message) {
  handle_ = nullptr;
  Message.Result = 0;
}

void TCommonDialog::DoShow() {
  if (onShow_) onShow_(this);
}

void TCommonDialog::DoClose() {
  if (onClose_) onClose_(this);
}

bool TCommonDialog::TaskModalDialog(TDialogFunc DialogFunc, void* DialogData) {
  HWND active = GetActiveWindow();
  TTaskWindowList windows = DisableTaskWindows(nullptr);
  BOOL result = FALSE;
  creatingDialog = this;
  if (Application) Application->ModalStarted();
  hookIsChild_ = false;
  result = DialogFunc(DialogData);
  creatingDialog = nullptr;
  if (Application) Application->ModalFinished();
  EnableTaskWindows(windows);
  if (active && IsWindow(active)) SetActiveWindow(active);
  handle_ = nullptr;
  return result != FALSE;
}

// ---------------------------------------------------------------------------------------
// Open and save dialogs.

namespace {

// "A|*.a|B|*.b" as the system wants it: null-separated, with a double null at the end.
std::vector<char> filterBuffer(const std::string& Filter) {
  std::vector<char> buffer(Filter.begin(), Filter.end());
  for (char& c : buffer)
    if (c == '|') c = '\0';
  buffer.push_back('\0');
  buffer.push_back('\0');
  return buffer;
}

DWORD openOptionFlags(TOpenOptions Options) {
  static const DWORD flags[] = {OFN_READONLY,          OFN_OVERWRITEPROMPT,  OFN_HIDEREADONLY,     OFN_NOCHANGEDIR,
                                OFN_SHOWHELP,          OFN_NOVALIDATE,       OFN_ALLOWMULTISELECT, OFN_EXTENSIONDIFFERENT,
                                OFN_PATHMUSTEXIST,     OFN_FILEMUSTEXIST,    OFN_CREATEPROMPT,     OFN_SHAREAWARE,
                                OFN_NOREADONLYRETURN,  OFN_NOTESTFILECREATE, OFN_NONETWORKBUTTON,  OFN_NOLONGNAMES,
                                0 /* old style */,     OFN_NODEREFERENCELINKS, OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING,
                                OFN_DONTADDTORECENT,   OFN_FORCESHOWHIDDEN};
  DWORD result = 0;
  for (size_t i = 0; i < sizeof flags / sizeof flags[0]; ++i)
    if (Options.Contains(static_cast<TOpenOption>(i))) result |= flags[i];
  if (!Options.Contains(ofOldStyleDialog)) result |= OFN_EXPLORER;
  return result;
}

// Room for the names of a multiple selection.
constexpr DWORD multiSelectBufferSize = 0xFFFF;

}  // namespace

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {
  files_ = new TStringList();
  historyList_ = new TStringList();
}

TOpenDialog::~TOpenDialog() {
  delete files_;
  delete historyList_;
}

bool TOpenDialog::Execute() { return DoExecute(reinterpret_cast<TDialogFunc>(GetOpenFileNameA)); }

bool TOpenDialog::DoExecute(TDialogFunc DialogFunc) {
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = ParentWindow();
  ofn.hInstance = GetModuleHandleA(nullptr);
  std::vector<char> filter = filterBuffer(filter_);
  ofn.lpstrFilter = filter_.empty() ? nullptr : filter.data();
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex_);
  DWORD size = options_.Contains(ofAllowMultiSelect) ? multiSelectBufferSize : MAX_PATH;
  std::vector<char> file(size + 2, '\0');
  std::memcpy(file.data(), fileName_.data(), std::min<size_t>(fileName_.size(), size - 1));
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = size;
  ofn.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
  ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  ofn.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
  ofn.Flags = openOptionFlags(options_) | OFN_ENABLEHOOK;
  if (optionsEx_.Contains(ofExNoPlacesBar)) ofn.FlagsEx = OFN_EX_NOPLACESBAR;
  if (Template()) {
    ofn.Flags |= OFN_ENABLETEMPLATE;
    ofn.lpTemplateName = Template();
  }
  ofn.lpfnHook = reinterpret_cast<LPOFNHOOKPROC>(&TCommonDialog::DialogHook);
  ofn.lCustData = reinterpret_cast<LPARAM>(this);
  bool result = TaskModalDialog(DialogFunc, &ofn);
  if (result) {
    readFileNames(ofn);
    if (ofn.Flags & OFN_EXTENSIONDIFFERENT) options_.Include(ofExtensionDifferent);
    else options_.Exclude(ofExtensionDifferent);
    if (ofn.Flags & OFN_READONLY) options_.Include(ofReadOnly);
    else options_.Exclude(ofReadOnly);
    filterIndex_ = static_cast<Integer>(ofn.nFilterIndex);
  }
  return result;
}

void TOpenDialog::readFileNames(const OPENFILENAMEA& Ofn) {
  files_->Clear();
  const char* p = Ofn.lpstrFile;
  std::string first = p;
  p += first.size() + 1;
  if (options_.Contains(ofAllowMultiSelect) && *p) {
    // A folder, then the names chosen in it, each ended by a null, the list by two.
    std::string dir = IncludeTrailingPathDelimiter(first);
    while (*p) {
      std::string name = p;
      files_->Add(dir + name);
      p += name.size() + 1;
    }
  } else {
    files_->Add(first);
  }
  fileName_ = files_->Count() > 0 ? files_->Strings(0) : std::string();
}

bool TOpenDialog::DoCanClose() {
  bool canClose = true;
  if (onCanClose_) onCanClose_(this, canClose);
  return canClose;
}

void TOpenDialog::DoFolderChange() {
  if (onFolderChange_) onFolderChange_(this);
}

void TOpenDialog::DoSelectionChange() {
  if (onSelectionChange_) onSelectionChange_(this);
}

void TOpenDialog::DoTypeChange() {
  if (onTypeChange_) onTypeChange_(this);
}

void TOpenDialog::WndProc(TMessage& Message) { TCommonDialog::WndProc(Message); }

void TOpenDialog::WMNotify(TWMNotify& Message) {
  auto* notify = reinterpret_cast<OFNOTIFYA*>(Message.NMHdr);
  switch (notify->hdr.code) {
    case CDN_INITDONE:
      DoShow();
      break;
    case CDN_FILEOK: {
      // The names as they are now, for OnCanClose to look at; refusing keeps the dialog.
      char buffer[MAX_PATH * 4] = {};
      if (HWND dialog = Handle(); dialog && SendMessageA(dialog, CDM_GETFILEPATH, sizeof buffer, reinterpret_cast<LPARAM>(buffer)) > 0) {
        fileName_ = buffer;
        files_->Clear();
        files_->Add(fileName_);
      }
      if (!DoCanClose()) {
        Message.Result = 1;
        return;
      }
      break;
    }
    case CDN_FOLDERCHANGE:
      DoFolderChange();
      break;
    case CDN_SELCHANGE:
      DoSelectionChange();
      break;
    case CDN_TYPECHANGE:
      filterIndex_ = static_cast<Integer>(notify->lpOFN ? notify->lpOFN->nFilterIndex : filterIndex_);
      DoTypeChange();
      break;
  }
  Message.Result = 0;
}

bool TSaveDialog::Execute() { return DoExecute(reinterpret_cast<TDialogFunc>(GetSaveFileNameA)); }

// ---------------------------------------------------------------------------------------
// Colour dialog.

TColorDialog::TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner) { customColors_ = new TStringList(); }

TColorDialog::~TColorDialog() { delete customColors_; }

bool TColorDialog::Execute() {
  COLORREF custom[16];
  for (Integer i = 0; i < 16; ++i) {
    std::string name = std::string("Color") + static_cast<char>('A' + i);
    std::string value = customColors_->Values(name);
    custom[i] = RGB(255, 255, 255);
    if (!value.empty() && value != "FFFFFFFF") {
      try {
        custom[i] = static_cast<COLORREF>(StrToInt("$" + value));
      } catch (const EConvertError&) {
      }
    }
  }
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = ParentWindow();
  cc.rgbResult = static_cast<COLORREF>(ColorToRGB(color_));
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_ENABLEHOOK;
  if (options_.Contains(cdFullOpen)) cc.Flags |= CC_FULLOPEN;
  if (options_.Contains(cdPreventFullOpen)) cc.Flags |= CC_PREVENTFULLOPEN;
  if (options_.Contains(cdShowHelp)) cc.Flags |= CC_SHOWHELP;
  if (options_.Contains(cdSolidColor)) cc.Flags |= CC_SOLIDCOLOR;
  if (options_.Contains(cdAnyColor)) cc.Flags |= CC_ANYCOLOR;
  cc.lpfnHook = reinterpret_cast<LPCCHOOKPROC>(&TCommonDialog::DialogHook);
  bool result = TaskModalDialog(reinterpret_cast<TDialogFunc>(ChooseColorA), &cc);
  if (result) {
    color_ = static_cast<TColor>(cc.rgbResult);
    customColors_->Clear();
    for (Integer i = 0; i < 16; ++i)
      customColors_->Add(Format("Color%s=%.6x", std::string(1, static_cast<char>('A' + i)), static_cast<Integer>(custom[i])));
  }
  return result;
}

// =======================================================================================
// Message and input boxes
// =======================================================================================

namespace {

const char* dialogCaption(TMsgDlgType Type) {
  switch (Type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    default: return nullptr;
  }
}

UINT dialogIcon(TMsgDlgType Type) {
  switch (Type) {
    case mtWarning: return MB_ICONWARNING;
    case mtError: return MB_ICONERROR;
    case mtInformation: return MB_ICONINFORMATION;
    case mtConfirmation: return MB_ICONQUESTION;
    default: return 0;
  }
}

const char* systemIcon(TMsgDlgType Type) {
  switch (Type) {
    case mtWarning: return IDI_WARNING;
    case mtError: return IDI_ERROR;
    case mtInformation: return IDI_INFORMATION;
    case mtConfirmation: return IDI_QUESTION;
    default: return nullptr;
  }
}

struct ButtonInfo {
  const char* Name;
  const char* Caption;
  TModalResult Result;
};

const ButtonInfo& buttonInfo(TMsgDlgBtn Button) {
  static const ButtonInfo info[] = {{"Yes", "&Yes", mrYes},          {"No", "&No", mrNo},
                                    {"OK", "OK", mrOk},              {"Cancel", "Cancel", mrCancel},
                                    {"Abort", "&Abort", mrAbort},    {"Retry", "&Retry", mrRetry},
                                    {"Ignore", "&Ignore", mrIgnore}, {"All", "&All", mrAll},
                                    {"NoToAll", "N&o to All", mrNoToAll}, {"YesToAll", "Yes to &All", mrYesToAll},
                                    {"Help", "&Help", mrNone}};
  return info[Button];
}

// The system message box style of a set of buttons; false when it has no such box.
bool messageBoxStyle(TMsgDlgButtons Buttons, UINT& Style) {
  Buttons.Exclude(mbHelp);
  if (Buttons == TMsgDlgButtons{mbOK}) Style = MB_OK;
  else if (Buttons == TMsgDlgButtons{mbOK, mbCancel}) Style = MB_OKCANCEL;
  else if (Buttons == TMsgDlgButtons{mbYes, mbNo}) Style = MB_YESNO;
  else if (Buttons == TMsgDlgButtons{mbYes, mbNo, mbCancel}) Style = MB_YESNOCANCEL;
  else if (Buttons == TMsgDlgButtons{mbAbort, mbRetry, mbIgnore}) Style = MB_ABORTRETRYIGNORE;
  else if (Buttons == TMsgDlgButtons{mbRetry, mbCancel}) Style = MB_RETRYCANCEL;
  else return false;
  return true;
}

std::string applicationTitle() { return Application ? Application->Title() : std::string(); }

}  // namespace

TForm* CreateMessageDialog(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
  TForm* form = New<TForm>(Application, 0);
  try {
    form->SetBorderStyle(bsDialog);
    form->SetBorderIcons(TBorderIcons{biSystemMenu});
    form->SetPosition(poScreenCenter);
    const char* caption = dialogCaption(DlgType);
    form->SetCaption(caption ? caption : applicationTitle());
    // The sizes follow the font: one average character and one line.
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, form->Font()->Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    TRect textRect = Rect(0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0);
    DrawTextA(dc, Msg.c_str(), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SIZE buttonText{0, 0};
    for (Integer b = mbYes; b <= mbHelp; ++b) {
      if (!Buttons.Contains(static_cast<TMsgDlgBtn>(b))) continue;
      SIZE s{};
      const char* text = buttonInfo(static_cast<TMsgDlgBtn>(b)).Caption;
      GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &s);
      buttonText.cx = std::max(buttonText.cx, s.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    Integer unitX = std::max<Integer>(tm.tmAveCharWidth, 4), lineHeight = tm.tmHeight;
    Integer margin = unitX * 2;
    Integer buttonWidth = std::max<Integer>(75, buttonText.cx + unitX * 3);
    Integer buttonHeight = std::max<Integer>(25, lineHeight + 10);
    Integer buttonSpacing = unitX;
    Integer buttonCount = static_cast<Integer>(Buttons.Count());
    Integer buttonsWidth = buttonCount * buttonWidth + std::max(0, buttonCount - 1) * buttonSpacing;
    Integer iconSize = 0;
    if (const char* icon = systemIcon(DlgType)) {
      iconSize = 32;
      TImage* image = New<TImage>(form);
      image->SetName("Image");
      image->SetParent(form);
      TObjectPtr<TIcon> picture(new TIcon());
      picture->SetHandle(LoadIconA(nullptr, icon));
      image->Picture()->SetIcon(picture.get());
      image->SetBounds(margin, margin, iconSize, iconSize);
    }
    Integer textLeft = margin + (iconSize ? iconSize + margin : 0);
    TLabel* label = New<TLabel>(form);
    label->SetName("Message");
    label->SetParent(form);
    label->SetWordWrap(true);
    label->SetCaption(Msg);
    label->SetBounds(textLeft, margin, textRect.right + 2, textRect.bottom);
    Integer contentWidth = textLeft + textRect.right + margin;
    Integer clientWidth = std::max(contentWidth, buttonsWidth + 2 * margin);
    Integer buttonTop = margin + std::max<Integer>(iconSize, textRect.bottom) + margin;
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(buttonTop + buttonHeight + margin);
    Integer x = (clientWidth - buttonsWidth) / 2;
    TMsgDlgBtn defaultButton = Buttons.Contains(mbOK) ? mbOK : Buttons.Contains(mbYes) ? mbYes : mbRetry;
    TMsgDlgBtn cancelButton = Buttons.Contains(mbCancel) ? mbCancel : Buttons.Contains(mbNo) ? mbNo : mbOK;
    for (Integer b = mbYes; b <= mbHelp; ++b) {
      auto which = static_cast<TMsgDlgBtn>(b);
      if (!Buttons.Contains(which)) continue;
      const ButtonInfo& info = buttonInfo(which);
      TButton* button = New<TButton>(form);
      button->SetName(info.Name);
      button->SetParent(form);
      button->SetCaption(info.Caption);
      button->SetModalResult(info.Result);
      button->SetDefault(which == defaultButton);
      button->SetCancel(which == cancelButton);
      button->SetBounds(x, buttonTop, buttonWidth, buttonHeight);
      if (which == defaultButton) form->SetActiveControl(button);
      x += buttonWidth + buttonSpacing;
    }
  } catch (...) {
    form->Free();
    throw;
  }
  return form;
}

Integer MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx,
                      Integer X, Integer Y) {
  UINT style = 0;
  if (X < 0 && Y < 0 && Application && messageBoxStyle(Buttons, style)) {
    if (Buttons.Contains(mbHelp)) style |= MB_HELP;
    const char* caption = dialogCaption(DlgType);
    std::string title = caption ? caption : applicationTitle();
    return Application->MessageBox(Msg, title, static_cast<Integer>(style | dialogIcon(DlgType)));
  }
  TObjectPtr<TForm> form(CreateMessageDialog(Msg, DlgType, Buttons));
  form->SetHelpContext(HelpCtx);
  if (X >= 0) form->SetLeft(X);
  if (Y >= 0) form->SetTop(Y);
  if (X >= 0 || Y >= 0) form->SetPosition(poDesigned);
  return form->ShowModal();
}

Integer MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx) {
  return MessageDlgPos(Msg, DlgType, Buttons, HelpCtx, -1, -1);
}

void ShowMessagePos(const std::string& Msg, Integer X, Integer Y) {
  MessageDlgPos(Msg, mtCustom, TMsgDlgButtons{mbOK}, 0, X, Y);
}

void ShowMessage(const std::string& Msg) { ShowMessagePos(Msg, -1, -1); }

bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value) {
  TObjectPtr<TForm> form(New<TForm>(Application, 0));
  form->SetBorderStyle(bsDialog);
  form->SetBorderIcons(TBorderIcons{biSystemMenu});
  form->SetPosition(poScreenCenter);
  form->SetCaption(ACaption);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, form->Font()->Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  Integer unit = std::max<Integer>(tm.tmAveCharWidth, 4);
  Integer margin = unit * 2;
  Integer width = unit * 45;
  form->SetClientWidth(width + 2 * margin);
  TLabel* prompt = New<TLabel>(form.get());
  prompt->SetName("Prompt");
  prompt->SetParent(form.get());
  prompt->SetCaption(APrompt);
  prompt->SetBounds(margin, margin, width, tm.tmHeight);
  TEdit* edit = New<TEdit>(form.get());
  edit->SetName("Value");
  edit->SetParent(form.get());
  edit->SetBounds(margin, prompt->Top() + prompt->Height() + unit, width, edit->Height());
  edit->SetMaxLength(255);
  edit->SetText(Value);
  Integer buttonTop = edit->Top() + edit->Height() + margin;
  Integer buttonWidth = 75, buttonHeight = 25;
  TButton* ok = New<TButton>(form.get());
  ok->SetName("OK");
  ok->SetParent(form.get());
  ok->SetCaption("OK");
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  ok->SetBounds(form->ClientWidth() / 2 - buttonWidth - unit / 2, buttonTop, buttonWidth, buttonHeight);
  TButton* cancel = New<TButton>(form.get());
  cancel->SetName("Cancel");
  cancel->SetParent(form.get());
  cancel->SetCaption("Cancel");
  cancel->SetModalResult(mrCancel);
  cancel->SetCancel(true);
  cancel->SetBounds(form->ClientWidth() / 2 + unit / 2, buttonTop, buttonWidth, buttonHeight);
  form->SetClientHeight(buttonTop + buttonHeight + margin);
  form->SetActiveControl(edit);
  if (form->ShowModal() != mrOk) return false;
  Value = edit->Text();
  return true;
}

std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault) {
  std::string value = ADefault;
  InputQuery(ACaption, APrompt, value);
  return value;
}

// =======================================================================================
// Class descriptors
// =======================================================================================

RTL_BEGIN_CLASS(TCommonDialog)
  b.Message(WM_INITDIALOG, &TCommonDialog::WMInitDialog);
  b.Message(WM_DESTROY, &TCommonDialog::WMDestroy);
  b.Message(WM_NCDESTROY, &TCommonDialog::WMNCDestroy);
  using T = TCommonDialog;
  PUBLISH(Ctl3D).Default(true);
  PUBLISH(HelpContext).Default(0);
  PUBLISH(OnClose);
  PUBLISH(OnShow);
RTL_END_CLASS

RTL_BEGIN_CLASS(TOpenDialog)
  b.Message(WM_NOTIFY, &TOpenDialog::WMNotify);
  using T = TOpenDialog;
  PUBLISH(DefaultExt);
  PUBLISH(FileEditStyle).Default(fsEdit);
  PUBLISH(FileName);
  PUBLISH(Filter);
  PUBLISH(FilterIndex).Default(1);
  PUBLISH(HistoryList);
  PUBLISH(InitialDir);
  PUBLISH(Options).Default(TOpenOptions{ofHideReadOnly, ofEnableSizing});
  PUBLISH(OptionsEx).Default(TOpenOptionsEx{});
  PUBLISH(Title);
  PUBLISH(OnCanClose);
  PUBLISH(OnFolderChange);
  PUBLISH(OnSelectionChange);
  PUBLISH(OnTypeChange);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TSaveDialog)

RTL_BEGIN_CLASS(TColorDialog)
  using T = TColorDialog;
  PUBLISH(Color).Default(clBlack);
  PUBLISH(CustomColors);
  PUBLISH(Options).Default(TColorDialogOptions{});
RTL_END_CLASS

namespace DialogsUnit {

namespace {
std::vector<TClass> unitClasses() {
  return {TOpenDialog::StaticClass(), TSaveDialog::StaticClass(), TColorDialog::StaticClass()};
}
}  // namespace

void Initialize() {
  RegisterClasses(unitClasses());
}

void Finalize() {
  UnRegisterClasses(unitClasses());
}

}  // namespace DialogsUnit
