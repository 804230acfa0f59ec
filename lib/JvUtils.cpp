#include "lib/JvUtils.h"

#include "platform/gui/Forms.h"

#include <algorithm>
#include <memory>

#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------------------------------
// Values and hexadecimal text.

bool JvVarIsInteger(const Variant& V) {
  switch (VarType(V)) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord: return true;
    default: return false;
  }
}

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The value of two hexadecimal digits; -1 when either is no digit.
int hexPair(char hi, char lo) {
  int h = hexDigit(hi), l = hexDigit(lo);
  return (h < 0 || l < 0) ? -1 : h * 16 + l;
}

}  // namespace

void JvBytesToHexText(const void* Buffer, Integer Count, std::string& Text) {
  static const char digits[] = "0123456789ABCDEF";
  const Byte* bytes = static_cast<const Byte*>(Buffer);
  Text.reserve(Text.size() + 2 * static_cast<size_t>(std::max(Count, 0)));
  for (Integer i = 0; i < Count; ++i) {
    Text += digits[bytes[i] >> 4];
    Text += digits[bytes[i] & 15];
  }
}

Integer JvHexTextToBytes(const std::string& Text, void* Buffer, Integer BufferSize) {
  const std::string text = (Text.size() % 2) ? "0" + Text : Text;
  const Integer count = std::min(BufferSize, static_cast<Integer>(text.size() / 2));
  Byte* bytes = static_cast<Byte*>(Buffer);
  for (Integer i = 0; i < count; ++i) {
    int v = hexPair(text[2 * i], text[2 * i + 1]);
    if (v < 0) {
      // The class library's integer parser reports the pair as it would any bad number.
      const std::string number = "$" + text.substr(2 * static_cast<size_t>(i), 2);
      StrToInt(number);
      throw EConvertError(Format("'%s' is not a valid integer value", number));
    }
    bytes[i] = static_cast<Byte>(v);
  }
  return count < 0 ? 0 : count;
}

std::string JvKeyXorToHex(const std::string& Key, const std::string& Text) {
  static const char digits[] = "0123456789abcdef";
  std::string result;
  result.reserve(Text.size() * 2);
  for (size_t i = 0; i < Text.size(); ++i) {
    Byte c = static_cast<Byte>(Text[i]);
    if (!Key.empty()) c = static_cast<Byte>(c ^ static_cast<Byte>(Key[i % Key.size()]));
    result += digits[c >> 4];
    result += digits[c & 15];
  }
  return result;
}

std::string JvKeyXorFromHex(const std::string& Key, const std::string& Hex) {
  std::string result;
  result.reserve(Hex.size() / 2);
  for (size_t a = 0; a < Hex.size() / 2; ++a) {
    int v = hexPair(Hex[2 * a], Hex[2 * a + 1]);
    if (v < 0) v = 32;
    if (!Key.empty()) v ^= static_cast<Byte>(Key[a % Key.size()]);
    result += static_cast<char>(v);
  }
  return result;
}

// ---------------------------------------------------------------------------------------
// Words.

namespace {
inline bool isDelim(const Set<char>& delims, char c) { return delims.TestIndex(static_cast<Byte>(c)); }
}  // namespace

Integer JvWordStart(Integer N, const std::string& Text, const Set<char>& WordDelims) {
  if (N < 1) return 0;
  Integer count = 0;
  size_t i = 0;
  while (i < Text.size() && count != N) {
    while (i < Text.size() && isDelim(WordDelims, Text[i])) ++i;
    if (i < Text.size()) {
      ++count;
      if (count == N) return static_cast<Integer>(i) + 1;
    }
    while (i < Text.size() && !isDelim(WordDelims, Text[i])) ++i;
  }
  return 0;
}

std::string JvNthWord(Integer N, const std::string& Text, const Set<char>& WordDelims) {
  Integer start = JvWordStart(N, Text, WordDelims);
  if (start == 0) return std::string();
  size_t end = static_cast<size_t>(start) - 1;
  while (end < Text.size() && !isDelim(WordDelims, Text[end])) ++end;
  return Text.substr(static_cast<size_t>(start) - 1, end - (static_cast<size_t>(start) - 1));
}

// ---------------------------------------------------------------------------------------
// File names.

bool JvHasAnyChar(const std::string& Text, const std::string& Chars) {
  return Text.find_first_of(Chars) != std::string::npos;
}

bool JvIsValidFileName(const std::string& FileName) {
  return !FileName.empty() && !JvHasAnyChar(FileName, "/<>\"?*|");
}

namespace {

// The entry's name and 8.3 name; false when nothing matches Path.
bool findEntry(const std::string& path, std::string& name, std::string& alternate) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(path.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::FindClose(h);
  name = data.cFileName;
  alternate = data.cAlternateFileName;
  return true;
}

}  // namespace

std::string JvLongFileName(const std::string& Path) {
  std::string name, alternate;
  if (!findEntry(Path, name, alternate)) return std::string();
  return name.empty() ? alternate : name;
}

std::string JvShortFileName(const std::string& Path) {
  std::string name, alternate;
  if (!findEntry(Path, name, alternate)) return std::string();
  return alternate.empty() ? name : alternate;
}

// ---------------------------------------------------------------------------------------
// Text to a width.

std::string JvShortenTextToWidth(const std::string& Text, TCanvas* Canvas, Integer MaxWidth) {
  std::string result = Text;
  const Integer len = static_cast<Integer>(Text.size());
  for (Integer i = 1; i <= len && Canvas->TextWidth(result) > MaxWidth;) {
    ++i;
    result = Text.substr(0, static_cast<size_t>(std::max(0, len - i))) + "...";
  }
  return result;
}

Integer JvRectWidth(const TRect& R) { return R.right - R.left; }

Integer JvRectHeight(const TRect& R) { return R.bottom - R.top; }

// ---------------------------------------------------------------------------------------
// Command lines.

const char* JvNextCommandLineParam(const char* P, std::string& Param) {
  Param.clear();
  // Blanks, control characters and empty quoted parameters before the parameter.
  for (;;) {
    const Byte c = static_cast<Byte>(*P);
    if (c >= 1 && c <= 32) ++P;
    else if (P[0] == '"' && P[1] == '"') P += 2;
    else break;
  }
  while (static_cast<Byte>(*P) > 32) {
    if (*P == '"') {
      ++P;
      while (*P != '\0' && *P != '"') Param += *P++;
      if (*P == '"') ++P;
    } else {
      Param += *P++;
    }
  }
  return P;
}

Integer JvCommandLineParamCount(const char* CommandLine) {
  Integer count = 0;
  std::string param;
  for (const char* p = JvNextCommandLineParam(CommandLine, param); !param.empty();
       p = JvNextCommandLineParam(p, param))
    ++count;
  return count;
}

std::string JvCommandLineParam(const char* CommandLine, Integer Index) {
  std::string param;
  const char* p = CommandLine;
  for (Integer i = 0; i <= Index; ++i) {
    p = JvNextCommandLineParam(p, param);
    if (param.empty()) return std::string();
  }
  return Index < 0 ? std::string() : param;
}

char* JvStrDupPChar(const std::string& S) { return StrNew(S.c_str()); }

void JvSplitProgramAndArgs(const std::string& CommandLine, std::string& Program, std::string& Args) {
  Program.clear();
  Args.clear();
  std::unique_ptr<char, void (*)(char*)> buffer(JvStrDupPChar(CommandLine), StrDispose);
  if (!buffer) return;  // an empty command line has no parameters
  const Integer count = JvCommandLineParamCount(buffer.get());
  if (count == 0) return;
  Program = JvCommandLineParam(buffer.get(), 0);
  for (Integer i = 1; i < count; ++i) {
    std::string param = JvCommandLineParam(buffer.get(), i);
    if (param.find(' ') != std::string::npos) param = "\"" + param + "\"";
    if (i > 1) Args += ' ';
    Args += param;
  }
}

// ---------------------------------------------------------------------------------------
// Messages and drawing.

void JvDiscardMessage(HWND Wnd, UINT Msg) {
  MSG msg;
  if (PeekMessageA(&msg, Wnd, Msg, Msg, PM_REMOVE) && msg.message == WM_QUIT)
    PostQuitMessage(static_cast<int>(msg.wParam));
}

Integer JvCanvasDrawTextP(TCanvas* Canvas, const char* Text, Integer Len, UINT Format, TRect& Rect) {
  return DrawTextA(Canvas->Handle(), Text, Len, &Rect, Format);
}

Integer JvCanvasDrawText(TCanvas* Canvas, const std::string& Text, Integer Len, UINT Format, TRect& Rect) {
  return JvCanvasDrawTextP(Canvas, Text.c_str(), Len, Format & ~static_cast<UINT>(DT_MODIFYSTRING), Rect);
}

bool JvBitBltForward(HDC DestDC, Integer X, Integer Y, Integer Width, Integer Height, HDC SrcDC, Integer XSrc,
                     Integer YSrc, DWORD Rop) {
  return BitBlt(DestDC, X, Y, Width, Height, SrcDC, XSrc, YSrc, Rop) != FALSE;
}

// ---------------------------------------------------------------------------------------
// Base64.

namespace {

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kBytesPerLine = 57;  // 76 characters

// Value 0-63 of each alphabet character; -1 for every other character (skipped).
const signed char* decodeTable() {
  static signed char table[256];
  static bool filled = [] {
    std::fill(std::begin(table), std::end(table), static_cast<signed char>(-1));
    for (int i = 0; i < 64; ++i) table[static_cast<Byte>(kBase64Alphabet[i])] = static_cast<signed char>(i);
    return true;
  }();
  (void)filled;
  return table;
}

}  // namespace

Integer Base64EncodedLength(Integer ByteCount) {
  if (ByteCount <= 0) return 0;
  return ((ByteCount + 2) / 3) * 4 + ((ByteCount - 1) / kBytesPerLine) * 2;
}

Integer Base64DecodeBufferLength(Integer CharCount) { return ((CharCount + 3) / 4) * 3; }

std::string Base64EncodeText(const std::string& Bytes) {
  std::string out;
  if (Bytes.empty()) return out;
  out.reserve(static_cast<size_t>(Base64EncodedLength(static_cast<Integer>(Bytes.size()))));
  const size_t n = Bytes.size();
  for (size_t line = 0; line < n; line += kBytesPerLine) {
    if (line > 0) out += "\r\n";
    const size_t end = std::min(n, line + kBytesPerLine);
    for (size_t i = line; i < end; i += 3) {
      const size_t left = end - i;
      uint32_t v = static_cast<uint32_t>(static_cast<Byte>(Bytes[i])) << 16;
      if (left > 1) v |= static_cast<uint32_t>(static_cast<Byte>(Bytes[i + 1])) << 8;
      if (left > 2) v |= static_cast<Byte>(Bytes[i + 2]);
      out += kBase64Alphabet[(v >> 18) & 63];
      out += kBase64Alphabet[(v >> 12) & 63];
      out += left > 1 ? kBase64Alphabet[(v >> 6) & 63] : '=';
      out += left > 2 ? kBase64Alphabet[v & 63] : '=';
    }
  }
  return out;
}

std::string Base64DecodeText(const std::string& Text) {
  std::string out;
  if (Text.empty()) return out;
  out.reserve(static_cast<size_t>(Base64DecodeBufferLength(static_cast<Integer>(Text.size()))));
  const signed char* table = decodeTable();
  uint32_t acc = 0;
  int pending = 0;
  for (char c : Text) {
    const int v = table[static_cast<Byte>(c)];
    if (v < 0) continue;
    acc = (acc << 6) | static_cast<uint32_t>(v);
    if (++pending == 4) {
      out += static_cast<char>((acc >> 16) & 0xFF);
      out += static_cast<char>((acc >> 8) & 0xFF);
      out += static_cast<char>(acc & 0xFF);
      acc = 0;
      pending = 0;
    }
  }
  if (pending == 3) {
    out += static_cast<char>((acc >> 10) & 0xFF);
    out += static_cast<char>((acc >> 2) & 0xFF);
  } else if (pending == 2) {
    out += static_cast<char>((acc >> 4) & 0xFF);
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// Application and results.

bool JvIsApplicationMinimized() { return Application && Application->Handle() && IsIconic(Application->Handle()); }

bool JvIsPositiveResult(Integer ModalResult) {
  return ModalResult == mrOk || ModalResult == mrYes || ModalResult == mrAll || ModalResult == mrYesToAll;
}

namespace JvUtilsUnit {
void Initialize() {
  if (!Screen) return;
  try {
    // Copies, so the screen may destroy them at its end without touching the originals.
    auto copyOf = [](TCursor Id) { return CopyCursor(Screen->Cursors(Id)); };
    Screen->SetCursors(crJvMultiDrag1, copyOf(crMultiDrag));
    Screen->SetCursors(crJvDrag, copyOf(crDrag));
    Screen->SetCursors(crJvMultiDrag2, copyOf(crMultiDrag));
    Screen->SetCursors(crJvMultiDrag3, copyOf(crMultiDrag));
  } catch (...) {
    // The cursors are a nicety: the program runs without them.
  }
}
}  // namespace JvUtilsUnit
