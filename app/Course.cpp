// Setting up a run: the maps it plays, read and checked, and what a demo says of it.
#include "app/Course.h"

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

// The pack's readable maps. --level counts every file, so a bad one does not shift the
// numbers of those after it.
bool packOf(Course& course, std::string& error) {
    std::vector<MapFile> pack;
    if (!readPack(packFolder, pack, error)) return false;
    const size_t place = static_cast<size_t>(course.level); // past the pack: refused below
    if (place > 0 && place <= pack.size() && !pack[place - 1].fault.empty())
        return fail(error, "--level " + std::to_string(place) + ": " + pack[place - 1].fault);
    for (size_t k = 0; k < pack.size(); ++k) {
        if (pack[k].fault.empty()) {
            course.maps.push_back(std::move(pack[k]));
            continue;
        }
        course.skipped.push_back(pack[k].fault);
        if (k < place && place <= pack.size()) --course.level;
    }
    return true;
}

} // namespace

bool setUpCourse(const Options& options, const DemoSetup& setup, Course& course,
                 std::string& error) {
    if (!options.replay.empty()) {
        course.practice = setup.practice;
        course.level = setup.level;
        course.chooser = setup.chooser;
        course.counter = setup.counter;
        course.comfort = setup.comfort;
        if (!mapsOfDemo(options, setup, course, error)) return false;
    } else {
        course.practice = options.practice;
        course.level = options.level;
        if (options.pack && !packOf(course, error)) return false;
        for (const std::string& path : options.maps) {
            MapFile map;
            if (!readMapFile(path, map, error)) return false;
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

DemoSetup setupOf(const Course& course) {
    DemoSetup setup;
    setup.practice = course.practice;
    setup.level = course.level;
    setup.chooser = course.chooser;
    setup.counter = course.counter;
    setup.comfort = course.comfort;
    for (const MapFile& map : course.maps)
        setup.maps.push_back({map.path, checksumText(map.checksum)});
    return setup;
}
