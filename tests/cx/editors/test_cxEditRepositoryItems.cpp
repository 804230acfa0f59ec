// Repository items of the editor kinds (typed Properties, settings copied on assignment)
// and the registries of default items: the ordering rules of a registry, items freed under
// it, and the start-up editors chosen by value type and by data-set field.
#include <memory>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/editors/extra/cxEditRepositoryItems.h"

namespace {

TEST(EditRepositoryItemsTest, PropertiesAreTypedAndAssignmentCopiesSettings) {
  std::unique_ptr<TcxEditRepository> repository(New<TcxEditRepository>(nullptr));
  auto* item = static_cast<TcxEditRepositorySpinItem*>(repository->CreateItem(TcxEditRepositorySpinItem::StaticClass()));
  ASSERT_NE(item->Properties(), nullptr);
  EXPECT_EQ(item->Properties()->ClassType(), TcxSpinEditProperties::StaticClass());

  TcxSpinEditProperties* own = item->Properties();
  std::unique_ptr<TcxSpinEditProperties> source(New<TcxSpinEditProperties>(nullptr));
  source->SetIncrement(2.5);
  item->SetProperties(source.get());
  EXPECT_EQ(item->Properties(), own) << "the item keeps its own properties object";
  EXPECT_EQ(item->Properties()->Increment(), 2.5) << "the settings are copied";
  source.reset();
  EXPECT_EQ(item->Properties()->Increment(), 2.5) << "the copy outlives the source";
}

TEST(EditRepositoryItemsTest, ItemClassesStreamByName) {
  for (TClass itemClass : {TcxEditRepositoryTextItem::StaticClass(), TcxEditRepositoryMaskItem::StaticClass(),
                           TcxEditRepositoryCheckBoxItem::StaticClass(), TcxEditRepositoryMemoItem::StaticClass(),
                           TcxEditRepositoryRadioGroupItem::StaticClass()})
    EXPECT_EQ(GetClass(itemClass->ClassName()), itemClass) << itemClass->ClassName();
}

// A private registry with items of a private repository.
class RegistryTest : public ::testing::Test {
protected:
  TcxEditRepositoryItem* newItem(TClass AClass = TcxEditRepositoryTextItem::StaticClass()) {
    return repository->CreateItem(AClass);
  }
  std::unique_ptr<TcxEditRepository> repository{New<TcxEditRepository>(nullptr)};
  std::unique_ptr<TcxEditDBRegisteredRepositoryItems> registry{New<TcxEditDBRegisteredRepositoryItems>(nullptr)};
};

TEST_F(RegistryTest, LookupsFollowKeyAndPriority) {
  TcxEditRepositoryItem* fallback = newItem();
  TcxEditRepositoryItem* low = newItem();
  TcxEditRepositoryItem* high = newItem();
  TcxEditRepositoryItem* other = newItem();
  EXPECT_EQ(registry->GetItem(7), nullptr) << "no default item yet";
  registry->RegisterDefaultItem(-1, fallback);
  registry->RegisterItem(7, -1, low);
  registry->RegisterItem(7, 5, high);
  registry->RegisterItem(3, -1, other);
  // Keys far apart, as class addresses are: a difference would not fit 32 bits.
  RegistryKey distant = RegistryKey(1) << 40;
  registry->RegisterItem(distant, -1, other);

  struct Case {
    RegistryKey key;
    TcxEditRepositoryItem* expected;
    const char* why;
  } cases[] = {
      {0, fallback, "key 0 is the default even with keyed records"},
      {7, high, "the highest priority of the key"},
      {3, other, "a single record"},
      {distant, other, "a key beyond 32 bits"},
      {distant + 7, fallback, "unknown key"},
      {5, fallback, "unknown key between known ones"},
  };
  for (const Case& c : cases) EXPECT_EQ(registry->GetItem(c.key), c.expected) << c.why;

  registry->RegisterItem(3, -1, low);
  EXPECT_EQ(registry->GetItem(3), other) << "the same key and priority keep the first registration";
  registry->UnregisterItem(7, 5);
  EXPECT_EQ(registry->GetItem(7), low);
  registry->UnregisterDefaultItem(-1);
  EXPECT_EQ(registry->GetDefaultItem(), nullptr);
}

TEST_F(RegistryTest, AFreedItemLeavesEveryList) {
  TcxEditRepositoryItem* fallback = newItem();
  TcxEditRepositoryItem* shared = newItem();
  registry->RegisterDefaultItem(-1, fallback);
  registry->RegisterItem(ftInteger, -1, shared);
  registry->RegisterItem(ftString, -1, shared);
  registry->registerCurrencyItem(-1, shared);
  // Unregistering one key must not make the registry deaf to the item's end.
  registry->UnregisterItem(ftInteger, -1);
  EXPECT_EQ(shared->ListenerCount(), 1);
  shared->Free();
  EXPECT_EQ(registry->GetItem(ftString), fallback);
  std::unique_ptr<TFloatField> money(New<TFloatField>(nullptr));
  money->Setcurrency(true);
  EXPECT_EQ(registry->GetItemForField(money.get()), fallback);

  registry->RegisterItem(ftString, -1, fallback);
  registry.reset();
  EXPECT_EQ(fallback->ListenerCount(), 0) << "a freed registry stops listening";
}

TEST_F(RegistryTest, FieldRulesLookupThenCurrencyThenType) {
  TcxEditRepositoryItem* fallback = newItem(TcxEditRepositoryMaskItem::StaticClass());
  TcxEditRepositoryItem* currency = newItem();
  TcxEditRepositoryItem* lookup = newItem();
  TcxEditRepositoryItem* integer = newItem();
  registry->RegisterDefaultItem(-1, fallback);
  registry->RegisterItem(ftInteger, -1, integer);

  std::unique_ptr<TFloatField> money(New<TFloatField>(nullptr));
  money->Setcurrency(true);
  std::unique_ptr<TFloatField> lookupMoney(New<TFloatField>(nullptr));
  lookupMoney->Setcurrency(true);
  lookupMoney->SetFieldKind(fkLookup);
  std::unique_ptr<TIntegerField> number(New<TIntegerField>(nullptr));
  EXPECT_EQ(registry->GetItemForField(money.get()), fallback) << "no currency item: the default";
  EXPECT_EQ(registry->GetItemForField(lookupMoney.get()), fallback) << "no lookup item: the default";

  registry->registerCurrencyItem(-1, currency);
  registry->registerLookupItem(-1, lookup);
  EXPECT_EQ(registry->GetItemForField(nullptr), fallback);
  EXPECT_EQ(registry->GetItemForField(money.get()), currency);
  EXPECT_EQ(registry->GetItemForField(lookupMoney.get()), lookup) << "lookup wins over currency";
  EXPECT_EQ(registry->GetItemForField(number.get()), integer);
}

// The process-wide registries as start-up fills them.
TEST(DefaultRepositoryItemsTest, FieldTypesGetTheirEditors) {
  struct Case {
    TClass fieldClass;
    bool currency;
    TClass propertiesClass;
  } cases[] = {
      {TIntegerField::StaticClass(), false, TcxMaskEditProperties::StaticClass()},
      {TStringField::StaticClass(), false, TcxMaskEditProperties::StaticClass()},
      {TBooleanField::StaticClass(), false, TcxCheckBoxProperties::StaticClass()},
      {TMemoField::StaticClass(), false, TcxMemoProperties::StaticClass()},
      // The date and currency editors are not built: the mask editor answers.
      {TDateTimeField::StaticClass(), false, TcxMaskEditProperties::StaticClass()},
      {TFloatField::StaticClass(), true, TcxMaskEditProperties::StaticClass()},
  };
  TcxEditDBRegisteredRepositoryItems* registry = cxGetEditDBRegisteredRepositoryItems();
  ASSERT_EQ(registry, cxGetEditDBRegisteredRepositoryItems()) << "one registry";
  for (const Case& c : cases) {
    std::unique_ptr<TField> field(As<TField>(c.fieldClass->CreateInstance(static_cast<TComponent*>(nullptr))));
    if (c.currency) SetPropValue(field.get(), "currency", Variant(true));
    TcxEditRepositoryItem* item = registry->GetItemForField(field.get());
    ASSERT_NE(item, nullptr) << c.fieldClass->ClassName();
    EXPECT_EQ(item->Properties()->ClassType(), c.propertiesClass) << c.fieldClass->ClassName();
    EXPECT_EQ(item->Repository(), cxGetDefaultEditRepository());
  }
  EXPECT_EQ(registry->GetItemForField(nullptr)->Properties()->ClassType(), TcxMaskEditProperties::StaticClass());
}

TEST(DefaultRepositoryItemsTest, ValueTypesGetTheirEditors) {
  struct Case {
    TcxValueTypeClass valueType;
    TClass propertiesClass;
  } cases[] = {
      {TcxBooleanValueType::Instance(), TcxCheckBoxProperties::StaticClass()},
      {TcxStringValueType::Instance(), TcxTextEditProperties::StaticClass()},
      {TcxIntegerValueType::Instance(), TcxTextEditProperties::StaticClass()},
      {TcxDateTimeValueType::Instance(), TcxTextEditProperties::StaticClass()},
      {nullptr, TcxTextEditProperties::StaticClass()},
  };
  for (const Case& c : cases) {
    TcxEditRepositoryItem* item = cxGetEditDataRegisteredRepositoryItems()->GetItemByValueType(c.valueType);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Properties()->ClassType(), c.propertiesClass)
        << (c.valueType ? c.valueType->ClassName() : std::string("no value type"));
  }
}

}  // namespace
