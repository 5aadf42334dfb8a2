// What stops a search early: a memory ceiling; and the status line a person at a terminal
// watches meanwhile.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

// Memory the process has actually touched.
inline size_t residentBytes() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    unsigned long long total = 0, resident = 0;
    const int got = std::fscanf(f, "%llu %llu", &total, &resident);
    std::fclose(f);
    return got == 2 ? static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE))
                    : 0;
}

inline uint64_t readNumber(const std::string& path) {
    std::ifstream in(path);
    std::string word;
    if (!(in >> word) || word == "max") return UINT64_MAX;
    return std::strtoull(word.c_str(), nullptr, 10);
}

// The most this process may touch: what the system has available, or what the process's own
// control group still allows it, whichever is smaller, less a margin for everything else.
inline size_t defaultMemoryLimit() {
    uint64_t room = UINT64_MAX;
    std::ifstream info("/proc/meminfo");
    for (std::string key; info >> key;) {
        uint64_t kib = 0;
        info >> kib;
        if (key == "MemAvailable:") room = kib * 1024;
        info.ignore(64, '\n');
    }
    std::ifstream groups("/proc/self/cgroup");
    for (std::string line; std::getline(groups, line);) {
        if (line.rfind("0::", 0) != 0) continue;
        const std::string dir = "/sys/fs/cgroup" + line.substr(3);
        const uint64_t max = readNumber(dir + "/memory.max");
        const uint64_t used = readNumber(dir + "/memory.current");
        if (max != UINT64_MAX && used != UINT64_MAX && max > used)
            room = std::min<uint64_t>(room, max - used + residentBytes());
        else if (max != UINT64_MAX)
            room = std::min<uint64_t>(room, residentBytes());
    }
    rlimit as{};
    if (getrlimit(RLIMIT_AS, &as) == 0 && as.rlim_cur != RLIM_INFINITY)
        room = std::min<uint64_t>(room, as.rlim_cur);
    if (room == UINT64_MAX) room = uint64_t{4} << 30;
    const uint64_t margin = std::max<uint64_t>(uint64_t{64} << 20, room / 10);
    return static_cast<size_t>(room > 2 * margin ? room - margin : room / 2);
}

// "512M", "2G", "1.5GiB", "300000000B": bytes, or 0 when it is no size. A bare number is
// refused: "5" meant as 5 bytes is never what was meant.
inline size_t parseSize(const std::string& text) {
    char* end = nullptr;
    const double n = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !(n > 0) || !std::isfinite(n)) return 0;
    std::string unit(end);
    for (char& c : unit) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    double scale = 1;
    if (unit == "K" || unit == "KB" || unit == "KIB")
        scale = 1024.0;
    else if (unit == "M" || unit == "MB" || unit == "MIB")
        scale = 1024.0 * 1024;
    else if (unit == "G" || unit == "GB" || unit == "GIB")
        scale = 1024.0 * 1024 * 1024;
    else if (unit != "B")
        return 0;
    const double bytes = n * scale;
    if (bytes >= 1e18) return 0;
    return static_cast<size_t>(bytes);
}

inline std::string mebibytes(size_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f MiB", static_cast<double>(bytes) / (1 << 20));
    return text;
}
