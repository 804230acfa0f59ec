#include "platform/native/NativeVersion.h"
#include <string>

namespace native {
const char* BuildDescription() {
  static const std::string text = std::string("native g++ ") + __VERSION__ + ", C++ " + std::to_string(__cplusplus);
  return text.c_str();
}
}
