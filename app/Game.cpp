// The game's entry: start-up, the scene loop and shut-down.
#include "app/Entry.h"
#include "app/Music.h"
#include "app/SceneLoop.h"
#include "app/Video.h"
#include "board/Level.h"
#include "content/Content.h"

int SDL_main(int, char*[]) {
    LoopState state;
    Stage stage;
    stage.screen = initVideo("!#@*");
    if (stage.screen == nullptr) {
        // Nothing can be drawn without a screen: stop here rather than crash in the first frame.
        SDL_Quit();
        return 1;
    }
    stage.titlePicture = loadImage("./img/title.bmp");
    stage.tooth = loadImage("./img/tooth.bmp");
    SDL_Surface* sprites = loadImage("./img/bot.bmp");
    stage.loosePicture = loadImage("./img/loose.bmp");

    initAudio();
    stage.titleTrack = loadMusic("./snd/goof.ogg");
    stage.level1Track = loadMusic("./snd/robot_wars.ogg");
    stage.level2Track = loadMusic("./snd/lurm.ogg");
    stage.endTrack = loadMusic("./snd/down.ogg");
    playMusic(stage.titleTrack);

    Level<15, 13> title(contentTexts[0], dancerPoses, sprites, 15, 13);
    Level<40, 20> level1(contentTexts[1], chainPoses, sprites, 40, 20);
    Level<80, 50> level2(contentTexts[2], chainPoses, sprites, 40, 25);
    Level<40, 25> ragequit(contentTexts[3], chainPoses, sprites, 40, 25);
    SceneBoards boards{title, level1, level2, ragequit};

    while (runFrame(state, stage, boards)) {
    }

    stopMusic();
    Mix_CloseAudio();
    SDL_Quit();
    return 0;
}
