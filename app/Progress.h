// The levels a player has solved, with their fewest steps, kept between runs in a plain text
// file, one line a level: "CHECKSUM STEPS TITLE".
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "content/MapFile.h"

// Of the parsed level, not the file's bytes: a header edit, CRLF or a BOM keep its progress.
uint64_t levelChecksum(const MapFile& map);

// "$XDG_DATA_HOME/foldbot/progress", or under ~/.local/share when that is unset or empty; ""
// when neither is known.
std::string progressPath();

class Progress {
  public:
    struct Entry {
        int32_t best = 0;
        std::string title;
    };

    // Nothing is read or written until opened: replays and tests keep none.
    void open(const std::string& path);
    bool kept() const { return !path_.empty(); }

    // The fewest steps recorded for the level, or 0 when it is not solved.
    int32_t best(uint64_t level) const;
    // Takes a solve; with a file, merges it in under the lock and writes it whole. Allocates, so
    // only at a goal.
    void solved(uint64_t level, int32_t steps, const std::string& title);

    const std::map<uint64_t, Entry>& entries() const { return entries_; }

  private:
    // Reads the file into `into`; false when it is damaged, with what is wrong in `why`.
    bool read(std::map<uint64_t, Entry>& into, std::string& why) const;
    bool write();
    // Moves a damaged file out of the way, keeping it; false when it cannot.
    bool setAside();
    void say(const std::string& what);

    std::string path_;
    std::map<uint64_t, Entry> entries_;
    std::set<std::string> said_;
};

// Each level of a progress text merged into `into`, the fewer steps winning; false when a line
// cannot be read, with its number in `why` (the good lines are still taken).
bool parseProgress(const std::string& text, std::map<uint64_t, Progress::Entry>& into,
                   std::string& why);
