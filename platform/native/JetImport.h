#pragma once
// Import of an Access file into the engine's in-memory SQLite database.
//
// libmdb is not robust against damaged files (it may crash, loop or allocate without end), so
// it never runs inside the program: a helper executable, mdb2sqlite, reads the Access file and
// writes a temporary SQLite file, which is then copied into memory. The helper runs under a
// time limit and with bounded memory and output; a crash, a time-out or a failure becomes a
// DatabaseError naming the file. Temporary files are removed on every path.
#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

namespace native {
struct OpenOptions;
}

namespace native::jetimport {

// File name of the helper executable.
inline constexpr const char* kHelperName = "mdb2sqlite";

// Name of the table in which the helper records each imported column's primary-key position
// and AutoNumber flag; the engine reads it and drops it after the import.
inline constexpr const char* kKeysTable = "__jet_import_keys__";

// Where the helper is looked for, in order: options.importHelper when given (then only there),
// the folder of the binary holding this code, the folder of the running executable, and the
// build's output path compiled in by CMake.
std::vector<std::string> helperCandidates(const std::string& explicitHelper);

// Runs the helper on utf8Path and copies the result into memoryDb (open, empty, with the
// engine's functions registered). shownPath names the file in error messages (cp1252).
void importInto(sqlite3* memoryDb, const std::string& utf8Path, const std::string& shownPath,
                const OpenOptions& options);

}  // namespace native::jetimport
