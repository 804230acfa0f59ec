#include <string>
#include <vector>

#include "CxTestHelpers.h"
#include "cx/foundation/cxDrawTextUtils.h"

namespace {
constexpr uint32_t kWhite = 0xFFFFFF;

struct LayoutFixture : ::testing::Test {
  TBitmap bmp;
  HDC dc = nullptr;
  TcxTextParams params;
  void SetUp() override {
    makeFilled(bmp, 300, 200);
    bmp.Canvas()->Font()->SetName("Tahoma");
    bmp.Canvas()->Font()->SetHeight(-11);
    bmp.Canvas()->Font()->SetColor(clBlack);
    bmp.Canvas()->RequiredState({csHandleValid, csFontValid});
    dc = bmp.Canvas()->Handle();
  }
  Integer width(const std::string& s) {
    SIZE size{};
    GetTextExtentPoint32A(dc, s.data(), static_cast<int>(s.size()), &size);
    return size.cx;
  }
  std::vector<std::string> split(const std::string& text, TcxTextLayoutFlags flags, TRect r, Integer limit = 0,
                                 bool* fitted = nullptr) {
    cxInitTextLayoutForDC(dc, flags, params);
    Integer count = 0;
    TcxTextRows rows;
    bool ok = cxSplitTextIntoRowsForDC(dc, text, r, limit, count, rows, params);
    if (fitted) *fitted = ok;
    std::vector<std::string> result;
    for (Integer i = 0; i < count; ++i) result.emplace_back(rows[i].Text, static_cast<size_t>(rows[i].TextLength));
    return result;
  }
};
}  // namespace

TEST_F(LayoutFixture, EmptyTextDrawsNothingAndAnswersZero) {
  TRect r{0, 0, 100, 50};
  EXPECT_EQ(cxDrawTextInRect(bmp.Canvas(), "", r, tlfWordBreak), 0);
  EXPECT_EQ(countNot(bmp, TRect{0, 0, 300, 200}, kWhite), 0);
}

TEST_F(LayoutFixture, WordBreakSplitsAtBlanksWithinTheWidth) {
  const Integer w = width("alpha beta ");
  auto rows = split("alpha beta gamma delta", tlfWordBreak, TRect{0, 0, w, 200});
  ASSERT_GE(rows.size(), 2u) << "width " << w << " first row [" << (rows.empty() ? "" : rows[0]) << "] break char "
                             << int(params.BreakChar);
  EXPECT_EQ(rows[0], "alpha beta ");
  EXPECT_EQ(rows[1].substr(0, 5), "gamma");
}

TEST_F(LayoutFixture, HardLineBreaksEndRowsUnlessSingleLine) {
  auto rows = split("one\r\ntwo\nthree", tlfAlignLeft, TRect{0, 0, 300, 200});
  EXPECT_EQ(rows, (std::vector<std::string>{"one", "two", "three"}));
  rows = split("one\r\ntwo", tlfSingleLine | tlfCalcRect, TRect{0, 0, 10, 10});
  EXPECT_EQ(rows, (std::vector<std::string>{"one\r\ntwo"})) << "single line with calc rect measures it all";
}

TEST_F(LayoutFixture, LongWordOverflowsUnlessCharacterBreakIsOn) {
  const std::string word = "abcdefghijklmnop";
  const Integer w = width("abcdef");
  auto rows = split(word, tlfWordBreak, TRect{0, 0, w, 200});
  EXPECT_EQ(rows, (std::vector<std::string>{word})) << "without character break the word stays whole";
  rows = split(word, tlfWordBreak | tlfCharBreak, TRect{0, 0, w, 200});
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[0], "abcdef") << "the row ends before the overflowing character";
  rows = split(word, tlfWordBreak | tlfCharBreak, TRect{0, 0, 1, 200});
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0], "a") << "a row keeps at least one character";
}

TEST_F(LayoutFixture, WholeRowsOnlyLeavesOutAPartlyVisibleRow) {
  cxInitTextLayoutForDC(dc, 0, params);
  const Integer h = params.RowHeight;
  const TRect r{0, 0, 300, h * 2 + h / 2};
  EXPECT_EQ(split("a\nb\nc\nd", tlfAlignLeft, r).size(), 3u) << "the partly visible third row is laid out";
  EXPECT_EQ(split("a\nb\nc\nd", tlfWholeRowsOnly, r).size(), 2u) << "only whole rows";
}

TEST_F(LayoutFixture, RowLimitCutsTheTextAndReportsIt) {
  bool fitted = true;
  auto rows = split("a\nb\nc", tlfAlignVCenter, TRect{0, 0, 300, 200}, 2, &fitted);
  EXPECT_EQ(rows.size(), 2u);
  EXPECT_FALSE(fitted) << "text remained after the limit";
  split("a\nb", tlfAlignVCenter, TRect{0, 0, 300, 200}, 2, &fitted);
  EXPECT_TRUE(fitted);
}

TEST_F(LayoutFixture, JustifyStretchesEveryRowButAParagraphsLast) {
  const Integer w = width("aa bb cc ");
  const std::string text = "aa bb cc dd ee ff";
  cxInitTextLayoutForDC(dc, tlfJustify | tlfWordBreak, params);
  Integer count = 0;
  TcxTextRows rows;
  cxSplitTextIntoRowsForDC(dc, text, TRect{0, 0, w, 200}, 0, count, rows, params);
  ASSERT_GE(count, 2);
  EXPECT_GT(rows[0].BreakCount, 0) << "a justified row keeps its inner blanks";
  EXPECT_EQ(rows[count - 1].BreakCount, 0) << "the paragraph's last row is not stretched";
  EXPECT_NE(rows[0].Text[rows[0].TextLength - 1], ' ') << "trailing blanks are trimmed";

  cxInitTextLayoutForDC(dc, tlfDistribute | tlfWordBreak, params);
  cxSplitTextIntoRowsForDC(dc, text, TRect{0, 0, w, 200}, 0, count, rows, params);
  EXPECT_GT(rows[count - 1].BreakCount + (count > 1 ? rows[0].BreakCount : 0), 0);
  EXPECT_GT(rows[count - 1].BreakCount, 0) << "distribute stretches the last row too";
}

TEST_F(LayoutFixture, JustifiedRowsReachTheRightEdgeWhenDrawn) {
  const Integer w = width("aa bb cc dd") + 40;
  TRect r{0, 0, w, 100};
  cxDrawTextInRect(bmp.Canvas(), "aa bb cc dd ee ff gg hh", r, tlfDistribute | tlfWordBreak);
  TRect ink = inkBounds(bmp, kWhite);
  EXPECT_GT(ink.right, w - 8) << "the first row is spread to the width: ink " << rectText(ink);
  EXPECT_LE(ink.right, w);
}

TEST_F(LayoutFixture, CalcRectMeasuresWithoutDrawing) {
  TRect r{10, 10, 300, 300};
  const Integer height = cxDrawTextInRect(bmp.Canvas(), "Hello\nworld!!", r, tlfCalcRect, 0, 3, 4);
  cxInitTextLayoutForDC(dc, 0, params);
  EXPECT_EQ(countNot(bmp, TRect{0, 0, 300, 200}, kWhite), 0) << "measuring draws nothing";
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.right, 10 + 3 + width("world!!") + 4) << "the widest row plus the indents";
  EXPECT_EQ(r.bottom - r.top, params.RowHeight + params.TextHeight);
  EXPECT_EQ(height, r.bottom - r.top);
  TRect r2{0, 0, 300, 300};
  EXPECT_EQ(cxDrawTextInRect(bmp.Canvas(), "a\nb\nc", r2, tlfCalcRect | tlfReturnRowCount), 3);
}

TEST_F(LayoutFixture, PlacementFollowsTheAlignmentCodes) {
  const std::string text = "Wide";
  const Integer w = width(text);
  struct Case {
    TcxTextLayoutFlags flags;
    Integer expectedX, expectedY;
  } cases[] = {
      {tlfAlignLeft, 10, 20},
      {tlfAlignRight, 210 - w, 20},
      {tlfAlignCenter, 10 + (200 - w) / 2, 20},
      {tlfAlignBottom, 10, 0},  // y checked below
  };
  for (const Case& c : cases) {
    cxInitTextLayoutForDC(dc, c.flags, params);
    Integer count = 0;
    TcxTextRows rows;
    const TRect r{10, 20, 210, 120};
    cxSplitTextIntoRowsForDC(dc, text, r, 0, count, rows, params);
    cxPlaceTextRows(dc, r, params, count, rows);
    EXPECT_EQ(rows[0].TextOriginX, c.expectedX) << "flags " << c.flags;
    if (c.flags == tlfAlignBottom)
      EXPECT_EQ(rows[0].TextOriginY, 120 - params.RowHeight);
    else
      EXPECT_EQ(rows[0].TextOriginY, c.expectedY) << "flags " << c.flags;
  }
}

TEST_F(LayoutFixture, VerticalJustifySpreadsRowsOverTheHeight) {
  cxInitTextLayoutForDC(dc, tlfJustifyVert, params);
  Integer count = 0;
  TcxTextRows rows;
  const TRect r{0, 0, 100, 100};
  cxSplitTextIntoRowsForDC(dc, "a\nb\nc", r, 0, count, rows, params);
  ASSERT_EQ(count, 3);
  const Integer textHeight = params.TextHeight;
  cxPlaceTextRows(dc, r, params, count, rows);
  EXPECT_EQ(rows[0].TextOriginY, 0);
  EXPECT_EQ(rows[2].TextOriginY + textHeight, 100) << "the last row ends at the bottom";
}

TEST_F(LayoutFixture, EndEllipsisCutsTheLastRowThatIsTooWide) {
  const std::string text = "abcdefghijklmnopqrstuvwxyz";
  const Integer w = width("abcdefgh");
  TRect r{0, 0, w, 30};
  cxDrawTextInRect(bmp.Canvas(), text, r, tlfSingleLine | tlfEndEllipsis);
  TRect ink = inkBounds(bmp, kWhite);
  EXPECT_LE(ink.right, w) << "nothing beyond the rectangle: ink " << rectText(ink);

  // The same row drawn without the ellipsis leaves different pixels at the right end.
  TBitmap plain;
  makeFilled(plain, 300, 200);
  plain.Canvas()->Font()->Assign(bmp.Canvas()->Font());
  TRect r2{0, 0, w, 30};
  cxDrawTextInRect(plain.Canvas(), text, r2, tlfSingleLine);
  int differences = 0;
  for (int x = w - width("..."); x < w; ++x)
    for (int y = 0; y < 30; ++y)
      if (pixelOf(plain, x, y) != pixelOf(bmp, x, y)) ++differences;
  EXPECT_GT(differences, 0) << "the ellipsis replaces the cut characters";
}

TEST_F(LayoutFixture, RowLimitWithWholeRowsPutsTheEllipsisOnTheLastRow) {
  cxInitTextLayoutForDC(dc, 0, params);
  const Integer rowHeight = params.RowHeight;
  TRect r{0, 0, 200, 100};
  const Integer answer =
      cxDrawTextInRect(bmp.Canvas(), "first\nsecond\nthird", r, tlfAlignVCenter | tlfEndEllipsis | tlfWholeRowsOnly, 2);
  EXPECT_EQ(answer, (100 - 2 * rowHeight) / 2 + rowHeight + params.TextHeight)
      << "two centred rows: the answer runs from the rectangle's top to the last row's bottom";
  TRect ink = inkBounds(bmp, kWhite);
  EXPECT_GT(ink.right, width("second")) << "\"...\" follows the last visible row: ink " << rectText(ink);
}

TEST_F(LayoutFixture, SelectionIsDrawnInItsColoursAndClippedToTheText) {
  const std::string text = "abcdef";
  TRect r{0, 0, 200, 40};
  cxDrawTextOnCanvas(bmp.Canvas(), text, r, tlfAlignLeft, 2, 100, TColor(0x00FF00), TColor(0xFF0000));
  const Integer left = width("ab"), right = width("abcdef");
  EXPECT_TRUE(PixelIs(bmp, left + 1, 1, 0x00FF00)) << "the selection background starts after \"ab\"";
  EXPECT_TRUE(PixelIs(bmp, right + 2, 1, kWhite)) << "a selection running past the end is cut at the end";
  EXPECT_TRUE(PixelIs(bmp, left - 2, 1, kWhite));

  makeFilled(bmp, 300, 200);
  TRect r2{0, 0, 200, 40};
  cxDrawTextOnCanvas(bmp.Canvas(), text, r2, tlfAlignLeft, 10, 3, TColor(0x00FF00), TColor(0xFF0000));
  int green = 0;
  for (int x = 0; x < 200; ++x)
    for (int y = 0; y < 40; ++y)
      if (pixelOf(bmp, x, y) == 0x00FF00) ++green;
  EXPECT_EQ(green, 0) << "a selection starting beyond the text is ignored";
}

TEST(cxTextLayoutRects, InsetAndExpandAreInverse) {
  const TRect r{10, 5, 100, 50};
  const TRect inset = cxInsetRectHorizontally(r, 3, 7);
  EXPECT_EQ(rectText(inset), rectText(TRect{13, 5, 93, 50}));
  EXPECT_EQ(rectText(cxExpandRectHorizontally(inset, 3, 7)), rectText(r));
  TcxTextRows rows(3);
  rows[0].TextWidth = 5;
  rows[1].TextWidth = 9;
  rows[2].TextWidth = 20;
  EXPECT_EQ(cxGetMaxRowWidth(rows, 2), 9);
  EXPECT_EQ(cxGetMaxRowWidth(rows, 10), 20) << "the count is limited to the rows there are";
  EXPECT_EQ(cxGetMaxRowWidth(rows, 0), 0);
}
