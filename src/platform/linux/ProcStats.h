#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavolin::linuxdesktop {

// Readers of the kernel's figures under /proc. The parsers take the files' text, so they
// can be fed any reading; a text that does not have the expected shape gives nothing.

// The processor time counters of the first "cpu" line of /proc/stat, in clock ticks.
// `busy` is everything but idle and waiting for input/output.
struct CpuTimes {
    std::uint64_t total = 0;
    std::uint64_t busy = 0;
};
std::optional<CpuTimes> ParseProcStat(std::string_view text);

// The busy share of the time between two readings, 0 to 100. Counters that did not move
// (or went backwards, as after a counter reset) give 0.
int CpuUsagePercent(const CpuTimes& previous, const CpuTimes& current);

// Physical memory from /proc/meminfo. Without "MemAvailable" (kernels before 3.14) the
// available memory is estimated as MemFree + Buffers + Cached.
struct MemInfo {
    std::uint64_t totalBytes = 0;
    std::uint64_t availableBytes = 0;
};
std::optional<MemInfo> ParseMemInfo(std::string_view text);

// Free share of physical memory, 0 to 100.
std::optional<int> FreeMemoryPercent(const MemInfo& memory);

// Free share of kernel file handles from /proc/sys/fs/file-nr ("allocated unused max").
std::optional<int> FreeFileHandlesPercent(std::string_view fileNr);

// Free share of task slots: the task count of /proc/loadavg (fourth field,
// "running/total") against the smaller of /proc/sys/kernel/pid_max and threads-max.
std::optional<int> FreeTaskSlotsPercent(std::string_view loadAvg, std::string_view pidMax,
                                        std::string_view threadsMax);

// The whole text of a /proc file (their sizes read as 0, so this reads to the end), or
// nothing when it cannot be read.
std::optional<std::string> ReadProcFile(const std::string& path);

} // namespace tavolin::linuxdesktop
