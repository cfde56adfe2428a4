#include "winners/ui/winners_model.h"

#include <QBrush>
#include <QColor>

#include "platform/text.h"
#include "ui/qt_text.h"
#include "winners/winner_export.h"

namespace kelvora {

WinnersModel::WinnersModel(const WinnerList& winners, bool pictureMode, QObject* parent)
    : QAbstractTableModel(parent), m_winners(winners), m_pictureMode(pictureMode), m_rows(collectRows()) {}

std::vector<WinnerPlace> WinnersModel::collectRows() const {
    std::vector<WinnerPlace> rows;
    for (std::size_t g = 0; g < m_winners.size(); ++g) {
        const WinnerGroup& group = m_winners[g];
        if (!m_filter.empty() && !equalsIgnoreCase(group.name(), m_filter))
            continue;
        for (std::size_t e = 0; e < group.entrants.size(); ++e)
            rows.push_back({g, e});
    }
    return rows;
}

int WinnersModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int WinnersModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

const Entrant* WinnersModel::winnerAt(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return nullptr;
    const WinnerPlace& place = m_rows[static_cast<std::size_t>(row)];
    // Between a change of the list and the call that announces it, the views may still ask for old rows.
    if (place.group >= m_winners.size() || place.index >= m_winners[place.group].entrants.size())
        return nullptr;
    return &m_winners[place.group].entrants[place.index];
}

std::optional<WinnerPlace> WinnersModel::placeAt(int row) const {
    if (!winnerAt(row))
        return std::nullopt;
    return m_rows[static_cast<std::size_t>(row)];
}

std::u16string_view WinnersModel::prizeAt(int row) const {
    if (!winnerAt(row))
        return {};
    return m_winners[m_rows[static_cast<std::size_t>(row)].group].name();
}

QVariant WinnersModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        const Entrant* winner = winnerAt(index.row());
        if (!winner)
            return {};
        switch (column) {
        case RowNumberColumn:
            return QString::number(index.row() + 1);
        case PrizeColumn:
            return toQString(prizeAt(index.row()));
        case NameColumn:
            return toQString(m_pictureMode ? splitExtension(winner->text()).first : winner->text());
        default:
            return m_pictureMode ? toQString(splitExtension(winner->text()).second) : QString();
        }
    }
    case Qt::TextAlignmentRole:
        if (column == RowNumberColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        return QBrush(column == RowNumberColumn ? QColor(245, 245, 245) : QColor(Qt::white));
    default:
        return {};
    }
}

QVariant WinnersModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case PrizeColumn:
        return QStringLiteral("奖项");
    case NameColumn:
        return QStringLiteral("名单");
    case RowNumberColumn:
    case ExtensionColumn:
        return QString();
    default:
        return {};
    }
}

void WinnersModel::setPrizeFilter(std::u16string_view prizeName) {
    beginResetModel();
    m_filter.assign(prizeName);
    m_rows = collectRows();
    endResetModel();
}

void WinnersModel::listReset() {
    beginResetModel();
    m_rows = collectRows();
    endResetModel();
}

} // namespace kelvora
