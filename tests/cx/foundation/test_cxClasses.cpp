#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/foundation/cxClasses.h"

// ---------------------------------------------------------------------------------------
// Resource strings: the string table of this test program holds 64000 and 64001.

namespace {
const TResStringRec kGroupByCaption = {nullptr, 64000};
const TResStringRec kSameStringOtherRecord = {nullptr, 64000};
const TResStringRec kOriginalText = {nullptr, 64001};
const TResStringRec kMissing = {nullptr, 64999};
}  // namespace

TEST(cxResourceStrings, UnoverriddenStringComesFromTheStringTable) {
  EXPECT_EQ(cxGetResourceString(&kOriginalText), "Texto original");
  EXPECT_EQ(cxGetResourceString(&kMissing), "") << "a number the module lacks reads as the empty string";
}

TEST(cxResourceStrings, OverrideReplacesTheTextForThatRecordOnly) {
  cxSetResourceString(&kGroupByCaption, "primeiro");
  cxSetResourceString(&kGroupByCaption, "Arraste o cabeçalho de coluna para agrupar por esta coluna");
  EXPECT_EQ(cxGetResourceString(&kGroupByCaption), "Arraste o cabeçalho de coluna para agrupar por esta coluna")
      << "the second override must replace the first";
  EXPECT_EQ(cxGetResourceString(&kSameStringOtherRecord), cxGetResourceString(&kGroupByCaption))
      << "a record naming the same module and number is the same string";
  EXPECT_EQ(cxGetResourceString(&kOriginalText), "Texto original") << "other strings keep the resource text";
}

// ---------------------------------------------------------------------------------------
// Class registries. A small hierarchy: A <- Mid <- B <- C, and Other beside it.

namespace {
class TRegA : public TObject {
  RTL_DECLARE_CLASS(TRegA, TObject)
};
class TRegMid : public TRegA {
  RTL_DECLARE_CLASS(TRegMid, TRegA)
};
class TRegB : public TRegMid {
  RTL_DECLARE_CLASS(TRegB, TRegMid)
};
class TRegC : public TRegB {
  RTL_DECLARE_CLASS(TRegC, TRegB)
};
class TRegOther : public TObject {
  RTL_DECLARE_CLASS(TRegOther, TObject)
};
class TValueA : public TObject {
  RTL_DECLARE_CLASS(TValueA, TObject)
};
class TValueB : public TObject {
  RTL_DECLARE_CLASS(TValueB, TObject)
};
RTL_IMPLEMENT_CLASS(TRegA)
RTL_IMPLEMENT_CLASS(TRegMid)
RTL_IMPLEMENT_CLASS(TRegB)
RTL_IMPLEMENT_CLASS(TRegC)
RTL_IMPLEMENT_CLASS(TRegOther)
RTL_IMPLEMENT_CLASS(TValueA)
RTL_IMPLEMENT_CLASS(TValueB)

std::string describe(const TcxRegisteredClassList& list) {
  std::string s;
  for (Integer i = 0; i < list.Count(); ++i) {
    if (i) s += ",";
    s += list.PairAt(i).ItemClass->ClassName();
  }
  return s;
}
}  // namespace

TEST(cxRegisteredClassList, AncestorRegisteredLaterGoesBeforeItsDescendant) {
  TcxRegisteredClassList list;
  list.Register(TRegB::StaticClass(), TValueB::StaticClass());
  list.Register(TRegA::StaticClass(), TValueA::StaticClass());
  EXPECT_EQ(describe(list), "TRegA,TRegB");
  list.Register(TRegC::StaticClass(), TValueB::StaticClass());
  EXPECT_EQ(describe(list), "TRegA,TRegB,TRegC") << "a descendant goes right after its nearest ancestor";
}

TEST(cxRegisteredClassList, FindValueAnswersTheNearestRegisteredAncestor) {
  TcxRegisteredClassList list;
  list.Register(TRegB::StaticClass(), TValueB::StaticClass());
  list.Register(TRegA::StaticClass(), TValueA::StaticClass());
  struct Case {
    TClass asked;
    TClass expected;
  } cases[] = {
      {TRegC::StaticClass(), TValueB::StaticClass()},
      {TRegB::StaticClass(), TValueB::StaticClass()},
      {TRegMid::StaticClass(), TValueA::StaticClass()},
      {TRegA::StaticClass(), TValueA::StaticClass()},
      {TRegOther::StaticClass(), nullptr},
  };
  for (const Case& c : cases)
    EXPECT_EQ(list.FindValue(c.asked), c.expected) << "for " << c.asked->ClassName();
}

TEST(cxRegisteredClassList, FindEntryReportsTheLowestDescendantWhenNothingMatches) {
  TcxRegisteredClassList list;
  list.Register(TRegC::StaticClass(), TValueA::StaticClass());
  list.Register(TRegB::StaticClass(), TValueB::StaticClass());
  Integer index = -1;
  EXPECT_FALSE(list.FindEntry(TRegMid::StaticClass(), index));
  EXPECT_EQ(index, 0) << "TRegB, the lowest registered descendant of TRegMid, stands at 0";
  index = 7;
  EXPECT_FALSE(list.FindEntry(TRegOther::StaticClass(), index));
  EXPECT_EQ(index, 7) << "without a descendant the preset index stays";
}

TEST(cxRegisteredClassList, UnregisterRemovesOnlyExactPairs) {
  TcxRegisteredClassList list;
  list.Register(TRegA::StaticClass(), TValueA::StaticClass());
  list.Register(TRegA::StaticClass(), TValueA::StaticClass());
  list.Register(TRegA::StaticClass(), TValueB::StaticClass());
  EXPECT_EQ(list.Count(), 3) << "registering the same pair twice keeps both";
  list.Unregister(TRegA::StaticClass(), TValueA::StaticClass());
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.PairAt(0).RegisteredClass, TValueB::StaticClass());
}

TEST(cxRegisteredClasses, RegisterKeepsTheFirstDescriptionAndFindsNamesCaseSensitively) {
  TcxRegisteredClasses registry;
  registry.Register(TRegA::StaticClass(), "RegA|First");
  registry.Register(TRegB::StaticClass(), "RegB|Second");
  registry.Register(TRegA::StaticClass(), "RegA|Again");
  EXPECT_EQ(registry.ClassCount(), 2);
  EXPECT_EQ(registry.GetDescriptionByClass(TRegA::StaticClass()), "RegA|First");
  EXPECT_EQ(registry.FindByClassName("TRegB"), TRegB::StaticClass());
  EXPECT_EQ(registry.FindByClassName("tregb"), nullptr) << "names are compared byte for byte";
  registry.Unregister(TRegA::StaticClass());
  EXPECT_EQ(registry.IndexOfClass(TRegA::StaticClass()), -1);
  EXPECT_EQ(registry.ClassAt(0), TRegB::StaticClass());
}

TEST(cxRegisteredClasses, StreamingFlagRegistersTheClassByName) {
  EXPECT_EQ(GetClass("TRegOther"), nullptr);
  TcxRegisteredClasses streaming(true);
  streaming.Register(TRegOther::StaticClass(), "Other|");
  EXPECT_EQ(GetClass("TRegOther"), TRegOther::StaticClass());
  UnRegisterClass(TRegOther::StaticClass());
  TcxRegisteredClasses plain(false);
  plain.Register(TRegOther::StaticClass(), "Other|");
  EXPECT_EQ(GetClass("TRegOther"), nullptr) << "without the flag the class stays out of the streaming registry";
}

// ---------------------------------------------------------------------------------------
// Persistent and component bases.

namespace {
class TOwnedThing : public TcxInterfacedPersistent {
  RTL_DECLARE_CLASS(TOwnedThing, TcxInterfacedPersistent)
public:
  using TcxInterfacedPersistent::TcxInterfacedPersistent;
};
RTL_IMPLEMENT_CLASS(TOwnedThing)

class TLinkingComponent : public TcxComponent {
  RTL_DECLARE_CLASS(TLinkingComponent, TcxComponent)
public:
  using TcxComponent::TcxComponent;
  std::vector<TComponent*> links;
  void GetFakeComponentLinks(TList* List) override {
    for (TComponent* c : links) List->Add(c);
  }
};
RTL_IMPLEMENT_CLASS(TLinkingComponent)
}  // namespace

TEST(cxInterfacedPersistent, ClassReferenceBuildsWithTheOwnerAnsweredByGetOwner) {
  TObjectPtr<TComponent> owner(new TComponent(nullptr));
  TObjectPtr<TObject> made(TOwnedThing::StaticClass()->CreateInstance(owner.get()));
  auto* thing = dynamic_cast<TOwnedThing*>(made.get());
  ASSERT_NE(thing, nullptr) << "the class reference must build a TOwnedThing";
  EXPECT_EQ(thing->GetOwner(), owner.get());
  EXPECT_EQ(thing->OwnerPersistent(), owner.get());
}

TEST(cxComponent, FakeLinksFollowTheListOnlyAtDesignTime) {
  TObjectPtr<TComponent> owner(new TComponent(nullptr));
  auto* comp = new TLinkingComponent(owner.get());
  auto* a = new TComponent(owner.get());
  auto* b = new TComponent(owner.get());
  auto* c = new TComponent(owner.get());
  auto* d = new TComponent(owner.get());
  comp->links = {a, b, c, d};
  comp->UpdateFakeLinks();
  EXPECT_EQ(comp->FakeComponentLink1(), nullptr) << "at run time the links stay empty";

  comp->SetDesigning(true);
  comp->UpdateFakeLinks();
  EXPECT_EQ(comp->FakeComponentLink1(), a);
  EXPECT_EQ(comp->FakeComponentLink2(), b);
  EXPECT_EQ(comp->FakeComponentLink3(), c) << "entries past the third are ignored";
  comp->links = {d};
  comp->UpdateFakeLinks();
  EXPECT_EQ(comp->FakeComponentLink1(), d);
  EXPECT_EQ(comp->FakeComponentLink2(), nullptr) << "a shorter list clears the rest";
  EXPECT_FALSE(IsStoredProp(comp, "FakeComponentLink1")) << "the links are never stored";
}

TEST(cxComponent, BeforeDestructionEntersTheDestroyingState) {
  struct Probe : TcxComponent {
    using TcxComponent::TcxComponent;
    bool* sawDestroying = nullptr;
    ~Probe() override { *sawDestroying = ComponentState().Contains(csDestroying); }
  };
  bool saw = false;
  auto* p = new Probe(nullptr);
  p->sawDestroying = &saw;
  p->Free();
  EXPECT_TRUE(saw) << "the destructor chain must see csDestroying";
}

TEST(cxObjectList, ClearFreesEveryObjectInIndexOrder) {
  static std::vector<int> freed;
  struct Tracked : TObject {
    int id;
    explicit Tracked(int i) : id(i) {}
    ~Tracked() override { freed.push_back(id); }
  };
  freed.clear();
  auto* list = new TcxObjectList;
  for (int i = 0; i < 3; ++i) list->Add(new Tracked(i));
  EXPECT_EQ(static_cast<Tracked*>(list->GetItem(1))->id, 1);
  list->Clear();
  EXPECT_EQ(freed, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(list->Count(), 0);
  list->Add(new Tracked(9));
  list->Free();
  EXPECT_EQ(freed.back(), 9) << "freeing the list frees what it still holds";
}

// ---------------------------------------------------------------------------------------
// Proportional widths.

namespace {
struct AutoWidthCase {
  const char* name;
  Integer target;
  std::vector<Integer> preferred;
  std::vector<Integer> minimum;
  std::vector<bool> fixed;
  std::vector<Integer> expected;
};

std::vector<Integer> distribute(const AutoWidthCase& c) {
  TcxAutoWidthObject obj(static_cast<Integer>(c.preferred.size()));
  for (size_t i = 0; i < c.preferred.size(); ++i) {
    TcxAutoWidthItem* item = obj.AppendItem();
    EXPECT_EQ(item->ResultWidth, -1) << "a new item is not yet calculated";
    item->PreferredWidth = c.preferred[i];
    item->MinimumWidth = c.minimum.empty() ? 0 : c.minimum[i];
    item->KeepsWidth = c.fixed.empty() ? false : bool(c.fixed[i]);
  }
  obj.TargetWidth = c.target;
  obj.Calculate();
  std::vector<Integer> result;
  for (Integer i = 0; i < obj.Count(); ++i) result.push_back(obj.ItemAt(i)->ResultWidth);
  return result;
}
}  // namespace

TEST(cxAutoWidthObject, DistributesProportionallyHonouringFixedAndMinimumWidths) {
  const AutoWidthCase cases[] = {
      {"equal weights", 300, {100, 100, 100}, {}, {}, {100, 100, 100}},
      {"rounding adds up to the target", 100, {1, 1, 1}, {}, {}, {33, 34, 33}},
      {"minimum clamps then the rest gets the remainder", 100, {50, 50}, {60, 0}, {}, {60, 40}},
      {"fixed keeps its width", 100, {30, 10, 10}, {}, {true, false, false}, {30, 35, 35}},
      {"zero weight gets its minimum", 100, {0, 50}, {7, 0}, {}, {7, 93}},
      {"all fixed leaves nothing to share", 100, {40, 20}, {}, {true, true}, {40, 20}},
      {"zero remaining weight gives minimums", 100, {0, 0}, {5, 6}, {}, {5, 6}},
  };
  for (const AutoWidthCase& c : cases) EXPECT_EQ(distribute(c), c.expected) << c.name;
}

TEST(cxAutoWidthObject, ShortNamesReachTheSameCells) {
  TcxAutoWidthObject obj;
  TcxAutoWidthItem* item = obj.AppendItem();
  item->Width = 40;
  item->MinWidth = 3;
  item->Fixed = true;
  obj.AvailableWidth = 90;
  EXPECT_EQ(item->PreferredWidth, 40);
  EXPECT_EQ(item->MinimumWidth, 3);
  EXPECT_TRUE(item->KeepsWidth);
  EXPECT_EQ(obj.TargetWidth, 90);
  EXPECT_EQ(obj.TotalWidth(), 40);
  obj.Calculate();
  EXPECT_EQ(item->AutoWidth, 40);
}
