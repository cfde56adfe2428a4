// The black and white list editor driven through its buttons, with a scripted picker and message box.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <deque>
#include <functional>

#include "platform/text.h"
#include "settings/ui/black_white_list_dialog.h"
#include "settings/ui/win_order_dialog.h"
#include "support/test_support.h"
#include "support/widget_test_support.h"

namespace kelvora::test {
namespace {

PrizeList onePrize(EntrantList white = {}, EntrantList black = {}) {
    PrizeList prizes(1);
    setField(prizes[0].name, u"一等奖");
    prizes[0].whiteList = std::move(white);
    prizes[0].blackList = std::move(black);
    return prizes;
}

const char16_t* const kNotice =
    u"必读！\n\n一键开关： 大小写键 CapsLk，灯亮时开启，等灭时禁用！\n一键清空： 主界面按 Ctrl+Alt+C "
    u"清空所有黑白名单设置！";

class BlackWhiteListDialogTest : public ::testing::Test {
protected:
    void SetUp() override { qtApp(); }

    RecordingMessageBox messages;
    std::deque<EntrantList> picks;
    int pickerOpened = 0;
    PickEntrantsHook pick = [this](QWidget*) {
        ++pickerOpened;
        EntrantList next;
        if (!picks.empty()) {
            next = std::move(picks.front());
            picks.pop_front();
        }
        return next;
    };

    static void click(QWidget& dialog, const char* name) {
        auto* b = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    static QTableView* view(QWidget& dialog, const char* name) {
        return dialog.findChild<QTableView*>(QString::fromLatin1(name));
    }
    static std::string cell(QTableView* v, int row, int column) {
        return v->model()->index(row, column).data().toString().toStdString();
    }
    static void selectRows(QTableView* v, std::initializer_list<int> rows) {
        v->selectionModel()->clearSelection();
        for (int r : rows)
            v->selectionModel()->select(v->model()->index(r, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    static void clickHeader(QTableView* v, int section) {
        QHeaderView* header = v->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                                 header->height() / 2));
    }
    // Runs steps against the win-order dialog once it is open, then lets the caller's click open it.
    static void onWinOrderDialog(std::function<void(WinOrderDialog&)> steps) {
        QTimer::singleShot(0, [steps] {
            auto* dialog = qobject_cast<WinOrderDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "the win-order dialog did not open";
            steps(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
    }
};

TEST_F(BlackWhiteListDialogTest, EditingThroughTheButtons) {
    PrizeList prizes = onePrize();
    BlackWhiteListDialog dialog(prizes[0], prizes, false, messages, pick, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "一等奖");
    QTableView* white = view(dialog, "whiteList");
    QTableView* black = view(dialog, "blackList");
    ASSERT_TRUE(white && black);
    QAbstractItemModelTester whiteTester(white->model(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester blackTester(black->model(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal);

    // Adding: rows numbered from 1 on grey, random order shown in words.
    picks.push_back(entrantsNamed({u"a", u"b", u"c"}));
    click(dialog, "whiteAdd");
    ASSERT_EQ(white->model()->rowCount(), 3);
    EXPECT_EQ(cell(white, 0, 0), "1");
    EXPECT_EQ(cell(white, 2, 1), "c");
    EXPECT_EQ(cell(white, 1, 2), "0=次序随机");
    EXPECT_EQ(white->model()->index(0, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
              QColor(245, 245, 245));
    EXPECT_EQ(white->model()->headerData(2, Qt::Horizontal).toString().toStdString(), "中奖次序");

    // A conflicting pick is refused whole; an empty pick says nothing.
    picks.push_back(entrantsNamed({u"d", u"b"}));
    click(dialog, "blackAdd");
    EXPECT_EQ(u8(messages.lastText()), u8(u"操作失败：\n已是白名单不可添加到黑名单\nb"));
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Error);
    EXPECT_EQ(black->model()->rowCount(), 0);
    const std::size_t shownBefore = messages.shown.size();
    click(dialog, "blackAdd");
    EXPECT_EQ(messages.shown.size(), shownBefore);
    picks.push_back(entrantsNamed({u"d"}));
    click(dialog, "blackAdd");
    EXPECT_EQ(black->model()->rowCount(), 1);
    EXPECT_EQ(pickerOpened, 4);

    // Deleting: nothing selected, then two rows at once after a Yes; a No keeps the row.
    click(dialog, "whiteDelete");
    EXPECT_EQ(u8(messages.lastText()), u8(u"请先选中白名单"));
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Information);
    click(dialog, "blackDelete");
    EXPECT_EQ(u8(messages.lastText()), u8(u"请先选中黑名单"));
    selectRows(white, {0, 2});
    messages.answers.push_back(MessageAnswer::Yes);
    click(dialog, "whiteDelete");
    EXPECT_EQ(u8(messages.lastText()), u8(u"确定删除？"));
    EXPECT_EQ(namesOf(dialog.draft().white()), (std::vector<std::string>{"b"}));
    ASSERT_EQ(white->model()->rowCount(), 1);
    EXPECT_EQ(cell(white, 0, 0), "1");
    selectRows(black, {0});
    messages.answers.push_back(MessageAnswer::No);
    click(dialog, "blackDelete");
    EXPECT_EQ(black->model()->rowCount(), 1);

    // Win order: refused values keep the dialog open with the value; an accepted one shows in the row.
    click(dialog, "whiteWinOrder");
    EXPECT_EQ(u8(messages.lastText()), u8(u"请先选中白名单"));
    picks.push_back(entrantsNamed({u"e"}));
    click(dialog, "whiteAdd");
    selectRows(white, {1});
    bool stayedOpen = false;
    onWinOrderDialog([&](WinOrderDialog& d) {
        auto* edit = d.findChild<QLineEdit*>(QStringLiteral("winOrder"));
        EXPECT_EQ(edit->text().toStdString(), "0");
        edit->setText(QStringLiteral("40000"));
        d.findChild<QPushButton*>(QStringLiteral("ok"))->click();
        stayedOpen = d.isVisible() && edit->text() == QStringLiteral("40000");
        edit->setText(QStringLiteral("1"));
        d.findChild<QPushButton*>(QStringLiteral("ok"))->click();
    });
    click(dialog, "whiteWinOrder");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Warning);
    EXPECT_EQ(cell(white, 1, 2), "1");
    EXPECT_EQ(dialog.draft().white()[1].winOrder, 1);

    selectRows(white, {0});
    onWinOrderDialog([&](WinOrderDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("winOrder"))->setText(QStringLiteral("1"));
        d.findChild<QPushButton*>(QStringLiteral("ok"))->click();
        EXPECT_EQ(u8(messages.lastText()), u8(u"此中奖次序已存在"));
        d.findChild<QPushButton*>(QStringLiteral("cancel"))->click();
    });
    click(dialog, "whiteWinOrder");
    EXPECT_EQ(dialog.draft().white()[0].winOrder, 0);

    // Header clicks sort; the row-number column does nothing.
    picks.push_back(entrantsNamed({u"A"}));
    click(dialog, "whiteAdd");
    clickHeader(white, 1);
    EXPECT_EQ(namesOf(dialog.draft().white()), (std::vector<std::string>{"A", "b", "e"}));
    EXPECT_EQ(cell(white, 0, 1), "A");
    clickHeader(white, 2);
    EXPECT_EQ(namesOf(dialog.draft().white()), (std::vector<std::string>{"A", "b", "e"}));
    clickHeader(white, 0);
    EXPECT_EQ(cell(white, 2, 2), "1");

    // The guide's picture, when asked for: KELVORA_SCREENSHOTS=<folder>.
    if (const char* folder = std::getenv("KELVORA_SCREENSHOTS"))
        dialog.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/bwlists.png"));

    // Clearing asks first.
    messages.answers.push_back(MessageAnswer::Yes);
    click(dialog, "blackClear");
    EXPECT_EQ(u8(messages.lastText()), u8(u"确定清空？"));
    EXPECT_EQ(black->model()->rowCount(), 0);

    // Escape and the title bar leave it open; "关闭" reminds of CapsLock because lists are set.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(prizes[0].whiteList.empty()) << "the editor changed the prize before it was closed";
    click(dialog, "close");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(u8(messages.lastText()), u8(kNotice));
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Warning);
}

TEST_F(BlackWhiteListDialogTest, DuringADrawOnlySortingIsOffered) {
    PrizeList prizes = onePrize(entrantsNamed({u"b", u"a"}));
    const char* editing[] = {"whiteClear", "whiteDelete", "whiteWinOrder", "whiteAdd",
                             "blackClear", "blackDelete", "blackAdd"};
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<BlackWhiteListDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (const char* name : editing)
            EXPECT_FALSE(dialog->findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled()) << name;
        clickHeader(view(*dialog, "whiteList"), 1);
        // The warning comes once, after the editor has opened.
        QTimer::singleShot(600, dialog, [dialog] { click(*dialog, "close"); });
    });
    const bool changed = editBlackWhiteLists(nullptr, prizes[0], prizes, true, messages, pick);
    EXPECT_TRUE(changed);
    EXPECT_EQ(namesOf(prizes[0].whiteList), (std::vector<std::string>{"a", "b"}));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(u8(messages.shown[0].text), u8(u"抽奖结束后才可修改"));
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(u8(messages.shown[1].text), u8(kNotice));

    // Unchanged lists report no change, and empty ones need no reminder.
    PrizeList empty = onePrize();
    messages.shown.clear();
    QTimer::singleShot(0, [] {
        auto* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        click(*dialog, "close");
    });
    EXPECT_FALSE(editBlackWhiteLists(nullptr, empty[0], empty, false, messages, pick));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(pickerOpened, 0);
}

} // namespace
} // namespace kelvora::test
