#pragma once
// The smallest shared pieces of the component set: the bases of its persistent objects
// and components, an owning object list, two class registries, the proportional width
// distribution of grid columns and status-bar panels, and the lookup through which every
// localisable text of the component set is read (with per-string run-time overrides).
//
// All of it is used from the GUI thread only; nothing here is guarded.

#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/TypInfo.h"

// Vertical alignment of header texts and glyphs (grid columns).
RTL_ENUM(TcxAlignmentVert, vaTop, vaBottom, vaCenter)

// ---------------------------------------------------------------------------------------
// Persistent objects and components.

// A persistent object with interface support whose life is managed by its owner (the
// reference count goes to the owner, it never frees the object). Its constructor is the
// family's virtual constructor: a class reference of a descendant builds one with an
// owner (CreateInstance(owner)).
class TcxInterfacedPersistent : public TInterfacedPersistent {
  RTL_DECLARE_CLASS(TcxInterfacedPersistent, TInterfacedPersistent)
public:
  using TConstructorArg = TPersistent*;

  explicit TcxInterfacedPersistent(TPersistent* AOwner) : FOwner(AOwner) {}

  // The owner given to the constructor (not owned). Answered by GetOwner, so name paths
  // and designer selection reach the owning component.
  TPersistent* OwnerPersistent() const { return FOwner; }
  TPersistent* GetOwner() override { return FOwner; }

private:
  TPersistent* FOwner;
};

// The base of the component set's components. Its three published links exist only so
// that a form designer shows the components that belong to this one (a grid's views) as
// linked to it; they are never stored.
class TcxComponent : public TComponent {
  RTL_DECLARE_CLASS(TcxComponent, TComponent)
public:
  explicit TcxComponent(TComponent* AOwner) : TComponent(AOwner) {}

  // Enters the destroying state at once (unless already in it), so that the parts of the
  // component see it during the whole destructor chain.
  void BeforeDestruction() override;

  // Design time only, and not while destroying, and only with an owner: fills the three
  // links from GetFakeComponentLinks (entries 0..2; null where the list is shorter).
  void UpdateFakeLinks();

  TComponent* FakeComponentLink1() const { return FFakeComponentLink1; }
  void SetFakeComponentLink1(TComponent* Value) { FFakeComponentLink1 = Value; }
  TComponent* FakeComponentLink2() const { return FFakeComponentLink2; }
  void SetFakeComponentLink2(TComponent* Value) { FFakeComponentLink2 = Value; }
  TComponent* FakeComponentLink3() const { return FFakeComponentLink3; }
  void SetFakeComponentLink3(TComponent* Value) { FFakeComponentLink3 = Value; }

  // Fills List with the components to expose as design-time links; nothing here.
  virtual void GetFakeComponentLinks(TList* List) {}

protected:
  // The inherited loaded handling, then UpdateFakeLinks.
  void Loaded() override;

private:
  TComponent* FFakeComponentLink1 = nullptr;
  TComponent* FFakeComponentLink2 = nullptr;
  TComponent* FFakeComponentLink3 = nullptr;
};

// A list that owns its objects: Clear frees every object in index order, then empties the
// list. Destroying the list clears it.
class TcxObjectList : public TList {
  RTL_DECLARE_CLASS(TcxObjectList, TList)
public:
  TcxObjectList() = default;
  ~TcxObjectList() override;

  void Clear() override;
  TObject* GetItem(Integer Index) const { return static_cast<TObject*>(Get(Index)); }
};

// ---------------------------------------------------------------------------------------
// Class registries.

// One pair of TcxRegisteredClassList: a class and the value registered for it (usually
// another class reference; a pointer-sized cell).
struct TcxRegisteredClassListItemData {
  TClass ItemClass;
  TClass RegisteredClass;
};

// An ordered list of (class, value) pairs in which a registered ancestor always stands
// before its registered descendants, so that a scan from the end meets the most specific
// match first. FindValue answers the value of a class or of its nearest registered
// ancestor.
class TcxRegisteredClassList : public TObject {
  RTL_DECLARE_CLASS(TcxRegisteredClassList, TObject)
public:
  TcxRegisteredClassList() = default;
  ~TcxRegisteredClassList() override;
  TcxRegisteredClassList(const TcxRegisteredClassList&) = delete;
  TcxRegisteredClassList& operator=(const TcxRegisteredClassList&) = delete;

  // Scans from the last pair to the first. The first pair whose class is AItemClass or one
  // of its ancestors ends the scan (true, Index = its position). Otherwise every pair
  // whose class descends from AItemClass sets Index to its position, so that Index ends
  // at the lowest such position (false); with none, Index keeps the caller's preset.
  virtual bool FindEntry(TClass AItemClass, Integer& Index) const;
  // Inserts right after the nearest registered ancestor, else before the first registered
  // descendant, else at the end. Registering the same pair twice keeps both.
  virtual void Register(TClass AItemClass, TClass ARegisteredClass);
  // Removes every pair with exactly this class and value.
  virtual void Unregister(TClass AItemClass, TClass ARegisteredClass);

  // The value for the class or its nearest registered ancestor; null when none.
  TClass FindValue(TClass AItemClass) const;
  const TcxRegisteredClassListItemData& PairAt(Integer Index) const;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  void Clear() { FItems.clear(); }

private:
  std::vector<TcxRegisteredClassListItemData> FItems;
};

// A registry of classes with display descriptions, in order of registration. The editor
// registrars use descriptions of the form "Name|Description". With RegisterClasses set,
// Register also registers the class for streaming by name.
class TcxRegisteredClasses : public TObject {
  RTL_DECLARE_CLASS(TcxRegisteredClasses, TObject)
public:
  explicit TcxRegisteredClasses(bool ARegisterClasses = false) : FRegisterClasses(ARegisterClasses) {}

  // Nothing when the class is registered already (its description stays).
  void Register(TClass AClass, const std::string& ADescription);
  void Unregister(TClass AClass);
  void Clear() { FItems.clear(); }
  // The registered class whose name equals AClassName exactly (case-sensitive); null when
  // none.
  TClass FindByClassName(const std::string& AClassName) const;
  Integer ClassCount() const { return static_cast<Integer>(FItems.size()); }
  TClass ClassAt(Integer Index) const;
  const std::string& DescriptionAt(Integer Index) const;
  // The description of a registered class, "" when it is not registered.
  std::string GetDescriptionByClass(TClass AClass) const;
  Integer IndexOfClass(TClass AClass) const;  // -1 when absent
  bool RegisterClasses() const { return FRegisterClasses; }

private:
  struct Entry {
    std::string Description;
    TClass Class;
  };
  std::vector<Entry> FItems;
  bool FRegisterClasses;
};

// ---------------------------------------------------------------------------------------
// Proportional width distribution.

// One column or panel. The grid and the status bar know the fields under their short
// names as well (MinWidth, Width, Fixed, AutoWidth), which name the same cells.
class TcxAutoWidthItem : public TObject {
  RTL_DECLARE_CLASS(TcxAutoWidthItem, TObject)
public:
  TcxAutoWidthItem() = default;
  TcxAutoWidthItem(const TcxAutoWidthItem&) = delete;
  TcxAutoWidthItem& operator=(const TcxAutoWidthItem&) = delete;

  Integer MinimumWidth = 0;    // smallest width the item may get
  Integer PreferredWidth = 0;  // the wanted width, also the item's weight
  bool KeepsWidth = false;     // the item keeps PreferredWidth
  Integer ResultWidth = -1;    // the computed width; -1 until calculated

  Integer& MinWidth = MinimumWidth;
  Integer& Width = PreferredWidth;
  bool& Fixed = KeepsWidth;
  Integer& AutoWidth = ResultWidth;
};

// Distributes TargetWidth over its items in proportion to their preferred widths: fixed
// items keep theirs, an item whose share would not exceed its minimum takes the minimum
// and leaves the distribution, and the shares of one pass add up exactly to the width
// distributed in it.
class TcxAutoWidthObject : public TObject {
  RTL_DECLARE_CLASS(TcxAutoWidthObject, TObject)
public:
  explicit TcxAutoWidthObject(Integer ACapacity = 0);
  ~TcxAutoWidthObject() override;
  TcxAutoWidthObject(const TcxAutoWidthObject&) = delete;
  TcxAutoWidthObject& operator=(const TcxAutoWidthObject&) = delete;

  // A new item (ResultWidth -1) appended to the list; owned by this object.
  TcxAutoWidthItem* AppendItem();
  TcxAutoWidthItem* ItemAt(Integer Index) const;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // The sum of the items' preferred widths.
  Integer TotalWidth() const;
  void Calculate();

  Integer TargetWidth = 0;
  Integer& AvailableWidth = TargetWidth;

private:
  std::vector<TcxAutoWidthItem*> FItems;
};

inline TSize cxMakeSize(Integer AWidth, Integer AHeight) { return TSize{AWidth, AHeight}; }

// ---------------------------------------------------------------------------------------
// Resource strings.

// The text of a resource string: the run-time override set for it when there is one,
// otherwise the string loaded from its module's string table ("" when the module has no
// such string). Every text of the component set is read through here.
std::string cxGetResourceString(PResStringRec AResString);
// Sets or replaces the run-time override of a resource string. Overrides are kept until
// the unit ends; there is no way to remove one.
void cxSetResourceString(PResStringRec AResString, const std::string& Value);

namespace cxClassesUnit {
void Initialize();
void Finalize();
}  // namespace cxClassesUnit
