// The rolls' dialogs offscreen: "回放设置" and "展示总名单设置" read their draft from the controls with the
// corrections ("一行显示" to 1..5, the slider's range), keep the small editors' results in the draft only,
// and restore the defaults only when asked and answered Yes; the names' font keeps the space-aligned faces;
// "回放指定奖项" offers the prizes with winners and refuses to confirm nothing.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

#include "draw_fixture.h"
#include "screen/font_faces.h"
#include "screen/font_setup.h"
#include "screen/ui/font_dialog.h"
#include "screen/ui/margins_dialog.h"
#include "screen/ui/name_font_dialog.h"
#include "screen/ui/roll_settings_dialogs.h"
#include "settings/interface_rules.h"
#include "support/test_support.h"
#include "support/widget_test_support.h"
#include "winners/ui/replay_prize_dialog.h"

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

std::u16string faceOf(const FontStyle& font) {
    return std::u16string(font.faceName);
}

// A replay record unlike the defaults in every field.
PlaybackSettings customReplay() {
    PlaybackSettings s;
    s.reverseOrder = 1;
    s.namesPerRow = 2;
    s.speed = 33;
    s.margins = Margins{10, 11, 12, 13};
    s.headingFont = makeFontStyle(u"黑体", 40, false, TextEffect::Shadow, kColorGrey, kColorLightYellow);
    s.nameFont = makeFontStyle(u"仿宋", 30, false, TextEffect::None, kColorGrey, kColorLightYellow);
    s.namesOnly = 1;
    return s;
}

class RollDialogsTest : public ::testing::Test {
protected:
    QApplication& app_ = qtApp();
    RecordingMessageBox messages;
};

TEST_F(RollDialogsTest, PlaybackDialogShowsTheRecordAndReadsItBackCorrected) {
    const PlaybackSettings live = customReplay();
    PlaybackSettingsDialog dialog(live, false, messages, nullptr);
    EXPECT_TRUE(child<QRadioButton>(dialog, "reverseOrder")->isChecked());
    EXPECT_EQ(child<QLineEdit>(dialog, "namesPerRow")->text(), QStringLiteral("2"));
    auto* speed = child<QSlider>(dialog, "speed");
    EXPECT_EQ(speed->value(), 33);
    EXPECT_EQ(child<QLabel>(dialog, "speedValue")->text(), QStringLiteral("33"));
    EXPECT_TRUE(child<QCheckBox>(dialog, "namesOnly")->isChecked());
    EXPECT_EQ(dialog.toRecord(), live) << "opening and confirming must change nothing";

    // The slider cannot leave 2..50, and its number follows it.
    EXPECT_EQ(speed->minimum(), 2);
    EXPECT_EQ(speed->maximum(), 50);
    speed->setValue(60);
    EXPECT_EQ(child<QLabel>(dialog, "speedValue")->text(), QStringLiteral("50"));
    speed->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(child<QLabel>(dialog, "speedValue")->text(), QStringLiteral("40")) << "a page is 10";

    const std::pair<const char*, std::int32_t> typed[] = {{"9", 5}, {"0", 1}, {"", 1}, {"4", 4}};
    for (const auto& [text, stored] : typed) {
        type(dialog, "namesPerRow", text);
        EXPECT_EQ(dialog.toRecord().namesPerRow, stored) << "typed \"" << text << "\"";
    }
    click(dialog, "sameOrder");
    click(dialog, "namesOnly");
    const PlaybackSettings read = dialog.toRecord();
    EXPECT_EQ(read.reverseOrder, 0);
    EXPECT_EQ(read.namesOnly, 0);
    EXPECT_EQ(read.speed, 40);
    EXPECT_EQ(read.nameFont, live.nameFont) << "fields without a control come from the draft";
}

TEST_F(RollDialogsTest, RestoringDefaultsAsksAndResetsControlsAndDraft) {
    PlaybackSettingsDialog dialog(customReplay(), false, messages, nullptr);
    messages.answers = {MessageAnswer::No};
    click(dialog, "restoreDefaults");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kRestoreDefaultsQuestion);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(dialog.toRecord(), customReplay()) << "No must keep everything";

    messages.answers = {MessageAnswer::Yes};
    click(dialog, "restoreDefaults");
    EXPECT_TRUE(child<QRadioButton>(dialog, "sameOrder")->isChecked());
    EXPECT_EQ(child<QLabel>(dialog, "speedValue")->text(), QStringLiteral("18"));
    EXPECT_FALSE(child<QCheckBox>(dialog, "namesOnly")->isChecked());
    EXPECT_EQ(dialog.toRecord(), PlaybackSettings{}) << "margins and fonts must return to the defaults too";

    FullListSettings list;
    list.namesPerRow = 5;
    list.margins = Margins{1, 2, 3, 4};
    FullListSettingsDialog lists(list, false, messages, nullptr);
    messages.answers = {MessageAnswer::Yes};
    click(lists, "restoreDefaults");
    EXPECT_EQ(lists.toRecord(), FullListSettings{});
}

TEST_F(RollDialogsTest, SmallEditorsChangeOnlyTheDraftAndMarginsWarnAsEverywhere) {
    PlaybackSettingsDialog dialog(PlaybackSettings{}, false, messages, nullptr);
    whenModalOpens<MarginsDialog>([](MarginsDialog& margins) {
        type(margins, "left", "70");
        type(margins, "right", "60");
        click(margins, "ok");
    });
    click(dialog, "margins");
    EXPECT_EQ(dialog.toRecord().margins, (Margins{70, 6, 30, 12}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kMarginsLargeWarning);

    whenModalOpens<MarginsDialog>([](MarginsDialog& margins) {
        type(margins, "left", "1");
        click(margins, "cancel");
    });
    click(dialog, "margins");
    EXPECT_EQ(dialog.toRecord().margins.left, 70) << "a cancelled editor changed the draft";

    whenModalOpens<FontDialog>([](FontDialog& font) {
        child<QComboBox>(font, "face")->setCurrentText(QStringLiteral("黑体"));
        type(font, "size", "300");
        click(font, "ok");
    });
    click(dialog, "headingFont");
    EXPECT_EQ(faceOf(dialog.toRecord().headingFont), u"黑体");
    EXPECT_EQ(dialog.toRecord().headingFont.sizePt, 125);
    EXPECT_EQ(dialog.toRecord().nameFont, PlaybackSettings{}.nameFont)
        << "the heading font went to the names";

    whenModalOpens<NameFontDialog>([](NameFontDialog& font) {
        type(font, "size", "5");
        click(font, "ok");
    });
    click(dialog, "nameFont");
    EXPECT_EQ(dialog.toRecord().nameFont.sizePt, 16);
    EXPECT_EQ(dialog.toRecord().headingFont.sizePt, 125);

    FullListSettingsDialog lists(FullListSettings{}, false, messages, nullptr);
    EXPECT_EQ(lists.findChild<QAbstractButton*>(QStringLiteral("headingFont")), nullptr);
    EXPECT_EQ(lists.findChild<QAbstractButton*>(QStringLiteral("reverseOrder")), nullptr);
    whenModalOpens<NameFontDialog>([](NameFontDialog& font) {
        type(font, "size", "44");
        click(font, "ok");
    });
    click(lists, "nameFont");
    type(lists, "namesPerRow", "7");
    EXPECT_EQ(lists.toRecord().nameFont.sizePt, 44);
    EXPECT_EQ(lists.toRecord().namesPerRow, 5);
}

TEST_F(RollDialogsTest, NameFontDialogKeepsSpaceAlignedFacesAndSaysSoOnce) {
    const FontStyle font = PlaybackSettings{}.nameFont;
    NameFontDialog limited(font, true, messages, nullptr);
    QStringList faces;
    auto* combo = child<QComboBox>(limited, "face");
    for (int i = 0; i < combo->count(); ++i)
        faces << combo->itemText(i);
    EXPECT_EQ(faces, spaceAlignedFaceChoices());
    EXPECT_NE(limited.findChild<QLineEdit*>(QStringLiteral("size")), nullptr) << "the names' font has a size";

    limited.show();
    EXPECT_TRUE(messages.shown.empty()) << "the notice must wait until the dialog is painted";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 3000)) << "no notice";
    EXPECT_EQ(messages.shown[0].text, u"限下列字体：\n楷体、黑体、新宋、仿宋、隶书\n\n\n"
                                      u"因导入名单时，选了补空格对齐\n如不做对齐处理，可选任意字体");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
    limited.hide();
    limited.show();
    QTest::qWait(500);
    EXPECT_EQ(messages.shown.size(), 1u) << "the notice came twice";
    limited.hide();

    NameFontDialog free(font, false, messages, nullptr);
    EXPECT_EQ(child<QComboBox>(free, "face")->count(), fontFaceChoices().size());
    free.show();
    QTest::qWait(500);
    EXPECT_EQ(messages.shown.size(), 1u) << "a notice without a space-aligned list";
}

WinnerList winnersOf(std::initializer_list<std::u16string_view> prizes) {
    WinnerList winners;
    const EntrantList names = makeNames(static_cast<int>(prizes.size()));
    std::size_t i = 0;
    for (std::u16string_view prize : prizes)
        addWinner(winners, prize, names[i++]);
    return winners;
}

TEST_F(RollDialogsTest, ReplayPrizeDialogOffersThePrizesWithWinnersAndNeedsAChoice) {
    const WinnerList winners = winnersOf({u"三等奖", u"Gold", u"二等奖"});
    {
        whenModalOpens<ReplayPrizeDialog>([](ReplayPrizeDialog& dialog) {
            auto* list = child<QListWidget>(dialog, "prizes");
            ASSERT_EQ(list->count(), 3);
            EXPECT_EQ(list->item(0)->text(), QStringLiteral("三等奖"));
            EXPECT_EQ(list->item(2)->text(), QStringLiteral("二等奖"));
            EXPECT_EQ(list->currentRow(), 0) << "the first prize is selected";
            list->setCurrentRow(1);
            click(dialog, "ok");
        });
        EXPECT_EQ(askReplayPrize(winners, messages, nullptr), std::optional<std::u16string>(u"Gold"));
        EXPECT_TRUE(messages.shown.empty());
    }
    {
        bool stayed = false;
        whenModalOpens<ReplayPrizeDialog>([&](ReplayPrizeDialog& dialog) {
            child<QListWidget>(dialog, "prizes")->clearSelection();
            click(dialog, "ok");
            stayed = dialog.isVisible();
            click(dialog, "cancel");
        });
        EXPECT_EQ(askReplayPrize(winners, messages, nullptr), std::nullopt);
        EXPECT_TRUE(stayed) << "confirming nothing closed the window";
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, u"请指定要回放的奖项");
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    }
    {
        // Before anyone has won there is nothing to offer, and nothing can be confirmed.
        messages.shown.clear();
        whenModalOpens<ReplayPrizeDialog>([](ReplayPrizeDialog& dialog) {
            EXPECT_EQ(child<QListWidget>(dialog, "prizes")->count(), 0);
            click(dialog, "ok");
            click(dialog, "cancel");
        });
        EXPECT_EQ(askReplayPrize(WinnerList{}, messages, nullptr), std::nullopt);
        EXPECT_EQ(messages.shown.size(), 1u);
    }
}

} // namespace
} // namespace kelvora::test
