// The voices, the sequencer's rendering and its effects.
#include "Music.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <stdexcept>

namespace {

constexpr double pi = 3.14159265358979323846;

// Softens the jump of a naive saw or pulse at its wrap, to keep aliasing out of the top octave.
double polyBlep(double p, double dt) {
    if (p < dt) {
        p /= dt;
        return p + p - p * p - 1.0;
    }
    if (p > 1.0 - dt) {
        p = (p - 1.0) / dt;
        return p * p + p + p + 1.0;
    }
    return 0.0;
}

class Voice {
  public:
    Voice(const Instrument& in, double freq, double held, uint32_t seed)
        : in_(in), freq_(freq), held_(held), noise_(seed | 1u) {
        offLevel_ = envelope(held);
    }

    double length() const { return held_ + in_.release; }

    double next(double t) {
        double env =
            t < held_ ? envelope(t) : offLevel_ * std::exp(-6.9 * (t - held_) / in_.release);
        // The last few milliseconds fade to silence so that no note ends on a step.
        double tail = length() - t;
        if (tail < 0.004) env *= std::max(tail, 0.0) / 0.004;

        double f = freq_;
        if (in_.vibrato > 0)
            f *= std::pow(2.0,
                          in_.vibrato * std::sin(2 * pi * 5.5 * t) * std::min(1.0, t / 0.3) / 1200);
        double s = oscillate(t, f, p1_);
        if (in_.detune != 0)
            s = 0.5 * (s + oscillate(t, f * std::pow(2.0, in_.detune / 1200), p2_));

        if (in_.cutoff > 0) {
            double fc = std::min(in_.cutoff + in_.cutoffEnv * env, sampleRate * 0.45);
            double a = 1.0 - std::exp(-2 * pi * fc / sampleRate);
            lp1_ += a * (s - lp1_);
            lp2_ += a * (lp1_ - lp2_);
            s = lp2_;
        }
        return s * env;
    }

  private:
    double envelope(double t) const {
        if (t < in_.attack) return t / in_.attack;
        return in_.sustain + (1.0 - in_.sustain) * std::exp(-(t - in_.attack) / in_.decay);
    }

    double white() {
        noise_ ^= noise_ << 13;
        noise_ ^= noise_ >> 17;
        noise_ ^= noise_ << 5;
        return noise_ / 2147483648.0 - 1.0;
    }

    double oscillate(double t, double f, double& p) {
        double dt = f / sampleRate, s = 0;
        switch (in_.wave) {
        case Wave::Sine:
            s = std::sin(2 * pi * p);
            break;
        case Wave::Triangle:
            s = 4.0 * std::abs(p - 0.5) - 1.0;
            break;
        case Wave::Saw:
            s = 2.0 * p - 1.0 - polyBlep(p, dt);
            break;
        case Wave::Square:
            s = (p < in_.duty ? 1.0 : -1.0) + polyBlep(p, dt) -
                polyBlep(std::fmod(p + 1.0 - in_.duty, 1.0), dt);
            break;
        case Wave::Fm:
            s = std::sin(2 * pi * p + in_.fmIndex * std::exp(-t / in_.decay) *
                                          std::sin(2 * pi * p * in_.fmRatio));
            break;
        case Wave::Kick:
            // A falling pitch makes the thump.
            dt = (45.0 + 110.0 * std::exp(-t / 0.04)) / sampleRate;
            s = std::sin(2 * pi * p);
            break;
        case Wave::Snare: {
            double n = white();
            s = 0.6 * (n - lastNoise_) * 0.5 +
                0.5 * std::sin(2 * pi * 190 * t) * std::exp(-t / 0.04);
            lastNoise_ = n;
            break;
        }
        case Wave::Hat: {
            double n = white();
            s = 0.5 * (n - 2 * lastNoise_ + lastNoise2_);
            lastNoise2_ = lastNoise_;
            lastNoise_ = n;
            break;
        }
        }
        p += dt;
        p -= std::floor(p);
        return s;
    }

    const Instrument& in_;
    double freq_, held_, offLevel_;
    double p1_ = 0, p2_ = 0.25, lp1_ = 0, lp2_ = 0;
    uint32_t noise_;
    double lastNoise_ = 0, lastNoise2_ = 0;
};

// A Schroeder reverberator: parallel damped combs, then allpasses.
class Reverb {
  public:
    explicit Reverb(int spread) {
        for (int d : {558, 594, 638, 678})
            combs_.push_back({std::vector<double>(d + spread), 0, 0});
        for (int d : {278, 220}) passes_.push_back({std::vector<double>(d + spread), 0, 0});
    }
    double next(double in) {
        double out = 0;
        for (Line& c : combs_) {
            double y = c.buf[c.pos];
            c.store = y * 0.7 + c.store * 0.3;
            c.buf[c.pos] = in + c.store * 0.8;
            c.pos = (c.pos + 1) % c.buf.size();
            out += y;
        }
        out *= 0.25;
        for (Line& a : passes_) {
            double b = a.buf[a.pos];
            double y = b - out;
            a.buf[a.pos] = out + b * 0.5;
            a.pos = (a.pos + 1) % a.buf.size();
            out = y;
        }
        return out;
    }

  private:
    struct Line {
        std::vector<double> buf;
        size_t pos;
        double store;
    };
    std::vector<Line> combs_, passes_;
};

} // namespace

int midiOf(const std::string& pitch) {
    static const int steps[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (pitch.size() < 2 || pitch[0] < 'A' || pitch[0] > 'G')
        throw std::invalid_argument("bad pitch " + pitch);
    int semitone = steps[pitch[0] - 'A'];
    size_t i = 1;
    for (; i < pitch.size() && (pitch[i] == '#' || pitch[i] == 'b'); ++i)
        semitone += pitch[i] == '#' ? 1 : -1;
    return 12 * (std::stoi(pitch.substr(i)) + 1) + semitone;
}

int Song::add(const Instrument& instrument) {
    instruments_.push_back(instrument);
    return static_cast<int>(instruments_.size()) - 1;
}

void Song::note(int instrument, double beat, double length, int midi, double velocity) {
    events_.push_back({beat, length, midi, velocity, instrument});
}

void Song::line(int instrument, double beat, double step, const std::string& steps,
                double velocity) {
    // Bars of unequal length are a slip of the pen that would shift everything after them.
    std::istringstream bars(steps);
    std::string bar;
    long firstBar = -1;
    while (std::getline(bars, bar, '|')) {
        std::istringstream tokens(bar);
        std::string t;
        long count = 0;
        while (tokens >> t) ++count;
        if (firstBar < 0) firstBar = count;
        if (count != firstBar) throw std::invalid_argument("uneven bars in: " + steps);
    }

    std::string spaced = steps;
    std::replace(spaced.begin(), spaced.end(), '|', ' ');
    std::istringstream in(spaced);
    std::string token;
    size_t firstOfLast = events_.size();
    bool holding = false;
    while (in >> token) {
        if (token == ".") {
            if (holding)
                for (size_t i = firstOfLast; i < events_.size(); ++i) events_[i].length += step;
        } else if (token == "-") {
            holding = false;
        } else {
            firstOfLast = events_.size();
            holding = true;
            if (token == "x" || token == "o") {
                note(instrument, beat, step, 60, velocity * (token == "x" ? 1.0 : 0.55));
            } else {
                std::istringstream chord(token);
                std::string pitch;
                while (std::getline(chord, pitch, '+'))
                    note(instrument, beat, step, midiOf(pitch), velocity);
            }
        }
        beat += step;
    }
    if (beat > beats_ + 1e-9) throw std::invalid_argument("line runs past the loop: " + steps);
}

Stereo Song::render() const {
    const int n = length();
    const double spb = samplesPerBeat();
    std::vector<double> dryL(n), dryR(n), echoIn(n), reverbIn(n);

    for (size_t k = 0; k < events_.size(); ++k) {
        const Event& e = events_[k];
        const Instrument& in = instruments_[static_cast<size_t>(e.instrument)];
        double freq = 440.0 * std::pow(2.0, (e.midi - 69) / 12.0);
        Voice v(in, freq, e.length * spb / sampleRate, static_cast<uint32_t>(k + 1) * 2654435761u);
        const long start = std::lround(e.beat * spb);
        const long count = static_cast<long>(std::ceil(v.length() * sampleRate));
        const double angle = (in.pan + 1.0) * pi / 4;
        const double gl = std::cos(angle) * in.gain * e.velocity;
        const double gr = std::sin(angle) * in.gain * e.velocity;
        for (long i = 0; i < count; ++i) {
            double s = v.next(static_cast<double>(i) / sampleRate);
            // Sound past the loop's end wraps to its start, as it would on the next pass.
            size_t at = static_cast<size_t>((start + i) % n);
            dryL[at] += s * gl;
            dryR[at] += s * gr;
            echoIn[at] += s * in.echo * in.gain * e.velocity;
            reverbIn[at] += s * in.reverb * in.gain * e.velocity;
        }
    }

    // The effects run over two passes of the loop; the second pass carries the tails of the
    // first, exactly as a listener hears the loop from its second time on.
    const int d = static_cast<int>(std::lround(echoBeats * spb));
    std::vector<double> echoL(2 * static_cast<size_t>(n)), echoR(echoL.size());
    Reverb reverbL(0), reverbR(11);
    Stereo out;
    out.left.resize(static_cast<size_t>(n));
    out.right.resize(static_cast<size_t>(n));
    double dcInL = 0, dcOutL = 0, dcInR = 0, dcOutR = 0;
    for (size_t i = 0; i < echoL.size(); ++i) {
        size_t at = i % static_cast<size_t>(n);
        if (i >= static_cast<size_t>(d)) {
            size_t back = i - static_cast<size_t>(d);
            echoL[i] = echoIn[back % static_cast<size_t>(n)] + echoFeedback * echoR[back];
            echoR[i] = echoFeedback * echoL[back];
        }
        double rv = reverbIn[at];
        double l = dryL[at] + echoLevel * echoL[i] + reverbLevel * reverbL.next(rv);
        double r = dryR[at] + echoLevel * echoR[i] + reverbLevel * reverbR.next(rv);
        // A DC blocker keeps the waveform centred.
        dcOutL = l - dcInL + 0.995 * dcOutL;
        dcInL = l;
        dcOutR = r - dcInR + 0.995 * dcOutR;
        dcInR = r;
        if (i >= static_cast<size_t>(n)) {
            out.left[at] = static_cast<float>(dcOutL);
            out.right[at] = static_cast<float>(dcOutR);
        }
    }

    double peak = 0, sum = 0;
    for (size_t i = 0; i < out.left.size(); ++i) {
        peak = std::max({peak, std::abs(double(out.left[i])), std::abs(double(out.right[i]))});
        sum += out.left[i] * out.left[i] + out.right[i] * out.right[i];
    }
    double rms = std::sqrt(sum / (2.0 * n));
    // Even loudness across the tracks, with headroom left for the encoder's small overshoots.
    double gain = rms > 0 ? std::min(loudness / rms, 0.8 / peak) : 1.0;
    for (float& s : out.left) s = static_cast<float>(s * gain);
    for (float& s : out.right) s = static_cast<float>(s * gain);
    return out;
}
