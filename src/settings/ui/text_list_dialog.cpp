#include "settings/ui/text_list_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace kelvora {

namespace {

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
    : EntrantListDialog(list.entries, listChanged, environment.drawStarted, environment.random,
                        environment.messages, mode, ListShape{QStringLiteral("抽奖名单"), 0.075, 0.86},
                        parent),
      m_list(list), m_env(environment) {
    setWindowTitle(QStringLiteral("抽奖名单 - 文字/号码模式"));
    // The import measures its column alignment in this window's font: the face whose CJK characters are
    // exactly two spaces wide.
    setFont(QFont(QStringLiteral("新宋体"), 10));
    resize(560, 640);

    auto* layout = new QVBoxLayout(this);
    auto* topLine = new QLabel(toQString(kTextListTopLine), this);
    topLine->setObjectName(QStringLiteral("topLine"));
    layout->addWidget(topLine);

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

void TextListDialog::reimport() {
    if (!textListActions(m_drawStarted).reimport || !m_env.importList)
        return;
    if (!emptyForReimport())
        return;
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

FileResult TextListDialog::saveList() {
    return saveTextNameList(m_env.paths, m_list);
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
