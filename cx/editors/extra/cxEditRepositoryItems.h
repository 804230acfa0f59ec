#pragma once
// cxEditRepositoryItems: the repository items of the editor kinds (one properties object of
// that kind each, shared by the editors and grid items that name the item) and the two
// process-wide registries that give an item without its own editor a default one: by the
// value type of an unbound item, and by the data-set field of a bound one.
#include <cstdint>
#include <vector>

#include "cx/data/cxDataStorage.h"
#include "cx/editors/cxCheckBox.h"
#include "cx/editors/cxDropDownEdit.h"
#include "cx/editors/cxEdit.h"
#include "cx/editors/cxMaskEdit.h"
#include "cx/editors/cxMemo.h"
#include "cx/editors/cxSpinEdit.h"
#include "cx/editors/cxTextEdit.h"
#include "cx/editors/extra/cxRadioGroup.h"
#include "platform/data/DB.h"

// ---------------------------------------------------------------------------------------
// Repository items by editor kind.

// The shared part of every kind's item: the properties class it creates, and Properties
// typed with that class (reading checks the cast; writing copies the given object's
// settings into the item's own object, which stays the item's).
template <class TProperties>
class RepositoryItemOf : public TcxEditRepositoryItem {
public:
  explicit RepositoryItemOf(TComponent* AOwner) : TcxEditRepositoryItem(AOwner) {}
  TClass GetEditPropertiesClass() override { return TProperties::StaticClass(); }
  TProperties* Properties() const { return As<TProperties>(TcxEditRepositoryItem::Properties()); }
  void SetProperties(TProperties* Value) { TcxEditRepositoryItem::SetProperties(Value); }
};

class TcxEditRepositoryTextItem : public RepositoryItemOf<TcxTextEditProperties> {
  RTL_DECLARE_CLASS(TcxEditRepositoryTextItem, TcxEditRepositoryItem)
public:
  explicit TcxEditRepositoryTextItem(TComponent* AOwner) : RepositoryItemOf(AOwner) {}
};

class TcxEditRepositoryComboBoxItem : public RepositoryItemOf<TcxComboBoxProperties> {
  RTL_DECLARE_CLASS(TcxEditRepositoryComboBoxItem, TcxEditRepositoryItem)
public:
  explicit TcxEditRepositoryComboBoxItem(TComponent* AOwner) : RepositoryItemOf(AOwner) {}
};

class TcxEditRepositoryMaskItem : public RepositoryItemOf<TcxMaskEditProperties> {
  RTL_DECLARE_CLASS(TcxEditRepositoryMaskItem, TcxEditRepositoryItem)
public:
  explicit TcxEditRepositoryMaskItem(TComponent* AOwner) : RepositoryItemOf(AOwner) {}
};

class TcxEditRepositoryPopupItem : public RepositoryItemOf<TcxPopupEditProperties> {
  RTL_DECLARE_CLASS(TcxEditRepositoryPopupItem, TcxEditRepositoryItem)
public:
  explicit TcxEditRepositoryPopupItem(TComponent* AOwner) : RepositoryItemOf(AOwner) {}
};

class TcxEditRepositorySpinItem : public RepositoryItemOf<TcxSpinEditProperties> {
  RTL_DECLARE_CLASS(TcxEditRepositorySpinItem, TcxEditRepositoryItem)
public:
  explicit TcxEditRepositorySpinItem(TComponent* AOwner) : RepositoryItemOf(AOwner) {}
};

class TcxEditRepositoryMemoItem : public RepositoryItemOf<TcxMemoProperties> {
  RTL_DECLARE_CLASS(TcxEditRepositoryMemoItem, TcxEditRepositoryItem)
public:
  explicit TcxEditRepositoryMemoItem(TComponent* AOwner) : RepositoryItemOf(AOwner) {}
};

class TcxEditRepositoryCheckBoxItem : public RepositoryItemOf<TcxCheckBoxProperties> {
  RTL_DECLARE_CLASS(TcxEditRepositoryCheckBoxItem, TcxEditRepositoryItem)
public:
  explicit TcxEditRepositoryCheckBoxItem(TComponent* AOwner) : RepositoryItemOf(AOwner) {}
};

class TcxEditRepositoryRadioGroupItem : public RepositoryItemOf<TcxRadioGroupProperties> {
  RTL_DECLARE_CLASS(TcxEditRepositoryRadioGroupItem, TcxEditRepositoryItem)
public:
  explicit TcxEditRepositoryRadioGroupItem(TComponent* AOwner) : RepositoryItemOf(AOwner) {}
};

// ---------------------------------------------------------------------------------------
// Registries of default repository items.

// A registry key: a value-type class (its address) or a field data type ordinal; 0 is the
// default list's key. Pointer-sized so that a class address is never cut.
using RegistryKey = std::uintptr_t;

// Repository items by key, each with a priority. Records never own their items: an item
// that goes away takes its records with it through the listener interface.
class TcxEditRegisteredRepositoryItems : public TcxInterfacedPersistent, public IcxEditRepositoryItemListener {
  RTL_DECLARE_CLASS(TcxEditRegisteredRepositoryItems, TcxInterfacedPersistent)
public:
  using TConstructorArg = TPersistent*;
  explicit TcxEditRegisteredRepositoryItems(TPersistent* AOwner = nullptr) : TcxInterfacedPersistent(AOwner) {}
  void BeforeDestruction() override;
  ~TcxEditRegisteredRepositoryItems() override;
  TcxEditRegisteredRepositoryItems(const TcxEditRegisteredRepositoryItems&) = delete;
  TcxEditRegisteredRepositoryItems& operator=(const TcxEditRegisteredRepositoryItems&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TcxInterfacedPersistent::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TcxInterfacedPersistent::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TcxInterfacedPersistent::_Release(); }

  // Repository item listener.
  void ItemRemoved(TcxEditRepositoryItem* Sender) override {
    if (!FDestroying) RemoveItem(Sender);
  }
  void ItemPropertiesChanged(TcxEditRepositoryItem* Sender) override { Changed(); }

  // The first record of the default list (the highest priority); null when it is empty.
  virtual TcxEditRepositoryItem* GetDefaultItem();
  // Key 0 gives the default item; otherwise the record of that key with the highest
  // priority, and the default item when the key has none.
  virtual TcxEditRepositoryItem* GetItem(RegistryKey AKey);
  // A second registration with the same key and priority keeps the first.
  virtual void RegisterDefaultItem(Integer APriority, TcxEditRepositoryItem* AItem);
  virtual void RegisterItem(RegistryKey AKey, Integer APriority, TcxEditRepositoryItem* AItem);
  virtual void UnregisterDefaultItem(Integer APriority);
  virtual void UnregisterItem(RegistryKey AKey, Integer APriority);

protected:
  struct Record {
    RegistryKey Key;
    Integer Priority;
    TcxEditRepositoryItem* Item;
  };
  // Sorted by key, then priority, both descending.
  using RecordList = std::vector<Record>;

  // Deletes every record of the item from every list.
  virtual void RemoveItem(TcxEditRepositoryItem* AItem);
  // The position of the record (key, priority) in AList, inserted when missing.
  virtual Integer InsertItem(RecordList& AList, RegistryKey AKey, TcxEditRepositoryItem* AItem, Integer APriority);
  // Runs after every change of the records; nothing here.
  virtual void Changed() {}

  // Bisection over AList: true with the record's position on a hit, false with the
  // position where it belongs. The largest Integer as the priority matches any priority of the key.
  bool FindRecord(const RecordList& AList, RegistryKey AKey, Integer APriority, Integer& AIndex) const;
  // Deletes the record (key, priority) of AList when there is one.
  void unregisterFrom(RecordList& AList, RegistryKey AKey, Integer APriority);
  void removeItemFrom(RecordList& AList, TcxEditRepositoryItem* AItem);
  void clearList(RecordList& AList);
  // Whether any list holds a record of the item.
  virtual bool hasRecordOf(TcxEditRepositoryItem* AItem) const;
  static bool listHolds(const RecordList& AList, TcxEditRepositoryItem* AItem);

private:
  // Deletes the record at AIndex; the registry stops listening to its item once no record
  // of any list names the item.
  void deleteRecord(RecordList& AList, size_t AIndex);

  RecordList FDefaultList;
  RecordList FKeyedList;
  bool FDestroying = false;
};

// Default items by the value-type class of an unbound item.
class TcxEditDataRegisteredRepositoryItems : public TcxEditRegisteredRepositoryItems {
  RTL_DECLARE_CLASS(TcxEditDataRegisteredRepositoryItems, TcxEditRegisteredRepositoryItems)
public:
  using TcxEditRegisteredRepositoryItems::TcxEditRegisteredRepositoryItems;
  TcxEditRepositoryItem* GetItemByValueType(TcxValueTypeClass AValueTypeClass);
};

// Default items by the data-set field of a bound item: keyed by the field's data type, with
// a list of items for currency numbers and one for lookup fields.
class TcxEditDBRegisteredRepositoryItems : public TcxEditRegisteredRepositoryItems {
  RTL_DECLARE_CLASS(TcxEditDBRegisteredRepositoryItems, TcxEditRegisteredRepositoryItems)
public:
  using TcxEditRegisteredRepositoryItems::TcxEditRegisteredRepositoryItems;
  ~TcxEditDBRegisteredRepositoryItems() override;

  // No field: the default item. A lookup field: the first lookup item. A number field whose
  // published "currency" is True: the first currency item. Both fall back to the default
  // item when their list is empty. Otherwise the item of the field's data type.
  TcxEditRepositoryItem* GetItemForField(TField* AField);
  void registerCurrencyItem(Integer APriority, TcxEditRepositoryItem* AItem);
  void registerLookupItem(Integer APriority, TcxEditRepositoryItem* AItem);

protected:
  void RemoveItem(TcxEditRepositoryItem* AItem) override;

  bool hasRecordOf(TcxEditRepositoryItem* AItem) const override;

private:
  TcxEditRepositoryItem* firstOrDefault(const RecordList& AList);
  static bool isCurrencyField(TField* AField);

  RecordList FCurrencyList;
  RecordList FLookupList;
};

// The single registry of each kind, made (and filled with items of the default repository)
// on first call, freed at the unit's end.
TcxEditDataRegisteredRepositoryItems* cxGetEditDataRegisteredRepositoryItems();
TcxEditDBRegisteredRepositoryItems* cxGetEditDBRegisteredRepositoryItems();

namespace cxEditRepositoryItemsUnit {
void Initialize();
void Finalize();
}  // namespace cxEditRepositoryItemsUnit
