// The four compositions: title, first level, second level and end.
#include "Music.h"

namespace {

// A voice by its wave, level and envelope; anything else is set where it differs.
Instrument makeVoice(Wave wave, double gain, double attack, double decay, double sustain,
                     double release) {
    Instrument i;
    i.wave = wave;
    i.gain = gain;
    i.attack = attack;
    i.decay = decay;
    i.sustain = sustain;
    i.release = release;
    return i;
}

Instrument kick(double gain) {
    Instrument i = makeVoice(Wave::Kick, gain, 0.001, 0.12, 0.0, 0.08);
    return i;
}

Instrument snare(double gain) {
    Instrument i = makeVoice(Wave::Snare, gain, 0.001, 0.07, 0.0, 0.06);
    i.cutoff = 6000;
    i.reverb = 0.5;
    return i;
}

Instrument hat(double gain, double pan) {
    Instrument i = makeVoice(Wave::Hat, gain, 0.001, 0.025, 0.0, 0.02);
    i.pan = pan;
    i.cutoff = 7000; // takes the fizz off the top octave
    return i;
}

// Light and playful, in C major: a bouncing bass, a chirpy pulse tune and off-beat chords.
Stereo goof() {
    Song s(126, 64);
    s.echoBeats = 0.75;

    Instrument bass = makeVoice(Wave::Triangle, 0.55, 0.005, 0.15, 0.3, 0.05);
    int b = s.add(bass);

    Instrument lead = makeVoice(Wave::Square, 0.16, 0.005, 0.12, 0.45, 0.08);
    lead.duty = 0.25;
    lead.pan = 0.15;
    lead.cutoff = 2600;
    lead.cutoffEnv = 2500;
    lead.vibrato = 12;
    lead.echo = 0.35;
    lead.reverb = 0.3;
    int l = s.add(lead);

    Instrument stab = makeVoice(Wave::Fm, 0.07, 0.005, 0.12, 0.0, 0.1);
    stab.fmRatio = 4.0;
    stab.fmIndex = 1.5;
    stab.pan = -0.35;
    stab.reverb = 0.4;
    int c = s.add(stab);

    int k = s.add(kick(0.6));
    int sn = s.add(snare(0.22));
    int h = s.add(hat(0.12, 0.3));

    // Bass and chords, one bar per step, in eighths.
    const char* roots[] = {"C", "A", "F", "G", "C", "A", "D", "C",
                           "F", "G", "E", "A", "F", "G", "C", "G"};
    const char* chords[] = {"C4+E4+G4", "A3+C4+E4", "F3+A3+C4", "G3+B3+D4", "C4+E4+G4", "A3+C4+E4",
                            "D4+F4+A3", "C4+E4+G4", "F3+A3+C4", "G3+B3+D4", "E3+G3+B3", "A3+C4+E4",
                            "F3+A3+C4", "G3+B3+D4", "C4+E4+G4", "G3+B3+F4"};
    for (int bar = 0; bar < 16; ++bar) {
        std::string r = roots[bar];
        std::string low = r + (r == "C" || r == "D" || r == "E" ? "3" : "2");
        int lowMidi = midiOf(low);
        double at = bar * 4.0;
        // Bar 7 turns to G halfway.
        int second = bar == 6 ? midiOf("G2") : lowMidi;
        s.note(b, at, 0.5, lowMidi);
        s.note(b, at + 1, 0.5, lowMidi + 12, 0.8);
        s.note(b, at + 2, 0.5, second + (bar == 6 ? 0 : 7));
        s.note(b, at + 3, 0.5, second + 12, 0.8);
        s.note(b, at + 3.5, 0.5, second + 7, 0.6);
        std::string ch = chords[bar];
        s.line(c, at, 0.5, "- " + ch + " - " + ch + " - " + ch + " - " + ch);
    }

    s.line(
        l, 0, 0.5,
        "G4 C5 E5 G5 - E5 C5 - | A4 C5 E5 A5 - G5 E5 - | F5 . A5 . G5 F5 E5 D5 | D5 . G5 . B4 . - "
        "- |"
        "G4 C5 E5 G5 - E5 C5 E5 | A5 . G5 E5 C5 - A4 - | D5 F5 A5 . B4 D5 G5 . | C5 . G4 . C5 - - "
        "- |"
        "A5 . G5 A5 C6 . A5 - | B5 . A5 B5 D6 . B5 - | G5 . E5 G5 B5 . G5 - | A5 . . G5 E5 . C5 - |"
        "F5 A5 C6 A5 F5 A5 C6 A5 | G5 B5 D6 B5 G5 B5 D6 B5 | E6 . D6 C6 G5 . E5 C5 | D5 . E5 . F5 "
        ". B4 -");

    for (int bar = 0; bar < 16; ++bar) {
        double at = bar * 4.0;
        s.line(k, at, 1, bar % 4 == 3 ? "x - x o" : "x - x -");
        s.line(sn, at, 1, "- x - x");
        s.line(h, at, 0.5, "o x o x o x o x");
    }
    return s.render();
}

// Driving, in A minor: pumping saw bass, four on the floor, a riff and then a heroic lead.
Stereo robotWars() {
    Song s(140, 64);
    s.echoBeats = 0.75;
    s.loudness = 0.15;

    Instrument bass = makeVoice(Wave::Saw, 0.42, 0.005, 0.1, 0.4, 0.04);
    bass.cutoff = 380;
    bass.cutoffEnv = 1500;
    bass.detune = 7;
    int b = s.add(bass);

    Instrument riff = makeVoice(Wave::Saw, 0.1, 0.005, 0.08, 0.1, 0.05);
    riff.pan = -0.3;
    riff.cutoff = 900;
    riff.cutoffEnv = 2600;
    riff.echo = 0.4;
    int r = s.add(riff);

    Instrument lead = makeVoice(Wave::Square, 0.15, 0.005, 0.3, 0.7, 0.12);
    lead.pan = 0.2;
    lead.cutoff = 2200;
    lead.cutoffEnv = 1500;
    lead.detune = 9;
    lead.vibrato = 18;
    lead.echo = 0.3;
    lead.reverb = 0.35;
    int l = s.add(lead);

    Instrument power = makeVoice(Wave::Saw, 0.07, 0.02, 0.6, 0.5, 0.3);
    power.cutoff = 1200;
    power.detune = 12;
    power.reverb = 0.5;
    int p = s.add(power);

    int k = s.add(kick(0.9));
    int sn = s.add(snare(0.3));
    int h = s.add(hat(0.1, 0.35));

    const char* roots[] = {"A", "A", "F", "G", "A", "A", "F", "E",
                           "F", "G", "A", "A", "F", "G", "E", "E"};
    const char* arps[] = {"A4 E5 A5 E5", "A4 E5 A5 E5", "F4 C5 F5 C5",  "G4 D5 G5 D5",
                          "A4 E5 A5 E5", "A4 E5 C6 E5", "F4 C5 A5 C5",  "E4 B4 G#5 B4",
                          "F4 C5 F5 C5", "G4 D5 G5 D5", "A4 E5 A5 E5",  "A4 E5 C6 E5",
                          "F4 C5 A5 C5", "G4 D5 B5 D5", "E4 B4 G#5 B4", "E4 B4 E5 G#5"};
    for (int bar = 0; bar < 16; ++bar) {
        double at = bar * 4.0;
        std::string r2 = std::string(roots[bar]) + "2", r3 = std::string(roots[bar]) + "3";
        s.line(b, at, 0.5,
               r2 + " " + r2 + " " + r3 + " " + r2 + " " + r2 + " " + r2 + " " + r3 + " " + r2);
        std::string a = arps[bar];
        s.line(r, at, 0.25, a + " " + a + " " + a + " " + a, bar < 8 ? 1.0 : 0.6);
        s.line(k, at, 1, "x x x x");
        s.line(sn, at, 1, bar % 8 == 7 ? "- x - x" : "- x - x");
        s.line(h, at, 0.25, "o o x o o o x o o o x o o o x x");
        if (bar >= 8) s.note(p, at, 3.5, midiOf(r3));
        if (bar >= 8) s.note(p, at, 3.5, midiOf(r3) + 7);
    }
    // A snare fill leads back round.
    s.line(sn, 62, 0.25, "x o x o x x x x", 0.8);

    s.line(
        l, 32, 0.5,
        "A5 . . C6 . A5 G5 F5 | G5 . . D5 . G5 A5 B5 | C6 . B5 A5 . E5 . . | A5 . G5 A5 . C6 . B5 |"
        "A5 . . F5 . A5 C6 . | B5 . . G5 . D6 . C6 | B5 . . G#5 . E5 . G#5 | B5 . . . - E5 G#5 B5");
    return s.render();
}

// Tense and mysterious, in D phrygian: slow dark pads, a heartbeat, ticking and far bells.
Stereo lurm() {
    Song s(90, 48);
    s.echoBeats = 1.5;
    s.echoFeedback = 0.45;
    s.reverbLevel = 0.8;
    s.loudness = 0.12;

    Instrument pad = makeVoice(Wave::Saw, 0.09, 1.2, 2.0, 0.8, 1.4);
    pad.cutoff = 520;
    pad.cutoffEnv = 300;
    pad.detune = 14;
    pad.reverb = 0.6;
    int p = s.add(pad);

    Instrument drone = makeVoice(Wave::Sine, 0.35, 0.4, 1.0, 0.8, 0.8);
    int d = s.add(drone);

    Instrument beat = makeVoice(Wave::Kick, 0.55, 0.002, 0.14, 0, 0.1);
    beat.cutoff = 300;
    int hb = s.add(beat);

    Instrument bell = makeVoice(Wave::Fm, 0.12, 0.003, 0.9, 0.0, 0.6);
    // A low, inharmonic ratio keeps the bell's partials below the Nyquist frequency.
    bell.fmRatio = 1.41;
    bell.fmIndex = 2.0;
    bell.pan = 0.3;
    bell.echo = 0.6;
    bell.reverb = 0.6;
    int be = s.add(bell);

    int tick = s.add(hat(0.06, -0.4));

    const char* pads[] = {"D3+A3+F4",  "Eb3+Bb3+G4", "D3+A3+F4",  "Eb3+Bb3+G4",
                          "G3+D4+Bb4", "Eb3+Bb3+G4", "Bb2+F3+D4", "A2+E3+C#4",
                          "D3+A3+F4",  "Eb3+Bb3+G4", "G3+D4+Bb4", "A2+E3+C#4"};
    const char* lows[] = {"D2",  "Eb2", "D2", "Eb2", "G1", "Eb2",
                          "Bb1", "A1",  "D2", "Eb2", "G1", "A1"};
    for (int bar = 0; bar < 12; ++bar) {
        double at = bar * 4.0;
        s.line(p, at, 4, pads[bar]);
        s.note(d, at, 3.6, midiOf(lows[bar]));
        s.line(hb, at, 1.0 / 3, "x o - - - - - - - - - -", 0.9);
        // Ticks in threes against the four beats keep the ear uneasy.
        s.line(tick, at, 0.5, "x o o x o o x o");
    }
    s.line(
        be, 0, 0.5,
        "D5 . . . A5 . . . | Bb5 . . G5 . . Eb5 . | D5 . F5 . A5 . . . | Eb6 . . . D6 . . . |"
        "Bb5 . . D6 . . . . | G5 . . . Eb5 . . . | F5 . . . D5 . . . | E5 . . C#5 . . A4 . |"
        "D5 . . . A5 . . . | Eb5 . G5 . Bb5 . D6 . | G5 . . Bb5 . . . . | A5 . G5 . F5 . E5 C#5");
    return s.render();
}

// Slow and falling, in A minor: a lament bass stepping down, descending arpeggios and tune.
Stereo down() {
    Song s(70, 48);
    s.echoBeats = 0.75;
    s.echoFeedback = 0.4;
    s.reverbLevel = 0.8;
    s.loudness = 0.11;

    Instrument bass = makeVoice(Wave::Triangle, 0.45, 0.05, 1.5, 0.5, 0.6);
    bass.cutoff = 500;
    int b = s.add(bass);

    Instrument pad = makeVoice(Wave::Triangle, 0.1, 0.8, 2.0, 0.7, 1.2);
    pad.detune = 10;
    pad.reverb = 0.6;
    int p = s.add(pad);

    Instrument piano = makeVoice(Wave::Fm, 0.12, 0.004, 0.7, 0.0, 0.4);
    piano.fmRatio = 1.0;
    piano.fmIndex = 1.6;
    piano.pan = -0.25;
    piano.echo = 0.3;
    piano.reverb = 0.5;
    int pi = s.add(piano);

    Instrument voice = makeVoice(Wave::Sine, 0.2, 0.08, 0.8, 0.6, 0.5);
    voice.pan = 0.2;
    voice.vibrato = 14;
    voice.detune = 3;
    voice.echo = 0.4;
    voice.reverb = 0.6;
    int v = s.add(voice);

    const char* lows[] = {"A2", "G#2", "G2", "F#2", "F2", "E2", "D2", "C2", "B1", "E2", "F2", "E2"};
    const char* pads[] = {"A3+C4+E4", "G#3+B3+E4", "G3+C4+E4", "F#3+A3+D4",
                          "F3+A3+C4", "E3+G#3+B3", "D3+F3+A3", "C3+E3+A3",
                          "B2+D3+F3", "E3+G#3+B3", "F3+A3+C4", "E3+G#3+D4"};
    const char* arps[] = {"E5 C5 A4 E4", "E5 B4 G#4 E4", "E5 C5 G4 E4", "D5 A4 F#4 D4",
                          "C5 A4 F4 C4", "B4 G#4 E4 B3", "A4 F4 D4 A3", "A4 E4 C4 A3",
                          "F4 D4 B3 F3", "B4 G#4 E4 B3", "C5 A4 F4 C4", "D5 B4 G#4 E4"};
    for (int bar = 0; bar < 12; ++bar) {
        double at = bar * 4.0;
        s.note(b, at, 3.8, midiOf(lows[bar]));
        s.line(p, at, 4, pads[bar]);
        std::string a = arps[bar];
        s.line(pi, at, 0.5, a + " " + a, 0.9);
    }
    s.line(v, 0, 1,
           "E5 . D5 C5 | B4 . . - | C5 B4 A4 G4 | A4 . F#4 . | C5 A4 G4 F4 | B4 . G#4 . |"
           "F5 E5 D5 A4 | C5 . B4 A4 | D5 C5 B4 . | G#4 . E4 . | A4 G4 F4 E4 | E4 . . -");
    return s.render();
}

} // namespace

std::vector<Track> allTracks() {
    return {{"goof.ogg", 0x464f4f46u, goof},
            {"robot_wars.ogg", 0x57415253u, robotWars},
            {"lurm.ogg", 0x4c55524du, lurm},
            {"down.ogg", 0x444f574eu, down}};
}
