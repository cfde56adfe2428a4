#include "screen/ui/roll_settings_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "screen/ui/look_fields.h"
#include "screen/ui/margins_dialog.h"
#include "screen/ui/name_font_dialog.h"
#include "settings/interface_rules.h"
#include "settings/roll_settings_rules.h"
#include "ui/dialog_parts.h"

namespace kelvora {

namespace {

constexpr int kSpeedPageStep = 10;
// The first grid row of the shared lines; the replay's order line sits above them.
constexpr int kFirstSharedLine = 1;

QLabel* label(const char* text, QWidget* parent) {
    return new QLabel(QString::fromUtf8(text), parent);
}

} // namespace

// ------------------------------------------------------------------------------------------ shared

RollSettingsDialog::RollSettingsDialog(const Texts& texts, bool spaceAlignedFonts, MessageBox& messages,
                                       QWidget* parent)
    : CenteredDialog(parent), m_spaceAlignedFonts(spaceAlignedFonts), m_messages(messages) {
    setWindowTitle(QString::fromUtf8(texts.title));
    auto* layout = new QVBoxLayout(this);
    m_lines = new QGridLayout;
    int row = kFirstSharedLine;

    m_lines->addWidget(label(texts.areaLabel, this), row, 0);
    m_lines->addWidget(label("同于抽奖滚动区", this), row++, 1, 1, 2);

    m_lines->addWidget(label("一行显示:", this), row, 0);
    m_namesPerRow = lookNumberField(0, "namesPerRow", this);
    m_lines->addWidget(m_namesPerRow, row, 1);
    m_lines->addWidget(label("1-5个", this), row++, 2);

    m_lines->addWidget(label(texts.speedLabel, this), row, 0);
    m_speed = new QSlider(Qt::Horizontal, this);
    m_speed->setObjectName(QStringLiteral("speed"));
    m_speed->setRange(kMinRollSpeed, kMaxRollSpeed);
    m_speed->setPageStep(kSpeedPageStep);
    m_speed->setMinimumWidth(180);
    m_lines->addWidget(m_speed, row, 1);
    m_speedValue = label("", this);
    m_speedValue->setObjectName(QStringLiteral("speedValue"));
    m_speedValue->setMinimumWidth(m_speedValue->fontMetrics().horizontalAdvance(QStringLiteral("000")));
    m_lines->addWidget(m_speedValue, row++, 2);
    connect(m_speed, &QSlider::valueChanged, m_speedValue, qOverload<int>(&QLabel::setNum));
    layout->addLayout(m_lines);

    m_editors = new QHBoxLayout;
    layout->addLayout(m_editors);

    m_namesOnly = new QCheckBox(QString::fromUtf8(texts.namesOnly), this);
    m_namesOnly->setObjectName(QStringLiteral("namesOnly"));
    layout->addWidget(m_namesOnly);
    layout->addWidget(label("图片裁剪：主菜单-参数-界面-照片效果", this));

    auto* closing = new QHBoxLayout;
    QPushButton* defaults = namedButton(QStringLiteral("恢复默认值"), "restoreDefaults", this);
    closing->addWidget(defaults);
    QPushButton* ok = namedButton(QStringLiteral("确定/生效"), "ok", this);
    QPushButton* cancel = namedButton(QStringLiteral("取消"), "cancel", this);
    addClosingRow(*closing, {ok, cancel});
    layout->addLayout(closing);
    connect(defaults, &QPushButton::clicked, this, &RollSettingsDialog::askRestoreDefaults);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void RollSettingsDialog::addEditorButton(const char* text, const char* objectName,
                                         std::function<void()> edit) {
    QPushButton* button = namedButton(QString::fromUtf8(text), objectName, this);
    m_editors->addWidget(button);
    connect(button, &QPushButton::clicked, this, std::move(edit));
}

void RollSettingsDialog::showCommon(std::int32_t namesPerRow, std::int32_t speed, std::int32_t namesOnly) {
    m_namesPerRow->setText(QString::number(namesPerRow));
    m_speed->setValue(clampRollSpeed(speed));
    // The slider does not signal a value it already has; the number must show it all the same.
    m_speedValue->setNum(m_speed->value());
    m_namesOnly->setChecked(namesOnly != 0);
}

std::int32_t RollSettingsDialog::typedNamesPerRow() const {
    return readLookNumber(*m_namesPerRow);
}

std::int32_t RollSettingsDialog::speed() const {
    return m_speed->value();
}

std::int32_t RollSettingsDialog::namesOnly() const {
    return m_namesOnly->isChecked() ? 1 : 0;
}

void RollSettingsDialog::editMargins(Margins& margins) {
    MarginsDialog dialog(margins, m_messages, this);
    if (dialog.exec() == QDialog::Accepted)
        margins = dialog.margins();
}

void RollSettingsDialog::editNameFont(FontStyle& font) {
    NameFontDialog dialog(font, m_spaceAlignedFonts, m_messages, this);
    if (m_colors)
        dialog.setColorChooser(m_colors);
    if (dialog.exec() == QDialog::Accepted)
        font = dialog.font();
}

void RollSettingsDialog::editFont(FontStyle& font) {
    FontDialog dialog(font, this);
    if (m_colors)
        dialog.setColorChooser(m_colors);
    if (dialog.exec() == QDialog::Accepted)
        font = dialog.font();
}

void RollSettingsDialog::askRestoreDefaults() {
    if (m_messages.show(this, kRestoreDefaultsQuestion, MessageIcon::Question, MessageButtons::YesNo) ==
        MessageAnswer::Yes)
        restoreDefaults();
}

// ------------------------------------------------------------------------------------------ replay

PlaybackSettingsDialog::PlaybackSettingsDialog(const PlaybackSettings& live, bool spaceAlignedFonts,
                                               MessageBox& messages, QWidget* parent)
    : RollSettingsDialog({"回放设置", "回放区:", "回放速度:", "图片模式时\n只回放图片文件名"},
                         spaceAlignedFonts, messages, parent),
      m_draft(live) {
    lines().addWidget(label("奖项回放次序:", this), 0, 0);
    auto* order = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    m_sameOrder = new QRadioButton(QStringLiteral("与抽奖相同"), this);
    m_sameOrder->setObjectName(QStringLiteral("sameOrder"));
    m_reverseOrder = new QRadioButton(QStringLiteral("与抽奖相反"), this);
    m_reverseOrder->setObjectName(QStringLiteral("reverseOrder"));
    for (QRadioButton* button : {m_sameOrder, m_reverseOrder}) {
        group->addButton(button);
        order->addWidget(button);
    }
    lines().addLayout(order, 0, 1, 1, 2);

    addEditorButton("内边距", "margins", [this] { editMargins(m_draft.margins); });
    addEditorButton("字体", "nameFont", [this] { editNameFont(m_draft.nameFont); });
    addEditorButton("表头字体", "headingFont", [this] { editFont(m_draft.headingFont); });
    fromRecord(m_draft);
}

void PlaybackSettingsDialog::fromRecord(const PlaybackSettings& s) {
    m_draft = s;
    (s.reverseOrder != 0 ? m_reverseOrder : m_sameOrder)->setChecked(true);
    showCommon(s.namesPerRow, s.speed, s.namesOnly);
}

PlaybackSettings PlaybackSettingsDialog::toRecord() const {
    PlaybackSettings s = m_draft;
    s.reverseOrder = m_reverseOrder->isChecked() ? 1 : 0;
    s.namesPerRow = typedNamesPerRow();
    s.speed = speed();
    s.namesOnly = namesOnly();
    clampPlaybackSettings(s);
    return s;
}

void PlaybackSettingsDialog::restoreDefaults() {
    fromRecord(PlaybackSettings{});
}

// ------------------------------------------------------------------------------------------ full list

FullListSettingsDialog::FullListSettingsDialog(const FullListSettings& live, bool spaceAlignedFonts,
                                               MessageBox& messages, QWidget* parent)
    : RollSettingsDialog({"展示总名单设置", "展示区:", "播放速度:", "图片模式时\n只展示图片文件名"},
                         spaceAlignedFonts, messages, parent),
      m_draft(live) {
    addEditorButton("内边距", "margins", [this] { editMargins(m_draft.margins); });
    addEditorButton("字体", "nameFont", [this] { editNameFont(m_draft.nameFont); });
    fromRecord(m_draft);
}

void FullListSettingsDialog::fromRecord(const FullListSettings& s) {
    m_draft = s;
    showCommon(s.namesPerRow, s.speed, s.namesOnly);
}

FullListSettings FullListSettingsDialog::toRecord() const {
    FullListSettings s = m_draft;
    s.namesPerRow = typedNamesPerRow();
    s.speed = speed();
    s.namesOnly = namesOnly();
    clampFullListSettings(s);
    return s;
}

void FullListSettingsDialog::restoreDefaults() {
    fromRecord(FullListSettings{});
}

} // namespace kelvora
