#pragma once
// The host side of bench_memory (plain g++): the process's memory figures and the sample
// table written for it. Included by the Winelib program, so it names neither Windows nor
// POSIX, and passes no wchar_t or long. Paths are UTF-8 host paths.
#include <cstdint>
#include <string>

namespace memory_bench {

// The process's resident memory now and at its peak, in kB (VmRSS, VmHWM of /proc/self/status).
int64_t residentKb();
int64_t peakResidentKb();
// Size of a file in bytes, -1 when it cannot be read.
int64_t fileSize(const std::string& path);
// Writes the sample survey database with this many rows at path unless a file is there.
void ensureSampleDatabase(const std::string& path, int32_t rows);
// The drive-letter path Wine gives a host path ("Z:\\tmp\\x.db" for "/tmp/x.db").
std::string drivePath(const std::string& unixPath);
// Runs "select * from" the sample table through the engine alone; returns the row count.
int64_t engineReadAll(const std::string& path);

}  // namespace memory_bench
