#pragma once
// cxMaskEdit: the text editor with an input mask. The properties carry the mask and its kind;
// every masked editor owns a mode object that filters each key, caret move and paste against
// the mask. An empty mask leaves the text editor's behaviour untouched.
//
// The two expression kinds check every insertion and deletion against a compiled regular
// expression, so that the text always stays a valid beginning of a match. The extended kind
// also types the characters that are the only possible continuation (forced characters) and
// treats a typed character together with the forced ones after it as one unit: the caret
// never stands inside a unit and Backspace or Delete remove a whole unit.
//
// The fixed-position (standard) mask is edited in overwrite fashion: the caret is shown as a
// one-character selection, typed characters replace the character under it and literal
// positions are skipped.
#include <memory>
#include <string>
#include <vector>

#include "cx/editors/cxRegExpr.h"
#include "cx/editors/cxStandardMask.h"
#include "cx/editors/cxTextEdit.h"

RTL_ENUM(TcxEditMaskKind, emkStandard, emkRegExpr, emkRegExprEx)

class TcxCustomMaskEdit;
class TcxCustomMaskEditProperties;

class EcxMaskEditError : public Exception {
public:
  using Exception::Exception;
};

// The contract of a mask mode. The Press* operations answer whether the inner edit may
// still process the key itself.
class TcxMaskEditCustomMode : public TObject {
  RTL_DECLARE_CLASS(TcxMaskEditCustomMode, TObject)
public:
  TcxMaskEditCustomMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties);

  virtual Integer ModeKind() { return emkStandard; }
  virtual void AfterPaste() {}
  virtual void SetMask(const std::string& AMask) { FMask = AMask; }
  virtual std::string EmptyValue() { return std::string(); }
  virtual std::string FormatText(const std::string& AText) { return AText; }
  virtual void SelectOnEnter() {}
  virtual bool AtLeftEdge() { return false; }
  virtual bool AtRightEdge() { return false; }
  virtual bool IsValidText(const std::string& AText) { return true; }
  virtual void CaretMoved() {}
  virtual void BeforePaste() {}
  virtual bool PressBackspace() { return true; }
  virtual bool PressDelete() { return true; }
  virtual bool PressEnd() { return true; }
  virtual bool PressHome() { return true; }
  virtual bool PressLeft() { return true; }
  virtual bool PressRight() { return true; }
  virtual bool PressChar(char& AChar) { return true; }
  virtual void TextSet(const std::string& AText) {}
  virtual void SyncEditValue();
  virtual void ApplyPendingEmptyValue() {}
  virtual std::string UnformatText(const std::string& AText) { return AText; }

  const std::string& Mask() const { return FMask; }
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value) { FCharCase = Value; }
  TcxEditEchoMode EchoMode() const { return FEchoMode; }
  void SetEchoMode(TcxEditEchoMode Value) { FEchoMode = Value; }
  void SetPasteLength(Integer Value) { FPasteLength = Value; }
  TcxCustomMaskEdit* Edit() const { return FEdit; }

protected:
  void Beep();
  // The inner edit's selection, set without the caret-moved notice.
  void SetSelStart(Integer Value);
  void SetSelLength(Integer Value);
  Integer SelStart();
  Integer SelLength();
  std::string InnerText();
  // An editor is set and it is neither being destroyed nor missing its inner edit.
  bool Attached();
  TcxCustomMaskEditProperties* Properties() const { return FProperties; }

  std::string FMask;
  TEditCharCase FCharCase = ecNormal;
  TcxEditEchoMode FEchoMode = eemNormal;
  Integer FPasteLength = 0;
  TcxCustomMaskEdit* FEdit = nullptr;  // not owned
  bool FPendingEmptyValue = false;
  TcxCustomMaskEditProperties* FProperties = nullptr;  // not owned
};

class TcxMaskEditStandardMode : public TcxMaskEditCustomMode {
  RTL_DECLARE_CLASS(TcxMaskEditStandardMode, TcxMaskEditCustomMode)
public:
  using TcxMaskEditCustomMode::TcxMaskEditCustomMode;

  Integer ModeKind() override { return emkStandard; }
  void AfterPaste() override;
  void SetMask(const std::string& AMask) override;
  std::string EmptyValue() override { return FStandardMask.EmptyValue(); }
  std::string FormatText(const std::string& AText) override;
  bool AtLeftEdge() override;
  bool AtRightEdge() override;
  bool IsValidText(const std::string& AText) override;
  void CaretMoved() override;
  void BeforePaste() override;
  bool PressBackspace() override;
  bool PressDelete() override;
  bool PressEnd() override;
  bool PressHome() override;
  bool PressLeft() override;
  bool PressRight() override;
  bool PressChar(char& AChar) override;
  void TextSet(const std::string& AText) override { CaretMoved(); }
  void SyncEditValue() override;
  void ApplyPendingEmptyValue() override;
  std::string UnformatText(const std::string& AText) override;

  const TcxStandardMask& StandardMask() const { return FStandardMask; }

private:
  bool IsLiteral(Integer APos) const;
  bool ShiftHeld();
  void ClearShift();
  // Puts a text into the inner edit and the caret back where it was.
  void PutText(const std::string& AText, Integer ACaret);

  TcxStandardMask FStandardMask;
  Integer FPasteStart = 0;
};

// The regular-expression kind: a character is inserted only when the text before the caret
// followed by it is still a valid beginning of a match; when the text after the caret can no
// longer follow, it is cut off. A deletion that leaves an impossible rest cuts it off too.
class TcxMaskEditRegExprMode : public TcxMaskEditCustomMode {
  RTL_DECLARE_CLASS(TcxMaskEditRegExprMode, TcxMaskEditCustomMode)
public:
  TcxMaskEditRegExprMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties);
  ~TcxMaskEditRegExprMode() override;

  Integer ModeKind() override { return emkRegExpr; }
  void SetMask(const std::string& AMask) override;
  std::string FormatText(const std::string& AText) override;
  bool AtLeftEdge() override;
  bool AtRightEdge() override;
  bool IsValidText(const std::string& AText) override;
  bool PressBackspace() override;
  bool PressDelete() override;
  bool PressChar(char& AChar) override;
  void SyncEditValue() override;

  TcxRegExpr* RegExpr() const { return FRegExpr.get(); }
  // The expression compares letters ignoring case (taken from the properties).
  void SetCaseInsensitive(bool Value) { FRegExpr->SetCaseInsensitive(Value); }

  // The message of a failed compile: the heading and, line by line, every located error.
  static std::string CompileErrorsText(const EcxRegExprError& AError);

protected:
  // Restarts the expression and offers the characters of AText in turn, each in the form
  // the expression hands back; answers how many were accepted before the first refusal.
  Integer Feed(std::string& AText);
  // Whether ATail can follow the characters offered so far (the state is kept).
  bool Fits(const std::string& ATail);
  // Puts a text into the inner edit as the user's and the caret at ACaret.
  void PutText(const std::string& AText, Integer ACaret);
  bool Compiled() const { return FRegExpr->Compiled(); }

  TObjectPtr<TcxRegExpr> FRegExpr;
};

// The extended regular-expression kind: forced characters are typed with the character they
// follow (and a forced beginning is the empty value); units of a typed character and its
// forced followers are moved over and deleted as a whole.
class TcxMaskEditRegExprExMode : public TcxMaskEditRegExprMode {
  RTL_DECLARE_CLASS(TcxMaskEditRegExprExMode, TcxMaskEditRegExprMode)
public:
  using TcxMaskEditRegExprMode::TcxMaskEditRegExprMode;

  Integer ModeKind() override { return emkRegExprEx; }
  void SetMask(const std::string& AMask) override;
  std::string EmptyValue() override;
  std::string FormatText(const std::string& AText) override;
  bool IsValidText(const std::string& AText) override;
  void ApplyPendingEmptyValue() override;
  bool PressBackspace() override;
  bool PressDelete() override;
  bool PressLeft() override;
  bool PressRight() override;
  bool PressChar(char& AChar) override;

private:
  // The forced characters that follow the characters offered so far; the expression is left
  // after them.
  std::string TakeForced();
  // For every character of AText, whether it is a forced one (the only possible continuation
  // of the text before it). Characters after the first refused one are not forced.
  std::vector<bool> ForcedMarks(const std::string& AText);
  // Unit boundaries: the start, the end, and every character that is not forced.
  static bool IsBoundary(const std::vector<bool>& AForced, Integer APos);
  // AHead followed, when it can, by ATail and the forced characters after it; otherwise the
  // tail is cut off. The caret goes to the head's end.
  void PutHeadAndTail(const std::string& AHead, const std::string& ATail);
  // Removes the selected units (the selection widened to unit boundaries, the forced
  // beginning kept).
  void DeleteSelection();
  // Shift with an arrow: the caret end of the selection moves over a whole unit.
  bool ExtendSelection(bool AForward);
};

class TcxCustomMaskEditProperties : public TcxCustomTextEditProperties {
  RTL_DECLARE_CLASS(TcxCustomMaskEditProperties, TcxCustomTextEditProperties)
public:
  explicit TcxCustomMaskEditProperties(TPersistent* AOwner);
  ~TcxCustomMaskEditProperties() override;

  void Assign(TPersistent* Source) override;

  TClass GetEditClass() override;
  bool UsesLookupData() override { return !IsMasked() && TcxCustomTextEditProperties::UsesLookupData(); }
  bool IsEditValueValid(Variant& AEditValue) override;
  bool HasDataDisplayFormat(bool AFocused) override {
    return !IsMasked() && TcxCustomTextEditProperties::HasDataDisplayFormat(AFocused);
  }
  void ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AFocused) override;
  void ValidateDisplayValue(Variant& ADisplayValue, std::string& AErrorText, bool& AError,
                            TcxCustomEdit* AEdit) override;
  void SetCharCase(TEditCharCase Value) override;
  void SetMaxLength(Integer Value) override;

  // The effective mask: for a standard mask left blank, the bound data's default mask.
  std::string GetEditMask();
  void SetEditMask(const std::string& Value);
  const std::string& StoredEditMask() const { return FEditMask; }
  bool IsEditMaskStored() const { return !FEditMask.empty(); }
  bool IsMasked();
  TcxEditMaskKind MaskKind() const { return FMaskKind; }
  void SetMaskKind(TcxEditMaskKind Value);
  bool CaseInsensitive() const { return FCaseInsensitive; }
  void SetCaseInsensitive(bool Value);
  bool IgnoreMaskBlank() const { return FIgnoreMaskBlank; }
  void SetIgnoreMaskBlank(bool Value) { FIgnoreMaskBlank = Value; }
  bool AlwaysShowBlanksAndLiterals() const { return FAlwaysShowBlanksAndLiterals; }
  void SetAlwaysShowBlanksAndLiterals(bool Value);
  const std::string& EmptyMaskText() const { return FEmptyMaskText; }
  void SetEmptyMaskText(const std::string& Value) { FEmptyMaskText = Value; }

  // A new mode of the given kind, for an editor or (AEdit null) for conversions.
  std::unique_ptr<TcxMaskEditCustomMode> CreateMode(TcxEditMaskKind AKind, TcxCustomMaskEdit* AEdit);
  // Clears the stored mask without a change notice (a kind change that crosses between the
  // standard and the expression kinds drops a mask the new kind cannot read).
  void ClearStoredEditMask() { FEditMask.clear(); }
  void RestoreStoredEditMask(const std::string& Value) { FEditMask = Value; }

  // Blank: empty or only NUL, TAB, LF, FF, CR and spaces.
  static bool IsBlankMask(const std::string& AMask);

private:
  bool FCaseInsensitive = true;
  std::string FEditMask;
  std::string FEmptyMaskText;
  bool FIgnoreMaskBlank = false;
  TcxEditMaskKind FMaskKind = emkStandard;
  std::unique_ptr<TcxMaskEditCustomMode> FConversionMode;
  bool FAlwaysShowBlanksAndLiterals = false;
};

class TcxMaskEditProperties : public TcxCustomMaskEditProperties {
  RTL_DECLARE_CLASS(TcxMaskEditProperties, TcxCustomMaskEditProperties)
public:
  explicit TcxMaskEditProperties(TPersistent* AOwner) : TcxCustomMaskEditProperties(AOwner) {}
};

class TcxCustomMaskEdit : public TcxCustomTextEdit {
  RTL_DECLARE_CLASS(TcxCustomMaskEdit, TcxCustomTextEdit)
public:
  explicit TcxCustomMaskEdit(TComponent* AOwner);
  void AfterConstruction() override;
  ~TcxCustomMaskEdit() override;

  TcxCustomMaskEditProperties* GetActiveMaskProperties() {
    return static_cast<TcxCustomMaskEditProperties*>(GetActiveProperties());
  }
  bool IsMasked() { return GetActiveMaskProperties()->IsMasked(); }
  TcxMaskEditCustomMode* Mode() const { return FMode.get(); }
  bool ShiftFlag() const { return FShiftFlag; }
  void SetShiftFlag(bool Value) { FShiftFlag = Value; }
  // Sends the editor a key or a character that reaches the inner edit unfiltered.
  void SendOwnKey(Word AKey);
  void SendOwnChar(char AChar);

  // --- Overrides.
  TClass GetPropertiesClass() override;
  void InternalSetDisplayValue(const Variant& Value) override;
  std::string GetControlText() override;
  bool SetControlText(const std::string& AText) override;
  void InnerEditChanged(TObject* Sender) override;
  void SyncDisplayFromEditValue() override;
  void SetSelectionStart(Integer Value) override;
  void SetSelectionLength(Integer Value) override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  void InsertText(const std::string& AText) override;
  void ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AFocused) override;
  void PropertiesChanged(TObject* Sender) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(char& Key) override;
  void DoEditKeyUp(Word& Key, TShiftState Shift) override;

protected:
  void Loaded() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DblClick() override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  friend class TcxMaskEditCustomMode;

  std::unique_ptr<TcxMaskEditCustomMode> FMode;
  bool FOwnKey = false;
  bool FShiftFlag = false;
  bool FChangingProperties = false;
};

class TcxMaskEdit : public TcxCustomMaskEdit {
  RTL_DECLARE_CLASS(TcxMaskEdit, TcxCustomMaskEdit)
public:
  explicit TcxMaskEdit(TComponent* AOwner) : TcxCustomMaskEdit(AOwner) {}
  TcxCustomMaskEditProperties* Properties() { return static_cast<TcxCustomMaskEditProperties*>(GetProperties()); }
  void SetProperties(TcxCustomMaskEditProperties* Value) { TcxCustomEdit::SetProperties(Value); }
  TcxCustomEditStyle* Style() const { return GetStyle(); }
  void SetStyle(TcxCustomEditStyle* Value) { TcxCustomEdit::SetStyle(Value); }
};
