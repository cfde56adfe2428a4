// Taking a package in: checking it whole and unpacking it beside the data. A package comes
// from another computer and may be damaged, cut short or made to harm: its manifest is read and checked
// before any file is unpacked, every entry's name, kind and stated size is held against it, and the bytes
// are counted and hashed as they come, never trusting a size the zip states. Until the swap nothing but the
// staging folder is written. Swapping it in is in package_install.cpp.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <quazip/quazip.h>
#include <quazip/unzip.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "platform/text.h"
#include "records/file_system.h"
#include "standby/event_files.h"
#include "standby/event_package.h"

namespace kelvora {

namespace {

constexpr std::string_view kStagingPrefix = "活动包.导入中-";
constexpr std::size_t kChunkBytes = 1 << 20;
// What a file takes on the disk beyond its bytes, at most: its last block and its entry.
constexpr std::uint64_t kPerFileOverhead = 8192;

struct ZipEntry {
    std::string name;
    std::uint64_t size = 0; // as the zip states it
    unz64_file_pos position{};
};

PackageFailure refusal(PackageFault fault, std::u16string detail = {}) {
    PackageFailure failure;
    failure.fault = fault;
    failure.detail = std::move(detail);
    return failure;
}

PackageFailure damaged(std::u16string detail) {
    return refusal(PackageFault::Damaged, std::move(detail));
}

PackageFailure fileFailure(FileOp op, FileStep step, const std::filesystem::path& path, int errnum) {
    PackageFailure failure;
    failure.fault = PackageFault::File;
    failure.file = FileResult::failed(op, step, path, errnum);
    return failure;
}

bool cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

std::string relativeName(const std::filesystem::path& path, const DataPaths& paths) {
    return path.lexically_relative(paths.root).generic_string();
}

// Staging folders of an earlier run that crashed or was killed before it could remove its own.
void removeLeftoverStaging(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> leftovers;
    if (DIR* dir = ::opendir(root.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::string_view(entry->d_name).substr(0, kStagingPrefix.size()) == kStagingPrefix)
                leftovers.push_back(root / entry->d_name);
        ::closedir(dir);
    }
    for (const auto& leftover : leftovers)
        deleteFolderTree(leftover);
}

// The staging folder goes with this object unless it was handed on.
struct StagingFolder {
    std::filesystem::path path;
    ~StagingFolder() {
        if (!path.empty())
            deleteFolderTree(path);
    }
};

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The package's zip, read through QuaZip's own minizip so that names come as the bytes they are.
class PackageReader {
public:
    explicit PackageReader(QuaZip& zip) : m_unz(zip.getUnzFile()) {}

    // Every entry's name, kind and stated size; the manifest's entry apart.
    PackageFailure list(const PackageLimits& limits, const std::string& standbyName) {
        std::set<std::string> names;
        int status = unzGoToFirstFile(m_unz);
        std::string buffer(65536, '\0');
        while (status == UNZ_OK) {
            unz_file_info64 info{};
            if (unzGetCurrentFileInfo64(m_unz, &info, buffer.data(), buffer.size(), nullptr, 0, nullptr, 0) !=
                UNZ_OK)
                return damaged(u"目录无法读取");
            ZipEntry entry;
            entry.name.assign(buffer.data(), std::min<std::size_t>(info.size_filename, buffer.size()));
            entry.size = info.uncompressed_size;
            if (unzGetFilePos64(m_unz, &entry.position) != UNZ_OK)
                return damaged(u"目录无法读取");
            if (m_entries.size() + (m_manifest ? 1 : 0) > limits.maxEntries)
                return damaged(u"文件数超过上限");
            if (PackageFailure failure = check(info, entry, standbyName); !failure.ok())
                return failure;
            if (!names.insert(entry.name).second)
                return damaged(formatText(u"有重复的文件: %s", {fromUtf8(entry.name)}));
            if (entry.name == kManifestName)
                m_manifest = entry;
            else
                m_entries.push_back(std::move(entry));
            status = unzGoToNextFile(m_unz);
        }
        if (status != UNZ_END_OF_LIST_OF_FILE)
            return damaged(u"目录无法读取");
        if (!m_manifest)
            return damaged(u"缺少清单 manifest.json");
        return folderClash();
    }

    PackageFailure readManifest(std::string& json) {
        if (m_manifest->size > kManifestMaxBytes)
            return damaged(u"清单文件过大");
        PackageFailure failure = read(*m_manifest, m_manifest->size, [&](const char* data, std::size_t size) {
            json.append(data, size);
            return PackageFailure{};
        });
        if (failure.ok() && json.size() != m_manifest->size)
            return damaged(u"清单不完整");
        return failure;
    }

    const std::vector<ZipEntry>& entries() const { return m_entries; }

    // Streams entry's bytes to sink, refusing more than limit of them; a bad checksum of the zip's own is
    // damage.
    template <typename Sink>
    PackageFailure read(const ZipEntry& entry, std::uint64_t limit, Sink&& sink,
                        const std::atomic<bool>* cancel = nullptr) {
        if (unzGoToFilePos64(m_unz, &entry.position) != UNZ_OK || unzOpenCurrentFile(m_unz) != UNZ_OK)
            return damaged(formatText(u"无法读取: %s", {fromUtf8(entry.name)}));
        std::vector<char> buffer(kChunkBytes);
        std::uint64_t got = 0;
        PackageFailure failure;
        for (;;) {
            if (cancelled(cancel)) {
                failure = refusal(PackageFault::Cancelled);
                break;
            }
            // One byte past the limit is enough to know the entry holds more than it may.
            const std::uint64_t want = std::min<std::uint64_t>(buffer.size(), limit + 1 - got);
            const int n = unzReadCurrentFile(m_unz, buffer.data(), static_cast<unsigned>(want));
            if (n < 0) {
                failure = damaged(formatText(u"无法读取: %s", {fromUtf8(entry.name)}));
                break;
            }
            if (n == 0)
                break;
            got += static_cast<std::uint64_t>(n);
            if (got > limit) {
                failure = damaged(formatText(u"文件比清单所列的大: %s", {fromUtf8(entry.name)}));
                break;
            }
            if (failure = sink(buffer.data(), static_cast<std::size_t>(n)); !failure.ok())
                break;
        }
        // The zip's CRC is checked here, and only when every byte went through.
        const int closed = unzCloseCurrentFile(m_unz);
        if (failure.ok() && closed != UNZ_OK)
            failure = damaged(formatText(u"校验和错误: %s", {fromUtf8(entry.name)}));
        return failure;
    }

private:
    PackageFailure check(const unz_file_info64& info, const ZipEntry& entry, const std::string& standbyName) {
        const std::u16string name = fromUtf8(entry.name);
        if (info.size_filename > m_nameLimit || entry.name.find('\0') != std::string::npos)
            return refusal(PackageFault::UnsafePath, name);
        const unsigned type = static_cast<unsigned>(info.external_fa >> 16) & S_IFMT;
        if (type == S_IFLNK)
            return refusal(PackageFault::SymbolicLink, name);
        if (entry.name != kManifestName && (!isSafePackagePath(entry.name) || entry.name == standbyName))
            return refusal(PackageFault::UnsafePath, name);
        if (type != 0 && type != S_IFREG)
            return damaged(formatText(u"不是普通文件: %s", {name}));
        if ((info.flag & 1) != 0 || (info.compression_method != 0 && info.compression_method != Z_DEFLATED))
            return damaged(formatText(u"无法解开: %s", {name}));
        return {};
    }

    // A name that is also another's folder cannot be unpacked as both.
    PackageFailure folderClash() const {
        std::set<std::string_view> folders;
        for (const ZipEntry& entry : m_entries)
            for (std::size_t slash = entry.name.find('/'); slash != std::string::npos;
                 slash = entry.name.find('/', slash + 1))
                folders.insert(std::string_view(entry.name).substr(0, slash));
        for (const ZipEntry& entry : m_entries)
            if (folders.count(entry.name) != 0)
                return damaged(formatText(u"既是文件又是文件夹: %s", {fromUtf8(entry.name)}));
        return {};
    }

    unzFile m_unz;
    std::size_t m_nameLimit = 4096;
    std::vector<ZipEntry> m_entries;
    std::optional<ZipEntry> m_manifest;
};

PackageFailure manifestFailure(const ManifestParse& parse) {
    switch (parse.verdict) {
    case ManifestVerdict::Ok:
        return {};
    case ManifestVerdict::NewerFormat: {
        PackageFailure failure = refusal(PackageFault::NewerFormat);
        failure.formatVersion = parse.manifest.format;
        return failure;
    }
    case ManifestVerdict::UnsafePath:
        return refusal(PackageFault::UnsafePath, fromUtf8(parse.detail));
    case ManifestVerdict::Damaged:
        break;
    }
    return damaged(fromUtf8(parse.detail));
}

// The manifest and the zip name the same files, of the same sizes; the total stays within the limit.
PackageFailure matchManifest(const PackageManifest& manifest, const std::vector<ZipEntry>& entries,
                             const std::string& standbyName, const PackageLimits& limits,
                             std::uint64_t& total) {
    std::map<std::string_view, const ManifestFile*> listed;
    total = 0;
    for (const ManifestFile& file : manifest.files) {
        if (file.path == standbyName)
            return refusal(PackageFault::UnsafePath, fromUtf8(file.path));
        listed.emplace(file.path, &file);
        if (file.size > limits.maxTotalBytes - total)
            return damaged(u"活动包的总大小超过上限");
        total += file.size;
    }
    for (const ZipEntry& entry : entries) {
        const auto it = listed.find(entry.name);
        if (it == listed.end())
            return damaged(formatText(u"有清单未列出的文件: %s", {fromUtf8(entry.name)}));
        // More bytes than listed is a zip bomb or a forgery: refused before a byte is unpacked.
        if (entry.size > it->second->size)
            return damaged(formatText(u"文件比清单所列的大: %s", {fromUtf8(entry.name)}));
        if (entry.size < it->second->size)
            return refusal(PackageFault::Checksum, fromUtf8(entry.name));
        listed.erase(it);
    }
    if (!listed.empty())
        return damaged(
            formatText(u"清单中的文件不在活动包中: %s", {fromUtf8(std::string(listed.begin()->first))}));
    return {};
}

PackageFailure checkSpace(const std::filesystem::path& root, std::uint64_t total, std::size_t files,
                          const PackageLimits& limits) {
    struct statvfs info {};
    if (::statvfs(root.c_str(), &info) != 0)
        return fileFailure(FileOp::Read, FileStep::Open, root, errno);
    const std::uint64_t available = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
    const std::uint64_t overhead = files * kPerFileOverhead;
    // Every term is far below 2^63: the total and the margin are bounded by the limits.
    const std::uint64_t needed = total + overhead + std::min<std::uint64_t>(limits.spaceMargin, 1ull << 62);
    if (needed <= available)
        return {};
    PackageFailure failure = refusal(PackageFault::NoSpace);
    failure.neededBytes = needed;
    failure.freeBytes = available;
    return failure;
}

// One entry into the staging folder, created exclusively, hashed and counted on the way.
PackageFailure unpack(PackageReader& reader, const ZipEntry& entry, const ManifestFile& listed,
                      const std::filesystem::path& folder, const std::atomic<bool>* cancel) {
    const std::filesystem::path target = folder / std::filesystem::u8path(entry.name);
    if (const int err = ensureFolderTree(target, false))
        return fileFailure(FileOp::CreateFolder, FileStep::Open, target.parent_path(), err);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return fileFailure(FileOp::Write, FileStep::Open, target, errno);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    std::uint64_t size = 0;
    PackageFailure failure = reader.read(
        entry, listed.size,
        [&](const char* data, std::size_t count) {
            hash.addData(QByteArrayView(data, static_cast<qsizetype>(count)));
            size += count;
            if (!writeAll(fd, data, count))
                return fileFailure(FileOp::Write, FileStep::Transfer, target, errno);
            return PackageFailure{};
        },
        cancel);
    if (::close(fd) != 0 && failure.ok())
        failure = fileFailure(FileOp::Write, FileStep::Transfer, target, errno);
    if (failure.ok() && (size != listed.size || hash.result().toHex().toStdString() != listed.sha256))
        failure = refusal(PackageFault::Checksum, fromUtf8(entry.name));
    return failure;
}

} // namespace

StageResult stagePackage(const std::filesystem::path& package, const DataPaths& paths,
                         const std::atomic<bool>* cancel, const PackageProgressFn& progress,
                         const PackageLimits& limits) {
    StageResult result;
    const int fd = ::open(package.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.failure = fileFailure(FileOp::Read, FileStep::Open, package, errno);
        result.failure.file.insideDataFolders = false;
        return result;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        result.failure = damaged(u"不是活动包");
        return result;
    }
    QuaZip zip(&file);
    if (!zip.open(QuaZip::mdUnzip)) {
        result.failure = damaged(u"不是活动包，或文件不完整");
        return result;
    }
    const std::string standbyName = relativeName(paths.standbyFile, paths);
    PackageReader reader(zip);
    std::string json;
    PackageManifest& manifest = result.staged.manifest;
    std::uint64_t total = 0;
    PackageFailure& failure = result.failure;
    if (failure = reader.list(limits, standbyName); !failure.ok())
        return result;
    if (failure = reader.readManifest(json); !failure.ok())
        return result;
    ManifestParse parse = parseManifest(json);
    if (failure = manifestFailure(parse); !failure.ok())
        return result;
    manifest = std::move(parse.manifest);
    const std::vector<ZipEntry>& entries = reader.entries();
    if (failure = matchManifest(manifest, entries, standbyName, limits, total); !failure.ok())
        return result;
    if (failure = checkSpace(paths.root, total, entries.size(), limits); !failure.ok())
        return result;

    removeLeftoverStaging(paths.root);
    std::string folderName = (paths.root / (std::string(kStagingPrefix) + "XXXXXX")).string();
    if (!::mkdtemp(folderName.data())) {
        failure = fileFailure(FileOp::CreateFolder, FileStep::Open, paths.root, errno);
        return result;
    }
    StagingFolder staging{folderName};
    DeferredSync sync(staging.path);
    std::map<std::string_view, const ManifestFile*> listed;
    for (const ManifestFile& line : manifest.files)
        listed.emplace(line.path, &line);
    const int count = static_cast<int>(entries.size());
    if (progress)
        progress(0, count);
    for (int i = 0; i < count; ++i) {
        const ZipEntry& entry = entries[static_cast<std::size_t>(i)];
        if (failure = unpack(reader, entry, *listed.at(entry.name), staging.path, cancel); !failure.ok())
            return result;
        if (progress)
            progress(i + 1, count);
    }
    if (FileResult synced = sync.finish(); !synced) {
        failure.fault = PackageFault::File;
        failure.file = std::move(synced);
        return result;
    }
    result.staged.summary = summarizeEvent(DataPaths(staging.path));
    result.staged.folder = std::move(staging.path);
    staging.path.clear();
    return result;
}

} // namespace kelvora
