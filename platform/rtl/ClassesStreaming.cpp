// Reading and writing of stored form descriptions (TFiler, TReader, TWriter, the text
// form and its parser). Placeholder until the streaming code lands in this file.
#include "platform/rtl/Classes.h"

void TComponent::ReadState(TReader*) { throw EInvalidOperation("Component streaming is not available yet"); }
void TComponent::WriteState(TWriter*) { throw EInvalidOperation("Component streaming is not available yet"); }
