#pragma once
// The memo editor: a text editor whose inner control is a native multi-line memo. Its value
// is the whole text with CR LF line breaks; Lines are the inner memo's lines. The set's own
// scroll bars lie over the inner memo's native ones so that they follow the look-and-feel.
#include <memory>
#include <string>

#include "cx/editors/cxTextEdit.h"
#include "platform/gui/StdCtrls.h"

// The memo's settings: scroll bars, Enter and Tab typed into the text, word wrap.
class TcxCustomMemoProperties : public TcxCustomTextEditProperties {
  RTL_DECLARE_CLASS(TcxCustomMemoProperties, TcxCustomTextEditProperties)
public:
  explicit TcxCustomMemoProperties(TPersistent* AOwner);

  // From other memo properties in one update bracket: the text-editor settings, then the
  // memo's own through their setters.
  void Assign(TPersistent* Source) override;

  TClass GetViewDataClass() override;
  bool HandlesTabKey() override { return FWantTabs; }
  TClass GetEditClass() override;
  TClass GetViewInfoClass() override;
  // The first line, at most 250 characters, for a single-line consumer.
  void GetDisplayText(const Variant& AEditValue, std::string& AText) override {
    GetDisplayText(AEditValue, false, AText);
  }
  void GetDisplayText(const Variant& AEditValue, bool AFullText, std::string& AText);
  TcxEditValueKind GetEditValueKind(bool AFocused) override;
  bool IsMultiLine() override { return true; }

  TAlignment Alignment() { return HorzAlignment(); }
  void SetAlignment(TAlignment Value) { SetHorzAlignment(Value); }
  bool IsAlignmentStored() { return IsHorzAlignmentStored(); }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value);
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

private:
  TScrollStyle FScrollBars = ssNone;
  bool FWantReturns = true;
  bool FWantTabs = false;
  bool FWordWrap = true;
};

class TcxMemoProperties : public TcxCustomMemoProperties {
  RTL_DECLARE_CLASS(TcxMemoProperties, TcxCustomMemoProperties)
public:
  explicit TcxMemoProperties(TPersistent* AOwner) : TcxCustomMemoProperties(AOwner) {}
};

// Lays the memo's text out in rows (word-wrapped unless a horizontal bar scrolls it).
class TcxCustomMemoViewData : public TcxCustomTextEditViewData {
  RTL_DECLARE_CLASS(TcxCustomMemoViewData, TcxCustomTextEditViewData)
public:
  explicit TcxCustomMemoViewData(const TCreateArgs* Args) : TcxCustomTextEditViewData(Args) {}
  TcxTextLayoutFlags GetDrawTextFlags() override;
  TRect GetTextMargins(TcxCustomEditViewInfo* AViewInfo) override;
};

class TcxCustomMemoViewInfo : public TcxCustomTextEditViewInfo {
  RTL_DECLARE_CLASS(TcxCustomMemoViewInfo, TcxCustomTextEditViewInfo)
public:
  TcxCustomMemoViewInfo() = default;
  void DrawText(TcxCanvas* ACanvas) override;
};

class TcxCustomMemo;

// The native memo a memo editor places inside its frame. Like the inner text edit it hands
// input and focus to its editor; replacing text keeps the editor's value equal to the lines.
class TcxCustomInnerMemo : public TcxInnerEditForwarding<TMemo> {
  RTL_DECLARE_CLASS(TcxCustomInnerMemo, TMemo)
public:
  explicit TcxCustomInnerMemo(TComponent* AOwner);
  ~TcxCustomInnerMemo() override;

  IcxInnerTextEdit* Intf() override { return FHelper.get(); }

  TcxCustomMemo* Container() const;

  // --- What the helper answers.
  // The lines' text; before the window exists, the control's text (the lines live in the
  // window).
  Variant InnerEditValue() { return Variant(HandleAllocated() ? Lines()->Text() : Text()); }
  void SetInnerEditValue(const Variant& Value);
  void SafelySetFocus();
  TAlignment InnerAlignment() const { return Alignment(); }
  void SetInnerAlignment(TAlignment Value) { SetAlignment(Value); }
  bool InnerAutoSelect() const { return FAutoSelect; }
  void SetInnerAutoSelect(bool Value) { FAutoSelect = Value; }
  bool EchoMode() const { return false; }
  void SetEchoMode(bool) {}
  char ImeLastChar() const { return '\0'; }
  bool IsMultiLineEdit() const { return true; }
  Integer InnerSelStart() { return SelStart(); }
  Integer InnerSelLength() { return SelLength(); }
  void SetInnerSelStart(Integer Value) {
    if (HandleAllocated()) SetSelStart(Value);
  }
  void SetInnerSelLength(Integer Value) {
    if (HandleAllocated()) SetSelLength(Value);
  }

  // Message handlers (reached through the message map).
  void WMEraseBkgnd(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMSetFont(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);

protected:
  // Tab is the memo's only when its properties want tabs.
  bool WantsTabKey() override { return TypesTab(); }
  bool TypesTab() override;
  // While the memo deletes its own lines the control clears by itself.
  bool ClearGoesToEditor() override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void DoEnter() override;

private:
  void replaceSelection(TMessage& Message);

  bool FAutoSelect = false;
  std::unique_ptr<TcxInnerTextEditHelperT<TcxCustomInnerMemo>> FHelper;
  bool FSettingText = false;
};

// The multi-line text editor.
class TcxCustomMemo : public TcxCustomTextEdit {
  RTL_DECLARE_CLASS(TcxCustomMemo, TcxCustomTextEdit)
public:
  explicit TcxCustomMemo(TComponent* AOwner);

  TcxCustomMemoProperties* GetActiveMemoProperties() {
    return static_cast<TcxCustomMemoProperties*>(GetActiveProperties());
  }
  TcxCustomInnerMemo* InnerMemo() const { return static_cast<TcxCustomInnerMemo*>(InnerEdit()); }
  TStrings* Lines() const { return InnerMemo()->Lines(); }
  void SetLines(TStrings* Value) { InnerMemo()->Lines()->Assign(Value); }

  // --- New virtual operations.
  virtual bool IsMemoNavigationKey(Word Key, bool AFlag);
  // Asks for the scroll bars to follow the inner memo's after the pending messages.
  void RequestScrollBarUpdate();
  // After text went in by the program: the value follows the text, not modified.
  void AfterTextInserted();
  bool MemoDeleting() const { return FMemoDeleting; }
  // The stored value follows the lines without change events (text replaced in the inner
  // memo).
  void StoreLinesAsEditValue();

  // --- Overrides.
  // Lines added inside an update wait while the memo cannot be seen: the value is read
  // (and shown again) only after they reached the window, so they are never lost.
  Variant GetEditValue() override;
  void SyncDisplayFromEditValue() override;
  bool HasScrollBars() override { return true; }
  void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) override;
  void UpdateScrollBars() override { AdjustInnerScrollBars(); }
  void AdjustInnerScrollBars() override;
  void AdjustInnerControlBounds() override { AdjustInnerEditPosition(0); }
  void AdjustInnerEditPosition(Integer AHeight) override;
  bool IsModifyingKey(Word Key, TShiftState Shift) override;
  void InnerEditChanged(TObject* Sender) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  TClass GetInnerEditClass() override;
  void InitializeViewData(TcxCustomEditViewData* AViewData) override;
  bool IsInnerEditVisible() override { return true; }
  void PropertiesChanged(TObject* Sender) override;
  bool CanSendActivationChar(char AChar) override { return AChar != '\r'; }
  void CutToClipboard() override;
  TClass GetPropertiesClass() override;
  void ApplyInnerEditColors() override;
  void InsertText(const std::string& AText) override;
  void DeleteSelection() override;
  void PasteFromClipboard() override;

  // Message handlers.
  void WMCommand(TMessage& Message);
  void CMScrollBarsUpdate(TMessage& Message);

protected:
  friend class TcxCustomInnerMemo;

  void ReadState(TReader* Reader) override;
  void WndProc(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;

private:
  void flushPendingLines();

  bool FMemoDeleting = false;
  bool FAdjustingScrollBars = false;
  bool FAdjustingInnerMemo = false;
};

// The published memo editor.
class TcxMemo : public TcxCustomMemo {
  RTL_DECLARE_CLASS(TcxMemo, TcxCustomMemo)
public:
  explicit TcxMemo(TComponent* AOwner) : TcxCustomMemo(AOwner) {}
  TcxCustomMemoProperties* Properties() { return static_cast<TcxCustomMemoProperties*>(GetProperties()); }
  void SetProperties(TcxCustomMemoProperties* Value) { TcxCustomEdit::SetProperties(Value); }
  TcxCustomEditStyle* Style() const { return GetStyle(); }
  void SetStyle(TcxCustomEditStyle* Value) { TcxCustomEdit::SetStyle(Value); }
};

namespace cxMemoUnit {
void Initialize();
void Finalize();
}  // namespace cxMemoUnit
