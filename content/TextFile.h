// Reading the small text files players hand the game and its tools: maps, demos, key files.
#pragma once

#include <cstddef>
#include <string>

// Files this large are not anything the game writes or a person types.
constexpr size_t textFileLimit = size_t{1} << 20;

// Reads the whole of a regular file of at most `limit` bytes into `bytes`. A folder, a device,
// a pipe or a larger file is refused without reading it, so /dev/zero or a FIFO with no writer
// cannot make the game hang. On failure gives false and "PATH: what is wrong" in `error`.
bool readTextFile(const std::string& path, std::string& bytes, std::string& error,
                  size_t limit = textFileLimit);
