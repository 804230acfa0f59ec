// cxStandardMask: the fixed-position edit mask of the masked editor's standard kind.
//
// The notation's characters are the class library's edit-mask characters (Mask.h), but the
// class library's parser is not used: here a ';' is a tail only in the two exact forms at
// the end of the mask, a '!' counts only as the first character, "<>" restores the case as
// typed, and the letter classes are ASCII.
#include "cx/editors/cxStandardMask.h"

#include <algorithm>
#include <vector>

#include "platform/gui/Mask.h"
#include "platform/rtl/SysUtils.h"

namespace {

bool isAsciiDigit(char C) { return C >= '0' && C <= '9'; }
bool isAsciiLetter(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z'); }

}  // namespace

// ---------------------------------------------------------------------------------------
// Items

RTL_IMPLEMENT_CLASS(TcxStandardMaskCustomItem)
RTL_IMPLEMENT_CLASS(TcxStandardMaskLiteralItem)
RTL_IMPLEMENT_CLASS(TcxStandardMaskManyItem)
RTL_IMPLEMENT_CLASS(TcxStandardMaskAlphaItem)
RTL_IMPLEMENT_CLASS(TcxStandardMaskAlphaNumericItem)
RTL_IMPLEMENT_CLASS(TcxStandardMaskASCIIItem)
RTL_IMPLEMENT_CLASS(TcxStandardMaskNumericItem)
RTL_IMPLEMENT_CLASS(TcxStandardMaskNumericSymbolItem)

char TcxStandardMaskManyItem::ConvertCase(char& C) const {
  const char original = C;
  switch (FCaseControl) {
    case MaskCharCase::Upper:
      if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
      break;
    case MaskCharCase::Lower:
      if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
      break;
    case MaskCharCase::AsTyped:
      break;
  }
  return original;
}

bool TcxStandardMaskAlphaItem::Matches(char& C) const { return isAsciiLetter(ConvertCase(C)); }

bool TcxStandardMaskAlphaNumericItem::Matches(char& C) const {
  const char original = ConvertCase(C);
  return isAsciiLetter(original) || isAsciiDigit(original);
}

bool TcxStandardMaskASCIIItem::Matches(char& C) const {
  ConvertCase(C);
  return true;
}

bool TcxStandardMaskNumericItem::Matches(char& C) const { return isAsciiDigit(ConvertCase(C)); }

bool TcxStandardMaskNumericSymbolItem::Matches(char& C) const {
  const char original = ConvertCase(C);
  return isAsciiDigit(original) || original == '+' || original == '-';
}

// ---------------------------------------------------------------------------------------
// TcxStandardMask

RTL_IMPLEMENT_CLASS(TcxStandardMask)

TcxStandardMask::TcxStandardMask() : FItems(New<TcxObjectList>()) {}

TcxStandardMask::~TcxStandardMask() { FreeAndNil(FItems); }

void TcxStandardMask::Clear() {
  FItems->Clear();
  FBlank = '_';
  FSaveLiteralCharacters = true;
  FMask.clear();
}

void TcxStandardMask::SetMask(const std::string& AMask) {
  Clear();
  FMask = AMask;
  parse(!AMask.empty() && AMask[0] == mDirReverse ? AMask.substr(1) : AMask);
}

void TcxStandardMask::parse(const std::string& Body) {
  const size_t n = Body.size();
  auto isSaveFlag = [](char C) { return C == '0' || C == '1'; };
  MaskCharCase caseControl = MaskCharCase::AsTyped;
  for (size_t i = 0; i < n; ++i) {
    const char c = Body[i];
    switch (c) {
      case mMskAlpha: addItem(New<TcxStandardMaskAlphaItem>(caseControl, false)); break;
      case mMskAlphaOpt: addItem(New<TcxStandardMaskAlphaItem>(caseControl, true)); break;
      case mMskAlphaNum: addItem(New<TcxStandardMaskAlphaNumericItem>(caseControl, false)); break;
      case mMskAlphaNumOpt: addItem(New<TcxStandardMaskAlphaNumericItem>(caseControl, true)); break;
      case mMskAscii: addItem(New<TcxStandardMaskASCIIItem>(caseControl, false)); break;
      case mMskAsciiOpt: addItem(New<TcxStandardMaskASCIIItem>(caseControl, true)); break;
      case mMskNumeric: addItem(New<TcxStandardMaskNumericItem>(caseControl, false)); break;
      case mMskNumericOpt: addItem(New<TcxStandardMaskNumericItem>(caseControl, true)); break;
      case mMskNumSymOpt: addItem(New<TcxStandardMaskNumericSymbolItem>(caseControl, true)); break;
      case mMskDateSeparator: addItem(New<TcxStandardMaskLiteralItem>(DateSeparator)); break;
      case mMskTimeSeparator: addItem(New<TcxStandardMaskLiteralItem>(TimeSeparator)); break;
      case mDirLiteral:
        // The next character, whatever it is, stands for itself.
        if (i + 1 < n) addItem(New<TcxStandardMaskLiteralItem>(Body[++i]));
        break;
      case mDirUpperCase: caseControl = MaskCharCase::Upper; break;
      case mDirLowerCase:
        if (i + 1 < n && Body[i + 1] == mDirUpperCase) {
          caseControl = MaskCharCase::AsTyped;
          ++i;
        } else {
          caseControl = MaskCharCase::Lower;
        }
        break;
      case mMskFieldSeparator: {
        // Only ";f" or ";f;b" closing the mask is a tail; any other ';' is a literal.
        const size_t rest = n - i - 1;
        if (rest == 1 && isSaveFlag(Body[i + 1])) {
          FSaveLiteralCharacters = Body[i + 1] != '0';
          return;
        }
        if (rest == 3 && isSaveFlag(Body[i + 1]) && Body[i + 2] == mMskFieldSeparator) {
          FSaveLiteralCharacters = Body[i + 1] != '0';
          FBlank = Body[i + 3];
          return;
        }
        addItem(New<TcxStandardMaskLiteralItem>(c));
        break;
      }
      default: addItem(New<TcxStandardMaskLiteralItem>(c)); break;
    }
  }
}

TcxStandardMaskCustomItem* TcxStandardMask::Items(Integer Index) const {
  return static_cast<TcxStandardMaskCustomItem*>(FItems->Get(Index));
}

bool TcxStandardMask::isEditable(Integer Index) const {
  return Items(Index)->InheritsFrom(TcxStandardMaskManyItem::StaticClass());
}

void TcxStandardMask::FitText(std::string& Text, bool AKeepConverted) const {
  std::string work = EmptyText();
  // The characters keep their order: each one goes to the first position after the one the
  // previous character took, never back into a position an earlier character skipped.
  Integer next = 0;
  for (const char input : Text) {
    for (Integer i = next; i < Count(); ++i) {
      // Each position sees the character as typed: a position that refuses it must not
      // hand its own case conversion on to the next one.
      char c = input;
      if (Items(i)->Matches(c)) {
        work[i] = AKeepConverted ? c : input;
        next = i + 1;
        break;
      }
      if ((input == FBlank || input == ' ') && isEditable(i)) {
        next = i + 1;
        break;
      }
    }
  }
  Text = work;
}

void TcxStandardMask::ExtractValue(std::string& Text) const {
  const Integer n = std::min(Count(), static_cast<Integer>(Text.size()));
  std::string value;
  value.reserve(static_cast<size_t>(n));
  for (Integer i = 0; i < n; ++i) {
    const char c = Text[static_cast<size_t>(i)];
    if (!isEditable(i)) {
      if (FSaveLiteralCharacters) value += c;
    } else {
      value += c == FBlank ? ' ' : c;
    }
  }
  Text = value;
}

bool TcxStandardMask::IsComplete(std::string& Text) const {
  if (static_cast<Integer>(Text.size()) != Count()) return false;
  for (Integer i = 0; i < Count(); ++i) {
    char& c = Text[static_cast<size_t>(i)];
    if (isEditable(i) && (c == FBlank || c == ' ')) {
      // An empty position: fine when optional. A required one is not filled, even when
      // its class would accept the blank character or a space as a character.
      if (static_cast<TcxStandardMaskManyItem*>(Items(i))->Optional()) continue;
      return false;
    }
    if (!Items(i)->Matches(c)) return false;
  }
  return true;
}

std::string TcxStandardMask::EmptyText() const {
  std::string text;
  text.reserve(static_cast<size_t>(Count()));
  for (Integer i = 0; i < Count(); ++i)
    text += isEditable(i) ? FBlank : static_cast<TcxStandardMaskLiteralItem*>(Items(i))->Literal();
  return text;
}

std::string TcxStandardMask::EmptyValue() const {
  std::string value;
  for (Integer i = 0; i < Count(); ++i) {
    if (isEditable(i)) value += ' ';
    else if (FSaveLiteralCharacters) value += static_cast<TcxStandardMaskLiteralItem*>(Items(i))->Literal();
  }
  return value;
}
