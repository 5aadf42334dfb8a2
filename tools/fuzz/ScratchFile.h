// A file of the harness's own, for inputs the game only reads from disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

class ScratchFile {
  public:
    explicit ScratchFile(const char* suffix) {
        const char* tmp = std::getenv("TMPDIR");
        path = std::string(tmp ? tmp : "/tmp") + "/foldbot-" + std::to_string(getpid()) + suffix;
    }
    ~ScratchFile() { std::remove(path.c_str()); }

    // Writes the bytes over the file and gives its path; a harness cannot go on without it.
    const char* write(const uint8_t* data, size_t size) const {
        FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr) std::abort();
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        return path.c_str();
    }

  private:
    std::string path;
};
