#pragma once
// The winners as a report-style table, one row per winner, prize by prize in the list's order: a grey row
// number, the prize, the name, and in picture mode the picture file's extension in a fourth column that the
// view keeps at width 0 (the name column shows the file name without it). A prize filter shows the winners of
// one prize only. The model reads the live winner list in place and is told when a winner was removed from
// it.

#include <QAbstractTableModel>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "draw/draw_progress.h"

namespace kelvora {

class WinnersModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { RowNumberColumn = 0, PrizeColumn = 1, NameColumn = 2, ExtensionColumn = 3 };

    WinnersModel(const WinnerList& winners, bool pictureMode, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Only the winners of the prize of that name (compared ignoring case); empty = every prize.
    void setPrizeFilter(std::u16string_view prizeName);
    const std::u16string& prizeFilter() const { return m_filter; }

    // The winner shown at row, the prize it won and where it stands in the winner list, or nullptr / empty /
    // nothing for a row out of range.
    const Entrant* winnerAt(int row) const;
    std::u16string_view prizeAt(int row) const;
    std::optional<WinnerPlace> placeAt(int row) const;

    // The list changed (a winner forfeited, a group emptied and gone): everything is read again. The rows
    // below a removed one move up and are numbered anew, so this is a reset rather than a removal.
    void listReset();

private:
    std::vector<WinnerPlace> collectRows() const;

    const WinnerList& m_winners;
    bool m_pictureMode;
    std::u16string m_filter;
    std::vector<WinnerPlace> m_rows;
};

} // namespace kelvora
