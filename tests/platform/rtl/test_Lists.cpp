// The persistent base, pointer / object / interface lists, bit arrays and the geometry
// helpers of Classes.
#include "TestFramework.h"
#include "RtlTestHelpers.h"
#include "platform/rtl/Classes.h"

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------
// Fixtures.

using NotifyLog = std::vector<std::pair<void*, TListNotification>>;

// A list that records its notifications, with the count and membership seen at that moment.
class RecordingList : public TList {
public:
  explicit RecordingList(NotifyLog* log) : log_(log) {}
  Integer countAtLastNotify = -1;
  bool lastWasStillListed = false;

protected:
  void Notify(void* Ptr, TListNotification Action) override {
    log_->push_back({Ptr, Action});
    countAtLastNotify = Count();
    lastWasStillListed = IndexOf(Ptr) >= 0;
  }

private:
  NotifyLog* log_;
};

// An object that reports its destruction by id.
class Counted : public TObject {
public:
  Counted(std::vector<int>* freed, int id) : freed_(freed), id_(id) {}
  ~Counted() override { freed_->push_back(id_); }

private:
  std::vector<int>* freed_;
  int id_;
};

}  // namespace

// Persistent classes with their own descriptors (ClassName and GetNamePath use them).
class TTestOwner : public TPersistent, public IInterface {
  RTL_DECLARE_CLASS(TTestOwner, TPersistent)
public:
  ULONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return GetInterface(riid, obj) ? (_AddRef(), S_OK) : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE _Release() override { return --refs; }
};
RTL_BEGIN_CLASS(TTestOwner)
b.Interface<IInterface>();
RTL_END_CLASS

class TTestPart : public TInterfacedPersistent {
  RTL_DECLARE_CLASS(TTestPart, TInterfacedPersistent)
public:
  explicit TTestPart(TPersistent* owner = nullptr) : owner_(owner) {}
  TPersistent* GetOwner() override { return owner_; }

private:
  TPersistent* owner_;
};
RTL_IMPLEMENT_CLASS(TTestPart)

// =======================================================================================
// TPersistent

TEST(Persistent, AssignBetweenUnrelatedClassesNamesBothInTheError) {
  TPersistent plain;
  TStringList strings;
  EXPECT_EQ(messageOf<EConvertError>([&] { plain.Assign(&strings); }),
            "Cannot assign a TStringList to a TPersistent");
  EXPECT_EQ(messageOf<EConvertError>([&] { strings.Assign(&plain); }),
            "Cannot assign a TPersistent to a TStringList");
  EXPECT_EQ(messageOf<EConvertError>([&] { strings.Assign(nullptr); }), "Cannot assign a nil to a TStringList");
}

TEST(Persistent, NamePathIsClassNameAfterOwnersPath) {
  TTestOwner owner;
  TTestPart part(&owner);
  TTestPart inner(&part);
  EXPECT_EQ(owner.GetNamePath(), "TTestOwner");
  EXPECT_EQ(part.GetNamePath(), "TTestOwner.TTestPart");
  EXPECT_EQ(inner.GetNamePath(), "TTestOwner.TTestPart.TTestPart");
}

TEST(Persistent, InterfacedPersistentCountsThroughItsOwner) {
  TTestOwner owner;
  TTestPart* part = New<TTestPart>(&owner);
  EXPECT_EQ(part->_AddRef(), 2u) << "_AddRef should reach the owner's count";
  EXPECT_EQ(owner.refs, 2u);
  EXPECT_EQ(part->_Release(), 1u);

  void* intf = nullptr;
  EXPECT_EQ(part->QueryInterface(IID_IUnknown, &intf), S_OK);
  EXPECT_EQ(intf, static_cast<IInterface*>(part));
  EXPECT_EQ(owner.refs, 2u) << "QueryInterface should add a reference, counted by the owner";
  static_cast<IInterface*>(intf)->_Release();
  EXPECT_EQ(part->QueryInterface(IID_IDispatch, &intf), E_NOINTERFACE);
  part->Free();
}

TEST(Persistent, InterfacedPersistentWithoutOwnerIsNotCounted) {
  TTestPart* part = New<TTestPart>();
  EXPECT_EQ(part->_AddRef(), static_cast<ULONG>(-1));
  EXPECT_EQ(part->_Release(), static_cast<ULONG>(-1));
  part->Free();
}

// =======================================================================================
// TList

TEST(List, NotifiesAddedDeletedAndExtractedWhereEachHappens) {
  int a, b, c, d;
  NotifyLog log;
  RecordingList list(&log);
  list.Add(&a);
  list.Add(nullptr);  // nulls are never notified
  list.Insert(0, &b);
  EXPECT_EQ(log, (NotifyLog{{&a, lnAdded}, {&b, lnAdded}}));

  log.clear();
  list.Put(2, &c);  // replaces the null: only the new pointer is notified
  list.Put(0, &d);  // replaces b
  list.Put(0, &d);  // same pointer: nothing
  EXPECT_EQ(log, (NotifyLog{{&c, lnAdded}, {&b, lnDeleted}, {&d, lnAdded}}));

  log.clear();
  list.Exchange(0, 2);
  list.Move(0, 1);
  EXPECT_TRUE(log.empty()) << "Exchange and Move should not notify, got " << log.size() << " notifications";
  std::vector<void*> order = {list[0], list[1], list[2]};
  EXPECT_EQ(order, (std::vector<void*>{&a, &c, &d}));

  log.clear();
  EXPECT_EQ(list.Extract(&c), &c);
  EXPECT_EQ(list.Extract(&b), nullptr) << "b is no longer in the list";
  EXPECT_EQ(log, (NotifyLog{{&c, lnExtracted}}));

  log.clear();
  EXPECT_EQ(list.Remove(&a), 0);
  EXPECT_EQ(list.Remove(&a), -1);
  EXPECT_EQ(log, (NotifyLog{{&a, lnDeleted}}));
}

TEST(List, DeletionIsNotifiedAfterTheItemLeftTheList) {
  int a, b;
  NotifyLog log;
  RecordingList list(&log);
  list.Add(&a);
  list.Add(&b);
  list.Delete(0);
  EXPECT_EQ(list.countAtLastNotify, 1);
  EXPECT_FALSE(list.lastWasStillListed) << "a should be out of the list when lnDeleted arrives";
}

TEST(List, ClearAndShrinkingCountDeleteFromTheEnd) {
  int a, b, c;
  NotifyLog log;
  RecordingList list(&log);
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  log.clear();
  list.SetCount(1);
  EXPECT_EQ(log, (NotifyLog{{&c, lnDeleted}, {&b, lnDeleted}}));

  list.SetCount(3);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list[1], nullptr) << "a growing count appends nulls";
  EXPECT_EQ(list[2], nullptr);

  list.Add(&b);
  log.clear();
  list.Clear();
  EXPECT_EQ(log, (NotifyLog{{&b, lnDeleted}, {&a, lnDeleted}}));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(List, FreeNotifiesTheSubclassOfTheItemsLeft) {
  int a, b;
  NotifyLog log;
  auto* list = new RecordingList(&log);
  list->Add(&a);
  list->Add(&b);
  log.clear();
  list->Free();
  EXPECT_EQ(log, (NotifyLog{{&b, lnDeleted}, {&a, lnDeleted}}));
}

TEST(List, SortOrdersByTheCompareFunction) {
  const std::vector<std::vector<int>> cases = {
      {}, {7}, {2, 1}, {5, 3, 9, 1, 7}, {4, 4, 1, 4, 0, 4}, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, {1, 2, 3, 4, 5, 6}};
  for (const auto& values : cases) {
    std::vector<int> storage = values;
    TList list;
    for (int& v : storage) list.Add(&v);
    list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
    std::vector<int> got;
    for (Integer i = 0; i < list.Count(); ++i) got.push_back(*static_cast<int*>(list[i]));
    std::vector<int> expected = values;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected) << "sorting " << ::testing::PrintToString(values);
  }
}

TEST(List, PackRemovesNullsAndKeepsOrder) {
  int a, b, c;
  TList list;
  for (void* p : std::vector<void*>{nullptr, &a, nullptr, nullptr, &b, &c, nullptr}) list.Add(p);
  list.Pack();
  std::vector<void*> got(list.List(), list.List() + list.Count());
  EXPECT_EQ(got, (std::vector<void*>{&a, &b, &c}));
}

TEST(List, MoveShiftsTheItemsBetween) {
  int v[5];
  TList list;
  for (int& x : v) list.Add(&x);
  list.Move(0, 3);
  std::vector<void*> got(list.List(), list.List() + list.Count());
  EXPECT_EQ(got, (std::vector<void*>{&v[1], &v[2], &v[3], &v[0], &v[4]}));
  list.Move(4, 1);
  got.assign(list.List(), list.List() + list.Count());
  EXPECT_EQ(got, (std::vector<void*>{&v[1], &v[4], &v[2], &v[3], &v[0]}));
}

TEST(List, BadIndexesRaiseListErrorNamingTheIndex) {
  int a;
  TList list;
  list.Add(&a);
  list.Add(&a);
  TList empty;
  expectMessages<EListError>({
      {"Get(-1)", [&] { list.Get(-1); }, "List index out of bounds (-1)"},
      {"Get(Count)", [&] { list.Get(2); }, "List index out of bounds (2)"},
      {"Put(Count)", [&] { list.Put(2, &a); }, "List index out of bounds (2)"},
      {"Delete(Count)", [&] { list.Delete(2); }, "List index out of bounds (2)"},
      {"Insert(Count + 1)", [&] { list.Insert(3, &a); }, "List index out of bounds (3)"},
      {"Insert(-1)", [&] { list.Insert(-1, &a); }, "List index out of bounds (-1)"},
      {"Exchange(0, 5)", [&] { list.Exchange(0, 5); }, "List index out of bounds (5)"},
      {"Exchange(-2, 0)", [&] { list.Exchange(-2, 0); }, "List index out of bounds (-2)"},
      {"Move(0, 2)", [&] { list.Move(0, 2); }, "List index out of bounds (2)"},
      {"First of empty", [&] { empty.First(); }, "List index out of bounds (0)"},
      {"Last of empty", [&] { empty.Last(); }, "List index out of bounds (-1)"},
      {"SetCount(-1)", [&] { list.SetCount(-1); }, "List count out of bounds (-1)"},
      {"SetCapacity(1) below Count", [&] { list.SetCapacity(1); }, "List capacity out of bounds (1)"},
  });
  EXPECT_EQ(list.Count(), 2) << "a failed operation should leave the list as it was";
}

TEST(List, CapacityGrowsOnlyWhenFull) {
  TList list;
  int a;
  list.Add(&a);
  Integer first = list.Capacity();
  EXPECT_GE(first, 1);
  while (list.Count() < first) list.Add(&a);
  EXPECT_EQ(list.Capacity(), first) << "a list that just got full should not have grown yet";
  list.Add(&a);
  EXPECT_GT(list.Capacity(), first);
  list.SetCapacity(100);
  EXPECT_EQ(list.Expand()->Capacity(), 100) << "Expand grows only a full list";
}

// =======================================================================================
// TObjectList

TEST(ObjectList, FreesExactlyWhatLeavesTheListExceptExtracted) {
  std::vector<int> freed;
  auto* list = new TObjectList;
  ASSERT_TRUE(list->OwnsObjects());
  std::vector<Counted*> objs;
  for (int id = 0; id < 8; ++id) {
    objs.push_back(new Counted(&freed, id));
    list->Add(objs.back());
  }

  list->Delete(0);
  EXPECT_EQ(freed, (std::vector<int>{0})) << "Delete";
  EXPECT_EQ(list->Remove(objs[1]), 0);
  EXPECT_EQ(freed, (std::vector<int>{0, 1})) << "Remove";
  EXPECT_EQ(list->Extract(objs[2]), objs[2]);
  EXPECT_EQ(freed, (std::vector<int>{0, 1})) << "Extract should hand the object back unfreed";
  Counted* replacement = new Counted(&freed, 100);
  list->SetItems(0, replacement);  // replaces objs[3]
  EXPECT_EQ(freed, (std::vector<int>{0, 1, 3})) << "replacement through Put";
  list->SetCount(3);  // drops objs[7], objs[6]
  EXPECT_EQ(freed, (std::vector<int>{0, 1, 3, 7, 6})) << "shrinking SetCount";
  list->Free();  // objs[5], objs[4], replacement
  EXPECT_EQ(freed, (std::vector<int>{0, 1, 3, 7, 6, 5, 4, 100})) << "destruction";
  delete objs[2];
}

TEST(ObjectList, DeleteWithoutFreeStillFreesTheObjects) {
  std::vector<int> freed;
  auto* list = new TObjectList;
  list->Add(new Counted(&freed, 1));
  list->Add(new Counted(&freed, 2));
  delete list;
  EXPECT_EQ(freed, (std::vector<int>{2, 1}));
}

TEST(ObjectList, NotOwningListFreesNothing) {
  std::vector<int> freed;
  Counted x(&freed, 1), y(&freed, 2);
  {
    TObjectList list(false);
    list.Add(&x);
    list.Add(&y);
    list.Delete(0);
    list.Clear();
    list.Add(&x);
  }
  EXPECT_TRUE(freed.empty()) << "freed " << freed.size() << " objects";
}

TEST(ObjectList, FindInstanceOfExactOrInherited) {
  TObjectList list(false);
  TPersistent persistent;
  TStringList strings;
  TList plain;
  list.Add(&plain);
  list.Add(&strings);
  list.Add(&persistent);
  list.Add(&strings);
  EXPECT_EQ(list.FindInstanceOf(TPersistent::StaticClass()), 2) << "exact class";
  EXPECT_EQ(list.FindInstanceOf(TPersistent::StaticClass(), false), 1) << "TStringList inherits TPersistent";
  EXPECT_EQ(list.FindInstanceOf(TStrings::StaticClass()), -1) << "no object is exactly a TStrings";
  EXPECT_EQ(list.FindInstanceOf(TStringList::StaticClass(), true, 2), 3) << "search from index 2";
  EXPECT_EQ(list.IndexOf(&persistent), 2);
}

// =======================================================================================
// TInterfaceList

TEST(InterfaceList, HoldsOneReferencePerEntry) {
  CountingInterface x, y;
  auto* list = new TInterfaceList;
  list->Add(&x);
  list->Add(&x);
  list->Insert(0, &y);
  EXPECT_EQ(x.refs, 3u);
  EXPECT_EQ(y.refs, 2u);
  EXPECT_EQ(list->Get(0), &y);
  EXPECT_EQ(y.refs, 2u) << "reading should not add a reference";

  list->Put(0, &x);  // y leaves, x enters
  EXPECT_EQ(y.refs, 1u);
  EXPECT_EQ(x.refs, 4u);
  list->Put(0, &x);  // same interface again
  EXPECT_EQ(x.refs, 4u);

  EXPECT_EQ(list->Remove(&x), 0);
  EXPECT_EQ(x.refs, 3u);
  list->Add(&y);
  list->SetCount(1);  // drops x and y from the end
  EXPECT_EQ(x.refs, 2u);
  EXPECT_EQ(y.refs, 1u);
  list->Add(nullptr);
  EXPECT_EQ(list->Count(), 2);
  list->Free();
  EXPECT_EQ(x.refs, 1u) << "destruction should release what the list held";
}

TEST(InterfaceList, DeleteAndClearRelease) {
  CountingInterface x, y;
  TInterfaceList list;
  list.Add(&x);
  list.Add(&y);
  list.Delete(0);
  EXPECT_EQ(x.refs, 1u);
  EXPECT_EQ(list.First(), &y);
  list.Clear();
  EXPECT_EQ(y.refs, 1u);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(messageOf<EListError>([&] { list.Delete(0); }), "List index out of bounds (0)");
}

// =======================================================================================
// TBits

TEST(Bits, SettingPastTheEndGrowsReadingPastTheEndRaises) {
  TBits bits;
  EXPECT_EQ(bits.Size(), 0);
  bits.SetBits(10, true);
  EXPECT_EQ(bits.Size(), 11);
  EXPECT_TRUE(bits[10]);
  for (Integer i = 0; i < 10; ++i) EXPECT_FALSE(bits[i]) << "bit " << i << " should start clear";
  EXPECT_EQ(messageOf<EBitsError>([&] { bits.Bits(11); }), "Bits index out of range");
  EXPECT_EQ(messageOf<EBitsError>([&] { bits.Bits(-1); }), "Bits index out of range");
  EXPECT_EQ(messageOf<EBitsError>([&] { bits.SetBits(-1, true); }), "Bits index out of range");
  EXPECT_EQ(messageOf<EBitsError>([&] { bits.SetSize(-1); }), "Bits index out of range");
}

TEST(Bits, OpenBitIsFirstClearBitOrSize) {
  TBits bits;
  EXPECT_EQ(bits.OpenBit(), 0);
  bits.SetBits(0, true);
  bits.SetBits(1, true);
  bits.SetBits(3, true);
  EXPECT_EQ(bits.OpenBit(), 2);
  bits.SetBits(2, true);
  EXPECT_EQ(bits.OpenBit(), 4) << "every bit set: the open bit is Size";
}

TEST(Bits, ShrinkingForgetsBitsAndGrowingAddsClearOnes) {
  TBits bits;
  bits.SetBits(3, true);
  bits.SetSize(2);
  bits.SetSize(5);
  EXPECT_FALSE(bits[3]) << "a bit cut off by a smaller size should come back clear";
}

// =======================================================================================
// Geometry helpers

namespace {
std::string show(const TRect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}
}  // namespace

TEST(Geometry, BoundsAndRectDescribeTheSameRectangle) {
  TRect r = Bounds(10, 20, 30, 40);
  EXPECT_EQ(show(r), "(10,20)-(40,60)");
  EXPECT_EQ(RectWidth(r), 30);
  EXPECT_EQ(RectHeight(r), 40);
  TPoint p = Point(-3, 7);
  EXPECT_EQ(p.x, -3);
  EXPECT_EQ(p.y, 7);
}

TEST(Geometry, RectangleRoutinesTreatRightAndBottomAsOutside) {
  TRect r = Rect(0, 0, 10, 10);
  EXPECT_TRUE(PtInRect(r, Point(0, 0)));
  EXPECT_TRUE(PtInRect(r, Point(9, 9)));
  EXPECT_FALSE(PtInRect(r, Point(10, 5)));
  EXPECT_FALSE(PtInRect(r, Point(5, 10)));

  TRect out;
  EXPECT_TRUE(IntersectRect(out, r, Rect(5, 5, 20, 20)));
  EXPECT_EQ(show(out), "(5,5)-(10,10)");
  EXPECT_FALSE(IntersectRect(out, r, Rect(10, 0, 20, 10))) << "touching edges do not intersect";
  EXPECT_EQ(show(out), "(0,0)-(0,0)");
  EXPECT_TRUE(IsRectEmpty(out));
  EXPECT_FALSE(IsRectEmpty(r));
  EXPECT_TRUE(UnionRect(out, r, Rect(20, 20, 30, 25)));
  EXPECT_EQ(show(out), "(0,0)-(30,25)");
  OffsetRect(r, 5, -5);
  InflateRect(r, 1, 2);
  EXPECT_EQ(show(r), "(4,-7)-(16,7)");
}
