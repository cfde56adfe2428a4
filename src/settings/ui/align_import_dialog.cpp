#include "settings/ui/align_import_dialog.h"
#include "ui/dialog_parts.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kelvora {

namespace {

constexpr int kAlignRole = Qt::UserRole;

} // namespace

QString columnAlignText(ColumnAlign align) {
    switch (align) {
    case ColumnAlign::Left:
        return QStringLiteral("左对齐");
    case ColumnAlign::Right:
        return QStringLiteral("右对齐");
    case ColumnAlign::Justify:
        return QStringLiteral("两端对齐");
    case ColumnAlign::None:
    default:
        return QStringLiteral("不做对齐处理");
    }
}

ColumnAlignDialog::ColumnAlignDialog(ColumnAlign value, QWidget* parent) : CenteredDialog(parent) {
    setWindowTitle(QStringLiteral("列对齐"));
    auto* layout = new QVBoxLayout(this);
    m_group = new QButtonGroup(this);
    const QString texts[] = {
        QStringLiteral("不做对齐处理  {不补空格}"), QStringLiteral("左对齐        {右补空格}"),
        QStringLiteral("右对齐        {左补空格}"), QStringLiteral("两端对齐      {中补空格}")};
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(texts[i], this);
        radio->setObjectName(QStringLiteral("align%1").arg(i));
        m_group->addButton(radio, i);
        layout->addWidget(radio);
    }
    // Anything beyond the known values checks the last choice rather than none.
    const int checked = std::clamp(static_cast<int>(value), 0, 3);
    m_group->button(checked)->setChecked(true);

    auto* ok = namedButton(QStringLiteral("确定"), "ok", this);
    auto* cancel = namedButton(QStringLiteral("取消"), "cancel", this);
    addClosingRow(*layout, {ok, cancel});
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

ColumnAlign ColumnAlignDialog::value() const {
    return static_cast<ColumnAlign>(std::max(m_group->checkedId(), 0));
}

std::optional<ColumnAlign> ColumnAlignDialog::ask(QWidget* parent, ColumnAlign value) {
    ColumnAlignDialog dialog(value, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.value();
}

AlignImportDialog::AlignImportDialog(MessageBox& messages, QWidget* parent, AskColumnAlign askColumn)
    : CenteredDialog(parent), m_messages(messages), m_askColumn(std::move(askColumn)) {
    setWindowTitle(QStringLiteral("对齐后导入"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("//一行含一列或多列，多列用Tab字符分割。"), this));
    layout->addWidget(new QLabel(QStringLiteral("1. 去除每列左右空白"), this));
    layout->addWidget(new QLabel(QStringLiteral("2. 依次指定每列的对齐方式"), this));

    auto* listRow = new QHBoxLayout;
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("columns"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFixedHeight(m_list->fontMetrics().lineSpacing() * 5 + 8);
    listRow->addWidget(m_list, 1);
    auto* listButtons = new QVBoxLayout;
    auto* addButton = namedButton(QStringLiteral("添加"), "add", this);
    auto* modifyButton = namedButton(QStringLiteral("修改"), "modify", this);
    auto* removeButton = namedButton(QStringLiteral("删除"), "remove", this);
    listButtons->addWidget(addButton);
    listButtons->addWidget(modifyButton);
    listButtons->addWidget(removeButton);
    listButtons->addStretch();
    listRow->addLayout(listButtons);
    layout->addLayout(listRow);
    layout->addWidget(new QLabel(QStringLiteral("如未指定，不做对齐处理"), this));

    layout->addWidget(new QLabel(QStringLiteral("3. 多列时，将列分隔符Tab转为："), this));
    auto* separatorRow = new QHBoxLayout;
    m_separators = new QButtonGroup(this);
    const QString texts[] = {QStringLiteral("1个空格"), QStringLiteral("2个空格"), QStringLiteral("3个空格"),
                             QStringLiteral("-"), QStringLiteral("空格-空格")};
    for (int i = 0; i < 5; ++i) {
        auto* radio = new QRadioButton(texts[i], this);
        radio->setObjectName(QStringLiteral("separator%1").arg(i));
        m_separators->addButton(radio, i);
        separatorRow->addWidget(radio);
    }
    m_separators->button(0)->setChecked(true);
    layout->addLayout(separatorRow);

    auto* start = namedButton(QStringLiteral("开始导入"), "start", this);
    auto* cancel = namedButton(QStringLiteral("取消"), "cancel", this);
    addClosingRow(*layout, {start, cancel});

    connect(addButton, &QPushButton::clicked, this, &AlignImportDialog::add);
    connect(modifyButton, &QPushButton::clicked, this, &AlignImportDialog::modify);
    connect(removeButton, &QPushButton::clicked, this, &AlignImportDialog::remove);
    connect(start, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void AlignImportDialog::add() {
    if (m_list->count() >= kImportColumns) {
        m_messages.show(this, u"最多4列", MessageIcon::Warning);
        return;
    }
    const std::optional<ColumnAlign> chosen = m_askColumn(this, ColumnAlign::None);
    if (!chosen)
        return;
    auto* item = new QListWidgetItem(columnAlignText(*chosen), m_list);
    item->setData(kAlignRole, static_cast<int>(*chosen));
}

void AlignImportDialog::modify() {
    QListWidgetItem* item = m_list->currentItem();
    if (!item || !item->isSelected()) {
        m_messages.show(this, u"请先选中要修改的项", MessageIcon::Information);
        return;
    }
    const std::optional<ColumnAlign> chosen =
        m_askColumn(this, static_cast<ColumnAlign>(item->data(kAlignRole).toInt()));
    if (!chosen)
        return;
    item->setText(columnAlignText(*chosen));
    item->setData(kAlignRole, static_cast<int>(*chosen));
    item->setSelected(true);
}

void AlignImportDialog::remove() {
    QListWidgetItem* item = m_list->currentItem();
    if (item && item->isSelected())
        delete item;
}

ImportSettings AlignImportDialog::settings() const {
    ImportSettings settings;
    for (int i = 0; i < m_list->count() && i < kImportColumns; ++i)
        settings.aligns[i] = static_cast<ColumnAlign>(m_list->item(i)->data(kAlignRole).toInt());
    static constexpr std::u16string_view separators[] = {u" ", u"  ", u"   ", u"-", u" - "};
    settings.separator = separators[std::clamp(m_separators->checkedId(), 0, 4)];
    return settings;
}

std::optional<ImportSettings> AlignImportDialog::ask(MessageBox& messages, QWidget* parent) {
    AlignImportDialog dialog(messages, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.settings();
}

} // namespace kelvora
