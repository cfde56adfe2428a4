// Each record through its own load and save: the right file, the right size limit, and the defaults back in
// place after a rejected file.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "console/console_settings.h"
#include "record_bytes.h"
#include "settings/interface_settings.h"
#include "settings/music_settings.h"
#include "settings/playback_settings.h"
#include "settings/windowed_settings.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

template <class Record> struct RecordFile {
    std::filesystem::path file;
    std::size_t bytes;
    std::uint64_t limitMiB;
    std::function<FileResult(Record&)> load;
    std::function<FileResult(const Record&)> save;
};

void writeFile(const std::filesystem::path& path, std::size_t size) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(size, '\0');
}

// edited differs from the defaults in a way that survives reading.
template <class Record> void checkRecordFile(const RecordFile<Record>& f, const Record& edited) {
    Record live = edited;
    ASSERT_TRUE(f.load(live)) << "no file yet";
    EXPECT_EQ(live, Record{});

    ASSERT_TRUE(f.save(edited));
    EXPECT_EQ(std::filesystem::file_size(f.file), f.bytes);
    ASSERT_TRUE(f.load(live));
    EXPECT_EQ(live, edited);

    std::filesystem::resize_file(f.file, f.bytes + 1);
    const FileResult rejected = f.load(live);
    EXPECT_FALSE(rejected);
    EXPECT_EQ(live, Record{});
    const std::u16string text = messageText(rejected);
    EXPECT_EQ(text.rfind(u"读文件失败:\n", 0), 0u) << u8(text);
    EXPECT_NE(text.find(f.file.filename().u16string()), std::u16string::npos) << u8(text);
    EXPECT_TRUE(text.ends_with(u"\n\n文件内容有错误" + keptNote(f.file))) << u8(text);

    // At the size limit the file is dropped without a word.
    writeFile(f.file, f.limitMiB * 1048576);
    live = edited;
    EXPECT_TRUE(f.load(live));
    EXPECT_EQ(live, Record{});
    EXPECT_FALSE(std::filesystem::exists(f.file));
}

class RecordFilesTest : public ::testing::Test {
protected:
    TempDir dir;
    DataPaths paths{dir.path()};
};

TEST_F(RecordFilesTest, InterfaceSettings) {
    InterfaceSettings edited;
    setField(edited.mainTitle, u"新年晚会");
    edited.scrollSpeed = 12;
    checkRecordFile<InterfaceSettings>(
        {paths.interfaceFile, 2036, 2, [&](InterfaceSettings& s) { return loadInterfaceSettings(paths, s); },
         [&](const InterfaceSettings& s) { return saveInterfaceSettings(paths, s); }},
        edited);
}

TEST_F(RecordFilesTest, MusicSettings) {
    MusicSettings edited;
    edited.winMusicOn = 0;
    edited.volume = 100;
    checkRecordFile<MusicSettings>({paths.musicFile, 2612, 2,
                                    [&](MusicSettings& s) { return loadMusicSettings(paths, s); },
                                    [&](const MusicSettings& s) { return saveMusicSettings(paths, s); }},
                                   edited);
}

TEST_F(RecordFilesTest, PlaybackAndFullListSettings) {
    PlaybackSettings playback;
    playback.reverseOrder = 1;
    playback.speed = 50;
    checkRecordFile<PlaybackSettings>(
        {paths.playbackFile, 208, 2, [&](PlaybackSettings& s) { return loadPlaybackSettings(paths, s); },
         [&](const PlaybackSettings& s) { return savePlaybackSettings(paths, s); }},
        playback);

    FullListSettings fullList;
    fullList.namesPerRow = 1;
    checkRecordFile<FullListSettings>(
        {paths.fullListFile, 116, 2, [&](FullListSettings& s) { return loadFullListSettings(paths, s); },
         [&](const FullListSettings& s) { return saveFullListSettings(paths, s); }},
        fullList);
}

TEST_F(RecordFilesTest, WindowedSettings) {
    WindowedSettings edited;
    edited.fullScreen = 0;
    edited.x = 100;
    edited.width = 800;
    checkRecordFile<WindowedSettings>(
        {paths.windowedFile, 20, 1,
         [&](WindowedSettings& s) { return loadWindowedSettings(paths, s, 1920, 1080); },
         [&](const WindowedSettings& s) { return saveWindowedSettings(paths, s); }},
        edited);
}

TEST_F(RecordFilesTest, ConsoleSettings) {
    ConsoleSettings edited;
    edited.autoOpen = 1;
    edited.setShown(ConsolePanel::Keys, false);
    checkRecordFile<ConsoleSettings>({paths.consoleFile, 24, 1,
                                      [&](ConsoleSettings& s) { return loadConsoleSettings(paths, s); },
                                      [&](const ConsoleSettings& s) { return saveConsoleSettings(paths, s); }},
                                     edited);
}

TEST_F(RecordFilesTest, WindowedSettingsAreFittedToTheScreenTheyAreLoadedOn) {
    WindowedSettings stored;
    stored.fullScreen = 0;
    stored.x = 500;
    stored.y = 300;
    stored.width = 2000;
    stored.height = 1000;
    ASSERT_TRUE(saveWindowedSettings(paths, stored));
    WindowedSettings live;
    ASSERT_TRUE(loadWindowedSettings(paths, live, 1280, 768));
    EXPECT_EQ(live.x, 0);
    EXPECT_EQ(live.y, 0);
    EXPECT_EQ(live.width, 1280);
    EXPECT_EQ(live.height, 768);
    EXPECT_EQ(live.fullScreen, 0);
}

TEST_F(RecordFilesTest, FolderInPlaceOfTheWindowedFileGivesTheDefaultsQuietly) {
    // This reader leaves stray folders where they are; a folder must still read as "no file", not as an error
    // shown at every start.
    std::filesystem::create_directories(paths.windowedFile);
    WindowedSettings live;
    live.fullScreen = 0;
    EXPECT_TRUE(loadWindowedSettings(paths, live, 1920, 1080));
    EXPECT_EQ(live, WindowedSettings{});
}

} // namespace
} // namespace kelvora::test
