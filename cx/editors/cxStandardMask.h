#pragma once
// cxStandardMask: the fixed-position edit mask of the masked editor's standard kind.
//
// A mask gives one character per position of the text: required and optional letters,
// digits and any characters, literals, case conversion, and an optional tail that says
// whether literals belong to the value and which character shows an empty position:
//   L / l   a letter (ASCII), required / optional
//   A / a   a letter or digit, required / optional
//   C / c   any character, required / optional
//   0 / 9   a digit, required / optional
//   #       a digit, '+' or '-', optional
//   /  :    the locale's date / time separator (taken when the mask is set)
//   \x      the literal x (a '\' at the very end is dropped)
//   >  <    later positions convert to upper / lower case;  <>  keep the case as typed
//   ;0  ;1  ;0;x  ;1;x   the tail, only at the very end: '0' leaves the literals out of the
//           value, x is the blank character. A ';' anywhere else is a literal.
//   !       ignored when it stands first; a literal anywhere else.
// Any other character is a literal. TcxStandardMask keeps no caret or editing state: it
// parses the mask into one item per position and converts texts for the editor. Texts
// are 8-bit characters.

#include <string>

#include "cx/foundation/cxClasses.h"
#include "platform/rtl/System.h"

// One position of a standard mask.
class TcxStandardMaskCustomItem : public TObject {
  RTL_DECLARE_CLASS(TcxStandardMaskCustomItem, TObject)
public:
  TcxStandardMaskCustomItem() = default;
  // Whether C may stand at this position. An editable position converts C to its case
  // in place (also when it refuses it); a literal leaves it alone.
  virtual bool Matches(char& C) const = 0;
};

// A fixed character of the text.
class TcxStandardMaskLiteralItem : public TcxStandardMaskCustomItem {
  RTL_DECLARE_CLASS(TcxStandardMaskLiteralItem, TcxStandardMaskCustomItem)
public:
  explicit TcxStandardMaskLiteralItem(char ALiteral) : FLiteral(ALiteral) {}
  bool Matches(char& C) const override { return C == FLiteral; }
  char Literal() const { return FLiteral; }

private:
  char FLiteral;
};

// How an editable position converts the characters it takes (ASCII letters only).
enum class MaskCharCase : Byte { Upper = 0, Lower = 1, AsTyped = 2 };

// An editable position: the class says which characters it accepts.
class TcxStandardMaskManyItem : public TcxStandardMaskCustomItem {
  RTL_DECLARE_CLASS(TcxStandardMaskManyItem, TcxStandardMaskCustomItem)
public:
  TcxStandardMaskManyItem(MaskCharCase ACaseControl, bool AOptional)
      : FCaseControl(ACaseControl), FOptional(AOptional) {}
  MaskCharCase CaseControl() const { return FCaseControl; }
  bool Optional() const { return FOptional; }

protected:
  // Converts C in place to the position's case and answers the character as it was.
  char ConvertCase(char& C) const;

private:
  MaskCharCase FCaseControl;
  bool FOptional;
};

// A-Z, a-z.
class TcxStandardMaskAlphaItem : public TcxStandardMaskManyItem {
  RTL_DECLARE_CLASS(TcxStandardMaskAlphaItem, TcxStandardMaskManyItem)
public:
  using TcxStandardMaskManyItem::TcxStandardMaskManyItem;
  bool Matches(char& C) const override;
};

// 0-9, A-Z, a-z.
class TcxStandardMaskAlphaNumericItem : public TcxStandardMaskManyItem {
  RTL_DECLARE_CLASS(TcxStandardMaskAlphaNumericItem, TcxStandardMaskManyItem)
public:
  using TcxStandardMaskManyItem::TcxStandardMaskManyItem;
  bool Matches(char& C) const override;
};

// Every character.
class TcxStandardMaskASCIIItem : public TcxStandardMaskManyItem {
  RTL_DECLARE_CLASS(TcxStandardMaskASCIIItem, TcxStandardMaskManyItem)
public:
  using TcxStandardMaskManyItem::TcxStandardMaskManyItem;
  bool Matches(char& C) const override;
};

// 0-9.
class TcxStandardMaskNumericItem : public TcxStandardMaskManyItem {
  RTL_DECLARE_CLASS(TcxStandardMaskNumericItem, TcxStandardMaskManyItem)
public:
  using TcxStandardMaskManyItem::TcxStandardMaskManyItem;
  bool Matches(char& C) const override;
};

// 0-9, '+', '-'.
class TcxStandardMaskNumericSymbolItem : public TcxStandardMaskManyItem {
  RTL_DECLARE_CLASS(TcxStandardMaskNumericSymbolItem, TcxStandardMaskManyItem)
public:
  using TcxStandardMaskManyItem::TcxStandardMaskManyItem;
  bool Matches(char& C) const override;
};

// A parsed standard mask. Every formatted text has Count() characters, one per item.
class TcxStandardMask : public TObject {
  RTL_DECLARE_CLASS(TcxStandardMask, TObject)
public:
  TcxStandardMask();
  ~TcxStandardMask() override;
  TcxStandardMask(const TcxStandardMask&) = delete;
  TcxStandardMask& operator=(const TcxStandardMask&) = delete;

  // Clears, keeps the text as given, and parses it (a leading '!' has no effect).
  void SetMask(const std::string& AMask);
  // Frees the items and restores the defaults: blank '_', literals saved, no mask text.
  void Clear();

  Integer Count() const { return FItems->Count(); }
  TcxStandardMaskCustomItem* Items(Integer Index) const;

  // Fits Text into the mask. Each input character goes to the first position after the
  // previous character's that takes it, so the order of the input is kept; an editable
  // position also takes the blank character or a space and stays blank; a character no
  // later position takes is dropped. With
  // AKeepConverted the case-converted characters are kept, else the characters as typed.
  void FitText(std::string& Text, bool AKeepConverted) const;
  // Replaces a formatted text by its value: blanks become spaces, and literals are left
  // out unless the mask saves them.
  void ExtractValue(std::string& Text) const;
  // Whether Text is a complete formatted text: every literal in place, every required
  // position filled (the blank character and a space count as empty), every character
  // accepted by its position. Converts the accepted characters' case in place.
  bool IsComplete(std::string& Text) const;
  // The literals and the blank character in the editable positions.
  std::string EmptyText() const;
  // The value of an empty text: a space per editable position, and the literals when
  // the mask saves them.
  std::string EmptyValue() const;

  char Blank() const { return FBlank; }
  bool SaveLiteralCharacters() const { return FSaveLiteralCharacters; }
  const std::string& Mask() const { return FMask; }

private:
  void parse(const std::string& Body);
  void addItem(TcxStandardMaskCustomItem* Item) { FItems->Add(Item); }
  bool isEditable(Integer Index) const;

  char FBlank = '_';
  TcxObjectList* FItems;
  bool FSaveLiteralCharacters = true;
  std::string FMask;
};
