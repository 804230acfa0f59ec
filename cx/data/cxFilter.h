#pragma once
// Filter criteria: a tree of conditions over the items of some record source, the LIKE
// matching its conditions use, and the tree's expression text, caption text and binary
// stream.
//
// Sections, in order:
//   LIKE matching          cxLike, cxLikeMatch and the caption helpers for LIKE patterns
//   kinds and options      Boolean kinds, operator kinds, criteria options
//   the tree               TcxCustomFilterCriteriaItem, TcxFilterCriteriaItemList,
//                          TcxFilterCriteriaItem (one condition)
//   operators              TcxFilterOperator and one class per operator kind
//   the criteria           TcxFilterCriteria: building, evaluating, texts and streams
//   component streaming    TFilterWrapper
//
// The criteria know nothing about where records come from: a condition asks its own
// GetDataValue for the value of its item in a record, and the criteria ask GetIDByItemLink
// and GetItemLinkByID to turn an item into a stream ID and back. A descendant binds these
// to a real record source.

#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variants.h"

// =======================================================================================
// LIKE matching
// =======================================================================================
//
// Texts and patterns are 8-bit strings compared byte by byte, with no notion of case (the
// criteria upper-case both sides first when they filter without regard to case). The
// many-char wildcard stands for any run of characters, the empty run included, wherever it
// stands in the pattern; the one-char wildcard for exactly one character.

// Whether AText matches APattern, with no escape character.
bool cxLike(const std::string& AText, const std::string& APattern, char AManyChar, char AOneChar);
// The matcher under cxLike, over buffers with explicit lengths. AEscapeChar 0 means none;
// otherwise it makes the pattern character after it literal (a wildcard or the escape
// character itself) and matches nothing of its own, so an escape at the very end of the
// pattern is ignored. The time taken grows with the product of the two lengths at worst,
// whatever the number of wildcards.
bool cxLikeMatch(const char* AText, Integer ATextLength, const char* APattern, char AEscapeChar, char AOneChar,
                 char AManyChar, Integer APatternLength);
// Replaces every run of AWildcard characters in AText by a single one.
void cxFoldDoubledWildcards(std::string& AText, char AWildcard);
// Folds runs of the many-char wildcard in APattern, then strips a leading and a trailing
// one (only when the folded pattern has two characters or more) and says what was stripped:
// 0 nothing ("like"), 1 the trailing one ("begins with"), 2 the leading one ("ends with"),
// 3 both ("contains"). Wildcards inside the pattern and the one-char wildcard stay.
Byte cxStripLikeWildcards(std::string& APattern, char AManyChar);

// Splits one ';'-separated item off AText from the 1-based position APos: the text up to the
// next ';' (or the end), trimmed; APos moves past that ';'. Past the end of AText the item
// is empty and APos stays.
std::string cxExtractSemicolonItem(const std::string& AText, Integer& APos);

// =======================================================================================
// Kinds and options
// =======================================================================================

// How a list combines its children: fboNotAnd is not (a and b ...), fboNotOr not (a or b ...).
RTL_ENUM(TcxFilterBoolOperatorKind, fboAnd, fboOr, fboNotAnd, fboNotOr)

// The operator of a condition (stored as one byte; the order is the stored one).
RTL_ENUM(TcxFilterOperatorKind, foEqual, foNotEqual, foLess, foLessEqual, foGreater, foGreaterEqual, foLike,
         foNotLike, foBetween, foNotBetween, foInList, foNotInList, foYesterday, foToday, foTomorrow, foLastWeek,
         foLastMonth, foLastYear, foThisWeek, foThisMonth, foThisYear, foNextWeek, foNextMonth, foNextYear)

// fcoCaseInsensitive: texts are upper-cased before every comparison; fcoShowOperatorDescription:
// captions use the operators' descriptions; fcoSoftNull: an empty text counts as null;
// fcoSoftCompare: a comparison the values cannot make makes the condition false instead of
// raising.
RTL_ENUM(TcxFilterCriteriaOption, fcoCaseInsensitive, fcoShowOperatorDescription, fcoSoftNull, fcoSoftCompare)
using TcxFilterCriteriaOptions = Set<TcxFilterCriteriaOption>;

class TcxFilterCriteria;
class TcxFilterCriteriaItemList;
class TcxFilterCriteriaItem;
class TcxFilterOperator;

// =======================================================================================
// The tree
// =======================================================================================

// A node of the tree. Freeing a node first takes it out of its parent's list (which tells
// the criteria of the change), so a node may be freed wherever it stands.
class TcxCustomFilterCriteriaItem : public TObject {
  RTL_DECLARE_CLASS(TcxCustomFilterCriteriaItem, TObject)
public:
  explicit TcxCustomFilterCriteriaItem(TcxFilterCriteriaItemList* AParent) : FParent(AParent) {}
  void BeforeDestruction() override;

  // The list holding this node; null for the root.
  TcxFilterCriteriaItemList* Parent() const { return FParent; }

  // Tells the criteria of the tree that something changed.
  virtual void Changed();
  // The criteria of the tree, reached through the parents; null for a node outside a tree.
  virtual TcxFilterCriteria* GetCriteria();
  virtual bool IsItemList() = 0;
  // Called after the node was read from a criteria stream: nothing here.
  virtual void ReadData(TStream* AStream);
  // Writes the node in the criteria stream form.
  virtual void WriteData(TStream* AStream);

private:
  TcxFilterCriteriaItemList* FParent;
  friend class TcxFilterCriteriaItemList;
};

// A list of nodes combined by one Boolean kind. It owns its children.
class TcxFilterCriteriaItemList : public TcxCustomFilterCriteriaItem {
  RTL_DECLARE_CLASS(TcxFilterCriteriaItemList, TcxCustomFilterCriteriaItem)
public:
  // ACriteria is given for the root only; other lists reach the criteria through AParent.
  TcxFilterCriteriaItemList(TcxFilterCriteriaItemList* AParent, TcxFilterCriteria* ACriteria,
                            TcxFilterBoolOperatorKind ABoolOperatorKind);
  ~TcxFilterCriteriaItemList() override;

  bool IsItemList() override { return true; }
  TcxFilterCriteria* GetCriteria() override;
  void WriteData(TStream* AStream) override;

  // A new condition as the last child, made by the criteria's factory.
  TcxFilterCriteriaItem* AddItem(TObject* AItemLink, TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                 const std::string& ADisplayValue);
  // A new empty list as the last child.
  TcxFilterCriteriaItemList* AddItemList(TcxFilterBoolOperatorKind ABoolOperatorKind);
  // Frees the children, the last first.
  void Clear();
  // Takes AItem out of the list without freeing it (it then has no parent); a change when
  // it was there.
  virtual void RemoveItem(TcxCustomFilterCriteriaItem* AItem);

  TcxFilterBoolOperatorKind BoolOperatorKind() const { return FBoolOperatorKind; }
  void SetBoolOperatorKind(TcxFilterBoolOperatorKind Value);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // Null for an index outside 0 .. Count - 1.
  TcxCustomFilterCriteriaItem* Items(Integer AIndex) const;

private:
  // Appends AItem, taken from whatever list held it, as the last child.
  void adopt(TcxCustomFilterCriteriaItem* AItem);

  TcxFilterCriteria* FCriteria;
  TcxFilterBoolOperatorKind FBoolOperatorKind;
  std::vector<TObjectPtr<TcxCustomFilterCriteriaItem>> FItems;
  friend class TcxFilterCriteria;
};

// One condition: item, operator, value. A changed condition is removed and added again;
// there are no setters.
class TcxFilterCriteriaItem : public TcxCustomFilterCriteriaItem {
  RTL_DECLARE_CLASS(TcxFilterCriteriaItem, TcxCustomFilterCriteriaItem)
public:
  struct TCreateArgs {
    TcxFilterCriteriaItemList* Parent;
    TObject* ItemLink;
    TcxFilterOperatorKind OperatorKind;
    Variant Value;
    std::string DisplayValue;
  };
  // The virtual constructor's argument: a class reference of a descendant builds one with
  // CreateInstance(&args). The operator is made in AfterConstruction, where the virtual
  // GetOperatorClass of the real class answers.
  using TConstructorArg = const TCreateArgs*;
  explicit TcxFilterCriteriaItem(const TCreateArgs* Args);
  ~TcxFilterCriteriaItem() override;
  void AfterConstruction() override;

  bool IsItemList() override { return false; }
  void WriteData(TStream* AStream) override;

  // The data item tested (for data criteria a data field).
  TObject* ItemLink() { return GetItemLink(); }
  TcxFilterOperatorKind OperatorKind() const { return FOperatorKind; }
  // An array of two values for Between/NotBetween, of n values for InList/NotInList, of one
  // value per field for a condition over several fields.
  const Variant& Value() const { return FValue; }
  const std::string& DisplayValue() const { return FDisplayValue; }
  TcxFilterOperator* Operator() const { return FOperator.get(); }

  // The value of the item link in a record (abstract here).
  virtual Variant GetDataValue(Integer ARecordIndex);
  // DisplayValue as the operator shows it.
  virtual std::string GetDisplayValue();
  // The value part of the condition's text: the display value in caption mode, else the
  // value as expression text.
  virtual std::string GetValueText(bool ACaption);
  // The item's caption and field name (abstract here).
  virtual std::string GetFieldCaption();
  virtual std::string GetFieldName();
  // The operator class: the null classes for an equal or like condition whose value is
  // null (not-null for their negations), otherwise the class of the kind.
  virtual TClass GetOperatorClass();
  virtual TObject* GetItemLink();
  // Replaces the operator by a new one of GetOperatorClass; a change.
  virtual void RecreateOperator();
  // Value is null by the criteria's null test.
  virtual bool IsNullValue();

private:
  TObject* FItemLink;
  TcxFilterOperatorKind FOperatorKind;
  Variant FValue;
  std::string FDisplayValue;
  TObjectPtr<TcxFilterOperator> FOperator;
};

// =======================================================================================
// Operators
// =======================================================================================

// The operator of one condition: evaluation and the condition's texts. R is the record's
// value and V the condition's, both prepared by the criteria (TcxFilterCriteria::PrepareValue).
class TcxFilterOperator : public TObject {
  RTL_DECLARE_CLASS(TcxFilterOperator, TObject)
public:
  using TConstructorArg = TcxFilterCriteriaItem*;
  explicit TcxFilterOperator(TcxFilterCriteriaItem* ACriteriaItem) : FCriteriaItem(ACriteriaItem) {}

  TcxFilterCriteriaItem* CriteriaItem() const { return FCriteriaItem; }
  TcxFilterCriteria* Criteria() const;

  // The whole condition as expression text, for operators whose UsesExpressionText holds.
  virtual std::string GetExpressionText(const Variant& AValue);
  // A value as expression text: GetCustomValueText's, else by the value's kind (NULL, a
  // quoted date, a quoted text with its quotes doubled, a Boolean's text, the value's
  // text), then passed through the criteria's FormatFilterTextValue.
  virtual std::string ValueToFilterText(const Variant& AValue);
  // The display value as the caption shows it.
  virtual std::string PrepareDisplayValue(const std::string& AText);
  // Work done before evaluating (the date operators compute their range): nothing here.
  virtual void Prepare();
  // Whether this operator writes AValue's text itself (into AText).
  virtual bool GetCustomValueText(const Variant& AValue, std::string& AText);
  // Whether the record's value R meets the condition's value V (abstract here).
  virtual bool Evaluate(const Variant& R, const Variant& V);
  virtual std::string GetDescription();
  // The operator's symbol in expression texts (abstract here).
  virtual std::string GetSymbol();
  virtual bool AlwaysUseDescription() { return false; }
  virtual bool UsesExpressionText() { return false; }

private:
  TcxFilterCriteriaItem* FCriteriaItem;
};

class TcxFilterEqualOperator : public TcxFilterOperator {
  RTL_DECLARE_CLASS(TcxFilterEqualOperator, TcxFilterOperator)
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return "="; }
  // A condition over several fields (an array value) is written out field by field.
  bool UsesExpressionText() override;
  std::string GetExpressionText(const Variant& AValue) override;
};

class TcxFilterNotEqualOperator : public TcxFilterEqualOperator {
  RTL_DECLARE_CLASS(TcxFilterNotEqualOperator, TcxFilterEqualOperator)
public:
  using TcxFilterEqualOperator::TcxFilterEqualOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return "<>"; }
  std::string GetExpressionText(const Variant& AValue) override;
};

// The ordering operators. Values that have no order between them (a text that is no number
// beside a number ...) make the comparison fail with EVariantError, which the criteria turn
// into "false" under fcoSoftCompare; they never count as less or greater. Null comes before
// every other value.
class TcxFilterLessOperator : public TcxFilterOperator {
  RTL_DECLARE_CLASS(TcxFilterLessOperator, TcxFilterOperator)
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return "<"; }
};

class TcxFilterLessEqualOperator : public TcxFilterOperator {
  RTL_DECLARE_CLASS(TcxFilterLessEqualOperator, TcxFilterOperator)
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return "<="; }
};

class TcxFilterGreaterOperator : public TcxFilterOperator {
  RTL_DECLARE_CLASS(TcxFilterGreaterOperator, TcxFilterOperator)
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return ">"; }
};

class TcxFilterGreaterEqualOperator : public TcxFilterOperator {
  RTL_DECLARE_CLASS(TcxFilterGreaterEqualOperator, TcxFilterOperator)
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return ">="; }
};

// Both sides as text, matched with the criteria's wildcards.
class TcxFilterLikeOperator : public TcxFilterOperator {
  RTL_DECLARE_CLASS(TcxFilterLikeOperator, TcxFilterOperator)
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  // "like", "begins with", "ends with" or "contains", by the pattern's wildcards.
  std::string GetDescription() override;
  std::string GetSymbol() override { return "LIKE"; }
  std::string PrepareDisplayValue(const std::string& AText) override;

protected:
  // The kind of the condition's pattern (cxStripLikeWildcards).
  Byte PatternKind();
};

class TcxFilterNotLikeOperator : public TcxFilterLikeOperator {
  RTL_DECLARE_CLASS(TcxFilterNotLikeOperator, TcxFilterLikeOperator)
public:
  using TcxFilterLikeOperator::TcxFilterLikeOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return "NOT LIKE"; }
};

// V is [low, high]; both ends belong to the range.
class TcxFilterBetweenOperator : public TcxFilterOperator {
  RTL_DECLARE_CLASS(TcxFilterBetweenOperator, TcxFilterOperator)
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return "BETWEEN"; }
  bool AlwaysUseDescription() override { return true; }
  bool UsesExpressionText() override;
  std::string GetExpressionText(const Variant& AValue) override;
  bool GetCustomValueText(const Variant& AValue, std::string& AText) override;
  std::string PrepareDisplayValue(const std::string& AText) override;
};

class TcxFilterNotBetweenOperator : public TcxFilterBetweenOperator {
  RTL_DECLARE_CLASS(TcxFilterNotBetweenOperator, TcxFilterBetweenOperator)
public:
  using TcxFilterBetweenOperator::TcxFilterBetweenOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return "NOT BETWEEN"; }
  std::string GetExpressionText(const Variant& AValue) override;
};

// V is an array of values; R must equal one of them. An element that cannot be compared
// with R is not equal to it (as for foEqual), whatever fcoSoftCompare says.
class TcxFilterInListOperator : public TcxFilterOperator {
  RTL_DECLARE_CLASS(TcxFilterInListOperator, TcxFilterOperator)
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return "IN"; }
  bool AlwaysUseDescription() override { return true; }
  bool UsesExpressionText() override;
  std::string GetExpressionText(const Variant& AValue) override;
  bool GetCustomValueText(const Variant& AValue, std::string& AText) override;
  std::string PrepareDisplayValue(const std::string& AText) override;
};

class TcxFilterNotInListOperator : public TcxFilterInListOperator {
  RTL_DECLARE_CLASS(TcxFilterNotInListOperator, TcxFilterInListOperator)
public:
  using TcxFilterInListOperator::TcxFilterInListOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return "NOT IN"; }
  std::string GetExpressionText(const Variant& AValue) override;
};

// "Is blank": the record's value is null by the criteria's null test (V is not looked at).
class TcxFilterNullOperator : public TcxFilterEqualOperator {
  RTL_DECLARE_CLASS(TcxFilterNullOperator, TcxFilterEqualOperator)
public:
  using TcxFilterEqualOperator::TcxFilterEqualOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  bool UsesExpressionText() override { return false; }
  std::string PrepareDisplayValue(const std::string& AText) override;
};

class TcxFilterNotNullOperator : public TcxFilterNullOperator {
  RTL_DECLARE_CLASS(TcxFilterNotNullOperator, TcxFilterNullOperator)
public:
  using TcxFilterNullOperator::TcxFilterNullOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  std::string GetDescription() override;
  std::string GetSymbol() override { return "<>"; }
};

// The date ranges: a non-null record value inside [RangeStart, RangeEnd). The range is
// computed from the criteria's current date by Prepare, and again whenever that date has
// moved on since, so that a filter on "today" follows the calendar.
class TcxFilterDateOperator : public TcxFilterOperator {
  RTL_DECLARE_CLASS(TcxFilterDateOperator, TcxFilterOperator)
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Evaluate(const Variant& R, const Variant& V) override;
  void Prepare() override;
  std::string GetSymbol() override { return GetDescription(); }
  bool UsesExpressionText() override { return true; }
  std::string GetExpressionText(const Variant& AValue) override;
  std::string PrepareDisplayValue(const std::string&) override { return std::string(); }

  TDateTime RangeStart() { return FRangeStart; }
  TDateTime RangeEnd() { return FRangeEnd; }

protected:
  // The range for the day AToday (a date at midnight).
  virtual void CalculateRange(TDateTime AToday, TDateTime& AStart, TDateTime& AEnd) = 0;

private:
  // Prepares again when the current date is not the one the range was computed for.
  void ensureCurrentRange();

  TDateTime FRangeStart = 0;
  TDateTime FRangeEnd = 0;
  TDateTime FPreparedDate = -1;  // the day the range belongs to; -1 before the first Prepare
};

#define CX_FILTER_DATE_OPERATOR(Name)                                                              \
  class Name : public TcxFilterDateOperator {                                                      \
    RTL_DECLARE_CLASS(Name, TcxFilterDateOperator)                                                 \
  public:                                                                                          \
    using TcxFilterDateOperator::TcxFilterDateOperator;                                            \
    std::string GetDescription() override;                                                         \
                                                                                                   \
  protected:                                                                                       \
    void CalculateRange(TDateTime AToday, TDateTime& AStart, TDateTime& AEnd) override;            \
  };
CX_FILTER_DATE_OPERATOR(TcxFilterYesterdayOperator)
CX_FILTER_DATE_OPERATOR(TcxFilterTodayOperator)
CX_FILTER_DATE_OPERATOR(TcxFilterTomorrowOperator)
CX_FILTER_DATE_OPERATOR(TcxFilterLastWeekOperator)
CX_FILTER_DATE_OPERATOR(TcxFilterLastMonthOperator)
CX_FILTER_DATE_OPERATOR(TcxFilterLastYearOperator)
CX_FILTER_DATE_OPERATOR(TcxFilterThisWeekOperator)
CX_FILTER_DATE_OPERATOR(TcxFilterThisMonthOperator)
CX_FILTER_DATE_OPERATOR(TcxFilterThisYearOperator)
CX_FILTER_DATE_OPERATOR(TcxFilterNextWeekOperator)
CX_FILTER_DATE_OPERATOR(TcxFilterNextMonthOperator)
CX_FILTER_DATE_OPERATOR(TcxFilterNextYearOperator)
#undef CX_FILTER_DATE_OPERATOR

// The operator class of each kind, and the pair used for null values.
TClass cxFilterOperatorClass(TcxFilterOperatorKind AKind);
TClass cxFilterNullOperatorClass();
TClass cxFilterNotNullOperatorClass();

// =======================================================================================
// The criteria
// =======================================================================================

class TcxFilterCriteria : public TPersistent {
  RTL_DECLARE_CLASS(TcxFilterCriteria, TPersistent)
public:
  // A root list of kind And, wildcards '%' and '_', SupportedLike set.
  TcxFilterCriteria();
  ~TcxFilterCriteria() override;

  TcxFilterCriteriaItemList* Root() const { return FRoot.get(); }

  // Changes inside an update bracket notify once, when the outermost bracket ends.
  void BeginUpdate();
  void EndUpdate();

  // Frees every condition and list and sets the root's kind to And.
  virtual void Clear();
  // A new condition of GetItemClass in AParent (the root when null), appended last.
  virtual TcxFilterCriteriaItem* AddItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                         TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                         const std::string& ADisplayValue);
  // The first condition on AItemLink, depth first in child order; null when none.
  TcxFilterCriteriaItem* FindItemByItemLink(TObject* AItemLink);
  // Frees every condition on AItemLink. A nested list left empty goes too; a nested And or
  // Or list left with one child gives that child to its own parent and goes. A NotAnd or
  // NotOr list left with one child stays, so that it still negates that child.
  void RemoveItemByItemLink(TObject* AItemLink);
  // The root has no children (its kind is not looked at).
  bool IsEmpty() const;

  // From another criteria: the settings, the tree (through the stream form, so item links
  // travel as IDs) and OnChanged. Other sources go to the inherited assignment.
  void Assign(TPersistent* Source) override;
  // Options [], wildcards '%' and '_', SupportedLike, no translation of BETWEEN and IN;
  // DateTimeFormat, MaxValueListCount and the tree stay.
  virtual void RestoreDefaults();

  // An ID for an item link and back (abstract here).
  virtual Integer GetIDByItemLink(TObject* AItemLink);
  virtual TObject* GetItemLinkByID(Integer AID);

  // Whether the record meets the whole tree. An EVariantError raised by a condition makes
  // that condition false under fcoSoftCompare and leaves the evaluation otherwise.
  bool EvaluateRecord(Integer ARecordIndex);
  // Null; with fcoSoftNull also an empty text.
  virtual bool IsNullValue(const Variant& AValue);
  // What both sides of a comparison become: a Currency a Double, a text its upper-case
  // form under fcoCaseInsensitive; anything else unchanged. The elements of an array are
  // prepared each (the result is an array from 0).
  virtual Variant PrepareValue(const Variant& AValue);
  // The day (at midnight) the date operators count from: today.
  virtual TDateTime CurrentDate();

  // --- Texts.
  // The expression text (field names and operator symbols, SQL-like) and the caption text
  // (captions, display values, descriptions on request).
  std::string GetFilterText();
  std::string GetFilterCaption();
  virtual std::string GetItemText(TcxFilterCriteriaItem* AItem, bool ACaption);
  virtual std::string GetItemLinkName(TcxFilterCriteriaItem* AItem, bool ACaption);
  virtual std::string GetOperatorText(TcxFilterCriteriaItem* AItem, bool ACaption);
  virtual std::string GetValueText(TcxFilterCriteriaItem* AItem, bool ACaption);
  // A Boolean's text; a date's text in DateTimeFormat (the variant's text when that is empty).
  virtual std::string ValueToText(const Variant& AValue);
  virtual std::string DateTimeToText(const Variant& AValue);
  // Lets a descendant change the expression text of one value: nothing here.
  virtual void FormatFilterTextValue(TcxFilterCriteriaItem* AItem, const Variant& AValue, std::string& AText);

  // --- Streams.
  // The binary criteria stream: the one stored form of the tree.
  virtual void WriteData(TStream* AStream);
  // Replaces the tree by the one in the stream. A stream that ends early or holds anything
  // outside the format raises EReadError and leaves the criteria as they were.
  virtual void ReadData(TStream* AStream);
  // The published properties (and what a descendant defines beside them) in the component
  // stream form, carried by a TFilterWrapper.
  void SaveToStream(TStream* AStream);
  void LoadFromStream(TStream* AStream);

  // --- Properties.
  Integer MaxValueListCount() const { return FMaxValueListCount; }
  void SetMaxValueListCount(Integer Value) { FMaxValueListCount = Value; }
  TcxFilterCriteriaOptions Options() const { return FOptions; }
  void SetOptions(TcxFilterCriteriaOptions Value);
  char PercentWildcard() const { return FPercentWildcard; }
  void SetPercentWildcard(char Value);
  char UnderscoreWildcard() const { return FUnderscoreWildcard; }
  void SetUnderscoreWildcard(char Value);
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }
  const std::string& DateTimeFormat() const { return FDateTimeFormat; }
  void SetDateTimeFormat(const std::string& Value);
  bool SupportedLike() const { return FSupportedLike; }
  void SetSupportedLike(bool Value) { FSupportedLike = Value; }
  bool TranslateBetween() const { return FTranslateBetween; }
  void SetTranslateBetween(bool Value) { FTranslateBetween = Value; }
  bool TranslateIn() const { return FTranslateIn; }
  void SetTranslateIn(bool Value) { FTranslateIn = Value; }

  // Sets the changed flag and runs CheckChanges.
  virtual void Changed();
  // Runs DoChanged when not locked and changed (clearing the flag first).
  void CheckChanges();

protected:
  // Refreshes the operators and fires OnChanged.
  virtual void DoChanged();
  // Prepare on every condition's operator.
  void RefreshOperators();
  virtual TClass GetItemClass();
  // Clears, then reads Source's stream form.
  virtual void AssignItems(TcxFilterCriteria* Source);
  virtual void CopyEventHandlers(TcxFilterCriteria* Source);
  virtual std::string BuildFilterText(bool ACaption);

private:
  bool evaluateList(TcxFilterCriteriaItemList* AList, Integer ARecordIndex);
  bool evaluateItem(TcxFilterCriteriaItem* AItem, Integer ARecordIndex);
  std::string listText(TcxFilterCriteriaItemList* AList, bool ACaption);
  void readNodes(TStream* AStream, TcxFilterCriteriaItemList* AList, Integer ACount, Integer ADepth);

  TObjectPtr<TcxFilterCriteriaItemList> FRoot;
  Integer FLockCount = 0;
  bool FChanged = false;
  Integer FMaxValueListCount = 0;
  TcxFilterCriteriaOptions FOptions;
  char FPercentWildcard = '%';
  char FUnderscoreWildcard = '_';
  TNotifyEvent FOnChanged;
  std::string FDateTimeFormat;
  bool FSupportedLike = true;
  bool FTranslateBetween = false;
  bool FTranslateIn = false;
};

// =======================================================================================
// Component streaming
// =======================================================================================

// Carries a criteria object through the component stream form: its one published
// property, Filter, is the criteria (not owned).
class TFilterWrapper : public TComponent {
  RTL_DECLARE_CLASS(TFilterWrapper, TComponent)
public:
  using TComponent::TComponent;
  TcxFilterCriteria* Filter() const { return FFilter; }
  void SetFilter(TcxFilterCriteria* Value) { FFilter = Value; }

private:
  TcxFilterCriteria* FFilter = nullptr;
};
