// How often the exports wait for the disk: once at the end for everything an export wrote, not once per
// picture, which makes thousands of photos crawl onto a USB stick. The program's own files still wait for
// each. This test program counts the calls on their way to the C library.

#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

#include "draw/draw_fixture.h"
#include "records/file_system.h"
#include "records/settings_file.h"
#include "winners/winner_export.h"

namespace {
std::atomic<int> fsyncCalls{0};
std::atomic<int> syncfsCalls{0};

template <class Fn> Fn next(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}
} // namespace

extern "C" int fsync(int fd) {
    ++fsyncCalls;
    static const auto real = next<int (*)(int)>("fsync");
    return real(fd);
}

extern "C" int syncfs(int fd) {
    ++syncfsCalls;
    static const auto real = next<int (*)(int)>("syncfs");
    return real(fd);
}

namespace kelvora::test {
namespace {

class ExportSyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(pictures);
        for (int i = 0; i < 20; ++i) {
            const std::u16string name = u"照片" + std::u16string(1, char16_t(u'a' + i)) + u".jpg";
            std::ofstream(pictures / pathFromText(name), std::ios::binary) << "picture " << i;
            photos.push_back(makeEntrant(name));
        }
    }
    void countFromHere() {
        fsyncCalls = 0;
        syncfsCalls = 0;
    }

    TempDir dir;
    std::filesystem::path pictures = dir.path() / "pictures";
    EntrantList photos;
    ExportCancelFlag cancel;
};

TEST_F(ExportSyncTest, AnExportWaitsForTheDiskOnceAtItsEnd) {
    struct Case {
        const char* what;
        int cancelAfter; // 0: never
    };
    for (const Case& c : {Case{"whole", 0}, Case{"cancelled", 5}}) {
        SCOPED_TRACE(c.what);
        cancel.clear();
        const ExportProgressFn progress = [&](int done, int) {
            if (c.cancelAfter && done == c.cancelAfter)
                cancel.set();
        };

        const std::filesystem::path pool = dir.path() / c.what;
        ASSERT_TRUE(createExportFolder(pool));
        countFromHere();
        const ExportResult notYetWon = exportNotYetWon(photos, pool, {true, pictures}, cancel, progress);
        ASSERT_TRUE(notYetWon.failure) << u8(notYetWon.messageText());
        EXPECT_EQ(notYetWon.done, c.cancelAfter ? c.cancelAfter : 20);
        EXPECT_EQ(syncfsCalls, 1) << "what was written, also up to a cancel, reaches the disk";
        EXPECT_LE(fsyncCalls, 1) << "only the export folder itself";
    }
}

TEST_F(ExportSyncTest, TheProgramsOwnFilesStillWaitForEachCopy) {
    const std::filesystem::path data = dir.path() / "data";
    countFromHere();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(copyIntoDataFolder(pictures / "照片a.jpg", data / ("copy" + std::to_string(i) + ".jpg")));
    EXPECT_EQ(fsyncCalls, 6) << "each file and its folder";
    EXPECT_EQ(syncfsCalls, 0);
}

} // namespace
} // namespace kelvora::test
