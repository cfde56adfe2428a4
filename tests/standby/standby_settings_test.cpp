// "备用位置.dat": the record that says where this computer mirrors to, read through the settings protocol.

#include <gtest/gtest.h>

#include "record_bytes.h"
#include "standby/standby_settings.h"

namespace kelvora::test {
namespace {

TEST(StandbySettingsTest, OnlyAWholeImageWithAFolderForAMirrorSwitchedOnIsTaken) {
    StandbySettings chosen;
    ASSERT_TRUE(chosen.setFolder("/media/备用盘/晚会"));
    chosen.mirrorOn = 1;
    const Bytes good = imageOf(chosen, serializeStandbySettings);
    ASSERT_EQ(good.size(), StandbySettings::kFileBytes);

    StandbySettings read;
    ASSERT_TRUE(parseImage(good, read, parseStandbySettings));
    EXPECT_EQ(read.folder(), std::filesystem::path("/media/备用盘/晚会"));
    EXPECT_EQ(read.mirrorOn, 1);

    struct Bad {
        const char* what;
        Bytes image;
    };
    StandbySettings nowhere;
    nowhere.mirrorOn = 1;
    Bytes two = good;
    putInt32(two, 0, 2);
    Bytes shorter = good;
    shorter.pop_back();
    const Bad cases[] = {
        {"switched on without a folder", imageOf(nowhere, serializeStandbySettings)},
        {"a switch neither 0 nor 1", two},
        {"one byte short", shorter},
    };
    for (const Bad& c : cases) {
        StandbySettings live = chosen;
        EXPECT_FALSE(parseImage(c.image, live, parseStandbySettings)) << c.what;
        EXPECT_EQ(live.folder(), chosen.folder()) << c.what;
    }

    // A folder whose text fills the field would lose its last unit to the terminator: refused, record kept.
    EXPECT_FALSE(chosen.setFolder(std::string(StandbySettings::kFolderUnits, 'a')));
    EXPECT_EQ(chosen.folder(), std::filesystem::path("/media/备用盘/晚会"));
}

} // namespace
} // namespace kelvora::test
