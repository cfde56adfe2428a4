#pragma once
// "参数设置 - 音乐": which file each music slot plays, the two switches and the one volume. A chosen file is
// copied into the music folder at once and the draft keeps its bare name. The volume acts on every playing
// track while the slider moves; everything else takes effect when the dialog closes, which it does only one
// way (关闭, Enter, Escape or the close box alike): the preview stops and the draft is handed over to be
// stored, saved and reloaded. Any of the five files can be previewed on a player of the dialog's own.

#include <QTimer>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "audio/music_player.h"
#include "records/data_paths.h"
#include "settings/music_settings.h"
#include "ui/centered_dialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace kelvora {

class FilePicker;
class MessageBox;

inline constexpr std::u16string_view kMusicFilter = u"音频文件(mp3/wav) (*.mp3 *.wav)";

// What the dialog asks of the show: a new level for every existing player at once, and the closing record.
struct MusicSettingsHooks {
    std::function<void(std::int32_t volume)> setVolume;
    std::function<void(const MusicSettings&)> apply;
};

class MusicSettingsDialog : public CenteredDialog {
    Q_OBJECT
public:
    // The rows, top to bottom; the index of a row's controls.
    enum Row { Scroll, Win, Background1, Background2, Background3, RowCount };

    MusicSettingsDialog(const MusicSettings& live, const DataPaths& paths, MessageBox& messages,
                        FilePicker& files, MusicSettingsHooks hooks, QWidget* parent);
    ~MusicSettingsDialog() override;

    void fromRecord(const MusicSettings& settings);
    MusicSettings toRecord() const;

    // The row being previewed, or -1.
    int previewedRow() const { return m_previewRow; }

    // Every way of closing ends here.
    void done(int result) override;

private:
    void chooseFile(int row, bool builtIn);
    void preview(int row);
    void stopPreview();
    void previewTick();
    void previewFailed(MusicFailure failure, const std::u16string& reason);
    void seekBy(int direction);
    void enableRow(int row);
    std::filesystem::path rowPath(int row) const;

    MusicSettings m_draft;
    const DataPaths& m_paths;
    MessageBox& m_messages;
    FilePicker& m_files;
    MusicSettingsHooks m_hooks;
    bool m_closing = false;

    struct RowControls {
        QCheckBox* onOff = nullptr; // the scroll and winning rows only
        QLineEdit* file = nullptr;
        QPushButton* builtIn = nullptr; // the scroll and winning rows only
        QPushButton* custom = nullptr;
        QPushButton* preview = nullptr;
    };
    std::array<RowControls, RowCount> m_rows;
    QSlider* m_volume = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_rewind = nullptr;
    QPushButton* m_forward = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_close = nullptr;

    // A child of the dialog: gone with it at the latest.
    MusicPlayer* m_player = nullptr;
    std::filesystem::path m_previewPath;
    int m_previewRow = -1;
    QTimer m_previewTimer;
};

} // namespace kelvora
