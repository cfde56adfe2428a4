// Each record through its own load and save: the right file, the right size limit, and the defaults back in
// place after a rejected file.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

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
    std::function<bool(Record&, MessageBox&)> load;
    std::function<bool(const Record&, MessageBox&)> save;
};

void writeFile(const std::filesystem::path& path, std::size_t size) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(size, '\0');
}

// edited differs from the defaults in a way that survives reading.
template <class Record> void checkRecordFile(const RecordFile<Record>& f, const Record& edited) {
    RecordingMessageBox messages;
    Record live = edited;
    ASSERT_TRUE(f.load(live, messages)) << "no file yet";
    EXPECT_EQ(live, Record{});

    ASSERT_TRUE(f.save(edited, messages));
    EXPECT_EQ(std::filesystem::file_size(f.file), f.bytes);
    ASSERT_TRUE(f.load(live, messages));
    EXPECT_EQ(live, edited);
    EXPECT_TRUE(messages.shown.empty());

    std::filesystem::resize_file(f.file, f.bytes + 1);
    EXPECT_FALSE(f.load(live, messages));
    EXPECT_EQ(live, Record{});
    ASSERT_EQ(messages.shown.size(), 1u);
    const std::u16string& text = messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(text.rfind(u"读文件失败:\n", 0), 0u) << u8(text);
    EXPECT_NE(text.find(f.file.filename().u16string()), std::u16string::npos) << u8(text);
    EXPECT_TRUE(text.ends_with(u"\n\n文件内容有错误")) << u8(text);

    // At the size limit the file is dropped without a word.
    writeFile(f.file, f.limitMiB * 1048576);
    live = edited;
    EXPECT_TRUE(f.load(live, messages));
    EXPECT_EQ(live, Record{});
    EXPECT_FALSE(std::filesystem::exists(f.file));
    EXPECT_EQ(messages.shown.size(), 1u);
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
        {paths.interfaceFile, 2036, 2,
         [&](InterfaceSettings& s, MessageBox& m) { return loadInterfaceSettings(paths, s, m, nullptr); },
         [&](const InterfaceSettings& s, MessageBox& m) {
             return saveInterfaceSettings(paths, s, m, nullptr);
         }},
        edited);
}

TEST_F(RecordFilesTest, MusicSettings) {
    MusicSettings edited;
    edited.winMusicOn = 0;
    edited.volume = 100;
    checkRecordFile<MusicSettings>(
        {paths.musicFile, 2612, 2,
         [&](MusicSettings& s, MessageBox& m) { return loadMusicSettings(paths, s, m, nullptr); },
         [&](const MusicSettings& s, MessageBox& m) { return saveMusicSettings(paths, s, m, nullptr); }},
        edited);
}

TEST_F(RecordFilesTest, PlaybackAndFullListSettings) {
    PlaybackSettings playback;
    playback.reverseOrder = 1;
    playback.speed = 50;
    checkRecordFile<PlaybackSettings>(
        {paths.playbackFile, 208, 2,
         [&](PlaybackSettings& s, MessageBox& m) { return loadPlaybackSettings(paths, s, m, nullptr); },
         [&](const PlaybackSettings& s, MessageBox& m) {
             return savePlaybackSettings(paths, s, m, nullptr);
         }},
        playback);

    FullListSettings fullList;
    fullList.namesPerRow = 1;
    checkRecordFile<FullListSettings>(
        {paths.fullListFile, 116, 2,
         [&](FullListSettings& s, MessageBox& m) { return loadFullListSettings(paths, s, m, nullptr); },
         [&](const FullListSettings& s, MessageBox& m) {
             return saveFullListSettings(paths, s, m, nullptr);
         }},
        fullList);
}

TEST_F(RecordFilesTest, WindowedSettings) {
    WindowedSettings edited;
    edited.fullScreen = 0;
    edited.x = 100;
    edited.width = 800;
    checkRecordFile<WindowedSettings>({paths.windowedFile, 20, 1,
                                       [&](WindowedSettings& s, MessageBox& m) {
                                           return loadWindowedSettings(paths, s, 1920, 1080, m, nullptr);
                                       },
                                       [&](const WindowedSettings& s, MessageBox& m) {
                                           return saveWindowedSettings(paths, s, m, nullptr);
                                       }},
                                      edited);
}

TEST_F(RecordFilesTest, WindowedSettingsAreFittedToTheScreenTheyAreLoadedOn) {
    WindowedSettings stored;
    stored.fullScreen = 0;
    stored.x = 500;
    stored.y = 300;
    stored.width = 2000;
    stored.height = 1000;
    RecordingMessageBox messages;
    ASSERT_TRUE(saveWindowedSettings(paths, stored, messages, nullptr));
    WindowedSettings live;
    ASSERT_TRUE(loadWindowedSettings(paths, live, 1280, 768, messages, nullptr));
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
    RecordingMessageBox messages;
    WindowedSettings live;
    live.fullScreen = 0;
    EXPECT_TRUE(loadWindowedSettings(paths, live, 1920, 1080, messages, nullptr));
    EXPECT_EQ(live, WindowedSettings{});
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace kelvora::test
