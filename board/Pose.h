// A 6 x 6 pose pattern parsed into pattern cells, and the arithmetic that lays it on a map.
#pragma once

#include <cstdint>

constexpr int patternSize = 36;
constexpr int maxParts = 20;

// Label of entry i: "1" to "9", then "A" to "K".
inline char labelOf(int i) {
    return static_cast<char>(i < 9 ? '1' + i : 'A' + (i - 9));
}

// Stops at the end of a short text: whatever lies past it reads as blank.
inline int findLabel(const char* pattern, char label) {
    if (!pattern) return -1;
    for (int k = 0; k < patternSize && pattern[k] != '\0'; ++k)
        if (pattern[k] == label) return k;
    return -1;
}
inline int patternColumn(int k) {
    return k % 6;
}
inline int patternRow(int k) {
    return k / 6;
}

struct Pose {
    int32_t cellX[maxParts] = {};
    int32_t cellY[maxParts] = {};
    int32_t labelCount = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int32_t active = 0;

    // Entries end at the first missing label: labels after a gap are never used.
    void parse(const char* pattern) {
        labelCount = 0;
        while (labelCount < maxParts) {
            const int k = findLabel(pattern, labelOf(labelCount));
            if (k == -1) return;
            cellX[labelCount] = patternColumn(k);
            cellY[labelCount] = patternRow(k);
            ++labelCount;
        }
        resetPlacement();
    }
    void resetPlacement() {
        offsetX = 0;
        offsetY = 0;
        active = labelCount;
    }
    bool useFirst(int32_t n) {
        if (labelCount < n) return false;
        active = n;
        return true;
    }
    // Entry 0 is always present when anchoring: useFirst has accepted a non-empty robot.
    void anchorAt(int32_t x, int32_t y) {
        offsetX = x - cellX[0];
        offsetY = y - cellY[0];
    }
    int32_t placedX(int32_t i) const { return cellX[i] + offsetX; }
    int32_t placedY(int32_t i) const { return cellY[i] + offsetY; }
    int32_t activeCount() const { return active; }
};
