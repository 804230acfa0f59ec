#include <vector>

#include "TestFramework.h"
#include "cx/foundation/cxStyles.h"
#include "platform/rtl/TypInfo.h"

namespace {

// A style set that records every notification and answers fixed defaults.
class TRecordingStyles : public TcxStyles {
  RTL_DECLARE_CLASS(TRecordingStyles, TcxStyles)
public:
  using TcxStyles::TcxStyles;
  std::vector<Integer> changed;
  TFont defaultFont;
  Integer defaultsAsked = 0;
  void Changed(Integer AIndex) override { changed.push_back(AIndex); }
  void GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) override {
    TcxStyles::GetDefaultVisualParams(AIndex, AData, AParams);
    ++defaultsAsked;
    AParams.Color = clBtnFace;
    AParams.TextColor = clBtnText;
    AParams.Font = &defaultFont;
  }
};
RTL_IMPLEMENT_CLASS(TRecordingStyles)

class TRecordingSheet : public TcxCustomStyleSheet {
  RTL_DECLARE_CLASS(TRecordingSheet, TcxCustomStyleSheet)
public:
  using TcxCustomStyleSheet::TcxCustomStyleSheet;
  TClass GetStylesClass() const override { return TRecordingStyles::StaticClass(); }
};
RTL_IMPLEMENT_CLASS(TRecordingSheet)

struct StylesFixture : ::testing::Test {
  TObjectPtr<TComponent> form{new TComponent(nullptr)};
  TcxStyleRepository* repository = new TcxStyleRepository(form.get());
  TcxStyle* newStyle() { return static_cast<TcxStyle*>(repository->CreateItem(TcxStyle::StaticClass())); }
  TRecordingSheet* newSheet() {
    return static_cast<TRecordingSheet*>(repository->CreateStyleSheet(TRecordingSheet::StaticClass()));
  }
};

}  // namespace

TEST_F(StylesFixture, ColourSettersKeepTheAssignedFlagsAndNotifyUsers) {
  TcxStyle* style = newStyle();
  TRecordingStyles set(nullptr);
  set.SetStyle(2, style);
  set.changed.clear();
  style->SetColor(clRed);
  EXPECT_TRUE(style->AssignedValues().Contains(svColor));
  EXPECT_EQ(set.changed, (std::vector<Integer>{2})) << "a style change notifies the indexes using it";
  style->SetColor(clRed);
  EXPECT_EQ(set.changed.size(), 1u) << "an equal colour changes nothing";
  style->SetColor(clDefault);
  EXPECT_FALSE(style->AssignedValues().Contains(svColor)) << "clDefault removes svColor";
  style->SetTextColor(clBlue);
  EXPECT_TRUE(style->AssignedValues().Contains(svTextColor));
  EXPECT_TRUE(IsStoredProp(style, "TextColor"));
  EXPECT_FALSE(IsStoredProp(style, "Color")) << "an unassigned colour is not stored";
}

TEST_F(StylesFixture, FontAndBitmapChangesSetTheirFlags) {
  TcxStyle* style = newStyle();
  EXPECT_TRUE(style->AssignedValues().Empty());
  style->Font()->SetSize(14);
  EXPECT_TRUE(style->AssignedValues().Contains(svFont));
  TBitmap picture;
  picture.SetSize(4, 4);
  style->SetBitmap(&picture);
  EXPECT_TRUE(style->AssignedValues().Contains(svBitmap));
  TBitmap empty;
  style->SetBitmap(&empty);
  EXPECT_FALSE(style->AssignedValues().Contains(svBitmap)) << "an empty bitmap clears svBitmap";
  style->SetColor(clRed);
  style->ResetValues();
  EXPECT_TRUE(style->AssignedValues().Empty());
  EXPECT_EQ(style->Color(), clDefault);
  EXPECT_EQ(style->Font()->Size(), 14) << "the font keeps its values";
}

TEST_F(StylesFixture, AssignCopiesValuesAndFlags) {
  TcxStyle* source = newStyle();
  source->SetColor(clRed);
  source->Font()->SetName("Arial");
  TcxStyle* target = newStyle();
  target->Assign(source);
  EXPECT_EQ(target->Color(), clRed);
  EXPECT_EQ(target->Font()->Name(), "Arial");
  EXPECT_EQ(target->AssignedValues(), source->AssignedValues());
}

TEST_F(StylesFixture, SetFallsBackToItsSheetAndAnEqualStyleCreatesNoPair) {
  TRecordingSheet* sheet = newSheet();
  TcxStyle* style = newStyle();
  sheet->GetStyles()->SetStyle(3, style);
  TRecordingStyles set(nullptr);
  set.SetStyleSheet(sheet);
  EXPECT_EQ(set.GetStyle(3), style);
  EXPECT_EQ(set.PairCount(), 0);
  set.SetStyle(3, style);
  EXPECT_EQ(set.PairCount(), 0) << "giving the inherited style explicitly creates no own pair";
  TcxStyle* other = newStyle();
  set.SetStyle(3, other);
  EXPECT_EQ(set.PairCount(), 1);
  EXPECT_EQ(set.GetStyle(3), other);
  set.SetStyle(3, nullptr);
  EXPECT_EQ(set.GetStyle(3), style) << "deleting the own pair falls back to the sheet again";
}

TEST_F(StylesFixture, OwnPairsStaySortedByIndex) {
  TRecordingStyles set(nullptr);
  for (Integer i : {7, 2, 9, 4}) set.SetStyle(i, newStyle());
  std::vector<Integer> order;
  for (Integer i = 0; i < set.PairCount(); ++i) order.push_back(set.PairAt(i).Index);
  EXPECT_EQ(order, (std::vector<Integer>{2, 4, 7, 9}));
}

TEST_F(StylesFixture, SwitchingSheetsNotifiesEveryIndexOfBothChainsOnceOldChainFirst) {
  TRecordingSheet* base = newSheet();
  TRecordingSheet* oldSheet = newSheet();
  TRecordingSheet* newSheetObj = newSheet();
  base->GetStyles()->SetStyle(1, newStyle());
  oldSheet->GetStyles()->SetStyle(5, newStyle());
  oldSheet->GetStyles()->SetStyle(2, newStyle());
  oldSheet->GetStyles()->SetStyleSheet(base);
  newSheetObj->GetStyles()->SetStyle(2, newStyle());
  newSheetObj->GetStyles()->SetStyle(8, newStyle());
  TRecordingStyles set(nullptr);
  set.SetStyleSheet(oldSheet);
  set.changed.clear();
  set.SetStyleSheet(newSheetObj);
  EXPECT_EQ(set.changed, (std::vector<Integer>{2, 5, 1, 8}));
  EXPECT_EQ(oldSheet->UserCount(), 0);
  EXPECT_EQ(newSheetObj->UserCount(), 1);
}

TEST_F(StylesFixture, UnsuitableSheetsAreRefused) {
  TRecordingSheet* a = newSheet();
  TRecordingSheet* b = newSheet();
  auto* plain = static_cast<TcxCustomStyleSheet*>(repository->CreateStyleSheet(TcxCustomStyleSheet::StaticClass()));
  TRecordingStyles set(nullptr);
  set.SetStyleSheet(plain);
  EXPECT_EQ(set.StyleSheet(), nullptr) << "a sheet of another set class is refused";
  a->GetStyles()->SetStyleSheet(a);
  EXPECT_EQ(a->GetStyles()->StyleSheet(), nullptr) << "a sheet cannot fall back to itself";
  b->GetStyles()->SetStyleSheet(a);
  a->GetStyles()->SetStyleSheet(b);
  EXPECT_EQ(a->GetStyles()->StyleSheet(), nullptr) << "a cycle is refused";
}

TEST_F(StylesFixture, DestroyingAStyleDetachesItFromEverySet) {
  TcxStyle* shared = newStyle();
  TRecordingStyles one(nullptr), two(nullptr);
  one.SetStyle(4, shared);
  two.SetStyle(6, shared);
  one.changed.clear();
  two.changed.clear();
  shared->Free();
  EXPECT_EQ(one.PairCount(), 0);
  EXPECT_EQ(two.PairCount(), 0);
  EXPECT_EQ(one.changed, (std::vector<Integer>{4}));
  EXPECT_EQ(two.changed, (std::vector<Integer>{6}));
  EXPECT_EQ(repository->Count(), 0) << "the style left its repository";
}

TEST_F(StylesFixture, DestroyingASheetDropsItFromItsUsers) {
  TRecordingSheet* sheet = newSheet();
  sheet->GetStyles()->SetStyle(1, newStyle());
  TRecordingStyles set(nullptr);
  set.SetStyleSheet(sheet);
  sheet->Free();
  EXPECT_EQ(set.StyleSheet(), nullptr);
  EXPECT_EQ(set.GetStyle(1), nullptr);
  EXPECT_EQ(repository->StyleSheetCount(), 0);
}

TEST_F(StylesFixture, VisualParamsMergeExplicitIndexedAndDefaultValues) {
  TcxStyle* indexed = newStyle();
  indexed->SetColor(clYellow);
  indexed->Font()->SetName("Arial");
  TcxStyle* explicitStyle = newStyle();
  explicitStyle->SetTextColor(clRed);
  TRecordingStyles set(nullptr);
  set.SetStyle(0, indexed);
  TcxViewParams params;
  set.GetVisualParams(0, nullptr, explicitStyle, params);
  EXPECT_EQ(params.TextColor, clRed) << "the explicit style wins for what it assigns";
  EXPECT_EQ(params.Color, clYellow) << "the indexed style gives the colour";
  EXPECT_EQ(params.Font, indexed->Font());
  EXPECT_EQ(params.Bitmap, nullptr) << "bitmaps count only when the set asks for them";
  EXPECT_EQ(set.defaultsAsked, 0) << "every value was given, so the defaults are not asked";

  TcxViewParams bare;
  set.GetVisualParams(5, nullptr, nullptr, bare);
  EXPECT_EQ(bare.Color, clBtnFace);
  EXPECT_EQ(bare.TextColor, clBtnText);
  EXPECT_EQ(bare.Font, &set.defaultFont);
  EXPECT_EQ(set.HighestDefaultIndex(), 5);
}

TEST_F(StylesFixture, CompleteStyleNeedsNoDefaults) {
  TcxStyle* full = newStyle();
  full->SetColor(clRed);
  full->SetTextColor(clBlue);
  full->Font()->SetSize(9);
  TRecordingStyles set(nullptr);
  TcxViewParams params;
  set.GetVisualParams(0, nullptr, full, params);
  EXPECT_EQ(set.defaultsAsked, 0);
  EXPECT_EQ(params.Font, full->Font());
}

TEST_F(StylesFixture, DefaultFontChangeNotifiesIndexesWithoutOwnFont) {
  TRecordingStyles set(nullptr);
  TcxViewParams p;
  set.GetVisualParams(2, nullptr, nullptr, p);  // makes 2 the highest default index
  TcxStyle* withFont = newStyle();
  withFont->Font()->SetSize(20);
  set.SetStyle(1, withFont);
  set.changed.clear();
  set.DefaultFontChanged(nullptr, &set.defaultFont);
  EXPECT_EQ(set.changed, (std::vector<Integer>{0, 2}));
  set.changed.clear();
  TFont other;
  set.DefaultFontChanged(nullptr, &other);
  EXPECT_TRUE(set.changed.empty()) << "another font concerns no index";
}

TEST_F(StylesFixture, SheetCaptionEqualToTheNameReadsAsTheNameAndIsNotStored) {
  TRecordingSheet* sheet = newSheet();
  sheet->SetName("Folha");
  sheet->SetCaption("FOLHA");
  EXPECT_EQ(sheet->GetCaption(), "Folha");
  EXPECT_FALSE(IsStoredProp(sheet, "Caption"));
  sheet->SetCaption("Cores do relatório");
  EXPECT_EQ(sheet->GetCaption(), "Cores do relatório");
  EXPECT_TRUE(IsStoredProp(sheet, "Caption"));
  EXPECT_TRUE(IsStoredProp(sheet, "BuiltIn"));
}

TEST_F(StylesFixture, RepositoryListsItsMembersAndFreesThem) {
  TcxStyle* s1 = newStyle();
  TcxStyle* s2 = newStyle();
  TRecordingSheet* sheet = newSheet();
  EXPECT_EQ(repository->Count(), 2);
  EXPECT_EQ(repository->Items(1), s2);
  EXPECT_EQ(repository->StyleSheets(0), sheet);
  EXPECT_EQ(s1->GetParentComponent(), repository);
  std::vector<TComponent*> children;
  repository->GetChildren([&](TComponent* c) { children.push_back(c); }, repository);
  EXPECT_EQ(children, (std::vector<TComponent*>{s1, s2, sheet}));
  TObjectPtr<TcxStyleRepository> second(new TcxStyleRepository(nullptr));
  s1->SetParentComponent(second.get());
  EXPECT_EQ(repository->Count(), 1) << "setting the parent moves the style";
  EXPECT_EQ(second->Count(), 1);
}

// ---------------------------------------------------------------------------------------
// Converters

TEST(cxConverters, HexTextRoundTripAndOddDigit) {
  EXPECT_EQ(cxStringToHexString("abc"), "616263");
  EXPECT_EQ(cxStringToHexString(std::string("\x00\xFF", 2)), "00FF");
  EXPECT_EQ(cxHexStringToString("4a4B5"), "JK") << "the odd last digit is dropped";
  EXPECT_EQ(cxHexStringToString(cxStringToHexString("ação")), "ação");
  try {
    cxHexStringToString("4G");
    ADD_FAILURE() << "a non-hex digit must raise";
  } catch (const EcxHexStringConvertError& e) {
    EXPECT_EQ(e.Message(), "");
  }
}

TEST(cxConverters, BooleanTextIsTrueOrFalseInAnyCase) {
  EXPECT_TRUE(cxStringToBoolean("True"));
  EXPECT_FALSE(cxStringToBoolean("fALSE"));
  EXPECT_THROW(cxStringToBoolean("yes"), EPropertyConvertError);
  EXPECT_THROW(cxStringToBoolean(""), EPropertyConvertError);
}

TEST(cxConverters, SetTextWritesNamesOfSetBits) {
  const std::vector<std::string> names{"a", "b", "c"};
  uint32_t value = 0b101;
  EXPECT_EQ(cxSetToString(&value, 1, names), "[a,c]");
  value = 0;
  EXPECT_EQ(cxSetToString(&value, 1, names), "[]");
  value = 0b1000;
  EXPECT_THROW(cxSetToString(&value, 1, names), EPropertyConvertError) << "a bit beyond the names";
}

TEST(cxConverters, SetTextReadsNamesTrimmedAndIgnoresUnknownOnes) {
  const std::vector<std::string> names{"a", "b", "c"};
  struct Case {
    const char* text;
    uint32_t expected;
  } cases[] = {
      {"[a, b]", 0b011},   // blanks after commas belong to no name
      {"[ C ,A]", 0b101},  // any case, blanks on both sides
      {"[a,,x]", 0b001},   // empty and unknown names are ignored
      {"[]", 0},
  };
  for (const Case& c : cases) {
    uint32_t value = 0xFFFFFFFF;
    cxStringToSet(c.text, &value, 1, names);
    EXPECT_EQ(value & 0xFF, c.expected) << c.text;
    EXPECT_EQ(value >> 8, 0xFFFFFFu) << "only the set's own byte is written for " << c.text;
  }
  uint32_t untouched = 0x55;
  EXPECT_THROW(cxStringToSet("a,b", &untouched, 1, names), EPropertyConvertError);
  EXPECT_EQ(untouched, 0x55u) << "nothing is stored on a bracket error";
}
