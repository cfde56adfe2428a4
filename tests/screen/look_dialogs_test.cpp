// The look's small dialogs offscreen: the font dialogs' round trip with the size clamp, the effect and the
// colour swatches answered by a scripted chooser; the scroll font's limited faces and its one notice; the
// margins' corrections and warning; the info bar's and the photo effects' fields.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "screen/font_faces.h"
#include "screen/font_setup.h"
#include "screen/photo_tiles.h"
#include "screen/ui/font_dialog.h"
#include "screen/ui/interface_settings_dialog.h"
#include "screen/ui/look_option_dialogs.h"
#include "screen/ui/margins_dialog.h"
#include "settings/interface_rules.h"
#include "support/test_support.h"
#include "support/widget_test_support.h"

namespace kelvora::test {
namespace {

class WidgetsEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        const char* source = std::getenv("KELVORA_SOURCE_DIR");
        const std::filesystem::path root = source && *source ? source : KELVORA_SOURCE_ROOT;
        // Before the application: Qt reads the font list once.
        ASSERT_TRUE(loadFontAliases(root / "resources" / "fonts" / "kelvora-fonts.conf"));
        qtApp();
    }
};
[[maybe_unused]] ::testing::Environment* const g_widgets =
    ::testing::AddGlobalTestEnvironment(new WidgetsEnvironment);

template <typename T> T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void click(QWidget& dialog, const char* name) {
    child<QAbstractButton>(dialog, name)->click();
}

void type(QWidget& dialog, const char* name, const char* text) {
    child<QLineEdit>(dialog, name)->setText(QString::fromUtf8(text));
}

QStringList items(const QComboBox& combo) {
    QStringList all;
    for (int i = 0; i < combo.count(); ++i)
        all << combo.itemText(i);
    return all;
}

std::u16string faceOf(const FontStyle& font) {
    return std::u16string(font.faceName);
}

// Answers each swatch click from a script and remembers the colour it was seeded with.
struct ScriptedColors {
    std::vector<std::optional<ColorRef>> answers;
    std::vector<ColorRef> seeds;
    ColorChooser chooser() {
        return [this](QWidget*, ColorRef initial) {
            seeds.push_back(initial);
            const std::optional<ColorRef> answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        };
    }
};

constexpr ColorRef kRed = makeColorRef(255, 0, 0);
constexpr ColorRef kBlue = makeColorRef(0, 0, 255);

FontStyle titleFont() {
    FontStyle font = makeFontStyle(u"黑体", 42, true, TextEffect::Shadow, kColorGrey, kColorLightYellow);
    font.italic = 1;
    return font;
}

class LookDialogsTest : public ::testing::Test {
protected:
    QApplication& app_ = qtApp();
    RecordingMessageBox messages;
};

TEST_F(LookDialogsTest, FontDialogWritesTheEditedCopyBackOnOk) {
    const FontStyle original = titleFont();
    FontDialog dialog(original, nullptr);
    ScriptedColors colors{{kRed, std::nullopt, kBlue}, {}};
    dialog.setColorChooser(colors.chooser());
    auto* face = child<QComboBox>(dialog, "face");
    EXPECT_EQ(face->currentText(), QStringLiteral("黑体"));
    EXPECT_EQ(child<QLineEdit>(dialog, "size")->text(), QStringLiteral("42"));
    EXPECT_FALSE(child<QCheckBox>(dialog, "italic")->isVisibleTo(&dialog));
    EXPECT_TRUE(child<QRadioButton>(dialog, "effectShadow")->isChecked());

    face->setCurrentText(QStringLiteral("楷体"));
    type(dialog, "size", "200");
    click(dialog, "bold");
    click(dialog, "effectOutline");
    dialog.show();
    auto* text = child<QWidget>(dialog, "textColor");
    auto* effect = child<QWidget>(dialog, "effectColor");
    QTest::mouseClick(text, Qt::RightButton, {}, text->rect().center()); // only the left button chooses
    QTest::mouseClick(text, Qt::LeftButton, {}, text->rect().center());
    QTest::mouseClick(effect, Qt::LeftButton, {}, effect->rect().center()); // cancelled: the grey stays
    QTest::mouseClick(text, Qt::LeftButton, {}, text->rect().center());
    EXPECT_EQ(colors.seeds, (std::vector<ColorRef>{kColorLightYellow, kColorGrey, kRed}))
        << "a swatch must seed the chooser with its current colour";
    EXPECT_EQ(dialog.font(), original) << "the copy changed before 确定";

    click(dialog, "ok");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const FontStyle& edited = dialog.font();
    EXPECT_EQ(faceOf(edited), u"楷体");
    EXPECT_EQ(edited.sizePt, 125);
    EXPECT_EQ(edited.bold, 0);
    EXPECT_EQ(edited.italic, 1) << "the hidden italic flag was lost";
    EXPECT_EQ(edited.effect, 2);
    EXPECT_EQ(edited.textColor, kBlue);
    EXPECT_EQ(edited.effectColor, kColorGrey);
}

TEST_F(LookDialogsTest, FontDialogClampsSmallSizesKeepsUnlistedFacesAndCancelChangesNothing) {
    FontStyle unlisted = titleFont();
    std::copy_n(u"幼圆", 3, unlisted.faceName);
    {
        FontDialog dialog(unlisted, nullptr);
        EXPECT_EQ(child<QComboBox>(dialog, "face")->currentIndex(), -1) << "幼圆 is never offered";
        type(dialog, "size", "3");
        click(dialog, "effectNone");
        click(dialog, "ok");
        EXPECT_EQ(faceOf(dialog.font()), u"幼圆") << "a stored face was dropped though none was picked";
        EXPECT_EQ(dialog.font().sizePt, 16);
        EXPECT_EQ(dialog.font().effect, 0);
    }
    {
        FontDialog dialog(titleFont(), nullptr);
        ScriptedColors colors{{kRed}, {}};
        dialog.setColorChooser(colors.chooser());
        child<QComboBox>(dialog, "face")->setCurrentText(QStringLiteral("仿宋"));
        type(dialog, "size", "");
        dialog.show();
        auto* text = child<QWidget>(dialog, "textColor");
        QTest::mouseClick(text, Qt::LeftButton, {}, text->rect().center());
        click(dialog, "cancel");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(dialog.font(), titleFont()) << "取消 changed the font";
    }
}

TEST_F(LookDialogsTest, ScrollFontDialogLimitsSpaceAlignedListsAndSaysSoOnce) {
    QStringList installedFive;
    for (const char* face : {"楷体", "黑体", "仿宋", "隶书", "新宋体"})
        if (QFontDatabase::hasFamily(QString::fromUtf8(face)))
            installedFive << QString::fromUtf8(face);
    ASSERT_EQ(installedFive.size(), 5) << "the aliases should resolve all five faces here";

    const FontStyle scroll =
        makeFontStyle(u"楷体", 22, true, TextEffect::Outline, kColorGrey, kColorLightYellow);
    ScrollFontDialog dialog(scroll, true, messages, nullptr);
    EXPECT_EQ(items(*child<QComboBox>(dialog, "face")), installedFive);
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("size")), nullptr) << "the scroll font has no size";
    EXPECT_EQ(child<QRadioButton>(dialog, "effectNone")->text(), QStringLiteral("无"));

    dialog.show();
    EXPECT_TRUE(messages.shown.empty()) << "the notice must wait until the dialog is painted";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 3000)) << "no notice";
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"滚动区限下列字体：\n楷体、黑体、新宋、仿宋、隶书\n\n\n"
                                      u"因导入名单时，选了补空格对齐\n如不做对齐处理，可选任意字体");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(messages.shown[0].owner, static_cast<QWidget*>(&dialog));

    dialog.hide();
    dialog.show();
    QTest::qWait(600);
    EXPECT_EQ(messages.shown.size(), 1u) << "the notice came twice";

    // The size is each prize's: whatever is stored passes through untouched.
    child<QComboBox>(dialog, "face")->setCurrentText(QStringLiteral("隶书"));
    click(dialog, "effectShadow");
    click(dialog, "ok");
    EXPECT_EQ(faceOf(dialog.font()), u"隶书");
    EXPECT_EQ(dialog.font().sizePt, 22);
    EXPECT_EQ(dialog.font().effect, 1);
}

TEST_F(LookDialogsTest, ScrollFontDialogOffersEveryChineseFaceWithoutNotice) {
    const QStringList all = fontFaceChoices();
    EXPECT_TRUE(all.contains(QStringLiteral("宋体"))) << "a mapped face is missing";
    EXPECT_TRUE(all.contains(QStringLiteral("AR PL UMing CN"))) << "an installed Chinese family is missing";
    EXPECT_FALSE(all.contains(QStringLiteral("DejaVu Sans"))) << "a Latin-only family is offered";
    EXPECT_EQ(all.size(), QSet<QString>(all.begin(), all.end()).size()) << "a face is listed twice";

    ScrollFontDialog dialog(makeFontStyle(u"楷体", 22, true, TextEffect::None, 0, 0), false, messages,
                            nullptr);
    EXPECT_EQ(items(*child<QComboBox>(dialog, "face")), all);
    dialog.show();
    QTest::qWait(600);
    EXPECT_TRUE(messages.shown.empty()) << "a notice without a space-aligned list";
}

TEST_F(LookDialogsTest, MarginsDialogCorrectsAndWarnsWhenLittleIsLeft) {
    {
        MarginsDialog dialog(Margins{5, 25, 5, 5}, messages, nullptr);
        EXPECT_EQ(child<QLineEdit>(dialog, "top")->text(), QStringLiteral("25"));
        type(dialog, "left", "50");
        type(dialog, "right", "60");
        click(dialog, "ok");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.margins(), (Margins{50, 25, 50, 5}));
        EXPECT_EQ(child<QLineEdit>(dialog, "right")->text(), QStringLiteral("50")) << "correction not shown";
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, kMarginsLargeWarning);
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
    }
    messages.shown.clear();
    {
        MarginsDialog dialog(Margins{5, 25, 5, 5}, messages, nullptr);
        type(dialog, "left", "");
        type(dialog, "bottom", "99999999999");
        click(dialog, "ok");
        EXPECT_EQ(dialog.margins(), (Margins{0, 25, 5, 75}))
            << "empty reads 0, a huge value fits what is left";
        EXPECT_EQ(messages.shown.size(), 1u) << "top + bottom = 100 must warn";
    }
    messages.shown.clear();
    {
        MarginsDialog dialog(Margins{5, 25, 5, 5}, messages, nullptr);
        type(dialog, "top", "10");
        click(dialog, "ok");
        EXPECT_EQ(dialog.margins(), (Margins{5, 10, 5, 5}));
        EXPECT_TRUE(messages.shown.empty()) << "a warning for small margins";
    }
    {
        MarginsDialog dialog(Margins{5, 25, 5, 5}, messages, nullptr);
        type(dialog, "left", "90");
        click(dialog, "cancel");
        EXPECT_EQ(dialog.margins(), (Margins{5, 25, 5, 5}));
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(LookDialogsTest, InfoBarContentWritesTheThreeFlags) {
    InterfaceSettings draft;
    draft.infoBarShowProgress = 7; // any nonzero value reads as shown
    draft.infoBarShowPrizeText = 0;
    draft.infoBarShowPrompt = 1;
    InfoBarContentDialog dialog(draft, nullptr);
    auto* prizeName = child<QCheckBox>(dialog, "prizeName");
    EXPECT_TRUE(prizeName->isChecked());
    EXPECT_FALSE(prizeName->isEnabled());
    EXPECT_TRUE(child<QCheckBox>(dialog, "progress")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(dialog, "prizeText")->isChecked());

    click(dialog, "prizeText");
    click(dialog, "prompt");
    click(dialog, "ok");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    InterfaceSettings written = draft;
    dialog.writeTo(written);
    EXPECT_EQ(written.infoBarShowProgress, 1);
    EXPECT_EQ(written.infoBarShowPrizeText, 1);
    EXPECT_EQ(written.infoBarShowPrompt, 0);
    written.infoBarShowProgress = draft.infoBarShowProgress;
    written.infoBarShowPrizeText = draft.infoBarShowPrizeText;
    written.infoBarShowPrompt = draft.infoBarShowPrompt;
    EXPECT_EQ(written, draft) << "a field beyond the three was touched";
}

TEST_F(LookDialogsTest, PhotoEffectWritesCaptionAndCrop) {
    InterfaceSettings draft;
    draft.photoCaption = 2;
    draft.photoCrop = 9; // not a mode: painted as the first, so shown as the first
    PhotoEffectDialog dialog(draft, nullptr);
    EXPECT_TRUE(child<QRadioButton>(dialog, "captionHidden")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, "cropEllipse")->isChecked());

    InterfaceSettings unchanged = draft;
    dialog.writeTo(unchanged);
    EXPECT_EQ(unchanged.photoCaption, 2);
    EXPECT_EQ(unchanged.photoCrop, 0);

    click(dialog, "captionOnPicture");
    click(dialog, "cropNone");
    click(dialog, "ok");
    InterfaceSettings written = draft;
    dialog.writeTo(written);
    EXPECT_EQ(written.photoCaption, 0);
    EXPECT_EQ(written.photoCrop, 2);
}

// A hand-edited file may hold a value that is no mode: the dialog shows what the screen draws for it, and
// confirming without a change stores that.
TEST_F(LookDialogsTest, PhotoEffectShowsAStoredValueAsTheScreenDrawsIt) {
    const char* const captions[] = {"captionOnPicture", "captionOutside", "captionHidden"};
    const char* const crops[] = {"cropEllipse", "cropCircle", "cropNone"};
    for (const std::int32_t stored : {-1, 0, 1, 2, 3, 9, std::numeric_limits<std::int32_t>::min()}) {
        SCOPED_TRACE(stored);
        InterfaceSettings draft;
        draft.photoCaption = stored;
        draft.photoCrop = stored;
        PhotoEffectDialog dialog(draft, nullptr);
        const int caption = int(photoCaptionOf(stored));
        const int crop = int(photoCropOf(stored));
        EXPECT_TRUE(child<QRadioButton>(dialog, captions[caption])->isChecked());
        EXPECT_TRUE(child<QRadioButton>(dialog, crops[crop])->isChecked());
        click(dialog, "ok");
        InterfaceSettings written = draft;
        dialog.writeTo(written);
        EXPECT_EQ(photoCaptionOf(written.photoCaption), photoCaptionOf(stored));
        EXPECT_EQ(written.photoCaption, caption);
        EXPECT_EQ(written.photoCrop, crop);
    }
}

// The speed's range is read beside its edit, which always holds a number, in the column of the heights'
// edits and clear of the row's buttons.
TEST_F(LookDialogsTest, TheScrollSpeedRangeIsALabelBesideItsEdit) {
    TempDir dir;
    const DataPaths paths(dir.path());
    ScriptedFilePicker files;
    InterfaceSettings live;
    resetInterfaceSettings(live);
    InterfaceSettingsDialog dialog(live, paths, false, messages, files, {}, nullptr);
    dialog.show();
    QApplication::processEvents();

    auto* speed = child<QLineEdit>(dialog, "scrollSpeed");
    auto* range = child<QLabel>(dialog, "scrollSpeedRange");
    ASSERT_TRUE(speed && range);
    EXPECT_EQ(speed->text(), QStringLiteral("30"));
    EXPECT_EQ(range->text(), QStringLiteral("1-60"));
    EXPECT_TRUE(range->isVisible());
    EXPECT_GE(range->width(), range->sizeHint().width()) << "the range is cut";

    const QRect edit(speed->mapTo(&dialog, QPoint(0, 0)), speed->size());
    const QRect label(range->mapTo(&dialog, QPoint(0, 0)), range->size());
    EXPECT_GE(label.left(), edit.right()) << "the range overlaps the edit";
    EXPECT_GT(label.bottom(), edit.center().y());
    EXPECT_LT(label.top(), edit.center().y());
    EXPECT_GE(speed->width(), speed->fontMetrics().horizontalAdvance(QStringLiteral("60")) + 8)
        << "two digits do not fit";

    auto* height = child<QLineEdit>(dialog, "mainHeight");
    EXPECT_EQ(height->mapTo(&dialog, QPoint(0, 0)).x(), edit.left()) << "the column is out of line";
    auto* margins = child<QPushButton>(dialog, "scrollMargins");
    EXPECT_LT(label.right(), margins->mapTo(&dialog, QPoint(0, 0)).x()) << "the range runs into the buttons";
    auto* heightMargins = child<QPushButton>(dialog, "mainMargins");
    EXPECT_EQ(margins->mapTo(&dialog, QPoint(0, 0)).x(), heightMargins->mapTo(&dialog, QPoint(0, 0)).x());
    if (const char* folder = std::getenv("KELVORA_SCREEN_FRAMES"); folder && *folder)
        dialog.grab().save(QString::fromUtf8(folder) + QStringLiteral("/interface-dialog.png"));
}

} // namespace
} // namespace kelvora::test
