// Setting up a run: the maps it plays, read and checked, and what a demo says of it.
#include "app/Course.h"

#include <algorithm>

#include "content/LevelCode.h"

SceneId Course::firstScene() const {
    if (chooser && level == 0 && !maps.empty()) return chooserScene;
    if (!maps.empty()) return firstMapScene + (level > 0 ? level - 1 : 0);
    return level > 0 ? level1Scene + level - 1 : titleScene;
}

LoopState Course::startState() const {
    LoopState state;
    state.scene = firstScene();
    state.practice = practice;
    state.chooser = chooser;
    state.comfort = comfort;
    return state;
}

namespace {

bool fail(std::string& error, const std::string& what) {
    error = what;
    return false;
}

// The maps a demo was recorded with: those given again with --map, else the files it names,
// looked for as named and then beside the demo. Each must be the very file it was.
bool mapsOfDemo(const Options& options, const DemoSetup& setup, Course& course,
                std::string& error) {
    const std::string& demo = options.replay;
    if (!options.maps.empty() && setup.maps.empty())
        return fail(error, demo + ": the demo was recorded without --map; replay it without");
    if (!options.maps.empty() && options.maps.size() != setup.maps.size())
        return fail(error, demo + ": the demo was recorded with " +
                               std::to_string(setup.maps.size()) +
                               (setup.maps.size() == 1 ? " map, not " : " maps, not ") +
                               std::to_string(options.maps.size()));
    const size_t slash = demo.rfind('/');
    const std::string beside = slash == std::string::npos ? "" : demo.substr(0, slash + 1);
    for (size_t k = 0; k < setup.maps.size(); ++k) {
        const DemoSetup::Map& want = setup.maps[k];
        MapFile map;
        std::string why;
        bool read = false;
        if (!options.maps.empty()) {
            if (!readMapFile(options.maps[k], map, why)) return fail(error, why);
            read = true;
        } else {
            read = readMapFile(want.name, map, why);
            const std::string base = want.name.substr(want.name.rfind('/') + 1);
            std::string besideWhy;
            if (!read && !beside.empty()) read = readMapFile(beside + base, map, besideWhy);
        }
        if (!read)
            return fail(error, demo + ": the map \"" + want.name +
                                   "\" it was recorded with cannot be read (" + why +
                                   "); give it with --map");
        if (map.formerChecksum != 0 && checksumText(map.formerChecksum) == want.checksum)
            return fail(error, demo + ": the map " + map.path + " was " +
                                   std::to_string(map.formerWidth) + " x " +
                                   std::to_string(map.formerHeight) +
                                   " when the demo was recorded, its trailing blanks counted; "
                                   "it is " +
                                   std::to_string(map.width) + " x " + std::to_string(map.height) +
                                   " now, so the demo would not play the same");
        if (checksumText(map.checksum) != want.checksum)
            return fail(error, demo + ": the map " + map.path +
                                   " is not the one the demo was recorded with (it has changed "
                                   "since)");
        course.maps.push_back(std::move(map));
    }
    return true;
}

// One pack's readable maps, after those of the packs before it. --level counts every file, so
// a bad one does not shift the numbers of those after it.
bool addPack(const std::string& name, int level, Course& course, std::string& error) {
    std::vector<MapFile> pack;
    if (!readPack(packFolderOf(name), pack, error)) return false;
    const size_t place = static_cast<size_t>(level);
    if (place > pack.size())
        return fail(error,
                    "--level " + std::to_string(place) + ": there " +
                        (pack.size() == 1 ? "is 1 level"
                                          : "are " + std::to_string(pack.size()) + " levels") +
                        " in the " + (name.empty() ? "" : name + " ") + "pack (see --help)");
    if (place > 0 && !pack[place - 1].fault.empty())
        return fail(error, "--level " + std::to_string(place) + ": " + pack[place - 1].fault);
    const int32_t first = static_cast<int32_t>(course.maps.size());
    int32_t at = static_cast<int32_t>(place);
    for (size_t k = 0; k < pack.size(); ++k) {
        if (pack[k].fault.empty()) {
            course.maps.push_back(std::move(pack[k]));
            continue;
        }
        course.skipped.push_back(pack[k].fault);
        if (k < place) --at;
    }
    if (place > 0) course.level = first + at;
    course.packs.push_back(
        {packTitle(name), first, static_cast<int32_t>(course.maps.size()) - first});
    return true;
}

// Every pack, in one chooser: the first, then those in its folder. Only the one asked for must
// be readable; another that cannot be is left out, and said so.
bool packsOf(const Options& options, Course& course, std::string& error) {
    const std::vector<std::string> names = packNames();
    const auto asked = std::find(names.begin(), names.end(), options.packName);
    if (asked == names.end()) {
        std::string known;
        for (size_t k = 1; k < names.size(); ++k) known += (k > 1 ? ", " : "") + names[k];
        return fail(error, "--pack " + options.packName + ": there is no such pack in " +
                               packFolder + "/" +
                               (known.empty() ? "" : " (there is " + known + ")"));
    }
    course.level = 0;
    for (const std::string& name : names) {
        const bool chosen = name == options.packName;
        if (chosen) course.opensOn = static_cast<int32_t>(course.packs.size());
        std::string why;
        if (addPack(name, chosen ? options.level : 0, course, why)) continue;
        if (chosen) return fail(error, why);
        course.skipped.push_back(why);
    }
    return true;
}

// In a replay, the packs are told apart by the folders the demo names.
void packsByName(const DemoSetup& setup, Course& course) {
    for (size_t k = 0; k < setup.maps.size(); ++k) {
        const std::string title = packTitle(packNameOf(setup.maps[k].name));
        if (course.packs.empty() || course.packs.back().title != title)
            course.packs.push_back({title, static_cast<int32_t>(k), 0});
        ++course.packs.back().count;
    }
}

} // namespace

bool setUpCourse(const Options& options, const DemoSetup& setup, Course& course,
                 std::string& error) {
    if (!options.replay.empty()) {
        course.practice = setup.practice;
        course.level = setup.level;
        course.chooser = setup.chooser;
        course.counter = setup.counter;
        course.selected = setup.selected > 0 ? setup.selected - 1 : 0;
        course.code = setup.code;
        course.comfort = setup.comfort;
        if (!mapsOfDemo(options, setup, course, error)) return false;
        if (course.chooser) packsByName(setup, course);
        MapFile map;
        if (!course.code.empty() && !decodeLevel(course.code, map, error))
            return fail(error, options.replay + ": " + error);
        if (!course.code.empty()) course.maps.push_back(std::move(map));
    } else {
        course.practice = options.practice;
        course.level = options.level;
        course.code = options.code;
        if (options.pack && !packsOf(options, course, error)) return false;
        for (const std::string& path : options.maps) {
            MapFile map;
            if (!readMapFile(path, map, error)) return false;
            course.maps.push_back(std::move(map));
        }
        if (!course.code.empty()) {
            MapFile map;
            if (!decodeLevel(course.code, map, error)) return false;
            course.maps.push_back(std::move(map));
        }
        course.chooser = options.pack;
        course.counter = !course.maps.empty() || options.practice;
        course.keepProgress = !course.maps.empty() && !options.walkthrough;
        course.comfort = options.practice || !course.maps.empty();
    }
    const size_t levels = course.maps.empty() ? 2 : course.maps.size() + course.skipped.size();
    if (course.level < 0 || static_cast<size_t>(course.level) > levels)
        return fail(error,
                    (options.replay.empty() ? "--level " : options.replay + ": level ") +
                        std::to_string(course.level) + ": there " +
                        (levels == 1 ? "is 1 level" : "are " + std::to_string(levels) + " levels") +
                        (options.pack ? " in the pack" : "") +
                        (options.replay.empty() ? " (see --help)" : ""));
    for (const MapFile& map : course.maps)
        if (!options.record.empty() && map.path.find_first_of("\r\n") != std::string::npos)
            return fail(error, "a map whose name holds a line end cannot be named in a demo");
    return true;
}

DemoSetup setupOf(const Course& course, int32_t selected) {
    DemoSetup setup;
    setup.practice = course.practice;
    setup.level = course.level;
    setup.chooser = course.chooser;
    setup.selected = course.chooser ? selected + 1 : 0;
    setup.counter = course.counter;
    setup.comfort = course.comfort;
    setup.code = course.code;
    if (!setup.code.empty()) return setup;
    for (const MapFile& map : course.maps)
        setup.maps.push_back({map.path, checksumText(map.checksum)});
    return setup;
}
