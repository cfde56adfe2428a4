#include "sheets/ui/sheet_preview_model.h"

#include <QBrush>
#include <QColor>

#include <algorithm>

#include "ui/qt_text.h"

namespace kelvora {

QString columnLetters(int column) {
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

SheetPreviewModel::SheetPreviewModel(QObject* parent) : QAbstractTableModel(parent) {}

void SheetPreviewModel::setSheet(const Sheet* sheet) {
    beginResetModel();
    m_sheet = sheet;
    m_kept.assign(sheet ? static_cast<std::size_t>(sheet->columnCount) : 0, true);
    endResetModel();
}

void SheetPreviewModel::setHeaderRow(bool header) {
    if (header == m_header)
        return;
    m_header = header;
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(0, columnCount() - 1));
}

void SheetPreviewModel::toggleColumn(int column) {
    if (column < 0 || column >= columnCount())
        return;
    m_kept[static_cast<std::size_t>(column)] = !m_kept[static_cast<std::size_t>(column)];
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

std::vector<int> SheetPreviewModel::keptColumns() const {
    std::vector<int> kept;
    for (std::size_t i = 0; i < m_kept.size(); ++i)
        if (m_kept[i])
            kept.push_back(static_cast<int>(i));
    return kept;
}

int SheetPreviewModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_sheet)
        return 0;
    return std::min(static_cast<int>(m_sheet->rows.size()), kPreviewRows);
}

int SheetPreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_kept.size());
}

QVariant SheetPreviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_sheet)
        return {};
    const std::vector<std::u16string>& cells = m_sheet->rows[static_cast<std::size_t>(index.row())].cells;
    if (role == Qt::DisplayRole) {
        if (index.column() >= static_cast<int>(cells.size()))
            return QString();
        return toQString(cells[static_cast<std::size_t>(index.column())]);
    }
    if (role == Qt::ForegroundRole) {
        const bool dropped =
            !m_kept[static_cast<std::size_t>(index.column())] || (m_header && index.row() == 0);
        return dropped ? QVariant(QBrush(QColor(170, 170, 170))) : QVariant();
    }
    return {};
}

QVariant SheetPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || !m_sheet || section < 0)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical)
        return section < rowCount() ? QVariant(m_sheet->rows[static_cast<std::size_t>(section)].number)
                                    : QVariant();
    if (section >= columnCount())
        return {};
    QString title =
        (m_kept[static_cast<std::size_t>(section)] ? QStringLiteral("☑ ") : QStringLiteral("☐ ")) +
        columnLetters(section);
    if (m_header && !m_sheet->rows.empty()) {
        const std::vector<std::u16string>& first = m_sheet->rows.front().cells;
        if (section < static_cast<int>(first.size()) && !first[static_cast<std::size_t>(section)].empty())
            title += QStringLiteral(" ") + toQString(first[static_cast<std::size_t>(section)]);
    }
    return title;
}

} // namespace kelvora
