// The game's compiled-in texts: maps, pose patterns and the two pose sets.
#pragma once

constexpr int contentTextCount = 21;

// Entries 0..3 are the maps of title, level1, level2 and ragequit; 4..11 the chain's
// patterns (11 is blank); 12..20 the 20-block figure's patterns.
extern const char* const contentTexts[contentTextCount];

// Nine pattern texts indexed by direction: q w e / a s d / z x c.
using PoseSet = const char* const[9];

extern const PoseSet chainPoses;
extern const PoseSet dancerPoses;
