#pragma once
// JvRadioGroup: the library's radio group.
//
// Present behaviour: the class library's radio group (Items, ItemIndex, OnClick). Not yet:
// the read-only mode, the hot-track and the edge-painting options.
#include "platform/gui/ExtCtrls.h"

class TJvRadioGroup : public TRadioGroup {
  RTL_DECLARE_CLASS(TJvRadioGroup, TRadioGroup)
public:
  explicit TJvRadioGroup(TComponent* AOwner) : TRadioGroup(AOwner) {}
};
