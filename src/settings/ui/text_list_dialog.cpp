#include "settings/ui/text_list_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "draw/pool_arrangement.h"
#include "settings/ui/entrant_list_model.h"
#include "ui/qt_text.h"
#include "ui/report_view.h"

namespace kelvora {

namespace {

constexpr double kRowNumberShare = 0.075;
constexpr double kNameShare = 0.86;

QPushButton* addButton(QHBoxLayout* row, const char* name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

} // namespace

TextListDialog::TextListDialog(TextNameList& list, bool& listChanged, const TextListEnvironment& environment,
                               TextListMode mode, QWidget* parent)
    : CenteredDialog(parent), m_list(list), m_changed(listChanged), m_env(environment), m_mode(mode) {
    setWindowTitle(QStringLiteral("抽奖名单 - 文字/号码模式"));
    // The import measures its column alignment in this window's font: the face whose CJK characters are
    // exactly two spaces wide.
    setFont(QFont(QStringLiteral("新宋体"), 10));
    resize(560, 640);

    auto* layout = new QVBoxLayout(this);
    auto* topLine = new QLabel(toQString(kTextListTopLine), this);
    topLine->setObjectName(QStringLiteral("topLine"));
    layout->addWidget(topLine);

    m_model = new EntrantListModel(m_list.entries, QStringLiteral("抽奖名单"), false, this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("list"));
    m_view->setModel(m_model);
    setUpReportView(*m_view);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_view, 1);

    auto* buttons = new QHBoxLayout;
    QPushButton* ascending = addButton(buttons, "ascending", QStringLiteral("升序"), this);
    QPushButton* descending = addButton(buttons, "descending", QStringLiteral("降序"), this);
    QPushButton* shuffle = addButton(buttons, "shuffle", QStringLiteral("打乱"), this);
    QPushButton* reimportButton = addButton(buttons, "reimport", QStringLiteral("重新导入..."), this);
    QPushButton* exportButton = addButton(buttons, "export", QStringLiteral("导出..."), this);
    buttons->addStretch(1);
    QPushButton* ok = addButton(buttons, "ok", QStringLiteral("确定"), this);
    ok->setDefault(true);
    layout->addLayout(buttons);

    const TextListActions actions = textListActions(m_env.drawStarted);
    ascending->setEnabled(actions.reorder);
    descending->setEnabled(actions.reorder);
    shuffle->setEnabled(actions.reorder);
    // Without an import the button could only empty the list.
    reimportButton->setEnabled(actions.reimport && m_env.importList);
    exportButton->setEnabled(actions.exportList);

    connect(ascending, &QPushButton::clicked, this, [this] { sortList(SortOrder::Ascending); });
    connect(descending, &QPushButton::clicked, this, [this] { sortList(SortOrder::Descending); });
    connect(shuffle, &QPushButton::clicked, this, [this] { shuffleList(); });
    connect(reimportButton, &QPushButton::clicked, this, [this] { reimport(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { exportList(); });
    connect(ok, &QPushButton::clicked, this, [this] { reject(); });
    ok->setFocus();
}

TextListDialog::~TextListDialog() = default;

MessageAnswer TextListDialog::say(std::u16string_view text, MessageIcon icon, MessageButtons buttons) {
    return m_env.messages.show(static_cast<QWidget*>(this), text, icon, buttons);
}

void TextListDialog::markChanged() {
    m_changed = true;
}

void TextListDialog::refill() {
    m_model->listReset();
}

void TextListDialog::sortList(SortOrder order) {
    // The buttons are greyed during a draw; the check stays here too, where a keyboard path could reach it.
    if (!textListActions(m_env.drawStarted).reorder || !sortEntrants(m_list.entries, order))
        return;
    markChanged();
    refill();
}

void TextListDialog::shuffleList() {
    if (!textListActions(m_env.drawStarted).reorder || !mayReorder(m_list.entries.size()))
        return;
    shuffleEntrants(m_list.entries, m_env.random);
    markChanged();
    refill();
}

void TextListDialog::reimport() {
    if (!textListActions(m_env.drawStarted).reimport || !m_env.importList)
        return;
    if (!m_list.entries.empty()) {
        // No is the default: Enter by a slip must not throw away a list of thousands.
        if (say(kReimportQuestion, MessageIcon::Question, MessageButtons::YesNoDefaultNo) !=
            MessageAnswer::Yes)
            return;
        m_list.entries.clear();
        refill();
        markChanged();
    }
    // The flag belongs to the import that padded the old entries; an unsaved reset would bring it back at the
    // next start over entries that were never padded.
    if (m_list.spaceAligned != 0) {
        m_list.spaceAligned = 0;
        markChanged();
    }
    m_env.importList(this, m_list);
    if (!m_list.entries.empty()) {
        refill();
        markChanged();
    }
}

void TextListDialog::exportList() {
    const std::optional<std::filesystem::path> chosen =
        m_env.files.saveFile(static_cast<QWidget*>(this), u"导出", u"抽奖名单.txt", u"文件文件(txt) (*.txt)");
    if (!chosen)
        return;
    const FileResult result = exportTextListFile(withTextExtension(*chosen), m_list.entries);
    if (!result) {
        say(messageText(result), MessageIcon::Error);
        return;
    }
    say(kExportDoneText, MessageIcon::Information);
}

void TextListDialog::reject() {
    if (m_changed) {
        const FileResult saved = saveTextNameList(m_env.paths, m_list);
        if (saved)
            m_changed = false;
        else
            say(messageText(saved), MessageIcon::Error);
    }
    if (m_mode == TextListMode::Select) {
        std::vector<int> rows;
        for (const QModelIndex& index : m_view->selectionModel()->selectedRows())
            rows.push_back(index.row());
        m_selection = selectedEntrants(m_list.entries, std::move(rows));
    }
    done(QDialog::Accepted);
}

void TextListDialog::showEvent(QShowEvent* event) {
    CenteredDialog::showEvent(event);
    layoutColumns();
    if (m_openingMessagesDue) {
        m_openingMessagesDue = false;
        // After the window is on screen, so that the message sits over the list it is about.
        QTimer::singleShot(350, this, [this] { showOpeningMessages(); });
    }
}

void TextListDialog::resizeEvent(QResizeEvent* event) {
    CenteredDialog::resizeEvent(event);
    layoutColumns();
}

void TextListDialog::showOpeningMessages() {
    if (m_env.drawStarted)
        say(kListLockedText, MessageIcon::Information);
    if (m_mode == TextListMode::Select)
        say(kSelectionHintText, MessageIcon::Information);
}

void TextListDialog::layoutColumns() {
    // Truncated like every pixel position of the program's layouts.
    const int width = m_view->viewport()->width();
    QHeaderView* header = m_view->horizontalHeader();
    header->resizeSection(EntrantListModel::RowNumberColumn, static_cast<int>(width * kRowNumberShare));
    header->resizeSection(EntrantListModel::NameColumn, static_cast<int>(width * kNameShare));
}

void editTextList(QWidget* owner, TextNameList& list, bool& listChanged,
                  const TextListEnvironment& environment) {
    TextListDialog dialog(list, listChanged, environment, TextListMode::Edit, owner);
    dialog.exec();
}

EntrantList pickTextEntrants(QWidget* owner, TextNameList& list, bool& listChanged,
                             const TextListEnvironment& environment) {
    TextListDialog dialog(list, listChanged, environment, TextListMode::Select, owner);
    dialog.exec();
    return dialog.selection();
}

} // namespace kelvora
