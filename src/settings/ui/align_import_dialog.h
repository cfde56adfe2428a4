#pragma once
// "对齐后导入": the operator lists an alignment for each of up to four columns and picks the separator that
// replaces the tabs between them. "列对齐" picks one column's alignment.

#include <functional>
#include <optional>

#include "platform/message_box.h"
#include "settings/list_import.h"
#include "ui/centered_dialog.h"

class QButtonGroup;
class QListWidget;

namespace kelvora {

class ColumnAlignDialog : public CenteredDialog {
    Q_OBJECT
public:
    ColumnAlignDialog(ColumnAlign value, QWidget* parent);
    ColumnAlign value() const;

    // The chosen alignment, or nothing on "取消".
    static std::optional<ColumnAlign> ask(QWidget* parent, ColumnAlign value);

private:
    QButtonGroup* m_group;
};

// Opens the one-column choice; tests answer it without a modal dialog.
using AskColumnAlign = std::function<std::optional<ColumnAlign>(QWidget* parent, ColumnAlign value)>;

// The text the list shows for an alignment.
QString columnAlignText(ColumnAlign align);

class AlignImportDialog : public CenteredDialog {
    Q_OBJECT
public:
    AlignImportDialog(MessageBox& messages, QWidget* parent,
                      AskColumnAlign askColumn = ColumnAlignDialog::ask);

    // Valid after "开始导入": the listed alignments in column order, the rest unaligned, and the separator.
    ImportSettings settings() const;

    static std::optional<ImportSettings> ask(MessageBox& messages, QWidget* parent);

private:
    void add();
    void modify();
    void remove();

    MessageBox& m_messages;
    AskColumnAlign m_askColumn;
    QListWidget* m_list;
    QButtonGroup* m_separators;
};

} // namespace kelvora
