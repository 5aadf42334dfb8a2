// Writes the game's pictures and tracks under ./img and ./snd of the working directory.
#include "Music.h"
#include "Pictures.h"

#include <SDL_ttf.h>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#ifndef FOLDBOT_FONT
#define FOLDBOT_FONT "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
#endif

int main() {
    const std::string font = FOLDBOT_FONT;
    std::error_code ec;
    std::filesystem::create_directories("img", ec);
    std::filesystem::create_directories("snd", ec);

    if (ttfText(font, 12, "x").w == 0) {
        std::fprintf(stderr, "cannot render with the font %s\n", font.c_str());
        return 1;
    }
    bool ok =
        drawTitle(font).saveBmp("./img/title.bmp") && drawTooth().saveBmp("./img/tooth.bmp") &&
        drawSpriteSheet().saveBmp("./img/bot.bmp") && drawLoose(font).saveBmp("./img/loose.bmp") &&
        drawGlyphs().saveBmp("./img/glyphs.bmp");
    TTF_Quit();
    if (!ok) {
        std::fprintf(stderr, "cannot write the pictures under ./img\n");
        return 1;
    }
    try {
        for (const Track& t : allTracks()) {
            std::string path = "./snd/" + t.file;
            if (!writeOgg(path, t.render(), t.serial)) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot compose the music: %s\n", e.what());
        return 1;
    }
    return 0;
}
