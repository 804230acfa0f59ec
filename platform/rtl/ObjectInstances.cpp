// Window procedures bound to methods: a fixed pool of compiled procedures, each bound to
// one slot, handed out by MakeObjectInstance and SubclassWindow. Declarations are in
// Classes.h.
#include <algorithm>
#include <mutex>
#include <utility>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

namespace {

using rtl_detail::callWndMethod;

const char* const STooManyObjectInstances = "Too many object instances (all %d window procedures are in use)";

// The pool of object instances: procedure I calls the method of slot I. The system holds
// one instance per subclassed window (combo boxes' edit fields) and per open dialog hook,
// a few dozen at the most; the pool leaves ample room above that.
constexpr size_t kObjectInstanceCount = 256;

struct InstanceSlot {
  bool InUse = false;
  TWndMethod Method;
  // Set by SubclassWindow: the subclassed window and its previous procedure, so that the
  // instance can take itself out when the window is destroyed.
  HWND Wnd = nullptr;
  WNDPROC Previous = nullptr;
  // Set by RestoreWindowProc when another subclassing sits above this one: the instance
  // stays in the chain and passes every message on.
  WNDPROC Forward = nullptr;
};

InstanceSlot* instanceSlots() {
  static InstanceSlot slots[kObjectInstanceCount];
  return slots;
}

std::mutex& instanceLock() {
  static std::mutex lock;
  return lock;
}

void freeSlot(size_t i) {
  instanceSlots()[i] = InstanceSlot();
}

// What every pooled procedure does, for its slot. Kept out of the procedures themselves so
// that each of them is a one-line jump and the pool costs little to compile.
[[gnu::noinline]] LRESULT dispatchToSlot(size_t i, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  InstanceSlot slot;
  {
    std::lock_guard<std::mutex> guard(instanceLock());
    slot = instanceSlots()[i];
  }
  if (!slot.InUse) return DefWindowProcA(wnd, msg, wParam, lParam);
  if (!slot.Method) {
    return slot.Forward ? CallWindowProcA(slot.Forward, wnd, msg, wParam, lParam)
                        : DefWindowProcA(wnd, msg, wParam, lParam);
  }
  LRESULT result = callWndMethod(slot.Method, wnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY && slot.Wnd == wnd) {
    // The window is gone: its subclassing ends with it.
    std::lock_guard<std::mutex> guard(instanceLock());
    if (instanceSlots()[i].InUse && instanceSlots()[i].Wnd == wnd) freeSlot(i);
  }
  return result;
}

template <size_t I> LRESULT CALLBACK objectInstanceProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return dispatchToSlot(I, wnd, msg, wParam, lParam);
}

// (A plain array in a struct: std::array would drop the calling-convention attribute of
// WNDPROC from its element type.)
struct InstanceProcs {
  WNDPROC Procs[kObjectInstanceCount];
  WNDPROC operator[](size_t i) const { return Procs[i]; }
};

template <size_t... I> constexpr InstanceProcs makeInstanceProcs(std::index_sequence<I...>) {
  return {{&objectInstanceProc<I>...}};
}

constexpr InstanceProcs kInstanceProcs = makeInstanceProcs(std::make_index_sequence<kObjectInstanceCount>{});

// The slot of an object instance; kObjectInstanceCount when the procedure is not one.
size_t slotOf(WNDPROC proc) {
  const WNDPROC* first = kInstanceProcs.Procs;
  return static_cast<size_t>(std::find(first, first + kObjectInstanceCount, proc) - first);
}

size_t allocateSlot(const TWndMethod& method) {
  std::lock_guard<std::mutex> guard(instanceLock());
  InstanceSlot* slots = instanceSlots();
  for (size_t i = 0; i < kObjectInstanceCount; ++i) {
    if (slots[i].InUse) continue;
    slots[i] = InstanceSlot();
    slots[i].InUse = true;
    slots[i].Method = method;
    return i;
  }
  throw EOutOfResources(Format(STooManyObjectInstances, static_cast<int>(kObjectInstanceCount)));
}

}  // namespace

WNDPROC MakeObjectInstance(TWndMethod Method) { return kInstanceProcs[allocateSlot(Method)]; }

void FreeObjectInstance(WNDPROC ObjectInstance) {
  size_t i = slotOf(ObjectInstance);
  if (i >= kObjectInstanceCount) return;
  std::lock_guard<std::mutex> guard(instanceLock());
  freeSlot(i);
}

WNDPROC SubclassWindow(HWND Wnd, TWndMethod Method) {
  size_t i = allocateSlot(Method);
  SetLastError(0);
  auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kInstanceProcs[i])));
  DWORD error = GetLastError();
  std::lock_guard<std::mutex> guard(instanceLock());
  if (!previous && error) {
    freeSlot(i);
    RaiseLastOSError(error);
  }
  instanceSlots()[i].Wnd = Wnd;
  instanceSlots()[i].Previous = previous;
  return previous;
}

void RestoreWindowProc(HWND Wnd, WNDPROC Previous) {
  auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Wnd, GWLP_WNDPROC));
  size_t i = slotOf(current);
  if (i < kObjectInstanceCount) {
    SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Previous));
    std::lock_guard<std::mutex> guard(instanceLock());
    freeSlot(i);
    return;
  }
  // Someone subclassed the window after us: our instance stays in the chain (it cannot
  // be taken out from below) but forwards everything to the procedure it replaced.
  std::lock_guard<std::mutex> guard(instanceLock());
  InstanceSlot* slots = instanceSlots();
  for (size_t k = 0; k < kObjectInstanceCount; ++k)
    if (slots[k].InUse && slots[k].Wnd == Wnd && slots[k].Previous == Previous) {
      slots[k].Method = TWndMethod();
      slots[k].Forward = Previous;
    }
}

