// The music settings dialog offscreen: the draft's fields and switches, the file choice with its copy into
// the music folder, the volume acting at once, the preview on a null sink, and closing every way alike
// through the program's own F5 command and show controller.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>

#include <chrono>
#include <fstream>
#include <optional>

#include "app/application.h"
#include "audio/music_player_hooks.h"
#include "audio/ui/music_settings_dialog.h"
#include "audio_fixtures.h"
#include "platform/text.h"
#include "records/file_system.h"
#include "support/test_support.h"
#include "support/widget_test_support.h"

namespace kelvora::test {
namespace {

using namespace std::chrono_literals;

template <class W> W* child(QWidget& dialog, const char* name) {
    W* widget = dialog.findChild<W*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QString fieldOf(QWidget& dialog, const char* name) {
    return child<QLineEdit>(dialog, name)->text();
}

bool previewButtonsShown(QWidget& dialog) {
    return !child<QAbstractButton>(dialog, "rewind")->isHidden() &&
           !child<QAbstractButton>(dialog, "forward")->isHidden() &&
           !child<QAbstractButton>(dialog, "stop")->isHidden();
}

bool previewButtonsHidden(QWidget& dialog) {
    return child<QAbstractButton>(dialog, "rewind")->isHidden() &&
           child<QAbstractButton>(dialog, "forward")->isHidden() &&
           child<QAbstractButton>(dialog, "stop")->isHidden();
}

MusicSettings customRecord() {
    MusicSettings music;
    music.scrollMusicOn = 0;
    music.winMusicOn = 1;
    setField(music.scrollMusicFile, u"a.mp3");
    setField(music.winMusicFile, u"b.wav");
    setField(music.backgroundFile1, u"c.mp3");
    setField(music.backgroundFile2, u"");
    setField(music.backgroundFile3, u"e e.mp3");
    music.volume = 55;
    return music;
}

class MusicSettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { useNullSink(); }

    std::unique_ptr<MusicSettingsDialog> open(const MusicSettings& live) {
        auto dialog = std::make_unique<MusicSettingsDialog>(
            live, paths, messages, files,
            MusicSettingsHooks{[this](std::int32_t volume) { volumes.push_back(volume); },
                               [this](const MusicSettings& settings) { applied.push_back(settings); }},
            nullptr);
        dialog->show();
        return dialog;
    }

    QApplication& qt = qtApp();
    TempDir dir;
    DataPaths paths{dir.path()};
    RecordingMessageBox messages;
    ScriptedFilePicker files;
    std::vector<std::int32_t> volumes;
    std::vector<MusicSettings> applied;
};

TEST_F(MusicSettingsDialogTest, FieldsSwitchesAndVolumeRoundTripAndASwitchGreysItsRow) {
    const MusicSettings live = customRecord();
    auto dialog = open(live);
    EXPECT_EQ(dialog->toRecord(), live);
    EXPECT_EQ(fieldOf(*dialog, "background3File"), QStringLiteral("e e.mp3"));
    EXPECT_EQ(child<QSlider>(*dialog, "volume")->value(), 55);
    EXPECT_TRUE(volumes.empty()) << "opening is no move of the slider";

    // The scroll row opens off: its field and three buttons are grey; the winning row is on.
    const char* scrollRow[] = {"scrollFile", "scrollBuiltIn", "scrollCustom", "scrollPreview"};
    const char* winRow[] = {"winFile", "winBuiltIn", "winCustom", "winPreview"};
    for (const char* name : scrollRow)
        EXPECT_FALSE(child<QWidget>(*dialog, name)->isEnabled()) << name;
    for (const char* name : winRow)
        EXPECT_TRUE(child<QWidget>(*dialog, name)->isEnabled()) << name;

    child<QCheckBox>(*dialog, "scrollOn")->click();
    child<QCheckBox>(*dialog, "winOn")->click();
    for (const char* name : scrollRow)
        EXPECT_TRUE(child<QWidget>(*dialog, name)->isEnabled()) << name;
    for (const char* name : winRow)
        EXPECT_FALSE(child<QWidget>(*dialog, name)->isEnabled()) << name;
    EXPECT_TRUE(child<QWidget>(*dialog, "background2Preview")->isEnabled());

    const MusicSettings flipped = dialog->toRecord();
    EXPECT_EQ(flipped.scrollMusicOn, 1);
    EXPECT_EQ(flipped.winMusicOn, 0);

    // The defaults fill back in, volume clamped into the slider's range.
    MusicSettings loud;
    loud.volume = 100;
    dialog->fromRecord(loud);
    EXPECT_EQ(dialog->toRecord(), loud);
    EXPECT_TRUE(volumes.empty());
}

TEST_F(MusicSettingsDialogTest, TheSliderSetsTheVolumeAtOnceWithinItsRange) {
    auto dialog = open(MusicSettings{});
    QSlider* slider = child<QSlider>(*dialog, "volume");
    EXPECT_EQ(slider->minimum(), 25);
    EXPECT_EQ(slider->maximum(), 100);
    EXPECT_EQ(slider->pageStep(), 10);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_PageDown); // a page towards the minimum
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes.back(), 70);
    slider->setValue(10);
    EXPECT_EQ(volumes.back(), 25);
    EXPECT_TRUE(applied.empty()) << "only the volume acts before closing";
    EXPECT_EQ(dialog->toRecord().volume, 25);
}

TEST_F(MusicSettingsDialogTest, ChoosingCopiesIntoTheMusicFolderOnceAndBuiltInStartsInTheBuiltInFolder) {
    // A file from elsewhere is copied in under its own name.
    const std::filesystem::path outside = dir.path() / "elsewhere" / "我的歌.mp3";
    std::filesystem::create_directories(outside.parent_path());
    std::ofstream(outside) << "sound";
    auto dialog = open(MusicSettings{});
    files.answers.push_back(outside);
    child<QAbstractButton>(*dialog, "background2Custom")->click();
    EXPECT_EQ(files.initialFolders.back(), std::filesystem::path());
    EXPECT_EQ(fieldOf(*dialog, "background2File"), QStringLiteral("我的歌.mp3"));
    EXPECT_TRUE(std::filesystem::is_regular_file(paths.musicFolder / "我的歌.mp3"));

    // "内置" opens in the built-in folder.
    std::filesystem::create_directories(paths.builtinFolder);
    const std::filesystem::path builtIn = paths.builtinFolder / "滚动2.mp3";
    std::ofstream(builtIn) << "loop";
    files.answers.push_back(builtIn);
    child<QAbstractButton>(*dialog, "scrollBuiltIn")->click();
    EXPECT_EQ(files.initialFolders.back(), paths.builtinFolder);
    EXPECT_EQ(fieldOf(*dialog, "scrollFile"), QStringLiteral("滚动2.mp3"));
    EXPECT_TRUE(std::filesystem::is_regular_file(paths.musicFolder / "滚动2.mp3"));

    // A file already in the music folder is not copied onto itself: its time stays.
    const std::filesystem::path inside = paths.musicFolder / "我的歌.mp3";
    const auto old = std::filesystem::file_time_type::clock::now() - 1h;
    std::filesystem::last_write_time(inside, old);
    files.answers.push_back(inside);
    child<QAbstractButton>(*dialog, "winCustom")->click();
    EXPECT_EQ(fieldOf(*dialog, "winFile"), QStringLiteral("我的歌.mp3"));
    EXPECT_EQ(std::filesystem::last_write_time(inside), old);

    // Cancelling keeps the field.
    child<QAbstractButton>(*dialog, "winCustom")->click();
    EXPECT_EQ(fieldOf(*dialog, "winFile"), QStringLiteral("我的歌.mp3"));
    EXPECT_TRUE(messages.shown.empty()) << toUtf8(messages.lastText());

    // A failed copy names both files; the field has the new name all the same.
    files.answers.push_back(dir.path() / "elsewhere" / "gone.mp3");
    child<QAbstractButton>(*dialog, "background3Custom")->click();
    EXPECT_EQ(fieldOf(*dialog, "background3File"), QStringLiteral("gone.mp3"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.lastText().starts_with(u"复制文件失败：")) << toUtf8(messages.lastText());
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Error);
}

TEST_F(MusicSettingsDialogTest, PreviewShowsItsProgressStopsAtTheEndAndRefusesMissingFiles) {
    if (!audioToolsPresent())
        GTEST_SKIP() << "sox is needed to make the test music";
    auto dialog = open(MusicSettings{});
    EXPECT_TRUE(previewButtonsHidden(*dialog));

    // The default file is not there.
    child<QAbstractButton>(*dialog, "scrollPreview")->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.lastText(), u"音乐不存在:\n" + pathText(paths.musicFolder / u"滚动1.mp3"));
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Warning);
    EXPECT_TRUE(previewButtonsHidden(*dialog));

    // A document dressed as music does not play.
    std::filesystem::create_directories(paths.musicFolder);
    std::ofstream(paths.musicFolder / "fake.mp3") << "not music at all";
    files.answers.push_back(paths.musicFolder / "fake.mp3");
    child<QAbstractButton>(*dialog, "winCustom")->click();
    child<QAbstractButton>(*dialog, "winPreview")->click();
    // Found out while the preview starts, not before.
    ASSERT_TRUE(waitUntil([&] { return messages.shown.size() >= 2; }, 10s));
    ASSERT_EQ(messages.shown.size(), 2u) << toUtf8(messages.lastText());
    EXPECT_TRUE(messages.lastText().starts_with(u"播放失败:\n")) << toUtf8(messages.lastText());
    EXPECT_TRUE(messages.lastText().ends_with(u"\n\n别的文件伪装成 mp3/wav")) << toUtf8(messages.lastText());
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Error);
    EXPECT_TRUE(previewButtonsHidden(*dialog));

    // A short tone plays with its progress and stops by itself at its end.
    ASSERT_TRUE(makeWav(paths.musicFolder / "short.wav", 0.8));
    files.answers.push_back(paths.musicFolder / "short.wav");
    child<QAbstractButton>(*dialog, "background1Custom")->click();
    child<QAbstractButton>(*dialog, "background1Preview")->click();
    ASSERT_EQ(messages.shown.size(), 2u) << toUtf8(messages.lastText());
    EXPECT_EQ(dialog->previewedRow(), MusicSettingsDialog::Background1);
    EXPECT_TRUE(previewButtonsShown(*dialog));
    QLabel* status = child<QLabel>(*dialog, "previewStatus");
    EXPECT_TRUE(status->text().startsWith(QStringLiteral("播放中:"))) << status->text().toStdString();
    EXPECT_TRUE(waitUntil([&] { return previewButtonsHidden(*dialog); }, 10s));
    EXPECT_TRUE(status->text().isEmpty());
    EXPECT_EQ(dialog->previewedRow(), -1);

    // "停止" ends a preview at once; choosing a new file for the previewed row ends it too.
    ASSERT_TRUE(makeWav(paths.musicFolder / "long.wav", 5.0));
    files.answers.push_back(paths.musicFolder / "long.wav");
    child<QAbstractButton>(*dialog, "background2Custom")->click();
    child<QAbstractButton>(*dialog, "background2Preview")->click();
    EXPECT_TRUE(previewButtonsShown(*dialog));
    EXPECT_TRUE(waitUntil([&] { return status->text() != QStringLiteral("播放中:0%"); }, 10s));
    child<QAbstractButton>(*dialog, "forward")->click();
    child<QAbstractButton>(*dialog, "rewind")->click();
    child<QAbstractButton>(*dialog, "stop")->click();
    EXPECT_TRUE(previewButtonsHidden(*dialog));
    child<QAbstractButton>(*dialog, "background2Preview")->click();
    files.answers.push_back(paths.musicFolder / "short.wav");
    child<QAbstractButton>(*dialog, "background2Custom")->click();
    EXPECT_TRUE(previewButtonsHidden(*dialog));
    EXPECT_EQ(messages.shown.size(), 2u) << toUtf8(messages.lastText());
}

TEST_F(MusicSettingsDialogTest, EveryWayOfClosingStopsThePreviewThenAppliesOnceAfterTheDialogIsGone) {
    if (!audioToolsPresent())
        GTEST_SKIP() << "sox is needed to make the test music";
    std::filesystem::create_directories(paths.musicFolder);
    ASSERT_TRUE(makeWav(paths.musicFolder / "long.wav", 5.0));
    for (int way = 0; way < 3; ++way) {
        applied.clear();
        MusicSettings live;
        setField(live.backgroundFile1, u"long.wav");
        bool visibleWhenApplied = true;
        bool previewWhenApplied = true;
        MusicSettingsDialog* raw = nullptr;
        // The hook looks at the dialog at the moment it is handed the record.
        auto observed = std::make_unique<MusicSettingsDialog>(
            live, paths, messages, files,
            MusicSettingsHooks{nullptr,
                               [&](const MusicSettings& settings) {
                                   applied.push_back(settings);
                                   visibleWhenApplied = raw->isVisible();
                                   previewWhenApplied = raw->previewedRow() != -1;
                               }},
            nullptr);
        raw = observed.get();
        observed->show();
        child<QAbstractButton>(*observed, "background1Preview")->click();
        ASSERT_TRUE(previewButtonsShown(*observed));
        child<QCheckBox>(*observed, "winOn")->click();
        if (way == 0)
            child<QAbstractButton>(*observed, "close")->click();
        else if (way == 1)
            QTest::keyClick(observed.get(), Qt::Key_Escape);
        else
            observed->close();
        ASSERT_EQ(applied.size(), 1u) << "way " << way;
        EXPECT_FALSE(visibleWhenApplied) << "way " << way;
        EXPECT_FALSE(previewWhenApplied) << "way " << way;
        EXPECT_EQ(applied[0].winMusicOn, 0);
        EXPECT_EQ(fieldText(applied[0].backgroundFile1), u"long.wav");
    }
}

// The preview tells why it is silent rather than counting up in silence: no sound output at all, or one that
// never takes the music. Clicking 试听 returns at once either way; the answer follows.
TEST_F(MusicSettingsDialogTest, PreviewSaysWhenThereIsNoOutputOrItDoesNotRespond) {
    if (!audioToolsPresent())
        GTEST_SKIP() << "sox is needed to make the test music";
    std::filesystem::create_directories(paths.musicFolder);
    ASSERT_TRUE(makeWav(paths.musicFolder / "tone.wav", 2.0));
    MusicSettings live;
    setField(live.backgroundFile1, u"tone.wav");
    auto dialog = open(live);
    for (const bool speakerless : {true, false}) {
        SCOPED_TRACE(speakerless ? "no sound output" : "a stalled one");
        std::optional<NoSpeakers> none;
        if (speakerless)
            none.emplace();
        else
            useNullSink(kNeverPrerollingSink);
        setMusicPrerollTimeoutForTests(400ms);
        messages.shown.clear();
        EXPECT_LT(timed([&] { child<QAbstractButton>(*dialog, "background1Preview")->click(); }), 1000ms);
        ASSERT_TRUE(waitUntil([&] { return !messages.shown.empty(); }, 5s));
        const std::u16string text = messages.lastText();
        EXPECT_EQ(text,
                  speakerless ? u"播放失败:\n没有可用的音频输出设备" : u"播放失败:\n音频输出设备没有响应");
        EXPECT_EQ(messages.shown.back().icon, MessageIcon::Error);
        EXPECT_TRUE(previewButtonsHidden(*dialog));
        EXPECT_EQ(dialog->previewedRow(), -1);
        EXPECT_TRUE(child<QLabel>(*dialog, "previewStatus")->text().isEmpty());
        processEventsFor(100ms);
        EXPECT_EQ(messages.shown.size(), 1u) << "told once";
    }
    setMusicPrerollTimeoutForTests(0ms);
    useNullSink();
}

// Through the program: F5 opens the dialog over the live record; closing stores it, saves it and announces
// it.
class MusicSettingsCommandTest : public ::testing::Test, protected AppHarness {
protected:
    void SetUp() override {
        useNullSink();
        InterfaceSettings look;
        look.backgroundImage[0] = 0;
        ASSERT_TRUE(saveInterfaceSettings(paths, look));
        ASSERT_TRUE(app.startApplication());
        messages.shown.clear();
    }
    void TearDown() override { app.mainWindow().close(); }

    Application app{dir.path(), services};
};

TEST_F(MusicSettingsCommandTest, F5EditsTheLiveRecordAndClosingSavesIt) {
    const std::filesystem::path outside = dir.path() / "x" / "新歌.wav";
    std::filesystem::create_directories(outside.parent_path());
    std::ofstream(outside) << "sound";
    files.answers.push_back(outside);
    bool opened = false;
    whenModalOpens<MusicSettingsDialog>([&](MusicSettingsDialog& dialog) {
        opened = true;
        EXPECT_EQ(dialog.toRecord(), MusicSettings{});
        child<QAbstractButton>(dialog, "background3Custom")->click();
        child<QCheckBox>(dialog, "scrollOn")->click();
        child<QSlider>(dialog, "volume")->setValue(40);
        child<QAbstractButton>(dialog, "close")->click();
    });
    ASSERT_TRUE(app.commands().trigger(CommandId::MusicSettings));
    ASSERT_TRUE(opened);
    const MusicSettings& live = app.controller().records().music;
    EXPECT_EQ(live.scrollMusicOn, 0);
    EXPECT_EQ(live.volume, 40);
    EXPECT_EQ(fieldText(live.backgroundFile3), u"新歌.wav");
    MusicSettings saved;
    setField(saved.scrollMusicFile, u"");
    ASSERT_TRUE(loadMusicSettings(paths, saved));
    EXPECT_EQ(saved, live);
    EXPECT_TRUE(messages.shown.empty()) << toUtf8(messages.lastText());
}

} // namespace
} // namespace kelvora::test
