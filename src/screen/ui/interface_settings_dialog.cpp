#include "screen/ui/interface_settings_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/file_picker.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "records/file_system.h"
#include "records/settings_file.h"
#include "screen/ui/look_fields.h"
#include "screen/ui/look_option_dialogs.h"
#include "screen/ui/margins_dialog.h"
#include "settings/interface_rules.h"
#include "ui/dialog_parts.h"
#include "ui/qt_text.h"

namespace kelvora {

namespace {

QLineEdit* textEdit(const char* name, int maxUnits, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxUnits);
    edit->setMinimumWidth(260);
    return edit;
}

std::int32_t number(const QLineEdit* edit) {
    return readLookNumber(*edit);
}

void setNumber(QLineEdit* edit, std::int32_t value) {
    edit->setText(QString::number(value));
}

} // namespace

InterfaceSettingsDialog::InterfaceSettingsDialog(const InterfaceSettings& live, const DataPaths& paths,
                                                 bool spaceAlignedFonts, MessageBox& messages,
                                                 FilePicker& files, ApplyLook apply, QWidget* parent)
    : CenteredDialog(parent), m_draft(live), m_paths(paths), m_spaceAlignedFonts(spaceAlignedFonts),
      m_messages(messages), m_files(files), m_apply(std::move(apply)) {
    setWindowTitle(QStringLiteral("界面设置"));
    auto* layout = new QVBoxLayout(this);

    auto* backgroundRow = new QHBoxLayout;
    backgroundRow->addWidget(new QLabel(QStringLiteral("背景"), this));
    m_background = textEdit("background", InterfaceSettings::kBackgroundUnits - 1, this);
    m_background->setReadOnly(true);
    backgroundRow->addWidget(m_background, 1);
    QPushButton* builtIn = namedButton(QStringLiteral("内置"), "builtInBackground", this);
    QPushButton* custom = namedButton(QStringLiteral("自定义"), "customBackground", this);
    backgroundRow->addWidget(builtIn);
    backgroundRow->addWidget(custom);
    layout->addLayout(backgroundRow);
    connect(builtIn, &QPushButton::clicked, this, [this] { chooseBackground(true); });
    connect(custom, &QPushButton::clicked, this, [this] { chooseBackground(false); });

    // One row per band, top to bottom as they stand on the screen: name, text, height, margins, font.
    auto* bands = new QGridLayout;
    int row = 0;
    const auto addButton = [this, bands](int r, int column, const QString& text, const char* name,
                                         auto slot) {
        QPushButton* button = namedButton(text, name, this);
        bands->addWidget(button, r, column);
        connect(button, &QPushButton::clicked, this, slot);
    };
    const auto titleRow = [&](const QString& label, QLineEdit*& text, QLineEdit*& height,
                              const char* textName, const char* heightName, const char* marginsName,
                              const char* fontName, Margins InterfaceSettings::*margins,
                              FontStyle InterfaceSettings::*font) {
        bands->addWidget(new QLabel(label, this), row, 0);
        text = textEdit(textName, InterfaceSettings::kTitleUnits - 1, this);
        bands->addWidget(text, row, 1);
        bands->addWidget(new QLabel(QStringLiteral("%高"), this), row, 2);
        height = lookNumberField(0, heightName, this);
        bands->addWidget(height, row, 3);
        addButton(row, 4, QStringLiteral("内边距"), marginsName, [this, margins] { editMargins(margins); });
        addButton(row, 5, QStringLiteral("字体"), fontName, [this, font] { editFont(font); });
        ++row;
    };
    titleRow(QStringLiteral("主"), m_mainTitle, m_mainHeight, "mainTitle", "mainHeight", "mainMargins",
             "mainFont", &InterfaceSettings::mainTitleMargins, &InterfaceSettings::mainTitleFont);
    titleRow(QStringLiteral("副"), m_subtitle, m_subHeight, "subtitle", "subHeight", "subMargins", "subFont",
             &InterfaceSettings::subtitleMargins, &InterfaceSettings::subtitleFont);

    bands->addWidget(new QLabel(QStringLiteral("信息条"), this), row, 0);
    bands->addWidget(new QLabel(QStringLiteral("高"), this), row, 2);
    m_infoHeight = lookNumberField(0, "infoHeight", this);
    bands->addWidget(m_infoHeight, row, 3);
    addButton(row, 4, QStringLiteral("内边距"), "infoMargins",
              [this] { editMargins(&InterfaceSettings::infoBarMargins); });
    addButton(row, 5, QStringLiteral("字体"), "infoFont",
              [this] { editFont(&InterfaceSettings::infoBarFont); });
    addButton(row, 6, QStringLiteral("显示内容"), "infoContent", [this] { editInfoBarContent(); });
    ++row;

    bands->addWidget(new QLabel(QStringLiteral("滚动区"), this), row, 0);
    bands->addWidget(new QLabel(QStringLiteral("滚速"), this), row, 2);
    // The range stands beside the edit, which always holds a value: as placeholder text it would never show.
    // Edit and range share the column of the heights, whose edits are wider than a speed needs.
    m_scrollSpeed = lookNumberField(0, "scrollSpeed", this);
    auto* speedRange = new QLabel(QStringLiteral("1-60"), this);
    speedRange->setObjectName(QStringLiteral("scrollSpeedRange"));
    auto* speedCell = new QHBoxLayout;
    speedCell->setContentsMargins(0, 0, 0, 0);
    speedCell->setSpacing(4);
    speedCell->addWidget(m_scrollSpeed, 1);
    speedCell->addWidget(speedRange);
    m_scrollSpeed->setMaximumWidth(m_mainHeight->maximumWidth() - speedCell->spacing() -
                                   speedRange->sizeHint().width());
    bands->addLayout(speedCell, row, 3);
    addButton(row, 4, QStringLiteral("内边距"), "scrollMargins",
              [this] { editMargins(&InterfaceSettings::scrollMargins); });
    addButton(row, 5, QStringLiteral("字体/多列"), "scrollFont", [this] { editScrollFont(); });
    addButton(row, 6, QStringLiteral("照片效果"), "photoEffect", [this] { editPhotoEffect(); });
    ++row;
    layout->addLayout(bands);

    auto* winnersRow = new QHBoxLayout;
    m_winnerNumbers = new QCheckBox(QStringLiteral("显示中奖序号"), this);
    m_winnerNumbers->setObjectName(QStringLiteral("winnerNumbers"));
    winnersRow->addWidget(m_winnerNumbers);
    winnersRow->addSpacing(24);
    m_hideDigits = new QCheckBox(QStringLiteral("隐藏号码位"), this);
    m_hideDigits->setObjectName(QStringLiteral("hideDigits"));
    winnersRow->addWidget(m_hideDigits);
    winnersRow->addWidget(new QLabel(QStringLiteral("从"), this));
    m_hideFrom = lookNumberField(0, "hideFrom", this);
    winnersRow->addWidget(m_hideFrom);
    winnersRow->addWidget(new QLabel(QStringLiteral("到"), this));
    m_hideTo = lookNumberField(0, "hideTo", this);
    winnersRow->addWidget(m_hideTo);
    winnersRow->addStretch(1);
    layout->addLayout(winnersRow);
    connect(m_hideDigits, &QCheckBox::toggled, this, [this](bool on) {
        m_hideFrom->setEnabled(on);
        m_hideTo->setEnabled(on);
    });

    auto* prizeRow = new QHBoxLayout;
    prizeRow->addWidget(new QLabel(QStringLiteral("奖品图\n(浮动)"), this));
    m_prizeLeft = new QRadioButton(QStringLiteral("屏幕左侧"), this);
    m_prizeLeft->setObjectName(QStringLiteral("prizeLeft"));
    m_prizeRight = new QRadioButton(QStringLiteral("屏幕右侧"), this);
    m_prizeRight->setObjectName(QStringLiteral("prizeRight"));
    prizeRow->addWidget(m_prizeLeft);
    prizeRow->addWidget(m_prizeRight);
    prizeRow->addWidget(new QLabel(QStringLiteral("宽"), this));
    m_prizeWidth = lookNumberField(0, "prizeWidth", this);
    prizeRow->addWidget(m_prizeWidth);
    prizeRow->addWidget(new QLabel(QStringLiteral("%"), this));
    QPushButton* prizeMargins = namedButton(QStringLiteral("内边距"), "prizeMargins", this);
    prizeRow->addWidget(prizeMargins);
    prizeRow->addStretch(1);
    layout->addLayout(prizeRow);
    connect(prizeMargins, &QPushButton::clicked, this,
            [this] { editMargins(&InterfaceSettings::prizeImageMargins); });

    auto* closing = new QHBoxLayout;
    QPushButton* defaults = namedButton(QStringLiteral("恢复默认值"), "restoreDefaults", this);
    closing->addWidget(defaults);
    QPushButton* ok = namedButton(QStringLiteral("确定"), "ok", this);
    QPushButton* cancel = namedButton(QStringLiteral("取消"), "cancel", this);
    QPushButton* applyButton = namedButton(QStringLiteral("应用/生效"), "apply", this);
    addClosingRow(*closing, {ok, cancel, applyButton});
    layout->addLayout(closing);
    connect(defaults, &QPushButton::clicked, this, &InterfaceSettingsDialog::restoreDefaults);
    connect(ok, &QPushButton::clicked, this, &InterfaceSettingsDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(applyButton, &QPushButton::clicked, this, &InterfaceSettingsDialog::applyDraft);

    fromRecord(m_draft);
    // The main title is what an operator changes first, and the fields follow the bands from there.
    m_mainTitle->setFocus();
}

void InterfaceSettingsDialog::fromRecord(const InterfaceSettings& s) {
    m_draft = s;
    m_background->setText(toQString(fieldText(s.backgroundImage)));
    m_mainTitle->setText(toQString(fieldText(s.mainTitle)));
    setNumber(m_mainHeight, s.mainTitleHeightPct);
    m_subtitle->setText(toQString(fieldText(s.subtitle)));
    setNumber(m_subHeight, s.subtitleHeightPct);
    setNumber(m_infoHeight, s.infoBarHeightPct);
    setNumber(m_scrollSpeed, s.scrollSpeed);
    m_winnerNumbers->setChecked(s.showWinnerNumbers != 0);
    m_hideDigits->setChecked(s.hideDigits != 0);
    setNumber(m_hideFrom, s.hideFrom);
    setNumber(m_hideTo, s.hideTo);
    m_hideFrom->setEnabled(s.hideDigits != 0);
    m_hideTo->setEnabled(s.hideDigits != 0);
    (s.prizeImageOnLeft != 0 ? m_prizeLeft : m_prizeRight)->setChecked(true);
    setNumber(m_prizeWidth, s.prizeImageWidthPct);
}

InterfaceSettings InterfaceSettingsDialog::toRecord(std::u16string* warning) const {
    InterfaceSettings s = m_draft;
    setField(s.backgroundImage, toU16String(m_background->text()));
    setField(s.mainTitle, toU16String(m_mainTitle->text()));
    s.mainTitleHeightPct = number(m_mainHeight);
    setField(s.subtitle, toU16String(m_subtitle->text()));
    s.subtitleHeightPct = number(m_subHeight);
    s.infoBarHeightPct = number(m_infoHeight);
    s.scrollSpeed = number(m_scrollSpeed);
    s.showWinnerNumbers = m_winnerNumbers->isChecked() ? 1 : 0;
    s.hideDigits = m_hideDigits->isChecked() ? 1 : 0;
    s.hideFrom = number(m_hideFrom);
    s.hideTo = number(m_hideTo);
    s.prizeImageOnLeft = m_prizeLeft->isChecked() ? 1 : 0;
    s.prizeImageWidthPct = number(m_prizeWidth);
    std::u16string tooSmall = clampInterfaceSettings(s);
    if (warning)
        *warning = std::move(tooSmall);
    return s;
}

void InterfaceSettingsDialog::applyDraft() {
    std::u16string warning;
    const InterfaceSettings corrected = toRecord(&warning);
    if (!warning.empty())
        m_messages.show(this, warning, MessageIcon::Warning);
    fromRecord(corrected);
    if (m_apply)
        m_apply(m_draft);
}

void InterfaceSettingsDialog::confirm() {
    applyDraft();
    accept();
}

void InterfaceSettingsDialog::restoreDefaults() {
    if (m_messages.show(this, kRestoreDefaultsQuestion, MessageIcon::Question, MessageButtons::YesNo) !=
        MessageAnswer::Yes)
        return;
    InterfaceSettings defaults;
    resetInterfaceSettings(defaults);
    fromRecord(defaults);
}

void InterfaceSettingsDialog::chooseBackground(bool builtIn) {
    const std::optional<std::filesystem::path> chosen = m_files.openFile(
        this, u"选择背景图", kBackgroundFilter, builtIn ? m_paths.builtinFolder : std::filesystem::path());
    if (!chosen)
        return;
    const std::filesystem::path destination = m_paths.interfaceFolder / chosen->filename();
    m_background->setText(toQString(pathText(chosen->filename())));
    // A picture already in the interface folder is the destination itself and is not copied onto itself.
    const FileResult copied = copyIntoDataFolder(*chosen, destination);
    if (!copied)
        m_messages.show(this, messageText(copied), MessageIcon::Error);
}

void InterfaceSettingsDialog::editMargins(Margins InterfaceSettings::*field) {
    MarginsDialog dialog(m_draft.*field, m_messages, this);
    if (dialog.exec() == QDialog::Accepted)
        m_draft.*field = dialog.margins();
}

void InterfaceSettingsDialog::editFont(FontStyle InterfaceSettings::*field) {
    FontDialog dialog(m_draft.*field, this);
    if (m_colors)
        dialog.setColorChooser(m_colors);
    if (dialog.exec() == QDialog::Accepted)
        m_draft.*field = dialog.font();
}

void InterfaceSettingsDialog::editScrollFont() {
    ScrollFontDialog dialog(m_draft.scrollFont, m_spaceAlignedFonts, m_messages, this);
    if (m_colors)
        dialog.setColorChooser(m_colors);
    if (dialog.exec() == QDialog::Accepted)
        m_draft.scrollFont = dialog.font();
}

void InterfaceSettingsDialog::editInfoBarContent() {
    InfoBarContentDialog dialog(m_draft, this);
    if (dialog.exec() == QDialog::Accepted)
        dialog.writeTo(m_draft);
}

void InterfaceSettingsDialog::editPhotoEffect() {
    PhotoEffectDialog dialog(m_draft, this);
    if (dialog.exec() == QDialog::Accepted)
        dialog.writeTo(m_draft);
}

} // namespace kelvora
