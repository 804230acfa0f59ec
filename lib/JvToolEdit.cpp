#include "lib/JvToolEdit.h"

#include "platform/gui/GuiPublish.h"

RTL_BEGIN_CLASS(TJvFilenameEdit)
  using T = TJvFilenameEdit;
  PUBLISH(Filter);
  PUBLISH(FileName);
RTL_END_CLASS
