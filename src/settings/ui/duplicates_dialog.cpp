#include "settings/ui/duplicates_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace kelvora {

LinesReportDialog::LinesReportDialog(const QString& title, const QString& heading, int count,
                                     std::u16string_view lines, QWidget* parent)
    : CenteredDialog(parent) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(heading, this));
    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("lines"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The lines are joined with CR LF; the box shows each on its own row without stray CRs.
    text->setPlainText(toQString(lines).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    text->setMinimumSize(360, 240);
    layout->addWidget(text);
    auto* row = new QHBoxLayout;
    auto* number = new QLabel(QString::number(count), this);
    number->setObjectName(QStringLiteral("count"));
    row->addWidget(number);
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    row->addWidget(ok);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

DuplicatesDialog::DuplicatesDialog(int count, std::u16string_view lines, QWidget* parent)
    : LinesReportDialog(QStringLiteral("已去除的重复行"), QStringLiteral("已去除的重复行:"), count, lines,
                        parent) {}

} // namespace kelvora
