#include "settings/ui/entrant_list_model.h"

#include <QBrush>
#include <QColor>

#include "settings/black_white_rules.h"
#include "ui/qt_text.h"

namespace kelvora {

EntrantListModel::EntrantListModel(const EntrantList& list, QString nameHeader, bool withWinOrder,
                                   QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_nameHeader(std::move(nameHeader)),
      m_withWinOrder(withWinOrder), m_rows(static_cast<int>(list.size())) {}

int EntrantListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int EntrantListModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_withWinOrder ? 3 : 2;
}

QVariant EntrantListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const int column = index.column();
    // Between a change of the list and the reset that announces it, the views may still ask for old rows.
    if (std::size_t(row) >= m_list.size())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        const Entrant& e = m_list[std::size_t(row)];
        if (column == 0)
            return QString::number(row + 1);
        if (column == 1)
            return toQString(e.text());
        return toQString(winOrderText(e.winOrder));
    }
    case Qt::TextAlignmentRole:
        if (column == 0)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        return QBrush(column == 0 ? QColor(245, 245, 245) : QColor(Qt::white));
    default:
        return {};
    }
}

QVariant EntrantListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case 0:
        return QString();
    case 1:
        return m_nameHeader;
    case 2:
        return m_withWinOrder ? QStringLiteral("中奖次序") : QVariant();
    default:
        return {};
    }
}

void EntrantListModel::rowsAppended(int count) {
    if (count <= 0)
        return;
    beginInsertRows(QModelIndex(), m_rows, m_rows + count - 1);
    m_rows += count;
    endInsertRows();
}

void EntrantListModel::listReset() {
    beginResetModel();
    m_rows = static_cast<int>(m_list.size());
    endResetModel();
}

void EntrantListModel::rowChanged(int row) {
    if (row < 0 || row >= m_rows)
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole});
}

} // namespace kelvora
