#pragma once
// The host side of bench_strata (plain g++): temporary files, the SQLite copy and the query
// texts the sqlite3 command line is given, and the timed runs of the command line and of the
// engine on a list of statements. Included by the Winelib program, so it names neither
// Windows nor POSIX nor SQLite, and passes no wchar_t or long. Paths are UTF-8 host paths;
// every failure is a std::runtime_error.
#include <cstdint>
#include <string>
#include <vector>

namespace strata_bench {

// Seconds on a monotonic clock.
double nowSeconds();

// This process's CPU seconds so far, in user mode and in the kernel.
struct CpuTimes {
  double user = 0, system = 0;
};
CpuTimes cpuTimes();

// A new folder under the system's temporary folder; removeFolder deletes it with its files
// (one level: the bench writes no subfolders).
std::string makeTempFolder(const std::string& prefix);
void removeFolder(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// Copies table `table` of the database at sourcePath (an Access file or a SQLite file, read
// through the engine) into a new SQLite file at copyPath with the same columns and values,
// whose text columns collate NOCASE, the command line's nearest to the engine's collation.
// Returns the number of rows copied.
int64_t copyTableForCommandLine(const std::string& sourcePath, const std::string& table, const std::string& copyPath);

// The text the command line runs for a statement the engine handed SQLite (UTF-8): the engine's
// collation becomes NOCASE and varp(x) the population variance written with built-in
// aggregates, avg(x*x) - avg(x)*avg(x). Everything else (the ORDER BY the engine added, the
// floating division) stays as the engine wrote it.
std::string commandLineText(const std::string& sqliteUtf8);

// Runs "cli database < script" with the output thrown away and returns its wall time. Fails
// when the command line cannot start or reports an error (the message quotes its first one).
double runCommandLine(const std::string& cli, const std::string& database, const std::string& script);

// Opens the database at path through the engine and runs every statement (Jet dialect; cp1252
// as the program's texts are, or UTF-8 as the command line's are), reading all rows. Returns
// the wall time of the statements alone (the opening, and an Access file's import, not
// counted); failures counts the statements that failed. cpu, when given, receives the CPU
// time of the statements.
double runEngine(const std::string& path, const std::vector<std::string>& statements, bool statementsAreUtf8,
                 int32_t& failures, CpuTimes* cpu = nullptr);

}  // namespace strata_bench
