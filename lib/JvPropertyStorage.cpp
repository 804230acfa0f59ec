#include "lib/JvPropertyStorage.h"

#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------------------------------
// TJvPropInfoList

TJvPropInfoList::TJvPropInfoList(TClass AClass) {
  // Events are not values a setting can hold.
  for (PPropInfo prop : GetPropList(AClass))
    if (prop->PropType->Kind != tkMethod) list_.push_back(prop);
}

PPropInfo TJvPropInfoList::Find(const std::string& AName) const {
  for (PPropInfo prop : list_)
    if (SameText(prop->Name, AName)) return prop;
  return nullptr;
}

RTL_IMPLEMENT_CLASS(TJvPropInfoList)

// ---------------------------------------------------------------------------------------
// TJvPropertyStorage

TJvPropertyStorage::TJvPropertyStorage(TComponent* AObject, TJvCustomAppStorage* AppStorage,
                                       const std::string& AppStoragePath)
    : object_(AObject), appStorage_(AppStorage), appStoragePath_(AppStoragePath),
      properties_(AObject->ClassType()) {}

std::string TJvPropertyStorage::StoredPath(PPropInfo PropInfo) const {
  return JvJoinStoragePaths({appStoragePath_, object_->Name() + "_" + PropInfo->Name});
}

void TJvPropertyStorage::StoreAnyProperty(PPropInfo PropInfo) {
  appStorage_->WriteObjectProperty(StoredPath(PropInfo), object_, PropInfo->Name, true);
}

void TJvPropertyStorage::LoadAnyProperty(PPropInfo PropInfo) {
  const std::string path = StoredPath(PropInfo);
  try {
    // Nothing stored: the property keeps its value (a list is not emptied, a value not
    // replaced by a default).
    if (appStorage_->ValueStored(path) || appStorage_->IsFolder(path, false))
      appStorage_->ReadObjectProperty(path, object_, PropInfo->Name, true, true);
  } catch (const Exception&) {
    // A value that does not fit the property leaves the property as it was.
  }
}

RTL_IMPLEMENT_CLASS(TJvPropertyStorage)
