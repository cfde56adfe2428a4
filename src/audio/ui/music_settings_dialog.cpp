#include "audio/ui/music_settings_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include "audio/music_player.h"
#include "platform/file_picker.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "records/file_system.h"
#include "records/settings_file.h"
#include "ui/dialog_parts.h"
#include "ui/qt_text.h"

namespace kelvora {

namespace {

using NameField = char16_t (MusicSettings::*)[MusicSettings::kFileNameUnits];

constexpr NameField kNameFields[MusicSettingsDialog::RowCount] = {
    &MusicSettings::scrollMusicFile, &MusicSettings::winMusicFile, &MusicSettings::backgroundFile1,
    &MusicSettings::backgroundFile2, &MusicSettings::backgroundFile3};

constexpr int kPreviewTickMs = 100;

QString withPath(const char16_t* format, const std::filesystem::path& path) {
    return toQString(format).arg(toQString(pathText(path)));
}

// The player's reason when it gave one, else the file: the operator learns at least which file it was.
std::u16string failureText(const char16_t* format, const std::u16string& reason,
                           const std::filesystem::path& path) {
    return toU16String(toQString(format).arg(reason.empty() ? toQString(pathText(path)) : toQString(reason)));
}

} // namespace

MusicSettingsDialog::MusicSettingsDialog(const MusicSettings& live, const DataPaths& paths,
                                         MessageBox& messages, FilePicker& files, MusicSettingsHooks hooks,
                                         QWidget* parent)
    : CenteredDialog(parent), m_draft(live), m_paths(paths), m_messages(messages), m_files(files),
      m_hooks(std::move(hooks)) {
    setWindowTitle(QStringLiteral("参数设置 - 音乐"));

    static const char* const rowNames[RowCount] = {"scroll", "win", "background1", "background2",
                                                   "background3"};
    const auto name = [](int row, const char* what) {
        return QStringLiteral("%1%2").arg(QLatin1String(rowNames[row]), QLatin1String(what));
    };
    auto* grid = new QGridLayout;
    int line = 0;
    for (int row = 0; row < RowCount; ++row) {
        RowControls& c = m_rows[row];
        if (row == Background1) {
            grid->addWidget(new QLabel(QStringLiteral("可多个背景音乐："), this), line, 0, 1, 2);
            grid->addWidget(new QLabel(QStringLiteral("快捷键"), this), line, 5);
            ++line;
        }
        if (row < Background1) {
            c.onOff = new QCheckBox(row == Scroll ? QStringLiteral("滚动音乐:") : QStringLiteral("中奖音乐:"),
                                    this);
            c.onOff->setObjectName(name(row, "On"));
            grid->addWidget(c.onOff, line, 0);
            connect(c.onOff, &QCheckBox::toggled, this, [this, row] { enableRow(row); });
        } else {
            grid->addWidget(new QLabel(QString::number(row - Background1 + 1), this), line, 0,
                            Qt::AlignRight);
        }
        c.file = new QLineEdit(this);
        c.file->setObjectName(name(row, "File"));
        c.file->setReadOnly(true);
        c.file->setMaxLength(MusicSettings::kFileNameUnits - 1);
        c.file->setMinimumWidth(220);
        grid->addWidget(c.file, line, 1);
        if (row < Background1) {
            c.builtIn =
                namedButton(QStringLiteral("内置"), name(row, "BuiltIn").toLatin1().constData(), this);
            grid->addWidget(c.builtIn, line, 2);
            connect(c.builtIn, &QPushButton::clicked, this, [this, row] { chooseFile(row, true); });
        }
        c.custom = namedButton(QStringLiteral("自定义"), name(row, "Custom").toLatin1().constData(), this);
        grid->addWidget(c.custom, line, 3);
        connect(c.custom, &QPushButton::clicked, this, [this, row] { chooseFile(row, false); });
        c.preview = namedButton(QStringLiteral("试听"), name(row, "Preview").toLatin1().constData(), this);
        grid->addWidget(c.preview, line, 4);
        connect(c.preview, &QPushButton::clicked, this, [this, row] { preview(row); });
        static const char* const keys[] = {"Ctrl+1 / Tab", "Ctrl+2", "Ctrl+3"};
        if (row >= Background1)
            grid->addWidget(new QLabel(QString::fromLatin1(keys[row - Background1]), this), line, 5);
        // Buttons take no Enter: Enter closes the dialog like 关闭.
        for (QPushButton* button : {c.builtIn, c.custom, c.preview})
            if (button)
                button->setAutoDefault(false);
        ++line;
    }
    grid->addWidget(new QLabel(QStringLiteral("//播放或暂停 - 主界面上按相应快捷键"), this), line, 1, 1, 5);
    ++line;

    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("volume"));
    m_volume->setRange(MusicSettings::kMinVolume, MusicSettings::kMaxVolume);
    m_volume->setPageStep(10);
    m_volume->setSingleStep(1);
    grid->addWidget(new QLabel(QStringLiteral("音量:"), this), line, 0, Qt::AlignRight);
    grid->addWidget(m_volume, line, 1);
    connect(m_volume, &QSlider::valueChanged, this, [this](int value) {
        m_draft.volume = value;
        if (m_player)
            m_player->setVolume(volumeToAttenuation(value));
        if (m_hooks.setVolume)
            m_hooks.setVolume(value);
    });

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("previewStatus"));
    m_rewind = namedButton(QStringLiteral("快退"), "rewind", this);
    m_forward = namedButton(QStringLiteral("快进"), "forward", this);
    m_stop = namedButton(QStringLiteral("停止"), "stop", this);
    auto* previewLine = new QHBoxLayout;
    previewLine->addWidget(m_status, 1);
    for (QPushButton* button : {m_rewind, m_forward, m_stop}) {
        button->setAutoDefault(false);
        button->hide();
        previewLine->addWidget(button);
    }
    connect(m_rewind, &QPushButton::clicked, this, [this] { seekBy(-1); });
    connect(m_forward, &QPushButton::clicked, this, [this] { seekBy(1); });
    connect(m_stop, &QPushButton::clicked, this, &MusicSettingsDialog::stopPreview);

    m_close = namedButton(QStringLiteral("关闭"), "close", this);
    m_close->setDefault(true);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(previewLine, 1);
    bottom->addSpacing(16);
    bottom->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_previewTimer.setInterval(kPreviewTickMs);
    connect(&m_previewTimer, &QTimer::timeout, this, &MusicSettingsDialog::previewTick);

    fromRecord(m_draft);
}

MusicSettingsDialog::~MusicSettingsDialog() {
    // The player is a child and goes with the dialog; stopping first keeps its pipeline from outliving the
    // widgets it reports to.
    if (m_player) {
        m_player->stop();
        m_player->close();
    }
}

void MusicSettingsDialog::fromRecord(const MusicSettings& settings) {
    stopPreview();
    m_draft = settings;
    for (int row = 0; row < RowCount; ++row)
        m_rows[row].file->setText(toQString(fieldText(settings.*kNameFields[row])));
    m_rows[Scroll].onOff->setChecked(settings.scrollMusicOn != 0);
    m_rows[Win].onOff->setChecked(settings.winMusicOn != 0);
    for (int row = 0; row < RowCount; ++row)
        enableRow(row);
    // Filling the slider is no move of the operator's: the players keep their level until one.
    const QSignalBlocker quiet(m_volume);
    m_volume->setValue(std::clamp(settings.volume, MusicSettings::kMinVolume, MusicSettings::kMaxVolume));
}

MusicSettings MusicSettingsDialog::toRecord() const {
    MusicSettings settings = m_draft;
    for (int row = 0; row < RowCount; ++row)
        setField(settings.*kNameFields[row], toU16String(m_rows[row].file->text()));
    settings.scrollMusicOn = m_rows[Scroll].onOff->isChecked() ? 1 : 0;
    settings.winMusicOn = m_rows[Win].onOff->isChecked() ? 1 : 0;
    settings.volume = m_volume->value();
    return settings;
}

void MusicSettingsDialog::done(int result) {
    // Reentry: a message box of the apply (a failed save) must not close and apply a second time.
    if (m_closing)
        return;
    m_closing = true;
    stopPreview();
    const MusicSettings settings = toRecord();
    CenteredDialog::done(result);
    if (m_hooks.apply)
        m_hooks.apply(settings);
    m_closing = false;
}

void MusicSettingsDialog::enableRow(int row) {
    const RowControls& c = m_rows[row];
    const bool on = c.onOff == nullptr || c.onOff->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(c.file), static_cast<QWidget*>(c.builtIn),
                             static_cast<QWidget*>(c.custom), static_cast<QWidget*>(c.preview)})
        if (control)
            control->setEnabled(on);
}

std::filesystem::path MusicSettingsDialog::rowPath(int row) const {
    return m_paths.musicFolder / std::filesystem::path(toU16String(m_rows[row].file->text()));
}

void MusicSettingsDialog::chooseFile(int row, bool builtIn) {
    const std::optional<std::filesystem::path> chosen = m_files.openFile(
        this, u"打开", kMusicFilter, builtIn ? m_paths.builtinFolder : std::filesystem::path());
    if (!chosen)
        return;
    const std::filesystem::path target = m_paths.musicFolder / chosen->filename();
    m_rows[row].file->setText(toQString(pathText(chosen->filename())));
    // The previewed file may be the one about to be replaced.
    if (m_previewRow == row)
        stopPreview();
    // A file already in the music folder is the target itself and is not copied onto itself. The field keeps
    // the new name even when the copy fails, so that a second try after fixing the folder needs no choice.
    const FileResult copied = copyIntoDataFolder(*chosen, target);
    if (!copied)
        m_messages.show(this, messageText(copied), MessageIcon::Error);
}

void MusicSettingsDialog::preview(int row) {
    stopPreview();
    const std::filesystem::path path = rowPath(row);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        m_messages.show(this, toU16String(withPath(u"音乐不存在:\n%1", path)), MessageIcon::Warning);
        return;
    }
    auto* player = new MusicPlayer;
    player->setParent(this);
    // Whatever goes wrong once the preview has started (no sound output, a file that does not decode, a
    // broken track) comes back here.
    if (!player->open(path, [this, player](MusicFailure failure, const std::u16string& reason) {
            if (player == m_player)
                previewFailed(failure, reason);
        })) {
        const std::u16string text =
            failureText(u"播放失败:\n%1\n\n别的文件伪装成 mp3/wav", player->errorText(), path);
        delete player;
        m_messages.show(this, text, MessageIcon::Error);
        return;
    }
    player->setVolume(volumeToAttenuation(m_volume->value()));
    if (!player->run()) {
        const std::u16string text =
            failureText(u"播放失败：\n%1\n\n别的文件伪装成 mp3/wav", player->errorText(), path);
        delete player;
        m_messages.show(this, text, MessageIcon::Error);
        return;
    }
    m_player = player;
    m_previewPath = path;
    m_previewRow = row;
    m_status->setText(QStringLiteral("播放中:0%"));
    for (QPushButton* button : {m_rewind, m_forward, m_stop})
        button->show();
    m_previewTimer.start();
}

void MusicSettingsDialog::stopPreview() {
    if (m_player) {
        m_player->stop();
        m_player->close();
        // Possibly inside the player's own error callback: deleted once that has returned.
        m_player->deleteLater();
        m_player = nullptr;
    }
    m_previewRow = -1;
    m_previewPath.clear();
    m_status->clear();
    for (QPushButton* button : {m_rewind, m_forward, m_stop})
        button->hide();
    m_previewTimer.stop();
}

void MusicSettingsDialog::previewTick() {
    if (!m_player)
        return;
    // The preview plays once: its end is its stop.
    if (m_player->isAtEnd()) {
        stopPreview();
        return;
    }
    const std::int64_t stop = m_player->stopPositionMs();
    // A variable-bitrate mp3's duration is an estimate the position can pass before the end.
    const std::int64_t percent =
        stop > 0 ? std::min<std::int64_t>(m_player->positionMs() * 100 / stop, 100) : 0;
    m_status->setText(QStringLiteral("播放中:%1%").arg(percent));
}

void MusicSettingsDialog::previewFailed(MusicFailure failure, const std::u16string& reason) {
    const std::filesystem::path path = m_previewPath;
    stopPreview();
    std::u16string text;
    switch (failure) {
    case MusicFailure::NoOutput:
    case MusicFailure::Stalled:
        // No file is to blame: the hint about disguised files would send the operator the wrong way.
        text = u"播放失败:\n" + reason;
        break;
    case MusicFailure::Open:
        text = failureText(u"播放失败:\n%1\n\n别的文件伪装成 mp3/wav", reason, path);
        break;
    case MusicFailure::Run:
        text = failureText(u"播放失败：\n%1\n\n别的文件伪装成 mp3/wav", reason, path);
        break;
    case MusicFailure::Playback:
        text = toU16String(
            QStringLiteral("播放异常:\n%1\n\n%2").arg(toQString(pathText(path)), toQString(reason)));
        break;
    }
    m_messages.show(this, text, MessageIcon::Error);
}

void MusicSettingsDialog::seekBy(int direction) {
    if (!m_player)
        return;
    const std::int64_t stop = m_player->stopPositionMs();
    // seek() holds the position within the track.
    m_player->seek(m_player->positionMs() + direction * (stop / 20));
}

} // namespace kelvora
