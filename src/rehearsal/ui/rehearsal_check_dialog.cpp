#include "rehearsal/ui/rehearsal_check_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/text.h"
#include "ui/qt_text.h"

namespace kelvora {

std::u16string checkSummary(const Findings& findings, const DryRunResult& dryRun) {
    auto count = [&findings](Severity severity) {
        return static_cast<long long>(
            std::count_if(findings.begin(), findings.end(),
                          [severity](const Finding& f) { return f.severity == severity; }));
    };
    std::u16string text =
        findings.empty()
            ? std::u16string(u"没有发现问题")
            : formatText(u"%s 个错误，%s 个警告，%s 个提示",
                         {decimalText(count(Severity::Error)), decimalText(count(Severity::Warning)),
                          decimalText(count(Severity::Note))});
    text += dryRun.cancelled ? formatText(u"；试抽已取消（完成 %s 次）", {decimalText(dryRun.runs)})
                             : formatText(u"；试抽 %s 次", {decimalText(dryRun.runs)});
    return text;
}

RehearsalCheckDialog::RehearsalCheckDialog(Findings findings, const DryRunResult& dryRun,
                                           const std::vector<std::u16string>& odds, QWidget* parent)
    : CenteredDialog(parent), m_findings(std::move(findings)) {
    setWindowTitle(QStringLiteral("彩排检查"));
    auto* layout = new QVBoxLayout(this);
    auto* summary = new QLabel(toQString(checkSummary(m_findings, dryRun)), this);
    summary->setObjectName(QStringLiteral("summary"));
    QFont bold = summary->font();
    bold.setBold(true);
    summary->setFont(bold);
    layout->addWidget(summary);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("findings"));
    m_list->setWordWrap(true);
    for (const Finding& finding : m_findings) {
        auto* item = new QListWidgetItem(toQString(findingLine(finding)), m_list);
        item->setForeground(finding.severity == Severity::Error     ? QColor(198, 40, 40)
                            : finding.severity == Severity::Warning ? QColor(180, 95, 6)
                                                                    : QColor(80, 80, 80));
    }
    layout->addWidget(m_list, 1);
    if (!odds.empty()) {
        QStringList lines;
        for (const std::u16string& line : odds)
            lines << toQString(line);
        auto* oddsLabel =
            new QLabel(QStringLiteral("试抽中黑白名单里的人中奖的次数:\n") + lines.join(u'\n'), this);
        oddsLabel->setObjectName(QStringLiteral("odds"));
        oddsLabel->setWordWrap(true);
        oddsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(oddsLabel);
    }

    auto* buttons = new QDialogButtonBox(this);
    m_fix = buttons->addButton(QStringLiteral("去修改"), QDialogButtonBox::ActionRole);
    m_fix->setObjectName(QStringLiteral("fix"));
    m_fix->setEnabled(false);
    QPushButton* again = buttons->addButton(QStringLiteral("重新检查"), QDialogButtonBox::ActionRole);
    again->setObjectName(QStringLiteral("again"));
    QPushButton* close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);

    auto placeOf = [this](int row) {
        return row >= 0 && row < static_cast<int>(m_findings.size())
                   ? m_findings[static_cast<std::size_t>(row)].place
                   : FixPlace::None;
    };
    connect(m_list, &QListWidget::currentRowChanged, this,
            [this, placeOf](int row) { m_fix->setEnabled(placeOf(row) != FixPlace::None); });
    connect(m_list, &QListWidget::itemDoubleClicked, m_fix, &QPushButton::click);
    connect(m_fix, &QPushButton::clicked, this, [this, placeOf] {
        m_chosen = placeOf(m_list->currentRow());
        if (m_chosen != FixPlace::None)
            accept();
    });
    connect(again, &QPushButton::clicked, this, [this] {
        m_again = true;
        accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    resize(820, 480);
}

} // namespace kelvora
