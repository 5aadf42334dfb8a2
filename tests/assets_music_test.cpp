// The generated tracks: they load in SDL_mixer, last long enough, sound, never clip, loop cleanly.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string root = ASSET_ROOT;
const char* const tracks[] = {"goof.ogg", "robot_wars.ogg", "lurm.ogg", "down.ogg"};

struct Decoded {
    int channels = 0;
    long rate = 0;
    std::vector<float> left, right;
};

Decoded decode(const std::string& name) {
    Decoded d;
    OggVorbis_File vf;
    if (ov_fopen((root + "/snd/" + name).c_str(), &vf) != 0) return d;
    vorbis_info* vi = ov_info(&vf, -1);
    d.channels = vi->channels;
    d.rate = vi->rate;
    for (;;) {
        float** pcm;
        int section;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n <= 0) break;
        for (long i = 0; i < n; ++i) {
            d.left.push_back(pcm[0][i]);
            d.right.push_back(pcm[d.channels > 1 ? 1 : 0][i]);
        }
    }
    ov_clear(&vf);
    return d;
}

} // namespace

TEST(Music, EveryTrackLoadsInTheMixer) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
    for (const char* name : tracks) {
        Mix_Music* m = Mix_LoadMUS((root + "/snd/" + name).c_str());
        EXPECT_NE(m, nullptr) << name << ": " << Mix_GetError();
        if (m) Mix_FreeMusic(m);
    }
    Mix_CloseAudio();
    SDL_Quit();
}

TEST(Music, TracksAreStereoLoopsOfTheRightLengthAndLoudness) {
    std::vector<Decoded> all;
    for (const char* name : tracks) {
        SCOPED_TRACE(name);
        EXPECT_LT(std::filesystem::file_size(root + "/snd/" + name), 1000000u);
        Decoded d = decode(name);
        ASSERT_EQ(d.channels, 2);
        // The game's device rate: SDL_mixer 1.2 would otherwise resample, coarsely.
        ASSERT_EQ(d.rate, 22050);
        double seconds = static_cast<double>(d.left.size()) / d.rate;
        EXPECT_GE(seconds, 20.0);
        EXPECT_LE(seconds, 60.0);

        double sum = 0, peak = 0;
        for (size_t i = 0; i < d.left.size(); ++i) {
            sum += d.left[i] * d.left[i] + d.right[i] * d.right[i];
            peak = std::max({peak, double(std::abs(d.left[i])), double(std::abs(d.right[i]))});
        }
        double rms = std::sqrt(sum / (2.0 * d.left.size()));
        EXPECT_GT(rms, 0.05) << "too quiet";
        EXPECT_LT(peak, 0.98) << "clips";

        // The loop point: the last sample leads into the first no further than neighbours
        // around it move, so the restart makes no click.
        const size_t n = d.left.size(), span = 2048;
        double motion = 0;
        for (size_t i = 1; i < span; ++i)
            motion += std::abs(d.left[i] - d.left[i - 1]) + std::abs(d.right[i] - d.right[i - 1]) +
                      std::abs(d.left[n - i] - d.left[n - i - 1]) +
                      std::abs(d.right[n - i] - d.right[n - i - 1]);
        motion /= 4.0 * (span - 1);
        EXPECT_LE(std::abs(d.left.front() - d.left.back()), 0.01 + 4 * motion);
        EXPECT_LE(std::abs(d.right.front() - d.right.back()), 0.01 + 4 * motion);
        all.push_back(std::move(d));
    }
    // Four different pieces, not one track copied four times.
    for (size_t a = 0; a < all.size(); ++a)
        for (size_t b = a + 1; b < all.size(); ++b) EXPECT_NE(all[a].left, all[b].left);
}
