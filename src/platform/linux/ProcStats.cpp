#include "platform/linux/ProcStats.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <vector>

namespace tavolin::linuxdesktop {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The blank-separated fields of one line.
std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

std::optional<std::uint64_t> Number(std::string_view text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        return std::nullopt;
    return value;
}

// Calls `visit(line)` for each line until it returns true.
template <typename Visit> void ForEachLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (visit(line))
            return;
        if (end == std::string_view::npos)
            return;
        text.remove_prefix(end + 1);
    }
}

// share / whole in percent, rounded down and kept within 0 to 100. Works for counters up to
// 2^64 - 1 (file-max is often LONG_MAX) without overflow.
int PercentOf(std::uint64_t share, std::uint64_t whole) {
    if (share >= whole)
        return 100;
    long double percent =
        100.0L * static_cast<long double>(share) / static_cast<long double>(whole);
    return std::clamp(static_cast<int>(percent), 0, 100);
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (IsBlank(text.front()) || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<CpuTimes> ParseProcStat(std::string_view text) {
    std::optional<CpuTimes> result;
    ForEachLine(text, [&](std::string_view line) {
        std::vector<std::string_view> fields = Fields(line);
        if (fields.empty() || fields[0] != "cpu")
            return false;
        // user nice system idle iowait irq softirq steal guest guest_nice. Guest time is
        // already counted in user and nice, so only the first eight make up the total.
        // Older kernels have fewer fields; at least user, nice, system and idle are needed.
        std::uint64_t values[8] = {};
        std::size_t count = std::min<std::size_t>(fields.size() - 1, 8);
        if (count < 4)
            return true;
        for (std::size_t i = 0; i < count; ++i) {
            std::optional<std::uint64_t> value = Number(fields[i + 1]);
            if (!value)
                return true;
            values[i] = *value;
        }
        CpuTimes times;
        for (std::uint64_t v : values)
            times.total += v;
        std::uint64_t idle = values[3] + values[4];
        times.busy = times.total - std::min(idle, times.total);
        result = times;
        return true;
    });
    return result;
}

int CpuUsagePercent(const CpuTimes& previous, const CpuTimes& current) {
    if (current.total <= previous.total || current.busy < previous.busy)
        return 0;
    std::uint64_t total = current.total - previous.total;
    std::uint64_t busy = current.busy - previous.busy;
    // Round to the nearest percent: the figure is shown as a gauge.
    if (busy >= total)
        return 100;
    return static_cast<int>((busy * 100 + total / 2) / total);
}

std::optional<MemInfo> ParseMemInfo(std::string_view text) {
    std::optional<std::uint64_t> total, available, memFree, buffers, cached;
    ForEachLine(text, [&](std::string_view line) {
        std::vector<std::string_view> fields = Fields(line);
        if (fields.size() < 2)
            return false;
        std::optional<std::uint64_t> value = Number(fields[1]);
        if (!value)
            return false;
        // Values are in kibibytes ("kB"); a line without a unit is a page count or a plain
        // number and not one of ours.
        if (fields.size() < 3 || fields[2] != "kB")
            return false;
        std::uint64_t bytes = *value * 1024;
        if (fields[0] == "MemTotal:")
            total = bytes;
        else if (fields[0] == "MemAvailable:")
            available = bytes;
        else if (fields[0] == "MemFree:")
            memFree = bytes;
        else if (fields[0] == "Buffers:")
            buffers = bytes;
        else if (fields[0] == "Cached:")
            cached = bytes;
        return false;
    });
    if (!total || *total == 0)
        return std::nullopt;
    MemInfo info;
    info.totalBytes = *total;
    if (available) {
        info.availableBytes = *available;
    } else if (memFree) {
        info.availableBytes = *memFree + buffers.value_or(0) + cached.value_or(0);
    } else {
        return std::nullopt;
    }
    info.availableBytes = std::min(info.availableBytes, info.totalBytes);
    return info;
}

std::optional<int> FreeMemoryPercent(const MemInfo& memory) {
    if (memory.totalBytes == 0)
        return std::nullopt;
    return PercentOf(memory.availableBytes, memory.totalBytes);
}

std::optional<int> FreeFileHandlesPercent(std::string_view fileNr) {
    std::vector<std::string_view> fields = Fields(TrimBlanks(fileNr));
    if (fields.size() != 3)
        return std::nullopt;
    std::optional<std::uint64_t> allocated = Number(fields[0]);
    std::optional<std::uint64_t> unused = Number(fields[1]);
    std::optional<std::uint64_t> max = Number(fields[2]);
    if (!allocated || !unused || !max || *max == 0)
        return std::nullopt;
    // Handles allocated but unused are free for the taking.
    std::uint64_t inUse = *allocated - std::min(*unused, *allocated);
    std::uint64_t free = *max - std::min(inUse, *max);
    return PercentOf(free, *max);
}

std::optional<int> FreeTaskSlotsPercent(std::string_view loadAvg, std::string_view pidMax,
                                        std::string_view threadsMax) {
    std::vector<std::string_view> fields = Fields(TrimBlanks(loadAvg));
    if (fields.size() < 4)
        return std::nullopt;
    std::size_t slash = fields[3].find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    std::optional<std::uint64_t> tasks = Number(fields[3].substr(slash + 1));
    std::optional<std::uint64_t> pids = Number(TrimBlanks(pidMax));
    std::optional<std::uint64_t> threads = Number(TrimBlanks(threadsMax));
    if (!tasks || (!pids && !threads))
        return std::nullopt;
    std::uint64_t limit = std::min(pids.value_or(UINT64_MAX), threads.value_or(UINT64_MAX));
    if (limit == 0)
        return std::nullopt;
    return PercentOf(limit - std::min(*tasks, limit), limit);
}

std::optional<std::string> ReadProcFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return text;
}

} // namespace tavolin::linuxdesktop
