// gensample: writes the project's sample survey database (see SampleData.h).
//
//   gensample <output .db file> [rows]     (rows: 5000 when not given)
#include "platform/native/JetEngine.h"
#include "platform/native/SampleData.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s <output .db file> [rows]\n", argv[0]);
    return 2;
  }
  long rows = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 5000;
  if (rows < 1 || rows > 10000000) {
    std::fprintf(stderr, "%s: rows must be between 1 and 10000000\n", argv[0]);
    return 2;
  }
  try {
    native::sample::writeSurveyDatabase(argv[1], static_cast<int32_t>(rows));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  return 0;
}
