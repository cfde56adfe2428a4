// The process entry: locale, random seed, font aliases, one instance per user, start-up, message loop.

#include <QApplication>
#include <QDir>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <pwd.h>
#include <unistd.h>

#include "app/application.h"
#include "app/command_line.h"
#include "app/private_folder.h"
#include "app/single_instance.h"
#include "install/program_folder.h"
#include "media/app_icon.h"
#include "platform/qt_file_picker.h"
#include "platform/qt_message_box.h"
#include "platform/text.h"
#include "platform/x11_capslock.h"
#include "screen/font_setup.h"

namespace {

using namespace kelvora;

std::filesystem::path ownExecutable() {
    std::error_code noExe;
    return std::filesystem::read_symlink("/proc/self/exe", noExe);
}

// The user's program folder of a shared install: --folder, else under the XDG data home.
std::filesystem::path userProgramFolder(const CommandLine& line) {
    std::error_code ec;
    if (!line.folder.empty())
        return std::filesystem::absolute(line.folder, ec);
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    return defaultUserFolder(std::getenv("XDG_DATA_HOME"), home);
}

// Replaces this process with program and the arguments after argv[0]; returns the errno when it cannot.
int execProgram(const std::filesystem::path& program, std::vector<std::string> args) {
    args.insert(args.begin(), program.string());
    std::vector<char*> again;
    for (std::string& argument : args)
        again.push_back(argument.data());
    again.push_back(nullptr);
    ::execv(again.front(), again.data());
    return errno;
}

// A shared install (or --folder) runs the program from the user's own program folder, brought up to date
// first; this process becomes that program. Returns only on a failure, which it has shown.
int runFromProgramFolder(const CommandLine& line, const std::filesystem::path& exe, int& argc, char** argv) {
    FolderResult prepared;
    const std::filesystem::path folder = userProgramFolder(line);
    if (!isSharedInstall(exe.parent_path())) {
        prepared.fault = FolderFault::NotSharedInstall;
    } else {
        prepared = prepareProgramFolder(exe.parent_path(), folder, exe.filename());
    }
    if (prepared) {
        std::vector<std::string> args = withoutFolderOption(std::vector<std::string>(argv + 1, argv + argc));
        int errnum = execProgram(folder / exe.filename(), args);
        // A folder that may not run programs (a FAT stick mounted as the desktop does it, a noexec mount):
        // the shared program runs on that folder's data instead.
        if ((errnum == EACCES || errnum == EPERM) && line.data.empty()) {
            args.insert(args.end(), {"--data", folder.string()});
            errnum = execProgram(exe, args);
        }
        prepared.fault = FolderFault::Start;
        prepared.folder = folder;
        prepared.file = FileResult::failed(FileOp::None, FileStep::Open, folder / exe.filename(), errnum);
    }
    const std::u16string text = folderFailureText(prepared);
    std::fprintf(stderr, "kelvora: %s\n", toUtf8(text).c_str());
    // Started from a menu there is no terminal to read standard error; a command-line action has one.
    if (line.action == CommandLine::Action::Run && displayReachable()) {
        QApplication app(argc, argv);
        QtMessageBox().show(nullptr, text, MessageIcon::Error, MessageButtons::Ok);
    }
    return 1;
}

} // namespace

int main(int argc, char** argv) {

    // Names compare ignoring case under the user's locale.
    std::setlocale(LC_ALL, "");

    // The options are read before anything needs a display; --check ends once the fonts are set up.
    const CommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.action == CommandLine::Action::Usage) {
        std::fprintf(stderr, "kelvora: %s\n\n%s", line.error.c_str(), usageText().c_str());
        return 2;
    }
    // The program keeps its data beside itself, which a package's folder under /usr/lib cannot take. A data
    // folder named on the command line is used as it is, also by the shared install.
    if (const std::filesystem::path exe = ownExecutable();
        (isSharedInstall(exe.parent_path()) && line.data.empty()) || !line.folder.empty())
        return runFromProgramFolder(line, exe, argc, argv);
    SystemClock clock;
    Random15 random(clock);
    random.reseedFromClock();

    // Qt reads the font list once, when the application object is made: the aliases must be in place first.
    const QString aliasFile =
        writeResourceFile(QStringLiteral(":/fonts/kelvora-fonts.conf"), QStringLiteral("kelvora-fonts.conf"));
    const bool aliasesLoaded = !aliasFile.isEmpty() && loadFontAliases(aliasFile.toStdString());

    if (line.action != CommandLine::Action::Run) {
        const std::filesystem::path exe = ownExecutable();
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
        QApplication::setWindowIcon(appIcon());

        SingleInstance instance(SingleInstance::defaultName());
        if (instance.acquire() == SingleInstance::Role::Second)
            return 0;

        QtMessageBox messages;
        QtFilePicker files;
        X11CapsLock capsLock;
        const std::filesystem::path root =
            line.data.empty() ? std::filesystem::path(QCoreApplication::applicationDirPath().toStdString())
                              : line.data;
        Application application(root, AppServices{messages, files, capsLock, clock, random}, ownExecutable());
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
        const std::filesystem::path exe = ownExecutable();
        ::execv(exe.empty() ? "/proc/self/exe" : exe.c_str(), again.data());
        std::perror("kelvora: restart");
        return 1;
    }
    return status;
}
