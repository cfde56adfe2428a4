#include "install/program_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/text.h"
#include "records/file_system.h"

namespace kelvora {

namespace {

namespace fs = std::filesystem;

const fs::path kBuiltinFolder(u8"内置资源");
const fs::path kSettingsFolder(u8"参数设置(勿删)");
const fs::path kProgressFolder(u8"抽取进度(勿删)");
// A sample staged by a start that was cut short carries this prefix; the next start clears it away.
constexpr std::string_view kStagePrefix = ".kelvora-示例活动-";

bool present(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

bool isRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(fs::symlink_status(path, ec));
}

// True when inner is outer or lies inside it, by their real paths where they exist.
bool within(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    const fs::path b = fs::weakly_canonical(outer, ec);
    const auto [end, rest] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    return end == b.end();
}

FolderResult failed(FolderFault fault, const fs::path& folder, FileResult file = {}) {
    FolderResult result;
    result.fault = fault;
    result.folder = folder;
    result.file = std::move(file);
    result.file.insideDataFolders = false; // the user's own folder: the hint is to check the write access
    return result;
}

FolderResult makeFolder(const fs::path& folder, const fs::path& reported) {
    removeStrayFile(folder);
    if (const int errnum = ensureFolderTree(folder, true); errnum != 0)
        return failed(FolderFault::Create, reported,
                      FileResult::failed(FileOp::CreateFolder, FileStep::Open, folder, errnum));
    return {};
}

// A target folder we may fill: missing, empty, or one that already holds a program or an event.
bool mayFill(const fs::path& target) {
    std::error_code ec;
    if (!present(target))
        return true;
    if (!fs::is_directory(fs::symlink_status(target, ec)))
        return false;
    if (fs::is_empty(target, ec))
        return true;
    return present(target / "kelvora") || present(target / kSettingsFolder) ||
           present(target / kProgressFolder);
}

// Copies source over target unless target already holds the same bytes (and, for the program, may be run).
FileResult refresh(const fs::path& source, const fs::path& target, bool program, int& copied) {
    struct stat st {};
    const bool present = ::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (present && (!program || (st.st_mode & S_IXUSR) != 0) && sameFileContents(source, target))
        return {};
    if (FileResult result = copyFileReplacing(source, target); !result)
        return result;
    if (program)
        ::chmod(target.c_str(), 0755);
    ++copied;
    return {};
}

// Copies the tree under source into target (which exists): folders and regular files, never a link.
FileResult copyTree(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(source, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path to = target / it->path().lexically_relative(source);
        const fs::file_status status = it->symlink_status(ec);
        if (fs::is_directory(status)) {
            if (const int errnum = ensureFolderTree(to, true); errnum != 0)
                return FileResult::failed(FileOp::CreateFolder, FileStep::Open, to, errnum);
        } else if (fs::is_regular_file(status)) {
            if (FileResult result = copyFileReplacing(it->path(), to, SyncEach::No); !result)
                return result;
        }
    }
    if (ec)
        return FileResult::failed(FileOp::Copy, FileStep::Transfer, source, ec.value());
    syncFolder(target);
    return {};
}

void clearStaleStages(const fs::path& target) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(target, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kStagePrefix, 0) == 0)
            deleteFolderTree(entry.path());
    }
}

// Stages the sample beside the event's place, then moves its folders in: a start cut short leaves either no
// settings folder (and the next start tries again) or a whole one.
FolderResult addSample(const fs::path& sample, const fs::path& target, bool& added) {
    std::string stage = (target / (std::string(kStagePrefix) + "XXXXXX")).string();
    if (::mkdtemp(stage.data()) == nullptr)
        return failed(FolderFault::Create, target,
                      FileResult::failed(FileOp::CreateFolder, FileStep::Open, target, errno));
    if (FileResult copied = copyTree(sample, stage); !copied) {
        deleteFolderTree(stage);
        return failed(FolderFault::Copy, target, std::move(copied));
    }
    // Every folder of the sample but the settings first; an operator's folder of the same name stays.
    std::vector<fs::path> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(stage, ec))
        if (entry.path().filename() != kSettingsFolder)
            names.push_back(entry.path().filename());
    names.push_back(kSettingsFolder);
    for (const fs::path& name : names) {
        if (!present(fs::path(stage) / name) || present(target / name))
            continue;
        fs::rename(fs::path(stage) / name, target / name, ec);
        if (ec) {
            deleteFolderTree(stage);
            return failed(FolderFault::Copy, target,
                          FileResult::failed(FileOp::Copy, FileStep::Rename, sample / name, ec.value()));
        }
    }
    deleteFolderTree(stage);
    syncFolder(target);
    added = true;
    return {};
}

} // namespace

bool isSharedInstall(const fs::path& programFolder) {
    return isRegularFile(programFolder / fs::path(kSharedInstallMarker));
}

fs::path defaultUserFolder(const char* xdgDataHome, const char* home) {
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/')
        return fs::path(xdgDataHome) / "kelvora";
    if (home != nullptr && home[0] == '/')
        return fs::path(home) / ".local" / "share" / "kelvora";
    return {};
}

std::u16string folderFailureText(const FolderResult& result) {
    const std::u16string folder = pathText(result.folder);
    switch (result.fault) {
    case FolderFault::None:
        return {};
    case FolderFault::InsideInstall:
        return formatText(u"程序文件夹不能放在系统安装的文件夹里:\n%s\n\n请换一个文件夹。", {folder});
    case FolderFault::NotProgramFolder:
        return formatText(u"这个文件夹既不是空文件夹，也不是 Kelvora 的程序文件夹:\n%s\n\n"
                          u"请选择一个空文件夹，或已有的 Kelvora 程序文件夹。",
                          {folder});
    case FolderFault::NotSharedInstall:
        return u"--folder 只用于系统安装的 Kelvora。\n\n便携的程序文件夹请整个复制到新的位置，再从那里启动。";
    case FolderFault::Start:
        return formatText(u"无法启动程序:\n%s\n\n%s",
                          {pathText(result.file.path), errorText(result.file.errnum)});
    case FolderFault::Create:
    case FolderFault::Copy:
        return formatText(u"无法准备程序文件夹:\n%s\n\n%s", {folder, messageText(result.file)});
    }
    return {};
}

FolderResult prepareProgramFolder(const fs::path& source, const fs::path& target,
                                  const fs::path& programName) {
    if (within(target, source))
        return failed(FolderFault::InsideInstall, target);
    // Only we make folders of that name; one left by a start cut short must not make the folder look used.
    clearStaleStages(target);
    if (!mayFill(target))
        return failed(FolderFault::NotProgramFolder, target);
    if (FolderResult made = makeFolder(target, target); !made)
        return made;

    FolderResult result;
    result.folder = target;
    if (FileResult copied = refresh(source / programName, target / programName, true, result.filesCopied);
        !copied)
        return failed(FolderFault::Copy, target, std::move(copied));
    const fs::path builtin = source / kBuiltinFolder;
    std::error_code ec;
    if (fs::is_directory(builtin, ec)) {
        if (FolderResult made = makeFolder(target / kBuiltinFolder, target); !made)
            return made;
        for (const auto& entry : fs::directory_iterator(builtin, ec)) {
            if (!isRegularFile(entry.path()))
                continue;
            const fs::path to = target / kBuiltinFolder / entry.path().filename();
            if (FileResult copied = refresh(entry.path(), to, false, result.filesCopied); !copied)
                return failed(FolderFault::Copy, target, std::move(copied));
        }
    }

    const fs::path sample = source / fs::path(kSampleEventFolder);
    if (fs::is_directory(sample, ec) && !present(target / kSettingsFolder) &&
        !present(target / kProgressFolder)) {
        if (FolderResult added = addSample(sample, target, result.sampleAdded); !added)
            return added;
    }
    return result;
}

std::vector<std::string> withoutFolderOption(const std::vector<std::string>& args) {
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--folder") {
            ++i; // its value
            continue;
        }
        kept.push_back(args[i]);
    }
    return kept;
}

} // namespace kelvora
