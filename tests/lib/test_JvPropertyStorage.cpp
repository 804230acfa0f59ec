// Published properties in a storage: the properties a class lists (events left out, names
// found without regard to case), and the form storage's stored properties written and read
// back one property at a time.
#include <memory>
#include <string>

#include "LibTestHelpers.h"
#include "TestFramework.h"
#include "lib/JvAppIniStorage.h"
#include "lib/JvFormPlacement.h"
#include "lib/JvPropertyStorage.h"

namespace {

// A component publishing one property of each shape the stored properties meet: a text,
// an integer, a string list and an event.
class Publisher : public TComponent {
  RTL_DECLARE_CLASS(Publisher, TComponent)
public:
  explicit Publisher(TComponent* AOwner) : TComponent(AOwner), lines_(new TStringList()) {}
  ~Publisher() override { delete lines_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& V) { caption_ = V; }
  Integer Count() const { return count_; }
  void SetCount(Integer V) { count_ = V; }
  TStrings* Lines() const { return lines_; }
  void SetLines(TStrings* V) { lines_->Assign(V); }
  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& V) { onChange_ = V; }

private:
  std::string caption_;
  Integer count_ = 0;
  TStringList* lines_;
  TNotifyEvent onChange_;
};
RTL_BEGIN_CLASS(Publisher)
b.Property("Caption", &Publisher::Caption, &Publisher::SetCaption);
b.Property("Count", &Publisher::Count, &Publisher::SetCount).Default(0);
b.Property("Lines", &Publisher::Lines, &Publisher::SetLines);
b.Property("OnChange", &Publisher::OnChange, &Publisher::SetOnChange);
RTL_END_CLASS

TEST(JvPropInfoListTest, ListsEveryKindButEventsAndFindsNamesWithoutRegardToCase) {
  TJvPropInfoList list(Publisher::StaticClass());
  ASSERT_NE(nullptr, GetPropInfo(Publisher::StaticClass(), "OnChange")) << "the class does publish the event";
  for (Integer i = 0; i < list.Count(); ++i) EXPECT_NE(tkMethod, list.Items(i)->PropType->Kind) << list.Items(i)->Name;
  EXPECT_EQ(nullptr, list.Find("OnChange")) << "an event is no stored value";

  const struct {
    const char* Asked;
    const char* Found;
  } cases[] = {{"count", "Count"}, {"CAPTION", "Caption"}, {"Lines", "Lines"}, {"name", "Name"}};
  for (const auto& c : cases) {
    PPropInfo prop = list.Find(c.Asked);
    ASSERT_NE(nullptr, prop) << c.Asked;
    EXPECT_EQ(c.Found, prop->Name) << "the class's own spelling";
  }
  EXPECT_EQ(nullptr, list.Find("Missing"));
  EXPECT_EQ(nullptr, list.Find(""));
}

class JvPropertyStorageTest : public ::testing::Test {
protected:
  void SetUp() override {
    owner.reset(new TComponent(nullptr));
    storage = new TJvAppIniFileStorage(owner.get());
    storage->SetLocation(flCustom);
    storage->SetAutoReload(true);
    storage->SetAutoFlush(true);
    storage->SetFileName(dir.File("s.ini"));
    publisher = new Publisher(owner.get());
    publisher->SetName("P1");
    publisher->SetCaption("design");
    publisher->SetCount(3);
    publisher->Lines()->Add("a");
    publisher->Lines()->Add("b");
    formStorage = new TJvFormStorage(owner.get());
    formStorage->SetAppStorage(storage);
    formStorage->SetAppStoragePath("Principal");
  }
  ScratchDir dir;
  std::unique_ptr<TComponent, TObjectDeleter> owner;
  TJvAppIniFileStorage* storage = nullptr;
  Publisher* publisher = nullptr;
  TJvFormStorage* formStorage = nullptr;
};

TEST_F(JvPropertyStorageTest, KeysAreComponentAndPropertyAndEventsAreNeverWritten) {
  TJvPropertyStorage props(publisher, storage, "Principal");
  EXPECT_EQ("Principal\\P1_Count", props.StoredPath(props.Properties().Find("count")));

  for (const char* line : {"P1.OnChange", "P1.count", "P1.Caption"}) formStorage->StoredProps()->Add(line);
  JvBindStoredPropComponents(owner.get(), formStorage->StoredProps(), true);
  formStorage->WriteStoredProps();
  EXPECT_EQ("[Principal]\r\nP1_Count=3\r\nP1_Caption=design\r\n\r\n", readFileBytes(dir.File("s.ini")))
      << "in list order, under the property's own name; the event line writes nothing";
}

TEST_F(JvPropertyStorageTest, ReadingSkipsWhatIsNotStoredAndAValueThatDoesNotFit) {
  for (const char* line : {"P1.Lines", "P1.Count", "P1.Caption"}) formStorage->StoredProps()->Add(line);
  JvBindStoredPropComponents(owner.get(), formStorage->StoredProps(), true);
  writeFileBytes(dir.File("s.ini"), "[Principal]\r\nP1_Count=abc\r\nP1_Caption=restored\r\n");
  // Missing values are errors now: only the check for a stored value keeps the list.
  storage->StorageOptions()->SetDefaultIfValueNotExists(false);

  formStorage->ReadStoredProps();
  EXPECT_EQ("a,b", publisher->Lines()->CommaText()) << "nothing stored for the list: it is not emptied";
  EXPECT_EQ(3, publisher->Count()) << "a stored value that is no number leaves the property as it was";
  EXPECT_EQ("restored", publisher->Caption()) << "and the lines after it are still read";
}

}  // namespace
