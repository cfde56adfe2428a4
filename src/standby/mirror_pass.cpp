#include "standby/mirror_pass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/text.h"
#include "records/file_system.h"
#include "standby/event_files.h"

namespace kelvora {

namespace {

constexpr std::u16string_view kWriteFailedText = u"无法写入 %s: %s";
constexpr std::u16string_view kReadFailedText = u"无法读取 %s: %s";
constexpr std::u16string_view kDeleteFailedText = u"无法删除 %s: %s";

std::u16string failureText(std::u16string_view pattern, const std::filesystem::path& path, int errnum) {
    return formatText(pattern, {pathText(path), errorText(errnum != 0 ? errnum : EIO)});
}

MirrorPass::FileStamp stampOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_size), info.st_mtim, info.st_ino};
}

} // namespace

MirrorPassResult MirrorPass::run(const MirrorProgress& progress) {
    MirrorPassResult outcome;
    if ((outcome.problem = checkTarget()))
        return outcome;
    std::vector<PlannedFile> files;
    if ((outcome.problem = listSource(files)) || (outcome.problem = sweep(files)))
        return outcome;
    std::vector<const PlannedFile*> toCopy;
    for (const PlannedFile& file : files)
        if (!upToDate(file))
            toCopy.push_back(&file);
    for (const PlannedFile* file : toCopy) {
        if (!progress(static_cast<int>(toCopy.size()) - outcome.changed)) {
            outcome.stopped = true;
            return outcome;
        }
        if ((outcome.problem = copy(*file)))
            return outcome;
        ++outcome.changed;
    }
    progress(0);
    return outcome;
}

// The place itself is never created: a stick that is not mounted leaves an empty mount point, and a
// mirror made there would fill the computer's own disk.
std::optional<std::u16string> MirrorPass::checkTarget() const {
    if (std::optional<std::u16string> problem = mirrorTargetProblem(m_setup))
        return problem;
    struct stat info {};
    if (::stat(m_setup.target.c_str(), &info) != 0)
        return failureText(kWriteFailedText, m_setup.target, errno);
    if (!S_ISDIR(info.st_mode))
        return failureText(kWriteFailedText, m_setup.target, ENOTDIR);
    return std::nullopt;
}

// The program file, the built-in resources, then the event's files in the order they are copied. A
// folder that cannot be read stops the pass before the sweep could take its files for deleted ones.
std::optional<std::u16string> MirrorPass::listSource(std::vector<PlannedFile>& files) const {
    struct stat info {};
    if (::stat(m_setup.program.c_str(), &info) != 0)
        return failureText(kReadFailedText, m_setup.program, errno);
    files.push_back({m_setup.program, m_setup.program.filename().string(), stampOf(info), true});
    files.back().stamp.inode = 0;
    // The built-in folder is walked as if it were the settings folder, so that one walker serves all.
    DataPaths builtin = m_setup.source;
    builtin.settingsFolder = m_setup.source.builtinFolder;
    builtin.progressFolder.clear();
    for (const EventFileList& list : {listEventFiles(builtin, false), listEventFiles(m_setup.source, true)}) {
        if (list.error != 0)
            return failureText(kReadFailedText, list.errorPath, list.error);
        for (const EventFile& file : list.files)
            files.push_back({file.source, file.relative, {file.size, file.modified, 0}, false});
    }
    return std::nullopt;
}

// Removes from the mirrored folders whatever the source no longer has: files, folders, links (as links),
// leftovers of an interrupted copy. The standby settings file there belongs to the computer that reads
// it.
std::optional<std::u16string> MirrorPass::sweep(const std::vector<PlannedFile>& files) {
    m_keepFiles.clear();
    m_keepFolders.clear();
    for (const PlannedFile& file : files) {
        m_keepFiles.insert(file.relative);
        for (std::size_t slash = file.relative.find('/'); slash != std::string::npos;
             slash = file.relative.find('/', slash + 1))
            m_keepFolders.insert(file.relative.substr(0, slash));
    }
    std::vector<std::string> names = eventFolderNames(true);
    names.insert(names.begin(), m_setup.source.builtinFolder.filename().string());
    for (const std::string& name : names)
        if (std::optional<std::u16string> problem = sweepEntry(m_setup.target / name, name))
            return problem;
    return std::nullopt;
}

std::optional<std::u16string> MirrorPass::sweepEntry(const std::filesystem::path& path,
                                                     const std::string& relative) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? std::nullopt : std::optional(failureText(kReadFailedText, path, errno));
    if (S_ISDIR(info.st_mode) && m_keepFolders.count(relative) != 0) {
        std::error_code ec;
        std::vector<std::filesystem::path> children;
        for (std::filesystem::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
            children.push_back(it->path());
        if (ec)
            return failureText(kReadFailedText, path, ec.value());
        for (const std::filesystem::path& child : children)
            if (auto problem = sweepEntry(child, relative + "/" + child.filename().string()))
                return problem;
        return std::nullopt;
    }
    if (S_ISREG(info.st_mode) && (m_keepFiles.count(relative) != 0 || relative == standbyRelative()))
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        deleteFolderTree(path);
    else if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return failureText(kDeleteFailedText, path, errno);
    m_records.erase(relative);
    // Whatever in a folder could not be deleted keeps it there; its rmdir says why.
    if (::lstat(path.c_str(), &info) == 0 && ::rmdir(path.c_str()) != 0)
        return failureText(kDeleteFailedText, path, errno);
    return std::nullopt;
}

std::string MirrorPass::standbyRelative() const {
    return m_setup.source.standbyFile.lexically_relative(m_setup.source.root).generic_string();
}

bool MirrorPass::upToDate(const PlannedFile& file) {
    const std::filesystem::path target = m_setup.target / file.relative;
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const FileStamp copy = stampOf(info);
    const auto found = m_records.find(file.relative);
    if (found != m_records.end())
        return found->second.source.sameAs(file.stamp) && found->second.copy.sameAs(copy);
    // A mirror made before this run: its copies carry their sources' times, and the program can be run.
    // (Only here: a file system that shows no execute bits would otherwise have every pass copy it again.)
    FileStamp expected = file.stamp;
    expected.inode = copy.inode;
    if (!copy.sameAs(expected) || (file.program && (info.st_mode & S_IXUSR) == 0))
        return false;
    m_records[file.relative] = {file.stamp, copy};
    return true;
}

std::optional<std::u16string> MirrorPass::copy(const PlannedFile& file) {
    const std::filesystem::path target = m_setup.target / file.relative;
    if (auto problem = makeFolders(target.parent_path()))
        return problem;
    const FileResult copied = copyFileReplacing(file.source, target);
    if (!copied) {
        if (copied.path != file.source)
            return failureText(kWriteFailedText, target, copied.errnum);
        // Deleted since the listing: the next pass sweeps its copy away.
        return copied.errnum == ENOENT
                   ? std::nullopt
                   : std::optional(failureText(kReadFailedText, file.source, copied.errnum));
    }
    // Modes and times are best effort: some file systems refuse them, and the record below still
    // recognises the copy.
    if (file.program)
        ::chmod(target.c_str(), 0755);
    const timespec times[2] = {{0, UTIME_OMIT}, file.stamp.modified};
    ::utimensat(AT_FDCWD, target.c_str(), times, AT_SYMLINK_NOFOLLOW);
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0)
        m_records[file.relative] = {file.stamp, stampOf(info)};
    return std::nullopt;
}

// Every folder from the target down to folder, each a real one: a file or a link standing in the way is
// removed first, so that no copy is ever written through a link to somewhere else.
std::optional<std::u16string> MirrorPass::makeFolders(const std::filesystem::path& folder) const {
    std::filesystem::path at = m_setup.target;
    for (const std::filesystem::path& part : folder.lexically_relative(m_setup.target)) {
        if (part == ".")
            continue;
        at /= part;
        struct stat info {};
        if (::lstat(at.c_str(), &info) == 0) {
            if (S_ISDIR(info.st_mode))
                continue;
            if (::unlink(at.c_str()) != 0)
                return failureText(kDeleteFailedText, at, errno);
        }
        if (::mkdir(at.c_str(), 0777) != 0 && errno != EEXIST)
            return failureText(kWriteFailedText, at, errno);
    }
    return std::nullopt;
}

} // namespace kelvora
