#pragma once
// Mask: the edit whose text follows an edit mask.
//
// An edit mask has up to three fields separated by ';': the mask, then '0' when the
// literal characters are not part of Text (they are by default), then the character that
// shows an empty position (default '_'). Mask characters:
//   L  a letter             l  a letter, optional
//   A  a letter or digit    a  a letter or digit, optional
//   C  any character        c  any character, optional
//   0  a digit              9  a digit, optional
//   #  a digit, '+', '-' or a blank, optional
//   :  the time separator   /  the date separator
//   >  upper case from here on;  <  lower case;  <>  no case change
//   !  optional positions left empty at the start instead of the end
//   \  the next character is a literal; any other character is a literal too.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/gui/StdCtrls.h"

RTL_EXCEPTION(EDBEditError, Exception)

using TEditMask = std::string;

constexpr char mDirReverse = '!';
constexpr char mDirUpperCase = '>';
constexpr char mDirLowerCase = '<';
constexpr char mDirLiteral = '\\';
constexpr char mMskAlpha = 'L';
constexpr char mMskAlphaOpt = 'l';
constexpr char mMskAlphaNum = 'A';
constexpr char mMskAlphaNumOpt = 'a';
constexpr char mMskAscii = 'C';
constexpr char mMskAsciiOpt = 'c';
constexpr char mMskNumeric = '0';
constexpr char mMskNumericOpt = '9';
constexpr char mMskNumSymOpt = '#';
constexpr char mMskTimeSeparator = ':';
constexpr char mMskDateSeparator = '/';
constexpr char mMskFieldSeparator = ';';
constexpr char DefaultBlank = '_';

namespace mask_detail {
// One position of a mask's text.
struct Position {
  char Mask = 0;     // the mask character; 0 for a literal
  char Literal = 0;  // the literal shown
  bool Required = false;
  int Case = 0;  // 1 upper, -1 lower
};
// A mask taken apart: its positions and the settings of its other fields.
struct Layout {
  std::vector<Position> Positions;
  char Blank = '_';
  bool SaveLiterals = true;
  bool Reverse = false;
};
Layout parse(const std::string& EditMask);
// The edit text of Value in Layout (Value with or without literals as SaveLiterals
// says); empty positions hold Blank.
std::string editTextOf(const Layout& L, const std::string& Value, char Blank);
}  // namespace mask_detail

// Value laid into the mask for showing: the literals in place, Value's characters in the
// edit positions (Value holds the literals too when the mask saves them), empty positions
// as spaces.
std::string FormatMaskText(const std::string& EditMask, const std::string& Value);
// The blank character and the save-literals flag of a mask.
char MaskGetMaskBlank(const std::string& EditMask);
bool MaskGetMaskSave(const std::string& EditMask);

// An edit with an EditMask. While a mask is set, the window shows EditText: the literals,
// the characters typed, and the blank character in the empty positions; typing overwrites
// the position at the caret (skipping literals) and accepts only what the position allows;
// Backspace and Delete empty positions; Esc brings back the text the edit had when it got
// the focus. Leaving the edit with a required position empty raises EDBEditError and keeps
// the focus there. Text is EditText without the blanks (and without the literals when the
// mask does not save them).
class TCustomMaskEdit : public TCustomEdit {
  RTL_DECLARE_CLASS(TCustomMaskEdit, TCustomEdit)
public:
  explicit TCustomMaskEdit(TComponent* AOwner);

  // Raises EDBEditError "Invalid input value.  Use escape key to abandon changes" when a
  // required position is empty.
  virtual void ValidateEdit();
  void Clear();
  bool IsMasked() const { return !positions_.empty(); }

  const TEditMask& EditMask() const { return editMask_; }
  void SetEditMask(const TEditMask& Value);
  std::string EditText();
  void SetEditText(const std::string& Value);
  std::string Text();
  void SetText(const std::string& Value);
  // Back to the text the edit had when it got the focus.
  void Reset();

  void CMEnter(TCMEnter& Message);
  void CMExit(TCMExit& Message);
  void WMPaste(TMessage& Message);
  void WMCut(TMessage& Message);
  void WMClear(TMessage& Message);

protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void Loaded() override;

private:
  using Position = mask_detail::Position;
  bool accepts(const Position& P, char C) const;
  char applyCase(const Position& P, char C) const;
  Integer nextEditPosition(Integer From) const;
  Integer previousEditPosition(Integer From) const;
  void putChar(Integer Pos, char C);
  void clearRange(Integer Start, Integer End);
  std::string emptyText() const;

  TEditMask editMask_;
  std::vector<Position> positions_;
  char blank_ = DefaultBlank;
  bool saveLiterals_ = true;
  bool reverse_ = false;
  std::string oldValue_;  // the edit text when the edit got the focus
};

class TMaskEdit : public TCustomMaskEdit {
  RTL_DECLARE_CLASS(TMaskEdit, TCustomMaskEdit)
public:
  explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
};

namespace MaskUnit {
void Initialize();
void Finalize();
}  // namespace MaskUnit
