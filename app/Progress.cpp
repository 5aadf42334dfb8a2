// Progress kept between runs: read and merged under a lock, written whole to a temporary file
// that is renamed over the old one, so a crash leaves one or the other and two games lose nothing.
#include "app/Progress.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

uint64_t levelChecksum(const MapFile& map) {
    return contentChecksum(std::to_string(map.width) + "x" + std::to_string(map.height) +
                           (map.figurePoses ? " figure\n" : " chain\n") + map.rows);
}

std::string progressPath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data) return std::string(data) + "/foldbot/progress";
    const char* home = std::getenv("HOME");
    if (!home || !*home) return "";
    return std::string(home) + "/.local/share/foldbot/progress";
}

bool parseProgress(const std::string& text, std::map<uint64_t, Progress::Entry>& into,
                   std::string& why) {
    bool whole = true;
    size_t start = 0;
    for (int line = 1; start < text.size(); ++line) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string row = text.substr(start, end - start);
        start = end + 1;
        if (row.empty()) continue;
        // 16 hex digits, the steps, then the title, which is only for a person reading it.
        bool ok = row.size() >= 18 && row[16] == ' ';
        for (size_t i = 0; ok && i < 16; ++i)
            ok = std::isxdigit(static_cast<unsigned char>(row[i]));
        size_t i = 17;
        long steps = 0;
        for (; ok && i < row.size() && row[i] != ' '; ++i) {
            ok = row[i] >= '0' && row[i] <= '9' && steps < 100000000;
            steps = steps * 10 + (row[i] - '0');
        }
        ok = ok && i > 17 && steps > 0;
        for (size_t k = i; ok && k < row.size(); ++k)
            ok = static_cast<unsigned char>(row[k]) >= 32 && row[k] != 127;
        if (!ok) {
            if (whole) why = "line " + std::to_string(line) + " cannot be read";
            whole = false;
            continue;
        }
        const uint64_t sum = std::strtoull(row.substr(0, 16).c_str(), nullptr, 16);
        Progress::Entry& e = into[sum];
        if (e.best == 0 || steps < e.best) e.best = static_cast<int32_t>(steps);
        if (i < row.size()) e.title = row.substr(i + 1);
    }
    return whole;
}

void Progress::open(const std::string& path) {
    path_ = path;
    entries_.clear();
    if (path_.empty()) return;
    std::string why;
    // A damaged file is set aside at once, with the lines that could be read written afresh.
    if (!read(entries_, why)) write();
}

int32_t Progress::best(uint64_t level) const {
    const auto at = entries_.find(level);
    return at == entries_.end() ? 0 : at->second.best;
}

void Progress::solved(uint64_t level, int32_t steps, const std::string& title) {
    Entry& e = entries_[level];
    if (e.best == 0 || steps < e.best) e.best = steps;
    e.title = title;
    if (kept()) write();
}

bool Progress::read(std::map<uint64_t, Entry>& into, std::string& why) const {
    struct stat st {};
    if (stat(path_.c_str(), &st) != 0) {
        if (errno == ENOENT) return true;
        why = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        why = "it is not a plain file";
        return false;
    }
    std::FILE* f = std::fopen(path_.c_str(), "rb");
    if (!f) {
        why = std::string("it cannot be read: ") + std::strerror(errno);
        return false;
    }
    std::string text;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        why = "it cannot be read";
        return false;
    }
    return parseProgress(text, into, why);
}

bool Progress::setAside() {
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = path_ + ".damaged" + (n == 1 ? "" : "." + std::to_string(n));
        struct stat st {};
        if (lstat(aside.c_str(), &st) == 0) continue;
        if (std::rename(path_.c_str(), aside.c_str()) == 0) {
            say(path_ + ": kept as " + aside + "; a fresh file is started");
            return true;
        }
        break;
    }
    say(path_ + ": cannot be moved aside (" + std::strerror(errno) +
        "); solved levels are kept for this run only");
    return false;
}

void Progress::say(const std::string& what) {
    if (said_.insert(what).second) std::fprintf(stderr, "foldbot: %s\n", what.c_str());
}

bool Progress::write() {
    const std::string folder = path_.substr(0, path_.rfind('/'));
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const int lock = ::open((path_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) {
        say(path_ + ".lock: " + std::strerror(errno) +
            "; solved levels are kept for this run only");
        if (lock >= 0) close(lock);
        return false;
    }
    // Another game may have written since: its levels are merged in, never written over.
    std::map<uint64_t, Entry> onDisk;
    std::string why;
    bool ok = true;
    if (!read(onDisk, why)) {
        say(path_ + ": " + why);
        ok = setAside();
    }
    for (const auto& [sum, e] : onDisk) {
        Entry& mine = entries_[sum];
        if (mine.best == 0 || e.best < mine.best) mine.best = e.best;
        if (mine.title.empty()) mine.title = e.title;
    }
    std::string text;
    for (const auto& [sum, e] : entries_)
        text += checksumText(sum) + " " + std::to_string(e.best) + " " + e.title + "\n";
    const std::string temporary = path_ + ".tmp." + std::to_string(getpid());
    const bool writing = ok;
    int fd = -1;
    if (ok) {
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ok = fd >= 0;
    }
    for (size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        ok = n > 0 || (n < 0 && errno == EINTR);
        if (n > 0) done += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    if (fd >= 0) ok = close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path_.c_str()) == 0;
    if (!ok && writing) {
        say(path_ + ": cannot be written (" + std::strerror(errno) +
            "); solved levels are kept for this run only");
        unlink(temporary.c_str());
    }
    close(lock);
    return ok;
}
