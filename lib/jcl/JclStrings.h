#pragma once
// 8-bit string helpers with the user's locale character tables, and the failure class of
// the utility routines.
//
// The character tables (type, lower case, upper case, reversed case of the 256 ANSI
// characters) are filled by LoadCharTables when the unit starts; the helpers that use them
// read those tables, so they follow the locale as it was at start-up.

#include <string>

#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"

RTL_EXCEPTION(EJclError, Exception)

// Flags of TextReplace.
constexpr Integer textReplaceAll = 1;  // every occurrence, not only the first
constexpr Integer textIgnoreCase = 2;  // match without regard to case

// Fills the character tables from the user's default locale.
void LoadCharTables();

// Text unchanged when it already ends with Suffix (case-sensitive), else Text + Suffix.
std::string TextWithSuffix(const std::string& Suffix, const std::string& Text);

// Replaces the first (or, with textReplaceAll, every) occurrence of Search in Text. An
// empty Search raises EJclError "Search string cannot be blank" unless Text is empty too
// (then Text becomes Replacement). The text is walked once: replacement text is never
// searched again.
void TextReplace(std::string& Text, const std::string& Search, const std::string& Replacement, Integer Flags);

// Shortens Text to the characters before its first NUL (after a Win32 call filled it).
void TextCutAtNull(std::string& Text);

Integer TextCountChar(const std::string& Text, char C);

// 1-based position of Search in Text at or after Start, without regard to case; 0 when
// either text is empty, Start < 1, too few characters remain or nothing matches.
Integer TextFindNoCase(const std::string& Search, const std::string& Text, Integer Start);

// The first N characters; the characters from Position (1-based) to the end.
std::string TextHead(const std::string& Text, Integer N);
std::string TextTail(const std::string& Text, Integer Position);

bool CharIsLowerCase(char C);
bool CharIsUpperCase(char C);
char CharToUpperCase(char C);

// Splits Text at every Separator into List (cleared first, inside one update). Empty
// parts between separators are added only with KeepEmpty; an empty remainder after the
// last separator is never added, so "a," gives the single item "a". An empty separator
// gives the whole (non-empty) text as one item.
void TextSplit(const std::string& Text, const std::string& Separator, TStrings* List, bool KeepEmpty);
// The items joined with Separator; empty items only with KeepEmpty.
std::string TextJoin(TStrings* List, const std::string& Separator, bool KeepEmpty);
