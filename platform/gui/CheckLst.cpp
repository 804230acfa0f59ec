// CheckLst: the check list box.
#include "platform/gui/CheckLst.h"

#include <algorithm>

#include "platform/gui/GuiPublish.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Scoped.h"

// What the list box window keeps as each item's data: the program's object and the item's
// check state.
namespace {
// The system's check box bitmap (OBM_CHECKBOXES, declared only with OEMRESOURCE).
constexpr int checkBoxesBitmap = 32759;
}  // namespace

struct TCheckListBox::ItemWrapper {
  LPARAM Data = 0;
  TCheckBoxState State = cbUnchecked;
  bool Disabled = false;
};

TCheckListBox::TCheckListBox(TComponent* AOwner) : TCustomListBox(AOwner) {
  // The box size the system's check box bitmap has (four boxes across, three rows).
  if (HBITMAP bitmap = LoadBitmapA(nullptr, MAKEINTRESOURCEA(checkBoxesBitmap))) {
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    checkWidth_ = bm.bmWidth / 4;
    checkHeight_ = bm.bmHeight / 3;
    DeleteObject(bitmap);
  }
}

TCheckListBox::~TCheckListBox() { freeWrappers(); }

void TCheckListBox::CreateParams(TCreateParams& Params) {
  TCustomListBox::CreateParams(Params);
  if (!(Params.Style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE))) Params.Style |= LBS_OWNERDRAWFIXED;
}

void TCheckListBox::CreateWnd() {
  TCustomListBox::CreateWnd();
  std::vector<std::pair<TCheckBoxState, bool>> states;
  states.swap(saveStates_);
  Integer count = std::min<Integer>(static_cast<Integer>(states.size()), Items()->Count());
  for (Integer i = 0; i < count; ++i) {
    ItemWrapper* w = wrapper(i, true);
    w->State = states[static_cast<size_t>(i)].first;
    w->Disabled = !states[static_cast<size_t>(i)].second;
  }
}

void TCheckListBox::DestroyWnd() {
  saveStates_.clear();
  if (WindowHandle()) {
    Integer count = static_cast<Integer>(SendMessageA(WindowHandle(), LB_GETCOUNT, 0, 0));
    for (Integer i = 0; i < count; ++i) saveStates_.emplace_back(State(i), ItemEnabled(i));
  }
  TCustomListBox::DestroyWnd();
}

void TCheckListBox::WMDestroy(TWMDestroy& Message) {
  // The window's item data dies with it: release what it pointed to.
  freeWrappers();
  INHERITED_MESSAGE(Message);
}

void TCheckListBox::freeWrappers() {
  HWND h = WindowHandle();
  if (!h) return;
  Integer count = static_cast<Integer>(SendMessageA(h, LB_GETCOUNT, 0, 0));
  for (Integer i = 0; i < count; ++i) {
    auto* w = reinterpret_cast<ItemWrapper*>(SendMessageA(h, LB_GETITEMDATA, i, 0));
    if (w && reinterpret_cast<LRESULT>(w) != LB_ERR) {
      delete w;
      SendMessageA(h, LB_SETITEMDATA, i, 0);
    }
  }
}

TCheckListBox::ItemWrapper* TCheckListBox::wrapper(Integer Index, bool Create) {
  auto* w = reinterpret_cast<ItemWrapper*>(InternalGetItemData(Index));
  if (!w && Create) {
    w = new ItemWrapper();
    InternalSetItemData(Index, reinterpret_cast<LPARAM>(w));
  }
  return w;
}

void TCheckListBox::checkItemIndex(Integer Index) {
  if (Index < 0 || Index >= Items()->Count()) throw EListError(Format("List index out of bounds (%d)", Index));
}

LPARAM TCheckListBox::GetItemData(Integer Index) {
  ItemWrapper* w = wrapper(Index, false);
  return w ? w->Data : 0;
}

void TCheckListBox::SetItemData(Integer Index, LPARAM AData) {
  if (!AData && !wrapper(Index, false)) return;
  wrapper(Index, true)->Data = AData;
}

void TCheckListBox::ResetContent() {
  freeWrappers();
  TCustomListBox::ResetContent();
}

void TCheckListBox::DeleteString(Integer Index) {
  delete wrapper(Index, false);
  InternalSetItemData(Index, 0);
  TCustomListBox::DeleteString(Index);
}

bool TCheckListBox::Checked(Integer Index) { return State(Index) == cbChecked; }

void TCheckListBox::SetChecked(Integer Index, bool Value) { SetState(Index, Value ? cbChecked : cbUnchecked); }

TCheckBoxState TCheckListBox::State(Integer Index) {
  checkItemIndex(Index);
  ItemWrapper* w = wrapper(Index, false);
  return w ? w->State : cbUnchecked;
}

void TCheckListBox::SetState(Integer Index, TCheckBoxState Value) {
  checkItemIndex(Index);
  if (State(Index) == Value) return;
  wrapper(Index, true)->State = Value;
  invalidateCheck(Index);
}

bool TCheckListBox::ItemEnabled(Integer Index) {
  checkItemIndex(Index);
  ItemWrapper* w = wrapper(Index, false);
  return !w || !w->Disabled;
}

void TCheckListBox::SetItemEnabled(Integer Index, bool Value) {
  checkItemIndex(Index);
  if (ItemEnabled(Index) == Value) return;
  wrapper(Index, true)->Disabled = !Value;
  invalidateCheck(Index);
}

void TCheckListBox::CheckAll(TCheckBoxState AState, bool AllowGrayed, bool SetDisabled) {
  for (Integer i = 0; i < Items()->Count(); ++i) {
    if (!SetDisabled && !ItemEnabled(i)) continue;
    if (!AllowGrayed && State(i) == cbGrayed) continue;
    SetState(i, AState);
  }
}

void TCheckListBox::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  Invalidate();
}

Integer TCheckListBox::ItemHeight() {
  if (Style() != lbStandard) return TCustomListBox::ItemHeight();
  Canvas()->SetFont(Font());
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  SIZE size{};
  GetTextExtentPoint32A(dc, "Wg", 2, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return std::max<Integer>(size.cy, checkHeight_ + 2);
}

void TCheckListBox::invalidateCheck(Integer Index) {
  if (!WindowHandle()) return;
  TRect r = ItemRect(Index);
  if (UseRightToLeftAlignment()) r.left = r.right - GetCheckWidth();
  else r.right = r.left + GetCheckWidth();
  InvalidateRect(WindowHandle(), &r, FALSE);
  UpdateWindow(WindowHandle());
}

void TCheckListBox::ClickCheck() {
  if (onClickCheck_) onClickCheck_(this);
}

void TCheckListBox::ToggleClickCheck(Integer Index) {
  if (Index < 0 || Index >= Items()->Count() || !ItemEnabled(Index)) return;
  switch (State(Index)) {
    case cbUnchecked: SetState(Index, allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(Index, cbUnchecked); break;
    case cbGrayed: SetState(Index, cbChecked); break;
  }
  ClickCheck();
}

void TCheckListBox::KeyPress(char& Key) {
  if (Key == ' ') ToggleClickCheck(ItemIndex());
  TCustomListBox::KeyPress(Key);
}

void TCheckListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomListBox::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  Integer index = ItemAtPos(Point(X, Y), true);
  if (index == -1 || !ItemEnabled(index)) return;
  TRect r = ItemRect(index);
  bool onBox = UseRightToLeftAlignment() ? r.right - X < GetCheckWidth() : X - r.left < GetCheckWidth();
  if (onBox) ToggleClickCheck(index);
}

void TCheckListBox::CNMeasureItem(TWMMeasureItem& Message) {
  if (Style() == lbStandard) {
    Message.MeasureItemStruct->itemHeight = static_cast<UINT>(ItemHeight());
    Message.Result = 1;
    return;
  }
  INHERITED_MESSAGE(Message);
}

void TCheckListBox::CNDrawItem(TWMDrawItem& Message) {
  if (Items()->Count() == 0) return;
  // The box takes the left of the item; the rest is the item's own area.
  DRAWITEMSTRUCT& dis = *Message.DrawItemStruct;
  if (UseRightToLeftAlignment()) dis.rcItem.right -= GetCheckWidth();
  else dis.rcItem.left += GetCheckWidth();
  INHERITED_MESSAGE(Message);
}

void TCheckListBox::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (Style() == lbStandard && WindowHandle()) SendMessageA(WindowHandle(), LB_SETITEMHEIGHT, 0, ItemHeight());
}

void TCheckListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (Index < Items()->Count()) {
    bool enabled = Enabled() && ItemEnabled(Index);
    TRect box = Rect;
    if (UseRightToLeftAlignment()) {
      box.left = Rect.right;
      box.right = box.left + GetCheckWidth();
    } else {
      box.right = Rect.left;
      box.left = box.right - GetCheckWidth();
    }
    // The box sits on the list's background, not on the selection's.
    TColor saved = Canvas()->Brush()->Color();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(box);
    Canvas()->Brush()->SetColor(saved);
    DrawCheck(box, this->State(Index), enabled);
    if (!enabled) Canvas()->Font()->SetColor(clGrayText);
  }
  if (Style() == lbStandard && OnDrawItem()) {
    // A standard-style list draws its items itself, whatever OnDrawItem says.
    TDrawItemEvent saved = OnDrawItem();
    SetOnDrawItem(TDrawItemEvent());
    {
      ScopeExit atEnd([&] { SetOnDrawItem(saved); });
      TCustomListBox::DrawItem(Index, Rect, State);
    }
  } else {
    TCustomListBox::DrawItem(Index, Rect, State);
  }
}

void TCheckListBox::DrawCheck(const TRect& R, TCheckBoxState AState, bool AEnabled) {
  TRect box;
  box.left = R.left + (R.right - R.left - checkWidth_) / 2;
  box.top = R.top + (R.bottom - R.top - checkHeight_) / 2;
  box.right = box.left + checkWidth_;
  box.bottom = box.top + checkHeight_;
  TCanvas* canvas = Canvas();
  TThemeServices* themes = ThemeServices();
  if (themes->ThemesEnabled()) {
    TThemedButton element;
    switch (AState) {
      case cbChecked: element = AEnabled ? tbCheckBoxCheckedNormal : tbCheckBoxCheckedDisabled; break;
      case cbGrayed: element = AEnabled ? tbCheckBoxMixedNormal : tbCheckBoxMixedDisabled; break;
      default: element = AEnabled ? tbCheckBoxUncheckedNormal : tbCheckBoxUncheckedDisabled; break;
    }
    themes->DrawElement(canvas->Handle(), themes->GetElementDetails(element), box);
    return;
  }
  UINT state = AState == cbChecked ? DFCS_BUTTONCHECK | DFCS_CHECKED
               : AState == cbGrayed ? DFCS_BUTTON3STATE | DFCS_CHECKED
                                    : DFCS_BUTTONCHECK;
  if (!AEnabled) state |= DFCS_INACTIVE;
  if (flat_) state |= DFCS_FLAT;
  DrawFrameControl(canvas->Handle(), &box, DFC_BUTTON, state);
}

RTL_BEGIN_CLASS(TCheckListBox)
  b.Message(CN_DRAWITEM, &TCheckListBox::CNDrawItem);
  b.Message(CN_MEASUREITEM, &TCheckListBox::CNMeasureItem);
  b.Message(WM_DESTROY, &TCheckListBox::WMDestroy);
  b.Message(CM_FONTCHANGED, &TCheckListBox::CMFontChanged);
  using T = TCheckListBox;
  PUBLISH(OnClickCheck);
  PUBLISH(AllowGrayed).Default(false);
  publishPlacement(b);
  publishBevels(b);
  PUBLISH(BorderStyle).Default(bsSingle);
  PUBLISH(Columns).Default(0);
  publishLook(b);
  publishDragProperties(b);
  PUBLISH(Flat).Default(true);
  PUBLISH(ImeMode).Default(imDontCare);
  PUBLISH(ImeName);
  PUBLISH(IntegralHeight).Default(false);
  PUBLISH(ItemHeight).Default(16);
  PUBLISH(Items);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(ScrollWidth).Default(0);
  PUBLISH(Sorted).Default(false);
  PUBLISH(Style).Default(lbStandard);
  publishWindowFlags(b, true);
  PUBLISH(TabWidth).Default(0);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  PUBLISH(OnData);
  PUBLISH(OnDataFind);
  PUBLISH(OnDataObject);
  PUBLISH(OnDblClick);
  PUBLISH(OnDrawItem);
  PUBLISH(OnMeasureItem);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishKeyEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

namespace CheckLstUnit {

void Initialize() { RegisterClass(TCheckListBox::StaticClass()); }

void Finalize() { UnRegisterClass(TCheckListBox::StaticClass()); }

}  // namespace CheckLstUnit
