#include "settings/ui/number_generator_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_parts.h"
#include "ui/qt_text.h"

namespace kelvora {

namespace {

QLineEdit* field(const char* name, int maxLength, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    return edit;
}

std::u16string text(const QLineEdit* edit) {
    return toU16String(edit->text());
}

} // namespace

NumberGeneratorDialog::NumberGeneratorDialog(MessageBox& messages, QWidget* parent)
    : CenteredDialog(parent), m_messages(messages) {
    setWindowTitle(QStringLiteral("生成号码/座号"));
    const NumberSeries defaults;
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    m_start = field("start", 10, this);
    m_end = field("end", 10, this);
    m_step = field("step", 10, this);
    m_fixedWidth = new QCheckBox(QStringLiteral("固定宽度"), this);
    m_fixedWidth->setObjectName(QStringLiteral("fixedWidth"));
    m_width = field("width", 10, this);
    m_prefix = field("prefix", kNumberAffixUnits, this);
    m_suffix = field("suffix", kNumberAffixUnits, this);
    m_filter = field("filter", kUnluckyFilterUnits, this);

    int r = 0;
    grid->addWidget(new QLabel(QStringLiteral("开始:"), this), r, 0);
    grid->addWidget(m_start, r, 1);
    grid->addWidget(new QLabel(QStringLiteral(">=0"), this), r++, 2);
    grid->addWidget(new QLabel(QStringLiteral("结束:"), this), r, 0);
    grid->addWidget(m_end, r++, 1);
    grid->addWidget(new QLabel(QStringLiteral("间隔:"), this), r, 0);
    grid->addWidget(m_step, r, 1);
    grid->addWidget(new QLabel(QStringLiteral(">=1"), this), r++, 2);
    grid->addWidget(m_fixedWidth, r, 0);
    grid->addWidget(m_width, r, 1);
    grid->addWidget(new QLabel(QStringLiteral("位>=1"), this), r, 2);
    grid->addWidget(new QLabel(QStringLiteral("如3位:8→008"), this), r++, 3);
    grid->addWidget(new QLabel(QStringLiteral("前缀:"), this), r, 0);
    grid->addWidget(m_prefix, r, 1);
    grid->addWidget(new QLabel(QStringLiteral("(可选)"), this), r++, 2);
    grid->addWidget(new QLabel(QStringLiteral("后缀:"), this), r, 0);
    grid->addWidget(m_suffix, r, 1);
    grid->addWidget(new QLabel(QStringLiteral("(可选)"), this), r++, 2);
    layout->addLayout(grid);

    auto* group = new QGroupBox(QStringLiteral("滤除不吉利的号码"), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(new QLabel(QStringLiteral("含以下数字之一的，\n多个请用逗号分割："), group));
    groupLayout->addWidget(m_filter);
    layout->addWidget(group);

    auto* generateButton = namedButton(QStringLiteral("生成"), "generate", this);
    auto* cancel = namedButton(QStringLiteral("取消"), "cancel", this);
    addClosingRow(*layout, {generateButton, cancel});

    m_start->setText(QString::number(defaults.start));
    m_end->setText(QString::number(defaults.end));
    m_step->setText(QString::number(defaults.step));
    m_fixedWidth->setChecked(defaults.fixedWidth);
    m_width->setText(QString::number(defaults.width));
    m_width->setEnabled(defaults.fixedWidth);
    connect(m_fixedWidth, &QCheckBox::toggled, m_width, &QWidget::setEnabled);
    connect(generateButton, &QPushButton::clicked, this, &NumberGeneratorDialog::generate);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

NumberSeries NumberGeneratorDialog::series() const {
    NumberSeries series;
    series.start = readNumberField(text(m_start));
    series.end = readNumberField(text(m_end));
    series.step = readNumberField(text(m_step));
    series.fixedWidth = m_fixedWidth->isChecked();
    series.width = readNumberField(text(m_width));
    series.prefix = text(m_prefix);
    series.suffix = text(m_suffix);
    series.unluckyFilter = text(m_filter);
    return series;
}

void NumberGeneratorDialog::generate() {
    const NumberSeries series = clampedSeries(this->series());
    m_start->setText(QString::number(series.start));
    m_end->setText(QString::number(series.end));
    m_step->setText(QString::number(series.step));
    m_width->setText(QString::number(series.width));
    GeneratedNumbers generated = generateNumbers(series);
    if (generated.lines.empty()) {
        // Nothing to hand back: the operator changes the filter or the range here.
        m_messages.show(this, kNoNumbersText, MessageIcon::Warning);
        return;
    }
    m_output = std::move(generated.lines);
    if (generated.limitReached)
        m_messages.show(this, kTooManyNumbersText, MessageIcon::Warning);
    accept();
}

std::optional<std::vector<std::u16string>> NumberGeneratorDialog::ask(MessageBox& messages, QWidget* parent) {
    NumberGeneratorDialog dialog(messages, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.output();
}

} // namespace kelvora
