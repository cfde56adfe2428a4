// F12 with a projector beside the primary screen: the offscreen platform with two screens.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include "app/display_mode.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

QApplication& twoScreenApp() {
    static QTemporaryDir dir;
    static const bool configured = [] {
        const QString file = dir.filePath(QStringLiteral("screens.json"));
        QFile json(file);
        if (!json.open(QIODevice::WriteOnly))
            return false;
        json.write(R"({"screens":[
            {"name":"PRIMARY","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1},
            {"name":"PROJECTOR","x":1920,"y":0,"width":1280,"height":720,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}
        ]})");
        json.close();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file).toUtf8());
        return true;
    }();
    static int argc = 1;
    static char name[] = "kelvora_two_screen_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    EXPECT_TRUE(configured);
    return *app;
}

TEST(TwoScreens, F12MovesTheDrawScreenOntoTheProjector) {
    twoScreenApp();
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    ASSERT_EQ(primaryScreenRect(), QRect(0, 0, 1920, 1080));

    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    WindowedSettings saved;
    applyDisplayMode(window, saved);
    window.show();
    EXPECT_EQ(window.geometry(), QRect(0, 0, 1920, 1080));

    RecordingMessageBox messages;
    EXPECT_TRUE(showOnExtendedScreen(window, messages));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(window.geometry(), QRect(1920, 0, 1280, 720));

    // Nothing was saved: the saved mode puts it back on the primary screen.
    applyDisplayMode(window, saved);
    EXPECT_EQ(window.geometry(), QRect(0, 0, 1920, 1080));
}

TEST(TwoScreens, DialogsCentreOnThePrimaryScreenNotTheWholeDesktop) {
    twoScreenApp();
    QWidget dialog;
    dialog.resize(400, 300);
    centerOnDesktop(dialog);
    EXPECT_EQ(dialog.frameGeometry().topLeft(), QPoint(760, 390));
}

} // namespace
} // namespace kelvora::test
