#include "settings/ui/text_list_model.h"

#include <QBrush>
#include <QColor>

#include "ui/qt_text.h"

namespace kelvora {

TextListModel::TextListModel(const EntrantList& entries, QObject* parent)
    : QAbstractTableModel(parent), m_entries(entries), m_rows(static_cast<int>(entries.size())) {}

void TextListModel::refill() {
    beginResetModel();
    m_rows = static_cast<int>(m_entries.size());
    endResetModel();
}

int TextListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TextListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TextListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const bool number = index.column() == RowNumberColumn;
    switch (role) {
    case Qt::DisplayRole:
        if (number)
            return row + 1;
        if (static_cast<std::size_t>(row) < m_entries.size())
            return toQString(m_entries[static_cast<std::size_t>(row)].text());
        return {};
    case Qt::TextAlignmentRole:
        return number ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                      : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        return number ? QBrush(QColor(245, 245, 245)) : QBrush(Qt::white);
    default:
        return {};
    }
}

QVariant TextListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    if (section == NameColumn)
        return QStringLiteral("抽奖名单");
    if (section == RowNumberColumn)
        return QString();
    return {};
}

} // namespace kelvora
