#include "lib/jcl/JclStrings.h"

#include <windows.h>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Scoped.h"

RTL_IMPLEMENT_CLASS(EJclError)

namespace {

struct CharTables {
  Word Type[256] = {};
  Byte Lower[256] = {};
  Byte Upper[256] = {};
  Byte Reversed[256] = {};
};

CharTables& tables() {
  static CharTables t;
  return t;
}

inline Byte ub(char c) { return static_cast<Byte>(c); }

}  // namespace

void LoadCharTables() {
  CharTables& t = tables();
  for (int i = 0; i < 256; ++i) {
    char c = static_cast<char>(i);
    WORD type = 0;
    GetStringTypeExA(LOCALE_USER_DEFAULT, CT_CTYPE1, &c, 1, &type);
    t.Type[i] = type;

    char lower = c;
    CharLowerBuffA(&lower, 1);
    t.Lower[i] = ub(lower);
    char upper = c;
    CharUpperBuffA(&upper, 1);
    t.Upper[i] = ub(upper);
  }
  for (int i = 0; i < 256; ++i) {
    if (t.Type[i] & C1_UPPER) t.Reversed[i] = t.Lower[i];
    else if (t.Type[i] & C1_LOWER) t.Reversed[i] = t.Upper[i];
    else t.Reversed[i] = static_cast<Byte>(i);
  }
}

std::string TextWithSuffix(const std::string& Suffix, const std::string& Text) {
  if (Text.size() >= Suffix.size() && Text.compare(Text.size() - Suffix.size(), Suffix.size(), Suffix) == 0)
    return Text;
  return Text + Suffix;
}

void TextReplace(std::string& Text, const std::string& Search, const std::string& Replacement, Integer Flags) {
  if (Search.empty()) {
    if (!Text.empty()) throw EJclError("Search string cannot be blank");
    Text = Replacement;
    return;
  }
  if (Text.empty()) return;

  const bool ignoreCase = (Flags & textIgnoreCase) != 0;
  const bool replaceAll = (Flags & textReplaceAll) != 0;
  const std::string search = ignoreCase ? AnsiUpperCase(Search) : Search;
  const CharTables& t = tables();
  auto matchesAt = [&](size_t pos) {
    if (pos + search.size() > Text.size()) return false;
    for (size_t k = 0; k < search.size(); ++k) {
      char c = Text[pos + k];
      if (ignoreCase) c = static_cast<char>(t.Upper[ub(c)]);
      if (c != search[k]) return false;
    }
    return true;
  };

  std::string result;
  result.reserve(Text.size());
  size_t pos = 0;
  while (pos < Text.size()) {
    if (matchesAt(pos)) {
      result += Replacement;
      pos += search.size();
      if (!replaceAll) {
        result.append(Text, pos, std::string::npos);
        pos = Text.size();
      }
    } else {
      result += Text[pos++];
    }
  }
  Text = std::move(result);
}

void TextCutAtNull(std::string& Text) {
  size_t nul = Text.find('\0');
  if (nul != std::string::npos) Text.resize(nul);
}

Integer TextCountChar(const std::string& Text, char C) {
  Integer n = 0;
  for (char c : Text)
    if (c == C) ++n;
  return n;
}

Integer TextFindNoCase(const std::string& Search, const std::string& Text, Integer Start) {
  if (Search.empty() || Text.empty() || Start < 1) return 0;
  const size_t len = Search.size();
  if (static_cast<size_t>(Start) - 1 + len > Text.size()) return 0;
  const CharTables& t = tables();
  for (size_t pos = static_cast<size_t>(Start) - 1; pos + len <= Text.size(); ++pos) {
    if (t.Lower[ub(Text[pos])] != t.Lower[ub(Search[0])]) continue;
    size_t k = 1;
    for (; k < len; ++k) {
      char s = Search[k], c = Text[pos + k];
      if (s != c && static_cast<char>(t.Reversed[ub(s)]) != c) break;
    }
    if (k == len) return static_cast<Integer>(pos) + 1;
  }
  return 0;
}

std::string TextHead(const std::string& Text, Integer N) {
  if (N <= 0) return std::string();
  return Text.substr(0, static_cast<size_t>(N));
}

std::string TextTail(const std::string& Text, Integer Position) {
  if (Position < 1) Position = 1;
  if (static_cast<size_t>(Position) > Text.size()) return std::string();
  return Text.substr(static_cast<size_t>(Position) - 1);
}

bool CharIsLowerCase(char C) { return (tables().Type[ub(C)] & C1_LOWER) != 0; }

bool CharIsUpperCase(char C) { return (tables().Type[ub(C)] & C1_UPPER) != 0; }

char CharToUpperCase(char C) { return static_cast<char>(tables().Upper[ub(C)]); }

void TextSplit(const std::string& Text, const std::string& Separator, TStrings* List, bool KeepEmpty) {
  {
    UpdateLock lock(List);
    List->Clear();
    size_t start = 0;
    if (!Separator.empty()) {
      for (size_t sep = Text.find(Separator); sep != std::string::npos; sep = Text.find(Separator, start)) {
        if (sep > start || KeepEmpty) List->Add(Text.substr(start, sep - start));
        start = sep + Separator.size();
      }
    }
    if (start < Text.size()) List->Add(Text.substr(start));
  }
}

std::string TextJoin(TStrings* List, const std::string& Separator, bool KeepEmpty) {
  std::string result;
  bool first = true;
  for (Integer i = 0; i < List->Count(); ++i) {
    std::string item = List->Strings(i);
    if (item.empty() && !KeepEmpty) continue;
    if (!first) result += Separator;
    result += item;
    first = false;
  }
  return result;
}

namespace JclStringsUnit {
void Initialize() { LoadCharTables(); }
}  // namespace JclStringsUnit
