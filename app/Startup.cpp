// The game's start-up, in the order the player's first frame relies on.
#include "app/Startup.h"

#include "app/Music.h"
#include "app/Video.h"

bool startUp(Stage& stage, const ScreenPlan& screen) {
    stage.screen =
        screen.plain() ? initVideo("!#@*") : openScaledScreen("!#@*", screen, stage.window);
    if (stage.screen == nullptr) return false;
    stage.titlePicture = loadImage("./img/title.bmp");
    stage.tooth = loadImage("./img/tooth.bmp");
    stage.sprites = loadImage("./img/bot.bmp");
    stage.loosePicture = loadImage("./img/loose.bmp");

    initAudio();
    stage.titleTrack = loadMusic("./snd/goof.ogg");
    stage.level1Track = loadMusic("./snd/robot_wars.ogg");
    stage.level2Track = loadMusic("./snd/lurm.ogg");
    stage.endTrack = loadMusic("./snd/down.ogg");
    playMusic(stage.titleTrack);
    return true;
}
