#pragma once
// JvToolEdit: edits with a push button embedded at their right edge.
//
// TJvCustomComboEdit is a single-line masked edit whose button runs an action (a popup a
// descendant attaches, or whatever the descendant's ShowDropDown does). The edit can be
// read-only, or closed to typing while the button still works (DirectInput off); a
// disabled edit paints its text in its own colours; the shell's auto-complete object can
// be bound to its window. TJvFilenameEdit specialises it for one file name: the button
// runs an open, save or picture dialog and writes the chosen name back (quoted when it
// holds a blank), files dropped from the shell are taken, the shell's file-system lists
// suggest names while typing, and FileName reads the text back as a clean file name.

#include <windows.h>

#include <objidl.h>

#include <string>

#include "lib/JvExMask.h"
#include "lib/JvSpeedButton.h"
#include "lib/JvTypes.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ImgList.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Variants.h"

class TJvCustomComboEdit;

// Raised for a file name the file-name edit cannot take.
RTL_EXCEPTION(EComboEditError, EJvException)

// The picture of the embedded button: the caller's own (Glyph, or Images and ImageIndex),
// the edit's default picture, a drop-down arrow, or three dots.
RTL_ENUM(TJvImageKind, ikCustom, ikDefault, ikDropDown, ikEllipsis)

// The shell auto-complete options; bit n of the set is the shell's option value 1 << n.
RTL_ENUM(TJvAutoCompleteOption, acoAutoSuggest, acoAutoAppend, acoSearch, acoFilterPrefixes, acoUseTab,
         acoUpDownKeyDropsList, acoRTLReading)
using TJvAutoCompleteOptions = Set<TJvAutoCompleteOption>;

// The lists the file-name edit's suggestions come from: files (and folders) of the file
// system, folders only, the browser's history, the recently typed addresses.
RTL_ENUM(TJvAutoCompleteFileOption, acfFileSystem, acfFileSysDirs, acfURLHistory, acfURLMRU)
using TJvAutoCompleteFileOptions = Set<TJvAutoCompleteFileOption>;

// Which dialog the file-name edit's button opens.
RTL_ENUM(TFileDialogKind, dkOpen, dkSave, dkOpenPicture, dkSavePicture)

// Before and after the file-name edit's dialog: the handler may change the name and
// whether the dialog runs (before) or its result is taken (after).
using TExecOpenDialogEvent = TEvent<void(TObject* Sender, std::string& Name, bool& Action)>;

// This unit's private message numbers are in platform/gui/MessageIds.h.

// =======================================================================================
// Embedded button
// =======================================================================================

// The combo edit's button: a speed button that closes its edit's popup when pressed while
// the popup shows (and then swallows the click that follows), draws a separator line at
// its left edge (unthemed), and under visual styles can draw itself as a themed
// drop-down arrow.
class TJvEditButton : public TJvImageSpeedButton {
  RTL_DECLARE_CLASS(TJvEditButton, TJvImageSpeedButton)
public:
  explicit TJvEditButton(TComponent* AOwner);

  // Whether pressing the button while its edit's popup shows accepts the popup's value.
  bool AcceptOnClose() const { return acceptOnClose_; }
  void SetAcceptOnClose(bool Value) { acceptOnClose_ = Value; }
  // Set by a press that closed the popup: the click that follows does nothing.
  bool SwallowNextClick() const { return swallowNextClick_; }
  void SetSwallowNextClick(bool Value) { swallowNextClick_ = Value; }
  // Whether the button paints the theme's combo-box drop-down button.
  bool ThemedArrow() const { return themedArrow_; }
  void SetThemedArrow(bool Value) { themedArrow_ = Value; }

  void Click() override;
  // At most 5 glyphs.
  void SetNumGlyphs(Byte Value) override;

  // A context-menu request on the button shows no menu.
  void WMContextMenu(TMessage& Message);

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Paint() override;
  void PaintContent(TCanvas* Canvas, const TRect& Rect, bool PopupMark, TSpeedButtonDrawState State,
                    const TPoint& Offset) override;

private:
  // The edit the button belongs to (its owner), or null.
  TJvCustomComboEdit* ownerEdit() const;

  bool acceptOnClose_ = true;
  bool swallowNextClick_ = false;
  bool themedArrow_ = false;
};

// =======================================================================================
// Action link
// =======================================================================================

// A combo edit follows an action through its button: the action's hint is the button's
// hint, its image index the edit's ImageIndex, its OnExecute the edit's OnButtonClick and
// its shortcut the edit's ClickKey. The caption never reaches the edit's text.
class TJvCustomComboEditActionLink : public TWinControlActionLink {
  RTL_DECLARE_CLASS(TJvCustomComboEditActionLink, TWinControlActionLink)
public:
  explicit TJvCustomComboEditActionLink(TObject* AClient);

  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsOnExecuteLinked() override;
  bool IsShortCutLinked() override;
  void SetHint(const std::string& Value) override;
  void SetImageIndex(Integer Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;
  void SetShortCut(TShortCut Value) override;

protected:
  void AssignClient(TObject* AClient) override;

private:
  TJvCustomComboEdit* edit_ = nullptr;
};

// =======================================================================================
// Suggestions for the shell's auto-complete object
// =======================================================================================

// The system's string enumerator (IEnumString), declared over IInterface so that the
// class's interface table hands it out; its method table is the system's.
struct IJvEnumString : public IInterface {
  RTL_INTERFACE_ID(0x00000101, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG Count, LPOLESTR* Items, ULONG* Fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG Count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumString** Enum) = 0;

protected:
  ~IJvEnumString() = default;
};

// Enumerates a combo edit's SuggestionItems as wide strings the caller frees with
// CoTaskMemFree. Reference counted: it lives as long as its last user.
//
// IJvEnumString keeps its own (non-virtual) IInterface so that its method table has the
// system's layout; the object's identity for QueryInterface is TInterfacedObject's.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winaccessible-base"
class TAutoCompleteSource : public TInterfacedObject, public IJvEnumString {
  RTL_DECLARE_CLASS(TAutoCompleteSource, TInterfacedObject)
public:
  TAutoCompleteSource(TJvCustomComboEdit* AEdit, Integer AIndex);
  JV_IINTERFACE_FROM(TInterfacedObject)

  // Up to Count items from the current one (S_FALSE when fewer came); E_FAIL without
  // Items, E_OUTOFMEMORY when a copy cannot be allocated.
  HRESULT STDMETHODCALLTYPE Next(ULONG Count, LPOLESTR* Items, ULONG* Fetched) override;
  // Passes over Count items; S_FALSE (and the end) when fewer remain.
  HRESULT STDMETHODCALLTYPE Skip(ULONG Count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  // A new enumerator on the same edit at the same item.
  HRESULT STDMETHODCALLTYPE Clone(IEnumString** Enum) override;

  // The enumerator as the system's interface (no reference added).
  IEnumString* AsEnumString() { return reinterpret_cast<IEnumString*>(static_cast<IJvEnumString*>(this)); }
  Integer Index() const { return index_; }

private:
  TJvCustomComboEdit* edit_;
  Integer index_;
};
#pragma GCC diagnostic pop

// =======================================================================================
// Combo edit
// =======================================================================================

class TJvCustomComboEdit : public TJvExCustomMaskEdit {
  RTL_DECLARE_CLASS(TJvCustomComboEdit, TJvExCustomMaskEdit)
public:
  explicit TJvCustomComboEdit(TComponent* AOwner);
  ~TJvCustomComboEdit() override;

  // --- The button.
  TWinControl* ButtonHost() const { return buttonHost_; }
  TJvEditButton* EmbeddedButton() const { return button_; }
  bool ButtonFlat() const;
  void SetButtonFlat(bool Value);
  std::string ButtonHint() const;
  void SetButtonHint(const std::string& Value);
  // The button's width while it shows; the width it comes back with otherwise. A width
  // below 2 hides it.
  Integer ButtonWidth() const;
  void SetButtonWidth(Integer Value);
  bool IsButtonWidthStored();
  bool ShowButton() const;
  void SetShowButton(bool Value);
  TBitmap* Glyph() const;
  // Takes the bitmap as the button's picture (ImageKind becomes ikCustom).
  void SetGlyph(TBitmap* Value);
  bool IsCustomGlyph() const { return imageKind_ == ikCustom; }
  Integer NumGlyphs() const;
  void SetNumGlyphs(Integer Value);
  TJvImageKind ImageKind() const { return imageKind_; }
  void SetImageKind(TJvImageKind Value);
  TImageIndex ImageIndex() const { return imageIndex_; }
  void SetImageIndex(TImageIndex Value);
  bool IsImageIndexStored();
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  // The key (a shortcut, Alt+Down by default) that runs the button's action.
  TShortCut ClickKey() const { return clickKey_; }
  void SetClickKey(TShortCut Value) { clickKey_ = Value; }
  // Whether the button works while the edit is read-only.
  bool ButtonAlwaysEnabled() const { return buttonAlwaysEnabled_; }
  void SetButtonAlwaysEnabled(bool Value) { buttonAlwaysEnabled_ = Value; }

  // --- Editing.
  // Off: the text cannot be typed, cut or pasted, but the button still runs.
  bool DirectInput() const { return directInput_; }
  void SetDirectInput(bool Value);
  // Read-only: neither typing nor the button (unless ButtonAlwaysEnabled).
  virtual bool ReadOnly() const { return readOnly_; }
  virtual void SetReadOnly(bool Value);
  // The text's alignment inside the edit.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  // The inverse of Ctl3D.
  bool Flat() const { return !Ctl3D(); }
  void SetFlat(bool Value) { SetCtl3D(!Value); }
  bool IsFlatStored() const { return !ParentCtl3D(); }
  // A read-only edit keeps only caCopy.
  void SetClipboardCommands(TJvClipboardCommands Value) override;
  // The colours of a disabled edit's background and text.
  TColor DisabledColor() const { return disabledColor_; }
  virtual void SetDisabledColor(TColor Value);
  TColor DisabledTextColor() const { return disabledTextColor_; }
  virtual void SetDisabledTextColor(TColor Value);
  // Edits of one owner with the same group index (not -1): typing or pasting into one
  // empties the others.
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer Value);

  // --- Shell auto-complete.
  TJvAutoCompleteOptions AutoCompleteOptions() const { return autoCompleteOptions_; }
  void SetAutoCompleteOptions(TJvAutoCompleteOptions Value);
  // The texts the edit's own suggestion source enumerates.
  TStrings* SuggestionItems() const { return suggestionItems_; }
  // The shell's auto-complete object bound to the window (null when none).
  IUnknown* AutoCompleteObject() const { return autoCompleteObject_; }

  // --- Popup (for descendants that attach one).
  TWinControl* AttachedPopup() const { return popup_; }
  void SetAttachedPopup(TWinControl* Value);
  bool PopupShown() const { return popupShown_; }
  bool PopupWhenReadOnly() const { return popupWhenReadOnly_; }
  void SetPopupWhenReadOnly(bool Value) { popupWhenReadOnly_ = Value; }
  // 0: the popup's right edge under the edit's; 1: its left edge under the edit's.
  Integer PopupSide() const { return popupSide_; }
  void SetPopupSide(Integer Value) { popupSide_ = Value; }
  bool EditFocused() const { return editFocused_; }

  // --- Events. OnKeyDown is the edit's own slot: the class library's key-down slot holds
  // the hook that empties the group's other edits first.
  const TNotifyEvent& OnButtonClick() const { return onButtonClick_; }
  void SetOnButtonClick(const TNotifyEvent& Value) { onButtonClick_ = Value; }
  const TKeyEvent& OnKeyDown() const { return onKeyDownOwn_; }
  void SetOnKeyDown(const TKeyEvent& Value) { onKeyDownOwn_ = Value; }
  const TNotifyEvent& OnEnabledSwitch() const { return onEnabledSwitch_; }
  void SetOnEnabledSwitch(const TNotifyEvent& Value) { onEnabledSwitch_ = Value; }
  const TNotifyEvent& OnPopupOpened() const { return onPopupOpened_; }
  void SetOnPopupOpened(const TNotifyEvent& Value) { onPopupOpened_ = Value; }
  const TNotifyEvent& OnPopupClosed() const { return onPopupClosed_; }
  void SetOnPopupClosed(const TNotifyEvent& Value) { onPopupClosed_ = Value; }

  // --- Operations.
  // The button's action, unless the edit is read-only (and the button not always enabled).
  void HandleEmbeddedButtonClick(TObject* Sender);
  // Empties the text of every other combo edit of the owner in the same group.
  void ClearGroupSiblings();
  // Closes a shown popup; with Accept its value becomes the text (when the edit takes it).
  virtual void ClosePopup(TObject* Sender, bool Accept);
  // Opens the popup (or, in a descendant, runs the button's own action). DisableEdit
  // makes the window read-only while the popup shows.
  virtual void ShowDropDown(bool DisableEdit);
  // Posts the close of the popup to the edit (handled with the next messages).
  virtual void PostDeferredClose(bool Accept);
  // The smallest height that shows one line of the font inside the border.
  Integer MinimumHeight();
  // Lays the text and the button out again (after a change of the border).
  virtual void RefreshLayout();
  // Paints Text as the disabled (or copied) edit shows it; false when it declines (a
  // focused edit not painting a copy), leaving the painting to the edit.
  bool PaintDisabledText(const std::string& Text, TAlignment AAlignment, TMessage& Message, TCanvas*& ACanvas,
                         bool IsFocused, TColor TextColor, bool LeftAlign);

  // The image list of 14 x 12 pictures every combo edit shares (made on first use).
  static TCustomImageList* SharedDefaultImages();

  // Message handlers (public for the message map).
  void CMDeferredClose(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CMCancelMode(TMessage& Message);
  void CMWantSpecialKey(TMessage& Message);
  void CMBiDiModeChanged(TMessage& Message);
  void CMEnter(TCMEnter& Message);
  void CNCtlColorEdit(TMessage& Message);
  void WMPaint(TWMPaint& Message);
  void WMNCCalcSize(TWMNCCalcSize& Message);
  void WMNCPaint(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
  void WMCut(TMessage& Message);
  void WMPaste(TMessage& Message);
  void WMLButtonDown(TMessage& Message);

  // Edit behaviour the class library calls.
  void NotifyEnabledChanged() override;
  void NotifyFontChanged() override;
  void NotifyBoundsChanged() override;
  void HandleFocusGained(HWND PreviousWindow) override;
  void HandleFocusLost(HWND NextWindow) override;
  bool PaintBackground(TCanvas* Canvas, LPARAM Param) override;

protected:
  // --- The operations descendants override, in the order they were added.
  virtual void AdjustButtonLayout() {}
  // Widens the margins the text keeps free (the button's space on the right).
  virtual void ReserveButtonSpace(Integer& LeftMargin, Integer& RightMargin);
  virtual void BeforePopup() {}
  virtual void HidePopup();
  virtual void ShowPopupAt(const TPoint& Origin);
  virtual bool AcceptsPopupValue(const Variant& Value) { return true; }
  virtual Variant PopupValue();
  virtual void ApplyPopupValue(const Variant& Value);
  virtual void BindAutoComplete();
  virtual void ApplyAutoCompleteOptions();
  // The enumerator handed to the shell's auto-complete object (a new reference, or null).
  virtual IUnknown* CreateAutoCompleteSource();
  // The class library's change handling (OnChange).
  virtual void DoInheritedChange();
  // A change of the text while the popup shows.
  virtual void PopupChange() {}
  virtual void SetPopupValue(const Variant& Value);
  virtual Integer DefaultImageIndex() { return -1; }
  virtual TCustomImageList* DefaultImages() { return SharedDefaultImages(); }
  // The formatting rectangle of the text (left of the button).
  virtual void UpdateEditRect();
  // What the button does: OnButtonClick, then closes the popup or opens it.
  virtual void RunButtonAction();

  // --- The class library's operations.
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WndProc(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void Change() override;
  void CustomAlignPosition(TControl* Control, Integer& NewLeft, Integer& NewTop, Integer& NewWidth,
                           Integer& NewHeight, TRect& AlignRect, const TAlignInfo& AlignInfo) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TClass GetActionLinkClass() override;

  // The picture of the button for the image kind (arrow, dots), after a change of kind,
  // width or theme.
  void RefreshButtonGlyph();
  // The caret of the edit's font (2 pixels wide for a bold font).
  void ShowEditCaret();
  // The window's read-only state: ReadOnly, or typing closed (DirectInput off).
  void applyWindowReadOnly();

private:
  friend class TJvCustomComboEditActionLink;
  void hookedKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void growToFontHeight();
  TRect buttonHostBounds();
  // Whether Window is the popup's window or one inside it.
  bool isInPopup(HWND Window);
  // The control of the popup keyboard messages are offered to first.
  TWinControl* popupActiveControl();
  void releaseAutoCompleteObject();
  void readGlyphKind(TReader* Reader);
  void readCtl3D(TReader* Reader);

  TWinControl* buttonHost_ = nullptr;
  TJvEditButton* button_ = nullptr;
  bool comInitialized_ = false;
  bool directInput_ = true;
  bool readOnly_ = false;
  bool buttonAlwaysEnabled_ = false;
  bool popupWhenReadOnly_ = false;
  TAlignment alignment_ = taLeftJustify;
  TShortCut clickKey_ = 0x8028;
  TColor disabledColor_ = clWindow;
  TColor disabledTextColor_ = clGrayText;
  Integer groupIndex_ = -1;
  TJvImageKind imageKind_ = ikCustom;
  TImageIndex imageIndex_ = -1;
  TCustomImageList* images_ = nullptr;
  Integer numGlyphs_ = 1;
  Integer pendingButtonWidth_ = -1;
  Integer hiddenButtonWidth_ = 21;
  bool pendingFixedWidth_ = false;
  TJvAutoCompleteOptions autoCompleteOptions_;
  TStringList* suggestionItems_ = nullptr;
  IUnknown* autoCompleteObject_ = nullptr;
  TWinControl* popup_ = nullptr;
  bool popupShown_ = false;
  Integer popupSide_ = 0;
  bool editFocused_ = false;
  Variant popupValue_;
  TCanvas* paintCanvas_ = nullptr;
  TNotifyEvent onButtonClick_;
  TKeyEvent onKeyDownOwn_;
  TNotifyEvent onEnabledSwitch_;
  TNotifyEvent onPopupOpened_;
  TNotifyEvent onPopupClosed_;
};

// A monochrome picture of three dots for a button Width pixels wide.
TBitmap* MakeEllipsisBitmap(Integer ButtonWidth);

// =======================================================================================
// File and folder edits
// =======================================================================================

// The text of a file-name edit as a file name: the text itself when a file of that name
// exists; with a trailing delimiter when a folder of that name exists; otherwise, for a text
// holding double quotes, its first parameter read as a command line (quotes removed, what
// follows dropped), and for any other text the text without blanks around it (a name with
// blanks is still the whole name).
std::string JvResolveEditFileName(const std::string& Text);
// Name in double quotes when it holds a blank and does not begin with a quote.
std::string JvQuoteFileName(const std::string& Name);

// The base of edits that hold file-system names: OEM conversion, files dropped from the
// shell, the shell's lists as suggestion source, and the events around the button's dialog.
class TJvFileDirEdit : public TJvCustomComboEdit {
  RTL_DECLARE_CLASS(TJvFileDirEdit, TJvCustomComboEdit)
public:
  explicit TJvFileDirEdit(TComponent* AOwner);
  ~TJvFileDirEdit() override;
  void AfterConstruction() override;

  // Whether files dropped from the shell are taken.
  bool AcceptFiles() const { return acceptFiles_; }
  void SetAcceptFiles(bool Value);
  bool MultiSelect() const { return multiSelect_; }

  const TExecOpenDialogEvent& OnBeforeDialog() const { return onBeforeDialog_; }
  void SetOnBeforeDialog(const TExecOpenDialogEvent& Value) { onBeforeDialog_ = Value; }
  const TExecOpenDialogEvent& OnAfterDialog() const { return onAfterDialog_; }
  void SetOnAfterDialog(const TExecOpenDialogEvent& Value) { onAfterDialog_ = Value; }
  const TNotifyEvent& OnDropFiles() const { return onDropFiles_; }
  void SetOnDropFiles(const TNotifyEvent& Value) { onDropFiles_ = Value; }

  // The shell's list objects (null when not made).
  IUnknown* ShellMultiList() const { return shellMultiList_; }
  IUnknown* ShellFileSystemList() const { return shellFileSystemList_; }
  IUnknown* ShellHistoryList() const { return shellHistoryList_; }
  IUnknown* ShellMRUList() const { return shellMRUList_; }

  // The long and short forms of the name as the file system reports them.
  virtual std::string NameInLongForm() = 0;
  virtual std::string NameInShortForm() = 0;
  // A name dropped from the shell.
  virtual void TakeDroppedName(const std::string& Name) = 0;
  virtual void ClearSelectedFiles() {}

  void WMDropFiles(TMessage& Message);

protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  void Change() override;
  IUnknown* CreateAutoCompleteSource() override;
  void ApplyAutoCompleteOptions() override;
  // The file lists the suggestions come from (the file-name edit's options).
  virtual TJvAutoCompleteFileOptions ShellListOptions() { return {}; }
  // Turns the system's boxes for missing disks and unreadable files off (around the
  // dialog), and back to what they were.
  void SuppressCriticalErrors();
  void RestoreErrorMode();

  bool multiSelect_ = false;

private:
  void enableFileDrop(bool Value);

  bool acceptFiles_ = true;
  IUnknown* shellMultiList_ = nullptr;
  IUnknown* shellFileSystemList_ = nullptr;
  IUnknown* shellHistoryList_ = nullptr;
  IUnknown* shellMRUList_ = nullptr;
  UINT savedErrorMode_ = 0;
  TExecOpenDialogEvent onBeforeDialog_;
  TExecOpenDialogEvent onAfterDialog_;
  TNotifyEvent onDropFiles_;
};

// The file-name edit.
class TJvFilenameEdit : public TJvFileDirEdit {
  RTL_DECLARE_CLASS(TJvFilenameEdit, TJvFileDirEdit)
public:
  explicit TJvFilenameEdit(TComponent* AOwner);

  // The text as a file name (see JvResolveEditFileName; with AddQuotes off the text as it
  // is). Writing raises EComboEditError for an invalid name and leaves the text as it was.
  std::string FileName();
  void SetFileName(const std::string& Value);
  // Whether names holding a blank are written in double quotes.
  bool AddQuotes() const { return addQuotes_; }
  void SetAddQuotes(bool Value) { addQuotes_ = Value; }
  TFileDialogKind DialogKind() const { return dialogKind_; }
  void SetDialogKind(TFileDialogKind Value);
  TJvAutoCompleteFileOptions AutoCompleteFileOptions() const { return autoCompleteFileOptions_; }
  void SetAutoCompleteFileOptions(TJvAutoCompleteFileOptions Value);
  // The dialog the button runs (replaced when DialogKind changes, settings kept).
  TOpenDialog* FileDialog() const { return dialog_; }

  // The dialog's own settings.
  std::string DefaultExt() const { return dialog_->DefaultExt(); }
  void SetDefaultExt(const std::string& Value) { dialog_->SetDefaultExt(Value); }
  std::string DialogTitle() const { return dialog_->Title(); }
  void SetDialogTitle(const std::string& Value) { dialog_->SetTitle(Value); }
  bool IsDialogTitleStored() const;
  std::string Filter() const { return dialog_->Filter(); }
  void SetFilter(const std::string& Value) { dialog_->SetFilter(Value); }
  bool IsFilterStored() const;
  Integer FilterIndex() const { return dialog_->FilterIndex(); }
  void SetFilterIndex(Integer Value) { dialog_->SetFilterIndex(Value); }
  std::string InitialDir() const { return dialog_->InitialDir(); }
  void SetInitialDir(const std::string& Value) { dialog_->SetInitialDir(Value); }
  TStrings* HistoryList() const { return dialog_->HistoryList(); }
  void SetHistoryList(TStrings* Value) { dialog_->SetHistoryList(Value); }
  TOpenOptions DialogOptions() const { return dialog_->Options(); }
  void SetDialogOptions(TOpenOptions Value);
  TFileEditStyle FileEditStyle() const { return dialog_->FileEditStyle(); }
  void SetFileEditStyle(TFileEditStyle Value) { dialog_->SetFileEditStyle(Value); }

  std::string NameInLongForm() override;
  std::string NameInShortForm() override;
  void TakeDroppedName(const std::string& Name) override;
  void ClearSelectedFiles() override;
  // The button's action: the dialog with the edit's name; the chosen name becomes the text.
  void ShowDropDown(bool DisableEdit) override;

  void CMSysColorChange(TMessage& Message);

protected:
  Integer DefaultImageIndex() override;
  TJvAutoCompleteFileOptions ShellListOptions() override { return autoCompleteFileOptions_; }
  void RunFileDialog();

private:
  void makeFileDialog();

  bool addQuotes_ = true;
  TFileDialogKind dialogKind_ = dkOpen;
  TJvAutoCompleteFileOptions autoCompleteFileOptions_{acfFileSystem};
  TOpenDialog* dialog_ = nullptr;
};

namespace JvToolEditUnit {
void Initialize();
void Finalize();
}  // namespace JvToolEditUnit
