#pragma once
// The library's component bases: the roots its non-visual components and controls derive
// from, so that library-wide behaviour has one place to go.

#include "lib/JvExControls.h"
#include "lib/JvExForms.h"
#include "platform/rtl/Classes.h"

// The base of the library's non-visual components (storages, form storage, window hooks).
class TJvComponent : public TComponent {
  RTL_DECLARE_CLASS(TJvComponent, TComponent)
public:
  using TComponent::TComponent;
};

// The base of the library's non-windowed controls.
class TJvGraphicControl : public TJvExGraphicControl {
  RTL_DECLARE_CLASS(TJvGraphicControl, TJvExGraphicControl)
public:
  explicit TJvGraphicControl(TComponent* AOwner) : TJvExGraphicControl(AOwner) {}
};

// The base of the library's forms.
class TJvForm : public TJvExForm {
  RTL_DECLARE_CLASS(TJvForm, TJvExForm)
public:
  explicit TJvForm(TComponent* AOwner) : TJvExForm(AOwner) {}
  TJvForm(TComponent* AOwner, Integer Dummy) : TJvExForm(AOwner, Dummy) {}
};
