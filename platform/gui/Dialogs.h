#pragma once
// Dialogs: the system's common dialogs as components (open and save file, colour), and
// the message, confirmation and input boxes.
//
// A common dialog runs modally in Execute (the program's other windows are disabled
// meanwhile) and answers whether the user confirmed it. While it shows, its messages pass
// through the dialog's hook to WndProc: Handle is the dialog's window, OnShow fires once
// it is ready and OnClose when it goes.

#include <windows.h>

#include <commdlg.h>
#include <string>

#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Classes.h"

class TForm;

// =======================================================================================
// Common dialogs
// =======================================================================================

// The system function that runs a dialog (GetOpenFileNameA, ChooseColorA ...) on its
// structure.
using TDialogFunc = BOOL(WINAPI*)(void* DialogData);

class TCommonDialog : public TComponent {
  RTL_DECLARE_CLASS(TCommonDialog, TComponent)
public:
  explicit TCommonDialog(TComponent* AOwner);
  ~TCommonDialog() override;

  // Shows the dialog; true when the user confirmed it.
  virtual bool Execute() = 0;

  // The dialog's window while it shows (null otherwise).
  HWND Handle() const { return handle_; }
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool Value) { ctl3D_ = Value; }
  THelpContext HelpContext() const { return helpContext_; }
  void SetHelpContext(THelpContext Value) { helpContext_ = Value; }
  const char* Template() const { return template_; }
  void SetTemplate(const char* Value) { template_ = Value; }

  const TNotifyEvent& OnShow() const { return onShow_; }
  void SetOnShow(const TNotifyEvent& Value) { onShow_ = Value; }
  const TNotifyEvent& OnClose() const { return onClose_; }
  void SetOnClose(const TNotifyEvent& Value) { onClose_ = Value; }

  // Messages of the dialog (through its hook) that WndProc did not take: left to the
  // dialog (Result 0).
  void DefaultHandler(TMessage& Message) override;
  void WMInitDialog(TMessage& Message);
  void WMDestroy(TMessage& Message);
  void WMNCDestroy(TMessage& Message);

  // The hook procedure every dialog of this unit installs; public for the dialogs'
  // structures.
  static UINT_PTR CALLBACK DialogHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

protected:
  virtual void DoShow();
  virtual void DoClose();
  // Runs DialogFunc on DialogData modally: the other windows of the program are disabled
  // and the active window and focus come back afterwards.
  virtual bool TaskModalDialog(TDialogFunc DialogFunc, void* DialogData);
  // The messages of the dialog, from its hook.
  virtual void WndProc(TMessage& Message);
  // The window the dialog belongs to (the active form, else the application).
  HWND ParentWindow();

  HWND handle_ = nullptr;
  // Whether the hook runs inside the dialog (a child of it) rather than as the dialog.
  bool hookIsChild_ = false;

private:
  friend UINT_PTR dispatchHook(TCommonDialog* Dialog, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  bool ctl3D_ = true;
  THelpContext helpContext_ = 0;
  const char* template_ = nullptr;
  TNotifyEvent onShow_;
  TNotifyEvent onClose_;
};

// ---------------------------------------------------------------------------------------
// Open and save dialogs.

RTL_ENUM(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
         ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware,
         ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog,
         ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent, ofForceShowHidden)
using TOpenOptions = Set<TOpenOption>;
RTL_ENUM(TOpenOptionEx, ofExNoPlacesBar)
using TOpenOptionsEx = Set<TOpenOptionEx>;
RTL_ENUM(TFileEditStyle, fsEdit, fsComboBox)

// The system's open-file dialog. Filter is "Description|Pattern|Description|Pattern..."
// (FilterIndex is 1-based); FileName is the full path chosen (Files: every one, with
// ofAllowMultiSelect). OnCanClose may refuse the user's choice (the dialog stays).
class TOpenDialog : public TCommonDialog {
  RTL_DECLARE_CLASS(TOpenDialog, TCommonDialog)
public:
  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;

  bool Execute() override;

  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const std::string& Value) { defaultExt_ = Value; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& Value) { fileName_ = Value; }
  TStrings* Files() const { return files_; }
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& Value) { filter_ = Value; }
  Integer FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(Integer Value) { filterIndex_ = Value; }
  TStrings* HistoryList() const { return historyList_; }
  void SetHistoryList(TStrings* Value) { historyList_->Assign(Value); }
  const std::string& InitialDir() const { return initialDir_; }
  void SetInitialDir(const std::string& Value) { initialDir_ = Value; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions Value) { options_ = Value; }
  TOpenOptionsEx OptionsEx() const { return optionsEx_; }
  void SetOptionsEx(TOpenOptionsEx Value) { optionsEx_ = Value; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& Value) { title_ = Value; }
  TFileEditStyle FileEditStyle() const { return fileEditStyle_; }
  void SetFileEditStyle(TFileEditStyle Value) { fileEditStyle_ = Value; }

  const TCloseQueryEvent& OnCanClose() const { return onCanClose_; }
  void SetOnCanClose(const TCloseQueryEvent& Value) { onCanClose_ = Value; }
  const TNotifyEvent& OnFolderChange() const { return onFolderChange_; }
  void SetOnFolderChange(const TNotifyEvent& Value) { onFolderChange_ = Value; }
  const TNotifyEvent& OnSelectionChange() const { return onSelectionChange_; }
  void SetOnSelectionChange(const TNotifyEvent& Value) { onSelectionChange_ = Value; }
  const TNotifyEvent& OnTypeChange() const { return onTypeChange_; }
  void SetOnTypeChange(const TNotifyEvent& Value) { onTypeChange_ = Value; }

  void WMNotify(TWMNotify& Message);

protected:
  virtual bool DoCanClose();
  virtual void DoFolderChange();
  virtual void DoSelectionChange();
  virtual void DoTypeChange();
  // Runs DialogFunc (GetOpenFileNameA or GetSaveFileNameA) with the component's settings
  // and takes the results back.
  bool DoExecute(TDialogFunc DialogFunc);
  void WndProc(TMessage& Message) override;

private:
  void readFileNames(const OPENFILENAMEA& Ofn);

  std::string defaultExt_;
  std::string fileName_;
  TStringList* files_;
  std::string filter_;
  Integer filterIndex_ = 1;
  TStringList* historyList_;
  std::string initialDir_;
  TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
  TOpenOptionsEx optionsEx_;
  std::string title_;
  TFileEditStyle fileEditStyle_ = fsEdit;
  TCloseQueryEvent onCanClose_;
  TNotifyEvent onFolderChange_;
  TNotifyEvent onSelectionChange_;
  TNotifyEvent onTypeChange_;
};

// The system's save-file dialog (ofOverwritePrompt asks before replacing a file).
class TSaveDialog : public TOpenDialog {
  RTL_DECLARE_CLASS(TSaveDialog, TOpenDialog)
public:
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}
  bool Execute() override;
};

// ---------------------------------------------------------------------------------------
// Colour dialog.

RTL_ENUM(TColorDialogOption, cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor)
using TColorDialogOptions = Set<TColorDialogOption>;

// The system's colour dialog. CustomColors holds the sixteen custom colours as lines
// "ColorA=BBGGRR" .. "ColorP=BBGGRR" (the colour value in six hex digits; a missing or
// "FFFFFFFF" line is white).
class TColorDialog : public TCommonDialog {
  RTL_DECLARE_CLASS(TColorDialog, TCommonDialog)
public:
  explicit TColorDialog(TComponent* AOwner);
  ~TColorDialog() override;

  bool Execute() override;

  TColor Color() const { return color_; }
  void SetColor(TColor Value) { color_ = Value; }
  TStrings* CustomColors() const { return customColors_; }
  void SetCustomColors(TStrings* Value) { customColors_->Assign(Value); }
  TColorDialogOptions Options() const { return options_; }
  void SetOptions(TColorDialogOptions Value) { options_ = Value; }

private:
  TColor color_ = clBlack;
  TStringList* customColors_;
  TColorDialogOptions options_;
};

// =======================================================================================
// Message and input boxes
// =======================================================================================

RTL_ENUM(TMsgDlgType, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom)
RTL_ENUM(TMsgDlgBtn, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp)
using TMsgDlgButtons = Set<TMsgDlgBtn>;

inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline const TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// A form showing Msg with the icon of DlgType and one button per element of Buttons (each
// closing it with its modal result); the caller shows it (ShowModal) and frees it.
TForm* CreateMessageDialog(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);

// Shows Msg with the icon and caption of DlgType and the Buttons; returns the modal result
// of the button pressed (mrYes, mrOk ...). A set of buttons the system's message box has
// (OK; OK Cancel; Yes No; Yes No Cancel; Abort Retry Ignore; Retry Cancel) goes through
// Application->MessageBox; any other set through CreateMessageDialog.
Integer MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx);
// The same with the box placed at (X, Y) of the screen (-1: centred).
Integer MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx,
                      Integer X, Integer Y);
// Msg in a box with an OK button, captioned with the application's title.
void ShowMessage(const std::string& Msg);
void ShowMessagePos(const std::string& Msg, Integer X, Integer Y);

// A box asking for one line of text: Value on entry is shown; true (and Value replaced)
// when the user confirmed with OK.
bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value);
// The text entered, or ADefault when the box was cancelled.
std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault);

namespace DialogsUnit {
void Initialize();
void Finalize();
}  // namespace DialogsUnit
