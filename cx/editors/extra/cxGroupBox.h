#pragma once
// cxGroupBox: the group box editor (a framed panel with its caption in one of 13 places,
// able to hold child controls) and the button group built on it: one child button per item,
// laid out in columns, with arrow-key navigation between the buttons and the buttons' mouse,
// key and drag events passed on to the group.
#include <memory>
#include <string>
#include <vector>

#include "cx/editors/cxEdit.h"
#include "cx/editors/cxTextEdit.h"

RTL_ENUM(TcxCaptionAlignment, alTopLeft, alTopCenter, alTopRight, alBottomLeft, alBottomCenter, alBottomRight,
         alLeftTop, alLeftCenter, alLeftBottom, alRightTop, alRightCenter, alRightBottom, alCenterCenter)

// The caption reads along the left (upward) or right (downward) edge.
inline bool cxIsVerticalCaption(TcxCaptionAlignment A) { return A >= alLeftTop && A <= alRightBottom; }

class TcxCustomGroupBox;
class TcxCustomButtonGroup;

class TcxCustomGroupBoxProperties : public TcxCustomEditProperties {
  RTL_DECLARE_CLASS(TcxCustomGroupBoxProperties, TcxCustomEditProperties)
public:
  explicit TcxCustomGroupBoxProperties(TPersistent* AOwner) : TcxCustomEditProperties(AOwner) {}
  TClass GetEditClass() override;
  TClass GetStyleClass() override;
  TClass GetViewDataClass() override;
  TClass GetViewInfoClass() override;
};

// The group box's style: restoring defaults makes the box follow its parent's colour again
// unless its controller assigns one.
class TcxGroupBoxStyle : public TcxEditStyle {
  RTL_DECLARE_CLASS(TcxGroupBoxStyle, TcxEditStyle)
public:
  TcxGroupBoxStyle(TPersistent* AOwner, bool AIsInplace) : TcxEditStyle(AOwner, AIsInplace) {}
  explicit TcxGroupBoxStyle(const TCreateArgs* Args) : TcxEditStyle(Args) {}
  TColor DefaultColor() override { return clBtnFace; }
  void RestoreDefaults() override;
};

class TcxGroupBoxViewInfo : public TcxCustomTextEditViewInfo {
  RTL_DECLARE_CLASS(TcxGroupBoxViewInfo, TcxCustomTextEditViewInfo)
public:
  TcxGroupBoxViewInfo() = default;
  // The group box paints itself (TcxCustomGroupBox::Paint).
  void Paint(TcxCanvas* ACanvas) override {}
};

// The border extents of a group box: the caption edge widened by the caption's height.
class TcxGroupBoxViewData : public TcxCustomEditViewData {
  RTL_DECLARE_CLASS(TcxGroupBoxViewData, TcxCustomEditViewData)
public:
  using TcxCustomEditViewData::TcxCustomEditViewData;
  TRect GetBorderExtent() override;
  TRect GetEditExtent(TcxCustomEditViewInfo* AViewInfo) override;
  bool HasShadow() override;
  TcxContainerBorderStyle GetContainerBorderStyle(Integer AHotState) override;
  // The editor's window region follows the border rectangle; a group box's caption lies
  // across its border, so the border rectangle spans the whole box (the box draws its own
  // frame where the caption needs it).
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;

protected:
  // The caption's height ("Qq" in the caption font), 0 without an owning group box.
  Integer captionHeight();
  TcxCustomGroupBox* groupBox() const;
};

class TcxCustomGroupBox : public TcxCustomEdit {
  RTL_DECLARE_CLASS(TcxCustomGroupBox, TcxCustomEdit)
public:
  explicit TcxCustomGroupBox(TComponent* AOwner);
  ~TcxCustomGroupBox() override;
  void AfterConstruction() override;

  TClass GetPropertiesClass() override { return TcxCustomGroupBoxProperties::StaticClass(); }
  TcxGroupBoxStyle* Style() const { return static_cast<TcxGroupBoxStyle*>(GetStyle()); }
  void SetStyle(TcxGroupBoxStyle* Value) { TcxCustomEdit::SetStyle(Value); }
  TcxCaptionAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TcxCaptionAlignment Value);
  // The caption as painted: accelerator marks removed for vertical captions.
  const std::string& VisibleCaption() const { return FVisibleCaption; }
  TFont* CaptionFont() const { return FCaptionFont.get(); }
  // The caption rectangle of the last paint (empty without caption).
  TRect CaptionRect() const { return FCaptionRect; }
  // The caption's height in the caption font.
  Integer CaptionHeight();
  // Where the frame line is drawn in the last paint.
  TRect FrameRect() const { return FFrameRect; }

  bool UsesStandardTabOrder() override { return true; }
  bool CanFocusOnClick() override { return false; }
  bool HasScrollBars() override { return false; }
  void AdjustInnerControlBounds() override {}

  void CMTextChanged(TMessage& Message);
  void CMDialogChar(TCMDialogChar& Message);
  void WMEraseBkgnd(TWMEraseBkgnd& Message);

protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void StyleChanged(TObject* Sender) override;
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  // Rebuilds the caption font (rotated for vertical captions).
  void UpdateCaptionFont();
  void UpdateVisibleCaption();
  TColor backgroundColor();

  bool FIsAccelCharHandling = false;

private:
  void drawFrame(TcxCanvas* ACanvas, const TRect& ACaptionRect, Integer ACaptionHeight);

  TcxCaptionAlignment FAlignment = alTopLeft;
  std::unique_ptr<TFont> FCaptionFont;
  std::string FVisibleCaption;
  TRect FCaptionRect{0, 0, 0, 0};
  TRect FFrameRect{0, 0, 0, 0};
};

// --- Button group.

class TcxButtonGroupItem : public TCollectionItem {
  RTL_DECLARE_CLASS(TcxButtonGroupItem, TCollectionItem)
public:
  explicit TcxButtonGroupItem(TCollection* Collection);
  ~TcxButtonGroupItem() override;
  void Assign(TPersistent* Source) override;
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  std::string DisplayName() const override { return FCaption; }

private:
  std::string FCaption;
  bool FEnabled = true;
  Integer FTag = 0;
};

// What an item notification reports.
RTL_ENUM(TcxButtonGroupItemAction, bgiaAdded, bgiaDeleted, bgiaChanged)

class TcxButtonGroupItems : public TOwnedCollection {
  RTL_DECLARE_CLASS(TcxButtonGroupItems, TOwnedCollection)
public:
  TcxButtonGroupItems(TPersistent* AOwner, TClass AItemClass) : TOwnedCollection(AOwner, AItemClass) {}
  TcxButtonGroupItem* Items(Integer Index) const {
    return static_cast<TcxButtonGroupItem*>(TCollection::Items(Index));
  }
  // During an item notification: its item index and action.
  bool IsNotifying() const { return FNotifying; }
  Integer NotifyIndex() const { return FNotifyIndex; }
  TcxButtonGroupItemAction NotifyAction() const { return FNotifyAction; }
  // Reports one item change to the owning properties.
  void NotifyItem(Integer AIndex, TcxButtonGroupItemAction AAction);
  // While an item joins or leaves, the collection's own update is not reported: the item
  // reports "added" or "deleted" itself afterwards.
  void SetItemMoving(bool Value) { FItemMoving = Value; }

protected:
  void Update(TCollectionItem* Item) override;

private:
  void propertiesChanged();
  bool FNotifying = false;
  bool FItemMoving = false;
  Integer FNotifyIndex = -1;
  TcxButtonGroupItemAction FNotifyAction = bgiaChanged;
};

class TcxCustomButtonGroupProperties : public TcxCustomGroupBoxProperties {
  RTL_DECLARE_CLASS(TcxCustomButtonGroupProperties, TcxCustomGroupBoxProperties)
public:
  explicit TcxCustomButtonGroupProperties(TPersistent* AOwner);
  ~TcxCustomButtonGroupProperties() override;
  void AfterConstruction() override;
  void Assign(TPersistent* Source) override;

  virtual TcxButtonGroupItems* CreateItems();
  // The number of columns actually filled.
  virtual Integer GetColumnCount();

  Integer Columns() const { return FColumns; }
  void SetColumns(Integer Value);
  TcxButtonGroupItems* Items() const { return FItems.get(); }
  void SetItems(TcxButtonGroupItems* Value) { FItems->Assign(Value); }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

private:
  Integer FColumns = 1;
  std::unique_ptr<TcxButtonGroupItems> FItems;
  bool FWordWrap = false;
};

class TcxCustomButtonGroup : public TcxCustomGroupBox {
  RTL_DECLARE_CLASS(TcxCustomButtonGroup, TcxCustomGroupBox)
public:
  explicit TcxCustomButtonGroup(TComponent* AOwner);
  ~TcxCustomButtonGroup() override;

  TcxCustomButtonGroupProperties* GetButtonGroupProperties() {
    return static_cast<TcxCustomButtonGroupProperties*>(GetActiveProperties());
  }
  Integer ButtonCount() const { return static_cast<Integer>(FButtons.size()); }
  TWinControl* Buttons(Integer Index) const { return FButtons[static_cast<size_t>(Index)]; }
  // The index of the button with the focus, -1 when none.
  Integer FocusedButtonIndex();
  // Rows per column.
  Integer RowCount();
  // The rectangle of item AIndex in the group (the button's bounds after arranging).
  TRect ButtonRect(Integer AIndex);

  // --- Virtual operations of the button group.
  virtual void ArrangeButtons();
  virtual TWinControl* CreateButton() = 0;
  virtual void InitializeButton(TWinControl* AButton);
  virtual void SynchronizeButtons(Integer ACount);
  virtual void UpdateButtons();
  virtual bool IsButtonCanvasHandle(HDC ADC) { return false; }

  bool Focused() override;
  void GetTabOrderList(TList* List) override;
  void PropertiesChanged(TObject* Sender) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  bool RefreshContainer(const TPoint& P, TcxMouseButton AButton, TShiftState AShift, bool AIsMouseEvent) override;

  void CMEnabledChanged(TMessage& Message);

protected:
  friend class TcxCustomRadioGroupButton;
  void CreateWnd() override;
  void Loaded() override;
  void StyleChanged(TObject* Sender) override;
  // Registered by each child button at its construction and destruction.
  void addButton(TWinControl* AButton) { FButtons.push_back(AButton); }
  void removeButton(TWinControl* AButton);
  std::vector<TWinControl*> FButtons;
  bool FButtonMouseDown = false;

private:
  // The buttons' events, passed on to the group.
  void buttonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void buttonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void buttonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void buttonKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void buttonKeyPress(TObject* Sender, char& Key);
  void buttonKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
  void buttonDragDrop(TObject* Sender, TObject* Source, Integer X, Integer Y);
  void buttonDragOver(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  void buttonMouseWheel(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled) {
    Handled = false;
  }
  std::vector<TRect> FButtonRects;
  bool FArranging = false;
};
