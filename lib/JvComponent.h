#pragma once
// The library's component bases: the roots its non-visual components and controls derive
// from, so that library-wide behaviour has one place to go.

#include "platform/rtl/Classes.h"

// The base of the library's non-visual components (storages, form storage, window hooks).
class TJvComponent : public TComponent {
  RTL_DECLARE_CLASS(TJvComponent, TComponent)
public:
  using TComponent::TComponent;
};
