// A small sequencer and synthesizer for the game's looping tracks, and their Ogg Vorbis output.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The rate of the game's audio device, so SDL_mixer plays the tracks without resampling.
constexpr int sampleRate = 22050;

struct Stereo {
    std::vector<float> left, right;
};

enum class Wave { Sine, Triangle, Square, Saw, Fm, Kick, Snare, Hat };

struct Instrument {
    Wave wave = Wave::Sine;
    double gain = 0.3;
    double pan = 0.0; // -1 left to 1 right
    // Envelope, in seconds; after the attack the level falls exponentially towards sustain.
    double attack = 0.005, decay = 0.2, sustain = 0.6, release = 0.1;
    double cutoff = 0.0;                 // Hz of a gentle low-pass; 0 for none
    double cutoffEnv = 0.0;              // Hz added to the cutoff, following the envelope
    double detune = 0.0;                 // cents of a second oscillator, for body
    double vibrato = 0.0;                // cents
    double duty = 0.5;                   // pulse width of Square
    double fmRatio = 1.0, fmIndex = 0.0; // Fm: modulator ratio and depth, the depth fading
    double echo = 0.0, reverb = 0.0;     // effect sends
};

class Song {
  public:
    Song(int bpm, int beats) : bpm_(bpm), beats_(beats) {}

    int add(const Instrument& instrument);
    // One note of a MIDI pitch; beats and lengths in beats.
    void note(int instrument, double beat, double length, int midi, double velocity = 1.0);
    // A line of whitespace-separated steps: a pitch ("C4", "F#3", "Bb2") or chord ("C4+E4+G4"),
    // "x" or "o" (a loud or soft hit for drums), "." holding the previous step, "-" a rest; "|"
    // separates bars for the reader and takes no time.
    void line(int instrument, double beat, double step, const std::string& steps,
              double velocity = 1.0);

    double echoBeats = 0.75, echoFeedback = 0.35, echoLevel = 0.5, reverbLevel = 0.6;
    double loudness = 0.14; // target RMS of the finished loop

    // The whole loop; notes and effect tails that run past the end come in again at the start,
    // as they do when the track repeats, so that the loop point is seamless.
    Stereo render() const;
    int samplesPerBeat() const { return sampleRate * 60 / bpm_; }
    int length() const { return beats_ * samplesPerBeat(); }

  private:
    struct Event {
        double beat, length;
        int midi;
        double velocity;
        int instrument;
    };
    int bpm_, beats_;
    std::vector<Instrument> instruments_;
    std::vector<Event> events_;
};

int midiOf(const std::string& pitch);

struct Track {
    std::string file;
    unsigned serial;
    std::function<Stereo()> render;
};

// The four tracks: title, first level, second level, end.
std::vector<Track> allTracks();

// Encodes stereo samples in -1..1 at sampleRate as Ogg Vorbis; false if the file can't be written.
bool writeOgg(const std::string& path, const Stereo& audio, unsigned serial);
