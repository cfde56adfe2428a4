// The composer of the built-in music: every piece decodes and lasts what the settings and the guide promise,
// the scroll loops join without a click, and two runs write the same bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kelvora::test {
namespace {

struct Pcm {
    int rate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples; // the first channel
    double seconds() const { return rate ? static_cast<double>(samples.size()) / rate : 0; }
};

std::vector<char> bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), {});
}

std::uint32_t le(const std::vector<char>& b, std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

// A 16-bit PCM WAV file, chunk by chunk; nothing when it is not one.
Pcm readWav(const std::filesystem::path& path) {
    const std::vector<char> b = bytesOf(path);
    Pcm pcm;
    if (b.size() < 12 || std::string(b.data(), 4) != "RIFF" || std::string(b.data() + 8, 4) != "WAVE")
        return pcm;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.data() + at, 4);
        const std::uint32_t size = le(b, at + 4, 4);
        if (id == "fmt ") {
            pcm.channels = static_cast<int>(le(b, at + 10, 2));
            pcm.rate = static_cast<int>(le(b, at + 12, 4));
        } else if (id == "data" && pcm.channels > 0) {
            const std::size_t end = std::min(b.size(), at + 8 + size);
            for (std::size_t i = at + 8; i + 1 < end; i += 2 * static_cast<std::size_t>(pcm.channels))
                pcm.samples.push_back(static_cast<std::int16_t>(le(b, i, 2)));
        }
        at += 8 + size + (size & 1);
    }
    return pcm;
}

bool compose(const std::filesystem::path& folder) {
    const std::string command = std::string("\"") + KELVORA_MUSIC_TOOL + "\" \"" + folder.string() + "\"";
    return std::system(command.c_str()) == 0;
}

struct Promise {
    const char* name;
    double minSeconds;
    double maxSeconds;
    bool loops;
};

const Promise kPieces[] = {
    {"滚动1", 7.5, 8.5, true},  {"滚动2", 6, 16, true},
    {"滚动3", 6, 16, true},     {"中奖1", 3.5, 4.5, false},
    {"中奖2", 3, 5, false},     {"颁奖", 30, 60, true},
    {"星河传说", 30, 60, true}, {"Encore une Fois", 30, 60, true},
};

TEST(MusicTool, EveryPieceHasItsLengthTheLoopsJoinAndTheOutputIsTheSameEachRun) {
    TempDir dir;
    ASSERT_TRUE(compose(dir.path() / "a"));
    ASSERT_TRUE(compose(dir.path() / "b"));
    for (const Promise& piece : kPieces) {
        SCOPED_TRACE(piece.name);
        const std::filesystem::path file = dir.path() / "a" / (std::string(piece.name) + ".wav");
        const Pcm pcm = readWav(file);
        ASSERT_GT(pcm.rate, 0);
        EXPECT_GE(pcm.seconds(), piece.minSeconds);
        EXPECT_LE(pcm.seconds(), piece.maxSeconds);
        EXPECT_EQ(bytesOf(file), bytesOf(dir.path() / "b" / file.filename()));
        // Loud enough to be heard, never clipped.
        const auto [low, high] = std::minmax_element(pcm.samples.begin(), pcm.samples.end());
        EXPECT_GT(std::max(-static_cast<int>(*low), static_cast<int>(*high)), 8000);
        EXPECT_LT(std::max(-static_cast<int>(*low), static_cast<int>(*high)), 32767);
        const auto& s = pcm.samples;
        if (piece.loops) {
            // The seam is no bigger a step than the music takes on either side of it: the loop restarts
            // without a click. (The level may jump there, as it does on any downbeat.)
            const std::size_t window = static_cast<std::size_t>(pcm.rate) / 100; // 10 ms
            int nearbyStep = 0;
            for (std::size_t i = 1; i < window; ++i)
                nearbyStep = std::max(
                    {nearbyStep, std::abs(s[i] - s[i - 1]), std::abs(s[s.size() - i] - s[s.size() - i - 1])});
            EXPECT_LE(std::abs(s.front() - s.back()), nearbyStep) << s.front() << " after " << s.back();
        } else {
            // A fanfare ends in silence rather than being cut off.
            EXPECT_LT(std::abs(s.back()), 200);
        }
    }
}

#ifdef KELVORA_BUILTIN_MUSIC_DIR
// The encoded files the build puts beside the program decode to their promised lengths.
TEST(MusicTool, TheBuiltMp3FilesDecode) {
    TempDir dir;
    for (const Promise& piece : kPieces) {
        SCOPED_TRACE(piece.name);
        const std::filesystem::path mp3 =
            std::filesystem::path(KELVORA_BUILTIN_MUSIC_DIR) / (std::string(piece.name) + ".mp3");
        ASSERT_TRUE(std::filesystem::is_regular_file(mp3));
        const std::filesystem::path wav = dir.path() / "decoded.wav";
        const std::string command =
            "lame --quiet --decode \"" + mp3.string() + "\" \"" + wav.string() + "\" 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const Pcm pcm = readWav(wav);
        EXPECT_GE(pcm.seconds(), piece.minSeconds);
        EXPECT_LE(pcm.seconds(), piece.maxSeconds + 0.1);
    }
}
#endif

} // namespace
} // namespace kelvora::test
