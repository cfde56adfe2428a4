#include <gtest/gtest.h>

#include "record_bytes.h"
#include "settings/playback_settings.h"

namespace kelvora::test {
namespace {

// Inside a FontStyle.
constexpr std::size_t kSize = 64, kEffect = 76, kEffectColor = 80, kTextColor = 84;
// PlaybackSettings and FullListSettings share everything after the playback's leading reverseOrder field.
constexpr std::size_t kPbRows = 4, kPbSpeed = 8, kPbMargins = 12, kPbHeading = 28, kPbName = 116,
                      kPbOnly = 204;
constexpr std::size_t kFlRows = 0, kFlSpeed = 4, kFlMargins = 8, kFlName = 24, kFlOnly = 112;

Bytes playbackImage() {
    return imageOf(PlaybackSettings{}, serializePlaybackSettings);
}
Bytes fullListImage() {
    return imageOf(FullListSettings{}, serializeFullListSettings);
}

void expectDefaultNameFont(const Bytes& b, std::size_t at) {
    EXPECT_EQ(textAt(b, at, 32), u"楷体");
    EXPECT_TRUE(zeroAfterText(b, at, 32));
    EXPECT_EQ(int32At(b, at + kSize), 18);
    EXPECT_EQ(int32At(b, at + kEffect), 2);
    EXPECT_EQ(bytesAt(b, at + kEffectColor, 4), (std::vector<int>{128, 128, 128, 0}));
    EXPECT_EQ(bytesAt(b, at + kTextColor, 4), (std::vector<int>{255, 255, 128, 0}));
}

TEST(PlaybackSettingsTest, DefaultRecordsHaveTheStoredLayout) {
    const Bytes pb = playbackImage();
    ASSERT_EQ(pb.size(), 208u);
    EXPECT_EQ(int32At(pb, 0), 0);
    EXPECT_EQ(int32At(pb, kPbRows), 3);
    EXPECT_EQ(int32At(pb, kPbSpeed), 18);
    EXPECT_EQ(int32At(pb, kPbMargins + 4), 6);
    EXPECT_EQ(int32At(pb, kPbMargins + 12), 12);
    EXPECT_EQ(textAt(pb, kPbHeading, 32), u"楷体");
    EXPECT_EQ(int32At(pb, kPbHeading + kSize), 24);
    expectDefaultNameFont(pb, kPbName);
    EXPECT_EQ(int32At(pb, kPbOnly), 0);

    const Bytes fl = fullListImage();
    ASSERT_EQ(fl.size(), 116u);
    EXPECT_EQ(int32At(fl, kFlRows), 3);
    EXPECT_EQ(int32At(fl, kFlSpeed), 18);
    EXPECT_EQ(int32At(fl, kFlMargins), 5);
    expectDefaultNameFont(fl, kFlName);
    EXPECT_EQ(int32At(fl, kFlOnly), 0);
}

TEST(PlaybackSettingsTest, EveryFieldSurvivesARoundTrip) {
    PlaybackSettings pb;
    pb.reverseOrder = 9; // flags are taken as stored
    pb.namesPerRow = 5;
    pb.speed = 2;
    pb.margins = {0, 0, 100, 100};
    pb.headingFont = makeFontStyle(u"隶书", 16, false, TextEffect::None, 0, makeColorRef(9, 8, 7));
    pb.nameFont.sizePt = 125;
    pb.namesOnly = 1;
    PlaybackSettings pbBack;
    ASSERT_TRUE(parseImage(imageOf(pb, serializePlaybackSettings), pbBack, parsePlaybackSettings));
    EXPECT_EQ(pbBack, pb);

    FullListSettings fl;
    fl.namesPerRow = 1;
    fl.speed = 50;
    fl.margins = {10, 20, 30, 40};
    fl.nameFont = makeFontStyle(u"新宋体", 40, true, TextEffect::Shadow, 1, 2);
    fl.namesOnly = -1;
    FullListSettings flBack;
    ASSERT_TRUE(parseImage(imageOf(fl, serializeFullListSettings), flBack, parseFullListSettings));
    EXPECT_EQ(flBack, fl);
}

// The same bad values, at each record's own offsets.
struct Poke {
    const char* what;
    std::size_t pbOffset, flOffset;
    std::int32_t value;
};
const Poke kBad[] = {
    {"speed 1", kPbSpeed, kFlSpeed, 1},
    {"speed 51", kPbSpeed, kFlSpeed, 51},
    {"0 names per row", kPbRows, kFlRows, 0},
    {"6 names per row", kPbRows, kFlRows, 6},
    {"name font 15pt", kPbName + kSize, kFlName + kSize, 15},
    {"name font 126pt", kPbName + kSize, kFlName + kSize, 126},
    {"left + right 101", kPbMargins + 8, kFlMargins + 8, 96},
    {"negative margin", kPbMargins + 4, kFlMargins + 4, -1},
};

TEST(PlaybackSettingsTest, OutOfRangeValuesAndWrongLengthsAreRejected) {
    for (const Poke& poke : kBad) {
        Bytes pb = playbackImage();
        putInt32(pb, poke.pbOffset, poke.value);
        PlaybackSettings pbLive;
        pbLive.speed = 33;
        EXPECT_FALSE(parseImage(pb, pbLive, parsePlaybackSettings)) << poke.what;
        EXPECT_EQ(pbLive.speed, 33) << poke.what;

        Bytes fl = fullListImage();
        putInt32(fl, poke.flOffset, poke.value);
        FullListSettings flLive;
        EXPECT_FALSE(parseImage(fl, flLive, parseFullListSettings)) << poke.what;
    }
    for (std::int32_t size : {15, 126}) {
        Bytes pb = playbackImage();
        putInt32(pb, kPbHeading + kSize, size);
        PlaybackSettings s;
        EXPECT_FALSE(parseImage(pb, s, parsePlaybackSettings)) << "heading font " << size;
    }

    Bytes pb = playbackImage();
    Bytes fl = fullListImage();
    PlaybackSettings pbLive;
    FullListSettings flLive;
    pb.push_back(std::byte{0});
    fl.push_back(std::byte{0});
    EXPECT_FALSE(parseImage(pb, pbLive, parsePlaybackSettings));
    EXPECT_FALSE(parseImage(fl, flLive, parseFullListSettings));
    pb.resize(207);
    fl.resize(115);
    EXPECT_FALSE(parseImage(pb, pbLive, parsePlaybackSettings));
    EXPECT_FALSE(parseImage(fl, flLive, parseFullListSettings));
}

TEST(PlaybackSettingsTest, FaceNamesEndInZeroAfterReading) {
    Bytes pb = playbackImage();
    fillText(pb, kPbHeading, 32);
    fillText(pb, kPbName, 32);
    PlaybackSettings s;
    ASSERT_TRUE(parseImage(pb, s, parsePlaybackSettings));
    EXPECT_EQ(fieldText(s.headingFont.faceName).size(), 31u);
    EXPECT_EQ(fieldText(s.nameFont.faceName).size(), 31u);

    Bytes fl = fullListImage();
    fillText(fl, kFlName, 32);
    FullListSettings f;
    ASSERT_TRUE(parseImage(fl, f, parseFullListSettings));
    EXPECT_EQ(fieldText(f.nameFont.faceName).size(), 31u);
}

} // namespace
} // namespace kelvora::test
