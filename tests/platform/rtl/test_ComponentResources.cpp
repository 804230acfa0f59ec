// Reading a root's stored description from the program's RCDATA resources, the way every
// window of the program is built: the text form, accents, and a derived root whose
// description completes its ancestor's.
#include <string>

#include "RtlTestHelpers.h"
#include "TestFramework.h"
#include "platform/rtl/Classes.h"

namespace component_resources_test {

class TResPart : public TComponent {
  RTL_DECLARE_CLASS(TResPart, TComponent)
public:
  explicit TResPart(TComponent* owner) : TComponent(owner) {}
  Integer FSize = 0;
};
RTL_BEGIN_CLASS(TResPart)
b.Property("Size", &TResPart::FSize, &TResPart::FSize).Default(0);
RTL_END_CLASS

class TResBaseRoot : public TComponent {
  RTL_DECLARE_CLASS(TResBaseRoot, TComponent)
public:
  explicit TResBaseRoot(TComponent* owner) : TComponent(owner) {}
  std::string FCaption;
  TResPart* First = nullptr;
};
RTL_BEGIN_CLASS(TResBaseRoot)
b.Property("Caption", &TResBaseRoot::FCaption, &TResBaseRoot::FCaption);
b.Field("First", &TResBaseRoot::First);
RTL_END_CLASS

class TResDerivedRoot : public TResBaseRoot {
  RTL_DECLARE_CLASS(TResDerivedRoot, TResBaseRoot)
public:
  explicit TResDerivedRoot(TComponent* owner) : TResBaseRoot(owner) {}
  TResPart* Second = nullptr;
};
RTL_BEGIN_CLASS(TResDerivedRoot)
b.Field("Second", &TResDerivedRoot::Second);
RTL_END_CLASS

class ComponentResources : public ::testing::Test {
protected:
  static void SetUpTestSuite() { RegisterClasses({TResPart::StaticClass()}); }
  static void TearDownTestSuite() { UnRegisterClass(TResPart::StaticClass()); }
};

TEST_F(ComponentResources, RootIsBuiltFromTheTextDescriptionNamedAfterItsClass) {
  TObjectPtr<TResBaseRoot> root(New<TResBaseRoot>(nullptr));
  ASSERT_TRUE(InitInheritedComponent(root.get(), TComponent::StaticClass()));
  EXPECT_EQ(root->Name(), "ResBaseRoot");
  EXPECT_EQ(root->FCaption, "Configura\xE7\xE3o") << "accents of the UTF-8 description file arrive as cp1252";
  ASSERT_NE(root->First, nullptr) << "the published field names the component read";
  EXPECT_EQ(root->First->FSize, 3);
  EXPECT_EQ(root->First->Owner(), root.get());
}

TEST_F(ComponentResources, DerivedRootReadsItsAncestorsDescriptionFirst) {
  TObjectPtr<TResDerivedRoot> root(New<TResDerivedRoot>(nullptr));
  ASSERT_TRUE(InitInheritedComponent(root.get(), TComponent::StaticClass()));
  EXPECT_EQ(root->Name(), "ResDerivedRoot");
  EXPECT_EQ(root->FCaption, "Derivada");
  ASSERT_NE(root->First, nullptr);
  EXPECT_EQ(root->First->FSize, 7) << "the derived description changes the inherited component";
  ASSERT_NE(root->Second, nullptr);
  EXPECT_EQ(root->Second->FSize, 11);
  EXPECT_EQ(root->ComponentCount(), 2) << "the inherited component is not built twice";
}

TEST_F(ComponentResources, AMissingResourceIsReportedByName) {
  TObjectPtr<TResPart> part(New<TResPart>(nullptr));
  EXPECT_EQ(messageOf<EResNotFound>([&] { ReadComponentRes("TNOSUCHFORM", part.get()); }),
            "Resource TNOSUCHFORM not found");
  EXPECT_FALSE(InitInheritedComponent(part.get(), TComponent::StaticClass()));
}

}  // namespace component_resources_test
