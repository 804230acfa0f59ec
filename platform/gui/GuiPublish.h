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

// The hint and parent-following flags nearly every control publishes.
template <class T> void publishParentFlags(TClassBuilder<T>& b) {
  PUBLISH(ParentBiDiMode).Default(true);
  PUBLISH(ParentColor).Default(true);
  PUBLISH(ParentFont).Default(true);
  PUBLISH(ParentShowHint).Default(true);
}
