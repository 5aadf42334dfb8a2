// How a run of the game is set up beyond the shipped game from its title: practice keys, the
// level it starts on, and maps played from files; from the command line or from a demo.
#pragma once

#include <string>
#include <vector>

#include "app/Options.h"
#include "app/SceneLoop.h"
#include "content/DemoFile.h"
#include "content/MapFile.h"

// One pack's maps in a course of several: its heading in the chooser and its place.
struct PackSection {
    std::string title;
    int32_t first = 0, count = 0;
};

// How a run is set up beyond the shipped game from its title. It owns the maps' texts, which
// the boards read for the whole run, so it outlives them.
struct Course {
    bool practice = false;
    int level = 0;                    // 1-based start level, skipping the title; 0: the title
    std::vector<MapFile> maps;        // played in order instead of the shipped levels
    std::vector<std::string> skipped; // why each pack map left out cannot be played
    std::string code;                 // the level code the one map was read from; "": files
    bool chooser = false;             // the maps are a pack, chosen from its chooser
    std::vector<PackSection> packs;   // with more than one pack, each one's maps
    int32_t opensOn = 0;              // the pack whose first unsolved level is selected
    int32_t selected = -1;            // a demo's first selection, 0-based; -1: from progress
    bool counter = false;             // the levels show their steps against the shortest
    bool keepProgress = false;        // solved levels are written to the player's progress file
    // Small maps drawn large, Escape that asks, m that mutes, a held undo that repeats: in
    // practice, pack and map runs, and replays of demos that say so.
    bool comfort = false;

    SceneId firstScene() const;
    // The loop as it starts: on the first scene, with the practice keys or without.
    LoopState startState() const;
};

// The course a command line asks for, or, with --replay, the one the demo was recorded with
// (`setup`, read from it). Map files are read here; false, with what is wrong, when one cannot
// be, or when a demo's map is missing or not the file it was.
bool setUpCourse(const Options& options, const DemoSetup& setup, Course& course,
                 std::string& error);

// What a demo of this course says about it, with the chooser opened on level `selected`.
DemoSetup setupOf(const Course& course, int32_t selected = 0);
