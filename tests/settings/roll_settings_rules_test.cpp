// The corrections of the roll dialogs: rows and speed into range, and whatever a dialog hands over is a
// record the file's reader accepts again at the next start (a value the reader refuses would silently bring
// back every default).

#include <gtest/gtest.h>

#include "records/byte_io.h"
#include "settings/roll_settings_rules.h"

namespace kelvora {
namespace {

TEST(RollSettingsRulesTest, NamesPerRowAndSpeedAreCorrectedIntoTheirRanges) {
    EXPECT_EQ(clampRollNamesPerRow(9), 5);
    EXPECT_EQ(clampRollNamesPerRow(0), 1) << "an empty field reads as 0";
    EXPECT_EQ(clampRollNamesPerRow(-4), 1);
    EXPECT_EQ(clampRollNamesPerRow(2147483647), 5) << "a field too large for a number reads as the largest";
    EXPECT_EQ(clampRollNamesPerRow(4), 4);
    EXPECT_EQ(clampRollSpeed(1), 2);
    EXPECT_EQ(clampRollSpeed(51), 50);
    EXPECT_EQ(clampRollSpeed(30), 30);
}

template <class Record>
bool parsesBack(const Record& record, void (*write)(const Record&, ByteWriter&),
                bool (*read)(ByteReader&, Record&)) {
    ByteWriter out;
    write(record, out);
    ByteReader in(out.bytes());
    Record loaded;
    return read(in, loaded) && loaded == record;
}

TEST(RollSettingsRulesTest, EveryCorrectedRecordLoadsAgainUnchanged) {
    PlaybackSettings replay;
    replay.namesPerRow = 0;
    replay.speed = 99;
    replay.margins = Margins{90, 150, 40, -3};
    replay.headingFont.sizePt = 200;
    replay.nameFont.sizePt = 3;
    replay.reverseOrder = 7;
    ASSERT_FALSE(parsesBack(replay, serializePlaybackSettings, parsePlaybackSettings));
    clampPlaybackSettings(replay);
    EXPECT_TRUE(parsesBack(replay, serializePlaybackSettings, parsePlaybackSettings));
    EXPECT_EQ(replay.namesPerRow, 1);
    EXPECT_EQ(replay.speed, 50);
    EXPECT_EQ(replay.margins, (Margins{90, 100, 10, 0})) << "left 90 leaves 10 for the right";
    EXPECT_EQ(replay.headingFont.sizePt, 125);
    EXPECT_EQ(replay.nameFont.sizePt, 16);
    EXPECT_EQ(replay.reverseOrder, 7) << "a flag is kept as given";

    FullListSettings list;
    list.namesPerRow = 6;
    list.speed = 1;
    list.margins = Margins{0, 60, 0, 60};
    list.nameFont.sizePt = 126;
    ASSERT_FALSE(parsesBack(list, serializeFullListSettings, parseFullListSettings));
    clampFullListSettings(list);
    EXPECT_TRUE(parsesBack(list, serializeFullListSettings, parseFullListSettings));
    EXPECT_EQ(list.namesPerRow, 5);
    EXPECT_EQ(list.speed, 2);
    EXPECT_EQ(list.margins.bottom, 40);
    EXPECT_EQ(list.nameFont.sizePt, 125);
}

} // namespace
} // namespace kelvora
