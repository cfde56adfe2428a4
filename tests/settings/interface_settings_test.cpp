#include <gtest/gtest.h>

#include "record_bytes.h"
#include "settings/interface_settings.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

// File offsets of the fields the tests poke.
constexpr std::size_t kBackground = 0, kMainTitle = 520, kMainHeight = 1032, kMainMargins = 1036,
                      kMainFont = 1052;
constexpr std::size_t kSubtitle = 1140, kSubHeight = 1652, kSubMargins = 1656, kSubFont = 1672;
constexpr std::size_t kInfoHeight = 1760, kInfoMargins = 1764, kInfoFont = 1780, kScrollSpeed = 1880;
constexpr std::size_t kScrollMargins = 1884, kScrollFont = 1900, kPhotoCaption = 1988, kHideFrom = 2004;
constexpr std::size_t kHideTo = 2008, kPrizeWidth = 2016, kPrizeMargins = 2020;
// Inside a FontStyle.
constexpr std::size_t kSize = 64, kBold = 68, kItalic = 72, kEffect = 76, kEffectColor = 80, kTextColor = 84;

Bytes defaultImage() {
    return imageOf(InterfaceSettings{}, serializeInterfaceSettings);
}

bool parses(const Bytes& bytes) {
    InterfaceSettings s;
    return parseImage(bytes, s, parseInterfaceSettings);
}

TEST(InterfaceSettingsTest, DefaultRecordHasTheStoredLayout) {
    const Bytes b = defaultImage();
    ASSERT_EQ(b.size(), 2036u);
    const struct {
        std::size_t offset, units;
        const char16_t* text;
    } texts[] = {{kBackground, 260, u"贺岁.jpg"}, {kMainTitle, 256, u"青松公司二零一六年终晚会"},
                 {kSubtitle, 256, u"幸运大抽奖"}, {kMainFont, 32, u"黑体"},
                 {kSubFont, 32, u"黑体"},         {kInfoFont, 32, u"仿宋"},
                 {kScrollFont, 32, u"楷体"}};
    for (const auto& t : texts) {
        EXPECT_EQ(textAt(b, t.offset, t.units), t.text) << t.offset;
        EXPECT_TRUE(zeroAfterText(b, t.offset, t.units)) << t.offset;
    }
    // clang-format off
    const std::pair<std::size_t, std::int32_t> ints[] = {
        {kMainHeight, 14}, {kMainMargins + 4, 25}, {kMainFont + kSize, 42}, {kMainFont + kBold, 1},
        {kMainFont + kItalic, 0}, {kMainFont + kEffect, 1}, {kSubHeight, 8}, {kSubMargins + 12, 10},
        {kSubFont + kSize, 24}, {kInfoHeight, 10}, {kInfoMargins + 4, 40}, {kInfoFont + kEffect, 0},
        {kScrollSpeed, 30}, {kScrollMargins + 8, 16}, {kScrollFont + kEffect, 2}, {kPhotoCaption, 1},
        {kHideTo, 1}, {kPrizeWidth, 18}, {kPrizeMargins + 12, 2}};
    // clang-format on
    for (const auto& [offset, value] : ints)
        EXPECT_EQ(int32At(b, offset), value) << "offset " << offset;
    EXPECT_EQ(bytesAt(b, kMainFont + kEffectColor, 4), (std::vector<int>{128, 128, 128, 0}));
    EXPECT_EQ(bytesAt(b, kMainFont + kTextColor, 4), (std::vector<int>{255, 255, 128, 0}));
    EXPECT_TRUE(parses(b));
}

TEST(InterfaceSettingsTest, EveryFieldSurvivesARoundTrip) {
    InterfaceSettings s;
    setField(s.backgroundImage, u"年会.png");
    setField(s.mainTitle, u"主");
    setField(s.subtitle, u"");
    s.mainTitleHeightPct = 50;
    s.subtitleHeightPct = 30;
    s.infoBarHeightPct = 20;
    s.mainTitleMargins = {0, 100, 100, 0};
    s.subtitleFont =
        makeFontStyle(u"宋体", 125, false, TextEffect::Outline, makeColorRef(1, 2, 3), 0x00FFFFFF);
    s.subtitleFont.italic = 1;
    s.infoBarShowPrompt = 1;
    s.scrollSpeed = 60;
    s.scrollFont.sizePt = 5;
    s.photoCrop = 2;
    s.hideDigits = 1;
    s.hideFrom = 3;
    s.hideTo = 7;
    s.prizeImageOnLeft = 1;
    s.prizeImageWidthPct = 0;
    s.prizeImageMargins = {50, 50, 50, 50};

    InterfaceSettings back;
    ASSERT_TRUE(parseImage(imageOf(s, serializeInterfaceSettings), back, parseInterfaceSettings));
    EXPECT_EQ(back, s);
}

TEST(InterfaceSettingsTest, OnlyTheExactLengthIsAccepted) {
    Bytes b = defaultImage();
    b.push_back(std::byte{0});
    EXPECT_FALSE(parses(b)) << "2037 bytes";
    b.resize(2035);
    EXPECT_FALSE(parses(b)) << "2035 bytes";
    EXPECT_FALSE(parses(Bytes{}));
}

TEST(InterfaceSettingsTest, OutOfRangeValuesRejectTheWholeRecord) {
    struct Poke {
        const char* what;
        std::vector<std::pair<std::size_t, std::int32_t>> fields;
    };
    const Poke bad[] = {
        {"bands 50+40+20", {{kMainHeight, 50}, {kSubHeight, 40}, {kInfoHeight, 20}}},
        {"subtitle over what the main title leaves", {{kMainHeight, 70}, {kSubHeight, 31}, {kInfoHeight, 0}}},
        {"negative band", {{kSubHeight, -1}}},
        {"band over 100", {{kMainHeight, 101}}},
        {"scroll speed 0", {{kScrollSpeed, 0}}},
        {"scroll speed 61", {{kScrollSpeed, 61}}},
        {"hideFrom 0", {{kHideFrom, 0}, {kHideTo, 0}}},
        {"hideTo below hideFrom", {{kHideFrom, 5}, {kHideTo, 4}}},
        {"prize image width 101", {{kPrizeWidth, 101}}},
        {"prize image width negative", {{kPrizeWidth, -1}}},
        {"title margins left+right 101", {{kMainMargins, 50}, {kMainMargins + 8, 51}}},
        {"subtitle margin negative", {{kSubMargins + 4, -1}}},
        {"info margins top+bottom 101", {{kInfoMargins + 4, 91}}},
        {"scroll margin over 100", {{kScrollMargins, 101}, {kScrollMargins + 8, 0}}},
        {"prize margins top+bottom 101", {{kPrizeMargins + 4, 99}}},
        {"main font 15pt", {{kMainFont + kSize, 15}}},
        {"subtitle font 126pt", {{kSubFont + kSize, 126}}},
        {"info font 0pt", {{kInfoFont + kSize, 0}}},
    };
    for (const Poke& poke : bad) {
        Bytes b = defaultImage();
        for (const auto& [offset, value] : poke.fields)
            putInt32(b, offset, value);
        InterfaceSettings s;
        resetInterfaceSettings(s);
        s.scrollSpeed = 7; // a live value that a rejected file must not touch
        EXPECT_FALSE(parseImage(b, s, parseInterfaceSettings)) << poke.what;
        EXPECT_EQ(s.scrollSpeed, 7) << poke.what;
    }
}

TEST(InterfaceSettingsTest, UncheckedFieldsAreTakenAsStored) {
    Bytes b = defaultImage();
    putInt32(b, kMainHeight, 50);
    putInt32(b, kSubHeight, 30);
    putInt32(b, kInfoHeight, 20); // exactly the whole window
    putInt32(b, kScrollFont + kSize, 5);
    putInt32(b, kMainFont + kEffect, 7);
    putInt32(b, kPhotoCaption, -3);
    putInt32(b, kHideFrom, 4);
    putInt32(b, kHideTo, 4);
    InterfaceSettings s;
    ASSERT_TRUE(parseImage(b, s, parseInterfaceSettings));
    EXPECT_EQ(s.scrollFont.sizePt, 5);
    EXPECT_EQ(s.mainTitleFont.effect, 7);
    EXPECT_EQ(s.photoCaption, -3);
    EXPECT_EQ(s.hideTo, 4);
}

TEST(InterfaceSettingsTest, EveryTextArrayEndsInZeroAfterReading) {
    Bytes b = defaultImage();
    fillText(b, kBackground, 260);
    fillText(b, kMainTitle, 256);
    fillText(b, kSubtitle, 256);
    for (std::size_t font : {kMainFont, kSubFont, kInfoFont, kScrollFont})
        fillText(b, font, 32);
    InterfaceSettings s;
    ASSERT_TRUE(parseImage(b, s, parseInterfaceSettings));
    EXPECT_EQ(fieldText(s.backgroundImage).size(), 259u);
    EXPECT_EQ(fieldText(s.mainTitle).size(), 255u);
    EXPECT_EQ(fieldText(s.subtitle).size(), 255u);
    for (const FontStyle* font : {&s.mainTitleFont, &s.subtitleFont, &s.infoBarFont, &s.scrollFont})
        EXPECT_EQ(fieldText(font->faceName), std::u16string(31, u'A'));
}

} // namespace
} // namespace kelvora::test
