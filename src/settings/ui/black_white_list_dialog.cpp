#include "settings/ui/black_white_list_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/message_box.h"
#include "settings/ui/entrant_list_model.h"
#include "settings/ui/win_order_dialog.h"
#include "ui/dialog_parts.h"
#include "ui/qt_text.h"
#include "ui/report_view.h"

namespace kelvora {

namespace {

// A table whose columns keep fixed fractions of its width, however the window is sized.
class FractionTableView : public QTableView {
public:
    FractionTableView(std::vector<double> fractions, QWidget* parent)
        : QTableView(parent), m_fractions(std::move(fractions)) {}

protected:
    void resizeEvent(QResizeEvent* event) override {
        QTableView::resizeEvent(event);
        const int width = viewport()->width();
        for (std::size_t i = 0; i < m_fractions.size(); ++i)
            setColumnWidth(static_cast<int>(i), static_cast<int>(width * m_fractions[i]));
    }

private:
    std::vector<double> m_fractions;
};

const char16_t* const kNotice =
    u"必读！\n\n一键开关： 大小写键 CapsLk，灯亮时开启，等灭时禁用！\n一键清空： 主界面按 Ctrl+Alt+C "
    u"清空所有黑白名单设置！";

struct UseCase {
    const char* title;
    const char* text;
};
const UseCase kUseCases[] = {
    {"1. 指定某人中大奖", "把此人加入大奖的白名单，并加入之前所抽奖项的黑名单，以免被先抽的奖项抽走"},
    {"2. 只有某类人可中大奖", "把这类人(如老员工)加入大奖的白名单；他们仍可中其它奖项，但大奖只在他们中产生"},
    {"3. 游戏、比赛、分房抽签", "把每一轮(第一轮、第二轮……)设为一个奖项，各有自己的黑白名单"},
    {"4. 各分公司分享大奖", "把大奖拆成几个奖项(第一部分、第二部分……)，每个奖项一个白名单；适合名额少的奖项"},
};

} // namespace

BlackWhiteListDialog::BlackWhiteListDialog(const PrizeItem& prize, const PrizeList& allPrizes,
                                           bool drawStarted, MessageBox& messages, PickEntrantsHook pick,
                                           QWidget* parent)
    : CenteredDialog(parent), m_draft(prize, allPrizes), m_messages(messages), m_pick(std::move(pick)) {
    setWindowTitle(toQString(prize.nameText()));
    auto* layout = new QVBoxLayout(this);

    auto* lists = new QHBoxLayout;
    lists->addWidget(buildSide(m_white, QStringLiteral("白名单"), true), 3);
    lists->addWidget(buildSide(m_black, QStringLiteral("黑名单"), false), 2);
    layout->addLayout(lists, 1);

    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    QPushButton* close = namedButton(QStringLiteral("关闭"), "close", this);
    close->setDefault(true);
    close->setAutoDefault(true);
    connect(close, &QPushButton::clicked, this, &BlackWhiteListDialog::finish);
    closeRow->addWidget(close);
    closeRow->addStretch();
    layout->addLayout(closeRow);

    layout->addWidget(new QLabel(QStringLiteral("用例："), this));
    auto* uses = new QGridLayout;
    int i = 0;
    for (const UseCase& use : kUseCases) {
        auto* box = new QGroupBox(QString::fromUtf8(use.title), this);
        auto* boxLayout = new QVBoxLayout(box);
        auto* text = new QLabel(QString::fromUtf8(use.text), box);
        text->setWordWrap(true);
        boxLayout->addWidget(text);
        uses->addWidget(box, i / 2, i % 2);
        ++i;
    }
    layout->addLayout(uses);
    resize(820, 620);

    if (drawStarted) {
        for (QPushButton* b : m_editingButtons)
            b->setEnabled(false);
        QTimer::singleShot(
            350, this, [this] { m_messages.show(this, u"抽奖结束后才可修改", MessageIcon::Information); });
    }
    close->setFocus();
}

QWidget* BlackWhiteListDialog::buildSide(Side& side, const QString& header, bool withWinOrder) {
    const bool white = side.side == ListSide::White;
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);

    std::vector<double> fractions =
        white ? std::vector<double>{0.11, 0.57, 0.22} : std::vector<double>{0.15, 0.71};
    auto* view = new FractionTableView(std::move(fractions), panel);
    view->setObjectName(white ? QStringLiteral("whiteList") : QStringLiteral("blackList"));
    side.model = new EntrantListModel(m_draft.list(side.side), header, withWinOrder, view);
    view->setModel(side.model);
    setUpReportView(*view);
    view->horizontalHeader()->setSectionsClickable(true);
    view->horizontalHeader()->setStretchLastSection(false);
    connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this, &side](int section) { sortBy(side, section); });
    side.view = view;
    column->addWidget(view, 1);

    const QString prefix = white ? QStringLiteral("white") : QStringLiteral("black");
    auto* row = new QHBoxLayout;
    QPushButton* clear = namedButton(QStringLiteral("清空"), (white ? "whiteClear" : "blackClear"), panel);
    QPushButton* remove =
        namedButton(QStringLiteral("删除(&D)"), (white ? "whiteDelete" : "blackDelete"), panel);
    connect(clear, &QPushButton::clicked, this, [this, &side] { clearList(side); });
    connect(remove, &QPushButton::clicked, this, [this, &side] { deleteSelected(side); });
    row->addWidget(clear);
    row->addWidget(remove);
    m_editingButtons << clear << remove;
    if (white) {
        QPushButton* order = namedButton(QStringLiteral("修改中奖次序(&E)"), "whiteWinOrder", panel);
        connect(order, &QPushButton::clicked, this, &BlackWhiteListDialog::editWinOrder);
        row->addWidget(order);
        m_editingButtons << order;
    }
    QPushButton* add = namedButton(QStringLiteral("添加..."), (white ? "whiteAdd" : "blackAdd"), panel);
    connect(add, &QPushButton::clicked, this, [this, &side] { addPicked(side); });
    row->addWidget(add);
    m_editingButtons << add;
    row->addStretch();
    if (white)
        row->addWidget(new QLabel(QStringLiteral("(排序:点表头)"), panel));
    column->addLayout(row);
    return panel;
}

void BlackWhiteListDialog::addPicked(Side& side) {
    if (!m_pick)
        return;
    const EntrantList picked = m_pick(this);
    if (picked.empty())
        return;
    const BlackWhiteListDraft::AddResult result = m_draft.add(side.side, picked);
    if (result.refusal) {
        m_messages.show(this, result.refusal->text, result.refusal->icon);
        return;
    }
    if (result.added == 0)
        return;
    side.model->rowsAppended(result.added);
    side.view->scrollTo(side.model->index(side.model->rowCount() - 1, 1));
}

void BlackWhiteListDialog::clearList(Side& side) {
    if (m_draft.list(side.side).empty())
        return;
    if (m_messages.show(this, u"确定清空？", MessageIcon::Question, MessageButtons::YesNo) !=
        MessageAnswer::Yes)
        return;
    m_draft.clear(side.side);
    side.model->listReset();
}

void BlackWhiteListDialog::deleteSelected(Side& side) {
    const QModelIndexList selected = side.view->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        m_messages.show(this, side.side == ListSide::White ? u"请先选中白名单" : u"请先选中黑名单",
                        MessageIcon::Information);
        return;
    }
    if (m_messages.show(this, u"确定删除？", MessageIcon::Question, MessageButtons::YesNo) !=
        MessageAnswer::Yes)
        return;
    std::vector<int> rows;
    rows.reserve(std::size_t(selected.size()));
    for (const QModelIndex& index : selected)
        rows.push_back(index.row());
    m_draft.remove(side.side, std::move(rows));
    side.model->listReset();
}

void BlackWhiteListDialog::editWinOrder() {
    const QModelIndexList selected = m_white.view->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        m_messages.show(this, u"请先选中白名单", MessageIcon::Information);
        return;
    }
    const int row =
        std::min_element(selected.begin(), selected.end(), [](const QModelIndex& a, const QModelIndex& b) {
            return a.row() < b.row();
        })->row();
    WinOrderDialog dialog(m_draft, row, m_messages, this);
    if (dialog.exec() == QDialog::Accepted) {
        m_draft.setWinOrder(row, dialog.value());
        m_white.model->rowChanged(row);
    }
    m_white.view->setFocus();
}

void BlackWhiteListDialog::sortBy(Side& side, int column) {
    BlackWhiteListDraft::SortKey key;
    if (column == 1)
        key = BlackWhiteListDraft::SortKey::Name;
    else if (column == 2 && side.side == ListSide::White)
        key = BlackWhiteListDraft::SortKey::WinOrder;
    else
        return;
    if (m_draft.sort(side.side, key))
        side.model->listReset();
}

void BlackWhiteListDialog::finish() {
    if (!m_draft.white().empty() || !m_draft.black().empty())
        m_messages.show(this, kNotice, MessageIcon::Warning);
    accept();
}

bool editBlackWhiteLists(QWidget* owner, PrizeItem& prize, const PrizeList& allPrizes, bool drawStarted,
                         MessageBox& messages, PickEntrantsHook pick) {
    BlackWhiteListDialog dialog(prize, allPrizes, drawStarted, messages, std::move(pick), owner);
    dialog.exec();
    if (!dialog.draft().changed())
        return false;
    dialog.draft().writeBack(prize);
    return true;
}

} // namespace kelvora
