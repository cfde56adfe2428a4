#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "image/photo_import.h"
#include "image/picture_file.h"
#include "picture_fixtures.h"
#include "records/file_system.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class PhotoImportTest : public ::testing::Test {
protected:
    PhotoImportTest() : paths(dir.path()) { fs::create_directories(source); }

    // A grey picture of that size: a plain fill is cheap to encode even at 4000 x 3000.
    static void writePicture(const fs::path& path, int width, int height, const char* format = "png") {
        QImage image(width, height, QImage::Format_Grayscale8);
        image.fill(100);
        test::writeWithQt(path, image, format);
    }

    PhotoImportResult run(const fs::path& from, int shrinkSize = kDefaultShrinkSize) {
        return importPhotos(paths, PhotoImportRequest{from, shrinkSize}, noCancel, {});
    }

    // The import as the editor runs it: import into the staging folder, then let it take the folder's place.
    PhotoImportOutcome reimport(const fs::path& from) { return finishPhotoImport(paths, list, run(from)); }

    std::vector<std::string> sortedNames() const {
        std::vector<std::string> names = test::namesOf(list.entries);
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::pair<int, int> sizeOf(const fs::path& path) {
        PictureFile picture;
        EXPECT_TRUE(picture.loadPicture(path)) << path << " " << test::u8(picture.errorText());
        return {picture.width(), picture.height()};
    }

    test::TempDir dir;
    DataPaths paths;
    fs::path source = dir.path() / "photos";
    std::atomic<bool> noCancel{false};
    PictureNameList list;
};

TEST_F(PhotoImportTest, ShapesOfThePhotosGiveTheRatioAndLargePhotosAreShrunk) {
    // Landscape 4:3 only: copies 650 wide, ratio 650/487.
    writePicture(source / "a.jpg", 4000, 3000, "jpeg");
    writePicture(source / "b.png", 4000, 3000);
    PhotoImportOutcome outcome = reimport(source);
    EXPECT_TRUE(outcome.errorText.empty()) << test::u8(outcome.errorText);
    EXPECT_EQ(sortedNames(), (std::vector<std::string>{"a.jpg", "b.png"}));
    EXPECT_EQ(sizeOf(paths.pictureFolder / "a.jpg"), std::make_pair(650, 487));
    EXPECT_EQ(sizeOf(paths.pictureFolder / "b.png"), std::make_pair(650, 487));
    EXPECT_NEAR(list.aspectRatio, 4.0 / 3.0, 0.01);
    for (const Entrant& e : list.entries) {
        EXPECT_EQ(e.nameKey, computeNameKey(e.text()));
        EXPECT_EQ(e.winOrder, 0);
    }

    // Portrait 3:4 only; the earlier copies go with the re-import from elsewhere.
    fs::remove_all(source);
    fs::create_directories(source);
    writePicture(source / "p.png", 3000, 4000);
    reimport(source);
    EXPECT_EQ(sortedNames(), (std::vector<std::string>{"p.png"}));
    EXPECT_FALSE(fs::exists(paths.pictureFolder / "a.jpg"));
    EXPECT_EQ(sizeOf(paths.pictureFolder / "p.png"), std::make_pair(487, 650));
    EXPECT_NEAR(list.aspectRatio, 0.75, 0.01);

    // One 2:1 and one 1:2: (2 + 1) / (1 + 2).
    fs::remove(source / "p.png");
    writePicture(source / "wide.png", 800, 400);
    writePicture(source / "tall.png", 400, 800);
    reimport(source);
    EXPECT_EQ(list.entries.size(), 2u);
    EXPECT_DOUBLE_EQ(list.aspectRatio, 1.0);

    // Beyond the layouts' range the ratio is clamped.
    fs::remove(source / "tall.png");
    writePicture(source / "banner.png", 1000, 100);
    reimport(source);
    EXPECT_DOUBLE_EQ(list.aspectRatio, kMaxAspectRatio);
}

TEST_F(PhotoImportTest, SmallPhotosAreReencodedUnshrunkAndIconsCopiedAsTheyAre) {
    QImage small(500, 400, QImage::Format_RGB32);
    small.fill(Qt::darkCyan);
    test::writeWithQt(source / "small.jpg", small, "jpeg", 100); // the copy is written at the codec's quality
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    test::writeWithQt(source / "icon.ICO", icon, "ico");

    const PhotoImportOutcome outcome = reimport(source);
    ASSERT_TRUE(outcome.errorText.empty()) << test::u8(outcome.errorText);
    EXPECT_EQ(sortedNames(), (std::vector<std::string>{"icon.ICO", "small.jpg"}));
    EXPECT_EQ(sizeOf(paths.pictureFolder / "small.jpg"), std::make_pair(500, 400));
    EXPECT_TRUE(fileBytes(paths.pictureFolder / "small.jpg") != fileBytes(source / "small.jpg"));
    EXPECT_TRUE(fileBytes(paths.pictureFolder / "icon.ICO") == fileBytes(source / "icon.ICO"));
    EXPECT_DOUBLE_EQ(list.aspectRatio, (1.25 + 1) / (1 + 1));
}

TEST_F(PhotoImportTest, HiddenPicturesAreReportedAndOtherFilesIgnored) {
    writePicture(source / "a.png", 40, 30);
    writePicture(source / "B.JpG", 40, 30, "jpeg");
    writePicture(source / ".hidden.jpg", 40, 30, "jpeg");
    writePicture(source / ".jpg", 40, 30, "jpeg");
    fs::copy_file(source / "a.png", source / "notes.txt");
    fs::create_directories(source / "folder.png");

    int lastDone = -1;
    int lastTotal = -1;
    PhotoImportResult result =
        importPhotos(paths, PhotoImportRequest{source, 650}, noCancel, [&](int done, int total) {
            EXPECT_GE(done, lastDone);
            lastDone = done;
            lastTotal = total;
        });
    EXPECT_EQ(lastDone, 2);
    EXPECT_EQ(lastTotal, 2); // hidden files are no work of the bar's
    const PhotoImportOutcome outcome = applyPhotoImport(list, result);
    EXPECT_EQ(sortedNames(), (std::vector<std::string>{"B.JpG", "a.png"}));
    EXPECT_EQ(outcome.hiddenCount, 2);
    const std::string hidden = test::u8(outcome.hiddenText);
    EXPECT_TRUE(hidden == ".hidden.jpg\r\n.jpg\r\n" || hidden == ".jpg\r\n.hidden.jpg\r\n") << hidden;
    EXPECT_FALSE(fs::exists(result.stagingFolder / ".hidden.jpg"));
    EXPECT_FALSE(fs::exists(result.stagingFolder / "notes.txt"));
}

TEST_F(PhotoImportTest, ReimportNeverDeletesThePhotosItReads) {
    fs::create_directories(paths.pictureFolder / "sub");
    writePicture(paths.pictureFolder / "old.png", 40, 30);
    writePicture(paths.pictureFolder / "sub" / "inner.png", 40, 30);
    list.entries = {makeEntrant(u"old.png")};
    ASSERT_TRUE(savePictureNameList(paths, list));

    // The picture folder itself: its files stay and are imported again.
    reimport(paths.pictureFolder);
    EXPECT_EQ(sortedNames(), (std::vector<std::string>{"old.png"}));
    EXPECT_TRUE(fs::exists(paths.pictureFolder / "old.png"));
    EXPECT_TRUE(fs::exists(paths.pictureListFile));

    // A folder inside it, the folder by another spelling, and a link to it.
    const fs::path link = dir.path() / "link";
    fs::create_directory_symlink(paths.pictureFolder, link);
    for (const fs::path& from :
         {paths.pictureFolder / "sub", paths.pictureFolder / "sub" / ".." / "", link, link / "sub"}) {
        EXPECT_TRUE(sourceInsidePictureFolder(paths, from)) << from;
        reimport(from);
        EXPECT_TRUE(fs::exists(paths.pictureFolder / "sub" / "inner.png")) << from;
        EXPECT_TRUE(fs::exists(paths.pictureFolder / "old.png")) << from;
        EXPECT_FALSE(list.entries.empty()) << from;
    }

    // Only from elsewhere does the folder go, the list file with it.
    writePicture(source / "new.png", 40, 30);
    EXPECT_FALSE(sourceInsidePictureFolder(paths, source));
    EXPECT_FALSE(sourceInsidePictureFolder(paths, paths.settingsFolder)); // holds the folder, is not in it
    reimport(source);
    EXPECT_EQ(sortedNames(), (std::vector<std::string>{"new.png"}));
    EXPECT_FALSE(fs::exists(paths.pictureFolder / "old.png"));
    EXPECT_FALSE(fs::exists(paths.pictureFolder / "sub"));
    EXPECT_FALSE(fs::exists(paths.pictureListFile));
}

TEST_F(PhotoImportTest, TheFirstFailingPictureStopsTheImport) {
    for (const char* name : {"a.png", "b.png", "c.png", "d.png"})
        writePicture(source / name, 40, 30);
    test::writeBytes(source / "bad.png", QByteArray("no picture at all"));
    // The files before the bad one in the order the folder lists them are all that is imported.
    std::vector<std::string> before;
    for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
        if (entry.path().filename() == "bad.png")
            break;
        before.push_back(entry.path().filename().string());
    }
    std::sort(before.begin(), before.end());

    PhotoImportResult result = run(source);
    EXPECT_EQ(test::u8(result.errorText),
              "图片加载失败:\n" + (source / "bad.png").string() + "\n\n" + test::u8(kPictureInvalidText));
    std::vector<std::string> imported = test::namesOf(result.entries);
    std::sort(imported.begin(), imported.end());
    EXPECT_EQ(imported, before);

    // A name too long for an entrant.
    fs::remove_all(source);
    fs::create_directories(source);
    const std::string longName = std::string(124, 'n') + ".png"; // 128 units
    writePicture(source / longName, 40, 30);
    EXPECT_EQ(test::u8(run(source).errorText), "文件名限127个字符:\n" + longName);

    // No staging folder can be made, because a file stands where the data folders' parent should be.
    test::writeBytes(dir.path() / "blocker", QByteArray("x"));
    const DataPaths blocked(dir.path() / "blocker" / "root");
    const std::string created =
        test::u8(importPhotos(blocked, PhotoImportRequest{source, 650}, noCancel, {}).errorText);
    EXPECT_EQ(created.rfind("文件夹创建失败:\n", 0), 0u) << created;
}

// Whatever stops a re-import, the photos and the list from before are all still there, and nothing of the
// import is left behind.
TEST_F(PhotoImportTest, AReimportThatDoesNotSucceedKeepsEveryEarlierPhotoAndTheList) {
    writePicture(source / "old1.png", 40, 30);
    writePicture(source / "old2.png", 30, 40);
    ASSERT_TRUE(reimport(source).errorText.empty());
    ASSERT_TRUE(savePictureNameList(paths, list));
    const PictureNameList before = list;
    const std::string oldBytes = fileBytes(paths.pictureFolder / "old1.png");

    const fs::path empty = dir.path() / "empty";
    fs::create_directories(empty);
    const fs::path withBad = dir.path() / "bad";
    fs::create_directories(withBad);
    test::writeBytes(withBad / "bad.png", QByteArray("no picture at all"));
    const fs::path many = dir.path() / "many";
    fs::create_directories(many);
    for (const char* name : {"a.png", "b.png"})
        writePicture(many / name, 40, 30);
    struct Case {
        const char* what;
        fs::path from;
        bool cancel;
        std::string message; // how the message starts; empty for none
    };
    const std::vector<Case> cases{
        {"a mistyped folder", dir.path() / "phtos", false,
         "图片文件夹不存在或无法打开:\n" + (dir.path() / "phtos").string() + "\n\n"},
        {"a folder without pictures", empty, false, "图片文件夹中没有可导入的图片:\n" + empty.string()},
        {"a picture that does not load", withBad, false, "图片加载失败:\n"},
        {"a cancel", many, true, ""},
    };
    for (const Case& c : cases) {
        std::atomic<bool> cancel{c.cancel};
        const PhotoImportOutcome outcome =
            finishPhotoImport(paths, list, importPhotos(paths, PhotoImportRequest{c.from, 650}, cancel, {}));
        const std::string message = test::u8(outcome.errorText);
        EXPECT_EQ(message.rfind(c.message, 0), 0u) << c.what << ": " << message;
        EXPECT_EQ(c.message.empty(), message.empty()) << c.what;
        EXPECT_EQ(test::namesOf(list.entries), test::namesOf(before.entries)) << c.what;
        EXPECT_EQ(list.aspectRatio, before.aspectRatio) << c.what;
        EXPECT_EQ(fileBytes(paths.pictureFolder / "old1.png"), oldBytes) << c.what;
        EXPECT_TRUE(fs::exists(paths.pictureFolder / "old2.png")) << c.what;
        EXPECT_TRUE(fs::exists(paths.pictureListFile)) << c.what;
        std::vector<std::string> settings;
        for (const fs::directory_entry& entry : fs::directory_iterator(paths.settingsFolder))
            settings.push_back(entry.path().filename().string());
        EXPECT_EQ(settings, std::vector<std::string>{"图片名单"}) << c.what << ": a staging folder is left";
    }

    // A staging folder that a crash left behind goes with the next import.
    fs::create_directories(paths.settingsFolder / "图片名单.导入中-abc123" / "x.png");
    ASSERT_TRUE(reimport(many).errorText.empty());
    EXPECT_FALSE(fs::exists(paths.settingsFolder / "图片名单.导入中-abc123"));
    EXPECT_EQ(sortedNames(), (std::vector<std::string>{"a.png", "b.png"}));
    EXPECT_FALSE(fs::exists(paths.pictureFolder / "old1.png"));
}

TEST_F(PhotoImportTest, CancelStopsTheImportAtTheNextPicture) {
    for (const char* name : {"a.png", "b.png", "c.png"})
        writePicture(source / name, 40, 30);
    std::atomic<bool> cancel{false};
    int calls = 0;
    PhotoImportResult result =
        importPhotos(paths, PhotoImportRequest{source, 650}, cancel, [&](int done, int) {
            ++calls;
            if (done == 1)
                cancel.store(true);
        });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(calls, 2); // the start and the first picture: the rest of the folder is not read
}

TEST(PhotoImportOutcomeTest, MoreThanThirtyThousandDropsTheLastAndReportsHiddenOnlyOnSuccess) {
    PhotoImportResult result;
    result.entries.assign(kMaxEntrants + 1, makeEntrant(u"x.png"));
    result.entries.back() = makeEntrant(u"last.png");
    result.landscapeSum = 1.5 * (kMaxEntrants + 1);
    result.portraitSum = kMaxEntrants + 1;
    result.hiddenCount = 1;
    result.hiddenText = u".h.png\r\n";
    PictureNameList list;
    PhotoImportOutcome outcome = applyPhotoImport(list, result);
    EXPECT_TRUE(outcome.tooMany);
    ASSERT_EQ(list.entries.size(), static_cast<std::size_t>(kMaxEntrants));
    EXPECT_EQ(test::u8(list.entries.back().text()), "x.png");
    EXPECT_DOUBLE_EQ(list.aspectRatio, 1.5);
    EXPECT_EQ(outcome.hiddenCount, 1);

    result.errorText = u"图片加载失败:\n/x/y.png\n\n无效的图片文件";
    outcome = applyPhotoImport(list, result);
    EXPECT_EQ(list.entries.size(), static_cast<std::size_t>(kMaxEntrants))
        << "a failed import changes nothing";
    EXPECT_EQ(outcome.hiddenCount, 0);
    EXPECT_FALSE(outcome.tooMany);
}

TEST(PhotoImportFieldsTest, SizeAndFolderAreCheckedInThatOrder) {
    EXPECT_EQ(parseShrinkSize(u"400"), 400);
    EXPECT_EQ(parseShrinkSize(u" 1300 "), 1300);
    for (std::u16string_view bad : {u"399", u"1301", u"-650", u"", u"65o", u"99999999999999999999"})
        EXPECT_FALSE(parseShrinkSize(bad)) << test::u8(bad);
    EXPECT_EQ(photoImportRefusal(u"", u"0"), kShrinkSizeInvalidText);
    EXPECT_EQ(photoImportRefusal(u"", u"650"), kNoSourceFolderText);
    EXPECT_EQ(photoImportRefusal(u"/nowhere", u"650"), std::nullopt); // existence is the import's affair
    EXPECT_TRUE(isPhotoFileName(u".JPEG"));
    EXPECT_FALSE(isPhotoFileName(u"jpg"));
    EXPECT_FALSE(isPhotoFileName(u"a.jpg.txt"));
}

} // namespace
} // namespace kelvora
