#pragma once
// Test doubles shared by every suite.

#include <deque>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "draw/draw_host.h"
#include "draw/draw_progress.h"
#include "platform/capslock.h"
#include "platform/clock.h"
#include "platform/file_picker.h"
#include "platform/message_box.h"

namespace kelvora::test {

// A clock that stands still until a test moves it.
class FakeClock final : public Clock {
public:
    std::int64_t seconds = 1'800'000'000;
    LocalTime local{2026, 12, 6, 21, 5, 9};
    std::int64_t nowSeconds() override { return seconds; }
    LocalTime localTime() override { return local; }
};

class FakeCapsLock final : public CapsLockState {
public:
    bool on = false;
    bool capsLockOn() override { return on; }
};

struct RecordedMessage {
    OwnerWindow owner;
    std::u16string text;
    MessageIcon icon;
    MessageButtons buttons;
};

// Records every message and answers from a script (Yes/No questions default to the scripted answer, then No).
class RecordingMessageBox final : public MessageBox {
public:
    std::vector<RecordedMessage> shown;
    std::deque<MessageAnswer> answers;

    MessageAnswer show(OwnerWindow owner, std::u16string_view text, MessageIcon icon,
                       MessageButtons buttons) override;
    std::u16string lastText() const { return shown.empty() ? std::u16string{} : shown.back().text; }
};

// A file picker that answers from a script: each call takes the next answer (nothing = cancelled) and
// records the title it was asked with.
class ScriptedFilePicker final : public FilePicker {
public:
    std::deque<std::optional<std::filesystem::path>> answers;
    std::vector<std::u16string> titles;
    std::vector<std::filesystem::path> initialFolders; // of each openFile, empty when none was given

    std::optional<std::filesystem::path> openFile(OwnerWindow, std::u16string_view title, std::u16string_view,
                                                  const std::filesystem::path& initialFolder) override {
        initialFolders.push_back(initialFolder);
        return next(title);
    }
    std::optional<std::filesystem::path> saveFile(OwnerWindow, std::u16string_view title, std::u16string_view,
                                                  std::u16string_view) override {
        return next(title);
    }
    std::optional<std::filesystem::path> chooseFolder(OwnerWindow, std::u16string_view title) override {
        return next(title);
    }

private:
    std::optional<std::filesystem::path> next(std::u16string_view title) {
        titles.emplace_back(title);
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// A draw host that records what the engine asked of the program. saveProgress keeps the saved records and can
// be told to fail.
class FakeDrawHost : public DrawHost {
public:
    RecordingMessageBox messages;
    bool dialogActive = false;
    bool capsLock = false;
    bool failSave = false;
    std::u16string saveError = u"无法写入文件 /x/抽取进度.dat.tmp\n\nNo space left on device";

    int repaints = 0;
    int timerPeriod = 0; // 0 = stopped
    std::vector<int> timerStarts;
    std::vector<std::string> calls; // music and screen hooks in order
    std::vector<DrawProgress> saved;

    MessageAnswer showMessage(std::u16string_view text, MessageIcon icon, MessageButtons buttons) override {
        return messages.show(nullptr, text, icon, buttons);
    }
    void repaintScreen() override { ++repaints; }
    void startScrollTimer(int periodMs) override {
        timerPeriod = periodMs;
        timerStarts.push_back(periodMs);
    }
    void stopScrollTimer() override { timerPeriod = 0; }
    bool isDialogActive() override { return dialogActive; }
    void prepareScrollMusic() override { calls.push_back("prepareScrollMusic"); }
    void startScrollMusic() override { calls.push_back("startScrollMusic"); }
    void rewindScrollMusic() override { calls.push_back("rewindScrollMusic"); }
    void startWinMusic() override { calls.push_back("startWinMusic"); }
    void releaseMusic() override { calls.push_back("releaseMusic"); }
    void loadPrizePicture(int prizeIndex) override {
        calls.push_back("loadPrizePicture " + std::to_string(prizeIndex));
    }
    void rebuildBackground() override { calls.push_back("rebuildBackground"); }
    void dropScrollFont() override { calls.push_back("dropScrollFont"); }
    void startReplay() override { calls.push_back("startReplay"); }
    bool capsLockOn() override { return capsLock; }
    bool saveProgress(const DrawProgress& progress, std::u16string& errorText) override {
        if (failSave) {
            errorText = saveError;
            return false;
        }
        saved.push_back(progress);
        return true;
    }
};

// A fresh folder under the system temp folder, removed when the test passed and kept (and named) when it
// failed.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Readable UTF-8 for assertion messages.
std::string u8(std::u16string_view text);

// What the message of a file that failed to load ends with: where the file is kept before the next save.
std::u16string keptNote(const std::filesystem::path& file);

// A list of entrants by name, and the names of a list back as UTF-8, for comparing whole lists at once.
EntrantList entrantsNamed(std::initializer_list<std::u16string_view> names);
std::vector<std::string> namesOf(const EntrantList& list);

} // namespace kelvora::test
