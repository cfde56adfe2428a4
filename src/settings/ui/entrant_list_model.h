#pragma once
// A black or white list as a report-style table: a grey row-number column, the name, and on the white list
// the win order. The model reads the list it is given in place; whoever changes the list tells the model
// through the calls below, so that views and selections follow.

#include <QAbstractTableModel>

#include "records/entrant.h"

namespace kelvora {

class EntrantListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // withWinOrder: the white list's third column "中奖次序".
    EntrantListModel(const EntrantList& list, QString nameHeader, bool withWinOrder, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

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
