#include "LibTestHelpers.h"
#include "TestFramework.h"
#include "lib/JvUtils.h"
#include "platform/gui/Graphics.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"

#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------
// Values and hexadecimal text

TEST(JvUtils, VarIsIntegerOnlyForTheSmallIntegerKinds) {
  struct Case {
    TVarType type;
    bool expected;
  } cases[] = {
      {varSmallint, true}, {varInteger, true},  {varShortInt, true}, {varByte, true},    {varWord, true},
      {varLongWord, true}, {varInt64, false},   {varDouble, false},  {varSingle, false}, {varCurrency, false},
      {varBoolean, false}, {varString, false},  {varEmpty, false},   {varNull, false},
  };
  for (const Case& c : cases) {
    Variant v = VarAsType(Variant(1), c.type == varEmpty || c.type == varNull ? varInteger : c.type);
    if (c.type == varEmpty) v = Variant();
    if (c.type == varNull) v = Null();
    ASSERT_EQ(VarType(v), c.type);
    EXPECT_EQ(JvVarIsInteger(v), c.expected) << "variant type " << c.type;
  }
}

TEST(JvUtils, BytesToHexTextAppendsUpperCasePairs) {
  const Byte bytes[] = {0x0A, 0xBC, 0xFF, 0x00};
  std::string text = "x=";
  JvBytesToHexText(bytes, 4, text);
  EXPECT_EQ(text, "x=0ABCFF00");
}

TEST(JvUtils, HexTextToBytesReadsPairsIntoTheBuffer) {
  Byte buf[10];
  std::fill(std::begin(buf), std::end(buf), Byte(0xEE));
  EXPECT_EQ(JvHexTextToBytes("ABC", buf, 10), 2) << "an odd text reads as 0ABC";
  EXPECT_EQ(buf[0], 0x0A);
  EXPECT_EQ(buf[1], 0xBC);
  EXPECT_EQ(buf[2], 0xEE);

  std::fill(std::begin(buf), std::end(buf), Byte(0xEE));
  EXPECT_EQ(JvHexTextToBytes("0A0B0C", buf, 2), 2);
  EXPECT_EQ(buf[1], 0x0B);
  EXPECT_EQ(buf[2], 0xEE) << "never past the buffer size";

  EXPECT_EQ(JvHexTextToBytes("ff7f", buf, 10), 2);
  EXPECT_EQ(buf[0], 0xFF);
  EXPECT_EQ(buf[1], 0x7F);
}

TEST(JvUtils, HexTextToBytesRaisesAtTheFirstBadPair) {
  Byte buf[4] = {0, 0, 0, 0};
  EXPECT_NE(RaisedMessage<EConvertError>([&] { JvHexTextToBytes("0A" "ZZ" "0B", buf, 4); }), "");
  EXPECT_EQ(buf[0], 0x0A) << "the bytes before the bad pair stay written";
  EXPECT_EQ(buf[2], 0x00);
}

TEST(JvUtils, KeyXorHexRoundTripsForEveryKey) {
  const std::vector<std::string> keys = {"", "k", "chave longa"};
  const std::vector<std::string> texts = {"", "abc", "ação\r\n", std::string("\0\xFF", 2)};
  for (const auto& key : keys)
    for (const auto& text : texts) {
      std::string hex = JvKeyXorToHex(key, text);
      EXPECT_EQ(hex.size(), text.size() * 2);
      EXPECT_EQ(JvKeyXorFromHex(key, hex), text) << "key '" << key << "'";
    }
  EXPECT_EQ(JvKeyXorToHex("", "AZ"), "415a") << "the empty key gives the codes in lower-case hex";
  EXPECT_EQ(JvKeyXorToHex("k", "a"), "0a") << "'k' (6B) xor 'a' (61)";
  EXPECT_EQ(JvKeyXorToHex("ab", "aaa"), "000300");
}

TEST(JvUtils, KeyXorFromHexReadsBadPairsAsBlanks) {
  EXPECT_EQ(JvKeyXorFromHex("", "zz41"), " A");
  EXPECT_EQ(JvKeyXorFromHex("", "414"), "A") << "an odd last digit is ignored";
  EXPECT_EQ(JvKeyXorFromHex("k", "zz"), std::string(1, static_cast<char>(' ' ^ 'k')));
}

// ---------------------------------------------------------------------------------------
// Words

TEST(JvUtils, WordsOfADelimitedText) {
  const Set<char> comma{','};
  EXPECT_EQ(JvWordStart(2, "10,20,,30", comma), 4);
  EXPECT_EQ(JvNthWord(1, "10,20,,30", comma), "10");
  EXPECT_EQ(JvNthWord(3, "10,20,,30", comma), "30");
  EXPECT_EQ(JvNthWord(4, "10,20,,30", comma), "");
  EXPECT_EQ(JvWordStart(0, "10,20", comma), 0);
  EXPECT_EQ(JvWordStart(1, ",,a,", comma), 3);
  EXPECT_EQ(JvNthWord(2, "-5, 7", Set<char>{',', ' '}), "7");
  EXPECT_EQ(JvNthWord(1, "", comma), "");
}

// ---------------------------------------------------------------------------------------
// File names

TEST(JvUtils, ValidFileNames) {
  struct Case {
    const char* name;
    bool valid;
  } cases[] = {
      {"C:\\Dados\\base.mdb", true}, {"nome com espaço.txt", true}, {"", false},     {"a/b", false},
      {"a<b", false},                {"a>b", false},                {"a\"b", false}, {"a?b", false},
      {"a*b", false},                {"a|b", false},
  };
  for (const Case& c : cases) EXPECT_EQ(JvIsValidFileName(c.name), c.valid) << "'" << c.name << "'";
  EXPECT_TRUE(JvHasAnyChar("abc", "xc"));
  EXPECT_FALSE(JvHasAnyChar("abc", "xyz"));
}

TEST(JvUtils, LongAndShortNamesOfAFile) {
  ScratchDir dir;
  writeFileBytes(dir.File("um nome bem comprido.txt"), "x");
  const std::string longPath = dir.File("um nome bem comprido.txt");
  EXPECT_EQ(JvLongFileName(longPath), "um nome bem comprido.txt");
  const std::string shortName = JvShortFileName(longPath);
  ASSERT_FALSE(shortName.empty());
  EXPECT_EQ(shortName.find('\\'), std::string::npos) << "only the bare name: " << shortName;
  EXPECT_EQ(JvLongFileName(dir.File(shortName)), "um nome bem comprido.txt") << "the short name finds the file";
  EXPECT_EQ(JvLongFileName(dir.File("*.txt")), "um nome bem comprido.txt") << "wildcards match";
  EXPECT_EQ(JvLongFileName(dir.File("nada.txt")), "");
  EXPECT_EQ(JvShortFileName(dir.File("nada.txt")), "");
}

// ---------------------------------------------------------------------------------------
// Text to a width, drawing

namespace {

// A canvas on a memory DC with a 100 x 40 bitmap selected.
class MemoryCanvas {
public:
  MemoryCanvas() : dc_(CreateCompatibleDC(nullptr)) {
    HDC screen = GetDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(screen, 100, 40);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    canvas_.SetHandle(dc_);
  }
  ~MemoryCanvas() {
    canvas_.SetHandle(nullptr);
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  TCanvas* Canvas() { return &canvas_; }
  HDC DC() { return dc_; }

private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  TCanvas canvas_;
};

}  // namespace

TEST(JvUtils, ShortenTextToWidthKeepsTheLongestHeadThatFits) {
  MemoryCanvas mc;
  TCanvas* c = mc.Canvas();
  const std::string text = "abcdefghij";
  EXPECT_EQ(JvShortenTextToWidth(text, c, c->TextWidth(text)), text) << "a text that fits stays";
  EXPECT_EQ(JvShortenTextToWidth(text, c, c->TextWidth("abcd...")), "abcd...");
  EXPECT_EQ(JvShortenTextToWidth(text, c, 1), "...") << "down to the ellipsis alone, even when too wide";
  EXPECT_EQ(JvShortenTextToWidth("W", c, 0), "...");
  EXPECT_EQ(JvShortenTextToWidth("", c, 0), "");
}

TEST(JvUtils, DrawTextForwardersNeverChangeTheString) {
  MemoryCanvas mc;
  const std::string text = "um texto largo demais para o retângulo";
  const std::string copy = text;
  TRect r = Rect(0, 0, 30, 20);
  EXPECT_GT(JvCanvasDrawText(mc.Canvas(), text, -1, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING, r), 0);
  EXPECT_EQ(text, copy);

  TRect calc = Rect(0, 0, 0, 0);
  JvCanvasDrawTextP(mc.Canvas(), "abcd", 3, DT_SINGLELINE | DT_CALCRECT, calc);
  SIZE abc;
  GetTextExtentPoint32A(mc.DC(), "abc", 3, &abc);
  EXPECT_EQ(JvRectWidth(calc), abc.cx) << "three characters measured on the canvas's DC";
  EXPECT_EQ(JvRectHeight(Rect(2, 5, 9, 30)), 25);
}

TEST(JvUtils, BitBltForwardCopiesPixels) {
  MemoryCanvas source, dest;
  SetPixel(source.DC(), 3, 4, RGB(10, 200, 30));
  SetPixel(dest.DC(), 5, 6, RGB(0, 0, 0));
  EXPECT_TRUE(JvBitBltForward(dest.DC(), 5, 6, 1, 1, source.DC(), 3, 4, SRCCOPY));
  EXPECT_EQ(GetPixel(dest.DC(), 5, 6), RGB(10, 200, 30));
}

// ---------------------------------------------------------------------------------------
// Command lines

TEST(JvUtils, CommandLineParameters) {
  const char* line = "a \"b c\" \"\" d";
  EXPECT_EQ(JvCommandLineParamCount(line), 3);
  EXPECT_EQ(JvCommandLineParam(line, 0), "a");
  EXPECT_EQ(JvCommandLineParam(line, 1), "b c");
  EXPECT_EQ(JvCommandLineParam(line, 2), "d");
  EXPECT_EQ(JvCommandLineParam(line, 3), "");

  struct Case {
    const char* line;
    std::vector<std::string> params;
  } cases[] = {
      {"ab\"c d\"e f", {"abc de", "f"}},    // quoted and unquoted parts join
      {"\t x\ty ", {"x", "y"}},             // control characters separate too
      {"ação \"C:\\Meus dados\"", {"ação", "C:\\Meus dados"}},
      {"\"aberta", {"aberta"}},             // an unclosed quote runs to the end
      {"", {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> got;
    for (Integer i = 0; i < JvCommandLineParamCount(c.line); ++i) got.push_back(JvCommandLineParam(c.line, i));
    EXPECT_EQ(got, c.params) << "'" << c.line << "'";
  }
}

TEST(JvUtils, CommandLineParametersHaveNoLengthLimit) {
  const std::string longParam = "C:\\" + std::string(300, 'x') + "\\arquivo.mdb";
  const std::string line = "prog \"" + longParam + "\" " + std::string(400, 'y');
  std::string param;
  const char* p = JvNextCommandLineParam(line.c_str(), param);
  EXPECT_EQ(param, "prog");
  p = JvNextCommandLineParam(p, param);
  EXPECT_EQ(param, longParam);
  p = JvNextCommandLineParam(p, param);
  EXPECT_EQ(param, std::string(400, 'y'));
  JvNextCommandLineParam(p, param);
  EXPECT_EQ(param, "");

  std::string program, args;
  JvSplitProgramAndArgs("\"" + longParam + "\" -x", program, args);
  EXPECT_EQ(program, longParam);
  EXPECT_EQ(args, "-x");
}

TEST(JvUtils, SplitProgramAndArgsQuotesArgumentsWithBlanks) {
  std::string program = "old", args = "old";
  JvSplitProgramAndArgs("prog \"b c\" d", program, args);
  EXPECT_EQ(program, "prog");
  EXPECT_EQ(args, "\"b c\" d");

  JvSplitProgramAndArgs("", program, args);
  EXPECT_EQ(program, "");
  EXPECT_EQ(args, "");
  JvSplitProgramAndArgs("  \"\"  ", program, args);
  EXPECT_EQ(program, "");
  EXPECT_EQ(args, "");
}

// ---------------------------------------------------------------------------------------
// Messages

namespace {

// A message-only window for the queue tests, and the thread's queue drained into a list.
struct QueueWindow {
  HWND Wnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ~QueueWindow() { DestroyWindow(Wnd); }
};

std::vector<MSG> drainQueue() {
  std::vector<MSG> all;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) all.push_back(msg);
  return all;
}

}  // namespace

TEST(JvUtils, DiscardMessageTakesTheFirstMatchingMessageOnly) {
  QueueWindow w;
  ASSERT_NE(w.Wnd, nullptr);
  drainQueue();
  const UINT id = WM_USER + 17;
  PostMessageA(w.Wnd, id, 1, 0);
  PostMessageA(w.Wnd, WM_USER + 18, 9, 0);
  PostMessageA(w.Wnd, id, 2, 0);
  JvDiscardMessage(w.Wnd, id);
  std::vector<std::pair<UINT, WPARAM>> left;
  for (const MSG& m : drainQueue())
    if (m.hwnd == w.Wnd) left.push_back({m.message, m.wParam});
  EXPECT_EQ(left, (std::vector<std::pair<UINT, WPARAM>>{{WM_USER + 18, 9}, {id, 2}}));
}

TEST(JvUtils, DiscardMessageKeepsAPendingQuit) {
  QueueWindow w;
  ASSERT_NE(w.Wnd, nullptr);
  drainQueue();
  PostQuitMessage(7);
  JvDiscardMessage(w.Wnd, WM_USER + 17);
  bool quit = false;
  WPARAM code = 0;
  for (const MSG& m : drainQueue())
    if (m.message == WM_QUIT) {
      quit = true;
      code = m.wParam;
    }
  EXPECT_TRUE(quit) << "the application's quit request must stay queued";
  EXPECT_EQ(code, 7u);
}

// ---------------------------------------------------------------------------------------
// Base64

TEST(JvUtils, Base64Lengths) {
  struct Case {
    Integer n, encoded;
  } cases[] = {{0, 0}, {1, 4}, {3, 4}, {4, 8}, {57, 76}, {58, 82}, {114, 154}, {115, 160}};
  for (const Case& c : cases) EXPECT_EQ(Base64EncodedLength(c.n), c.encoded) << c.n << " bytes";
  EXPECT_EQ(Base64DecodeBufferLength(4), 3);
  EXPECT_EQ(Base64DecodeBufferLength(5), 6);
}

TEST(JvUtils, Base64EncodesWithPaddingAndLineBreaks) {
  EXPECT_EQ(Base64EncodeText(""), "");
  EXPECT_EQ(Base64EncodeText("Man"), "TWFu");
  EXPECT_EQ(Base64EncodeText("Ma"), "TWE=");
  EXPECT_EQ(Base64EncodeText("M"), "TQ==");
  EXPECT_EQ(Base64EncodeText(std::string("\xFB\xFF", 2)), "+/8=");

  const std::string line57(57, 'z');
  const std::string e57 = Base64EncodeText(line57);
  EXPECT_EQ(e57.size(), 76u);
  EXPECT_EQ(e57.find('\r'), std::string::npos) << "no break after the last line";
  const std::string e58 = Base64EncodeText(line57 + "z");
  ASSERT_EQ(e58.size(), 82u);
  EXPECT_EQ(e58.substr(0, 78), e57 + "\r\n");
  EXPECT_EQ(e58.substr(78), "eg==");
}

TEST(JvUtils, Base64DecodesAnyLayout) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  const std::string encoded = Base64EncodeText(all);
  EXPECT_NE(encoded.find("\r\n"), std::string::npos);
  EXPECT_EQ(Base64DecodeText(encoded), all);

  std::string flat;
  for (char c : encoded)
    if (c != '\r' && c != '\n') flat += c;
  EXPECT_EQ(Base64DecodeText(flat), all) << "with or without line breaks";
  EXPECT_EQ(Base64DecodeText(" T W\r\nF u "), "Man");
  EXPECT_EQ(Base64DecodeText("TWE"), "Ma") << "3 pending characters give 2 bytes";
  EXPECT_EQ(Base64DecodeText("TQ"), "M");
  EXPECT_EQ(Base64DecodeText("T"), "");
  EXPECT_EQ(Base64DecodeText(""), "");
}
