#pragma once
// The data controller's data-set services. Now: the data-set variant of the editors'
// default-values provider.

#include "cx/editors/cxEdit.h"
#include "platform/data/DB.h"

// Answers an editor's defaults from one linked field. Except for IsDataSetProvider and
// DefaultPrecision, every answer needs a linked field whose data set is open; without one
// it is the fallback of the answer: taLeftJustify, read-only, not modifiable, no valid
// characters, no display format, no get-text handler, not required, no blob (kind 0), no
// maximum length, no float value, empty formats and mask, 0 limits.
//
// The provider hears when the linked field is freed and drops the link.
class TcxCustomDBEditDefaultValuesProvider : public TcxCustomEditDefaultValuesProvider {
  RTL_DECLARE_CLASS(TcxCustomDBEditDefaultValuesProvider, TcxCustomEditDefaultValuesProvider)
public:
  explicit TcxCustomDBEditDefaultValuesProvider(TPersistent* AOwner);
  ~TcxCustomDBEditDefaultValuesProvider() override;

  TField* Field() const { return FField; }
  // Links the field (null unlinks); the free notification moves with the link.
  void SetField(TField* Value);
  // A field is linked, it has a data set and the data set is open.
  bool IsDataAvailable() const;

  TAlignment DefaultAlignment() override;
  Integer DefaultBlobKind() override;
  bool DefaultCanModify() override;
  void DefaultDisplayFormat(std::string& AFormat) override;
  void DefaultEditFormat(std::string& AFormat) override;
  void DefaultEditMask(std::string& AMask) override;
  bool DefaultIsFloatValue() override;
  Integer DefaultMaxLength() override;
  long double DefaultMaxValue() override;
  long double DefaultMinValue() override;
  // The precision of a float, BCD, aggregate or formatted-BCD field, else 15; also while
  // the data set is closed.
  Integer DefaultPrecision() override;
  bool DefaultReadOnly() override;
  bool DefaultRequired() override;
  bool IsDataSetProvider() override { return true; }
  bool IsBlobValue() override;
  bool HasDisplayFormat(bool AIsCurrencyValueAccepted) override;
  bool HasGetTextHandler() override;
  bool IsValidChar(char AChar) override;

private:
  void fieldFreed(TComponent* Sender);
  long double limit(bool AMax);

  TField* FField = nullptr;
  TcxFreeNotificator* FFreeNotificator = nullptr;
};
