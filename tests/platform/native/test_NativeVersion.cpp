#include "platform/native/NativeVersion.h"
#include <gtest/gtest.h>
#include <string>

// The native layer is built by the host compiler, not by wineg++: its build text says so.
TEST(NativeLayer, IsBuiltByTheHostCompiler) {
  std::string text = native::BuildDescription();
  EXPECT_EQ(text.rfind("native g++ ", 0), 0u) << text;
  EXPECT_NE(text.find("C++ 2020"), std::string::npos) << text;
}
