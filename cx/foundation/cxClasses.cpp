#include "cx/foundation/cxClasses.h"

#include <algorithm>
#include <utility>

// ---------------------------------------------------------------------------------------
// TcxInterfacedPersistent

RTL_IMPLEMENT_CLASS(TcxInterfacedPersistent)

// ---------------------------------------------------------------------------------------
// TcxComponent

RTL_BEGIN_CLASS(TcxComponent)
  b.Property("FakeComponentLink1", &TcxComponent::FakeComponentLink1, &TcxComponent::SetFakeComponentLink1)
      .Stored(false);
  b.Property("FakeComponentLink2", &TcxComponent::FakeComponentLink2, &TcxComponent::SetFakeComponentLink2)
      .Stored(false);
  b.Property("FakeComponentLink3", &TcxComponent::FakeComponentLink3, &TcxComponent::SetFakeComponentLink3)
      .Stored(false);
RTL_END_CLASS

void TcxComponent::BeforeDestruction() {
  if (!ComponentState().Contains(csDestroying)) Destroying();
  inherited::BeforeDestruction();
}

void TcxComponent::Loaded() {
  inherited::Loaded();
  UpdateFakeLinks();
}

void TcxComponent::UpdateFakeLinks() {
  if (!ComponentState().Contains(csDesigning) || ComponentState().Contains(csDestroying) || Owner() == nullptr)
    return;
  TObjectPtr<TList> links(new TList);
  GetFakeComponentLinks(links.get());
  auto linkAt = [&](Integer i) -> TComponent* {
    return i < links->Count() ? static_cast<TComponent*>(links->Get(i)) : nullptr;
  };
  FFakeComponentLink1 = linkAt(0);
  FFakeComponentLink2 = linkAt(1);
  FFakeComponentLink3 = linkAt(2);
}

// ---------------------------------------------------------------------------------------
// TcxObjectList

RTL_IMPLEMENT_CLASS(TcxObjectList)

TcxObjectList::~TcxObjectList() { Clear(); }

void TcxObjectList::Clear() {
  // Free in index order first, then empty the list, so an object's destructor still
  // finds the list whole.
  for (Integer i = 0; i < Count(); ++i) FreeObject(GetItem(i));
  TList::Clear();
}

// ---------------------------------------------------------------------------------------
// TcxRegisteredClassList

RTL_IMPLEMENT_CLASS(TcxRegisteredClassList)

TcxRegisteredClassList::~TcxRegisteredClassList() { Clear(); }

bool TcxRegisteredClassList::FindEntry(TClass AItemClass, Integer& Index) const {
  for (Integer i = Count() - 1; i >= 0; --i) {
    TClass c = FItems[static_cast<size_t>(i)].ItemClass;
    if (AItemClass->InheritsFrom(c)) {
      Index = i;
      return true;
    }
    if (c->InheritsFrom(AItemClass)) Index = i;
  }
  return false;
}

void TcxRegisteredClassList::Register(TClass AItemClass, TClass ARegisteredClass) {
  Integer index = -1;
  TcxRegisteredClassListItemData pair{AItemClass, ARegisteredClass};
  if (FindEntry(AItemClass, index))
    FItems.insert(FItems.begin() + index + 1, pair);
  else if (index != -1)
    FItems.insert(FItems.begin() + index, pair);
  else
    FItems.push_back(pair);
}

void TcxRegisteredClassList::Unregister(TClass AItemClass, TClass ARegisteredClass) {
  for (Integer i = Count() - 1; i >= 0; --i) {
    const auto& p = FItems[static_cast<size_t>(i)];
    if (p.ItemClass == AItemClass && p.RegisteredClass == ARegisteredClass) FItems.erase(FItems.begin() + i);
  }
}

TClass TcxRegisteredClassList::FindValue(TClass AItemClass) const {
  Integer index = -1;
  return FindEntry(AItemClass, index) ? FItems[static_cast<size_t>(index)].RegisteredClass : nullptr;
}

const TcxRegisteredClassListItemData& TcxRegisteredClassList::PairAt(Integer Index) const {
  if (Index < 0 || Index >= Count()) TList::Error("List index out of bounds (%d)", Index);
  return FItems[static_cast<size_t>(Index)];
}

// ---------------------------------------------------------------------------------------
// TcxRegisteredClasses

RTL_IMPLEMENT_CLASS(TcxRegisteredClasses)

void TcxRegisteredClasses::Register(TClass AClass, const std::string& ADescription) {
  if (IndexOfClass(AClass) != -1) return;
  FItems.push_back({ADescription, AClass});
  if (FRegisterClasses) ::RegisterClass(AClass);
}

void TcxRegisteredClasses::Unregister(TClass AClass) {
  Integer i = IndexOfClass(AClass);
  if (i != -1) FItems.erase(FItems.begin() + i);
}

TClass TcxRegisteredClasses::FindByClassName(const std::string& AClassName) const {
  for (const auto& e : FItems)
    if (e.Class->ClassName() == AClassName) return e.Class;
  return nullptr;
}

TClass TcxRegisteredClasses::ClassAt(Integer Index) const {
  if (Index < 0 || Index >= ClassCount()) TList::Error("List index out of bounds (%d)", Index);
  return FItems[static_cast<size_t>(Index)].Class;
}

const std::string& TcxRegisteredClasses::DescriptionAt(Integer Index) const {
  if (Index < 0 || Index >= ClassCount()) TList::Error("List index out of bounds (%d)", Index);
  return FItems[static_cast<size_t>(Index)].Description;
}

std::string TcxRegisteredClasses::GetDescriptionByClass(TClass AClass) const {
  Integer i = IndexOfClass(AClass);
  return i == -1 ? std::string() : FItems[static_cast<size_t>(i)].Description;
}

Integer TcxRegisteredClasses::IndexOfClass(TClass AClass) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Class == AClass) return static_cast<Integer>(i);
  return -1;
}

// ---------------------------------------------------------------------------------------
// TcxAutoWidthItem, TcxAutoWidthObject

RTL_IMPLEMENT_CLASS(TcxAutoWidthItem)
RTL_IMPLEMENT_CLASS(TcxAutoWidthObject)

TcxAutoWidthObject::TcxAutoWidthObject(Integer ACapacity) {
  if (ACapacity > 0) FItems.reserve(static_cast<size_t>(ACapacity));
}

TcxAutoWidthObject::~TcxAutoWidthObject() {
  for (TcxAutoWidthItem* item : FItems) delete item;
}

TcxAutoWidthItem* TcxAutoWidthObject::AppendItem() {
  FItems.push_back(new TcxAutoWidthItem);
  return FItems.back();
}

TcxAutoWidthItem* TcxAutoWidthObject::ItemAt(Integer Index) const {
  if (Index < 0 || Index >= Count()) TList::Error("List index out of bounds (%d)", Index);
  return FItems[static_cast<size_t>(Index)];
}

Integer TcxAutoWidthObject::TotalWidth() const {
  Integer total = 0;
  for (const TcxAutoWidthItem* item : FItems) total += item->PreferredWidth;
  return total;
}

void TcxAutoWidthObject::Calculate() {
  if (FItems.empty()) return;
  Integer remainingWidth = TargetWidth;
  Integer remainingWeight = TotalWidth();
  for (TcxAutoWidthItem* item : FItems)
    if (item->KeepsWidth) {
      item->ResultWidth = item->PreferredWidth;
      remainingWidth -= item->PreferredWidth;
      remainingWeight -= item->PreferredWidth;
    }

  // Each pass shares the width left among the pending items by cumulative rounding (so
  // the shares add up exactly). An item whose share does not exceed its minimum takes the
  // minimum and leaves; the first pass that clamps nothing is followed by one final pass
  // that assigns the shares.
  bool isFinal = false;
  bool clamped;
  do {
    const Integer width = remainingWidth;
    const Integer weight = remainingWeight;
    Integer sum = 0;
    clamped = false;
    for (TcxAutoWidthItem* item : FItems) {
      if (item->ResultWidth != -1) continue;
      Integer share = MulDiv(sum + item->PreferredWidth, width, weight) - MulDiv(sum, width, weight);
      if (isFinal) {
        item->ResultWidth = share;
      } else if (item->MinimumWidth >= share) {
        item->ResultWidth = item->MinimumWidth;
        remainingWidth -= item->MinimumWidth;
        remainingWeight -= item->PreferredWidth;
        clamped = true;
      }
      sum += item->PreferredWidth;
    }
    if (!clamped) isFinal = !isFinal;
  } while (remainingWeight != 0 && (clamped || isFinal));
}

// ---------------------------------------------------------------------------------------
// Resource strings

namespace {

struct ResourceStringOverride {
  TResStringRec Record;
  std::string Text;
};

// Created by the first override, freed when the unit ends.
std::vector<ResourceStringOverride>* resourceStringOverrides = nullptr;

// Two records name the same string when they name the same module and number; a null
// module is the program itself.
bool sameResourceString(const TResStringRec& a, const TResStringRec& b) {
  auto module = [](HMODULE m) { return m ? m : GetModuleHandleA(nullptr); };
  return a.Identifier == b.Identifier && module(a.Module) == module(b.Module);
}

ResourceStringOverride* findOverride(PResStringRec rec) {
  if (resourceStringOverrides == nullptr || rec == nullptr) return nullptr;
  for (auto& o : *resourceStringOverrides)
    if (sameResourceString(o.Record, *rec)) return &o;
  return nullptr;
}

}  // namespace

std::string cxGetResourceString(PResStringRec AResString) {
  if (const ResourceStringOverride* o = findOverride(AResString)) return o->Text;
  return LoadResString(AResString);
}

void cxSetResourceString(PResStringRec AResString, const std::string& Value) {
  if (AResString == nullptr) return;
  if (resourceStringOverrides == nullptr) resourceStringOverrides = new std::vector<ResourceStringOverride>;
  if (ResourceStringOverride* o = findOverride(AResString))
    o->Text = Value;
  else
    resourceStringOverrides->push_back({*AResString, Value});
}

namespace cxClassesUnit {
void Initialize() {}
void Finalize() {
  delete resourceStringOverrides;
  resourceStringOverrides = nullptr;
}
}  // namespace cxClassesUnit
