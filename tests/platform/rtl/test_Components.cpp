// The component model: ownership, names, free notification, component order, and
// collections with their change notifications.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RtlTestHelpers.h"
#include "TestFramework.h"
#include "platform/rtl/Classes.h"

namespace components_test {

std::vector<std::string>& journal() {
  static std::vector<std::string> entries;
  return entries;
}

// A component that writes its destruction and the removals it hears of to the journal.
class TJournalComponent : public TComponent {
  RTL_DECLARE_CLASS(TJournalComponent, TComponent)
public:
  explicit TJournalComponent(TComponent* owner) : TComponent(owner) {}
  ~TJournalComponent() override { journal().push_back("~" + Name()); }

  TJournalComponent* Button1 = nullptr;  // a published field

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) journal().push_back(Name() + " heard " + AComponent->Name());
  }
};
RTL_BEGIN_CLASS(TJournalComponent)
b.Field("Button1", &TJournalComponent::Button1);
RTL_END_CLASS

TJournalComponent* make(TComponent* owner, const std::string& name) {
  auto* c = New<TJournalComponent>(owner);
  c->SetName(name);
  return c;
}

std::vector<std::string> namesOf(TComponent* owner) {
  std::vector<std::string> names;
  for (int i = 0; i < owner->ComponentCount(); ++i) names.push_back(owner->Components(i)->Name());
  return names;
}

class ComponentsTest : public ::testing::Test {
protected:
  void SetUp() override { journal().clear(); }
};

// ---------------------------------------------------------------------------------------
// Ownership and free notification.

TEST_F(ComponentsTest, FreeingAnOwnerFreesOwnedLastFirstAndTellsWhoAsked) {
  TJournalComponent* owner = make(nullptr, "O");
  make(owner, "A");
  TJournalComponent* b = make(owner, "B");
  make(owner, "C");
  TJournalComponent* watcher = make(nullptr, "W");
  watcher->FreeNotification(b);
  watcher->FreeNotification(owner);
  owner->Free();
  // Those who asked hear of a component before its destructors run; the owned components
  // go after the owner's own destructor, last first.
  EXPECT_EQ(journal(), (std::vector<std::string>{"W heard O", "~O", "~C", "W heard B", "~B", "~A"}));
  journal().clear();
  watcher->Free();
  EXPECT_EQ(journal(), std::vector<std::string>{"~W"}) << "the watcher still held links to freed components";
}

TEST_F(ComponentsTest, FreeNotificationWorksBothWays) {
  TJournalComponent* x = make(nullptr, "X");
  TJournalComponent* y = make(nullptr, "Y");
  x->FreeNotification(y);
  y->Free();
  x->Free();
  EXPECT_EQ(journal(), (std::vector<std::string>{"X heard Y", "~Y", "~X"}));
  journal().clear();
  // A removed notification is not sent.
  x = make(nullptr, "X");
  y = make(nullptr, "Y");
  x->FreeNotification(y);
  x->RemoveFreeNotification(y);
  y->Free();
  x->Free();
  EXPECT_EQ(journal(), (std::vector<std::string>{"~Y", "~X"}));
}

TEST_F(ComponentsTest, FreeingOneComponentTellsItsOwnerAndTheOwnersOtherComponents) {
  TJournalComponent* owner = make(nullptr, "O");
  make(owner, "A");
  TJournalComponent* b = make(owner, "B");
  make(owner, "C");
  journal().clear();
  b->Free();
  // The owner hears before B's destructors run; its Notification passes the news to its
  // components (last first; B is still one of them, with its own class) before the journal
  // component writes its own line.
  EXPECT_EQ(journal(), (std::vector<std::string>{"C heard B", "B heard B", "A heard B", "O heard B", "~B"}));
  EXPECT_EQ(namesOf(owner), (std::vector<std::string>{"A", "C"}));
  owner->Free();
}

TEST_F(ComponentsTest, InsertAndRemoveComponentMoveOwnership) {
  TObjectPtr<TJournalComponent> first(make(nullptr, "First"));
  TObjectPtr<TJournalComponent> second(make(nullptr, "Second"));
  TJournalComponent* c = make(first.get(), "C");
  first->RemoveComponent(c);
  EXPECT_EQ(c->Owner(), nullptr);
  EXPECT_EQ(first->ComponentCount(), 0);
  second->InsertComponent(c);
  EXPECT_EQ(c->Owner(), second.get());
  EXPECT_EQ(c->ComponentIndex(), 0);
  EXPECT_EQ(second->FindComponent("C"), c);
}

// A component of a class of its own, to see which class receivers are shown.
class TDepartingComponent : public TComponent {
  RTL_DECLARE_CLASS(TDepartingComponent, TComponent)
public:
  explicit TDepartingComponent(TComponent* owner) : TComponent(owner) {}
};
RTL_IMPLEMENT_CLASS(TDepartingComponent)

// Writes down, for every removal it hears of, the class name the departing component
// answers and whether it is still a TDepartingComponent to dynamic_cast.
class TClassRecorder : public TComponent {
  RTL_DECLARE_CLASS(TClassRecorder, TComponent)
public:
  explicit TClassRecorder(TComponent* owner) : TComponent(owner) {}
  std::vector<std::string> Heard;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    const bool cast = dynamic_cast<TDepartingComponent*>(AComponent) != nullptr;
    Heard.push_back(AComponent->ClassName() + (cast ? " (cast)" : " (no cast)"));
  }
};
RTL_IMPLEMENT_CLASS(TClassRecorder)

TEST_F(ComponentsTest, ReceiversSeeTheDepartingComponentsRealClassOnEveryDestructionPath) {
  const std::vector<std::string> real{"TDepartingComponent (cast)"};
  struct Path {
    const char* name;
    bool ownerHears;  // the owner stays and is told (an owner destroying what it owns is not)
    std::function<void(TDepartingComponent*&, TComponent*&)> destroy;
  };
  const Path paths[] = {
      {"Free", true, [](TDepartingComponent*& c, TComponent*&) { c->Free(); }},
      {"FreeAndNil", true, [](TDepartingComponent*& c, TComponent*&) { FreeAndNil(c); }},
      {"delete", true, [](TDepartingComponent*& c, TComponent*&) { delete c; }},
      {"unique_ptr", true, [](TDepartingComponent*& c, TComponent*&) { std::unique_ptr<TComponent> p(c); }},
      {"TObjectPtr", true, [](TDepartingComponent*& c, TComponent*&) { TObjectPtr<TObject> p(c); }},
      {"owner freed", false, [](TDepartingComponent*&, TComponent*& owner) { FreeAndNil(owner); }},
      {"owner deleted", false, [](TDepartingComponent*&, TComponent*& owner) {
         delete owner;
         owner = nullptr;
       }},
      {"owner's DestroyComponents", false, [](TDepartingComponent*&, TComponent*& owner) {
         owner->DestroyComponents();
       }},
  };
  for (const Path& path : paths) {
    SCOPED_TRACE(path.name);
    auto* ownerRecorder = New<TClassRecorder>(nullptr);
    TComponent* owner = ownerRecorder;
    TObjectPtr<TClassRecorder> partner(New<TClassRecorder>(nullptr));
    auto* departing = New<TDepartingComponent>(owner);
    partner->FreeNotification(departing);
    path.destroy(departing, owner);
    EXPECT_EQ(partner->Heard, real) << "the free-notification partner";
    if (path.ownerHears) {
      EXPECT_EQ(ownerRecorder->Heard, real) << "the owner";
    }
    if (owner) {
      EXPECT_EQ(owner->ComponentCount(), 0);
      owner->Free();
    }
  }
}

// ---------------------------------------------------------------------------------------
// Names.

TEST_F(ComponentsTest, RenamingFollowsTheValidationRules) {
  TObjectPtr<TJournalComponent> owner(make(nullptr, "Owner"));
  TJournalComponent* a = make(owner.get(), "A");
  make(owner.get(), "B");
  expectMessages<EComponentError>({
      {"not an identifier", [&] { a->SetName("1abc"); }, "'1abc' is not a valid component name"},
      {"blank inside", [&] { a->SetName("a b"); }, "'a b' is not a valid component name"},
      {"taken by a sibling", [&] { a->SetName("B"); }, "A component named B already exists"},
      {"taken, other case", [&] { a->SetName("b"); }, "A component named b already exists"},
  });
  EXPECT_EQ(a->Name(), "A") << "a refused name must leave the old one";
  a->SetName("a");
  EXPECT_EQ(a->Name(), "a") << "a component may change the case of its own name";
  a->SetName("");
  make(owner.get(), "");  // several components may be unnamed
  EXPECT_EQ(namesOf(owner.get()), (std::vector<std::string>{"", "B", ""}));
  // Components of different owners may share a name.
  TObjectPtr<TJournalComponent> elsewhere(make(nullptr, "Elsewhere"));
  EXPECT_EQ(make(elsewhere.get(), "B")->Name(), "B");
}

TEST_F(ComponentsTest, FindComponentIgnoresCaseAndNeverFindsTheUnnamed) {
  TObjectPtr<TJournalComponent> owner(make(nullptr, "Owner"));
  TJournalComponent* edit = make(owner.get(), "Edit1");
  make(owner.get(), "");
  EXPECT_EQ(owner->FindComponent("EDIT1"), edit);
  EXPECT_EQ(owner->FindComponent("edit1"), edit);
  EXPECT_EQ(owner->FindComponent("Edit2"), nullptr);
  EXPECT_EQ(owner->FindComponent(""), nullptr);
  EXPECT_EQ(owner->FindComponent("Owner"), nullptr) << "the owner is not one of its own components";
}

TEST_F(ComponentsTest, OwnersPublishedFieldFollowsTheComponentsName) {
  TObjectPtr<TJournalComponent> form(make(nullptr, "Form"));
  TJournalComponent* button = make(form.get(), "Button1");
  EXPECT_EQ(form->Button1, button);
  button->SetName("Button2");
  EXPECT_EQ(form->Button1, nullptr) << "renaming away must clear the field";
  button->SetName("button1");
  EXPECT_EQ(form->Button1, button) << "fields are matched without regard to case";
  button->Free();
  EXPECT_EQ(form->Button1, nullptr) << "freeing must clear the field";
}

// ---------------------------------------------------------------------------------------
// Order of the owned components.

TEST_F(ComponentsTest, SetComponentIndexMovesAndClamps) {
  TObjectPtr<TJournalComponent> owner(make(nullptr, "Owner"));
  TJournalComponent* a = make(owner.get(), "A");
  make(owner.get(), "B");
  TJournalComponent* c = make(owner.get(), "C");
  c->SetComponentIndex(0);
  EXPECT_EQ(namesOf(owner.get()), (std::vector<std::string>{"C", "A", "B"}));
  a->SetComponentIndex(99);
  EXPECT_EQ(namesOf(owner.get()), (std::vector<std::string>{"C", "B", "A"}));
  a->SetComponentIndex(-5);
  EXPECT_EQ(namesOf(owner.get()), (std::vector<std::string>{"A", "C", "B"}));
  EXPECT_EQ(c->ComponentIndex(), 1);
  EXPECT_EQ(owner->ComponentIndex(), -1) << "a component without owner has no index";
  EXPECT_EQ(messageOf<EListError>([&] { owner->Components(3); }), "List index out of bounds (3)");
}

// ---------------------------------------------------------------------------------------
// Collections.

class TJournalItem : public TCollectionItem {
  RTL_DECLARE_CLASS(TJournalItem, TCollectionItem)
public:
  explicit TJournalItem(TCollection* c) : TCollectionItem(c) {}
  std::string Text;
  void Assign(TPersistent* Source) override {
    if (auto* other = dynamic_cast<TJournalItem*>(Source)) {
      Text = other->Text;
      return;
    }
    TCollectionItem::Assign(Source);
  }
  std::string DisplayName() const override { return Text.empty() ? TCollectionItem::DisplayName() : Text; }
  void SetDisplayName(const std::string& Value) override {
    Text = Value;
    TCollectionItem::SetDisplayName(Value);
  }
};
RTL_IMPLEMENT_CLASS(TJournalItem)

class TJournalCollection : public TOwnedCollection {
  RTL_DECLARE_CLASS(TJournalCollection, TOwnedCollection)
public:
  explicit TJournalCollection(TPersistent* owner) : TOwnedCollection(owner, TJournalItem::StaticClass()) {}
  TJournalItem* Item(int i) const { return static_cast<TJournalItem*>(Items(i)); }

protected:
  void Update(TCollectionItem* Item) override {
    journal().push_back(Item ? "Update #" + std::to_string(Item->ID()) : "Update all");
  }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    static const char* names[] = {"added", "extracting", "deleting"};
    journal().push_back(std::string("Notify ") + names[Action] + " #" + std::to_string(Item->ID()));
  }
};
RTL_IMPLEMENT_CLASS(TJournalCollection)

class TGrid : public TComponent {
  RTL_DECLARE_CLASS(TGrid, TComponent)
public:
  explicit TGrid(TComponent* owner) : TComponent(owner), columns_(New<TJournalCollection>(this)) {}
  ~TGrid() override { delete columns_; }
  TJournalCollection* Columns() const { return columns_; }
  void SetColumns(TJournalCollection* v) { columns_->Assign(v); }

private:
  TJournalCollection* columns_;
};
RTL_BEGIN_CLASS(TGrid)
b.Property("Columns", &TGrid::Columns, &TGrid::SetColumns);
RTL_END_CLASS

std::vector<int> idsOf(TCollection* c) {
  std::vector<int> ids;
  for (int i = 0; i < c->Count(); ++i) ids.push_back(c->Items(i)->ID());
  return ids;
}

class CollectionTest : public ::testing::Test {
protected:
  void SetUp() override {
    grid = New<TGrid>(nullptr);
    grid->SetName("Grid1");
    columns = grid->Columns();
    journal().clear();
  }
  void TearDown() override { grid->Free(); }
  TGrid* grid = nullptr;
  TJournalCollection* columns = nullptr;
};

TEST_F(CollectionTest, IdsAreNeverReusedAndFindItemIdFindsThem) {
  columns->Add();
  columns->Add();
  columns->Add();
  columns->Delete(1);
  columns->Add();
  EXPECT_EQ(idsOf(columns), (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(columns->NextID(), 4);
  EXPECT_EQ(columns->FindItemID(2), columns->Items(1));
  EXPECT_EQ(columns->FindItemID(1), nullptr);
  columns->Clear();
  EXPECT_EQ(columns->Count(), 0);
  EXPECT_EQ(columns->Add()->ID(), 4) << "Clear must not restart the IDs";
}

TEST_F(CollectionTest, InsertAndIndexPlaceItems) {
  columns->Add();
  columns->Add();
  TCollectionItem* first = columns->Insert(0);
  EXPECT_EQ(idsOf(columns), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(first->Index(), 0);
  first->SetIndex(2);
  EXPECT_EQ(idsOf(columns), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(messageOf<EListError>([&] { first->SetIndex(3); }), "List index out of bounds (3)");
  EXPECT_EQ(messageOf<EListError>([&] { columns->Items(-1); }), "List index out of bounds (-1)");
}

TEST_F(CollectionTest, ChangesNotifyAtOnceOrOnceAtTheEndOfAnUpdate) {
  columns->Add();
  EXPECT_EQ(journal(), (std::vector<std::string>{"Notify added #0", "Update all"}));
  journal().clear();
  columns->Item(0)->SetDisplayName("x");
  EXPECT_EQ(journal(), std::vector<std::string>{"Update #0"}) << "a change of one item updates that item";
  journal().clear();

  columns->BeginUpdate();
  columns->BeginUpdate();
  columns->Add();
  columns->Item(0)->SetDisplayName("y");
  columns->Delete(0);
  columns->EndUpdate();
  EXPECT_EQ(journal(), (std::vector<std::string>{"Notify added #1", "Notify deleting #0", "Notify extracting #0"}))
      << "no Update may run while an update is in progress";
  columns->EndUpdate();
  EXPECT_EQ(journal().back(), "Update all");
  EXPECT_EQ(journal().size(), 4u);
}

TEST_F(CollectionTest, AssignCopiesTheItemsOfAnotherCollection) {
  TObjectPtr<TGrid> other(New<TGrid>(nullptr));
  auto* a = static_cast<TJournalItem*>(other->Columns()->Add());
  a->Text = "one";
  auto* b = static_cast<TJournalItem*>(other->Columns()->Add());
  b->Text = "two";
  columns->Add()->SetDisplayName("old");
  journal().clear();
  columns->Assign(other->Columns());
  ASSERT_EQ(columns->Count(), 2);
  EXPECT_EQ(columns->Item(0)->Text, "one");
  EXPECT_EQ(columns->Item(1)->Text, "two");
  EXPECT_NE(columns->Item(0), a) << "Assign must copy, not share, the items";
  EXPECT_EQ(std::count(journal().begin(), journal().end(), "Update all"), 1) << "Assign is one update";
  EXPECT_EQ(messageOf<EConvertError>([&] { columns->Assign(grid); }), "Cannot assign a TGrid to a TJournalCollection");
  columns->Assign(columns);
  ASSERT_EQ(columns->Count(), 2) << "assigning a collection to itself keeps its items";
  EXPECT_EQ(columns->Item(1)->Text, "two");
}

TEST_F(CollectionTest, NamePathNamesTheOwnerThePropertyAndTheIndex) {
  columns->Add();
  columns->Add();
  EXPECT_EQ(columns->GetNamePath(), "Grid1.Columns");
  EXPECT_EQ(columns->Items(1)->GetNamePath(), "Grid1.Columns[1]");
  EXPECT_EQ(columns->Items(0)->GetOwner(), columns);
  TObjectPtr<TJournalCollection> loose(New<TJournalCollection>(nullptr));
  EXPECT_EQ(loose->GetNamePath(), "TJournalCollection");
}

TEST_F(CollectionTest, ItemOfTheWrongClassIsRefused) {
  TObjectPtr<TCollection> plain(New<TCollection>(TCollectionItem::StaticClass()));
  TCollectionItem* item = plain->Add();
  EXPECT_EQ(messageOf<EListError>([&] { item->SetCollection(columns); }), "Invalid property value");
  EXPECT_EQ(columns->Count(), 0);
  item->Free();
}

}  // namespace components_test
