#include "cx/data/cxDBData.h"

#include "platform/rtl/SysUtils.h"

RTL_IMPLEMENT_CLASS(TcxCustomDBEditDefaultValuesProvider)

TcxCustomDBEditDefaultValuesProvider::TcxCustomDBEditDefaultValuesProvider(TPersistent* AOwner)
    : TcxCustomEditDefaultValuesProvider(AOwner) {
  FFreeNotificator = New<TcxFreeNotificator>(nullptr);
  FFreeNotificator->SetOnFreeNotification(
      TcxFreeNotificator::TFreeNotificationEvent(this, &TcxCustomDBEditDefaultValuesProvider::fieldFreed));
}

TcxCustomDBEditDefaultValuesProvider::~TcxCustomDBEditDefaultValuesProvider() {
  // The field must not notify a freed notificator.
  if (FField) FFreeNotificator->RemoveSender(FField);
  FField = nullptr;
  FreeAndNil(FFreeNotificator);
}

void TcxCustomDBEditDefaultValuesProvider::SetField(TField* Value) {
  if (FField == Value) return;
  if (FField) FFreeNotificator->RemoveSender(FField);
  FField = Value;
  if (FField) FFreeNotificator->AddSender(FField);
}

void TcxCustomDBEditDefaultValuesProvider::fieldFreed(TComponent* Sender) {
  if (Sender == FField) FField = nullptr;
}

bool TcxCustomDBEditDefaultValuesProvider::IsDataAvailable() const {
  return FField && FField->DataSet() && FField->DataSet()->Active();
}

TAlignment TcxCustomDBEditDefaultValuesProvider::DefaultAlignment() {
  return IsDataAvailable() ? FField->Alignment() : taLeftJustify;
}

Integer TcxCustomDBEditDefaultValuesProvider::DefaultBlobKind() {
  if (!IsDataAvailable()) return 0;
  switch (FField->DataType()) {
    case ftMemo:
    case ftFmtMemo: return 3;
    case ftGraphic: return 2;
    case ftParadoxOle:
    case ftDBaseOle: return 4;
    default: return 0;
  }
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultCanModify() {
  if (DefaultReadOnly()) return false;
  if (FField->CanModify()) return true;
  // A lookup field is edited through its key fields.
  if (!FField->Lookup()) return false;
  std::vector<TField*> keys = FField->DataSet()->GetFieldList(FField->KeyFields());
  if (keys.empty()) return false;
  for (TField* key : keys)
    if (!key->CanModify()) return false;
  return true;
}

void TcxCustomDBEditDefaultValuesProvider::DefaultDisplayFormat(std::string& AFormat) {
  auto* numeric = IsDataAvailable() ? dynamic_cast<TNumericField*>(FField) : nullptr;
  AFormat = numeric ? numeric->DisplayFormat() : std::string();
}

void TcxCustomDBEditDefaultValuesProvider::DefaultEditFormat(std::string& AFormat) {
  auto* numeric = IsDataAvailable() ? dynamic_cast<TNumericField*>(FField) : nullptr;
  AFormat = numeric ? numeric->EditFormat() : std::string();
}

void TcxCustomDBEditDefaultValuesProvider::DefaultEditMask(std::string& AMask) {
  AMask = IsDataAvailable() ? FField->EditMask() : std::string();
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultIsFloatValue() {
  // Currency fields are float fields.
  return IsDataAvailable() && (dynamic_cast<TFloatField*>(FField) || dynamic_cast<TBCDField*>(FField));
}

Integer TcxCustomDBEditDefaultValuesProvider::DefaultMaxLength() {
  // Wide-string fields are string fields.
  return IsDataAvailable() && dynamic_cast<TStringField*>(FField) ? FField->Size() : 0;
}

long double TcxCustomDBEditDefaultValuesProvider::limit(bool AMax) {
  if (!IsDataAvailable()) return 0.0L;
  if (auto* integer = dynamic_cast<TIntegerField*>(FField)) return AMax ? integer->MaxValue() : integer->MinValue();
  if (auto* real = dynamic_cast<TFloatField*>(FField)) {
    // As many significant digits as the field shows.
    const double value = AMax ? real->MaxValue() : real->MinValue();
    return StrToFloat(FloatToStrF(value, ffGeneral, real->Precision(), 0));
  }
  if (auto* bcd = dynamic_cast<TBCDField*>(FField))
    return AMax ? bcd->MaxValue().ToExtended() : bcd->MinValue().ToExtended();
  return 0.0L;
}

long double TcxCustomDBEditDefaultValuesProvider::DefaultMaxValue() { return limit(true); }

long double TcxCustomDBEditDefaultValuesProvider::DefaultMinValue() { return limit(false); }

Integer TcxCustomDBEditDefaultValuesProvider::DefaultPrecision() {
  if (auto* real = dynamic_cast<TFloatField*>(FField)) return real->Precision();
  if (auto* bcd = dynamic_cast<TBCDField*>(FField)) return bcd->Precision();
  if (auto* aggregate = dynamic_cast<TAggregateField*>(FField)) return aggregate->Precision();
  if (auto* fmtBcd = dynamic_cast<TFMTBCDField*>(FField)) return fmtBcd->Precision();
  return 15;
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultReadOnly() {
  return IsDataAvailable() ? FField->ReadOnly() : true;
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultRequired() { return IsDataAvailable() && FField->Required(); }

bool TcxCustomDBEditDefaultValuesProvider::IsBlobValue() { return IsDataAvailable() && FField->IsBlob(); }

bool TcxCustomDBEditDefaultValuesProvider::HasDisplayFormat(bool AIsCurrencyValueAccepted) {
  if (!IsDataAvailable()) return false;
  if (FField->OnGetText()) return true;
  if (auto* real = dynamic_cast<TFloatField*>(FField))
    if (real->currency() && AIsCurrencyValueAccepted) return true;
  if (auto* bcd = dynamic_cast<TBCDField*>(FField))
    if (bcd->currency() && AIsCurrencyValueAccepted) return true;
  if (auto* fmtBcd = dynamic_cast<TFMTBCDField*>(FField))
    if (fmtBcd->currency() && AIsCurrencyValueAccepted) return true;
  if (auto* aggregate = dynamic_cast<TAggregateField*>(FField))
    return !aggregate->DisplayFormat().empty() || (aggregate->currency() && AIsCurrencyValueAccepted);
  if (auto* dateTime = dynamic_cast<TDateTimeField*>(FField)) return !dateTime->DisplayFormat().empty();
  if (auto* timeStamp = dynamic_cast<TSQLTimeStampField*>(FField)) return !timeStamp->DisplayFormat().empty();
  if (auto* numeric = dynamic_cast<TNumericField*>(FField)) return !numeric->DisplayFormat().empty();
  return false;
}

bool TcxCustomDBEditDefaultValuesProvider::HasGetTextHandler() {
  return IsDataAvailable() && FField->OnGetText().Assigned();
}

bool TcxCustomDBEditDefaultValuesProvider::IsValidChar(char AChar) {
  if (!IsDataAvailable()) return false;
  // A field whose text a handler makes may show any character.
  if (FField->OnGetText()) return true;
  return FField->IsValidChar(AChar);
}
