// Packing an event, and the names and messages of packages. Taking a package in is in package_stage.cpp.

#include "standby/event_package.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/text.h"
#include "settings/typed_text.h"
#include "sheets/zip_output_file.h"
#include "standby/event_files.h"

namespace kelvora {

namespace {

constexpr std::size_t kChunkBytes = 1 << 20;
// A file name is at most 255 bytes; the date and the extension take 23 of them.
constexpr std::size_t kTitleNameBytes = 200;

// Pictures, music and zips gain nothing from deflating again; storing them keeps packing fast.
bool isCompressed(const std::filesystem::path& file) {
    static constexpr std::array<std::u16string_view, 12> kStored{u".jpg",  u".jpeg", u".png", u".gif",
                                                                 u".webp", u".mp3",  u".ogg", u".m4a",
                                                                 u".flac", u".wma",  u".zip", u".xlsx"};
    const std::u16string extension = fromUtf8(file.extension().string());
    return std::any_of(kStored.begin(), kStored.end(),
                       [&](std::u16string_view stored) { return equalsIgnoreCase(extension, stored); });
}

PackageFailure fileFailure(FileResult result) {
    PackageFailure failure;
    failure.fault = PackageFault::File;
    failure.file = std::move(result);
    return failure;
}

PackageFailure writeFailure(const std::filesystem::path& target, int errnum) {
    FileResult result = FileResult::failed(FileOp::Write, FileStep::Transfer, target, errnum);
    result.insideDataFolders = false;
    return fileFailure(std::move(result));
}

PackageFailure cancelledFailure() {
    PackageFailure failure;
    failure.fault = PackageFault::Cancelled;
    return failure;
}

bool cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

QDateTime modifiedTime(const EventFile& file) {
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(file.modified.tv_sec));
}

// One file of the event into the open zip, hashed as it streams; its manifest line on success.
class FilePacker {
public:
    FilePacker(QuaZip& zip, const std::filesystem::path& target, const std::atomic<bool>* cancel)
        : m_zip(zip), m_target(target), m_cancel(cancel), m_buffer(kChunkBytes) {}

    PackageFailure add(const EventFile& file, ManifestFile& line) {
        const int fd = ::open(file.source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return fileFailure(FileResult::failed(FileOp::Read, FileStep::Open, file.source, errno));
        PackageFailure failure = stream(fd, file, line);
        ::close(fd);
        return failure;
    }

private:
    PackageFailure stream(int fd, const EventFile& file, ManifestFile& line) {
        QuaZipNewInfo info(QString::fromStdString(file.relative));
        info.dateTime = modifiedTime(file);
        info.externalAttr = (0100644u) << 16; // a regular file, rw-r--r--
        const bool store = isCompressed(file.source);
        QuaZipFile entry(&m_zip);
        if (!entry.open(QIODevice::WriteOnly, info, nullptr, 0, store ? 0 : Z_DEFLATED,
                        store ? Z_NO_COMPRESSION : Z_BEST_SPEED))
            return zipFailure();
        QCryptographicHash hash(QCryptographicHash::Sha256);
        std::uint64_t size = 0;
        for (;;) {
            if (cancelled(m_cancel))
                return cancelledFailure();
            const ssize_t got = ::read(fd, m_buffer.data(), m_buffer.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return fileFailure(FileResult::failed(FileOp::Read, FileStep::Transfer, file.source, errno));
            if (got == 0)
                break;
            hash.addData(QByteArrayView(m_buffer.data(), got));
            if (entry.write(m_buffer.data(), got) != got)
                return zipFailure();
            size += static_cast<std::uint64_t>(got);
        }
        entry.close();
        if (entry.getZipError() != ZIP_OK)
            return zipFailure();
        line.path = file.relative;
        line.size = size;
        line.sha256 = hash.result().toHex().toStdString();
        return {};
    }

    PackageFailure zipFailure() const { return writeFailure(m_target, EIO); }

    QuaZip& m_zip;
    const std::filesystem::path& m_target;
    const std::atomic<bool>* m_cancel;
    std::vector<char> m_buffer;
};

bool writeManifest(QuaZip& zip, const std::string& json) {
    QuaZipFile entry(&zip);
    QuaZipNewInfo info(
        QString::fromLatin1(kManifestName.data(), static_cast<qsizetype>(kManifestName.size())));
    info.externalAttr = (0100644u) << 16;
    if (!entry.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, Z_BEST_SPEED))
        return false;
    const auto size = static_cast<qint64>(json.size());
    const bool written = entry.write(json.data(), size) == size;
    entry.close();
    return written && entry.getZipError() == ZIP_OK;
}

std::string isoNow() {
    return QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
}

// The first units of text whose UTF-8 stays within bytes, never splitting a surrogate pair.
std::u16string cutToUtf8Bytes(std::u16string text, std::size_t bytes) {
    while (toUtf8(text).size() > bytes) {
        text.pop_back();
        if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF)
            text.pop_back();
    }
    return text;
}

std::u16string megabytes(std::uint64_t bytes) {
    return decimalText(static_cast<long long>((bytes + (1 << 20) - 1) >> 20));
}

} // namespace

std::u16string packageFailureText(const PackageFailure& failure) {
    switch (failure.fault) {
    case PackageFault::None:
        return {};
    case PackageFault::File:
        return messageText(failure.file);
    case PackageFault::Cancelled:
        return u"已取消";
    case PackageFault::Damaged:
        return failure.detail.empty() ? u"活动包已损坏，无法打开"
                                      : formatText(u"活动包已损坏，无法打开:\n%s", {failure.detail});
    case PackageFault::Checksum:
        return formatText(u"活动包中的文件校验失败，可能已损坏或被改动:\n%s", {failure.detail});
    case PackageFault::UnsafePath:
        return formatText(u"活动包中有不安全的路径，已拒绝:\n%s", {failure.detail});
    case PackageFault::SymbolicLink:
        return formatText(u"活动包中有符号链接，已拒绝:\n%s", {failure.detail});
    case PackageFault::NewerFormat:
        return formatText(u"这个活动包由更新版本的软件制作(格式版本 %s)，请先升级本软件",
                          {decimalText(failure.formatVersion)});
    case PackageFault::NoSpace:
        return formatText(
            u"磁盘空间不足: 活动包解开需要 %s MB，可用 %s MB",
            {megabytes(failure.neededBytes), decimalText(static_cast<long long>(failure.freeBytes >> 20))});
    }
    return {};
}

std::u16string packageFileName(std::u16string_view mainTitle, const std::tm& now) {
    std::u16string title(trimTypedText(mainTitle));
    for (char16_t& unit : title)
        if (unit < 0x20 || unit == 0x7F || unit == u'/')
            unit = u'_';
    title = cutToUtf8Bytes(std::move(title), kTitleNameBytes);
    if (title.empty())
        title = u"活动";
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d", now.tm_year + 1900, now.tm_mon + 1,
                  now.tm_mday, now.tm_hour, now.tm_min);
    return title + fromUtf8(stamp) + std::u16string(kPackageExtension);
}

PackResult packEvent(const DataPaths& paths, const std::filesystem::path& target,
                     std::string_view programVersion, const std::atomic<bool>* cancel,
                     const PackageProgressFn& progress) {
    PackResult result;
    const EventFileList list = listEventFiles(paths, false);
    if (list.error != 0) {
        result.failure =
            fileFailure(FileResult::failed(FileOp::Read, FileStep::Open, list.errorPath, list.error));
        return result;
    }
    const int total = static_cast<int>(list.files.size());
    ZipOutputFile output;
    if (const int err = output.open(target)) {
        FileResult failed = FileResult::failed(FileOp::Write, FileStep::Open, target, err);
        failed.insideDataFolders = false;
        result.failure = fileFailure(std::move(failed));
        return result;
    }
    if (progress)
        progress(0, total);
    PackageManifest manifest;
    manifest.program = std::string(programVersion);
    manifest.created = isoNow();
    manifest.files.resize(list.files.size());
    std::uint64_t bytes = 0;
    bool zipOk = false;
    {
        QuaZip zip(&output.device());
        zip.setDataDescriptorWritingEnabled(false);
        zip.setUtf8Enabled(true);
        // Zip64 only where a size needs it: the plain format is what every tool reads.
        std::uint64_t biggest = 0;
        for (const EventFile& file : list.files)
            biggest = std::max(biggest, file.size);
        zip.setZip64Enabled(biggest >= 0xF0000000u);
        if (!zip.open(QuaZip::mdCreate)) {
            result.failure = writeFailure(target, output.writeError() ? output.writeError() : EIO);
            return result;
        }
        FilePacker packer(zip, target, cancel);
        for (std::size_t i = 0; i < list.files.size(); ++i) {
            PackageFailure failure = packer.add(list.files[i], manifest.files[i]);
            if (!failure.ok()) {
                if (failure.fault == PackageFault::File && failure.file.op == FileOp::Write &&
                    output.writeError())
                    failure.file.errnum = output.writeError();
                result.failure = std::move(failure);
                zip.close();
                return result;
            }
            bytes += manifest.files[i].size;
            if (progress)
                progress(static_cast<int>(i + 1), total);
        }
        zipOk = writeManifest(zip, manifestJson(manifest));
        zip.close();
        zipOk = zipOk && zip.getZipError() == ZIP_OK;
    }
    if (cancelled(cancel)) {
        result.failure.fault = PackageFault::Cancelled;
        return result;
    }
    if (FileResult committed = output.commit(zipOk); !committed) {
        result.failure = fileFailure(std::move(committed));
        return result;
    }
    result.files = total;
    result.bytes = bytes;
    return result;
}

} // namespace kelvora
