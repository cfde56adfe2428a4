#pragma once
// The first rows of a sheet as a table, the columns the operator keeps marked in their titles and the others
// greyed, the header row (when the first row is one) greyed too. The operator clicks a column's title to keep
// or drop it; nothing of the sheet is changed here.

#include <QAbstractTableModel>

#include <vector>

#include "sheets/sheet_table.h"

namespace kelvora {

class SheetPreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kPreviewRows = 200;

    explicit SheetPreviewModel(QObject* parent = nullptr);

    // sheet must outlive the model or the next setSheet; every column starts kept.
    void setSheet(const Sheet* sheet);
    void setHeaderRow(bool header);
    void toggleColumn(int column);
    // The kept columns, in sheet order.
    std::vector<int> keptColumns() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const Sheet* m_sheet = nullptr;
    std::vector<bool> m_kept;
    bool m_header = false;
};

// "A".."Z", "AA"... for column 0, 1...
QString columnLetters(int column);

} // namespace kelvora
