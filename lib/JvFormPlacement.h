#pragma once
// Form placement and form storage: a non-visual component placed on a form that saves
// the form's window placement (TJvFormPlacement), and a list of component properties and
// a list of named values (TJvFormStorage), to an application storage when the form
// closes, and restores them when the form is shown.
//
// Keys live under AppStoragePath ("Principal\" puts them in the section "Principal" of an
// INI storage): "FormVersion", the placement ("ShowCmd", "Flags", "PixelsPerInch",
// "MinMaxPos" and "NormPos", the last two each under the name with the screen-size suffix
// "(1024x768)" and under the plain name), the stored properties ("Component_Property") and
// the stored values (by their names). Without a storage every operation does nothing and
// reads give their defaults.

#include <string>
#include <vector>

#include "lib/JvAppStorage.h"
#include "lib/JvComponent.h"
#include "lib/JvTypes.h"
#include "lib/JvWndProcHook.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Variants.h"

RTL_ENUM(TPlacementOption, fpState, fpSize, fpLocation, fpActiveControl)
using TPlacementOptions = Set<TPlacementOption>;
RTL_ENUM(TJvFormPlacementVersionCheck, fpvcNocheck, fpvcCheckGreaterEqual, fpvcCheckEqual)

class TJvFormPlacement;

// An object told after every save and restore of a placement's settings, so that what it
// keeps beside the form's own settings is saved and restored with them. A link belongs to
// at most one placement at a time; freeing either side takes the link off the other.
class TJvFormPlacementLink : public TObject {
  RTL_DECLARE_CLASS(TJvFormPlacementLink, TObject)
public:
  TJvFormPlacementLink() = default;
  ~TJvFormPlacementLink() override;

  TJvFormPlacement* Placement() const { return placement_; }
  // Leaves the present placement's list (if any) and joins the end of Value's (if any).
  void SetPlacement(TJvFormPlacement* Value);

protected:
  // After the placement wrote its window placement (before a form storage writes its
  // stored properties and values).
  virtual void PlacementSaved() {}
  // After the placement read its window placement back (before a form storage reads its
  // stored properties and values).
  virtual void PlacementRestored() {}

private:
  friend class TJvFormPlacement;
  TJvFormPlacement* placement_ = nullptr;
};

// Size and position limits of the form's window (0 = no limit); "empty" when all are 0.
class TJvWinMinMaxInfo : public TPersistent {
  RTL_DECLARE_CLASS(TJvWinMinMaxInfo, TPersistent)
public:
  explicit TJvWinMinMaxInfo(TJvFormPlacement* AOwner = nullptr) : owner_(AOwner) {}
  void Assign(TPersistent* Source) override;
  bool DefaultMinMaxInfo() const;

  Integer MaxPosLeft() const { return v_[0]; }
  void SetMaxPosLeft(Integer Value) { setValue(0, Value); }
  Integer MaxPosTop() const { return v_[1]; }
  void SetMaxPosTop(Integer Value) { setValue(1, Value); }
  Integer MaxSizeHeight() const { return v_[2]; }
  void SetMaxSizeHeight(Integer Value) { setValue(2, Value); }
  Integer MaxSizeWidth() const { return v_[3]; }
  void SetMaxSizeWidth(Integer Value) { setValue(3, Value); }
  Integer MaxTrackHeight() const { return v_[4]; }
  void SetMaxTrackHeight(Integer Value) { setValue(4, Value); }
  Integer MaxTrackWidth() const { return v_[5]; }
  void SetMaxTrackWidth(Integer Value) { setValue(5, Value); }
  Integer MinTrackHeight() const { return v_[6]; }
  void SetMinTrackHeight(Integer Value) { setValue(6, Value); }
  Integer MinTrackWidth() const { return v_[7]; }
  void SetMinTrackWidth(Integer Value) { setValue(7, Value); }

private:
  void setValue(int Index, Integer Value);
  TJvFormPlacement* owner_;
  Integer v_[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

class TJvFormPlacement : public TJvComponent {
  RTL_DECLARE_CLASS(TJvFormPlacement, TJvComponent)
public:
  explicit TJvFormPlacement(TComponent* AOwner);
  ~TJvFormPlacement() override;

  bool Active() const { return active_; }
  void SetActive(bool Value) { active_ = Value; }
  TJvCustomAppStorage* AppStorage() const { return appStorage_; }
  void SetAppStorage(TJvCustomAppStorage* Value);
  const std::string& AppStoragePath() const { return appStoragePath_; }
  // Ends the text with '\'; outside design time "%FORM_NAME%" becomes the owner form's name.
  void SetAppStoragePath(const std::string& Value);
  TPlacementOptions Options() const { return options_; }
  void SetOptions(TPlacementOptions Value) { options_ = Value; }
  Integer Version() const { return version_; }
  void SetVersion(Integer Value) { version_ = Value; }
  TJvFormPlacementVersionCheck VersionCheck() const { return versionCheck_; }
  void SetVersionCheck(TJvFormPlacementVersionCheck Value) { versionCheck_ = Value; }
  bool PreventResize() const { return preventResize_; }
  void SetPreventResize(bool Value);
  TJvWinMinMaxInfo* MinMaxInfo() const { return minMaxInfo_; }
  void SetMinMaxInfo(TJvWinMinMaxInfo* Value) { minMaxInfo_->Assign(Value); }
  const TNotifyEvent& OnSavePlacement() const { return onSavePlacement_; }
  void SetOnSavePlacement(const TNotifyEvent& Value) { onSavePlacement_ = Value; }
  const TNotifyEvent& OnRestorePlacement() const { return onRestorePlacement_; }
  void SetOnRestorePlacement(const TNotifyEvent& Value) { onRestorePlacement_ = Value; }

  // Replaces the owner form's OnShow, OnCloseQuery and OnDestroy by the placement's own
  // (which call the replaced ones); Unhook puts them back.
  void HookFormEvents();
  void UnhookFormEvents();
  // Saves (FormVersion, OnSavePlacement, WritePlacement) and restores everything. While
  // restoring, a stored value that does not convert reads as its default (whatever the
  // storage's DefaultIfReadConvertError says), so the other values are still restored.
  void StoreState();
  void LoadState();
  void SaveFormPlacement() { StoreState(); }
  void RestoreFormPlacement() { LoadState(); }
  bool IsStorageActive() const { return active_ && appStorage_; }
  bool Saved() const { return saved_; }
  bool Restored() const { return restored_; }

  // Values under AppStoragePath; reads give Default without a storage or a name.
  std::string ReadString(const std::string& Ident, const std::string& Default = std::string());
  void WriteString(const std::string& Ident, const std::string& Value);
  Integer ReadInteger(const std::string& Ident, Integer Default = 0);
  void WriteInteger(const std::string& Ident, Integer Value);
  bool ReadBoolean(const std::string& Ident, bool Default);
  void WriteBoolean(const std::string& Ident, bool Value);
  Extended ReadFloat(const std::string& Ident, Extended Default = 0);
  void WriteFloat(const std::string& Ident, Extended Value);
  TDateTime ReadDateTime(const std::string& Ident, TDateTime Default);
  void WriteDateTime(const std::string& Ident, TDateTime Value);

  void Loaded() override;
  bool IsOptionsStored() const { return options_ != defaultOptions(); }

  virtual void WritePlacement();
  virtual void ReadPlacement();

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TCustomForm* Form() const;
  // The full path of a value name, through the storage's OnTranslatePropertyName.
  std::string valuePath(const std::string& Ident, bool Reading) const;
  // Puts the maximized position just outside the screen (the frame's size), so a
  // maximized form covers the screen exactly.
  void RestoreMaximizedPlacement();
  void updateWinHook();
  // The placement's after-message handler of the form's window.
  void WndMessage(TObject* Sender, TMessage& Msg, bool& Handled);

  bool restored_ = false;

private:
  friend class TJvWinMinMaxInfo;
  friend class TJvFormPlacementLink;
  TPlacementOptions defaultOptions() const;
  // Tells every link, in the order they joined, that the settings were saved (restored).
  void tellLinks(bool Saved);
  void formShow(TObject* Sender);
  void formCloseQuery(TObject* Sender, bool& CanClose);
  void formDestroy(TObject* Sender);
  void updatePreventResize();

  bool active_ = true;
  TJvCustomAppStorage* appStorage_ = nullptr;
  std::string appStoragePath_;
  TPlacementOptions options_;
  Integer version_ = 0;
  TJvFormPlacementVersionCheck versionCheck_ = fpvcCheckGreaterEqual;
  bool preventResize_ = false;
  TJvWinMinMaxInfo* minMaxInfo_;
  TNotifyEvent onSavePlacement_;
  TNotifyEvent onRestorePlacement_;

  TNotifyEvent savedShow_;
  TCloseQueryEvent savedCloseQuery_;
  TNotifyEvent savedDestroy_;
  bool hooked_ = false;
  bool saved_ = false;
  bool destroying_ = false;
  bool defMaximize_ = false;
  TJvWindowHook* winHook_;
  std::vector<TJvFormPlacementLink*> links_;
};

class TJvFormStorage;

// One named value kept with the form.
class TJvStoredValue;
using TJvStoredValueEvent = TEvent<void(TJvStoredValue* Sender, Variant& Value)>;

class TJvStoredValue : public TCollectionItem {
  RTL_DECLARE_CLASS(TJvStoredValue, TCollectionItem)
public:
  explicit TJvStoredValue(TCollection* Collection) : TCollectionItem(Collection) {}
  void Assign(TPersistent* Source) override;
  std::string DisplayName() const override;

  const std::string& Name() const { return name_; }
  // EJvException "String list does not allow duplicates" for a name another item has
  // (without regard to case).
  void SetName(const std::string& Value);
  const Variant& Value() const { return value_; }
  void SetValue(const Variant& Value) { value_ = Value; }
  const std::string& KeyString() const { return keyString_; }
  void SetKeyString(const std::string& Value) { keyString_ = Value; }
  const TJvStoredValueEvent& OnSave() const { return onSave_; }
  void SetOnSave(const TJvStoredValueEvent& Value) { onSave_ = Value; }
  const TJvStoredValueEvent& OnRestore() const { return onRestore_; }
  void SetOnRestore(const TJvStoredValueEvent& Value) { onRestore_ = Value; }

  // Writes the value under the collection's path (by its kind), reads it back by the
  // kind the current value has, with the current value as default.
  // A stored text that is no value of that kind reads as the default.
  void Save();
  void Restore();

private:
  TJvFormStorage* storage() const;
  std::string storedPath() const;
  std::string name_;
  Variant value_;
  std::string keyString_;
  TJvStoredValueEvent onSave_;
  TJvStoredValueEvent onRestore_;
};

class TJvStoredValues : public TOwnedCollection {
  RTL_DECLARE_CLASS(TJvStoredValues, TOwnedCollection)
public:
  explicit TJvStoredValues(TPersistent* AOwner);

  TJvStoredValue* Items(int Index) const { return static_cast<TJvStoredValue*>(TCollection::Items(Index)); }
  TJvStoredValue* Add() { return static_cast<TJvStoredValue*>(TCollection::Add()); }
  // The first item of that name (without regard to case), null when none.
  TJvStoredValue* FindByName(const std::string& Name) const;
  Integer IndexOf(const std::string& Name) const;
  // Every item, in collection order.
  virtual void WriteAll();
  virtual void ReadAll();
  // The form storage that owns the collection (null when its owner is none).
  TJvFormStorage* Storage() const;
  const std::string& Path() const { return path_; }
  void SetPath(const std::string& Value) { path_ = Value; }

private:
  std::string path_;
};

class TJvFormStorage : public TJvFormPlacement {
  RTL_DECLARE_CLASS(TJvFormStorage, TJvFormPlacement)
public:
  explicit TJvFormStorage(TComponent* AOwner);
  ~TJvFormStorage() override;

  TStrings* StoredProps() const { return storedProps_; }
  void SetStoredProps(TStrings* Value) { storedProps_->Assign(Value); }
  TJvStoredValues* StoredValues() const { return storedValues_; }
  void SetStoredValues(TJvStoredValues* Value) { storedValues_->Assign(Value); }
  const std::string& StoredPropsPath() const { return storedPropsPath_; }
  void SetStoredPropsPath(const std::string& Value) { storedPropsPath_ = Value; }
  const std::string& StoredValuesPath() const { return storedValues_->Path(); }
  void SetStoredValuesPath(const std::string& Value) { storedValues_->SetPath(Value); }

  void WriteStoredProps();
  void ReadStoredProps();
  void WritePlacement() override;
  void ReadPlacement() override;
  void Loaded() override;

  // The path stored properties live under.
  std::string storedPropsFullPath() const;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  // Lines with a bound component say that component's current name.
  void refreshNames();
  // The owner form's own storage handling, when it has one.
  IStorageHandler* ownerStorageHandler() const;
  TStringList* storedProps_;
  TJvStoredValues* storedValues_;
  std::string storedPropsPath_;
};

// --- Free routines.

// "(" + screen width + "x" + screen height + ")".
std::string JvScreenSizeSuffix();
// The value under Name + JvScreenSizeSuffix() when one is stored there, else under Name.
std::string JvReadResolutionValue(TJvCustomAppStorage* Storage, const std::string& Path, const std::string& Name,
                                  const std::string& Default);
// Writes Value under Name + JvScreenSizeSuffix(), then under Name.
void JvWriteResolutionValue(TJvCustomAppStorage* Storage, const std::string& Path, const std::string& Name,
                            const std::string& Value);
void JvStoreFormPlacement(TCustomForm* Form, TJvCustomAppStorage* Storage, const std::string& Path,
                          TPlacementOptions Options);
void JvLoadFormPlacement(TCustomForm* Form, TJvCustomAppStorage* Storage, const std::string& Path,
                         TPlacementOptions Options);
// Binds the "Component.Property" lines of List to Owner's components (Binding) or drops
// lines that name no component / do not split; with Binding false, rewrites the lines of
// bound components with their current names.
void JvBindStoredPropComponents(TComponent* Owner, TStrings* List, bool Binding);
