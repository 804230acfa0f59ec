#pragma once
// The library's utility routines: hexadecimal text of byte buffers, a keyed XOR to
// hexadecimal text, words of a delimited text, file-name tests and the long and short
// names of a file, command-line tokenising, shortening a text to a pixel width, small
// drawing forwarders, the removal of one queued window message, and base64 text with line
// breaks. None keeps state.

#include <windows.h>

#include <string>

#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variants.h"

// --- Values and hexadecimal text.

// True for the 8-, 16- and 32-bit integer variant types (signed and unsigned); 64-bit
// integers, floats, currency and booleans are not.
bool JvVarIsInteger(const Variant& V);

// Appends two upper-case hexadecimal digits per byte of Buffer to Text.
void JvBytesToHexText(const void* Buffer, Integer Count, std::string& Text);
// Reads pairs of hexadecimal digits (either case) into Buffer: an odd-length text is read
// as if it began with "0"; at most BufferSize bytes. Returns the number of bytes written.
// A pair that is not hexadecimal raises EConvertError; the bytes before it stay written.
Integer JvHexTextToBytes(const std::string& Text, void* Buffer, Integer BufferSize);

// Each character XOR the key's character at the same position (the key repeats; an empty
// key leaves the character as it is), as two lower-case hexadecimal digits.
std::string JvKeyXorToHex(const std::string& Key, const std::string& Text);
// The inverse of JvKeyXorToHex for the same key. A pair that is not hexadecimal stands for
// a blank (before the XOR); an odd last digit is ignored.
std::string JvKeyXorFromHex(const std::string& Key, const std::string& Hex);

// --- Words. Runs of delimiters separate words; delimiters at either end make no empty
// word. Positions are 1-based.

// Position of word N (from 1) of Text; 0 when Text has fewer words or N < 1.
Integer JvWordStart(Integer N, const std::string& Text, const Set<char>& WordDelims);
// Word N of Text; "" when there is none.
std::string JvNthWord(Integer N, const std::string& Text, const Set<char>& WordDelims);

// --- File names.

// Whether any one of Chars occurs in Text.
bool JvHasAnyChar(const std::string& Text, const std::string& Chars);
// Non-empty and free of / < > " ? * | (backslashes, colons and blanks are allowed).
bool JvIsValidFileName(const std::string& FileName);
// The bare name (no folder) of the first directory entry matching Path (wildcards match
// too): the long name, or the 8.3 name when there is no long one; JvShortFileName the
// other way round. "" when nothing matches.
std::string JvLongFileName(const std::string& Path);
std::string JvShortFileName(const std::string& Path);

// --- Text to a width.

// Text when it fits MaxWidth pixels on Canvas; otherwise the longest head of it followed
// by "..." that fits, down to "..." alone (returned even when that does not fit).
std::string JvShortenTextToWidth(const std::string& Text, TCanvas* Canvas, Integer MaxWidth);
Integer JvRectWidth(const TRect& R);
Integer JvRectHeight(const TRect& R);

// --- Command lines. Blanks and control characters separate parameters; double quotes
// group (they are never part of a parameter, and quoted and unquoted parts join); a pair
// of adjacent quotes between parameters is no parameter. Parameters have no length limit.

// Reads the parameter at P into Param ("" at the end of the text) and returns the position
// where reading stopped.
const char* JvNextCommandLineParam(const char* P, std::string& Param);
// Number of parameters before the first empty one.
Integer JvCommandLineParamCount(const char* CommandLine);
// Parameter Index (0 = the first); "" when there are fewer.
std::string JvCommandLineParam(const char* CommandLine, Integer Index);
// Program := parameter 0; Args := the other parameters joined with single blanks, each in
// double quotes when it holds a blank. Both are emptied first.
void JvSplitProgramAndArgs(const std::string& CommandLine, std::string& Program, std::string& Args);
// A new zero-terminated copy of S (StrNew); free it with StrDispose.
char* JvStrDupPChar(const std::string& S);

// --- Messages and drawing.

// Removes one queued message Msg for Wnd from the calling thread's queue. A quit request
// met on the way is posted again, so the application still ends.
void JvDiscardMessage(HWND Wnd, UINT Msg);
// DrawText on the canvas's DC; Len -1 draws the whole zero-terminated text.
Integer JvCanvasDrawTextP(TCanvas* Canvas, const char* Text, Integer Len, UINT Format, TRect& Rect);
// The same for a string, which is never changed in place (DT_MODIFYSTRING is cleared).
Integer JvCanvasDrawText(TCanvas* Canvas, const std::string& Text, Integer Len, UINT Format, TRect& Rect);
bool JvBitBltForward(HDC DestDC, Integer X, Integer Y, Integer Width, Integer Height, HDC SrcDC, Integer XSrc,
                     Integer YSrc, DWORD Rop);

// --- Base64 (the standard alphabet with '=' padding). The encoder breaks its output with
// CR LF after every 76 characters (57 bytes) except at the end; the decoder skips every
// character outside the alphabet (padding, blanks and line breaks included) and never
// fails.
Integer Base64EncodedLength(Integer ByteCount);
Integer Base64DecodeBufferLength(Integer CharCount);
std::string Base64EncodeText(const std::string& Bytes);
std::string Base64DecodeText(const std::string& Text);

// --- Application and results.

// Whether the application's hidden window is minimized (the whole program is).
bool JvIsApplicationMinimized();
// True for mrOk, mrYes, mrAll and mrYesToAll.
bool JvIsPositiveResult(Integer ModalResult);

// The library's extra screen cursors: 100, 102 and 103 show the multi-drag cursor, 101
// the drag cursor (registered at unit start).
constexpr Integer crJvMultiDrag1 = 100;
constexpr Integer crJvDrag = 101;
constexpr Integer crJvMultiDrag2 = 102;
constexpr Integer crJvMultiDrag3 = 103;

namespace JvUtilsUnit {
void Initialize();
}  // namespace JvUtilsUnit
