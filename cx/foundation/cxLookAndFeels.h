#pragma once
// The look-and-feel chain: every custom-drawn control owns a TcxLookAndFeel that says how
// it is drawn (a Kind and whether the native theme is used). Values not assigned locally
// come from a master look-and-feel, and every chain ends at one process-wide root, which a
// TcxLookAndFeelController on a form can set. Changes travel down the chain through
// listener registrations; the look-and-feel finally picks the painter its control draws
// with.
//
// The unit also holds the notifier of system colour changes: one hidden window per
// process tells the primary notifiers (caches that must drop their objects first) and
// then the others.
//
// GUI thread only; the root, the controller count and the colour listener are process-wide
// and unguarded.
#include <vector>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/dxThemeManager.h"
#include "platform/rtl/Classes.h"

class TcxCustomLookAndFeelPainter;
// A painter "class": the one shared instance of a painter class (painters hold no state).
using TcxCustomLookAndFeelPainterClass = TcxCustomLookAndFeelPainter*;

RTL_ENUM(TcxLookAndFeelKind, lfFlat, lfStandard, lfUltraFlat)
RTL_ENUM(TcxLookAndFeelValue, lfvKind, lfvNativeStyle)
using TcxLookAndFeelValues = Set<TcxLookAndFeelValue>;

class TcxLookAndFeel;

// Implemented by look-and-feels and controllers. Reference counting plays no part in the
// listeners' lifetime: the chain keeps plain pointers and relies on the destroying
// notifications.
struct IcxLookAndFeelListener : public IInterface {
  RTL_INTERFACE_ID(0x205538BF, 0xF19E, 0x4285, 0xB1, 0x1F, 0xB1, 0x82, 0xD9, 0x63, 0x5F, 0x7A)
  virtual TObject* GetObject() = 0;
  virtual void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) = 0;
  virtual void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) = 0;

protected:
  ~IcxLookAndFeelListener() = default;
};

using TcxLookAndFeelChangedEvent = TEvent<void(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues)>;

// ---------------------------------------------------------------------------------------
// System colour change notification.

// One notifier per interested object. Primary notifiers are told before the others, so a
// cache can drop its brushes before anything repaints.
class TcxSystemPaletteChangedNotifier : public TObject {
  RTL_DECLARE_CLASS(TcxSystemPaletteChangedNotifier, TObject)
public:
  explicit TcxSystemPaletteChangedNotifier(bool AIsPrimary = false);
  ~TcxSystemPaletteChangedNotifier() override;
  TcxSystemPaletteChangedNotifier(const TcxSystemPaletteChangedNotifier&) = delete;
  TcxSystemPaletteChangedNotifier& operator=(const TcxSystemPaletteChangedNotifier&) = delete;

  bool IsPrimary() const { return FIsPrimary; }
  const TNotifyEvent& OnSystemPaletteChanged() const { return FOnSystemPaletteChanged; }
  void SetOnSystemPaletteChanged(const TNotifyEvent& Value) { FOnSystemPaletteChanged = Value; }
  // Calls the event when assigned (Sender is the notifier).
  virtual void DoChanged();

private:
  bool FIsPrimary;
  TNotifyEvent FOnSystemPaletteChanged;
};

// The process-wide receiver of WM_SYSCOLORCHANGE: a hidden window and the two notifier
// lists. Made for the first notifier and freed with the last.
class TcxSystemPaletteChangedListener : public TObject {
  RTL_DECLARE_CLASS(TcxSystemPaletteChangedListener, TObject)
public:
  TcxSystemPaletteChangedListener();
  ~TcxSystemPaletteChangedListener() override;
  TcxSystemPaletteChangedListener(const TcxSystemPaletteChangedListener&) = delete;
  TcxSystemPaletteChangedListener& operator=(const TcxSystemPaletteChangedListener&) = delete;

  void AddNotifier(TcxSystemPaletteChangedNotifier* ANotifier);
  void RemoveNotifier(TcxSystemPaletteChangedNotifier* ANotifier);
  // Tells every primary notifier, then every other one, in list order.
  void DoChange();
  HWND WindowHandle() const { return FWindow; }

private:
  void wndProc(TMessage& Message);
  HWND FWindow = nullptr;
  std::vector<TcxSystemPaletteChangedNotifier*> FPrimary;
  std::vector<TcxSystemPaletteChangedNotifier*> FOthers;
};

// The listener while any notifier exists, null otherwise.
TcxSystemPaletteChangedListener* cxSystemPaletteChangedListener();
void cxAddRefPaletteListener();
void cxReleasePaletteListener();

// ---------------------------------------------------------------------------------------
// The look-and-feel.

class TcxLookAndFeel : public TcxInterfacedPersistent, public IcxLookAndFeelListener {
  RTL_DECLARE_CLASS(TcxLookAndFeel, TcxInterfacedPersistent)
public:
  explicit TcxLookAndFeel(TPersistent* AOwner);
  ~TcxLookAndFeel() override;
  TcxLookAndFeel(const TcxLookAndFeel&) = delete;
  TcxLookAndFeel& operator=(const TcxLookAndFeel&) = delete;
  // Registers with the root (when one exists) and takes its values.
  void AfterConstruction() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override;
  ULONG STDMETHODCALLTYPE _AddRef() override;
  ULONG STDMETHODCALLTYPE _Release() override;

  // From another look-and-feel: own values, assigned set and master. Other sources go to
  // the class library (EConvertError for unsupported ones).
  void Assign(TPersistent* Source) override;

  // The effective values.
  TcxLookAndFeelKind Kind() const { return FKind; }
  TcxLookAndFeelKind GetKind() const { return FKind; }
  bool NativeStyle() const { return FNativeStyle; }
  bool GetNativeStyle() const { return FNativeStyle; }
  // Assigning marks the value assigned locally; a notification follows only when the
  // effective value changes.
  void SetKind(TcxLookAndFeelKind Value);
  void SetNativeStyle(bool Value);
  TcxLookAndFeelValues AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TcxLookAndFeelValues Value);
  // Assigns the empty set: every value follows the master again.
  void Reset() { SetAssignedValues(TcxLookAndFeelValues()); }
  bool IsKindStored() const { return FAssignedValues.Contains(lfvKind); }
  bool IsNativeStyleStored() const { return FAssignedValues.Contains(lfvNativeStyle); }

  // The explicit master (null means the root).
  TcxLookAndFeel* MasterLookAndFeel() const { return FMasterLookAndFeel; }
  TcxLookAndFeel* Master() const { return FMasterLookAndFeel; }
  // Ignored for the root, for itself, for the current effective master, and for a master
  // whose own chain leads back to this object (a loop would recurse without end).
  void SetMasterLookAndFeel(TcxLookAndFeel* Value);
  // Null for the root; the explicit master when set; otherwise the root.
  TcxLookAndFeel* EffectiveMaster() const;
  bool IsRoot() const { return FIsRoot; }
  bool IsDestroying() const { return FIsDestroying; }

  // The native painter when the native style is on and themes can be used (for the given
  // theme classes), otherwise the painter of the effective Kind.
  TcxCustomLookAndFeelPainterClass GetPainterClass() const;
  TcxCustomLookAndFeelPainterClass GetThemedPainterClass(TdxThemeClasses AClasses) const;
  TcxCustomLookAndFeelPainterClass Painter() const { return GetPainterClass(); }

  void RegisterListener(IcxLookAndFeelListener* AListener);
  void UnregisterListener(IcxLookAndFeelListener* AListener);
  Integer ListenerCount() const { return static_cast<Integer>(FListeners.size()); }

  const TcxLookAndFeelChangedEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TcxLookAndFeelChangedEvent& Value) { FOnChanged = Value; }

  // IcxLookAndFeelListener.
  TObject* GetObject() override { return this; }
  // The master changed: the values that are not assigned here changed here too.
  void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  // The master goes away: fall back to the root.
  void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) override;

  // Marks the process root (done once by the unit's start).
  void SetIsRoot(bool Value) { FIsRoot = Value; }

protected:
  virtual TcxLookAndFeelKind ComputeKind() const;
  virtual bool ComputeNativeStyle() const;
  // The system colours changed: reports lfvNativeStyle so that controls repaint.
  virtual void SystemPaletteChanged();
  TcxLookAndFeelKind MasterKind() const;
  bool MasterNativeStyle() const;
  // Updates the effective values, tells the listeners and raises OnChanged.
  void Changed(TcxLookAndFeelValues AChangedValues);
  void RememberEffectiveValues();
  void ReportEffectiveChanges();

private:
  void paletteChanged(TObject* Sender) { SystemPaletteChanged(); }
  bool chainLeadsTo(const TcxLookAndFeel* ATarget) const;

  TcxLookAndFeelValues FAssignedValues;
  std::vector<IcxLookAndFeelListener*> FListeners;
  TcxLookAndFeelKind FKind = lfUltraFlat;
  bool FNativeStyle = false;
  TcxLookAndFeelKind FOwnKind = lfUltraFlat;
  bool FOwnNativeStyle = false;
  bool FIsDestroying = false;
  bool FIsRoot = false;
  TcxLookAndFeel* FMasterLookAndFeel = nullptr;
  TcxLookAndFeelKind FSavedKind = lfUltraFlat;
  bool FSavedNativeStyle = false;
  TcxSystemPaletteChangedNotifier* FPaletteNotifier = nullptr;
  TcxLookAndFeelChangedEvent FOnChanged;
};

// A component that sets the root's values from a form. Created controllers register with
// the root; when the last one goes away the root returns to its defaults.
class TcxLookAndFeelController : public TComponent, public IcxLookAndFeelListener {
  RTL_DECLARE_CLASS(TcxLookAndFeelController, TComponent)
public:
  explicit TcxLookAndFeelController(TComponent* AOwner);
  ~TcxLookAndFeelController() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override;
  ULONG STDMETHODCALLTYPE _AddRef() override;
  ULONG STDMETHODCALLTYPE _Release() override;

  // The root's values; lfUltraFlat and False without a root, where writing does nothing.
  TcxLookAndFeelKind Kind() const;
  void SetKind(TcxLookAndFeelKind Value);
  bool NativeStyle() const;
  void SetNativeStyle(bool Value);

  TObject* GetObject() override { return this; }
  void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) override;

protected:
  // Design-time hook; nothing at run time.
  virtual void Modified() {}
};

// The process root (null before the unit's start and after its end).
TcxLookAndFeel* cxRootLookAndFeel();
// Controllers currently registered with the root.
Integer cxLookAndFeelControllerCount();

// The painter table. Painter units register their painter for a kind (and the native
// painter) at their start; a kind with no registered painter draws with the standard
// painter, and without a native painter the native style falls back to the kind's.
TcxCustomLookAndFeelPainterClass cxLookAndFeelPainter(TcxLookAndFeelKind AKind);
void cxSetLookAndFeelPainter(TcxLookAndFeelKind AKind, TcxCustomLookAndFeelPainterClass APainter);
TcxCustomLookAndFeelPainterClass cxNativeLookAndFeelPainter();
void cxSetNativeLookAndFeelPainter(TcxCustomLookAndFeelPainterClass APainter);

void cxLookAndFeelsInitialize();
void cxLookAndFeelsFinalize();

namespace cxLookAndFeelsUnit {
void Initialize();
void Finalize();
}  // namespace cxLookAndFeelsUnit
