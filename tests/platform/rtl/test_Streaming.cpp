// Stored form descriptions: reading the text and binary forms into live components,
// writing them back, the parser, fix-ups, integer identifiers, and the window procedures
// bound to methods.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "RtlTestHelpers.h"
#include "TestFramework.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

namespace streaming_test {

// ---------------------------------------------------------------------------------------
// A small class family: a root with published fields for its panels, panels with
// properties of every kind, a nested persistent, a collection, and two defined
// properties. Every instance is counted, so a test can prove that nothing is left behind.

int& liveObjects() {
  static int count = 0;
  return count;
}

struct Counted {
  Counted() { ++liveObjects(); }
  Counted(const Counted&) { ++liveObjects(); }
  ~Counted() { --liveObjects(); }
};

std::vector<std::string>& journal() {
  static std::vector<std::string> entries;
  return entries;
}

RTL_ENUM(TDescKind, ckNone, ckWarm, ckCool)
RTL_ENUM(TDescOption, toBold, toItalic, toUnderline)
using TDescOptions = Set<TDescOption>;

class TDescFont : public TPersistent {
  RTL_DECLARE_CLASS(TDescFont, TPersistent)
public:
  Integer Size() const { return size_; }
  void SetSize(Integer v) { size_ = v; }
  TDescOptions Style() const { return style_; }
  void SetStyle(TDescOptions v) { style_ = v; }
  std::string Name() const { return name_; }
  void SetName(const std::string& v) { name_ = v; }

private:
  Counted counted_;
  Integer size_ = 8;
  TDescOptions style_;
  std::string name_;
};
RTL_BEGIN_CLASS(TDescFont)
b.Property("Size", &TDescFont::Size, &TDescFont::SetSize).Default(8);
b.Property("Style", &TDescFont::Style, &TDescFont::SetStyle).Default(TDescOptions{});
b.Property("Name", &TDescFont::Name, &TDescFont::SetName);
RTL_END_CLASS

class TDescItem : public TCollectionItem {
  RTL_DECLARE_CLASS(TDescItem, TCollectionItem)
public:
  explicit TDescItem(TCollection* c) : TCollectionItem(c) {}
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  Integer Width() const { return width_; }
  void SetWidth(Integer v) { width_ = v; }

private:
  Counted counted_;
  std::string caption_;
  Integer width_ = 50;
};
RTL_BEGIN_CLASS(TDescItem)
b.Property("Caption", &TDescItem::Caption, &TDescItem::SetCaption);
b.Property("Width", &TDescItem::Width, &TDescItem::SetWidth).Default(50);
RTL_END_CLASS

class TDescItems : public TOwnedCollection {
  RTL_DECLARE_CLASS(TDescItems, TOwnedCollection)
public:
  explicit TDescItems(TPersistent* owner) : TOwnedCollection(owner, TDescItem::StaticClass()) {}
  TDescItem* Item(int i) const { return static_cast<TDescItem*>(Items(i)); }
};
RTL_IMPLEMENT_CLASS(TDescItems)

class TDescPanel : public TComponent {
  RTL_DECLARE_CLASS(TDescPanel, TComponent)
public:
  explicit TDescPanel(TComponent* owner)
      : TComponent(owner), font_(New<TDescFont>()), items_(New<TDescItems>(this)), lines_(New<TStringList>()) {}
  ~TDescPanel() override {
    journal().push_back("~" + Name());
    delete font_;
    delete items_;
    delete lines_;
  }

  Integer Count() const { return count_; }
  void SetCount(Integer v) { count_ = v; }
  TDescKind Kind() const { return kind_; }
  void SetKind(TDescKind v) { kind_ = v; }
  TDescOptions Options() const { return options_; }
  void SetOptions(TDescOptions v) { options_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& v) {
    caption_ = v;
    stateAtCaption = ComponentState();
  }
  Int64 Big() const { return big_; }
  void SetBig(Int64 v) { big_ = v; }
  bool Active() const { return active_; }
  void SetActive(bool v) { active_ = v; }
  Currency Price() const { return price_; }
  void SetPrice(Currency v) { price_ = v; }
  float Scale() const { return scale_; }
  void SetScale(float v) { scale_ = v; }
  TDescFont* Font() const { return font_; }
  void SetFont(TDescFont* v) { font_->Assign(v); }
  TDescItems* Items() const { return items_; }
  void SetItems(TDescItems* v) { items_->Assign(v); }
  TStringList* Lines() const { return lines_; }
  void SetLines(TStringList* v) { lines_->Assign(v); }
  TDescPanel* Buddy() const { return buddy_; }
  void SetBuddy(TDescPanel* v) {
    buddy_ = v;
    if (v) v->FreeNotification(this);
  }

  TNotifyEvent FOnClick;
  std::string Blob;          // stored as the binary defined property "Blob"
  std::vector<Integer> Marks;  // stored as the defined property "Marks", a list of integers
  TComponentState stateAtCaption;
  TComponentState stateAtLoaded;
  bool buddyAtLoaded = false;
  int loadedCalls = 0;

  void Loaded() override {
    stateAtLoaded = ComponentState();
    buddyAtLoaded = buddy_ != nullptr;
    ++loadedCalls;
    journal().push_back("Loaded " + Name());
    TComponent::Loaded();
  }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == buddy_) buddy_ = nullptr;
  }
  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        "Blob", [this](TStream* s) { Blob.assign(static_cast<const char*>(static_cast<TMemoryStream*>(s)->Memory()),
                                                 static_cast<size_t>(s->Size())); },
        [this](TStream* s) { s->WriteBuffer(Blob.data(), static_cast<Integer>(Blob.size())); }, !Blob.empty());
    // Stored when there are marks that the ancestor (if any) does not have.
    auto* ancestor = dynamic_cast<TDescPanel*>(Filer->Ancestor());
    bool hasMarks = ancestor ? ancestor->Marks != Marks : !Marks.empty();
    Filer->DefineProperty(
        "Marks",
        [this](TReader* r) {
          Marks.clear();
          r->ReadListBegin();
          while (!r->EndOfList()) Marks.push_back(r->ReadInteger());
          r->ReadListEnd();
        },
        [this](TWriter* w) {
          w->WriteListBegin();
          for (Integer m : Marks) w->WriteInteger(m);
          w->WriteListEnd();
        },
        hasMarks);
  }

private:
  Counted counted_;
  Integer count_ = 0;
  TDescKind kind_ = ckNone;
  TDescOptions options_;
  double ratio_ = 0;
  std::string caption_;
  Int64 big_ = 0;
  bool active_ = false;
  Currency price_;
  float scale_ = 0;
  TDescFont* font_;
  TDescItems* items_;
  TStringList* lines_;
  TDescPanel* buddy_ = nullptr;
};
RTL_BEGIN_CLASS(TDescPanel)
b.Property("Count", &TDescPanel::Count, &TDescPanel::SetCount).Default(0);
b.Property("Kind", &TDescPanel::Kind, &TDescPanel::SetKind).Default(ckNone);
b.Property("Options", &TDescPanel::Options, &TDescPanel::SetOptions).Default(TDescOptions{});
b.Property("Ratio", &TDescPanel::Ratio, &TDescPanel::SetRatio);
b.Property("Caption", &TDescPanel::Caption, &TDescPanel::SetCaption);
b.Property("Big", &TDescPanel::Big, &TDescPanel::SetBig);
b.Property("Active", &TDescPanel::Active, &TDescPanel::SetActive).Default(false);
b.Property("Price", &TDescPanel::Price, &TDescPanel::SetPrice);
b.Property("Scale", &TDescPanel::Scale, &TDescPanel::SetScale);
b.Property("Font", &TDescPanel::Font, &TDescPanel::SetFont);
b.Property("Items", &TDescPanel::Items, &TDescPanel::SetItems);
b.Property("Lines", &TDescPanel::Lines, &TDescPanel::SetLines);
b.Property("OnClick", &TDescPanel::FOnClick, &TDescPanel::FOnClick);
b.Property("Buddy", &TDescPanel::Buddy, &TDescPanel::SetBuddy);
RTL_END_CLASS

class TDescRoot : public TComponent {
  RTL_DECLARE_CLASS(TDescRoot, TComponent)
public:
  explicit TDescRoot(TComponent* owner) : TComponent(owner) {}
  ~TDescRoot() override { journal().push_back("~" + Name()); }

  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }

  TDescPanel* Panel1 = nullptr;  // published fields, set by name
  TDescPanel* Panel2 = nullptr;
  int clicks = 0;
  TObject* lastSender = nullptr;
  int loadedCalls = 0;
  TComponentState stateAtLoaded;

  void PanelClick(TObject* Sender) {
    ++clicks;
    lastSender = Sender;
  }
  void OtherClick(TObject*) {}

  void GetChildren(TGetChildProc Proc, TComponent* Root) override {
    for (int i = 0; i < ComponentCount(); ++i) Proc(Components(i));
  }
  void SetChildOrder(TComponent* Child, int Order) override { Child->SetComponentIndex(Order); }
  void Loaded() override {
    stateAtLoaded = ComponentState();
    ++loadedCalls;
    journal().push_back("Loaded " + Name());
    TComponent::Loaded();
  }

private:
  Counted counted_;
  std::string caption_;
};
RTL_BEGIN_CLASS(TDescRoot)
b.Property("Caption", &TDescRoot::Caption, &TDescRoot::SetCaption);
b.Field("Panel1", &TDescRoot::Panel1);
b.Field("Panel2", &TDescRoot::Panel2);
b.Method("PanelClick", &TDescRoot::PanelClick);
b.Method("OtherClick", &TDescRoot::OtherClick);
RTL_END_CLASS

// An integer type with names for some values (as colours have).
enum TDescShade : int32_t {};
PTypeInfo TypeInfoOf(TDescShade*) {
  static const TTypeInfo ti = [] {
    TTypeInfo t;
    t.Kind = tkInteger;
    t.Name = "TDescShade";
    t.OrdType = otSLong;
    t.MinValue = INT32_MIN;
    t.MaxValue = INT32_MAX;
    return t;
  }();
  return &ti;
}
const TIdentMapEntry kShadeNames[] = {{0x0000FF, "shRed"}, {0x00FF00, "shGreen"}, {-16, "shSystem"}};
bool ShadeToIdent(Integer value, std::string& ident) { return IntToIdent(value, ident, kShadeNames); }
bool IdentToShade(const std::string& ident, Integer& value) { return IdentToInt(ident, value, kShadeNames); }

class TDescSwatch : public TComponent {
  RTL_DECLARE_CLASS(TDescSwatch, TComponent)
public:
  explicit TDescSwatch(TComponent* owner) : TComponent(owner) {}
  TDescShade Shade() const { return shade_; }
  void SetShade(TDescShade v) { shade_ = v; }
  char Hotkey() const { return hotkey_; }
  void SetHotkey(char v) { hotkey_ = v; }
  Variant Value() const { return value_; }
  void SetValue(const Variant& v) { value_ = v; }

private:
  TDescShade shade_ = TDescShade(0);
  char hotkey_ = 0;
  Variant value_;
};
RTL_BEGIN_CLASS(TDescSwatch)
b.Property("Shade", &TDescSwatch::Shade, &TDescSwatch::SetShade).Default(0);
b.Property("Hotkey", &TDescSwatch::Hotkey, &TDescSwatch::SetHotkey).Default(0);
b.Property("Value", &TDescSwatch::Value, &TDescSwatch::SetValue);
RTL_END_CLASS

// ---------------------------------------------------------------------------------------
// Helpers.

// Registers again whatever a unit restart (another test's) may have dropped.
void registerTestClasses() {
  RegisterClasses({TDescRoot::StaticClass(), TDescPanel::StaticClass(), TDescSwatch::StaticClass()});
  if (!FindIntToIdent(TypeInfo<TDescShade>())) RegisterIntegerConsts(TypeInfo<TDescShade>(), IdentToShade, ShadeToIdent);
}

std::string streamBytes(TMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

std::string textToBinary(const std::string& text) {
  TStringStream in(text);
  TMemoryStream out;
  ObjectTextToBinary(&in, &out);
  return streamBytes(out);
}

std::string binaryToText(const std::string& binary) {
  TStringStream in(binary);
  TStringStream out;
  ObjectBinaryToText(&in, &out);
  return out.DataString();
}

// Reads a description (text or binary) into root (a new root when null).
TComponent* readDescription(const std::string& data, TComponent* root = nullptr) {
  TStringStream in(data);
  if (TestStreamFormat(&in) == sofText) {
    TStringStream binary(textToBinary(data));
    return binary.ReadComponent(root);
  }
  return in.ReadComponent(root);
}

std::string writeBinary(TComponent* root, TComponent* ancestor = nullptr) {
  TMemoryStream out;
  out.WriteDescendent(root, ancestor);
  return streamBytes(out);
}

std::string writeText(TComponent* root, TComponent* ancestor = nullptr) {
  return binaryToText(writeBinary(root, ancestor));
}

// Lines joined with CR LF, as the text form writes them.
std::string lines(std::initializer_list<const char*> ls) {
  std::string s;
  for (const char* l : ls) s += std::string(l) + "\r\n";
  return s;
}

// The description every kind of property is read from. It is in the writer's own layout,
// so writing the objects back must give it again byte for byte. Panel1's Buddy names
// Panel2, which is only read later.
const std::string kFullText = lines({
    "object DescRoot1: TDescRoot",
    "  Caption = 'Raiz'",
    "  object Panel1: TDescPanel",
    "    Count = 42",
    "    Kind = ckWarm",
    "    Options = [toBold, toUnderline]",
    "    Ratio = 2.5",
    "    Caption = 'Gera'#231#227'o de ''estratos'''",
    "    Big = 12345678901",
    "    Active = True",
    "    Price = 12.5c",
    "    Scale = 1.25s",
    "    Font.Size = 10",
    "    Font.Style = [toItalic]",
    "    Font.Name = 'Tahoma'",
    "    Items = <",
    "      item",
    "        Caption = 'um'",
    "      end",
    "      item",
    "        Caption = 'dois'",
    "        Width = 80",
    "      end>",
    "    OnClick = PanelClick",
    "    Buddy = Panel2",
    "    Blob = {",
    "      00FF10A0}",
    "    Marks = (",
    "      1",
    "      -300",
    "      70000)",
    "  end",
    "  object Panel2: TDescPanel",
    "    Count = -1",
    "    Lines.Strings = (",
    "      'a'",
    "      'b')",
    "  end",
    "end",
});

class StreamingTest : public ::testing::Test {
protected:
  void SetUp() override {
    registerTestClasses();
    journal().clear();
    liveAtStart_ = liveObjects();
  }
  void TearDown() override {
    EXPECT_EQ(liveObjects(), liveAtStart_) << "objects of the test family were left alive";
  }
  int liveAtStart_ = 0;
};

// ---------------------------------------------------------------------------------------
// Reading and writing the whole family.

TEST_F(StreamingTest, TextDescriptionBuildsLiveComponentsWithEveryKindOfProperty) {
  TObjectPtr<TComponent> owned(readDescription(kFullText));
  auto* root = dynamic_cast<TDescRoot*>(owned.get());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Name(), "DescRoot1");
  EXPECT_EQ(root->Caption(), "Raiz");
  ASSERT_EQ(root->ComponentCount(), 2);
  TDescPanel* p1 = root->Panel1;
  TDescPanel* p2 = root->Panel2;
  ASSERT_NE(p1, nullptr) << "the published field Panel1 was not set";
  ASSERT_NE(p2, nullptr) << "the published field Panel2 was not set";
  EXPECT_EQ(p1, root->FindComponent("Panel1"));
  EXPECT_EQ(p2, root->FindComponent("Panel2"));

  EXPECT_EQ(p1->Count(), 42);
  EXPECT_EQ(p1->Kind(), ckWarm);
  EXPECT_TRUE(p1->Options() == (TDescOptions{toBold, toUnderline}));
  EXPECT_EQ(p1->Ratio(), 2.5);
  EXPECT_EQ(p1->Caption(), "Geração de 'estratos'");
  EXPECT_EQ(p1->Big(), 12345678901LL);
  EXPECT_TRUE(p1->Active());
  EXPECT_EQ(p1->Price().Value, 125000);
  EXPECT_EQ(p1->Scale(), 1.25f);
  EXPECT_EQ(p1->Font()->Size(), 10);
  EXPECT_TRUE(p1->Font()->Style() == TDescOptions{toItalic});
  EXPECT_EQ(p1->Font()->Name(), "Tahoma");
  ASSERT_EQ(p1->Items()->Count(), 2);
  EXPECT_EQ(p1->Items()->Item(0)->Caption(), "um");
  EXPECT_EQ(p1->Items()->Item(0)->Width(), 50);
  EXPECT_EQ(p1->Items()->Item(1)->Caption(), "dois");
  EXPECT_EQ(p1->Items()->Item(1)->Width(), 80);
  EXPECT_EQ(p1->Buddy(), p2) << "a reference to a component read later must be fixed up";
  EXPECT_EQ(p1->Blob, std::string("\x00\xFF\x10\xA0", 4));
  EXPECT_EQ(p1->Marks, (std::vector<Integer>{1, -300, 70000}));
  EXPECT_EQ(p2->Count(), -1);
  EXPECT_EQ(p2->Lines()->Text(), "a\r\nb\r\n");

  ASSERT_TRUE(p1->FOnClick.Assigned()) << "OnClick was not bound to the root's published method";
  p1->FOnClick(p1);
  EXPECT_EQ(root->clicks, 1);
  EXPECT_EQ(root->lastSender, p1);
}

TEST_F(StreamingTest, WritingTheObjectsGivesTheTextBackByteForByte) {
  TObjectPtr<TComponent> root(readDescription(kFullText));
  EXPECT_EQ(writeText(root.get()), kFullText);
}

TEST_F(StreamingTest, BinaryFormRoundTripsThroughObjects) {
  std::string binary = textToBinary(kFullText);
  ASSERT_EQ(binary.substr(0, 4), "TPF0");
  TObjectPtr<TComponent> root(readDescription(binary));
  EXPECT_EQ(writeBinary(root.get()), binary) << "text -> binary -> objects -> binary changed the bytes";
  EXPECT_EQ(binaryToText(binary), kFullText);
}

TEST_F(StreamingTest, BinaryLayoutUsesSmallestIntegerTagsAndEndMarkers) {
  std::string binary = textToBinary(lines({"object R: TDescRoot", "  object P: TDescPanel", "    Count = 300",
                                           "    Big = 5", "  end", "end"}));
  std::string expected = std::string("TPF0") + "\x09TDescRoot" + "\x01R" + std::string(1, '\0') +  // no props
                         "\x0ATDescPanel" + "\x01P" +                                           // child
                         "\x05" "Count" + "\x03" + std::string("\x2C\x01", 2) +                 // vaInt16 300
                         "\x03" "Big" + "\x02" + "\x05" +                                       // vaInt8 5
                         std::string(1, '\0') + std::string(1, '\0') +                          // P: props, children
                         std::string(1, '\0');                                                  // R: children
  EXPECT_EQ(binary, expected);
}

TEST_F(StreamingTest, LoadedRunsAfterFixupsOnEveryComponentWithLoadingState) {
  TObjectPtr<TComponent> owned(readDescription(kFullText));
  auto* root = static_cast<TDescRoot*>(owned.get());
  EXPECT_EQ(journal(), (std::vector<std::string>{"Loaded DescRoot1", "Loaded Panel1", "Loaded Panel2"}));
  TDescPanel* p1 = root->Panel1;
  EXPECT_TRUE(p1->stateAtCaption.Contains(csLoading) && p1->stateAtCaption.Contains(csReading))
      << "a property is set while the component is loading and reading";
  EXPECT_TRUE(p1->stateAtLoaded.Contains(csLoading)) << "Loaded starts with csLoading still set";
  EXPECT_FALSE(p1->stateAtLoaded.Contains(csReading)) << "csReading ends before Loaded";
  EXPECT_TRUE(root->stateAtLoaded.Contains(csLoading));
  EXPECT_FALSE(root->stateAtLoaded.Contains(csReading));
  EXPECT_TRUE(p1->buddyAtLoaded) << "references are fixed up before Loaded";
  for (TComponent* c : {static_cast<TComponent*>(root), static_cast<TComponent*>(p1),
                        static_cast<TComponent*>(root->Panel2)}) {
    TComponentState s = c->ComponentState();
    EXPECT_FALSE(s.Contains(csLoading) || s.Contains(csReading)) << c->Name() << " kept a loading state";
  }
}

TEST_F(StreamingTest, ReadingIntoAnExistingRootKeepsItAndNamesItUniquely) {
  // Another root already has the name the description gives: the root gets a suffix.
  static TComponent* other = nullptr;
  TFindGlobalComponent finder = [](const std::string& name) -> TComponent* {
    return other && SameText(other->Name(), name) ? other : nullptr;
  };
  TObjectPtr<TDescRoot> first(New<TDescRoot>(nullptr));
  first->SetName("DescRoot1");
  other = first.get();
  RegisterFindGlobalComponentProc(finder);
  TObjectPtr<TDescRoot> root(New<TDescRoot>(nullptr));
  TComponent* result = readDescription(kFullText, root.get());
  UnregisterFindGlobalComponentProc(finder);
  other = nullptr;
  EXPECT_EQ(result, root.get());
  EXPECT_EQ(root->Name(), "DescRoot1_1");
  EXPECT_EQ(root->ComponentCount(), 2);
  EXPECT_EQ(root->loadedCalls, 1);
}

TEST_F(StreamingTest, ChildPositionReordersThroughSetChildOrder) {
  TObjectPtr<TComponent> root(readDescription(lines({"object R: TDescRoot", "  object A: TDescPanel", "  end",
                                                     "  object B: TDescPanel [0]", "  end", "end"})));
  ASSERT_EQ(root->ComponentCount(), 2);
  EXPECT_EQ(root->Components(0)->Name(), "B");
  EXPECT_EQ(root->Components(1)->Name(), "A");
}

TEST_F(StreamingTest, CollectionItemsWithOrderAreReadInTheirPlace) {
  TObjectPtr<TComponent> root(readDescription(lines({"object R: TDescRoot", "  object A: TDescPanel",
                                                     "    Items = <", "      item [0]", "        Width = 1",
                                                     "      end", "      item [1]", "      end>", "  end", "end"})));
  auto* a = static_cast<TDescRoot*>(root.get())->FindComponent("A");
  auto* items = static_cast<TDescPanel*>(a)->Items();
  ASSERT_EQ(items->Count(), 2);
  EXPECT_EQ(items->Item(0)->Width(), 1);
  EXPECT_EQ(items->Item(1)->Width(), 50);
}

// ---------------------------------------------------------------------------------------
// Errors.

struct ReadErrorCase {
  const char* what;
  std::string text;
  const char* message;
};

TEST_F(StreamingTest, BadDescriptionsFailWithTheComponentAndPropertyNamed) {
  auto panel = [](std::initializer_list<const char*> props) {
    std::vector<const char*> all = {"object R: TDescRoot", "  object Panel1: TDescPanel", "    Count = 1"};
    all.insert(all.end(), props);
    all.insert(all.end(), {"  end", "  object Panel2: TDescPanel", "  end", "end"});
    std::string s;
    for (const char* l : all) s += std::string(l) + "\r\n";
    return s;
  };
  const std::vector<ReadErrorCase> cases = {
      {"unknown property", panel({"    Bogus = 1"}), "Error reading Panel1.Bogus: Property Bogus does not exist"},
      {"unknown nested property", panel({"    Font.Bogus = 1"}),
       "Error reading Panel1.Font.Bogus: Property Bogus does not exist"},
      {"path through a non-object", panel({"    Count.Size = 1"}),
       "Error reading Panel1.Count.Size: Property Count does not exist"},
      {"unknown enumeration name", panel({"    Kind = ckHot"}), "Error reading Panel1.Kind: Invalid property value"},
      {"unknown set element", panel({"    Options = [toBold, toWide]"}),
       "Error reading Panel1.Options: Invalid property value"},
      {"string for an integer", panel({"    Count = 'x'"}), "Error reading Panel1.Count: Invalid property value"},
      {"unknown method", panel({"    OnClick = NoSuchMethod"}),
       "Error reading Panel1.OnClick: Invalid property value"},
      {"property of a collection item", panel({"    Items = <", "      item", "        Bad = 1", "      end>"}),
       "Error reading Panel1.Items[0].Bad: Property Bad does not exist"},
      {"root property", lines({"object R: TDescRoot", "  Bogus = 1", "end"}),
       "Error reading R.Bogus: Property Bogus does not exist"},
  };
  for (const ReadErrorCase& c : cases) {
    int live = liveObjects();
    EXPECT_EQ(messageOf<EReadError>([&] { readDescription(c.text); }), c.message) << c.what;
    EXPECT_EQ(liveObjects(), live) << c.what << ": the failed read left objects behind";
  }
}

TEST_F(StreamingTest, UnknownClassRaisesClassNotFoundAndFreesWhatWasBuilt) {
  std::string text = lines({"object R: TDescRoot", "  object Panel1: TDescPanel", "  end",
                            "  object Ghost: TNoSuchClass", "  end", "end"});
  EXPECT_EQ(messageOf<EClassNotFound>([&] { readDescription(text); }), "Class TNoSuchClass not found");
  EXPECT_EQ(messageOf<EClassNotFound>([&] { readDescription(lines({"object R: TNoSuchRoot", "end"})); }),
            "Class TNoSuchRoot not found");
}

TEST_F(StreamingTest, FailedReadIntoAGivenRootFreesOnlyWhatItBuilt) {
  TObjectPtr<TDescRoot> root(New<TDescRoot>(nullptr));
  int liveWithRoot = liveObjects();
  std::string text = lines({"object R: TDescRoot", "  object Panel1: TDescPanel", "    Count = 1", "  end",
                            "  object Panel2: TDescPanel", "    Bogus = 1", "  end", "end"});
  EXPECT_EQ(messageOf<EReadError>([&] { readDescription(text, root.get()); }),
            "Error reading Panel2.Bogus: Property Bogus does not exist");
  EXPECT_EQ(root->ComponentCount(), 0);
  EXPECT_EQ(root->Panel1, nullptr) << "the published field still points at a freed component";
  EXPECT_EQ(liveObjects(), liveWithRoot);
  EXPECT_TRUE(root->ComponentState().Empty()) << "the root kept a loading state";
}

// Handles every read error and keeps the messages.
struct ErrorCollector : TObject {
  std::vector<std::string> messages;
  void OnError(TReader*, const std::string& message, bool& handled) {
    messages.push_back(message);
    handled = true;
  }
};

TEST_F(StreamingTest, OnErrorSkipsTheBadValueAndReadingGoesOn) {
  std::string binary = textToBinary(lines({"object R: TDescRoot", "  object Panel1: TDescPanel", "    Count = 1",
                                           "    Bogus = (", "      1", "      'two')", "    Kind = ckHot",
                                           "    Caption = 'after'", "  end", "end"}));
  ErrorCollector collector;
  TStringStream in(binary);
  TReader reader(&in);
  reader.SetOnError(TReader::TReaderError(&collector, &ErrorCollector::OnError));
  TObjectPtr<TComponent> root(reader.ReadRootComponent(nullptr));
  auto* p1 = static_cast<TDescRoot*>(root.get())->Panel1;
  ASSERT_NE(p1, nullptr);
  EXPECT_EQ(p1->Count(), 1);
  EXPECT_EQ(p1->Kind(), ckNone);
  EXPECT_EQ(p1->Caption(), "after") << "the property after the skipped ones was not read";
  EXPECT_EQ(collector.messages, (std::vector<std::string>{
                                    "Error reading Panel1.Bogus: Property Bogus does not exist",
                                    "Error reading Panel1.Kind: Invalid property value"}));
}

// Supplies a method for names the root does not publish.
struct MethodFinder : TObject {
  std::vector<std::string> asked;
  void OnFindMethod(TReader*, const std::string& name, TMethodCode& address, bool& error) {
    asked.push_back(name);
    if (name == "Renamed") {
      address = TDescRoot::StaticClass()->MethodAddress("OtherClick");
      error = false;
    }
  }
};

TEST_F(StreamingTest, OnFindMethodSuppliesMethodsTheRootDoesNotPublish) {
  MethodFinder finder;
  TStringStream in(textToBinary(lines({"object R: TDescRoot", "  object P: TDescPanel", "    OnClick = Renamed",
                                       "  end", "end"})));
  TReader reader(&in);
  reader.SetOnFindMethod(TReader::TFindMethodEvent(&finder, &MethodFinder::OnFindMethod));
  TObjectPtr<TComponent> root(reader.ReadRootComponent(nullptr));
  auto* p = static_cast<TDescPanel*>(root->FindComponent("P"));
  EXPECT_EQ(finder.asked, std::vector<std::string>{"Renamed"});
  EXPECT_EQ(p->FOnClick.AsMethod().Code, TDescRoot::StaticClass()->MethodAddress("OtherClick"));
  EXPECT_EQ(p->FOnClick.Data(), root.get());
  EXPECT_EQ(writeText(root.get()), lines({"object R: TDescRoot", "  object P: TDescPanel",
                                          "    OnClick = OtherClick", "  end", "end"}));
}

TEST_F(StreamingTest, DamagedBinaryRaisesAndLeavesNothingBehind) {
  const std::string binary = textToBinary(kFullText);
  auto attempt = [&](const std::string& data, const std::string& what, bool mustFail) {
    int live = liveObjects();
    try {
      TComponent* root = readDescription(data);
      if (mustFail) ADD_FAILURE() << what << ": read without an error";
      root->Free();
    } catch (const Exception& e) {
      EXPECT_FALSE(e.Message().empty()) << what;
    } catch (...) {
      ADD_FAILURE() << what << ": raised something that is not an Exception";
    }
    EXPECT_EQ(liveObjects(), live) << what << ": objects left behind";
  };
  for (size_t length = 0; length < binary.size(); ++length)
    attempt(binary.substr(0, length), "truncated to " + std::to_string(length), true);
  for (size_t at = 0; at < binary.size(); ++at)
    for (unsigned char mask : {0x01, 0x10, 0x80}) {
      std::string damaged = binary;
      damaged[at] = static_cast<char>(damaged[at] ^ mask);
      attempt(damaged, "byte " + std::to_string(at) + " xor " + std::to_string(mask), false);
    }
}

TEST_F(StreamingTest, BinaryThatIsNotADescriptionIsRefused) {
  EXPECT_EQ(messageOf<EReadError>([] { readDescription(std::string("TPF1\x09TDescRoot", 14)); }),
            "Invalid stream format");
  // A length larger than the rest of the stream must not be followed.
  std::string huge = std::string("TPF0\x09TDescRoot\x01R", 16) + "\x07" "Caption" + "\x0C" + "\xFF\xFF\xFF\x7F";
  EXPECT_EQ(messageOf<EReadError>([&] { readDescription(huge); }), "Error reading R.Caption: Stream read error");
}

// ---------------------------------------------------------------------------------------
// Values in the text form.

TEST_F(StreamingTest, StringsOfAnyContentSurviveTextAndBinary) {
  const std::vector<std::string> values = {
      "",
      "plain",
      "it's",
      "Ação e opção",
      std::string("tab\there\r\nnull\0end", 18),
      std::string(64, 'x'),
      std::string(65, 'y'),
      std::string(300, 'z') + "'ç",
  };
  for (const std::string& v : values) {
    TObjectPtr<TDescRoot> root(New<TDescRoot>(nullptr));
    root->SetName("R");
    auto* p = New<TDescPanel>(root.get());
    p->SetName("P");
    p->SetCaption(v);
    std::string text = writeText(root.get());
    TObjectPtr<TComponent> back(readDescription(text));
    auto* q = static_cast<TDescPanel*>(back->FindComponent("P"));
    EXPECT_EQ(q->Caption(), v) << "through the text:\n" << text;
    auto notAscii = std::find_if(text.begin(), text.end(),
                                 [](char c) { return c != '\r' && c != '\n' && (c < 32 || c > 126); });
    EXPECT_EQ(notAscii, text.end()) << "the text form holds a character outside printable ASCII:\n" << text;
  }
}

TEST_F(StreamingTest, TextLayoutOfStringsListsAndBinary) {
  TObjectPtr<TDescRoot> root(New<TDescRoot>(nullptr));
  root->SetName("R");
  auto* p = New<TDescPanel>(root.get());
  p->SetName("P");
  p->SetCaption(std::string(64, 'a') + "b\t");
  p->Lines()->SetText(std::string(70, 'c') + "\r\nd\r\n");
  p->Blob = std::string(33, '\x11');
  EXPECT_EQ(writeText(root.get()),
            lines({"object R: TDescRoot", "  object P: TDescPanel", "    Caption =",
                   ("      '" + std::string(64, 'a') + "' +").c_str(), "      'b'#9",
                   "    Lines.Strings = (", ("      '" + std::string(64, 'c') + "' +").c_str(), "      'cccccc'",
                   "      'd')", "    Blob = {",
                   "      1111111111111111111111111111111111111111111111111111111111111111", "      11}", "  end",
                   "end"}));
}

TEST_F(StreamingTest, FloatsAreWrittenShortAndReadBackExactly) {
  struct Case {
    double value;
    const char* text;
  };
  const std::vector<Case> cases = {{0.1, "0.1"},     {2.0, "2.0"},         {-2.5e-7, "-2.5E-7"},
                                   {1e20, "1.0E20"}, {123456.789, "123456.789"}, {1.0 / 3, "0.3333333333333333"}};
  for (const Case& c : cases) {
    TObjectPtr<TDescRoot> root(New<TDescRoot>(nullptr));
    root->SetName("R");
    auto* p = New<TDescPanel>(root.get());
    p->SetName("P");
    p->SetRatio(c.value);
    std::string text = writeText(root.get());
    EXPECT_NE(text.find(std::string("    Ratio = ") + c.text + "\r\n"), std::string::npos)
        << "expected Ratio = " << c.text << " in:\n" << text;
    TObjectPtr<TComponent> back(readDescription(text));
    EXPECT_EQ(static_cast<TDescPanel*>(back->FindComponent("P"))->Ratio(), c.value) << c.text;
  }
}

TEST_F(StreamingTest, ExtendedValuesKeepAllTheirDigitsInText) {
  // A value that no double holds must come back as the same 80-bit value.
  long double v = 1.0L / 3;
  std::string text;
  {
    // A whole description is needed for the converters: wrap the value in a property.
    TMemoryStream doc;
    TWriter w(&doc);
    w.WriteSignature();
    w.WriteStr("TDescRoot");
    w.WriteStr("R");
    w.WriteStr("X");
    w.WriteFloat(v);
    w.WriteListEnd();
    w.WriteListEnd();
    text = binaryToText(streamBytes(doc));
  }
  std::string back = textToBinary(text);
  TStringStream in(back);
  TReader r(&in);
  r.ReadSignature();
  TFilerFlags flags;
  Integer pos = 0;
  r.ReadPrefix(flags, pos);
  r.ReadStr();
  r.ReadStr();
  EXPECT_EQ(r.ReadStr(), "X");
  EXPECT_EQ(r.ReadFloat(), v) << text;
}

TEST_F(StreamingTest, TextInUtf8OrCp1252ReadsTheSameCharacters) {
  std::string cp1252 = "object R: TDescRoot\r\n  Caption = 'Ação €'\r\nend\r\n";
  std::string utf8 = "object R: TDescRoot\r\n  Caption = 'A\xC3\xA7\xC3\xA3o \xE2\x82\xAC'\r\nend\r\n";
  std::string bom = "\xEF\xBB\xBF" + utf8;
  for (const std::string& text : {cp1252, utf8, bom}) {
    TObjectPtr<TComponent> root(readDescription(text));
    EXPECT_EQ(static_cast<TDescRoot*>(root.get())->Caption(), "Ação €");
  }
}

TEST_F(StreamingTest, WideCharactersBecomeWideStringsAndCp1252WhenRead) {
  // #8364 is the euro sign (cp1252 0x80); #1046 has no cp1252 character.
  std::string binary = textToBinary(lines({"object R: TDescRoot", "  Caption = 'x'#8364#1046", "end"}));
  std::string expectedValue = std::string("\x12\x03\x00\x00\x00", 5) + std::string("x\0\xAC\x20\x16\x04", 6);
  EXPECT_NE(binary.find(expectedValue), std::string::npos) << "the value was not stored as vaWString in UTF-16";
  TObjectPtr<TComponent> root(readDescription(binary));
  EXPECT_EQ(static_cast<TDescRoot*>(root.get())->Caption(), "x\x80?");
  EXPECT_EQ(binaryToText(binary), lines({"object R: TDescRoot", "  Caption = 'x'#8364#1046", "end"}));
}

TEST_F(StreamingTest, IntegerIdentifiersAreWrittenAndReadByName) {
  for (auto [value, text] : std::vector<std::pair<Integer, std::string>>{
           {0x0000FF, "shRed"}, {-16, "shSystem"}, {0x123456, "1193046"}}) {
    TObjectPtr<TDescRoot> root(New<TDescRoot>(nullptr));
    root->SetName("R");
    auto* s = New<TDescSwatch>(root.get());
    s->SetName("S");
    s->SetShade(TDescShade(value));
    std::string written = writeText(root.get());
    EXPECT_NE(written.find("    Shade = " + text + "\r\n"), std::string::npos) << written;
    TObjectPtr<TComponent> back(readDescription(written));
    EXPECT_EQ(static_cast<TDescSwatch*>(back->FindComponent("S"))->Shade(), value) << text;
  }
  // Names are matched without regard to case; an unknown name is an invalid value.
  TObjectPtr<TComponent> mixed(readDescription(lines({"object R: TDescRoot", "  object S: TDescSwatch",
                                                      "    Shade = SHGREEN", "  end", "end"})));
  EXPECT_EQ(static_cast<TDescSwatch*>(mixed->FindComponent("S"))->Shade(), 0x00FF00);
  EXPECT_EQ(messageOf<EReadError>([] {
              readDescription(lines({"object R: TDescRoot", "  object S: TDescSwatch", "    Shade = shBlue", "  end",
                                     "end"}));
            }),
            "Error reading S.Shade: Invalid property value");
}

TEST_F(StreamingTest, CharAndVariantPropertiesKeepTheirValueAndKind) {
  const std::vector<Variant> values = {Null(),         Variant(5),        Variant(7000000000LL),
                                       Variant(2.5),   Variant("texto"),  Variant::MakeOleStr("wide"),
                                       Variant(true),  Variant(Currency::FromScaled(12345)),
                                       VarFromDateTime(45000.25)};
  for (const Variant& v : values) {
    TObjectPtr<TDescRoot> root(New<TDescRoot>(nullptr));
    root->SetName("R");
    auto* s = New<TDescSwatch>(root.get());
    s->SetName("S");
    s->SetHotkey('&');
    s->SetValue(v);
    // Through the binary form: the text form cannot tell a wide string whose characters
    // are all in cp1252 from a plain one.
    std::string binary = writeBinary(root.get());
    std::string text = binaryToText(binary);
    TObjectPtr<TComponent> back(readDescription(binary));
    auto* t = static_cast<TDescSwatch*>(back->FindComponent("S"));
    EXPECT_EQ(t->Hotkey(), '&') << text;
    EXPECT_EQ(VarType(t->Value()), VarType(v)) << text;
    if (!VarIsNull(v)) {
      EXPECT_TRUE(VarSameValue(t->Value(), v)) << text;
    }
  }
}

// Redirects classes, names and references while a description is read.
struct ReaderHooks : TObject {
  std::vector<std::string> created;
  void FindClass(TReader*, const std::string& className, TClass& componentClass) {
    if (className == "TOldPanel") componentClass = TDescPanel::StaticClass();
  }
  void Create(TReader* reader, TClass componentClass, TComponent*& component) {
    created.push_back(componentClass->ClassName());
    component = CreateComponent(componentClass, reader->Owner());
  }
  void SetName(TReader*, TComponent*, std::string& name) {
    if (name == "OldName") name = "NewName";
  }
  void ReferenceName(TReader*, std::string& name) {
    if (name == "OldName") name = "NewName";
  }
};

TEST_F(StreamingTest, ReaderEventsRedirectClassesNamesAndReferences) {
  ReaderHooks hooks;
  TStringStream in(textToBinary(lines({"object R: TDescRoot", "  object A: TDescPanel", "    Buddy = OldName",
                                       "  end", "  object OldName: TOldPanel", "  end", "end"})));
  TReader reader(&in);
  reader.SetOnFindComponentClass(TReader::TFindComponentClassEvent(&hooks, &ReaderHooks::FindClass));
  reader.SetOnCreateComponent(TReader::TCreateComponentEvent(&hooks, &ReaderHooks::Create));
  reader.SetOnSetName(TReader::TSetNameEvent(&hooks, &ReaderHooks::SetName));
  reader.SetOnReferenceName(TReader::TReferenceNameEvent(&hooks, &ReaderHooks::ReferenceName));
  TObjectPtr<TComponent> root(reader.ReadRootComponent(nullptr));
  EXPECT_EQ(hooks.created, (std::vector<std::string>{"TDescPanel", "TDescPanel"}));
  auto* renamed = root->FindComponent("NewName");
  ASSERT_NE(renamed, nullptr) << "OnSetName did not rename the component";
  EXPECT_EQ(static_cast<TDescPanel*>(root->FindComponent("A"))->Buddy(), renamed)
      << "OnReferenceName did not redirect the reference";
}

TEST(IdentMapTest, IdentToIntAndIntToIdentUseTheMap) {
  Integer value = 0;
  std::string ident;
  EXPECT_TRUE(IdentToInt("ShGreen", value, kShadeNames));
  EXPECT_EQ(value, 0x00FF00);
  EXPECT_FALSE(IdentToInt("shBlue", value, kShadeNames));
  EXPECT_TRUE(IntToIdent(-16, ident, kShadeNames));
  EXPECT_EQ(ident, "shSystem");
  EXPECT_FALSE(IntToIdent(7, ident, kShadeNames));
  registerTestClasses();
  ASSERT_TRUE(FindIntToIdent(TypeInfo<TDescShade>()));
  EXPECT_FALSE(FindIdentToInt(TypeInfo<Integer>())) << "plain integers must have no identifiers";
}

// ---------------------------------------------------------------------------------------
// Descendants: only what differs from the ancestor is written, and reading the ancestor
// then the descendant gives the descendant.

TEST_F(StreamingTest, DescendantStoresOnlyDifferencesAndReadsBackOverTheAncestor) {
  const std::string ancestorText = lines({"object R: TDescRoot", "  Caption = 'base'", "  object A: TDescPanel",
                                          "    Count = 1", "    Caption = 'same'", "    OnClick = PanelClick",
                                          "    Marks = (", "      5)", "  end", "  object B: TDescPanel",
                                          "    Count = 2", "  end", "end"});
  TObjectPtr<TComponent> ancestor(readDescription(ancestorText));
  TObjectPtr<TComponent> descendant(readDescription(ancestorText));
  auto* a = static_cast<TDescPanel*>(descendant->FindComponent("A"));
  a->SetCount(10);
  a->Marks = {5, 6};
  auto* c = New<TDescPanel>(descendant.get());
  c->SetName("C");
  c->SetKind(ckCool);
  const std::string expected = lines({"inherited R: TDescRoot", "  inherited A: TDescPanel", "    Count = 10",
                                      "    Marks = (", "      5", "      6)", "  end", "  inherited B: TDescPanel",
                                      "  end", "  object C: TDescPanel", "    Kind = ckCool", "  end", "end"});
  EXPECT_EQ(writeText(descendant.get(), ancestor.get()), expected);

  TObjectPtr<TDescRoot> rebuilt(New<TDescRoot>(nullptr));
  readDescription(ancestorText, rebuilt.get());
  readDescription(expected, rebuilt.get());
  EXPECT_EQ(writeText(rebuilt.get()), writeText(descendant.get()));
  EXPECT_EQ(rebuilt->ComponentCount(), 3);
}

TEST_F(StreamingTest, InheritedComponentMissingFromTheAncestorIsAnError) {
  TObjectPtr<TDescRoot> root(New<TDescRoot>(nullptr));
  EXPECT_EQ(messageOf<EReadError>([&] {
              readDescription(lines({"inherited R: TDescRoot", "  inherited Nope: TDescPanel", "  end", "end"}),
                              root.get());
            }),
            "Ancestor for 'Nope' not found");
}

// ---------------------------------------------------------------------------------------
// References to other roots.

std::vector<TComponent*>& globalRoots() {
  static std::vector<TComponent*> roots;
  return roots;
}
TComponent* findTestRoot(const std::string& name) {
  for (TComponent* r : globalRoots())
    if (SameText(r->Name(), name)) return r;
  return nullptr;
}

class GlobalReferenceTest : public StreamingTest {
protected:
  void SetUp() override {
    StreamingTest::SetUp();
    RegisterFindGlobalComponentProc(findTestRoot);
  }
  void TearDown() override {
    UnregisterFindGlobalComponentProc(findTestRoot);
    globalRoots().clear();
    RemoveFixupReferences(nullptr, "");
    StreamingTest::TearDown();
  }
  // A new root, findable by its name once read.
  TDescRoot* newRoot() {
    auto* r = New<TDescRoot>(nullptr);
    globalRoots().push_back(r);
    return r;
  }
  void freeRoot(TDescRoot* r) {
    globalRoots().erase(std::remove(globalRoots().begin(), globalRoots().end(), r), globalRoots().end());
    r->Free();
  }
};

TEST_F(GlobalReferenceTest, ReferenceToALaterRootIsFixedUpWhenThatRootIsRead) {
  TDescRoot* first = newRoot();
  readDescription(lines({"object Form1: TDescRoot", "  object Panel1: TDescPanel", "    Buddy = Form2.Panel9",
                         "  end", "end"}),
                  first);
  EXPECT_EQ(first->Panel1->Buddy(), nullptr);
  TStringList waiting;
  GetFixupReferenceNames(first, &waiting);
  EXPECT_EQ(waiting.Text(), "Form2\r\n");

  TDescRoot* second = newRoot();
  readDescription(lines({"object Form2: TDescRoot", "  object Panel9: TDescPanel", "  end", "end"}), second);
  EXPECT_EQ(first->Panel1->Buddy(), second->FindComponent("Panel9"));
  waiting.Clear();
  GetFixupReferenceNames(first, &waiting);
  EXPECT_EQ(waiting.Count(), 0);
  freeRoot(second);
  EXPECT_EQ(first->Panel1->Buddy(), nullptr) << "the free notification did not clear the reference";
  freeRoot(first);
}

TEST_F(GlobalReferenceTest, FreedRootDropsItsPendingReferences) {
  TDescRoot* first = newRoot();
  readDescription(lines({"object Form1: TDescRoot", "  object Panel1: TDescPanel", "    Buddy = Form2.Panel9",
                         "  end", "end"}),
                  first);
  freeRoot(first);
  // Reading the awaited root now must not touch the freed component.
  TDescRoot* second = newRoot();
  readDescription(lines({"object Form2: TDescRoot", "  object Panel9: TDescPanel", "  end", "end"}), second);
  TStringList waiting;
  GetFixupReferenceNames(nullptr, &waiting);
  EXPECT_EQ(waiting.Count(), 0);
  freeRoot(second);
}

TEST_F(GlobalReferenceTest, FindNestedComponentFollowsDottedNames) {
  TDescRoot* root = newRoot();
  readDescription(lines({"object Form1: TDescRoot", "  object Panel1: TDescPanel", "  end", "end"}), root);
  auto* inner = New<TDescPanel>(root->Panel1);
  inner->SetName("Inner");
  EXPECT_EQ(FindNestedComponent(root, "Panel1"), root->Panel1);
  EXPECT_EQ(FindNestedComponent(root, "panel1.INNER"), inner);
  EXPECT_EQ(FindNestedComponent(root, "Panel1.Missing"), nullptr);
  EXPECT_EQ(FindNestedComponent(root, "Panel1."), nullptr);
  EXPECT_EQ(FindGlobalComponent("form1"), root);
  EXPECT_EQ(FindGlobalComponent("Form9"), nullptr);
  freeRoot(root);
}

// ---------------------------------------------------------------------------------------
// Resource entries and stream formats.

TEST_F(StreamingTest, ResourceEntryRoundTripsAndConvertsToText) {
  TObjectPtr<TComponent> root(readDescription(kFullText));
  TMemoryStream res;
  res.WriteComponentRes("TDescRoot", root.get());
  std::string bytes = streamBytes(res);
  ASSERT_GE(bytes.size(), 20u);
  EXPECT_EQ(bytes.substr(0, 15), std::string("\xFF\x0A\x00TDESCROOT\x00\x30\x10", 15));
  Integer size = 0;
  std::memcpy(&size, bytes.data() + 15, 4);
  EXPECT_EQ(static_cast<size_t>(size), bytes.size() - 19) << "the entry's size was not fixed up";

  res.SetPosition(0);
  TStringStream text;
  ObjectResourceToText(&res, &text);
  EXPECT_EQ(text.DataString(), kFullText);

  TStringStream textIn(kFullText);
  TMemoryStream fromText;
  ObjectTextToResource(&textIn, &fromText);
  EXPECT_EQ(streamBytes(fromText), bytes);
  fromText.SetPosition(0);
  TObjectPtr<TDescRoot> back(New<TDescRoot>(nullptr));
  fromText.ReadComponentRes(back.get());
  EXPECT_EQ(writeText(back.get()), kFullText);

  TStringStream notRes(std::string("TPF0"));
  EXPECT_EQ(messageOf<EInvalidImage>([&] { notRes.ReadResHeader(); }), "Invalid stream format");
}

TEST(StreamFormatTest, TestStreamFormatRecognisesBothForms) {
  const std::vector<std::pair<std::string, TStreamOriginalFormat>> cases = {
      {"TPF0\x09TDescRoot", sofBinary},
      {std::string("\xFF\x0A\x00TDESCROOT", 12), sofBinary},
      {"object Form1: TForm1\r\nend", sofText},
      {"\xEF\xBB\xBF\r\n  INHERITED Form1: TForm1", sofText},
      {"inline Frame1: TFrame1", sofText},
      {"objects", sofUnknown},
      {"", sofUnknown},
  };
  for (const auto& [data, format] : cases) {
    TStringStream s(data);
    s.SetPosition(0);
    EXPECT_EQ(TestStreamFormat(&s), format) << "for " << data;
    EXPECT_EQ(s.Position(), 0) << "the position moved for " << data;
  }
}

// ---------------------------------------------------------------------------------------
// The parser.

TEST(ParserTest, TokensOfEveryKind) {
  TStringStream in("Font.Style 'it''s'#13#10'x' #$41'B' 'x'#8364 $FF -12 -$10 1.5s 2.5E3 12c 7d = ( ) 3.25");
  TParser p(&in);
  EXPECT_EQ(p.Token(), toSymbol);
  EXPECT_EQ(p.TokenComponentIdent(), "Font.Style");
  EXPECT_EQ(p.NextToken(), toString);
  EXPECT_EQ(p.TokenString(), "it's\r\nx");
  EXPECT_EQ(p.NextToken(), toString);
  EXPECT_EQ(p.TokenString(), "AB");
  EXPECT_EQ(p.NextToken(), toWString);
  EXPECT_EQ(p.TokenWideString(), std::u16string(u"x\u20AC"));
  EXPECT_EQ(p.NextToken(), toInteger);
  EXPECT_EQ(p.TokenInt(), 255);
  EXPECT_EQ(p.NextToken(), toInteger);
  EXPECT_EQ(p.TokenInt(), -12);
  EXPECT_EQ(p.NextToken(), toInteger);
  EXPECT_EQ(p.TokenInt(), -16);
  EXPECT_EQ(p.NextToken(), toFloat);
  EXPECT_EQ(p.FloatType(), 's');
  EXPECT_EQ(p.TokenFloat(), 1.5L);
  EXPECT_EQ(p.NextToken(), toFloat);
  EXPECT_EQ(p.FloatType(), 0);
  EXPECT_EQ(p.TokenFloat(), 2500.0L);
  EXPECT_EQ(p.NextToken(), toFloat);
  EXPECT_EQ(p.FloatType(), 'c');
  EXPECT_EQ(p.NextToken(), toFloat);
  EXPECT_EQ(p.FloatType(), 'd');
  EXPECT_EQ(p.NextToken(), '=');
  EXPECT_EQ(p.NextToken(), '(');
  EXPECT_EQ(p.NextToken(), ')');
  EXPECT_EQ(p.NextToken(), toFloat);
  EXPECT_EQ(p.TokenFloat(), 3.25L);
  EXPECT_EQ(p.NextToken(), toEOF);
  EXPECT_EQ(p.NextToken(), toEOF) << "the end of the text must stay the end";
}

TEST(ParserTest, SourceLineCountsLineBreaks) {
  TStringStream in("a\r\n\r\n  b\nc");
  TParser p(&in);
  EXPECT_EQ(p.SourceLine(), 1);
  p.NextToken();
  EXPECT_EQ(p.SourceLine(), 3);
  p.NextToken();
  EXPECT_EQ(p.SourceLine(), 4);
}

TEST(ParserTest, MalformedTextGivesTheLineAndTheReason) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"object F: TDescRoot\r\n  Left 10\r\nend", "Line 2: '=' expected"},
      {"object F: TDescRoot\r\n  Caption = 'abc\r\nend", "Line 2: Invalid string constant"},
      {"object F: TDescRoot\r\n  Data = {0A1}\r\nend", "Line 2: Invalid binary value"},
      {"object F: TDescRoot\r\n  Data = {0AZZ}\r\nend", "Line 2: Invalid binary value"},
      {"object F: TDescRoot\r\n  Left = 10\r\n", "Line 3: Identifier expected"},
      {"thing F: TDescRoot end", "Line 1: object expected"},
      {"object F: TDescRoot\r\n  Items = (1\r\n  2\r\nend", "Line 4: ')' expected"},
      {"object F: TDescRoot\r\n  Left = @\r\nend", "Line 2: Invalid property value"},
      {"object F: TDescRoot\r\n  Cols = <\r\n    thing\r\n  >\r\nend", "Line 3: item expected"},
      {"object F: TDescRoot\r\n  Set = [a, 1]\r\nend", "Line 2: Identifier expected"},
      {"object F: TDescRoot\r\n  Big = 99999999999999999999\r\nend", "Line 2: Invalid number 99999999999999999999"},
      {"object F: TDescRoot\r\n  S = 'a' + 5\r\nend", "Line 2: String expected"},
      {"object F: TDescRoot\r\n  S = #\r\nend", "Line 2: Invalid string constant"},
  };
  for (const auto& [text, message] : cases)
    EXPECT_EQ(messageOf<EParserError>([&] { textToBinary(text); }), message) << text;
}

// ---------------------------------------------------------------------------------------
// Window procedures bound to methods.

struct WindowReceiver : TObject {
  HWND wnd = nullptr;
  WNDPROC previous = nullptr;
  std::vector<UINT> received;
  bool raise = false;
  void UtilityProc(TMessage& m) {
    if (m.Msg >= WM_APP) {
      received.push_back(m.Msg);
      m.Result = 7;
      if (raise) throw EConvertError("raised in a window procedure");
      return;
    }
    m.Result = DefWindowProcA(wnd, m.Msg, m.WParam, m.LParam);
  }
  void SubclassProc(TMessage& m) {
    if (m.Msg == WM_APP + 5) {
      m.Result = 42;
      if (raise) throw std::runtime_error("not an Exception");
      return;
    }
    m.Result = CallWindowProcA(previous, wnd, m.Msg, m.WParam, m.LParam);
  }
};

class WindowMethodTest : public ::testing::Test {
protected:
  void SetUp() override {
    ApplicationHandleExceptionHook = [this](const Exception& e) { hooked.push_back(e.Message()); };
  }
  void TearDown() override { ApplicationHandleExceptionHook = nullptr; }
  // Dispatches the queued messages of this thread until pred holds (or a second passes).
  template <class P> void pumpUntil(P pred) {
    DWORD start = GetTickCount();
    MSG msg;
    while (!pred() && GetTickCount() - start < 1000) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(1);
    }
  }
  std::vector<std::string> hooked;
};

TEST_F(WindowMethodTest, UtilityWindowReceivesPostedAndSentMessages) {
  WindowReceiver r;
  r.wnd = AllocateHWnd(TWndMethod(&r, &WindowReceiver::UtilityProc));
  ASSERT_NE(r.wnd, nullptr);
  EXPECT_FALSE(IsWindowVisible(r.wnd));
  ASSERT_TRUE(PostMessageA(r.wnd, WM_APP + 1, 0, 0));
  pumpUntil([&] { return !r.received.empty(); });
  EXPECT_EQ(r.received, std::vector<UINT>{WM_APP + 1});
  EXPECT_EQ(SendMessageA(r.wnd, WM_APP + 2, 0, 0), 7);
  DeallocateHWnd(r.wnd);
  EXPECT_FALSE(IsWindow(r.wnd));
  EXPECT_TRUE(hooked.empty());
}

TEST_F(WindowMethodTest, ExceptionInAUtilityWindowMethodReachesTheHook) {
  WindowReceiver r;
  r.raise = true;
  r.wnd = AllocateHWnd(TWndMethod(&r, &WindowReceiver::UtilityProc));
  PostMessageA(r.wnd, WM_APP + 3, 0, 0);
  pumpUntil([&] { return !hooked.empty(); });
  EXPECT_EQ(hooked, std::vector<std::string>{"raised in a window procedure"});
  EXPECT_EQ(SendMessageA(r.wnd, WM_APP + 4, 0, 0), 7) << "the window stopped working after the exception";
  DeallocateHWnd(r.wnd);
}

TEST_F(WindowMethodTest, SubclassedWindowGoesToTheMethodUntilRestored) {
  WindowReceiver r;
  r.wnd = CreateWindowA("STATIC", "label", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                        nullptr);
  ASSERT_NE(r.wnd, nullptr);
  r.previous = SubclassWindow(r.wnd, TWndMethod(&r, &WindowReceiver::SubclassProc));
  ASSERT_NE(r.previous, nullptr);
  EXPECT_EQ(SendMessageA(r.wnd, WM_APP + 5, 0, 0), 42);
  char text[16] = {};
  GetWindowTextA(r.wnd, text, sizeof(text));
  EXPECT_STREQ(text, "label") << "messages the method passes on must reach the previous procedure";

  r.raise = true;
  EXPECT_EQ(SendMessageA(r.wnd, WM_APP + 5, 0, 0), 42);
  EXPECT_EQ(hooked, std::vector<std::string>{"not an Exception"});

  RestoreWindowProc(r.wnd, r.previous);
  EXPECT_EQ(SendMessageA(r.wnd, WM_APP + 5, 0, 0), 0) << "the method still receives messages after restoring";
  DestroyWindow(r.wnd);
}

TEST_F(WindowMethodTest, ObjectInstanceCallsItsMethodAndFreedOnesFallBack) {
  WindowReceiver r;
  WNDPROC proc = MakeObjectInstance(TWndMethod(&r, &WindowReceiver::UtilityProc));
  WNDPROC other = MakeObjectInstance(TWndMethod(&r, &WindowReceiver::SubclassProc));
  EXPECT_NE(proc, other) << "two live instances must be distinct procedures";
  HWND target = AllocateHWnd(TWndMethod());
  r.wnd = target;
  EXPECT_EQ(proc(target, WM_APP + 9, 0, 0), 7);
  EXPECT_EQ(r.received, std::vector<UINT>{WM_APP + 9});
  FreeObjectInstance(proc);
  FreeObjectInstance(other);
  EXPECT_EQ(proc(target, WM_APP + 9, 0, 0), 0) << "a freed instance must fall back to DefWindowProc";
  EXPECT_EQ(r.received.size(), 1u) << "a freed instance still called its method";
  DeallocateHWnd(target);
}

TEST_F(WindowMethodTest, ExhaustedPoolRefusesClearlyAndFreeingMakesRoomAgain) {
  WindowReceiver r;
  // (Kept as addresses: a vector of WNDPROC would drop its calling convention.)
  std::vector<uintptr_t> taken;
  std::string refusal;
  try {
    // Far more than the pool holds: the loop must end by a refusal, never by the bound.
    for (int i = 0; i < 100000; ++i)
      taken.push_back(reinterpret_cast<uintptr_t>(MakeObjectInstance(TWndMethod(&r, &WindowReceiver::UtilityProc))));
  } catch (const EOutOfResources& e) {
    refusal = e.Message();
  }
  const size_t poolSize = taken.size();
  for (uintptr_t p : taken) FreeObjectInstance(reinterpret_cast<WNDPROC>(p));
  EXPECT_EQ(refusal, "Too many object instances (all " + std::to_string(poolSize) + " window procedures are in use)");
  EXPECT_GE(poolSize, 64u) << "the pool is smaller than the system needs";
  std::sort(taken.begin(), taken.end());
  EXPECT_EQ(std::adjacent_find(taken.begin(), taken.end()), taken.end()) << "one procedure was handed out twice";
  // Every instance went back: the whole pool can be taken again.
  std::vector<uintptr_t> again;
  for (size_t i = 0; i < poolSize; ++i)
    again.push_back(reinterpret_cast<uintptr_t>(MakeObjectInstance(TWndMethod(&r, &WindowReceiver::UtilityProc))));
  for (uintptr_t p : again) FreeObjectInstance(reinterpret_cast<WNDPROC>(p));
}

}  // namespace streaming_test
