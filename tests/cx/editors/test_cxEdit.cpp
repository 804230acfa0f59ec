#include <functional>
#include <stdexcept>
#include <string>

#include "TestFramework.h"
#include "cx/editors/cxEdit.h"
#include "cx/foundation/cxEditConsts.h"
#include "platform/rtl/SysUtils.h"

namespace {

// ---------------------------------------------------------------------------------------
// Fixtures.

// A default-values provider with settable answers and a real reference count.
class TestProvider : public TObject, public IcxEditDefaultValuesProvider {
public:
  TAlignment Alignment = taLeftJustify;
  bool ReadOnly = false;
  bool CanModify = true;
  bool DisplayFormat = false;
  bool ThrowOnAlignment = false;
  int HasDisplayFormatCalls = 0;
  bool LastCurrencyAccepted = false;
  int RefCount = 0;
  TNotifyEvent OnChanged;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    *obj = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return ++RefCount; }
  ULONG STDMETHODCALLTYPE _Release() override { return --RefCount; }

  void Changed() override {
    if (OnChanged) OnChanged(this);
  }
  void DetachFromProperties() override {}
  TAlignment DefaultAlignment() override {
    if (ThrowOnAlignment) throw Exception("provider failed");
    return Alignment;
  }
  Integer DefaultBlobKind() override { return 3; }
  bool DefaultCanModify() override { return CanModify; }
  void DefaultDisplayFormat(std::string& AFormat) override { AFormat.clear(); }
  void DefaultEditFormat(std::string& AFormat) override { AFormat.clear(); }
  void DefaultEditMask(std::string& AMask) override { AMask.clear(); }
  bool DefaultIsFloatValue() override { return false; }
  Integer DefaultMaxLength() override { return 0; }
  long double DefaultMaxValue() override { return 0; }
  long double DefaultMinValue() override { return 0; }
  Integer DefaultPrecision() override { return 15; }
  bool DefaultReadOnly() override { return ReadOnly; }
  bool DefaultRequired() override { return false; }
  TObject* GetInstance() override { return this; }
  void GetOnChanged(TNotifyEvent& AValue) override { AValue = OnChanged; }
  bool IsDataSetProvider() override { return false; }
  bool IsBlobValue() override { return false; }
  bool HasDisplayFormat(bool AIsCurrencyValueAccepted) override {
    ++HasDisplayFormatCalls;
    LastCurrencyAccepted = AIsCurrencyValueAccepted;
    return DisplayFormat;
  }
  bool HasGetTextHandler() override { return false; }
  bool IsValidChar(char) override { return true; }
  void SetOnChanged(const TNotifyEvent& AValue) override { OnChanged = AValue; }
};

// Counts the change notices of a properties object.
class ChangeCounter : public TObject {
public:
  int Count = 0;
  TObject* LastSender = nullptr;
  void PropertiesChanged(TObject* Sender) {
    ++Count;
    LastSender = Sender;
  }
  void Listen(TcxCustomEditProperties* P) { P->SetOnPropertiesChanged(TNotifyEvent(this, &ChangeCounter::PropertiesChanged)); }
};

// An editor whose display text a test sets.
class TestEdit : public TcxCustomEdit {
public:
  explicit TestEdit(TComponent* AOwner) : TcxCustomEdit(AOwner) {}
  std::string DisplayText;
  std::string GetDisplayText() override { return DisplayText; }
};

// Values with a flag of their own, to show which values class a properties object made.
class TestValues : public TcxCustomEditPropertiesValues {
  RTL_DECLARE_CLASS(TestValues, TcxCustomEditPropertiesValues)
public:
  TestValues() = default;
};
RTL_IMPLEMENT_CLASS(TestValues)

// A view data that records what it was made with and may fail to measure; counts the live
// instances so a test sees whether a temporary one was freed.
class TestViewData : public TcxCustomEditViewData {
  RTL_DECLARE_CLASS(TestViewData, TcxCustomEditViewData)
public:
  static inline int Live = 0;
  static inline bool Fail = false;
  static inline TcxCustomEditStyle* SeenStyle = nullptr;
  static inline bool SeenInplace = false;
  static inline TcxEditSizeProperties SeenSizeProperties;
  explicit TestViewData(const TCreateArgs* Args) : TcxCustomEditViewData(Args) {
    ++Live;
    SeenStyle = GetStyle();
    SeenInplace = IsInplace();
  }
  ~TestViewData() override { --Live; }
  void GetEditSize(TcxCanvas*, const Variant& AEditValue, const TcxEditSizeProperties& AEditSizeProperties,
                   TSize& ASize) override {
    SeenSizeProperties = AEditSizeProperties;
    if (Fail) throw Exception("measuring failed");
    ASize.cx = 40 + static_cast<LONG>(VarToStr(AEditValue).size());
    ASize.cy = 21;
  }
};
RTL_IMPLEMENT_CLASS(TestViewData)

// A properties class whose virtual answers a test chooses.
class TestProperties : public TcxCustomEditProperties {
  RTL_DECLARE_CLASS(TestProperties, TcxCustomEditProperties)
public:
  explicit TestProperties(TPersistent* AOwner) : TcxCustomEditProperties(AOwner) {}
  bool Validates = false;
  TcxEditDisplayFormatOptions Options = 0;
  TcxEditValueKind FocusedKind = evsValue;
  TcxEditValueKind UnfocusedKind = evsValue;
  bool CanValidate() override { return Validates; }
  TcxEditDisplayFormatOptions GetDisplayFormatOptions() override { return Options; }
  TcxEditValueKind GetEditValueKind(bool AFocused) override { return AFocused ? FocusedKind : UnfocusedKind; }
  TClass GetViewDataClass() override { return TestViewData::StaticClass(); }
};
RTL_IMPLEMENT_CLASS(TestProperties)

// A properties class with other construction-time answers.
class OtherDefaultsProperties : public TcxCustomEditProperties {
  RTL_DECLARE_CLASS(OtherDefaultsProperties, TcxCustomEditProperties)
public:
  explicit OtherDefaultsProperties(TPersistent* AOwner) : TcxCustomEditProperties(AOwner) {}
  bool DefaultUseLeftAlignmentOnEditing() override { return false; }
  TClass GetAssignedValuesClass() override { return TestValues::StaticClass(); }
};
RTL_IMPLEMENT_CLASS(OtherDefaultsProperties)

template <class T> using Owned = TObjectPtr<T>;

template <class T = TestProperties> Owned<T> newProperties(TPersistent* AOwner = nullptr) {
  return Owned<T>(New<T>(AOwner));
}

bool listHas(TObject* AObject) { return cxEditPropertiesList && cxEditPropertiesList->IndexOf(AObject) >= 0; }

const std::string invalidInputText = "Valor de entrada inválido. Utilize ESC para abandonar alterações";

// ---------------------------------------------------------------------------------------
// Construction.

TEST(cxEditProperties, StartsWithTheDocumentedDefaultsAndJoinsTheLiveList) {
  TcxCustomEditProperties* raw = New<TcxCustomEditProperties>(nullptr);
  Owned<TcxCustomEditProperties> p(raw);
  EXPECT_TRUE(p->AutoSelect());
  EXPECT_FALSE(p->BeepOnError());
  EXPECT_EQ(p->ClearKey(), 0);
  EXPECT_EQ(p->ClickKey(), 0x400D);
  EXPECT_FALSE(p->ImmediatePost());
  EXPECT_TRUE(p->UseLeftAlignmentOnEditing());
  EXPECT_FALSE(p->IsUseLeftAlignmentOnEditingStored());
  EXPECT_TRUE(p->UseMouseWheel());
  EXPECT_FALSE(p->ValidateOnEnter());
  EXPECT_EQ(p->UpdateCount(), 0);
  EXPECT_FALSE(p->IsChangeLocked());
  ASSERT_NE(p->Buttons(), nullptr);
  EXPECT_EQ(p->Buttons()->Count(), 0);
  EXPECT_EQ(p->Buttons()->GetOwner(), raw);
  ASSERT_NE(p->AssignedValues(), nullptr);
  EXPECT_EQ(p->AssignedValues()->ClassType(), TcxCustomEditPropertiesValues::StaticClass());
  EXPECT_FALSE(p->IsReadOnlyStored());
  EXPECT_FALSE(p->IsAlignmentStored());
  EXPECT_EQ(p->GetAlignment()->GetOwner(), raw);
  EXPECT_EQ(p->GetAlignment()->Vert(), taTopJustify);
  EXPECT_EQ(p->DefaultValuesProvider(), nullptr);
  EXPECT_TRUE(listHas(raw));
  p.reset();
  EXPECT_FALSE(listHas(raw)) << "a freed properties object stays in the live list";
}

TEST(cxEditProperties, ConstructionUsesTheClassesOwnAnswers) {
  auto p = newProperties<OtherDefaultsProperties>();
  EXPECT_EQ(p->AssignedValues()->ClassType(), TestValues::StaticClass());
  EXPECT_FALSE(p->UseLeftAlignmentOnEditing());
  EXPECT_FALSE(p->IsUseLeftAlignmentOnEditingStored());
  p->SetUseLeftAlignmentOnEditing(true);
  EXPECT_TRUE(p->IsUseLeftAlignmentOnEditingStored());
}

TEST(cxEditProperties, BaseClassAnswers) {
  auto p = newProperties<TcxCustomEditProperties>();
  EXPECT_FALSE(p->CanValidate());
  EXPECT_FALSE(p->CanCompareEditValue());
  EXPECT_FALSE(p->FiresChangeSeparately());
  EXPECT_FALSE(p->HandlesTabKey());
  EXPECT_FALSE(p->CanResetEditValue());
  EXPECT_FALSE(p->CompareDisplayValues(Variant("a"), Variant("a")));
  EXPECT_EQ(p->GetDisplayFormatOptions(), 0);
  EXPECT_EQ(p->GetEditValueKind(true), evsValue);
  EXPECT_EQ(p->GetEditValueKind(false), evsValue);
  EXPECT_EQ(p->GetEditClass(), TcxCustomEdit::StaticClass());
  EXPECT_EQ(p->GetStyleClass(), TcxCustomEditStyle::StaticClass());
  EXPECT_EQ(p->GetViewInfoClass(), TcxCustomEditViewInfo::StaticClass());
  EXPECT_EQ(p->GetViewDataClass(), TcxCustomEditViewData::StaticClass());
  EXPECT_EQ(p->GetAssignedValuesClass(), TcxCustomEditPropertiesValues::StaticClass());
  Variant v(42);
  EXPECT_TRUE(p->IsEditValueValid(v));
  std::string text = "stale";
  p->GetDisplayText(Variant("abc"), text);
  EXPECT_EQ(text, "");
}

// ---------------------------------------------------------------------------------------
// Change notification and update locking.

TEST(cxEditProperties, UpdateBracketFoldsChangesIntoOneNoticeAtTheOutermostEnd) {
  auto p = newProperties();
  ChangeCounter counter;
  counter.Listen(p.get());

  p->BeginUpdate();
  for (int i = 0; i < 10; ++i) p->SetAutoSelect(i % 2 == 0);
  EXPECT_EQ(counter.Count, 0);
  p->EndUpdate(true);
  EXPECT_EQ(counter.Count, 1);
  EXPECT_EQ(counter.LastSender, p.get());

  counter.Count = 0;
  p->BeginUpdate();
  for (int i = 0; i < 10; ++i) p->SetUseLeftAlignmentOnEditing(i % 2 == 0);
  p->EndUpdate(false);
  EXPECT_EQ(counter.Count, 0) << "changes inside a bracket ended with False must be dropped";

  counter.Count = 0;
  p->BeginUpdate();
  p->BeginUpdate();
  p->SetReadOnly(true);
  p->EndUpdate(true);
  EXPECT_EQ(counter.Count, 0) << "an inner bracket must not notify";
  EXPECT_TRUE(p->IsChangeLocked());
  p->EndUpdate(true);
  EXPECT_EQ(counter.Count, 1);
  EXPECT_FALSE(p->IsChangeLocked());
}

TEST(cxEditProperties, EndUpdateWithoutBracketDoesNothingAndNeverUnbalancesTheLock) {
  auto p = newProperties();
  ChangeCounter counter;
  counter.Listen(p.get());
  p->EndUpdate(true);
  p->EndUpdate(true);
  EXPECT_EQ(counter.Count, 0);
  EXPECT_EQ(p->UpdateCount(), 0);
  // A later bracket still locks: the count did not go below 0.
  p->BeginUpdate();
  p->SetAutoSelect(false);
  EXPECT_EQ(counter.Count, 0);
  p->EndUpdate(true);
  EXPECT_EQ(counter.Count, 1);
}

TEST(cxEditProperties, ChangeLockedFlagSilencesChanges) {
  auto p = newProperties();
  ChangeCounter counter;
  counter.Listen(p.get());
  p->SetChangeLocked(true);
  EXPECT_TRUE(p->IsChangeLocked());
  p->SetAutoSelect(false);
  p->SetReadOnly(true);
  EXPECT_EQ(counter.Count, 0);
  p->SetChangeLocked(false);
  EXPECT_FALSE(p->IsChangeLocked());
  p->SetAutoSelect(true);
  EXPECT_EQ(counter.Count, 1);
}

TEST(cxEditProperties, WhichSettersNotify) {
  struct Case {
    const char* Name;
    std::function<void(TcxCustomEditProperties*)> Apply;
    int Notices;
  };
  const Case cases[] = {
      {"AutoSelect changed", [](auto* p) { p->SetAutoSelect(false); }, 1},
      {"AutoSelect same", [](auto* p) { p->SetAutoSelect(true); }, 0},
      {"UseLeftAlignmentOnEditing changed", [](auto* p) { p->SetUseLeftAlignmentOnEditing(false); }, 1},
      {"UseLeftAlignmentOnEditing same", [](auto* p) { p->SetUseLeftAlignmentOnEditing(true); }, 0},
      {"BeepOnError", [](auto* p) { p->SetBeepOnError(true); }, 0},
      {"ClearKey", [](auto* p) { p->SetClearKey(0x2000 | VK_DELETE); }, 0},
      {"ClickKey", [](auto* p) { p->SetClickKey(0x0D); }, 0},
      {"ImmediatePost", [](auto* p) { p->SetImmediatePost(true); }, 0},
      {"ValidateOnEnter", [](auto* p) { p->SetValidateOnEnter(true); }, 0},
      {"a button added", [](auto* p) { p->Buttons()->Add(); }, 1},
      {"Vert through Alignment", [](auto* p) { p->GetAlignment()->SetVert(taVCenter); }, 1},
      {"Horz through Alignment", [](auto* p) { p->GetAlignment()->SetHorz(taCenter); }, 1},
      {"RestoreDefaults", [](auto* p) { p->RestoreDefaults(); }, 1},
  };
  for (const Case& c : cases) {
    auto p = newProperties();
    ChangeCounter counter;
    counter.Listen(p.get());
    c.Apply(p.get());
    EXPECT_EQ(counter.Count, c.Notices) << c.Name;
  }
}

TEST(cxEditProperties, NoCallbackIntoAnOwnerBeingDestroyed) {
  TestEdit* edit = New<TestEdit>(nullptr);
  auto p = newProperties(edit);
  ChangeCounter counter;
  counter.Listen(p.get());
  p->SetAutoSelect(false);
  EXPECT_EQ(counter.Count, 1);
  edit->Destroying();
  p->SetAutoSelect(true);
  p->SetReadOnly(true);
  p->Buttons()->Add();
  EXPECT_EQ(counter.Count, 1) << "changes reached an editor that is being destroyed";
  p.reset();
  edit->Free();
}

// ---------------------------------------------------------------------------------------
// Alignment.

// Properties bound to a provider that suggests right alignment. The provider outlives the
// properties, which keep a reference to it.
class cxEditPropertiesBound : public ::testing::Test {
protected:
  cxEditPropertiesBound() {
    provider.Alignment = taRightJustify;
    p->SetDefaultValuesProvider(&provider);
  }
  TestProvider provider;
  Owned<TestProperties> p = newProperties();
};

TEST_F(cxEditPropertiesBound, UnassignedHorzFollowsTheProviderUntilSet) {
  EXPECT_EQ(newProperties()->GetAlignment()->Horz(), taLeftJustify) << "without a provider";
  EXPECT_EQ(p->GetAlignment()->Horz(), taRightJustify);
  EXPECT_FALSE(p->IsAlignmentStored());
  EXPECT_FALSE(p->GetAlignment()->IsHorzAssigned());

  p->GetAlignment()->SetHorz(taCenter);
  EXPECT_TRUE(p->IsAlignmentStored());
  EXPECT_TRUE(p->StoredAlignment()->IsHorzAssigned());
  EXPECT_EQ(p->StoredAlignment()->Horz(), taCenter);
  EXPECT_EQ(p->GetAlignment()->Horz(), taCenter) << "an assigned Horz must ignore the provider";
}

TEST_F(cxEditPropertiesBound, ChangingVertDoesNotAssignTheProvidersHorz) {
  p->GetAlignment()->SetVert(taBottomJustify);
  EXPECT_EQ(p->StoredAlignment()->Vert(), taBottomJustify);
  EXPECT_FALSE(p->StoredAlignment()->IsHorzAssigned()) << "the provider's alignment became the editor's own";
  provider.Alignment = taCenter;
  EXPECT_EQ(p->GetAlignment()->Horz(), taCenter);
}

TEST_F(cxEditPropertiesBound, RestoreDefaultsLetsHorzFollowAgainAndKeepsVert) {
  p->GetAlignment()->SetHorz(taCenter);
  p->GetAlignment()->SetVert(taVCenter);
  p->SetReadOnly(true);

  p->RestoreDefaults();
  EXPECT_EQ(p->GetAlignment()->Horz(), taRightJustify);
  EXPECT_FALSE(p->StoredAlignment()->IsHorzAssigned());
  EXPECT_EQ(p->GetAlignment()->Vert(), taVCenter);
  EXPECT_TRUE(p->IsAlignmentStored()) << "Vert still differs from the default";
  EXPECT_FALSE(p->IsReadOnlyStored());
  EXPECT_FALSE(p->GetReadOnly());
}

TEST(cxEditProperties, WhileTheOwnerIsWrittenTheStoredAlignmentIsShown) {
  TestProvider provider;  // outlives the properties that refer to it
  TComponent* owner = New<TComponent>(nullptr);
  auto p = newProperties(owner);
  provider.Alignment = taRightJustify;
  p->SetDefaultValuesProvider(&provider);
  // A stored alignment whose Horz is left and unassigned.
  Owned<TcxEditAlignment> stored(New<TcxEditAlignment>(nullptr));
  stored->SetVert(taBottomJustify);
  p->SetAlignment(stored.get());
  ASSERT_TRUE(p->IsAlignmentStored());

  owner->SetWriting(true);
  EXPECT_EQ(p->GetAlignment()->Horz(), taLeftJustify) << "the provider's answer would be written";
  owner->SetWriting(false);
  EXPECT_EQ(p->GetAlignment()->Horz(), taRightJustify);

  p->SetDefaultValuesProvider(nullptr);
  p.reset();
  owner->Free();
}

TEST(cxEditProperties, SetAlignmentCopiesIntoTheStoredAlignment) {
  auto p = newProperties();
  ChangeCounter counter;
  counter.Listen(p.get());
  Owned<TcxEditAlignment> source(New<TcxEditAlignment>(nullptr));
  source->SetHorz(taRightJustify);
  source->SetVert(taVCenter);
  p->SetAlignment(source.get());
  EXPECT_EQ(counter.Count, 1);
  EXPECT_EQ(p->StoredAlignment()->Horz(), taRightJustify);
  EXPECT_TRUE(p->StoredAlignment()->IsHorzAssigned());
  EXPECT_EQ(p->GetAlignment()->Vert(), taVCenter);
}

TEST(cxEditAlignment, AssignCopiesAllWithOneNoticeAndRefusesOtherSources) {
  Owned<TcxEditAlignment> a(New<TcxEditAlignment>(nullptr));
  Owned<TcxEditAlignment> b(New<TcxEditAlignment>(nullptr));
  ChangeCounter counter;
  b->SetOnChanged(TNotifyEvent(&counter, &ChangeCounter::PropertiesChanged));
  a->SetHorz(taCenter);
  a->SetVert(taBottomJustify);
  b->Assign(a.get());
  EXPECT_EQ(counter.Count, 1);
  EXPECT_EQ(b->Horz(), taCenter);
  EXPECT_TRUE(b->IsHorzAssigned());
  EXPECT_EQ(b->Vert(), taBottomJustify);
  EXPECT_TRUE(IsStoredProp(b.get(), "Horz"));
  EXPECT_TRUE(IsStoredProp(b.get(), "Vert"));

  Owned<TcxEditAlignment> fresh(New<TcxEditAlignment>(nullptr));
  EXPECT_FALSE(IsStoredProp(fresh.get(), "Horz"));
  EXPECT_FALSE(IsStoredProp(fresh.get(), "Vert"));

  Owned<TcxCustomEditPropertiesValues> values(New<TcxCustomEditPropertiesValues>());
  EXPECT_EQ(RaisedMessage<EConvertError>([&] { b->Assign(values.get()); }),
            "Cannot assign a TcxCustomEditPropertiesValues to a TcxEditAlignment");
}

// ---------------------------------------------------------------------------------------
// ReadOnly and CanModify.

TEST(cxEditProperties, ReadOnlyAndCanModifyResolution) {
  struct Case {
    const char* Name;
    bool HasProvider;
    bool ProviderReadOnly;
    bool ProviderCanModify;
    int Assigned;  // -1 unassigned, else the assigned value
    bool ReadOnly;
    bool CanModify;
  };
  const Case cases[] = {
      {"no provider, unassigned", false, false, false, -1, false, true},
      {"no provider, assigned True", false, false, false, 1, true, false},
      {"provider read-only, unassigned", true, true, true, -1, true, false},
      {"provider read-only, assigned False", true, true, false, 0, false, true},
      {"provider writable but cannot modify", true, false, false, -1, false, false},
      {"provider writable and can modify", true, false, true, -1, false, true},
      {"provider can modify, assigned True", true, false, true, 1, true, false},
  };
  for (const Case& c : cases) {
    TestProvider provider;
    auto p = newProperties();
    provider.ReadOnly = c.ProviderReadOnly;
    provider.CanModify = c.ProviderCanModify;
    if (c.HasProvider) p->SetDefaultValuesProvider(&provider);
    if (c.Assigned >= 0) p->SetReadOnly(c.Assigned == 1);
    EXPECT_EQ(p->GetReadOnly(), c.ReadOnly) << c.Name;
    EXPECT_EQ(p->CanModify(), c.CanModify) << c.Name;
    EXPECT_EQ(p->IsReadOnlyStored(), c.Assigned >= 0) << c.Name;
    p->SetDefaultValuesProvider(nullptr);
  }
}

TEST(cxEditProperties, SettingReadOnlyNotifiesUnlessAssignedAndEqual) {
  auto p = newProperties();
  ChangeCounter counter;
  counter.Listen(p.get());
  p->SetReadOnly(false);  // same value, but unassigned: becomes assigned
  EXPECT_EQ(counter.Count, 1);
  EXPECT_TRUE(p->IsReadOnlyStored());
  p->SetReadOnly(false);
  EXPECT_EQ(counter.Count, 1) << "re-setting the assigned value notified";
  p->SetReadOnly(true);
  EXPECT_EQ(counter.Count, 2);
  EXPECT_TRUE(p->GetReadOnly());
}

// ---------------------------------------------------------------------------------------
// Capabilities and buttons.

TEST(cxEditProperties, CapabilitiesCountButtonsWhateverTheirVisibility) {
  auto p = newProperties();
  EXPECT_EQ(p->GetCapabilities(), 0);
  auto* button = static_cast<TcxEditButton*>(p->Buttons()->Add());
  button->SetVisible(false);
  EXPECT_EQ(p->GetCapabilities(), 16);
  p->Buttons()->Clear();
  EXPECT_EQ(p->GetCapabilities(), 0);
}

// ---------------------------------------------------------------------------------------
// Default-values provider.

TEST(cxEditProperties, ProviderOfAnEditorsPropertiesDrivesChanges) {
  TestProvider provider;  // outlives the properties that refer to it
  TestEdit* edit = New<TestEdit>(nullptr);
  auto p = newProperties(edit);
  ChangeCounter counter;
  counter.Listen(p.get());
  p->SetDefaultValuesProvider(&provider);
  EXPECT_EQ(counter.Count, 1);
  EXPECT_EQ(provider.RefCount, 1);
  ASSERT_TRUE(provider.OnChanged.Assigned());
  provider.Changed();
  EXPECT_EQ(counter.Count, 2) << "the provider's change must reach the editor";
  p->SetDefaultValuesProvider(nullptr);
  EXPECT_EQ(counter.Count, 3);
  EXPECT_EQ(provider.RefCount, 0);
  EXPECT_FALSE(provider.OnChanged.Assigned()) << "a dropped provider still calls the properties";
  p.reset();
  edit->Free();
}

TEST(cxEditProperties, ProviderOfOtherOwnersIsOnlyKept) {
  TestProvider provider;  // outlives the properties that refer to it
  TComponent* owner = New<TComponent>(nullptr);
  auto p = newProperties(owner);
  ChangeCounter counter;
  counter.Listen(p.get());
  p->SetDefaultValuesProvider(&provider);
  EXPECT_EQ(counter.Count, 0);
  EXPECT_FALSE(provider.OnChanged.Assigned());
  EXPECT_EQ(p->DefaultValuesProvider(), &provider);
  EXPECT_EQ(provider.RefCount, 1);
  p->SetDefaultValuesProvider(nullptr);
  p.reset();
  owner->Free();
}

TEST(cxEditProperties, ProviderReferenceIsCountedAndReleased) {
  TestProvider first, second;
  {
    auto p = newProperties();
    p->SetDefaultValuesProvider(&first);
    p->SetDefaultValuesProvider(&first);
    EXPECT_EQ(first.RefCount, 1);
    p->SetDefaultValuesProvider(&second);
    EXPECT_EQ(first.RefCount, 0);
    EXPECT_EQ(second.RefCount, 1);
  }
  EXPECT_EQ(second.RefCount, 0) << "a freed properties object kept its provider";
}

TEST(cxEditProperties, FreedPropertiesNoLongerListenToTheirProvider) {
  TestProvider provider;  // outlives the properties that refer to it
  TestEdit* edit = New<TestEdit>(nullptr);
  {
    auto p = newProperties(edit);
    p->SetDefaultValuesProvider(&provider);
    ASSERT_TRUE(provider.OnChanged.Assigned());
  }
  EXPECT_FALSE(provider.OnChanged.Assigned()) << "the provider would call into freed properties";
  provider.Changed();
  edit->Free();
}

TEST(cxEditProperties, DataDisplayFormatQueries) {
  struct Case {
    const char* Name;
    TcxEditDisplayFormatOptions Options;
    bool HasProvider;
    bool ProviderAnswer;
    TcxEditValueKind Focused, Unfocused;
    bool HasFormatUnfocused;
    bool UsesDataText;
    bool CurrencyAccepted;
  };
  const Case cases[] = {
      {"no options", 0, true, true, evsValue, evsText, false, false, false},
      {"no provider", dfoSupports, false, true, evsValue, evsText, false, false, false},
      {"provider has no format", dfoSupports, true, false, evsValue, evsText, false, false, true},
      {"provider has a format", dfoSupports, true, true, evsValue, evsText, true, true, true},
      {"currency excluded", dfoSupports | dfoNoCurrencyValue, true, true, evsValue, evsText, true, true, false},
      {"keeps the value when unfocused", dfoSupports, true, true, evsValue, evsValue, true, false, true},
      {"keeps the text when focused", dfoSupports, true, true, evsText, evsText, true, false, true},
  };
  for (const Case& c : cases) {
    TestProvider provider;
    auto p = newProperties();
    provider.DisplayFormat = c.ProviderAnswer;
    if (c.HasProvider) p->SetDefaultValuesProvider(&provider);
    p->Options = c.Options;
    p->FocusedKind = c.Focused;
    p->UnfocusedKind = c.Unfocused;
    EXPECT_FALSE(p->HasDataDisplayFormat(true)) << c.Name << ": focused";
    EXPECT_EQ(p->HasDataDisplayFormat(false), c.HasFormatUnfocused) << c.Name;
    if (provider.HasDisplayFormatCalls > 0) {
      EXPECT_EQ(provider.LastCurrencyAccepted, c.CurrencyAccepted) << c.Name;
    }
    EXPECT_EQ(p->UsesDataDisplayText(), c.UsesDataText) << c.Name;
    p->SetDefaultValuesProvider(nullptr);
  }
}

// ---------------------------------------------------------------------------------------
// Value conversion and measuring.

TEST(cxEditProperties, DisplayValueIsACopyOfTheEditValue) {
  auto p = newProperties();
  const Variant values[] = {Variant(), Null(), Variant(7), Variant(2.5), Variant("texto")};
  for (const Variant& v : values) {
    for (bool focused : {false, true}) {
      Variant display("stale");
      p->ConvertEditToDisplayValue(v, display, focused);
      EXPECT_EQ(display.VType(), v.VType());
      EXPECT_TRUE(VarSameValue(display, v)) << VarToStr(v);
    }
  }
}

TEST(cxEditProperties, GetEditSizeMeasuresThroughATemporaryViewData) {
  auto p = newProperties();
  TestViewData::Fail = false;
  TcxEditSizeProperties sizeProps{3, 120};
  TSize size{0, 0};
  p->GetEditSize(nullptr, nullptr, true, Variant("abcd"), sizeProps, size);
  EXPECT_EQ(size.cx, 44);
  EXPECT_EQ(size.cy, 21);
  EXPECT_TRUE(TestViewData::SeenInplace);
  EXPECT_EQ(TestViewData::SeenSizeProperties.MaxLineCount, 3);
  EXPECT_EQ(TestViewData::SeenSizeProperties.Width, 120);
  EXPECT_EQ(TestViewData::Live, 0);

  TestViewData::Fail = true;
  EXPECT_EQ(RaisedMessage<Exception>([&] { p->GetEditSize(nullptr, nullptr, false, Variant(1), sizeProps, size); }),
            "measuring failed");
  EXPECT_EQ(TestViewData::Live, 0) << "the view data of a failed measurement was not freed";
  TestViewData::Fail = false;
}

TEST(cxEditProperties, CreateViewDataMakesTheClassesViewData) {
  auto p = newProperties<TcxCustomEditProperties>();
  Owned<TcxCustomEditViewData> data(p->CreateViewData(nullptr, true));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->ClassType(), TcxCustomEditViewData::StaticClass());
  EXPECT_EQ(data->GetProperties(), p.get());
  EXPECT_TRUE(data->IsInplace());
}

// ---------------------------------------------------------------------------------------
// Validation.

class ValidationHandler : public TObject {
public:
  bool SetError = true;
  Variant NewValue;
  bool ChangeValue = false;
  std::string TextSeen;
  TObject* SenderSeen = nullptr;
  int Calls = 0;
  void Validate(TObject* Sender, Variant& DisplayValue, std::string& ErrorText, bool& Error) {
    ++Calls;
    SenderSeen = Sender;
    TextSeen = ErrorText;
    if (ChangeValue) DisplayValue = NewValue;
    if (SetError) Error = true;
  }
};

TEST(cxEditProperties, ValidationDoesNothingForKindsThatDoNotValidate) {
  auto p = newProperties();
  ValidationHandler handler;
  p->SetOnValidate(TcxEditValidateEvent(&handler, &ValidationHandler::Validate));
  Variant display("abc");
  std::string text;
  bool error = false;
  p->ValidateDisplayValue(display, text, error, nullptr);
  EXPECT_EQ(handler.Calls, 0);
  EXPECT_FALSE(error);
  EXPECT_EQ(text, "");
  EXPECT_EQ(VarToStr(display), "abc");
}

TEST(cxEditProperties, ValidationFillsTheDefaultErrorTextAndRunsTheHandler) {
  TestEdit* edit = New<TestEdit>(nullptr);
  auto p = newProperties(edit);
  p->Validates = true;
  ValidationHandler handler;
  p->SetOnValidate(TcxEditValidateEvent(&handler, &ValidationHandler::Validate));
  Variant display("abc");
  std::string text;
  bool error = false;
  p->ValidateDisplayValue(display, text, error, edit);
  EXPECT_EQ(handler.Calls, 1);
  EXPECT_EQ(handler.SenderSeen, edit);
  EXPECT_EQ(handler.TextSeen, invalidInputText);
  EXPECT_TRUE(error);

  // A caller's own text is kept.
  text = "own text";
  p->ValidateDisplayValue(display, text, error, edit);
  EXPECT_EQ(handler.TextSeen, "own text");

  // Every error kind gets the same text, and an application override replaces it.
  std::string kindText;
  p->GetValidationErrorText(3, kindText);
  EXPECT_EQ(kindText, invalidInputText);
  cxSetResourceString(&scxEditInvalidInputError, "Entrada recusada");
  p->GetValidationErrorText(0, kindText);
  cxSetResourceString(&scxEditInvalidInputError, invalidInputText);
  EXPECT_EQ(kindText, "Entrada recusada");

  p.reset();
  edit->Free();
}

TEST(cxEditProperties, DoValidateReportsWhetherTheHandlerChangedTheText) {
  struct Case {
    const char* Name;
    bool SetError;
    bool ChangeValue;
    Variant NewValue;
    bool Changed;
    std::string FinalText;
  };
  const Case cases[] = {
      {"error, value untouched", true, false, Variant(), false, "editor text"},
      {"error, case changed", true, true, Variant("ABC"), true, "ABC"},
      {"error, same text set", true, true, Variant("abc"), false, "editor text"},
      {"error, Null set", true, true, Null(), true, ""},
      {"no error, value changed", false, true, Variant("xyz"), false, "xyz"},
  };
  TestEdit* edit = New<TestEdit>(nullptr);
  edit->DisplayText = "editor text";
  for (const Case& c : cases) {
    auto p = newProperties(edit);
    ValidationHandler handler;
    handler.SetError = c.SetError;
    handler.ChangeValue = c.ChangeValue;
    handler.NewValue = c.NewValue;
    p->SetOnValidate(TcxEditValidateEvent(&handler, &ValidationHandler::Validate));
    Variant display("abc");
    std::string text = "t";
    bool error = false;
    bool changed = false;
    EXPECT_NO_THROW(changed = p->DoValidate(display, text, error, edit)) << c.Name;
    EXPECT_EQ(changed, c.Changed) << c.Name;
    EXPECT_EQ(error, c.SetError) << c.Name;
    EXPECT_EQ(VarToStr(display), c.FinalText) << c.Name;
  }
  auto p = newProperties(edit);
  Variant display("abc");
  std::string text;
  bool error = false;
  EXPECT_FALSE(p->DoValidate(display, text, error, edit)) << "without a handler";
  EXPECT_EQ(VarToStr(display), "abc");
  p.reset();
  edit->Free();
}

// ---------------------------------------------------------------------------------------
// Assign.

class EventSink : public TObject {
public:
  void Click(TObject*, Integer) {}
  void Notify(TObject*) {}
  void Validate(TObject*, Variant&, std::string&, bool&) {}
};

TEST(cxEditProperties, AssignCopiesEverySettingInOneNotice) {
  TestProvider provider;  // outlives the properties that refer to it
  auto source = newProperties();
  provider.Alignment = taCenter;
  source->SetDefaultValuesProvider(&provider);
  EventSink sink;
  source->SetAutoSelect(false);
  static_cast<TcxEditButton*>(source->Buttons()->Add())->SetVisible(false);
  source->Buttons()->Add();
  source->SetBeepOnError(true);
  source->SetClearKey(0x4000 | 'D');
  source->SetClickKey(0x8000 | VK_RETURN);
  source->SetUseLeftAlignmentOnEditing(false);
  source->GetAlignment()->SetVert(taBottomJustify);
  source->SetReadOnly(true);
  source->SetImmediatePost(true);
  source->SetUseMouseWheel(false);
  source->SetValidateOnEnter(true);
  source->SetOnButtonClick(TcxEditButtonClickEvent(&sink, &EventSink::Click));
  source->SetOnChange(TNotifyEvent(&sink, &EventSink::Notify));
  source->SetOnEditValueChanged(TNotifyEvent(&sink, &EventSink::Notify));
  source->SetOnValidate(TcxEditValidateEvent(&sink, &EventSink::Validate));

  auto target = newProperties();
  ChangeCounter counter;
  counter.Listen(target.get());
  target->Assign(source.get());
  EXPECT_EQ(counter.Count, 1);
  EXPECT_FALSE(target->AutoSelect());
  ASSERT_EQ(target->Buttons()->Count(), 2);
  EXPECT_FALSE(target->Buttons()->GetItem(0)->Visible());
  EXPECT_TRUE(target->Buttons()->GetItem(1)->Visible());
  EXPECT_TRUE(target->BeepOnError());
  EXPECT_EQ(target->ClearKey(), 0x4000 | 'D');
  EXPECT_EQ(target->ClickKey(), 0x8000 | VK_RETURN);
  EXPECT_FALSE(target->UseLeftAlignmentOnEditing());
  EXPECT_EQ(target->DefaultValuesProvider(), &provider);
  EXPECT_EQ(provider.RefCount, 2);
  EXPECT_EQ(target->GetAlignment()->Vert(), taBottomJustify);
  EXPECT_EQ(target->GetAlignment()->Horz(), taCenter);
  EXPECT_FALSE(target->StoredAlignment()->IsHorzAssigned());
  EXPECT_TRUE(target->IsReadOnlyStored());
  EXPECT_TRUE(target->GetReadOnly());
  EXPECT_TRUE(target->ImmediatePost());
  EXPECT_FALSE(target->UseMouseWheel());
  EXPECT_TRUE(target->ValidateOnEnter());
  EXPECT_TRUE(target->OnButtonClick() == source->OnButtonClick());
  EXPECT_TRUE(target->OnChange() == source->OnChange());
  EXPECT_TRUE(target->OnEditValueChanged() == source->OnEditValueChanged());
  EXPECT_TRUE(target->OnValidate() == source->OnValidate());
  EXPECT_FALSE(target->OnPropertiesChanged() == source->OnPropertiesChanged()) << "the user's callback is not copied";

  target->SetDefaultValuesProvider(nullptr);
  source->SetDefaultValuesProvider(nullptr);
}

TEST(cxEditProperties, AssignClearsReadOnlyWhenTheSourceLeavesItUnassigned) {
  auto source = newProperties();
  auto target = newProperties();
  target->SetReadOnly(true);
  target->Assign(source.get());
  EXPECT_FALSE(target->IsReadOnlyStored());
  EXPECT_FALSE(target->GetReadOnly());
}

TEST(cxEditProperties, AssignOntoItselfKeepsTheButtons) {
  auto p = newProperties();
  p->Buttons()->Add();
  p->Buttons()->Add();
  p->SetReadOnly(true);
  p->Assign(p.get());
  EXPECT_EQ(p->Buttons()->Count(), 2);
  EXPECT_TRUE(p->GetReadOnly());
}

TEST(cxEditProperties, AFailedAssignStillEndsTheBracketWithOneNotice) {
  TestProvider provider;  // outlives the properties that refer to it
  auto source = newProperties();
  source->SetDefaultValuesProvider(&provider);
  source->SetAutoSelect(false);
  provider.ThrowOnAlignment = true;  // the alignment step fails

  auto target = newProperties();
  ChangeCounter counter;
  counter.Listen(target.get());
  EXPECT_EQ(RaisedMessage<Exception>([&] { target->Assign(source.get()); }), "provider failed");
  EXPECT_EQ(target->UpdateCount(), 0);
  EXPECT_FALSE(target->IsChangeLocked());
  EXPECT_EQ(counter.Count, 1);
  EXPECT_FALSE(target->AutoSelect()) << "what came before the failure is kept";
  // The shown alignment of the source still reports its changes after the failure.
  provider.ThrowOnAlignment = false;
  ChangeCounter sourceCounter;
  sourceCounter.Listen(source.get());
  source->GetAlignment()->SetVert(taVCenter);
  EXPECT_EQ(sourceCounter.Count, 1);

  target->SetDefaultValuesProvider(nullptr);
  source->SetDefaultValuesProvider(nullptr);
}

TEST(cxEditProperties, AssignFromAnotherKindOfObjectFails) {
  auto p = newProperties<TcxCustomEditProperties>();
  Owned<TcxEditAlignment> alignment(New<TcxEditAlignment>(nullptr));
  EXPECT_EQ(RaisedMessage<EConvertError>([&] { p->Assign(alignment.get()); }),
            "Cannot assign a TcxEditAlignment to a TcxCustomEditProperties");
}

TEST(cxEditPropertiesValues, AssignAndRestoreDefaults) {
  Owned<TcxCustomEditPropertiesValues> a(New<TcxCustomEditPropertiesValues>());
  Owned<TcxCustomEditPropertiesValues> b(New<TcxCustomEditPropertiesValues>());
  a->SetReadOnly(true);
  b->Assign(a.get());
  EXPECT_TRUE(b->ReadOnly());
  EXPECT_TRUE(IsStoredProp(b.get(), "ReadOnly"));
  b->RestoreDefaults();
  EXPECT_FALSE(b->ReadOnly());
  Owned<TcxEditAlignment> alignment(New<TcxEditAlignment>(nullptr));
  EXPECT_EQ(RaisedMessage<EConvertError>([&] { b->Assign(alignment.get()); }),
            "Cannot assign a TcxEditAlignment to a TcxCustomEditPropertiesValues");
}

// ---------------------------------------------------------------------------------------
// Registry and routines.

TEST(cxEditorRegistry, RegistersOnceWithTheFirstTextAndFindsByExactName) {
  TcxRegisteredClasses* registry = cxGetEditorRegistry();
  ASSERT_NE(registry, nullptr);
  EXPECT_EQ(cxGetEditorRegistry(), registry);
  EXPECT_FALSE(registry->RegisterClasses());

  const std::string text = cxGetResourceString(&scxEditRegTextEdit);
  EXPECT_EQ(text, "TextEdit|Represents a single line text editor");
  const Integer before = registry->ClassCount();
  registry->Register(TestProperties::StaticClass(), text);
  registry->Register(TestProperties::StaticClass(), cxGetResourceString(&scxEditRegMemo));
  EXPECT_EQ(registry->ClassCount(), before + 1);
  EXPECT_EQ(registry->GetDescriptionByClass(TestProperties::StaticClass()), text);

  EXPECT_EQ(registry->FindByClassName("TestProperties"), TestProperties::StaticClass());
  EXPECT_EQ(registry->FindByClassName("testproperties"), nullptr);
  EXPECT_EQ(registry->FindByClassName("OtherDefaultsProperties"), nullptr);

  registry->Unregister(TestProperties::StaticClass());
  EXPECT_EQ(registry->ClassCount(), before);
}

TEST(cxEditRoutines, OwnerComponentIsTheNearestComponentUpTheChain) {
  TComponent* owner = New<TComponent>(nullptr);
  auto p = newProperties(owner);
  EXPECT_EQ(cxGetOwnerComponent(p->GetAlignment()), owner);
  EXPECT_EQ(cxGetOwnerComponent(p.get()), owner);
  EXPECT_EQ(cxGetOwnerComponent(owner), owner);
  auto loose = newProperties();
  EXPECT_EQ(cxGetOwnerComponent(loose->GetAlignment()), nullptr);
  EXPECT_EQ(cxGetOwnerComponent(nullptr), nullptr);
  p.reset();
  owner->Free();
}

}  // namespace
