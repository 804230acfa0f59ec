#pragma once
// Filter criteria: a tree of conditions over the items of some record source, the LIKE
// matching its conditions use, and the tree's expression text, caption text and binary
// stream.
//
// Sections, in order:
//   LIKE matching          cxLike, cxLikeMatch and the caption helpers for LIKE patterns

#include <string>

#include "platform/rtl/System.h"

// =======================================================================================
// LIKE matching
// =======================================================================================
//
// Texts and patterns are 8-bit strings compared byte by byte, with no notion of case (the
// criteria upper-case both sides first when they filter without regard to case). The
// many-char wildcard stands for any run of characters, the empty run included, wherever it
// stands in the pattern; the one-char wildcard for exactly one character.

// Whether AText matches APattern, with no escape character.
bool cxLike(const std::string& AText, const std::string& APattern, char AManyChar, char AOneChar);
// The matcher under cxLike, over buffers with explicit lengths. AEscapeChar 0 means none;
// otherwise it makes the pattern character after it literal (a wildcard or the escape
// character itself) and matches nothing of its own, so an escape at the very end of the
// pattern is ignored. The time taken grows with the product of the two lengths at worst,
// whatever the number of wildcards.
bool cxLikeMatch(const char* AText, Integer ATextLength, const char* APattern, char AEscapeChar, char AOneChar,
                 char AManyChar, Integer APatternLength);
// Replaces every run of AWildcard characters in AText by a single one.
void cxFoldDoubledWildcards(std::string& AText, char AWildcard);
// Folds runs of the many-char wildcard in APattern, then strips a leading and a trailing
// one (only when the folded pattern has two characters or more) and says what was stripped:
// 0 nothing ("like"), 1 the trailing one ("begins with"), 2 the leading one ("ends with"),
// 3 both ("contains"). Wildcards inside the pattern and the one-char wildcard stay.
Byte cxStripLikeWildcards(std::string& APattern, char AManyChar);
