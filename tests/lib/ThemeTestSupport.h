#pragma once
// Puts the visual style in the state a test needs (the prefix may have it either way) for
// the guard's life, and back as it was afterwards.
#include "platform/gui/Themes.h"

class VisualStyleGuard {
public:
  explicit VisualStyleGuard(bool On) : was_(ThemeServices()->ThemesEnabled()) {
    ok_ = was_ == On || SwitchTestVisualStyle(On);
  }
  ~VisualStyleGuard() {
    if (ThemeServices()->ThemesEnabled() != was_) SwitchTestVisualStyle(was_);
  }
  VisualStyleGuard(const VisualStyleGuard&) = delete;
  VisualStyleGuard& operator=(const VisualStyleGuard&) = delete;
  // Whether the style is as asked.
  bool Ok() const { return ok_; }

private:
  bool was_;
  bool ok_ = false;
};
