#include <gtest/gtest.h>

#include "record_bytes.h"
#include "settings/music_settings.h"

namespace kelvora::test {
namespace {

constexpr std::size_t kNames[] = {8, 528, 1048, 1568, 2088};
constexpr std::size_t kVolume = 2608;

Bytes defaultImage() {
    return imageOf(MusicSettings{}, serializeMusicSettings);
}

TEST(MusicSettingsTest, DefaultRecordHasTheStoredLayout) {
    const Bytes b = defaultImage();
    ASSERT_EQ(b.size(), 2612u);
    EXPECT_EQ(int32At(b, 0), 1);
    EXPECT_EQ(int32At(b, 4), 1);
    const char16_t* names[] = {u"滚动1.mp3", u"中奖1.mp3", u"颁奖.mp3", u"星河传说.mp3",
                               u"Encore une Fois.mp3"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(textAt(b, kNames[i], 260), names[i]);
        EXPECT_TRUE(zeroAfterText(b, kNames[i], 260));
    }
    EXPECT_EQ(int32At(b, kVolume), 80);
}

TEST(MusicSettingsTest, EveryFieldSurvivesARoundTrip) {
    MusicSettings s;
    s.scrollMusicOn = 0;
    s.winMusicOn = 5; // switches are taken as stored
    setField(s.scrollMusicFile, u"");
    setField(s.winMusicFile, u"a.wav");
    setField(s.backgroundFile1, std::u16string(259, u'音'));
    setField(s.backgroundFile2, u"x");
    setField(s.backgroundFile3, u"y");
    s.volume = 25;
    MusicSettings back;
    ASSERT_TRUE(parseImage(imageOf(s, serializeMusicSettings), back, parseMusicSettings));
    EXPECT_EQ(back, s);
}

TEST(MusicSettingsTest, VolumeAndLengthAreChecked) {
    for (std::int32_t volume : {24, 101, -80, 0}) {
        Bytes b = defaultImage();
        putInt32(b, kVolume, volume);
        MusicSettings s;
        s.volume = 60;
        EXPECT_FALSE(parseImage(b, s, parseMusicSettings)) << volume;
        EXPECT_EQ(s.volume, 60) << "a rejected file leaves the record alone";
    }
    for (std::int32_t volume : {25, 100}) {
        Bytes b = defaultImage();
        putInt32(b, kVolume, volume);
        MusicSettings s;
        EXPECT_TRUE(parseImage(b, s, parseMusicSettings)) << volume;
        EXPECT_EQ(s.volume, volume);
    }
    Bytes b = defaultImage();
    b.push_back(std::byte{0});
    MusicSettings s;
    EXPECT_FALSE(parseImage(b, s, parseMusicSettings)) << "2613 bytes";
    b.resize(2611);
    EXPECT_FALSE(parseImage(b, s, parseMusicSettings)) << "2611 bytes";
}

TEST(MusicSettingsTest, EveryNameEndsInZeroAfterReading) {
    Bytes b = defaultImage();
    for (std::size_t offset : kNames)
        fillText(b, offset, 260);
    MusicSettings s;
    ASSERT_TRUE(parseImage(b, s, parseMusicSettings));
    for (const auto* name :
         {&s.scrollMusicFile, &s.winMusicFile, &s.backgroundFile1, &s.backgroundFile2, &s.backgroundFile3})
        EXPECT_EQ(fieldText(*name).size(), 259u);
}

} // namespace
} // namespace kelvora::test
