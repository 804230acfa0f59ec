#include "platform/data/SqlTimSt.h"

#include <cmath>
#include <memory>

const TSQLTimeStamp NullSQLTimeStamp{};

bool operator==(const TSQLTimeStamp& a, const TSQLTimeStamp& b) {
  return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day && a.Hour == b.Hour && a.Minute == b.Minute &&
         a.Second == b.Second && a.Fractions == b.Fractions;
}

void CheckSqlTimeStamp(const TSQLTimeStamp& ts) {
  if (ts == NullSQLTimeStamp) return;
  TDateTime d;
  if (ts.Year < 1 || !TryEncodeDate(static_cast<Word>(ts.Year), ts.Month, ts.Day, d))
    throw EConvertError("Invalid argument to date encode");
  if (ts.Fractions > 999 || !TryEncodeTime(ts.Hour, ts.Minute, ts.Second, static_cast<Word>(ts.Fractions), d))
    throw EConvertError("Invalid argument to time encode");
}

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime DateTime) {
  TSQLTimeStamp ts;
  Word y, m, d, h, n, s, ms;
  DecodeDate(DateTime, y, m, d);
  DecodeTime(DateTime, h, n, s, ms);
  ts.Year = static_cast<SmallInt>(y);
  ts.Month = m;
  ts.Day = d;
  ts.Hour = h;
  ts.Minute = n;
  ts.Second = s;
  ts.Fractions = ms;
  return ts;
}

TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& ts) {
  if (ts == NullSQLTimeStamp) return 0;
  CheckSqlTimeStamp(ts);
  TDateTime date = EncodeDate(static_cast<Word>(ts.Year), ts.Month, ts.Day);
  TDateTime time = EncodeTime(ts.Hour, ts.Minute, ts.Second, static_cast<Word>(ts.Fractions));
  // Before 1899-12-30 the day counts backwards while the time still counts forwards.
  return date >= 0 ? date + time : date - time;
}

std::string SQLTimeStampToStr(const std::string& Format, const TSQLTimeStamp& DateTime) {
  return FormatDateTime(Format, SQLTimeStampToDateTime(DateTime));
}

bool TryStrToSQLTimeStamp(const std::string& S, TSQLTimeStamp& TimeStamp) {
  TDateTime d;
  if (!TryStrToDateTime(S, d)) return false;
  TimeStamp = DateTimeToSQLTimeStamp(d);
  return true;
}

TSQLTimeStamp StrToSQLTimeStamp(const std::string& S) { return DateTimeToSQLTimeStamp(StrToDateTime(S)); }

namespace {

struct StampPayload : TVarPayload {
  explicit StampPayload(const TSQLTimeStamp& t) : value(t) {}
  TSQLTimeStamp value;
};

int compareStamps(const TSQLTimeStamp& a, const TSQLTimeStamp& b) {
  auto cmp = [](long x, long y) { return x < y ? -1 : x > y ? 1 : 0; };
  if (int c = cmp(a.Year, b.Year)) return c;
  if (int c = cmp(a.Month, b.Month)) return c;
  if (int c = cmp(a.Day, b.Day)) return c;
  if (int c = cmp(a.Hour, b.Hour)) return c;
  if (int c = cmp(a.Minute, b.Minute)) return c;
  if (int c = cmp(a.Second, b.Second)) return c;
  return cmp(static_cast<long>(a.Fractions), static_cast<long>(b.Fractions));
}

class TSQLTimeStampVariantType : public TCustomVariantType {
  RTL_DECLARE_CLASS(TSQLTimeStampVariantType, TCustomVariantType)
public:
  Variant Make(const TSQLTimeStamp& t) const { return MakeValue(std::make_shared<StampPayload>(t)); }
  static const TSQLTimeStamp& Of(const Variant& v) { return v.PayloadAs<StampPayload>()->value; }

  std::string TypeName() const override { return "SQLTimeStamp"; }

  void Cast(Variant& dest, const Variant& source) override {
    TVarType vt = source.VType();
    switch (vt) {
      case varEmpty: dest = Make(NullSQLTimeStamp); return;
      case varString: case varOleStr: {
        TSQLTimeStamp t;
        if (!TryStrToSQLTimeStamp(source.RawString(), t)) RaiseCastError(vt, VarType());
        dest = Make(t);
        return;
      }
      case varNull: case varDispatch: case varUnknown: case varError: RaiseCastError(vt, VarType());
      default:
        if (source.IsArray()) RaiseCastError(vt, VarType());
        // Numbers and dates count days since 1899-12-30, as TDateTime does.
        dest = Make(DateTimeToSQLTimeStamp(source.AsDateTime()));
        return;
    }
  }

  void CastTo(Variant& dest, const Variant& source, TVarType varType) override {
    const TSQLTimeStamp& t = Of(source);
    switch (varType) {
      case varString: dest = Variant(SQLTimeStampToStr("", t)); return;
      case varOleStr: dest = Variant::MakeOleStr(SQLTimeStampToStr("", t)); return;
      case varDate: dest = VarFromDateTime(SQLTimeStampToDateTime(t)); return;
      case varEmpty: dest = Variant(); return;
      default:
        if (varType == varNull || varType == varDispatch || varType == varUnknown) RaiseCastError(VarType(), varType);
        dest = VarAsType(Variant(SQLTimeStampToDateTime(t)), varType);
        return;
    }
  }

  void Compare(const Variant& left, const Variant& right, TVarCompareResult& relationship) override {
    int c = compareStamps(Of(left), Of(right));
    relationship = c < 0 ? crLessThan : c > 0 ? crGreaterThan : crEqual;
  }

  // Two stamps subtract to a number of days; a stamp moved by a number is done on dates
  // (the other operand is promoted to a date, see the promotions below).
  void BinaryOp(Variant& left, const Variant& right, TVarOp op) override {
    if (op != opSubtract) RaiseInvalidOp();
    left = Variant(SQLTimeStampToDateTime(Of(left)) - SQLTimeStampToDateTime(Of(right)));
  }

  bool LeftPromotion(const Variant& v, TVarOp op, TVarType& requiredVarType) override {
    requiredVarType = promotionFor(v, op);
    return true;
  }
  bool RightPromotion(const Variant& v, TVarOp op, TVarType& requiredVarType) override {
    requiredVarType = promotionFor(v, op);
    return true;
  }

private:
  TVarType promotionFor(const Variant& other, TVarOp op) const {
    bool arithmetic = op == opAdd || op == opSubtract;
    if (arithmetic && !VarIsStr(other)) return varDate;
    return VarType();
  }
};

RTL_IMPLEMENT_CLASS(TSQLTimeStampVariantType)

TSQLTimeStampVariantType*& stampType() {
  static TSQLTimeStampVariantType* type = nullptr;
  return type;
}

TSQLTimeStampVariantType& requireType() {
  if (!stampType())
    throw EVariantError("The SQL time stamp variant kind is not registered (SqlTimSt unit not started)");
  return *stampType();
}

}  // namespace

TVarType VarSQLTimeStamp() { return requireType().VarType(); }

Variant VarSQLTimeStampCreate(const TSQLTimeStamp& ASQLTimeStamp) {
  CheckSqlTimeStamp(ASQLTimeStamp);
  return requireType().Make(ASQLTimeStamp);
}
Variant VarSQLTimeStampCreate(TDateTime AValue) { return requireType().Make(DateTimeToSQLTimeStamp(AValue)); }
Variant VarSQLTimeStampCreate(const std::string& AValue) { return requireType().Make(StrToSQLTimeStamp(AValue)); }

bool VarIsSQLTimeStamp(const Variant& aValue) { return stampType() && aValue.VType() == stampType()->VarType(); }

TSQLTimeStamp VarToSQLTimeStamp(const Variant& aValue) {
  if (VarIsSQLTimeStamp(aValue)) return TSQLTimeStampVariantType::Of(aValue);
  return TSQLTimeStampVariantType::Of(VarAsType(aValue, VarSQLTimeStamp()));
}

namespace SqlTimStUnit {
void Initialize() {
  if (!stampType()) stampType() = new TSQLTimeStampVariantType();
}
void Finalize() {
  delete stampType();
  stampType() = nullptr;
}
}  // namespace SqlTimStUnit
