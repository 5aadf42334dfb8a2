// The generated tracks: they load in SDL_mixer, last long enough, sound, never clip, loop cleanly.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

TEST(Music, TracksLoadAndAreStereoLoopsOfTheRightLengthAndLoudness) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
    std::vector<std::vector<float>> pieces;
    for (const char* name : {"goof.ogg", "robot_wars.ogg", "lurm.ogg", "down.ogg"}) {
        SCOPED_TRACE(name);
        const std::string path = std::string(ASSET_ROOT) + "/snd/" + name;
        Mix_Music* music = Mix_LoadMUS(path.c_str());
        EXPECT_NE(music, nullptr) << Mix_GetError();
        if (music) Mix_FreeMusic(music);

        EXPECT_LT(std::filesystem::file_size(path), 1000000u);
        OggVorbis_File vf;
        ASSERT_EQ(ov_fopen(path.c_str(), &vf), 0);
        ASSERT_EQ(ov_info(&vf, -1)->channels, 2);
        // The game's device rate: SDL_mixer 1.2 would otherwise resample, coarsely.
        ASSERT_EQ(ov_info(&vf, -1)->rate, 22050);
        std::vector<float> left, right;
        float** pcm;
        int section;
        for (long got; (got = ov_read_float(&vf, &pcm, 4096, &section)) > 0;) {
            left.insert(left.end(), pcm[0], pcm[0] + got);
            right.insert(right.end(), pcm[1], pcm[1] + got);
        }
        ov_clear(&vf);
        const size_t n = left.size();
        ASSERT_GE(n, 20u * 22050);
        EXPECT_LE(n, 60u * 22050);

        double sum = 0, peak = 0;
        for (size_t i = 0; i < n; ++i) {
            sum += left[i] * left[i] + right[i] * right[i];
            peak = std::max({peak, double(std::abs(left[i])), double(std::abs(right[i]))});
        }
        EXPECT_GT(std::sqrt(sum / (2.0 * n)), 0.05) << "too quiet";
        EXPECT_LT(peak, 0.98) << "clips";

        // The loop point: the last sample leads into the first no further than neighbours
        // around it move, so the restart makes no click.
        const size_t span = 2048;
        double motion = 0;
        for (size_t i = 1; i < span; ++i)
            motion += std::abs(left[i] - left[i - 1]) + std::abs(right[i] - right[i - 1]) +
                      std::abs(left[n - i] - left[n - i - 1]) +
                      std::abs(right[n - i] - right[n - i - 1]);
        motion /= 4.0 * (span - 1);
        EXPECT_LE(std::abs(left.front() - left.back()), 0.01 + 4 * motion);
        EXPECT_LE(std::abs(right.front() - right.back()), 0.01 + 4 * motion);
        pieces.push_back(std::move(left));
    }
    Mix_CloseAudio();
    SDL_Quit();
    // Four different pieces, not one track copied four times.
    for (size_t a = 0; a < pieces.size(); ++a)
        for (size_t b = a + 1; b < pieces.size(); ++b) EXPECT_TRUE(pieces[a] != pieces[b]);
}
