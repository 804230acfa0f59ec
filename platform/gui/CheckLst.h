#pragma once
// CheckLst: the list box with a check box in front of each item.

#include <windows.h>

#include "platform/gui/StdCtrls.h"

using TCheckListClickCheckEvent = TNotifyEvent;

// A list box whose items each carry a check box state (unchecked, checked or, with
// AllowGrayed, grayed) and an enabled flag. A click on an item's box, or Space on the
// focused item, steps its state (unchecked -> checked -> unchecked, or through grayed with
// AllowGrayed) and fires OnClickCheck; disabled items do not change. The items are drawn by
// the list box itself (it is always owner-drawn). An index outside the items raises
// EListError "List index out of bounds (n)".
class TCheckListBox : public TCustomListBox {
  RTL_DECLARE_CLASS(TCheckListBox, TCustomListBox)
public:
  explicit TCheckListBox(TComponent* AOwner);
  ~TCheckListBox() override;

  bool Checked(Integer Index);
  void SetChecked(Integer Index, bool Value);
  TCheckBoxState State(Integer Index);
  void SetState(Integer Index, TCheckBoxState Value);
  bool ItemEnabled(Integer Index);
  void SetItemEnabled(Integer Index, bool Value);
  // Sets every item's state (the disabled ones too when SetDisabled) at once.
  void CheckAll(TCheckBoxState AState, bool AllowGrayed = true, bool SetDisabled = true);

  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
  // Flat: the boxes have a thin one-colour border instead of the sunken 3D one.
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  // The width the boxes take at the left of each item.
  Integer GetCheckWidth() const { return checkWidth_ + 2; }
  Integer ItemHeight() override;

  const TNotifyEvent& OnClickCheck() const { return onClickCheck_; }
  void SetOnClickCheck(const TNotifyEvent& Value) { onClickCheck_ = Value; }

  LPARAM GetItemData(Integer Index) override;
  void SetItemData(Integer Index, LPARAM AData) override;
  void ResetContent() override;
  void DeleteString(Integer Index) override;

  void CNDrawItem(TWMDrawItem& Message);
  void CNMeasureItem(TWMMeasureItem& Message);
  void WMDestroy(TWMDestroy& Message);
  void CMFontChanged(TMessage& Message);

protected:
  virtual void ClickCheck();
  // Steps the state of item Index as a click on its box does.
  void ToggleClickCheck(Integer Index);
  // Draws a check box of state AState centred in R.
  virtual void DrawCheck(const TRect& R, TCheckBoxState AState, bool AEnabled);
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  struct ItemWrapper;
  ItemWrapper* wrapper(Integer Index, bool Create);
  void freeWrappers();
  void invalidateCheck(Integer Index);
  void checkItemIndex(Integer Index);

  bool allowGrayed_ = false;
  bool flat_ = true;
  Integer checkWidth_ = 13;
  Integer checkHeight_ = 13;
  // States and enabled flags kept while the window is made again.
  std::vector<std::pair<TCheckBoxState, bool>> saveStates_;
  TNotifyEvent onClickCheck_;
};

namespace CheckLstUnit {
void Initialize();
void Finalize();
}  // namespace CheckLstUnit
