#include "cx/data/cxFilter.h"

#include <algorithm>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxDataConsts.h"
#include "cx/foundation/cxDataUtils.h"
#include "cx/foundation/cxFilterConsts.h"
#include "cx/foundation/cxVariants.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"

// =======================================================================================
// LIKE matching
// =======================================================================================

bool cxLike(const std::string& AText, const std::string& APattern, char AManyChar, char AOneChar) {
  return cxLikeMatch(AText.data(), static_cast<Integer>(AText.size()), APattern.data(), 0, AOneChar, AManyChar,
                     static_cast<Integer>(APattern.size()));
}

bool cxLikeMatch(const char* AText, Integer ATextLength, const char* APattern, char AEscapeChar, char AOneChar,
                 char AManyChar, Integer APatternLength) {
  // Left to right with one resume point: the pattern position after the last many-char
  // wildcard met and the text position that wildcard's run currently ends at. On a
  // mismatch the run grows by one character and matching resumes there. Going back to an
  // earlier wildcard never helps (the later one can absorb whatever the earlier one would
  // have), so one resume point is enough and no pattern makes the matcher exponential.
  Integer t = 0, p = 0;
  Integer resumePattern = -1, resumeText = 0;
  for (;;) {
    if (p < APatternLength) {
      char c = APattern[p];
      Integer next = p + 1;
      bool escaped = false;
      if (AEscapeChar != 0 && c == AEscapeChar) {
        if (next >= APatternLength) {
          p = next;  // a trailing escape character matches nothing
          continue;
        }
        c = APattern[next++];
        escaped = true;
      }
      if (!escaped && c == AManyChar) {
        // The run starts empty: the rest of the pattern is tried here first, also when no
        // text is left, so that '%%' matches the empty text as '%' does.
        resumePattern = next;
        resumeText = t;
        p = next;
        continue;
      }
      if (t < ATextLength && ((!escaped && c == AOneChar) || AText[t] == c)) {
        ++t;
        p = next;
        continue;
      }
    } else if (t == ATextLength) {
      return true;
    }
    if (resumePattern < 0 || resumeText >= ATextLength) return false;
    t = ++resumeText;
    p = resumePattern;
  }
}

void cxFoldDoubledWildcards(std::string& AText, char AWildcard) {
  std::string folded;
  folded.reserve(AText.size());
  for (char c : AText)
    if (c != AWildcard || folded.empty() || folded.back() != AWildcard) folded += c;
  AText = std::move(folded);
}

Byte cxStripLikeWildcards(std::string& APattern, char AManyChar) {
  cxFoldDoubledWildcards(APattern, AManyChar);
  if (APattern.size() < 2) return 0;
  Byte result = 0;
  bool trailing = APattern.back() == AManyChar;
  if (APattern.front() == AManyChar) {
    APattern.erase(0, 1);
    result = 2;
  }
  if (trailing) {
    APattern.pop_back();
    result += 1;
  }
  return result;
}

std::string cxExtractSemicolonItem(const std::string& AText, Integer& APos) {
  if (APos < 1 || static_cast<size_t>(APos) > AText.size()) return std::string();
  size_t start = static_cast<size_t>(APos) - 1;
  size_t semicolon = AText.find(';', start);
  size_t end = semicolon == std::string::npos ? AText.size() : semicolon;
  APos = static_cast<Integer>(end) + 2;
  return Trim(AText.substr(start, end - start));
}

namespace {

[[noreturn]] void abstractError() { throw EAbstractError("Abstract Error"); }

[[noreturn]] void streamReadError() { throw EReadError(cxGetResourceString(&scxDataStreamReadError)); }

std::string filterText(const TResStringRec& AText) { return cxGetFilterResourceString(&AText); }

// An ordering of two values that raises EVariantError when the values have none (a text
// that is no number beside a number ...). The shared three-way comparison gives such pairs
// an arbitrary fixed order, which suits sorting but would let "less than 5" pick out every
// text; a filter condition must rather fail, so that fcoSoftCompare decides. Null comes
// first and equals only Null; arrays compare element by element as in the shared comparison.
Integer compareForFilter(const Variant& A, const Variant& B) {
  if (VarIsArray(A) || VarIsArray(B)) return cxCompareVariants(A, B);
  if (A == B) return 0;
  if (VarIsNull(A)) return -1;
  if (VarIsNull(B)) return 1;
  return A >= B ? 1 : -1;
}

// A text between single quotes, its own quotes doubled, as the expression syntax reads it.
std::string quotedText(const std::string& S) {
  std::string result = "'";
  for (char c : S) {
    if (c == '\'') result += '\'';
    result += c;
  }
  return result + "'";
}

bool isNotKind(TcxFilterBoolOperatorKind AKind) { return AKind == fboNotAnd || AKind == fboNotOr; }

// Arrays of this system start at 0; the elements from the low to the high bound.
std::vector<Variant> arrayElements(const Variant& V) {
  std::vector<Variant> result;
  Integer low = VarArrayLowBound(V, 1), high = VarArrayHighBound(V, 1);
  for (Integer i = low; i <= high; ++i) result.push_back(VarArrayGet(V, {i}));
  return result;
}

// The ';'-separated items of a display value, trimmed.
std::vector<std::string> semicolonItems(const std::string& AText) {
  std::vector<std::string> result;
  Integer pos = 1;
  while (static_cast<size_t>(pos) <= AText.size()) result.push_back(cxExtractSemicolonItem(AText, pos));
  return result;
}

// A list's stream nesting is bounded so that a crafted stream cannot exhaust the stack.
constexpr Integer kMaxListNesting = 256;

}  // namespace

// =======================================================================================
// The tree
// =======================================================================================

RTL_IMPLEMENT_CLASS(TcxCustomFilterCriteriaItem)

void TcxCustomFilterCriteriaItem::BeforeDestruction() {
  if (FParent) FParent->RemoveItem(this);
  TObject::BeforeDestruction();
}

void TcxCustomFilterCriteriaItem::Changed() {
  if (TcxFilterCriteria* criteria = GetCriteria()) criteria->Changed();
}

TcxFilterCriteria* TcxCustomFilterCriteriaItem::GetCriteria() { return FParent ? FParent->GetCriteria() : nullptr; }

void TcxCustomFilterCriteriaItem::ReadData(TStream*) {}

void TcxCustomFilterCriteriaItem::WriteData(TStream* AStream) { cxStreamWriteByte(AStream, IsItemList() ? 1 : 0); }

RTL_IMPLEMENT_CLASS(TcxFilterCriteriaItemList)

TcxFilterCriteriaItemList::TcxFilterCriteriaItemList(TcxFilterCriteriaItemList* AParent, TcxFilterCriteria* ACriteria,
                                                     TcxFilterBoolOperatorKind ABoolOperatorKind)
    : TcxCustomFilterCriteriaItem(AParent), FCriteria(ACriteria), FBoolOperatorKind(ABoolOperatorKind) {}

TcxFilterCriteriaItemList::~TcxFilterCriteriaItemList() {
  // Each child takes itself out of the list as it goes (see BeforeDestruction).
  while (!FItems.empty()) FreeObject(FItems.back().get());
}

TcxFilterCriteria* TcxFilterCriteriaItemList::GetCriteria() {
  return Parent() ? TcxCustomFilterCriteriaItem::GetCriteria() : FCriteria;
}

void TcxFilterCriteriaItemList::WriteData(TStream* AStream) {
  TcxCustomFilterCriteriaItem::WriteData(AStream);
  cxStreamWriteByte(AStream, static_cast<Byte>(FBoolOperatorKind));
  cxStreamWriteInt32(AStream, Count());
  for (auto& item : FItems) item->WriteData(AStream);
}

TcxFilterCriteriaItem* TcxFilterCriteriaItemList::AddItem(TObject* AItemLink, TcxFilterOperatorKind AOperatorKind,
                                                          const Variant& AValue, const std::string& ADisplayValue) {
  TcxFilterCriteria* criteria = GetCriteria();
  // Only a list taken out of its tree has no criteria to make conditions.
  if (!criteria) throw EInvalidOperation("The filter list belongs to no criteria");
  return criteria->AddItem(this, AItemLink, AOperatorKind, AValue, ADisplayValue);
}

TcxFilterCriteriaItemList* TcxFilterCriteriaItemList::AddItemList(TcxFilterBoolOperatorKind ABoolOperatorKind) {
  FItems.emplace_back(New<TcxFilterCriteriaItemList>(this, nullptr, ABoolOperatorKind));
  auto* list = static_cast<TcxFilterCriteriaItemList*>(FItems.back().get());
  Changed();
  return list;
}

void TcxFilterCriteriaItemList::Clear() {
  UpdateLock<TcxFilterCriteria> lock(GetCriteria());
  while (!FItems.empty()) FreeObject(FItems.back().get());
}

void TcxFilterCriteriaItemList::RemoveItem(TcxCustomFilterCriteriaItem* AItem) {
  auto it = std::find_if(FItems.begin(), FItems.end(), [AItem](const auto& p) { return p.get() == AItem; });
  if (it == FItems.end()) return;
  (void)it->release();
  FItems.erase(it);
  // The node no longer belongs here: it must not reach back into this list (which may be
  // freed before it) when it is freed or moved later.
  AItem->FParent = nullptr;
  Changed();
}

void TcxFilterCriteriaItemList::SetBoolOperatorKind(TcxFilterBoolOperatorKind Value) {
  if (FBoolOperatorKind == Value) return;
  FBoolOperatorKind = Value;
  Changed();
}

TcxCustomFilterCriteriaItem* TcxFilterCriteriaItemList::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) return nullptr;
  return FItems[static_cast<size_t>(AIndex)].get();
}

void TcxFilterCriteriaItemList::adopt(TcxCustomFilterCriteriaItem* AItem) {
  if (AItem->FParent) AItem->FParent->RemoveItem(AItem);
  AItem->FParent = this;
  FItems.emplace_back(AItem);
  Changed();
}

RTL_IMPLEMENT_CLASS(TcxFilterCriteriaItem)

TcxFilterCriteriaItem::TcxFilterCriteriaItem(const TCreateArgs* Args)
    : TcxCustomFilterCriteriaItem(Args->Parent),
      FItemLink(Args->ItemLink),
      FOperatorKind(Args->OperatorKind),
      FValue(Args->Value),
      FDisplayValue(Args->DisplayValue) {}

TcxFilterCriteriaItem::~TcxFilterCriteriaItem() = default;

void TcxFilterCriteriaItem::AfterConstruction() {
  TcxCustomFilterCriteriaItem::AfterConstruction();
  RecreateOperator();
  if (FDisplayValue.empty() && Is<TcxFilterNullOperator>(FOperator.get()))
    FDisplayValue = filterText(scxFilterBlankCaption);
}

void TcxFilterCriteriaItem::WriteData(TStream* AStream) {
  TcxCustomFilterCriteriaItem::WriteData(AStream);
  cxStreamWriteByte(AStream, static_cast<Byte>(FOperatorKind));
  cxStreamWriteString(AStream, FDisplayValue);
  TcxFilterCriteria* criteria = GetCriteria();
  cxStreamWriteInt32(AStream, criteria ? criteria->GetIDByItemLink(ItemLink()) : -1);
  cxStreamWriteVariant(AStream, FValue);
}

Variant TcxFilterCriteriaItem::GetDataValue(Integer) { abstractError(); }

std::string TcxFilterCriteriaItem::GetDisplayValue() { return FOperator->PrepareDisplayValue(FDisplayValue); }

std::string TcxFilterCriteriaItem::GetValueText(bool ACaption) {
  return ACaption ? GetDisplayValue() : FOperator->ValueToFilterText(FValue);
}

std::string TcxFilterCriteriaItem::GetFieldCaption() { abstractError(); }

std::string TcxFilterCriteriaItem::GetFieldName() { abstractError(); }

TClass TcxFilterCriteriaItem::GetOperatorClass() {
  switch (FOperatorKind) {
    case foEqual:
    case foLike:
      if (IsNullValue()) return cxFilterNullOperatorClass();
      break;
    case foNotEqual:
    case foNotLike:
      if (IsNullValue()) return cxFilterNotNullOperatorClass();
      break;
    default:
      break;
  }
  return cxFilterOperatorClass(FOperatorKind);
}

TObject* TcxFilterCriteriaItem::GetItemLink() { return FItemLink; }

void TcxFilterCriteriaItem::RecreateOperator() {
  FOperator.reset();
  TObject* made = GetOperatorClass()->CreateInstance(this);
  FOperator.reset(As<TcxFilterOperator>(made));
  Changed();
}

bool TcxFilterCriteriaItem::IsNullValue() {
  TcxFilterCriteria* criteria = GetCriteria();
  return criteria ? criteria->IsNullValue(FValue) : VarIsNull(FValue);
}

// =======================================================================================
// Operators
// =======================================================================================

RTL_IMPLEMENT_CLASS(TcxFilterOperator)

TcxFilterCriteria* TcxFilterOperator::Criteria() const { return FCriteriaItem->GetCriteria(); }

std::string TcxFilterOperator::GetExpressionText(const Variant&) { return std::string(); }

std::string TcxFilterOperator::ValueToFilterText(const Variant& AValue) {
  std::string text;
  if (GetCustomValueText(AValue, text)) return text;
  TcxFilterCriteria* criteria = Criteria();
  if (VarIsNull(AValue))
    text = "NULL";
  else if (cxIsDateTimeVariant(AValue))
    text = quotedText(criteria->DateTimeToText(AValue));
  else if (VarIsStr(AValue))
    text = quotedText(AValue.AsString());
  else if (VarType(AValue) == varBoolean)
    text = criteria->ValueToText(AValue);
  else
    text = VarToStr(AValue);
  criteria->FormatFilterTextValue(FCriteriaItem, AValue, text);
  return text;
}

std::string TcxFilterOperator::PrepareDisplayValue(const std::string& AText) { return AText; }

void TcxFilterOperator::Prepare() {}

bool TcxFilterOperator::GetCustomValueText(const Variant&, std::string&) { return false; }

bool TcxFilterOperator::Evaluate(const Variant&, const Variant&) { abstractError(); }

std::string TcxFilterOperator::GetDescription() { return std::string(); }

std::string TcxFilterOperator::GetSymbol() { abstractError(); }

// --- Equal and NotEqual.

RTL_IMPLEMENT_CLASS(TcxFilterEqualOperator)

bool TcxFilterEqualOperator::Evaluate(const Variant& R, const Variant& V) { return cxCompareVariants(R, V) == 0; }

std::string TcxFilterEqualOperator::GetDescription() { return filterText(scxFilterOperatorEqual); }

bool TcxFilterEqualOperator::UsesExpressionText() { return VarIsArray(CriteriaItem()->Value()); }

std::string TcxFilterEqualOperator::GetExpressionText(const Variant& AValue) {
  std::vector<std::string> names;
  std::string fields = CriteriaItem()->GetFieldName();
  Integer pos = 1;
  while (static_cast<size_t>(pos) <= fields.size()) names.push_back(cxExtractSemicolonItem(fields, pos));
  std::string text;
  std::vector<Variant> values = arrayElements(AValue);
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += " AND ";
    text += "(" + (i < names.size() ? names[i] : std::string()) + " = " + ValueToFilterText(values[i]) + ")";
  }
  return text;
}

RTL_IMPLEMENT_CLASS(TcxFilterNotEqualOperator)

bool TcxFilterNotEqualOperator::Evaluate(const Variant& R, const Variant& V) {
  return !TcxFilterEqualOperator::Evaluate(R, V);
}

std::string TcxFilterNotEqualOperator::GetDescription() { return filterText(scxFilterOperatorNotEqual); }

std::string TcxFilterNotEqualOperator::GetExpressionText(const Variant& AValue) {
  return "NOT (" + TcxFilterEqualOperator::GetExpressionText(AValue) + ")";
}

// --- Ordering.

RTL_IMPLEMENT_CLASS(TcxFilterLessOperator)
bool TcxFilterLessOperator::Evaluate(const Variant& R, const Variant& V) { return compareForFilter(R, V) < 0; }
std::string TcxFilterLessOperator::GetDescription() { return filterText(scxFilterOperatorLess); }

RTL_IMPLEMENT_CLASS(TcxFilterLessEqualOperator)
bool TcxFilterLessEqualOperator::Evaluate(const Variant& R, const Variant& V) { return compareForFilter(R, V) <= 0; }
std::string TcxFilterLessEqualOperator::GetDescription() { return filterText(scxFilterOperatorLessEqual); }

RTL_IMPLEMENT_CLASS(TcxFilterGreaterOperator)
bool TcxFilterGreaterOperator::Evaluate(const Variant& R, const Variant& V) { return compareForFilter(R, V) > 0; }
std::string TcxFilterGreaterOperator::GetDescription() { return filterText(scxFilterOperatorGreater); }

RTL_IMPLEMENT_CLASS(TcxFilterGreaterEqualOperator)
bool TcxFilterGreaterEqualOperator::Evaluate(const Variant& R, const Variant& V) {
  return compareForFilter(R, V) >= 0;
}
std::string TcxFilterGreaterEqualOperator::GetDescription() { return filterText(scxFilterOperatorGreaterEqual); }

// --- Like and NotLike.

RTL_IMPLEMENT_CLASS(TcxFilterLikeOperator)

bool TcxFilterLikeOperator::Evaluate(const Variant& R, const Variant& V) {
  TcxFilterCriteria* criteria = Criteria();
  return cxLike(VarToStr(R), VarToStr(V), criteria->PercentWildcard(), criteria->UnderscoreWildcard());
}

Byte TcxFilterLikeOperator::PatternKind() {
  std::string pattern = VarToStr(CriteriaItem()->Value());
  return cxStripLikeWildcards(pattern, Criteria()->PercentWildcard());
}

std::string TcxFilterLikeOperator::GetDescription() {
  static const TResStringRec* const texts[] = {&scxFilterOperatorLike, &scxFilterOperatorBeginsWith,
                                               &scxFilterOperatorEndsWith, &scxFilterOperatorContains};
  return filterText(*texts[PatternKind()]);
}

std::string TcxFilterLikeOperator::PrepareDisplayValue(const std::string& AText) {
  TcxFilterCriteria* criteria = Criteria();
  if (!criteria->Options().Contains(fcoShowOperatorDescription)) return AText;
  std::string text = AText;
  cxStripLikeWildcards(text, criteria->PercentWildcard());
  return text;
}

RTL_IMPLEMENT_CLASS(TcxFilterNotLikeOperator)

bool TcxFilterNotLikeOperator::Evaluate(const Variant& R, const Variant& V) {
  return !TcxFilterLikeOperator::Evaluate(R, V);
}

std::string TcxFilterNotLikeOperator::GetDescription() {
  static const TResStringRec* const texts[] = {&scxFilterOperatorNotLike, &scxFilterOperatorDoesNotBeginWith,
                                               &scxFilterOperatorDoesNotEndWith, &scxFilterOperatorDoesNotContain};
  return filterText(*texts[PatternKind()]);
}

// --- Between and NotBetween.

RTL_IMPLEMENT_CLASS(TcxFilterBetweenOperator)

bool TcxFilterBetweenOperator::Evaluate(const Variant& R, const Variant& V) {
  return compareForFilter(V[0], R) <= 0 && compareForFilter(R, V[1]) <= 0;
}

std::string TcxFilterBetweenOperator::GetDescription() { return filterText(scxFilterOperatorBetween); }

bool TcxFilterBetweenOperator::UsesExpressionText() { return Criteria()->TranslateBetween(); }

std::string TcxFilterBetweenOperator::GetExpressionText(const Variant& AValue) {
  std::string field = CriteriaItem()->GetFieldName();
  return "(" + ValueToFilterText(AValue[0]) + " <= " + field + ") AND (" + field +
         " <= " + ValueToFilterText(AValue[1]) + ")";
}

bool TcxFilterBetweenOperator::GetCustomValueText(const Variant& AValue, std::string& AText) {
  if (!VarIsArray(AValue)) return false;
  AText = ValueToFilterText(AValue[0]) + " AND " + ValueToFilterText(AValue[1]);
  return true;
}

std::string TcxFilterBetweenOperator::PrepareDisplayValue(const std::string& AText) {
  Integer pos = 1;
  std::string low = cxExtractSemicolonItem(AText, pos);
  std::string high = cxExtractSemicolonItem(AText, pos);
  return low + " " + filterText(scxFilterAndCaption) + " " + high;
}

RTL_IMPLEMENT_CLASS(TcxFilterNotBetweenOperator)

bool TcxFilterNotBetweenOperator::Evaluate(const Variant& R, const Variant& V) {
  return !TcxFilterBetweenOperator::Evaluate(R, V);
}

std::string TcxFilterNotBetweenOperator::GetDescription() { return filterText(scxFilterOperatorNotBetween); }

std::string TcxFilterNotBetweenOperator::GetExpressionText(const Variant& AValue) {
  return "NOT (" + TcxFilterBetweenOperator::GetExpressionText(AValue) + ")";
}

// --- InList and NotInList.

RTL_IMPLEMENT_CLASS(TcxFilterInListOperator)

bool TcxFilterInListOperator::Evaluate(const Variant& R, const Variant& V) {
  // An element that cannot be compared with R (a text beside a number) is simply not R, as
  // for an equal condition; it must neither fail the whole list nor hide a later element
  // that is R.
  if (!VarIsArray(V)) return cxVariantsCompareEqual(R, V);
  Integer low = VarArrayLowBound(V, 1), high = VarArrayHighBound(V, 1);
  for (Integer i = low; i <= high; ++i)
    if (cxVariantsCompareEqual(R, VarArrayGet(V, {i}))) return true;
  return false;
}

std::string TcxFilterInListOperator::GetDescription() { return filterText(scxFilterOperatorInList); }

bool TcxFilterInListOperator::UsesExpressionText() { return Criteria()->TranslateIn(); }

std::string TcxFilterInListOperator::GetExpressionText(const Variant& AValue) {
  std::string field = CriteriaItem()->GetFieldName();
  std::vector<Variant> values = VarIsArray(AValue) ? arrayElements(AValue) : std::vector<Variant>{AValue};
  std::string text;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += " OR ";
    text += "(" + field + " = " + ValueToFilterText(values[i]) + ")";
  }
  return text;
}

bool TcxFilterInListOperator::GetCustomValueText(const Variant& AValue, std::string& AText) {
  if (!VarIsArray(AValue)) return false;
  AText = "(";
  std::vector<Variant> values = arrayElements(AValue);
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) AText += ", ";
    AText += ValueToFilterText(values[i]);
  }
  AText += ")";
  return true;
}

std::string TcxFilterInListOperator::PrepareDisplayValue(const std::string& AText) {
  std::string text = "(";
  std::vector<std::string> items = semicolonItems(AText);
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += ", ";
    text += items[i];
  }
  return text + ")";
}

RTL_IMPLEMENT_CLASS(TcxFilterNotInListOperator)

bool TcxFilterNotInListOperator::Evaluate(const Variant& R, const Variant& V) {
  return !TcxFilterInListOperator::Evaluate(R, V);
}

std::string TcxFilterNotInListOperator::GetDescription() { return filterText(scxFilterOperatorNotInList); }

std::string TcxFilterNotInListOperator::GetExpressionText(const Variant& AValue) {
  return "NOT (" + TcxFilterInListOperator::GetExpressionText(AValue) + ")";
}

// --- Null and NotNull.

RTL_IMPLEMENT_CLASS(TcxFilterNullOperator)

bool TcxFilterNullOperator::Evaluate(const Variant& R, const Variant&) { return Criteria()->IsNullValue(R); }

std::string TcxFilterNullOperator::GetDescription() { return filterText(scxFilterOperatorIsNull); }

std::string TcxFilterNullOperator::PrepareDisplayValue(const std::string& AText) {
  return Criteria()->Options().Contains(fcoShowOperatorDescription) ? std::string() : AText;
}

RTL_IMPLEMENT_CLASS(TcxFilterNotNullOperator)

bool TcxFilterNotNullOperator::Evaluate(const Variant& R, const Variant& V) {
  return !TcxFilterNullOperator::Evaluate(R, V);
}

std::string TcxFilterNotNullOperator::GetDescription() { return filterText(scxFilterOperatorIsNotNull); }

// --- Date ranges.

RTL_IMPLEMENT_CLASS(TcxFilterDateOperator)

void TcxFilterDateOperator::Prepare() {
  TDateTime today = cxDatePart(Criteria()->CurrentDate());
  CalculateRange(today, FRangeStart, FRangeEnd);
  FPreparedDate = today;
}

void TcxFilterDateOperator::ensureCurrentRange() {
  if (cxDatePart(Criteria()->CurrentDate()) != FPreparedDate) Prepare();
}

bool TcxFilterDateOperator::Evaluate(const Variant& R, const Variant&) {
  if (Criteria()->IsNullValue(R)) return false;
  ensureCurrentRange();
  return VarFromDateTime(FRangeStart) <= R && R < VarFromDateTime(FRangeEnd);
}

std::string TcxFilterDateOperator::GetExpressionText(const Variant&) {
  ensureCurrentRange();
  std::string field = CriteriaItem()->GetFieldName();
  return "(" + ValueToFilterText(VarFromDateTime(FRangeStart)) + " <= " + field + ") AND (" + field + " < " +
         ValueToFilterText(VarFromDateTime(FRangeEnd)) + ")";
}

namespace {

TDateTime firstOfMonth(TDateTime ADate, Integer AMonthsAhead) {
  Word year, month, day;
  DecodeDate(ADate, year, month, day);
  Integer index = Integer(year) * 12 + (month - 1) + AMonthsAhead;
  return EncodeDate(static_cast<Word>(index / 12), static_cast<Word>(index % 12 + 1), 1);
}

TDateTime firstOfYear(TDateTime ADate, Integer AYearsAhead) {
  Word year, month, day;
  DecodeDate(ADate, year, month, day);
  return EncodeDate(static_cast<Word>(year + AYearsAhead), 1, 1);
}

}  // namespace

#define CX_FILTER_DATE_OPERATOR_IMPL(Name, Text, StartExpr, EndExpr)                                  \
  RTL_IMPLEMENT_CLASS(Name)                                                                           \
  std::string Name::GetDescription() { return filterText(Text); }                                     \
  void Name::CalculateRange(TDateTime AToday, TDateTime& AStart, TDateTime& AEnd) {                   \
    AStart = (StartExpr);                                                                             \
    AEnd = (EndExpr);                                                                                 \
  }
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterYesterdayOperator, scxFilterOperatorYesterday, AToday - 1, AToday)
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterTodayOperator, scxFilterOperatorToday, AToday, AToday + 1)
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterTomorrowOperator, scxFilterOperatorTomorrow, AToday + 1, AToday + 2)
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterLastWeekOperator, scxFilterOperatorLastWeek, cxStartOfWeek(AToday) - 7,
                             AStart + 7)
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterThisWeekOperator, scxFilterOperatorThisWeek, cxStartOfWeek(AToday), AStart + 7)
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterNextWeekOperator, scxFilterOperatorNextWeek, cxStartOfWeek(AToday) + 7,
                             AStart + 7)
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterLastMonthOperator, scxFilterOperatorLastMonth, firstOfMonth(AToday, -1),
                             firstOfMonth(AToday, 0))
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterThisMonthOperator, scxFilterOperatorThisMonth, firstOfMonth(AToday, 0),
                             firstOfMonth(AToday, 1))
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterNextMonthOperator, scxFilterOperatorNextMonth, firstOfMonth(AToday, 1),
                             firstOfMonth(AToday, 2))
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterLastYearOperator, scxFilterOperatorLastYear, firstOfYear(AToday, -1),
                             firstOfYear(AToday, 0))
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterThisYearOperator, scxFilterOperatorThisYear, firstOfYear(AToday, 0),
                             firstOfYear(AToday, 1))
CX_FILTER_DATE_OPERATOR_IMPL(TcxFilterNextYearOperator, scxFilterOperatorNextYear, firstOfYear(AToday, 1),
                             firstOfYear(AToday, 2))
#undef CX_FILTER_DATE_OPERATOR_IMPL

TClass cxFilterOperatorClass(TcxFilterOperatorKind AKind) {
  static const TClass classes[] = {
      TcxFilterEqualOperator::StaticClass(),       TcxFilterNotEqualOperator::StaticClass(),
      TcxFilterLessOperator::StaticClass(),        TcxFilterLessEqualOperator::StaticClass(),
      TcxFilterGreaterOperator::StaticClass(),     TcxFilterGreaterEqualOperator::StaticClass(),
      TcxFilterLikeOperator::StaticClass(),        TcxFilterNotLikeOperator::StaticClass(),
      TcxFilterBetweenOperator::StaticClass(),     TcxFilterNotBetweenOperator::StaticClass(),
      TcxFilterInListOperator::StaticClass(),      TcxFilterNotInListOperator::StaticClass(),
      TcxFilterYesterdayOperator::StaticClass(),   TcxFilterTodayOperator::StaticClass(),
      TcxFilterTomorrowOperator::StaticClass(),    TcxFilterLastWeekOperator::StaticClass(),
      TcxFilterLastMonthOperator::StaticClass(),   TcxFilterLastYearOperator::StaticClass(),
      TcxFilterThisWeekOperator::StaticClass(),    TcxFilterThisMonthOperator::StaticClass(),
      TcxFilterThisYearOperator::StaticClass(),    TcxFilterNextWeekOperator::StaticClass(),
      TcxFilterNextMonthOperator::StaticClass(),   TcxFilterNextYearOperator::StaticClass(),
  };
  static_assert(sizeof(classes) / sizeof(classes[0]) == foNextYear + 1);
  return classes[AKind];
}

TClass cxFilterNullOperatorClass() { return TcxFilterNullOperator::StaticClass(); }
TClass cxFilterNotNullOperatorClass() { return TcxFilterNotNullOperator::StaticClass(); }

// =======================================================================================
// The criteria
// =======================================================================================

RTL_BEGIN_CLASS(TcxFilterCriteria)
  using T = TcxFilterCriteria;
  b.Property("MaxValueListCount", &T::MaxValueListCount, &T::SetMaxValueListCount).Default(0);
  b.Property("Options", &T::Options, &T::SetOptions).Default(TcxFilterCriteriaOptions{});
  b.Property("PercentWildcard", &T::PercentWildcard, &T::SetPercentWildcard).Default(Int64('%'));
  b.Property("UnderscoreWildcard", &T::UnderscoreWildcard, &T::SetUnderscoreWildcard).Default(Int64('_'));
  b.Property("OnChanged", &T::OnChanged, &T::SetOnChanged);
RTL_END_CLASS

TcxFilterCriteria::TcxFilterCriteria() : FRoot(New<TcxFilterCriteriaItemList>(nullptr, this, fboAnd)) {}

TcxFilterCriteria::~TcxFilterCriteria() {
  // The nodes tell of their removal as they go; nobody is to hear of it any more.
  ++FLockCount;
  FRoot.reset();
}

void TcxFilterCriteria::BeginUpdate() { ++FLockCount; }

void TcxFilterCriteria::EndUpdate() {
  --FLockCount;
  CheckChanges();
}

void TcxFilterCriteria::Clear() {
  UpdateLock<TcxFilterCriteria> lock(this);
  FRoot->Clear();
  FRoot->SetBoolOperatorKind(fboAnd);
}

TClass TcxFilterCriteria::GetItemClass() { return TcxFilterCriteriaItem::StaticClass(); }

TcxFilterCriteriaItem* TcxFilterCriteria::AddItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                                  TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                                  const std::string& ADisplayValue) {
  UpdateLock<TcxFilterCriteria> lock(this);
  TcxFilterCriteriaItemList* parent = AParent ? AParent : FRoot.get();
  TcxFilterCriteriaItem::TCreateArgs args{parent, AItemLink, AOperatorKind, AValue, ADisplayValue};
  TObjectPtr<TcxFilterCriteriaItem> item(As<TcxFilterCriteriaItem>(GetItemClass()->CreateInstance(&args)));
  parent->FItems.emplace_back(item.release());
  auto* result = static_cast<TcxFilterCriteriaItem*>(parent->FItems.back().get());
  parent->Changed();
  return result;
}

TcxFilterCriteriaItem* TcxFilterCriteria::FindItemByItemLink(TObject* AItemLink) {
  std::function<TcxFilterCriteriaItem*(TcxFilterCriteriaItemList*)> find =
      [&](TcxFilterCriteriaItemList* AList) -> TcxFilterCriteriaItem* {
    for (Integer i = 0; i < AList->Count(); ++i) {
      TcxCustomFilterCriteriaItem* node = AList->Items(i);
      if (node->IsItemList()) {
        if (TcxFilterCriteriaItem* found = find(static_cast<TcxFilterCriteriaItemList*>(node))) return found;
      } else if (auto* item = static_cast<TcxFilterCriteriaItem*>(node); item->ItemLink() == AItemLink) {
        return item;
      }
    }
    return nullptr;
  };
  return find(FRoot.get());
}

void TcxFilterCriteria::RemoveItemByItemLink(TObject* AItemLink) {
  UpdateLock<TcxFilterCriteria> lock(this);
  while (TcxFilterCriteriaItem* item = FindItemByItemLink(AItemLink)) {
    TcxFilterCriteriaItemList* parent = item->Parent();
    FreeObject(item);
    if (parent == FRoot.get()) continue;
    if (parent->Count() == 0) {
      FreeObject(parent);
    } else if (parent->Count() == 1 && !isNotKind(parent->BoolOperatorKind())) {
      // A one-child And or Or list means its child: the child takes the list's place at
      // the end of the grandparent. A NotAnd or NotOr list negates its one child and stays.
      parent->Parent()->adopt(parent->Items(0));
      FreeObject(parent);
    }
  }
}

bool TcxFilterCriteria::IsEmpty() const { return FRoot->Count() == 0; }

void TcxFilterCriteria::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxFilterCriteria*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  UpdateLock<TcxFilterCriteria> lock(this);
  SetDateTimeFormat(source->DateTimeFormat());
  SetMaxValueListCount(source->MaxValueListCount());
  SetOptions(source->Options());
  SetPercentWildcard(source->PercentWildcard());
  SetTranslateBetween(source->TranslateBetween());
  SetTranslateIn(source->TranslateIn());
  SetSupportedLike(source->SupportedLike());
  SetUnderscoreWildcard(source->UnderscoreWildcard());
  AssignItems(source);
  CopyEventHandlers(source);
}

void TcxFilterCriteria::AssignItems(TcxFilterCriteria* Source) {
  UpdateLock<TcxFilterCriteria> lock(this);
  TMemoryStream stream;
  Source->WriteData(&stream);
  stream.SetPosition(0);
  Clear();
  ReadData(&stream);
}

void TcxFilterCriteria::CopyEventHandlers(TcxFilterCriteria* Source) { FOnChanged = Source->OnChanged(); }

void TcxFilterCriteria::RestoreDefaults() {
  UpdateLock<TcxFilterCriteria> lock(this);
  SetOptions(TcxFilterCriteriaOptions{});
  SetPercentWildcard('%');
  SetSupportedLike(true);
  SetTranslateBetween(false);
  SetTranslateIn(false);
  SetUnderscoreWildcard('_');
}

Integer TcxFilterCriteria::GetIDByItemLink(TObject*) { abstractError(); }

TObject* TcxFilterCriteria::GetItemLinkByID(Integer) { abstractError(); }

bool TcxFilterCriteria::EvaluateRecord(Integer ARecordIndex) { return evaluateList(FRoot.get(), ARecordIndex); }

bool TcxFilterCriteria::evaluateList(TcxFilterCriteriaItemList* AList, Integer ARecordIndex) {
  // Every child is evaluated (no short cut), so that a descendant's value hooks see every
  // condition of every record.
  bool result = true;
  TcxFilterBoolOperatorKind kind = AList->BoolOperatorKind();
  for (Integer i = 0; i < AList->Count(); ++i) {
    TcxCustomFilterCriteriaItem* node = AList->Items(i);
    bool c = node->IsItemList() ? evaluateList(static_cast<TcxFilterCriteriaItemList*>(node), ARecordIndex)
                                : evaluateItem(static_cast<TcxFilterCriteriaItem*>(node), ARecordIndex);
    if (i == 0) {
      result = isNotKind(kind) ? !c : c;
      continue;
    }
    switch (kind) {
      case fboAnd: result = result && c; break;
      case fboOr: result = result || c; break;
      case fboNotAnd: result = result || !c; break;
      case fboNotOr: result = result && !c; break;
    }
  }
  return result;
}

bool TcxFilterCriteria::evaluateItem(TcxFilterCriteriaItem* AItem, Integer ARecordIndex) {
  try {
    Variant r = PrepareValue(AItem->GetDataValue(ARecordIndex));
    Variant v = PrepareValue(AItem->Value());
    return AItem->Operator()->Evaluate(r, v);
  } catch (const EVariantError&) {
    if (FOptions.Contains(fcoSoftCompare)) return false;
    throw;
  }
}

bool TcxFilterCriteria::IsNullValue(const Variant& AValue) {
  return FOptions.Contains(fcoSoftNull) ? cxIsVariantNullOrEmpty(AValue) : VarIsNull(AValue);
}

Variant TcxFilterCriteria::PrepareValue(const Variant& AValue) {
  // The values of a list, a range or a condition over several fields are prepared one by
  // one, so that "in ('Ana', 'Bruno')" finds 'ANA' under fcoCaseInsensitive as "= 'Ana'" does.
  if (VarIsArray(AValue)) {
    std::vector<Variant> elements = arrayElements(AValue);
    for (Variant& element : elements) element = PrepareValue(element);
    return VarArrayOf(elements);
  }
  TVarType type = VarType(AValue);
  if (type == varCurrency) return Variant(AValue.AsDouble());
  if (VarIsStr(AValue) && FOptions.Contains(fcoCaseInsensitive)) {
    std::string upper = AnsiUpperCase(AValue.AsString());
    return type == varOleStr ? Variant::MakeOleStr(std::move(upper)) : Variant(std::move(upper));
  }
  return AValue;
}

TDateTime TcxFilterCriteria::CurrentDate() { return Date(); }

void TcxFilterCriteria::SetOptions(TcxFilterCriteriaOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  Changed();
}

void TcxFilterCriteria::SetPercentWildcard(char Value) {
  if (FPercentWildcard == Value) return;
  FPercentWildcard = Value;
  Changed();
}

void TcxFilterCriteria::SetUnderscoreWildcard(char Value) {
  if (FUnderscoreWildcard == Value) return;
  FUnderscoreWildcard = Value;
  Changed();
}

void TcxFilterCriteria::SetDateTimeFormat(const std::string& Value) {
  if (FDateTimeFormat == Value) return;
  FDateTimeFormat = Value;
  Changed();
}

void TcxFilterCriteria::Changed() {
  FChanged = true;
  CheckChanges();
}

void TcxFilterCriteria::CheckChanges() {
  if (FLockCount != 0 || !FChanged) return;
  FChanged = false;
  DoChanged();
}

void TcxFilterCriteria::DoChanged() {
  RefreshOperators();
  if (FOnChanged) FOnChanged(this);
}

void TcxFilterCriteria::RefreshOperators() {
  std::function<void(TcxFilterCriteriaItemList*)> refresh = [&](TcxFilterCriteriaItemList* AList) {
    for (Integer i = 0; i < AList->Count(); ++i) {
      TcxCustomFilterCriteriaItem* node = AList->Items(i);
      if (node->IsItemList())
        refresh(static_cast<TcxFilterCriteriaItemList*>(node));
      else
        static_cast<TcxFilterCriteriaItem*>(node)->Operator()->Prepare();
    }
  };
  refresh(FRoot.get());
}

// --- Texts.

std::string TcxFilterCriteria::GetFilterText() { return BuildFilterText(false); }

std::string TcxFilterCriteria::GetFilterCaption() { return BuildFilterText(true); }

std::string TcxFilterCriteria::BuildFilterText(bool ACaption) { return listText(FRoot.get(), ACaption); }

std::string TcxFilterCriteria::listText(TcxFilterCriteriaItemList* AList, bool ACaption) {
  bool andKind = AList->BoolOperatorKind() == fboAnd || AList->BoolOperatorKind() == fboNotAnd;
  std::string word = ACaption ? filterText(andKind ? scxFilterAndCaption : scxFilterOrCaption) : (andKind ? "AND" : "OR");
  std::string text;
  for (Integer i = 0; i < AList->Count(); ++i) {
    TcxCustomFilterCriteriaItem* node = AList->Items(i);
    std::string child;
    if (node->IsItemList()) {
      child = listText(static_cast<TcxFilterCriteriaItemList*>(node), ACaption);
      // An empty list says nothing; "()" would not be a valid expression.
      if (child.empty()) continue;
    } else {
      child = GetItemText(static_cast<TcxFilterCriteriaItem*>(node), ACaption);
    }
    if (!text.empty()) text += " " + word + " ";
    text += "(" + child + ")";
  }
  // Also for a not-kind: an empty list filters nothing out, and 'NOT ()' is no expression.
  if (text.empty() || !isNotKind(AList->BoolOperatorKind())) return text;
  return (ACaption ? filterText(scxFilterNotCaption) : std::string("NOT")) + " (" + text + ")";
}

std::string TcxFilterCriteria::GetItemText(TcxFilterCriteriaItem* AItem, bool ACaption) {
  if (!ACaption && AItem->Operator()->UsesExpressionText()) return AItem->Operator()->GetExpressionText(AItem->Value());
  std::string value = GetValueText(AItem, ACaption);
  std::string text = GetItemLinkName(AItem, ACaption) + " " + GetOperatorText(AItem, ACaption);
  if (!value.empty()) text += " " + value;
  return text;
}

std::string TcxFilterCriteria::GetItemLinkName(TcxFilterCriteriaItem* AItem, bool ACaption) {
  return ACaption ? AItem->GetFieldCaption() : AItem->GetFieldName();
}

std::string TcxFilterCriteria::GetOperatorText(TcxFilterCriteriaItem* AItem, bool ACaption) {
  TcxFilterOperator* op = AItem->Operator();
  if (ACaption && (op->AlwaysUseDescription() || FOptions.Contains(fcoShowOperatorDescription)))
    return op->GetDescription();
  return op->GetSymbol();
}

std::string TcxFilterCriteria::GetValueText(TcxFilterCriteriaItem* AItem, bool ACaption) {
  return AItem->GetValueText(ACaption);
}

std::string TcxFilterCriteria::ValueToText(const Variant& AValue) { return VarToStr(AValue); }

std::string TcxFilterCriteria::DateTimeToText(const Variant& AValue) {
  if (FDateTimeFormat.empty()) return VarToStr(AValue);
  return FormatDateTime(FDateTimeFormat, VarToDateTime(AValue));
}

void TcxFilterCriteria::FormatFilterTextValue(TcxFilterCriteriaItem*, const Variant&, std::string&) {}

// --- Streams.

void TcxFilterCriteria::WriteData(TStream* AStream) {
  cxStreamWriteInt32(AStream, -1);
  cxStreamWriteByte(AStream, static_cast<Byte>(FRoot->BoolOperatorKind()));
  cxStreamWriteInt32(AStream, FRoot->Count());
  for (Integer i = 0; i < FRoot->Count(); ++i) FRoot->Items(i)->WriteData(AStream);
}

void TcxFilterCriteria::ReadData(TStream* AStream) {
  UpdateLock<TcxFilterCriteria> lock(this);
  // The tree is read aside, under a detached root, and takes the place of the current one
  // only when the whole stream has been read: a short or corrupt stream leaves the criteria
  // as they were (and unchanged as far as the change notification is concerned).
  bool wasChanged = FChanged;
  ScopeExit restoreFlag([&] { FChanged = wasChanged; });
  TObjectPtr<TcxFilterCriteriaItemList> scratch(New<TcxFilterCriteriaItemList>(nullptr, this, fboAnd));
  Integer count = cxStreamReadInt32(AStream);
  if (count == -1) {
    Byte kind = cxStreamReadByte(AStream);
    if (kind > fboNotOr) streamReadError();
    scratch->FBoolOperatorKind = static_cast<TcxFilterBoolOperatorKind>(kind);
    count = cxStreamReadInt32(AStream);
  }
  readNodes(AStream, scratch.get(), count, 0);
  restoreFlag.Dismiss();

  Clear();
  FRoot->SetBoolOperatorKind(scratch->BoolOperatorKind());
  while (scratch->Count() > 0) FRoot->adopt(scratch->Items(0));
}

void TcxFilterCriteria::readNodes(TStream* AStream, TcxFilterCriteriaItemList* AList, Integer ACount, Integer ADepth) {
  if (ACount < 0 || ADepth >= kMaxListNesting) streamReadError();
  for (Integer i = 0; i < ACount; ++i) {
    TcxCustomFilterCriteriaItem* node;
    if (cxStreamReadByte(AStream) != 0) {
      Byte kind = cxStreamReadByte(AStream);
      if (kind > fboNotOr) streamReadError();
      TcxFilterCriteriaItemList* list = AList->AddItemList(static_cast<TcxFilterBoolOperatorKind>(kind));
      readNodes(AStream, list, cxStreamReadInt32(AStream), ADepth + 1);
      node = list;
    } else {
      Byte kind = cxStreamReadByte(AStream);
      if (kind > foNextYear) streamReadError();
      std::string displayValue = cxStreamReadString(AStream);
      TObject* itemLink = GetItemLinkByID(cxStreamReadInt32(AStream));
      Variant value = cxStreamReadVariant(AStream);
      node = AList->AddItem(itemLink, static_cast<TcxFilterOperatorKind>(kind), value, displayValue);
    }
    node->ReadData(AStream);
  }
}

void TcxFilterCriteria::SaveToStream(TStream* AStream) {
  TObjectPtr<TFilterWrapper> wrapper(New<TFilterWrapper>(nullptr));
  wrapper->SetFilter(this);
  AStream->WriteComponent(wrapper.get());
}

void TcxFilterCriteria::LoadFromStream(TStream* AStream) {
  UpdateLock<TcxFilterCriteria> lock(this);
  TObjectPtr<TFilterWrapper> wrapper(New<TFilterWrapper>(nullptr));
  wrapper->SetFilter(this);
  AStream->ReadComponent(wrapper.get());
}

// =======================================================================================
// Component streaming
// =======================================================================================

RTL_BEGIN_CLASS(TFilterWrapper)
  b.Property("Filter", &TFilterWrapper::Filter, &TFilterWrapper::SetFilter);
RTL_END_CLASS
