// The start-up checks' messages: what is missing and which package brings it.

#include <gtest/gtest.h>

#include <set>

#include "app/startup_checks.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

TEST(StartupChecks, NothingMissingSaysNothing) {
    const auto all = [](std::string_view) { return true; };
    EXPECT_EQ(missingFontsText(u"", all), u"");
    EXPECT_EQ(missingSoundText(all), u"");
}

TEST(StartupChecks, MissingSoundNamesElementsAndEachPackageOnce) {
    const std::set<std::string_view> missing{"mpg123audiodec", "wavparse", "decodebin"};
    const std::u16string text = missingSoundText([&](std::string_view e) { return missing.count(e) == 0; });
    EXPECT_EQ(text, u"缺少播放音乐所需的组件:\ndecodebin\nmpg123audiodec\nwavparse\n\n"
                    u"抽奖可照常进行，但没有音乐。安装方法:\n"
                    u"sudo apt-get install gstreamer1.0-plugins-base gstreamer1.0-plugins-good")
        << u8(text);
}

TEST(StartupChecks, MissingFontsAndAliasFileAreBothReported) {
    const std::u16string text =
        missingFontsText(u"/run/user/0/kelvora-0/kelvora-fonts.conf",
                         [](std::string_view family) { return family != "AR PL UKai CN"; });
    EXPECT_EQ(text, u"字体配置文件加载失败:\n/run/user/0/kelvora-0/kelvora-fonts.conf\n\n"
                    u"黑体、楷体、仿宋等字体名将由系统替换\n\n\n"
                    u"缺少字体:\nAR PL UKai CN\n\n文字将以其它字体显示。安装方法:\nsudo apt-get install "
                    u"fonts-arphic-ukai")
        << u8(text);
}

// fontconfig substitutes a near match for any family it is asked to match; the check must list, not match,
// or it would never find anything missing.
TEST(StartupChecks, FontLookupDoesNotAcceptASubstitute) {
    EXPECT_FALSE(fontFamilyInstalled("Kelvora No Such Family 7f3a"));
    EXPECT_FALSE(soundElementAvailable("kelvoranosuchelement"));
}

} // namespace
} // namespace kelvora::test
