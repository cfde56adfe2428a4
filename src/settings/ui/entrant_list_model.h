#pragma once
// A list of entrants as a report-style table: a grey row-number column, the name, and on a white list the
// win order. The name list editor and the black and white list editor show their lists through it. The model
// reads the list it is given in place; whoever changes the list tells the model through the calls below, so
// that views and selections follow.

#include <QAbstractTableModel>

#include "records/entrant.h"

namespace kelvora {

class EntrantListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { RowNumberColumn = 0, NameColumn = 1, WinOrderColumn = 2 };

    // withWinOrder: the white list's third column "中奖次序".
    EntrantListModel(const EntrantList& list, QString nameHeader, bool withWinOrder, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // count entries were appended to the list.
    void rowsAppended(int count);
    // The list changed in any other way (deleted, cleared, sorted): everything is read again.
    void listReset();
    // The entry at row changed in place.
    void rowChanged(int row);

private:
    const EntrantList& m_list;
    QString m_nameHeader;
    bool m_withWinOrder;
    int m_rows; // what the views were last told; the list may run ahead of it inside a change
};

} // namespace kelvora
