#include "cx/data/cxFilter.h"

// =======================================================================================
// LIKE matching
// =======================================================================================

bool cxLike(const std::string& AText, const std::string& APattern, char AManyChar, char AOneChar) {
  return cxLikeMatch(AText.data(), static_cast<Integer>(AText.size()), APattern.data(), 0, AOneChar, AManyChar,
                     static_cast<Integer>(APattern.size()));
}

bool cxLikeMatch(const char* AText, Integer ATextLength, const char* APattern, char AEscapeChar, char AOneChar,
                 char AManyChar, Integer APatternLength) {
  // Left to right with one resume point: the pattern position after the last many-char
  // wildcard met and the text position that wildcard's run currently ends at. On a
  // mismatch the run grows by one character and matching resumes there. Going back to an
  // earlier wildcard never helps (the later one can absorb whatever the earlier one would
  // have), so one resume point is enough and no pattern makes the matcher exponential.
  Integer t = 0, p = 0;
  Integer resumePattern = -1, resumeText = 0;
  for (;;) {
    if (p < APatternLength) {
      char c = APattern[p];
      Integer next = p + 1;
      bool escaped = false;
      if (AEscapeChar != 0 && c == AEscapeChar) {
        if (next >= APatternLength) {
          p = next;  // a trailing escape character matches nothing
          continue;
        }
        c = APattern[next++];
        escaped = true;
      }
      if (!escaped && c == AManyChar) {
        // The run starts empty: the rest of the pattern is tried here first, also when no
        // text is left, so that '%%' matches the empty text as '%' does.
        resumePattern = next;
        resumeText = t;
        p = next;
        continue;
      }
      if (t < ATextLength && ((!escaped && c == AOneChar) || AText[t] == c)) {
        ++t;
        p = next;
        continue;
      }
    } else if (t == ATextLength) {
      return true;
    }
    if (resumePattern < 0 || resumeText >= ATextLength) return false;
    t = ++resumeText;
    p = resumePattern;
  }
}

void cxFoldDoubledWildcards(std::string& AText, char AWildcard) {
  std::string folded;
  folded.reserve(AText.size());
  for (char c : AText)
    if (c != AWildcard || folded.empty() || folded.back() != AWildcard) folded += c;
  AText = std::move(folded);
}

Byte cxStripLikeWildcards(std::string& APattern, char AManyChar) {
  cxFoldDoubledWildcards(APattern, AManyChar);
  if (APattern.size() < 2) return 0;
  Byte result = 0;
  bool trailing = APattern.back() == AManyChar;
  if (APattern.front() == AManyChar) {
    APattern.erase(0, 1);
    result = 2;
  }
  if (trailing) {
    APattern.pop_back();
    result += 1;
  }
  return result;
}
