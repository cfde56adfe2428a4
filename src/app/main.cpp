// The process entry: locale, random seed, font aliases, one instance per user, start-up, message loop.

#include <QApplication>
#include <QDir>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/application.h"
#include "app/command_line.h"
#include "app/private_folder.h"
#include "app/single_instance.h"
#include "platform/qt_file_picker.h"
#include "platform/qt_message_box.h"
#include "platform/x11_capslock.h"
#include "screen/font_setup.h"

int main(int argc, char** argv) {
    using namespace kelvora;

    // Names compare ignoring case under the user's locale.
    std::setlocale(LC_ALL, "");

    // The options are read before anything needs a display; --check ends once the fonts are set up.
    const CommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.action == CommandLine::Action::Usage) {
        std::fprintf(stderr, "kelvora: %s\n\n%s", line.error.c_str(), usageText().c_str());
        return 2;
    }
    SystemClock clock;
    Random15 random(clock);
    random.reseedFromClock();

    // Qt reads the font list once, when the application object is made: the aliases must be in place first.
    const QString aliasFile =
        writeResourceFile(QStringLiteral(":/fonts/kelvora-fonts.conf"), QStringLiteral("kelvora-fonts.conf"));
    const bool aliasesLoaded = !aliasFile.isEmpty() && loadFontAliases(aliasFile.toStdString());

    if (line.action != CommandLine::Action::Run) {
        std::error_code noExe;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", noExe);
        if (line.action == CommandLine::Action::Check)
            return runCheck(line, exe.parent_path(), argc, argv);
        if (line.action == CommandLine::Action::Pack || line.action == CommandLine::Action::Unpack)
            return runPackageCommand(line, exe.parent_path());
        return runSheetCommand(line, exe.parent_path());
    }

    // The draw screen must be placed on a chosen monitor, which Wayland does not let a program do: under a
    // Wayland desktop the program runs through XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    // Qt takes its own options out of argv; a restart needs them all.
    std::vector<std::string> arguments(argv, argv + argc);
    bool restart = false;
    int status = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Kelvora"));

        SingleInstance instance(SingleInstance::defaultName());
        if (instance.acquire() == SingleInstance::Role::Second)
            return 0;

        QtMessageBox messages;
        QtFilePicker files;
        X11CapsLock capsLock;
        const std::filesystem::path root =
            line.data.empty() ? std::filesystem::path(QCoreApplication::applicationDirPath().toStdString())
                              : line.data;
        std::error_code noExe;
        Application application(root, AppServices{messages, files, capsLock, clock, random},
                                std::filesystem::read_symlink("/proc/self/exe", noExe));
        if (!aliasesLoaded) {
            const QString shown = aliasFile.isEmpty() ? QStringLiteral("kelvora-fonts.conf") : aliasFile;
            application.setFontAliasFailure(shown.toStdU16String());
        }
        QObject::connect(&instance, &SingleInstance::raiseRequested, &application.mainWindow(),
                         &MainWindow::bringToFront);
        if (!application.startApplication())
            return 0;
        instance.setReady();
        status = QApplication::exec();
        restart = application.restartRequested();
    }
    // An opened event package: the program starts again on it, as if the operator had, once this one has let
    // go of its window, its single-instance lock and its files.
    if (restart) {
        std::vector<char*> again;
        for (std::string& argument : arguments)
            again.push_back(argument.data());
        again.push_back(nullptr);
        // By its real path: a process run as /proc/self/exe would be listed under the name "exe".
        std::error_code noExe;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", noExe);
        ::execv(exe.empty() ? "/proc/self/exe" : exe.c_str(), again.data());
        std::perror("kelvora: restart");
        return 1;
    }
    return status;
}
