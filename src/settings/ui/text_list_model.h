#pragma once
// The rows of the text list editor: a view over the live list, never a copy of its 30000 entries. Column 0
// is the grey 1-based row number, column 1 the name.

#include <QAbstractTableModel>

#include "records/entrant.h"

namespace kelvora {

class TextListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { RowNumberColumn = 0, NameColumn = 1, ColumnCount = 2 };

    TextListModel(const EntrantList& entries, QObject* parent);

    // Takes the list as it now is. Every change to the list is followed by this (one reset rather than
    // 30000 row insertions); until then the rows shown are those of the last refill.
    void refill();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const EntrantList& m_entries;
    // Kept apart from the list's size: an import appends to the live list while the view still shows the
    // old rows, and the view must not be told of rows it has not been given.
    int m_rows = 0;
};

} // namespace kelvora
