#pragma once
// Published properties of a component kept in an application storage: the list of what a
// class publishes (TJvPropInfoList), and the object that writes and reads chosen
// properties of one component (TJvPropertyStorage). The form storage's stored properties
// ("Component.Property" lines) go through these.

#include <string>

#include "lib/JvAppStorage.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/TypInfo.h"

// The published properties of one class, parents first, of every kind but events.
class TJvPropInfoList : public TObject {
  RTL_DECLARE_CLASS(TJvPropInfoList, TObject)
public:
  explicit TJvPropInfoList(TClass AClass);

  Integer Count() const { return static_cast<Integer>(list_.size()); }
  PPropInfo Items(Integer Index) const { return list_.at(static_cast<size_t>(Index)); }
  // The property of that name, compared without regard to case; null when the class
  // publishes none (or only an event of that name).
  PPropInfo Find(const std::string& AName) const;

private:
  TPropList list_;
};

// Writes and reads published properties of one component under a storage path, each under
// the key "<component name>_<property name>". Made for one pass over a component and
// thrown away; it holds no state of its own beyond what it was made with.
class TJvPropertyStorage : public TObject {
  RTL_DECLARE_CLASS(TJvPropertyStorage, TObject)
public:
  TJvPropertyStorage(TComponent* AObject, TJvCustomAppStorage* AppStorage, const std::string& AppStoragePath);

  TComponent* AObject() const { return object_; }
  TJvCustomAppStorage* AppStorage() const { return appStorage_; }
  const std::string& AppStoragePath() const { return appStoragePath_; }
  // The component's published properties.
  const TJvPropInfoList& Properties() const { return properties_; }

  // AppStoragePath joined with "<component name>_<property name>".
  std::string StoredPath(PPropInfo PropInfo) const;
  // Writes the property's value (a class property with its content). Storage errors
  // (a settings file that cannot be written) reach the caller.
  void StoreAnyProperty(PPropInfo PropInfo);
  // Reads the property back when a value or a folder is stored for it; a stored value
  // that does not fit the property leaves it as it was.
  void LoadAnyProperty(PPropInfo PropInfo);

private:
  TComponent* object_;
  TJvCustomAppStorage* appStorage_;
  std::string appStoragePath_;
  TJvPropInfoList properties_;
};
