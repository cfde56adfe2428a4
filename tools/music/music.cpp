// kelvora_music <folder>: composes the program's own music and writes it as 16-bit mono WAV files: two scroll
// loops, two winning fanfares and three background tracks. Everything is additive synthesis of a few
// instruments with envelopes, from fixed scores and a fixed noise seed, so that every build writes the same
// bytes. The loops are rendered into a ring: a note that rings past the end continues at the start, so the
// last sample leads into the first without a click.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 32000;
constexpr double kTau = 2 * std::numbers::pi;

double noteHz(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// A track being rendered: a ring of samples when it loops, a plain buffer (notes cut at the end) when not.
class Track {
public:
    Track(double seconds, bool loops)
        : m_samples(static_cast<std::size_t>(seconds * kRate)), m_loops(loops) {}

    void add(std::int64_t index, double value) {
        const auto n = static_cast<std::int64_t>(m_samples.size());
        if (m_loops)
            index = ((index % n) + n) % n;
        else if (index < 0 || index >= n)
            return;
        m_samples[static_cast<std::size_t>(index)] += value;
    }
    std::size_t size() const { return m_samples.size(); }
    double seconds() const { return static_cast<double>(m_samples.size()) / kRate; }

    // Scaled so the loudest sample reaches peak; a non-looping track fades out over its last fadeSeconds.
    std::vector<std::int16_t> finish(double peak, double fadeSeconds) const {
        double most = 1e-9;
        for (double s : m_samples)
            most = std::max(most, std::abs(s));
        std::vector<std::int16_t> out(m_samples.size());
        const double fadeStart = static_cast<double>(m_samples.size()) - fadeSeconds * kRate;
        for (std::size_t i = 0; i < m_samples.size(); ++i) {
            double v = m_samples[i] / most * peak;
            if (!m_loops && fadeSeconds > 0 && static_cast<double>(i) > fadeStart)
                v *= std::max(0.0, 1.0 - (static_cast<double>(i) - fadeStart) / (fadeSeconds * kRate));
            out[i] = static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
        }
        return out;
    }

private:
    std::vector<double> m_samples;
    bool m_loops;
};

// Attack, decay to sustain, hold, release; times in seconds.
struct Envelope {
    double attack;
    double decay;
    double sustain;
    double release;

    double at(double t, double length) const {
        if (t < 0)
            return 0;
        double level;
        if (t < attack)
            level = t / attack;
        else if (t < attack + decay)
            level = 1 - (1 - sustain) * (t - attack) / decay;
        else
            level = sustain;
        if (t > length) {
            const double r = (t - length) / release;
            if (r >= 1)
                return 0;
            // The level the note had when released, fading to nothing.
            level = (length < attack           ? length / attack
                     : length < attack + decay ? 1 - (1 - sustain) * (length - attack) / decay
                                               : sustain) *
                    (1 - r);
        }
        return level;
    }
};

// An instrument: partials (relative amplitudes of the harmonics), detuned voices, a vibrato and an envelope.
struct Instrument {
    std::vector<double> partials;
    Envelope envelope;
    int voices = 1;
    double detuneCents = 0;
    double vibratoHz = 0;
    double vibratoDepth = 0; // in fractions of the frequency
    double partialDecay = 0; // upper partials fade faster: per second, times the partial's number
};

// One period of a sine, looked up with linear interpolation: the synthesis spends its time here.
class SineTable {
public:
    static constexpr int kSize = 4096;
    SineTable() {
        for (int i = 0; i <= kSize; ++i)
            m_values[static_cast<std::size_t>(i)] = std::sin(kTau * i / kSize);
    }
    // phase in cycles, 0 <= phase < 1
    double at(double phase) const {
        const double x = phase * kSize;
        const auto i = static_cast<std::size_t>(x);
        const double f = x - static_cast<double>(i);
        return m_values[i] + (m_values[i + 1] - m_values[i]) * f;
    }

private:
    double m_values[kSize + 1];
};

const SineTable kSine;

void playNote(Track& track, const Instrument& in, double start, double length, int midi, double gain) {
    const double hz = noteHz(midi);
    const double total = length + in.envelope.release;
    const auto first = static_cast<std::int64_t>(start * kRate);
    const auto count = static_cast<std::int64_t>(total * kRate);
    std::size_t partials = 0;
    while (partials < in.partials.size() && hz * static_cast<double>(partials + 1) < kRate / 2.2)
        ++partials;
    std::vector<double> phases(partials);
    std::vector<double> levels(partials);
    std::vector<double> fades(partials);
    for (int v = 0; v < in.voices; ++v) {
        const double cents = in.voices == 1 ? 0 : in.detuneCents * (2.0 * v / (in.voices - 1) - 1);
        const double voiceHz = hz * std::pow(2.0, cents / 1200);
        for (std::size_t p = 0; p < partials; ++p) {
            phases[p] = std::fmod(0.25 * v * static_cast<double>(p + 1), 1.0); // voices do not start in step
            levels[p] = in.partials[p];
            fades[p] = std::exp(-in.partialDecay * static_cast<double>(p + 1) / kRate);
        }
        // The vibrato turns slowly: a sine of it per sample is cheap next to the partials.
        for (std::int64_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double env = in.envelope.at(t, length);
            const double vibrato =
                in.vibratoDepth == 0 ? 1 : 1 + in.vibratoDepth * kSine.at(std::fmod(in.vibratoHz * t, 1.0));
            const double step = voiceHz * vibrato / kRate;
            double s = 0;
            for (std::size_t p = 0; p < partials; ++p) {
                s += levels[p] * kSine.at(phases[p]);
                levels[p] *= fades[p];
                phases[p] += step * static_cast<double>(p + 1);
                while (phases[p] >= 1)
                    phases[p] -= 1;
            }
            track.add(first + i, s * env * gain / in.voices);
        }
    }
}

// Deterministic noise for the drums.
class Noise {
public:
    double next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(m_state >> 11) / static_cast<double>(1ULL << 53) * 2 - 1;
    }

private:
    std::uint64_t m_state = 0x4b656c766f7261ULL;
};

void kick(Track& track, double start, double gain) {
    const auto first = static_cast<std::int64_t>(start * kRate);
    double phase = 0;
    for (int i = 0; i < kRate / 4; ++i) {
        const double t = static_cast<double>(i) / kRate;
        phase += (50 + 110 * std::exp(-t * 30)) / kRate;
        track.add(first + i, std::sin(kTau * phase) * std::exp(-t * 14) * gain);
    }
}

void tick(Track& track, Noise& noise, double start, double gain, double decay) {
    const auto first = static_cast<std::int64_t>(start * kRate);
    double previous = 0;
    for (int i = 0; i < kRate / 8; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double n = noise.next();
        // A crude high pass: the difference of successive noise samples is bright, like a hi-hat.
        track.add(first + i, (n - previous) * 0.5 * std::exp(-t * decay) * gain);
        previous = n;
    }
}

void snare(Track& track, Noise& noise, double start, double gain) {
    const auto first = static_cast<std::int64_t>(start * kRate);
    for (int i = 0; i < kRate / 5; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double body = std::sin(kTau * 190 * t) * std::exp(-t * 25);
        track.add(first + i, (noise.next() * std::exp(-t * 18) * 0.7 + body * 0.5) * gain);
    }
}

const Instrument kPluck{{1, 0.5, 0.3, 0.15, 0.08}, {0.004, 0.12, 0.25, 0.08}, 1, 0, 0, 0, 2.5};
const Instrument kBass{{1, 0.35, 0.12}, {0.01, 0.1, 0.7, 0.06}, 1, 0, 0, 0, 0};
const Instrument kBrass{{1, 0.8, 0.6, 0.45, 0.33, 0.25, 0.18}, {0.045, 0.15, 0.8, 0.25}, 2, 6, 5.5, 0.004, 0};
const Instrument kPad{{1, 0.3, 0.15}, {1.2, 0.8, 0.8, 1.8}, 2, 9, 0.3, 0.002, 0};
const Instrument kBell{{1, 0.0, 0.45, 0.0, 0.2, 0.0, 0.1}, {0.01, 0.4, 0.35, 0.9}, 1, 0, 5, 0.003, 1.2};
const Instrument kFlute{{1, 0.25, 0.1}, {0.08, 0.2, 0.8, 0.3}, 2, 4, 5, 0.005, 0};

// A chord as its MIDI notes, root first.
using Chord = std::vector<int>;

// A lively loop: four-on-the-floor kick, off-beat snare, ticks on every eighth, a bass on the chord roots
// and a sixteenth-note arpeggio over the chords, one chord per bar.
Track scrollLoop(const std::vector<Chord>& chords, double bpm, int barsPerChord, std::uint64_t pattern) {
    const double beat = 60.0 / bpm;
    const int bars = static_cast<int>(chords.size()) * barsPerChord;
    Track track(bars * 4 * beat, true);
    Noise noise;
    for (int bar = 0; bar < bars; ++bar) {
        const Chord& chord = chords[static_cast<std::size_t>(bar / barsPerChord)];
        const double barStart = bar * 4 * beat;
        for (int b = 0; b < 4; ++b) {
            kick(track, barStart + b * beat, 0.9);
            if (b % 2 == 1)
                snare(track, noise, barStart + b * beat, 0.35);
            tick(track, noise, barStart + b * beat + beat / 2, 0.35, 60);
            tick(track, noise, barStart + b * beat, 0.18, 90);
            playNote(track, kBass, barStart + b * beat, beat * 0.45, chord[0] - 24, 0.55);
            playNote(track, kBass, barStart + b * beat + beat / 2, beat * 0.3, chord[0] - 12, 0.35);
        }
        for (int s = 0; s < 16; ++s) {
            // The pattern picks the chord tone of each sixteenth: two bits a step, plus an octave on odd
            // bars.
            const int step =
                static_cast<int>((pattern >> ((s % 16) * 2 % 64)) & 3u) % static_cast<int>(chord.size() + 1);
            const int midi = step < static_cast<int>(chord.size())
                                 ? chord[static_cast<std::size_t>(step)] + 12
                                 : chord[0] + 24;
            playNote(track, kPluck, barStart + s * beat / 4, beat / 5, midi + (bar % 2) * 12 * (s % 8 == 7),
                     0.32);
        }
    }
    return track;
}

// A short fanfare: a pickup of repeated notes, then chords swelling to a held final chord.
Track fanfare(const std::vector<std::pair<double, Chord>>& score, double seconds) {
    Track track(seconds, false);
    Noise noise;
    double at = 0;
    for (std::size_t i = 0; i < score.size(); ++i) {
        const auto& [length, chord] = score[i];
        const bool last = i + 1 == score.size();
        const double held = last ? seconds - at - 0.3 : length * 0.85;
        for (int note : chord)
            playNote(track, kBrass, at, held, note, last ? 0.5 : 0.42);
        playNote(track, kBass, at, held, chord[0] - 12, 0.35);
        if (last) {
            for (int roll = 0; roll < 12; ++roll)
                snare(track, noise, at - 0.36 + roll * 0.03, 0.1 + roll * 0.01);
            kick(track, at, 1.0);
        }
        at += length;
    }
    return track;
}

// A calm piece: pads holding the chords, a soft bass, and a melody on a bell or flute, ending in a fade.
Track calmPiece(const std::vector<Chord>& chords, double barSeconds, int repeats, const Instrument& lead,
                const std::vector<int>& melody, double melodyStep) {
    const double seconds = static_cast<double>(chords.size()) * barSeconds * repeats;
    Track track(seconds, true);
    for (int r = 0; r < repeats; ++r) {
        for (std::size_t c = 0; c < chords.size(); ++c) {
            const double at = (static_cast<double>(r * chords.size() + c)) * barSeconds;
            for (int note : chords[c])
                playNote(track, kPad, at, barSeconds - 0.3, note, 0.22);
            playNote(track, kBass, at, barSeconds * 0.9, chords[c][0] - 12, 0.25);
        }
        // The melody enters on the second pass only, so the piece opens quietly.
        if (r == 0)
            continue;
        const double passStart = static_cast<double>(r * chords.size()) * barSeconds;
        for (std::size_t m = 0; m < melody.size(); ++m) {
            if (melody[m] <= 0)
                continue; // a rest
            std::size_t len = 1;
            while (m + len < melody.size() && melody[m + len] == 0)
                ++len; // a 0 after a note holds it
            playNote(track, lead, passStart + static_cast<double>(m) * melodyStep,
                     static_cast<double>(len) * melodyStep * 0.9, melody[m], 0.3);
        }
    }
    return track;
}

bool writeWav(const std::filesystem::path& path, const std::vector<std::int16_t>& samples) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const auto put32 = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.put(static_cast<char>((v >> (8 * i)) & 0xff));
    };
    const auto put16 = [&out](std::uint16_t v) {
        out.put(static_cast<char>(v & 0xff));
        out.put(static_cast<char>(v >> 8));
    };
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    put32(36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(kRate);
    put32(kRate * 2);
    put16(2);
    put16(16);
    out.write("data", 4);
    put32(bytes);
    for (std::int16_t s : samples)
        put16(static_cast<std::uint16_t>(s));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvora_music <folder>\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    // C major and A minor around middle C (60).
    const Chord C{60, 64, 67}, Am{57, 60, 64}, F{53, 57, 60}, G{55, 59, 62}, Em{52, 55, 59}, Dm{50, 53, 57};
    const Chord D{62, 66, 69}, Bm{59, 62, 66}, A{57, 61, 64}, Gmaj7{55, 59, 62, 66}, Cmaj7{48, 52, 55, 59};
    const Chord Fmaj7{53, 57, 60, 64}, Am7{57, 60, 64, 67}, Dm7{50, 53, 57, 60}, G7{55, 59, 62, 65};

    struct Piece {
        const char* name;
        Track track;
        double fade;
    };
    std::vector<Piece> pieces;
    // 8 s at 120 beats a minute: four bars.
    pieces.push_back({"滚动1", scrollLoop({C, Am, F, G}, 120, 1, 0x1b6c2d39e4a7ULL), 0});
    // 12 s at 140: seven bars would not close; eight bars at 160 make 12 s.
    pieces.push_back({"滚动2", scrollLoop({Am, F, C, G}, 160, 2, 0x9c3e1b72d5a6ULL), 0});
    pieces.push_back({"滚动3", scrollLoop({D, Bm, G, A}, 128, 1, 0x5a9d3c6e1b27ULL), 0});
    pieces.push_back({"中奖1",
                      fanfare({{0.16, {67, 72}},
                               {0.16, {67, 72}},
                               {0.16, {67, 72}},
                               {0.5, {64, 67, 72}},
                               {0.5, {65, 69, 72}},
                               {0.5, {67, 71, 74}},
                               {1.0, {60, 64, 67, 72, 76}}},
                              4.0),
                      1.2});
    pieces.push_back({"中奖2",
                      fanfare({{0.25, {62, 69}},
                               {0.12, {62, 69}},
                               {0.12, {62, 69}},
                               {0.6, {62, 66, 69}},
                               {0.3, {64, 67, 71}},
                               {0.3, {66, 69, 73}},
                               {1.0, {62, 66, 69, 74, 78}}},
                              4.2),
                      1.3});
    // Three calm tracks, each a loop of its own.
    pieces.push_back({"颁奖",
                      calmPiece({Cmaj7, Am7, Fmaj7, G7}, 3.0, 4, kBrass,
                                {72, 0, 74, 76, 0,  0, 77, 76, 74, 0, 72, 0,  69, 0, 71, 72,
                                 0,  0, 74, 0,  79, 0, 77, 76, 74, 0, 0,  71, 72, 0, 0,  0},
                                0.375),
                      0});
    pieces.push_back(
        {"星河传说",
         calmPiece({Am, F, C, G, Am, Dm, Em, Am}, 2.5, 2, kBell,
                   {76, 0, 79, 0,  81, 0, 0, 0, 79, 76, 74, 0, 72, 0, 0,  0, 74, 0, 76, 0, 79, 0, 76, 0,
                    74, 0, 72, 71, 69, 0, 0, 0, 72, 0,  76, 0, 74, 0, 71, 0, 69, 0, 0,  0, 0,  0, 0,  0},
                   0.4166666666666667),
         0});
    pieces.push_back({"Encore une Fois",
                      calmPiece({Dm7, G7, Cmaj7, Am7}, 3.2, 3, kFlute,
                                {74, 0, 72, 0, 69, 0, 0,  0, 71, 0, 72, 74, 76, 0, 0, 0,
                                 77, 0, 76, 0, 74, 0, 72, 0, 71, 0, 0,  0,  72, 0, 0, 0},
                                0.4),
                      0});

    for (const Piece& piece : pieces) {
        const std::filesystem::path path = folder / (std::string(piece.name) + ".wav");
        if (!writeWav(path, piece.track.finish(0.7, piece.fade))) {
            std::fprintf(stderr, "kelvora_music: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
