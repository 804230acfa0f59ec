// The repository items of the editor kinds and the registries of default items.
#include "cx/editors/extra/cxEditRepositoryItems.h"

#include <algorithm>
#include <limits>

#include "platform/rtl/TypInfo.h"

// ---------------------------------------------------------------------------------------
// Repository items.

#define PUBLISH_TYPED_PROPERTIES(T)                                                                \
  RTL_BEGIN_CLASS(T)                                                                               \
    b.Property("Properties", &T::Properties, &T::SetProperties);                                   \
  RTL_END_CLASS

PUBLISH_TYPED_PROPERTIES(TcxEditRepositoryTextItem)
PUBLISH_TYPED_PROPERTIES(TcxEditRepositoryComboBoxItem)
PUBLISH_TYPED_PROPERTIES(TcxEditRepositoryMaskItem)
PUBLISH_TYPED_PROPERTIES(TcxEditRepositoryPopupItem)
PUBLISH_TYPED_PROPERTIES(TcxEditRepositorySpinItem)
PUBLISH_TYPED_PROPERTIES(TcxEditRepositoryMemoItem)
PUBLISH_TYPED_PROPERTIES(TcxEditRepositoryCheckBoxItem)
PUBLISH_TYPED_PROPERTIES(TcxEditRepositoryRadioGroupItem)

#undef PUBLISH_TYPED_PROPERTIES

namespace {

// The item classes forms can stream.
std::vector<TClass> repositoryItemClasses() {
  return {TcxEditRepositoryItem::StaticClass(),         TcxEditRepositoryTextItem::StaticClass(),
          TcxEditRepositoryComboBoxItem::StaticClass(), TcxEditRepositoryMaskItem::StaticClass(),
          TcxEditRepositoryPopupItem::StaticClass(),    TcxEditRepositorySpinItem::StaticClass(),
          TcxEditRepositoryMemoItem::StaticClass(),     TcxEditRepositoryCheckBoxItem::StaticClass(),
          TcxEditRepositoryRadioGroupItem::StaticClass()};
}

// Three-way comparison of a wanted (key, priority) with a record's, in the lists'
// descending order: negative means the record comes before the wanted place.
int compareWanted(RegistryKey AKey, Integer APriority, RegistryKey ARecordKey, Integer ARecordPriority) {
  if (AKey != ARecordKey) return AKey < ARecordKey ? -1 : 1;
  if (APriority == std::numeric_limits<Integer>::max() || APriority == ARecordPriority) return 0;
  return APriority < ARecordPriority ? -1 : 1;
}

constexpr Integer anyPriority = std::numeric_limits<Integer>::max();
// The priority of the start-up registrations.
constexpr Integer startupPriority = -1;

TcxEditDataRegisteredRepositoryItems* dataRegistry = nullptr;
TcxEditDBRegisteredRepositoryItems* dbRegistry = nullptr;

}  // namespace

// ---------------------------------------------------------------------------------------
// TcxEditRegisteredRepositoryItems.

RTL_BEGIN_CLASS(TcxEditRegisteredRepositoryItems)
  b.Interface<IcxEditRepositoryItemListener>();
RTL_END_CLASS

void TcxEditRegisteredRepositoryItems::BeforeDestruction() {
  FDestroying = true;
  TcxInterfacedPersistent::BeforeDestruction();
}

TcxEditRegisteredRepositoryItems::~TcxEditRegisteredRepositoryItems() {
  FDestroying = true;
  clearList(FDefaultList);
  clearList(FKeyedList);
}

bool TcxEditRegisteredRepositoryItems::FindRecord(const RecordList& AList, RegistryKey AKey, Integer APriority,
                                                   Integer& AIndex) const {
  Integer low = 0;
  Integer high = static_cast<Integer>(AList.size()) - 1;
  while (low <= high) {
    Integer middle = low + (high - low) / 2;
    const Record& record = AList[static_cast<size_t>(middle)];
    int difference = compareWanted(AKey, APriority, record.Key, record.Priority);
    if (difference == 0) {
      AIndex = middle;
      return true;
    }
    if (difference < 0) low = middle + 1;
    else high = middle - 1;
  }
  AIndex = low;
  return false;
}

TcxEditRepositoryItem* TcxEditRegisteredRepositoryItems::GetDefaultItem() {
  return FDefaultList.empty() ? nullptr : FDefaultList.front().Item;
}

TcxEditRepositoryItem* TcxEditRegisteredRepositoryItems::GetItem(RegistryKey AKey) {
  Integer index;
  if (AKey == 0 || !FindRecord(FKeyedList, AKey, anyPriority, index)) return GetDefaultItem();
  // The search may land on any record of the key; the first holds its highest priority.
  while (index > 0 && FKeyedList[static_cast<size_t>(index - 1)].Key == AKey) --index;
  return FKeyedList[static_cast<size_t>(index)].Item;
}

Integer TcxEditRegisteredRepositoryItems::InsertItem(RecordList& AList, RegistryKey AKey,
                                                     TcxEditRepositoryItem* AItem, Integer APriority) {
  Integer index;
  if (FindRecord(AList, AKey, APriority, index)) return index;
  // A record without an item would answer queries with nothing.
  if (!AItem) return -1;
  AList.insert(AList.begin() + index, Record{AKey, APriority, AItem});
  AItem->AddListener(this);
  Changed();
  return index;
}

void TcxEditRegisteredRepositoryItems::RegisterDefaultItem(Integer APriority, TcxEditRepositoryItem* AItem) {
  InsertItem(FDefaultList, 0, AItem, APriority);
}

void TcxEditRegisteredRepositoryItems::RegisterItem(RegistryKey AKey, Integer APriority,
                                                    TcxEditRepositoryItem* AItem) {
  InsertItem(FKeyedList, AKey, AItem, APriority);
}

void TcxEditRegisteredRepositoryItems::UnregisterDefaultItem(Integer APriority) {
  unregisterFrom(FDefaultList, 0, APriority);
}

void TcxEditRegisteredRepositoryItems::UnregisterItem(RegistryKey AKey, Integer APriority) {
  unregisterFrom(FKeyedList, AKey, APriority);
}

void TcxEditRegisteredRepositoryItems::unregisterFrom(RecordList& AList, RegistryKey AKey, Integer APriority) {
  Integer index;
  if (!FindRecord(AList, AKey, APriority, index)) return;
  deleteRecord(AList, static_cast<size_t>(index));
  Changed();
}

void TcxEditRegisteredRepositoryItems::deleteRecord(RecordList& AList, size_t AIndex) {
  TcxEditRepositoryItem* item = AList[AIndex].Item;
  AList.erase(AList.begin() + static_cast<std::ptrdiff_t>(AIndex));
  // The same item may stand under several keys; it must keep telling us when it goes
  // while any of them remains.
  if (!hasRecordOf(item)) item->RemoveListener(this);
}

bool TcxEditRegisteredRepositoryItems::listHolds(const RecordList& AList, TcxEditRepositoryItem* AItem) {
  return std::any_of(AList.begin(), AList.end(), [AItem](const Record& r) { return r.Item == AItem; });
}

bool TcxEditRegisteredRepositoryItems::hasRecordOf(TcxEditRepositoryItem* AItem) const {
  return listHolds(FDefaultList, AItem) || listHolds(FKeyedList, AItem);
}

void TcxEditRegisteredRepositoryItems::removeItemFrom(RecordList& AList, TcxEditRepositoryItem* AItem) {
  // The item is going away and forgets its listeners itself.
  for (size_t i = AList.size(); i-- > 0;)
    if (AList[i].Item == AItem) AList.erase(AList.begin() + static_cast<std::ptrdiff_t>(i));
}

void TcxEditRegisteredRepositoryItems::RemoveItem(TcxEditRepositoryItem* AItem) {
  removeItemFrom(FDefaultList, AItem);
  removeItemFrom(FKeyedList, AItem);
}

void TcxEditRegisteredRepositoryItems::clearList(RecordList& AList) {
  while (!AList.empty()) deleteRecord(AList, AList.size() - 1);
}

// ---------------------------------------------------------------------------------------
// TcxEditDataRegisteredRepositoryItems.

RTL_IMPLEMENT_CLASS(TcxEditDataRegisteredRepositoryItems)

TcxEditRepositoryItem* TcxEditDataRegisteredRepositoryItems::GetItemByValueType(TcxValueTypeClass AValueTypeClass) {
  return GetItem(reinterpret_cast<RegistryKey>(AValueTypeClass));
}

// ---------------------------------------------------------------------------------------
// TcxEditDBRegisteredRepositoryItems.

RTL_IMPLEMENT_CLASS(TcxEditDBRegisteredRepositoryItems)

TcxEditDBRegisteredRepositoryItems::~TcxEditDBRegisteredRepositoryItems() {
  clearList(FLookupList);
  clearList(FCurrencyList);
}

bool TcxEditDBRegisteredRepositoryItems::isCurrencyField(TField* AField) {
  if (!dynamic_cast<TNumericField*>(AField) || !IsPublishedProp(AField, "currency")) return false;
  Variant value = GetPropValue(AField, "currency", false);
  return VarType(value) == varBoolean && value.AsBoolean();
}

TcxEditRepositoryItem* TcxEditDBRegisteredRepositoryItems::firstOrDefault(const RecordList& AList) {
  return AList.empty() ? GetDefaultItem() : AList.front().Item;
}

TcxEditRepositoryItem* TcxEditDBRegisteredRepositoryItems::GetItemForField(TField* AField) {
  if (!AField) return GetDefaultItem();
  if (AField->FieldKind() == fkLookup) return firstOrDefault(FLookupList);
  if (isCurrencyField(AField)) return firstOrDefault(FCurrencyList);
  return GetItem(static_cast<RegistryKey>(AField->DataType()));
}

void TcxEditDBRegisteredRepositoryItems::registerCurrencyItem(Integer APriority, TcxEditRepositoryItem* AItem) {
  InsertItem(FCurrencyList, 0, AItem, APriority);
}

void TcxEditDBRegisteredRepositoryItems::registerLookupItem(Integer APriority, TcxEditRepositoryItem* AItem) {
  InsertItem(FLookupList, 0, AItem, APriority);
}

void TcxEditDBRegisteredRepositoryItems::RemoveItem(TcxEditRepositoryItem* AItem) {
  inherited::RemoveItem(AItem);
  removeItemFrom(FLookupList, AItem);
  removeItemFrom(FCurrencyList, AItem);
}

bool TcxEditDBRegisteredRepositoryItems::hasRecordOf(TcxEditRepositoryItem* AItem) const {
  return inherited::hasRecordOf(AItem) || listHolds(FLookupList, AItem) || listHolds(FCurrencyList, AItem);
}

// ---------------------------------------------------------------------------------------
// The registries and their start-up filling.

namespace {

TcxEditRepositoryItem* newDefaultItem(TClass AItemClass) {
  return cxGetDefaultEditRepository()->CreateItem(AItemClass);
}

// The value types keyed here; the others show as text through the default item (the
// currency and date editors are not among the kinds built here).
const std::vector<std::pair<TcxValueTypeClass, TClass>>& dataKeyedItems() {
  static const std::vector<std::pair<TcxValueTypeClass, TClass>> items = {
      {TcxBooleanValueType::Instance(), TcxEditRepositoryCheckBoxItem::StaticClass()},
  };
  return items;
}

void fillDataRegistry(TcxEditDataRegisteredRepositoryItems* ARegistry) {
  ARegistry->RegisterDefaultItem(startupPriority, newDefaultItem(TcxEditRepositoryTextItem::StaticClass()));
  for (const auto& [valueType, itemClass] : dataKeyedItems())
    ARegistry->RegisterItem(reinterpret_cast<RegistryKey>(valueType), startupPriority, newDefaultItem(itemClass));
}

// The field types keyed here; every other type, currency numbers and lookup fields take the
// default mask item (the date, time, BLOB, image, currency and lookup editors are not
// among the kinds built here).
const std::vector<std::pair<TFieldType, TClass>>& dbKeyedItems() {
  static const std::vector<std::pair<TFieldType, TClass>> items = {
      {ftBoolean, TcxEditRepositoryCheckBoxItem::StaticClass()},
      {ftMemo, TcxEditRepositoryMemoItem::StaticClass()},
  };
  return items;
}

void fillDBRegistry(TcxEditDBRegisteredRepositoryItems* ARegistry) {
  ARegistry->RegisterDefaultItem(startupPriority, newDefaultItem(TcxEditRepositoryMaskItem::StaticClass()));
  for (const auto& [fieldType, itemClass] : dbKeyedItems())
    ARegistry->RegisterItem(static_cast<RegistryKey>(fieldType), startupPriority, newDefaultItem(itemClass));
}

}  // namespace

TcxEditDataRegisteredRepositoryItems* cxGetEditDataRegisteredRepositoryItems() {
  if (!dataRegistry) {
    dataRegistry = New<TcxEditDataRegisteredRepositoryItems>(nullptr);
    fillDataRegistry(dataRegistry);
  }
  return dataRegistry;
}

TcxEditDBRegisteredRepositoryItems* cxGetEditDBRegisteredRepositoryItems() {
  if (!dbRegistry) {
    dbRegistry = New<TcxEditDBRegisteredRepositoryItems>(nullptr);
    fillDBRegistry(dbRegistry);
  }
  return dbRegistry;
}

namespace cxEditRepositoryItemsUnit {

void Initialize() {
  RegisterClasses(repositoryItemClasses());
  cxGetEditDataRegisteredRepositoryItems();
  cxGetEditDBRegisteredRepositoryItems();
}

void Finalize() {
  // The items stay in the default repository, which frees them after us.
  if (dataRegistry) {
    dataRegistry->UnregisterDefaultItem(startupPriority);
    for (const auto& entry : dataKeyedItems())
      dataRegistry->UnregisterItem(reinterpret_cast<RegistryKey>(entry.first), startupPriority);
    FreeAndNil(dataRegistry);
  }
  if (dbRegistry) {
    dbRegistry->UnregisterDefaultItem(startupPriority);
    for (const auto& entry : dbKeyedItems())
      dbRegistry->UnregisterItem(static_cast<RegistryKey>(entry.first), startupPriority);
    FreeAndNil(dbRegistry);
  }
  UnRegisterClasses(repositoryItemClasses());
}

}  // namespace cxEditRepositoryItemsUnit
