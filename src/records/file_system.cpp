#include "records/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/text.h"

namespace kelvora {

namespace {

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int makeFolder(const std::string& path) {
    if (isFolder(path))
        return 0;
    if (::mkdir(path.c_str(), 0777) == 0)
        return 0;
    const int err = errno;
    // Someone else may have created it between the check and the mkdir.
    if (err == EEXIST && isFolder(path))
        return 0;
    return err;
}

void deleteTree(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        ::unlink(path.c_str());
        return;
    }
    // Listing and emptying a folder needs all three owner bits, whatever the folder was left with.
    if ((st.st_mode & S_IRWXU) != S_IRWXU)
        ::chmod(path.c_str(), (st.st_mode & 07777) | S_IRWXU);
    std::vector<std::string> children;
    if (DIR* dir = ::opendir(path.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                children.emplace_back(path + "/" + entry->d_name);
        }
        ::closedir(dir);
    }
    for (const std::string& child : children)
        deleteTree(child);
    ::rmdir(path.c_str());
}

bool writeAll(int fd, const std::byte* data, std::size_t size, int& errnum) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::min<std::size_t>(size, std::size_t{1} << 30));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            errnum = errno;
            return false;
        }
        if (n == 0) { // not expected from a regular file; never spin on it
            errnum = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Files that failed to load, by path, with the name each is kept under before anything replaces it. Loads
// run at start-up and writes on the UI thread or an import or export worker, hence the lock.
struct DamagedFiles {
    std::mutex mutex;
    std::map<std::string, std::filesystem::path> keptAs;
};

DamagedFiles& damagedFiles() {
    static DamagedFiles instance;
    return instance;
}

std::string timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return timeStampText(local);
}

bool entryExists(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Before path is removed or replaced: when it failed to load, it is kept under its marked name first, as a
// second link to the same file where the file system has links, else as a copy. A failure to keep it stops
// the write: the defaults must never take the place of the only copy.
FileResult keepIfDamaged(const std::filesystem::path& path) {
    std::filesystem::path keptAs;
    {
        const std::lock_guard lock(damagedFiles().mutex);
        const auto found = damagedFiles().keptAs.find(path.string());
        if (found == damagedFiles().keptAs.end())
            return {};
        keptAs = found->second;
    }
    if (entryExists(path) && ::link(path.c_str(), keptAs.c_str()) != 0) {
        const int err = errno;
        if (err != EEXIST) {
            // FAT and exFAT sticks have no links.
            if (FileResult copied = copyFileReplacing(path, keptAs); !copied) {
                copied.op = FileOp::Write;
                copied.path = keptAs;
                return copied;
            }
        }
    }
    const std::lock_guard lock(damagedFiles().mutex);
    damagedFiles().keptAs.erase(path.string());
    return {};
}

// Opens a temporary file beside target under a name no other file has: the name is made up and created
// exclusively, so neither a stale temporary file nor an operator's file is ever written through.
int openUniqueTemp(const std::filesystem::path& target, std::string& tempName) {
    tempName = (target.parent_path() / ".kelvora-XXXXXX").string();
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd >= 0)
        ::fchmod(fd, 0644); // as an ordinary new file, not the private mode mkostemp gives
    return fd;
}

// The body shared by every replace: fill writes the new contents into the open temporary file and returns
// its own failure. An empty temp asks for a unique temporary name.
FileResult replaceFile(const std::filesystem::path& target, const std::filesystem::path& temp,
                       const std::function<FileResult(int)>& fill, SyncEach sync = SyncEach::Yes) {
    std::string tempName = temp.string();
    int fd = -1;
    if (temp.empty()) {
        fd = openUniqueTemp(target, tempName);
        if (fd < 0)
            return FileResult::failed(FileOp::Write, FileStep::Open, target, errno);
    } else {
        struct stat st {};
        if (::lstat(tempName.c_str(), &st) == 0) {
            if (FileResult kept = keepIfDamaged(temp); !kept)
                return kept;
            // A stale temporary file, or whatever else has its name; a link would otherwise redirect the
            // write.
            if (S_ISDIR(st.st_mode))
                deleteTree(tempName);
            else
                ::unlink(tempName.c_str());
        }
        fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0)
            return FileResult::failed(FileOp::Write, FileStep::Open, temp, errno);
    }
    const std::filesystem::path tempPath = tempName;
    auto fail = [&](FileResult error, bool open) {
        if (open)
            ::close(fd);
        ::unlink(tempName.c_str());
        return error;
    };
    if (FileResult filled = fill(fd); !filled) {
        if (filled.path.empty())
            filled.path = tempPath;
        return fail(std::move(filled), true);
    }
    if (sync == SyncEach::Yes && ::fsync(fd) != 0)
        return fail(FileResult::failed(FileOp::Write, FileStep::Transfer, tempPath, errno), true);
    if (::close(fd) != 0)
        return fail(FileResult::failed(FileOp::Write, FileStep::Transfer, tempPath, errno), false);
    if (FileResult kept = keepIfDamaged(target); !kept)
        return fail(std::move(kept), false);
    if (::rename(tempName.c_str(), target.c_str()) != 0)
        return fail(FileResult::failed(FileOp::Write, FileStep::Rename, target, errno), false);
    if (sync == SyncEach::Yes)
        syncFolder(target.parent_path());
    return {};
}

} // namespace

void syncFolder(const std::filesystem::path& folder) {
    const std::string name = folder.empty() ? std::string(".") : folder.string();
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::string timeStampText(const std::tm& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", time.tm_year + 1900, time.tm_mon + 1,
                  time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
    return text;
}

int ensureFolderTree(const std::filesystem::path& path, bool includeLast) {
    const std::string& text = path.native();
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] != '/' || text[i - 1] == '/')
            continue;
        if (const int err = makeFolder(text.substr(0, i)))
            return err;
    }
    if (includeLast && !text.empty())
        return makeFolder(text);
    return 0;
}

void deleteFolderTree(const std::filesystem::path& path) {
    deleteTree(path.string());
}

void clearAttributes(const std::filesystem::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode))
        return;
    if ((st.st_mode & (S_IRUSR | S_IWUSR)) != (S_IRUSR | S_IWUSR))
        ::chmod(path.c_str(), (st.st_mode & 07777) | S_IRUSR | S_IWUSR);
}

bool isHidden(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

bool removeStrayFile(const std::filesystem::path& folder) {
    if (isFolder(folder.string()))
        return true;
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return true;
    clearAttributes(folder);
    return ::unlink(folder.c_str()) == 0;
}

std::filesystem::path tempPathFor(const std::filesystem::path& target) {
    std::filesystem::path temp = target;
    temp += ".tmp";
    return temp;
}

std::filesystem::path keepBeforeOverwrite(const std::filesystem::path& file) {
    const std::lock_guard lock(damagedFiles().mutex);
    std::filesystem::path& keptAs = damagedFiles().keptAs[file.string()];
    if (keptAs.empty()) {
        const std::string base = file.string() + "." + toUtf8(u"损坏") + "-" + timeStamp();
        keptAs = base;
        for (int n = 2; entryExists(keptAs); ++n)
            keptAs = base + "-" + std::to_string(n);
    }
    return keptAs;
}

bool sameFileContents(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(a, ec);
    if (ec || std::filesystem::file_size(b, ec) != size || ec)
        return false;
    const int first = ::open(a.c_str(), O_RDONLY | O_CLOEXEC);
    const int second = first < 0 ? -1 : ::open(b.c_str(), O_RDONLY | O_CLOEXEC);
    bool same = first >= 0 && second >= 0;
    std::vector<char> left(std::size_t{1} << 16);
    std::vector<char> right(left.size());
    while (same) {
        const ssize_t n = ::read(first, left.data(), left.size());
        if (n <= 0) {
            same = n == 0 && ::read(second, right.data(), 1) == 0;
            break;
        }
        std::size_t got = 0;
        while (got < static_cast<std::size_t>(n)) {
            const ssize_t m = ::read(second, right.data() + got, static_cast<std::size_t>(n) - got);
            if (m <= 0)
                break;
            got += static_cast<std::size_t>(m);
        }
        same =
            got == static_cast<std::size_t>(n) && std::equal(left.begin(), left.begin() + n, right.begin());
    }
    if (first >= 0)
        ::close(first);
    if (second >= 0)
        ::close(second);
    return same;
}

std::filesystem::path freeNameBeside(const std::filesystem::path& wanted) {
    if (!entryExists(wanted))
        return wanted;
    const std::filesystem::path stem = wanted.stem();
    const std::filesystem::path extension = wanted.extension();
    for (int n = 2;; ++n) {
        std::string number = std::to_string(n);
        number.insert(number.begin(), '(');
        number.push_back(')');
        std::filesystem::path candidate = wanted.parent_path() / stem;
        candidate += number;
        candidate += extension;
        if (!entryExists(candidate))
            return candidate;
    }
}

FileResult writeFileReplacing(const std::filesystem::path& target, const std::filesystem::path& temp,
                              std::span<const std::byte> data) {
    return replaceFile(target, temp, [&](int fd) {
        int errnum = 0;
        if (writeAll(fd, data.data(), data.size(), errnum))
            return FileResult{};
        return FileResult::failed(FileOp::Write, FileStep::Transfer, {}, errnum);
    });
}

FileResult copyFileReplacing(const std::filesystem::path& source, const std::filesystem::path& target,
                             SyncEach sync) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return FileResult::failed(FileOp::Copy, FileStep::Open, source, errno);
    const auto fill = [&](int out) {
        std::vector<std::byte> buffer(std::size_t{1} << 20);
        for (;;) {
            const ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return FileResult::failed(FileOp::Copy, FileStep::Transfer, source, errno);
            }
            if (n == 0)
                return FileResult{};
            int errnum = 0;
            if (!writeAll(out, buffer.data(), static_cast<std::size_t>(n), errnum))
                return FileResult::failed(FileOp::Copy, FileStep::Transfer, {}, errnum);
        }
    };
    FileResult result = replaceFile(target, {}, fill, sync);
    ::close(in);
    if (!result)
        result.op = FileOp::Copy;
    return result;
}

DeferredSync::DeferredSync(std::filesystem::path folder) : m_folder(std::move(folder)) {
    m_fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        m_openError = errno;
}

DeferredSync::~DeferredSync() {
    if (m_fd >= 0)
        ::close(m_fd);
}

FileResult DeferredSync::finish() {
    if (m_fd < 0)
        return m_openError ? FileResult::failed(FileOp::Write, FileStep::Transfer, m_folder, m_openError)
                           : FileResult{};
    FileResult result;
    if (::syncfs(m_fd) != 0 || ::fsync(m_fd) != 0)
        result = FileResult::failed(FileOp::Write, FileStep::Transfer, m_folder, errno);
    ::close(m_fd);
    m_fd = -1;
    return result;
}

std::optional<std::filesystem::path> joinChecked(const std::filesystem::path& folder,
                                                 std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..")
        return std::nullopt;
    if (name.find_first_of(std::u16string_view(u"/\0", 2)) != std::u16string_view::npos)
        return std::nullopt;
    return folder / pathFromText(name);
}

std::u16string pathText(const std::filesystem::path& path) {
    return fromUtf8(path.generic_string());
}

std::filesystem::path pathFromText(std::u16string_view text) {
    return std::filesystem::path(toUtf8(text));
}

} // namespace kelvora
