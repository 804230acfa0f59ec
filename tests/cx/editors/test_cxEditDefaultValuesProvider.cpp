#include <string>

#include "TestFramework.h"
#include "cx/editors/cxEdit.h"

namespace {

template <class T> using Owned = TObjectPtr<T>;

Owned<TcxCustomEditDefaultValuesProvider> newProvider() {
  return Owned<TcxCustomEditDefaultValuesProvider>(New<TcxCustomEditDefaultValuesProvider>(nullptr));
}

Owned<TcxCustomEditProperties> newProperties(TPersistent* AOwner = nullptr) {
  return Owned<TcxCustomEditProperties>(New<TcxCustomEditProperties>(AOwner));
}

class Notices : public TObject {
public:
  int Count = 0;
  TObject* LastSender = nullptr;
  void Changed(TObject* Sender) {
    ++Count;
    LastSender = Sender;
  }
};

// A provider of a field that is read-only.
class ReadOnlyProvider : public TcxCustomEditDefaultValuesProvider {
public:
  ReadOnlyProvider() : TcxCustomEditDefaultValuesProvider(nullptr) {}
  bool DefaultReadOnly() override { return true; }
};

}  // namespace

TEST(cxEditDefaultValuesProvider, AnswersTheDefaultsOfAnEditorBoundToNothing) {
  auto provider = newProvider();
  IcxEditDefaultValuesProvider* i = provider.get();
  EXPECT_EQ(i->DefaultAlignment(), taLeftJustify);
  EXPECT_EQ(i->DefaultBlobKind(), 3);
  EXPECT_TRUE(i->DefaultCanModify());
  std::string text = "stale";
  i->DefaultDisplayFormat(text);
  EXPECT_EQ(text, "");
  text = "stale";
  i->DefaultEditFormat(text);
  EXPECT_EQ(text, "");
  text = "stale";
  i->DefaultEditMask(text);
  EXPECT_EQ(text, "");
  EXPECT_FALSE(i->DefaultIsFloatValue());
  EXPECT_EQ(i->DefaultMaxLength(), 0);
  EXPECT_EQ(i->DefaultMaxValue(), 0.0L);
  EXPECT_EQ(i->DefaultMinValue(), 0.0L);
  EXPECT_EQ(i->DefaultPrecision(), 15);
  EXPECT_FALSE(i->DefaultReadOnly());
  EXPECT_FALSE(i->DefaultRequired());
  EXPECT_EQ(i->GetInstance(), provider.get());
  EXPECT_FALSE(i->IsDataSetProvider());
  EXPECT_FALSE(i->IsBlobValue());
  EXPECT_FALSE(i->HasDisplayFormat(true));
  EXPECT_FALSE(i->HasDisplayFormat(false));
  EXPECT_FALSE(i->HasGetTextHandler());
  for (char c : {'a', '0', ' ', '\x01', '\xE7'}) EXPECT_TRUE(i->IsValidChar(c)) << int(c);

  // Reached through the interface table too.
  IcxEditDefaultValuesProvider* found = nullptr;
  EXPECT_TRUE(Supports(static_cast<TObject*>(provider.get()), IcxEditDefaultValuesProvider::IID(),
                       reinterpret_cast<void**>(&found)));
  EXPECT_EQ(found, i);
}

TEST(cxEditDefaultValuesProvider, ChangedFiresTheStoredHandler) {
  auto provider = newProvider();
  provider->Changed();  // nothing stored: nothing happens
  Notices notices;
  const TNotifyEvent handler(&notices, &Notices::Changed);
  provider->SetOnChanged(handler);
  TNotifyEvent read;
  provider->GetOnChanged(read);
  EXPECT_TRUE(read == handler);
  provider->Changed();
  EXPECT_EQ(notices.Count, 1);
  EXPECT_EQ(notices.LastSender, provider.get());
}

TEST(cxEditDefaultValuesProvider, AnEditorsPropertiesFollowTheProviderUntilValuesAreAssigned) {
  // Without a provider nothing is read-only; a read-only provider makes the editor
  // read-only until ReadOnly is assigned.
  Owned<TcxCustomEdit> edit(New<TcxCustomEdit>(nullptr));
  auto p = newProperties(edit.get());
  EXPECT_FALSE(p->GetReadOnly());
  EXPECT_TRUE(p->CanModify());
  auto neutral = newProvider();
  p->SetDefaultValuesProvider(neutral.get());
  EXPECT_FALSE(p->GetReadOnly());
  EXPECT_TRUE(p->CanModify());

  Owned<ReadOnlyProvider> readOnly(new ReadOnlyProvider());
  p->SetDefaultValuesProvider(readOnly.get());
  EXPECT_TRUE(p->GetReadOnly());
  EXPECT_FALSE(p->CanModify());
  p->SetReadOnly(false);
  EXPECT_FALSE(p->GetReadOnly());
  EXPECT_TRUE(p->CanModify());

  // The provider's change reaches the properties' user.
  Notices notices;
  p->SetOnPropertiesChanged(TNotifyEvent(&notices, &Notices::Changed));
  readOnly->Changed();
  EXPECT_EQ(notices.Count, 1);
  EXPECT_EQ(notices.LastSender, p.get());
  p->SetDefaultValuesProvider(nullptr);
}

TEST(cxEditDefaultValuesProvider, FreeingAProviderDetachesItFromEveryPropertiesObject) {
  Owned<TcxCustomEdit> edit(New<TcxCustomEdit>(nullptr));
  auto ofEditor = newProperties(edit.get());
  auto ofRepository = newProperties();
  auto ofOther = newProperties();
  auto other = newProvider();
  Owned<ReadOnlyProvider> freed(new ReadOnlyProvider());
  ofEditor->SetDefaultValuesProvider(freed.get());
  ofRepository->SetDefaultValuesProvider(freed.get());
  ofOther->SetDefaultValuesProvider(other.get());
  ASSERT_TRUE(ofEditor->GetReadOnly());
  Notices notices;
  ofEditor->SetOnPropertiesChanged(TNotifyEvent(&notices, &Notices::Changed));

  freed.reset();
  EXPECT_EQ(ofEditor->DefaultValuesProvider(), nullptr);
  EXPECT_EQ(ofRepository->DefaultValuesProvider(), nullptr);
  EXPECT_FALSE(ofEditor->GetReadOnly()) << "no dangling provider is asked";
  EXPECT_TRUE(ofEditor->CanModify());
  EXPECT_GE(notices.Count, 1) << "the editor hears that its defaults changed";
  EXPECT_EQ(ofOther->DefaultValuesProvider(), static_cast<IcxEditDefaultValuesProvider*>(other.get()));

  // Detaching explicitly does the same and leaves the provider usable.
  ofRepository->SetDefaultValuesProvider(other.get());
  other->DetachFromProperties();
  EXPECT_EQ(ofRepository->DefaultValuesProvider(), nullptr);
  EXPECT_EQ(ofOther->DefaultValuesProvider(), nullptr);
}

TEST(cxDataBinding, IsTheFoundationsBindingBuiltByItsClassReference) {
  Owned<TComponent> control(New<TComponent>(nullptr));
  Owned<TcxCustomDataBinding> binding(
      TcxCustomDataBinding::CreateOfClass(TcxDataBinding::StaticClass(), nullptr, control.get()));
  ASSERT_NE(binding.get(), nullptr);
  EXPECT_EQ(binding->ClassType(), TcxDataBinding::StaticClass());
  EXPECT_EQ(binding->Control(), control.get());
  EXPECT_TRUE(binding->CanModify());
  EXPECT_TRUE(VarIsNull(binding->GetDataValue(1, false)));
}
