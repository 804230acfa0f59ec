#pragma once
// The one way test sources include GoogleTest. wineg++ defines the _WIN32 family, which
// would make gtest configure itself for Windows while the library it links (Debian's
// libgtest) was built for Linux; hide those macros around the include.
#pragma push_macro("_WIN32")
#pragma push_macro("_WIN64")
#pragma push_macro("WIN32")
#pragma push_macro("__WIN32__")
#pragma push_macro("_WINDOWS")
#undef _WIN32
#undef _WIN64
#undef WIN32
#undef __WIN32__
#undef _WINDOWS
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#pragma pop_macro("_WINDOWS")
#pragma pop_macro("__WIN32__")
#pragma pop_macro("WIN32")
#pragma pop_macro("_WIN64")
#pragma pop_macro("_WIN32")

#include <cstdio>
#include <string>

// Absolute path of a file under tests/fixtures.
inline std::string FixturePath(const std::string& relative) {
  return std::string(TEST_FIXTURES_DIR) + "/" + relative;
}
// Absolute path of one of the real Access files under tests/fixtures/data. A missing file
// fails the calling test with its name (the test then meets an open error, never a crash).
inline std::string DataFilePath(const std::string& name) {
  std::string path = std::string(TEST_DATA_DIR) + "/" + name;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
  } else {
    ADD_FAILURE() << "test data file missing: " << path;
  }
  return path;
}

// The message of the exception of type E (or a descendant) that f raises; "" when f raises
// none. Lets a test pin an error's text in one EXPECT_EQ.
template <class E, class F> std::string RaisedMessage(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "";
}
