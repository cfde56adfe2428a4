#include "settings/ui/entrant_list_dialog.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTimer>

#include "draw/pool_arrangement.h"
#include "settings/ui/entrant_list_model.h"
#include "ui/report_view.h"

namespace kelvora {

EntrantListDialog::EntrantListDialog(EntrantList& entries, bool& listChanged, bool drawStarted,
                                     Random15& random, MessageBox& messages, EntrantListMode mode,
                                     const ListShape& shape, QWidget* parent)
    : CenteredDialog(parent), m_entries(entries), m_drawStarted(drawStarted), m_changed(listChanged),
      m_random(random), m_messages(messages), m_mode(mode), m_shape(shape) {
    m_model = new EntrantListModel(m_entries, m_shape.nameHeader, false, this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("list"));
    m_view->setModel(m_model);
    setUpReportView(*m_view);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

EntrantListDialog::~EntrantListDialog() = default;

MessageAnswer EntrantListDialog::say(std::u16string_view text, MessageIcon icon, MessageButtons buttons) {
    return m_messages.show(static_cast<QWidget*>(this), text, icon, buttons);
}

void EntrantListDialog::refill() {
    m_model->listReset();
}

void EntrantListDialog::sortList(SortOrder order) {
    // The buttons are greyed during a draw; the check stays here too, where a keyboard path could reach it.
    if (!textListActions(m_drawStarted).reorder || !sortEntrants(m_entries, order))
        return;
    markChanged();
    refill();
}

void EntrantListDialog::shuffleList() {
    if (!textListActions(m_drawStarted).reorder || !mayReorder(m_entries.size()))
        return;
    shuffleEntrants(m_entries, m_random);
    markChanged();
    refill();
}

bool EntrantListDialog::emptyForReimport() {
    if (m_entries.empty())
        return true;
    // No is the default: Enter by a slip must not throw away a list of thousands.
    if (say(kReimportQuestion, MessageIcon::Question, MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
        return false;
    m_entries.clear();
    refill();
    markChanged();
    return true;
}

void EntrantListDialog::reject() {
    if (m_changed) {
        const FileResult saved = saveList();
        if (saved)
            m_changed = false;
        else
            say(messageText(saved), MessageIcon::Error);
    }
    if (m_mode == EntrantListMode::Select) {
        std::vector<int> rows;
        for (const QModelIndex& index : m_view->selectionModel()->selectedRows())
            rows.push_back(index.row());
        m_selection = selectedEntrants(m_entries, std::move(rows));
    }
    done(QDialog::Accepted);
}

void EntrantListDialog::showEvent(QShowEvent* event) {
    CenteredDialog::showEvent(event);
    layoutColumns();
    if (m_openingMessagesDue) {
        m_openingMessagesDue = false;
        // After the window is on screen, so that the message sits over the list it is about.
        QTimer::singleShot(350, this, [this] { showOpeningMessages(); });
    }
}

void EntrantListDialog::resizeEvent(QResizeEvent* event) {
    CenteredDialog::resizeEvent(event);
    layoutColumns();
}

void EntrantListDialog::showOpeningMessages() {
    if (m_drawStarted)
        say(kListLockedText, MessageIcon::Information);
    if (m_mode == EntrantListMode::Select)
        say(kSelectionHintText, MessageIcon::Information);
}

void EntrantListDialog::layoutColumns() {
    const int width = m_view->viewport()->width();
    QHeaderView* header = m_view->horizontalHeader();
    header->resizeSection(EntrantListModel::RowNumberColumn,
                          static_cast<int>(width * m_shape.rowNumberShare));
    header->resizeSection(EntrantListModel::NameColumn, static_cast<int>(width * m_shape.nameShare));
}

} // namespace kelvora
