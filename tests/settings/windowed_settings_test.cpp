#include <gtest/gtest.h>

#include "record_bytes.h"
#include "settings/windowed_settings.h"

namespace kelvora::test {
namespace {

WindowedSettings rect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    WindowedSettings s;
    s.fullScreen = 0;
    s.x = x;
    s.y = y;
    s.width = width;
    s.height = height;
    return s;
}

TEST(WindowedSettingsTest, DefaultRecordIsFiveInts) {
    const Bytes b = imageOf(WindowedSettings{}, serializeWindowedSettings);
    ASSERT_EQ(b.size(), 20u);
    EXPECT_EQ(int32At(b, 0), 1);
    EXPECT_EQ(int32At(b, 4), 0);
    EXPECT_EQ(int32At(b, 8), 0);
    EXPECT_EQ(int32At(b, 12), 640);
    EXPECT_EQ(int32At(b, 16), 480);
}

TEST(WindowedSettingsTest, ClampFitsTheRectangleIntoTheScreen) {
    struct Case {
        const char* what;
        WindowedSettings in;
        int screenWidth, screenHeight;
        WindowedSettings out;
    };
    const Case cases[] = {
        {"larger than the screen", rect(500, 300, 2000, 1000), 1280, 768, rect(0, 0, 1280, 768)},
        {"too small, negative origin", rect(-20, -5, 100, 10), 1280, 768, rect(0, 0, 320, 240)},
        {"inside stays", rect(10, 20, 640, 480), 1280, 768, rect(10, 20, 640, 480)},
        {"past the edge moves back", rect(1000, 700, 640, 480), 1280, 768, rect(640, 288, 640, 480)},
        {"huge values", rect(70000, 70000, 70000, 70000), 100000, 100000, rect(40000, 40000, 60000, 60000)},
        {"screen below the minimum", rect(0, 0, 320, 240), 300, 200, rect(0, 0, 300, 200)},
        {"extreme ints", rect(INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN), 1920, 1080,
         rect(0, 840, 1920, 240)},
    };
    for (const Case& c : cases) {
        WindowedSettings s = c.in;
        clampWindowRect(s, c.screenWidth, c.screenHeight);
        EXPECT_EQ(s, c.out) << c.what << ": " << s.x << "," << s.y << " " << s.width << "x" << s.height;
    }
}

TEST(WindowedSettingsTest, ReadingClampsAndKeepsTheMode) {
    WindowedSettings stored = rect(500, 300, 2000, 1000);
    stored.fullScreen = 7;
    WindowedSettings s;
    ASSERT_TRUE(
        parseImage(imageOf(stored, serializeWindowedSettings), s, [](ByteReader& in, WindowedSettings& out) {
            return parseWindowedSettings(in, out, 1280, 768);
        }));
    WindowedSettings expected = rect(0, 0, 1280, 768);
    expected.fullScreen = 7;
    EXPECT_EQ(s, expected);
}

TEST(WindowedSettingsTest, OnlyTwentyBytesAreAccepted) {
    auto parse = [](ByteReader& in, WindowedSettings& out) {
        return parseWindowedSettings(in, out, 1920, 1080);
    };
    Bytes b = imageOf(rect(1, 2, 400, 300), serializeWindowedSettings);
    b.push_back(std::byte{0});
    WindowedSettings s;
    EXPECT_FALSE(parseImage(b, s, parse)) << "21 bytes";
    b.resize(19);
    EXPECT_FALSE(parseImage(b, s, parse)) << "19 bytes";
    EXPECT_EQ(s, WindowedSettings{}) << "a rejected file leaves the record alone";
}

} // namespace
} // namespace kelvora::test
