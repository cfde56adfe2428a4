// "从文件导入..." of the list import, offscreen: a CSV as a Chinese Excel saves it (GB18030, a title row)
// goes through the preview, where the operator drops a column, into the import dialog's text.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <fstream>

#include "settings/ui/import_dialog.h"
#include "sheets/ui/sheet_import_dialog.h"
#include "sheets/ui/sheet_preview_model.h"
#include "support/file_test_support.h"
#include "support/widget_test_support.h"

namespace kelvora::test {
namespace {

TEST(SheetDialogTest, AGb18030CsvFillsTheImportTextWithTheChosenColumns) {
    AppHarness app;
    const std::filesystem::path csv = app.dir.path() / "员工名单.csv";
    std::ofstream(csv, std::ios::binary)
        << encodeText("姓名,部门,工号\r\n张三,销售部,00123\r\n\"欧阳, 娜娜\",人事部,00124\r\n", "GB18030");
    TextNameList list;
    ImportDialog dialog(nullptr, list, app.messages, realImportSteps(app.messages, app.files, QFont()));
    dialog.show();

    app.files.answers = {csv};
    std::string seenEncoding;
    bool headerGuessed = false;
    whenOpens<SheetImportDialog>([&](SheetImportDialog& preview) {
        QAbstractItemModelTester tester(&preview.model(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        seenEncoding = preview.findChild<QComboBox*>("encoding")->currentText().toStdString();
        headerGuessed = preview.findChild<QCheckBox*>("header")->isChecked();
        auto* table = preview.findChild<QTableView*>("preview");
        QHeaderView* header = table->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 4, header->height() / 2));
        EXPECT_EQ(preview.model().keptColumns(), (std::vector<int>{0, 2}));
        preview.findChild<QPushButton*>("ok")->click();
    });
    dialog.findChild<QPushButton*>("fromFile")->click();

    EXPECT_EQ(seenEncoding, "GB18030");
    EXPECT_TRUE(headerGuessed);
    EXPECT_EQ(dialog.findChild<QPlainTextEdit*>("text")->toPlainText(),
              QStringLiteral("张三\t00123\n欧阳, 娜娜\t00124\n"));
    EXPECT_TRUE(app.messages.shown.empty());

    // A workbook that is not one is refused with its reason, and the text stays.
    const std::filesystem::path fake = app.dir.path() / "名单.xlsx";
    std::ofstream(fake, std::ios::binary) << "姓名\n张三\n";
    app.files.answers = {fake};
    dialog.findChild<QPushButton*>("fromFile")->click();
    ASSERT_EQ(app.messages.shown.size(), 1u);
    EXPECT_EQ(app.messages.shown[0].icon, MessageIcon::Error);
    EXPECT_NE(app.messages.shown[0].text.find(u"不是有效的表格文件"), std::u16string::npos);
    EXPECT_EQ(dialog.findChild<QPlainTextEdit*>("text")->toPlainText(),
              QStringLiteral("张三\t00123\n欧阳, 娜娜\t00124\n"));
}

} // namespace
} // namespace kelvora::test
