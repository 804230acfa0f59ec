#pragma once
// Shorthands for the published-property blocks of the control classes (used inside
// RTL_BEGIN_CLASS blocks only). Each class still lists its properties in one block beside
// its registration; these name the groups every control publishes the same way.
//
//   RTL_BEGIN_CLASS(TEdit)
//     using T = TEdit;
//     PUBLISH(Anchors).Default(TAnchors{akLeft, akTop});
//     publishDragProperties(b);
//   RTL_END_CLASS
#include "platform/gui/Controls.h"
#include "platform/gui/Menus.h"
#include "platform/rtl/TypInfo.h"

// Publishes property Name read by T::Name() and written by T::SetName().
#define PUBLISH(Name) b.Property(#Name, &T::Name, &T::Set##Name)

template <class T> void publishDragProperties(TClassBuilder<T>& b) {
  PUBLISH(DragCursor).Default(crDrag);
  PUBLISH(DragKind).Default(dkDrag);
  PUBLISH(DragMode).Default(dmManual);
}

template <class T> void publishDragEvents(TClassBuilder<T>& b) {
  PUBLISH(OnDragDrop);
  PUBLISH(OnDragOver);
  PUBLISH(OnEndDock);
  PUBLISH(OnEndDrag);
  PUBLISH(OnStartDock);
  PUBLISH(OnStartDrag);
}

template <class T> void publishMouseEvents(TClassBuilder<T>& b) {
  PUBLISH(OnMouseDown);
  PUBLISH(OnMouseMove);
  PUBLISH(OnMouseUp);
}

template <class T> void publishKeyEvents(TClassBuilder<T>& b) {
  PUBLISH(OnKeyDown);
  PUBLISH(OnKeyPress);
  PUBLISH(OnKeyUp);
}

template <class T> void publishFocusEvents(TClassBuilder<T>& b) {
  PUBLISH(OnEnter);
  PUBLISH(OnExit);
}

// The events of the text boxes (edits, masked edits, memos).
template <class T> void publishEditEvents(TClassBuilder<T>& b) {
  PUBLISH(OnChange);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  PUBLISH(OnDblClick);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishKeyEvents(b);
  publishMouseEvents(b);
}

// The parent-following flags nearly every control publishes (ParentColor, whose default
// differs between controls, is listed by each).
template <class T> void publishParentFlags(TClassBuilder<T>& b) {
  PUBLISH(ParentBiDiMode).Default(true);
  PUBLISH(ParentFont).Default(true);
  PUBLISH(ParentShowHint).Default(true);
}

// The look properties every control publishes with the same defaults and stored rules.
template <class T> void publishLook(TClassBuilder<T>& b, TColor DefaultColor = clWindow) {
  PUBLISH(BiDiMode).Stored(&T::IsBiDiModeStored);
  PUBLISH(Color).Default(DefaultColor).Stored(&T::IsColorStored);
  PUBLISH(Constraints);
  PUBLISH(Font).Stored(&T::IsFontStored);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(PopupMenu);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
}

// Position in the parent: Align and Anchors.
template <class T> void publishPlacement(TClassBuilder<T>& b) {
  PUBLISH(Align).Default(alNone);
  PUBLISH(Anchors).Default(TAnchors{akLeft, akTop});
}

// The window's 3D look and tab order (windowed controls).
template <class T> void publishWindowFlags(TClassBuilder<T>& b, bool DefaultTabStop) {
  PUBLISH(Ctl3D).Stored(&T::IsCtl3DStored);
  PUBLISH(ParentCtl3D).Default(true);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabStop).Default(DefaultTabStop);
}

// The bevel properties of edits and lists.
template <class T> void publishBevels(TClassBuilder<T>& b) {
  PUBLISH(BevelEdges).Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
  PUBLISH(BevelInner).Default(bvRaised);
  PUBLISH(BevelKind).Default(bkNone);
  PUBLISH(BevelOuter).Default(bvLowered);
}
