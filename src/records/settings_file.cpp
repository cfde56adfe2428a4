#include "records/settings_file.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "records/file_system.h"

namespace kelvora {

namespace {

constexpr double kBytesPerMiB = 1048576.0;

// A file or a dangling link where the settings folder or the record's sub-folder belongs would stop every
// write; a folder where the file belongs would stop every read. Both are cleared away before either.
void clearTheWay(const SettingsFileLocation& location) {
    removeStrayFile(location.settingsFolder);
    if (!location.subFolder.empty())
        removeStrayFile(location.subFolder);
    std::error_code ec;
    if (std::filesystem::is_directory(location.file, ec))
        deleteFolderTree(location.file);
    else
        clearAttributes(location.file);
}

// The whole file in one buffer; size is what stat reported, so a file that shrank meanwhile comes back short
// and fails the length check.
bool readWhole(int fd, std::size_t size, std::vector<std::byte>& buffer, int& errnum) {
    buffer.resize(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buffer.data() + got, size - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            errnum = errno;
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    buffer.resize(got);
    return true;
}

} // namespace

FileResult loadSettingsFile(const SettingsFileLocation& location,
                            const std::function<void()>& resetToDefaults, const RecordParser& parse) {
    resetToDefaults();
    if (!location.skipFolderChecks)
        clearTheWay(location);

    // Only a file that is not there means "no file". One that cannot even be looked up (no search permission
    // on its folder) may hold the operator's settings: the open below reports why it cannot be read, instead
    // of the defaults silently taking its place.
    struct stat st {};
    const bool lookedUp = ::stat(location.file.c_str(), &st) == 0;
    if (!lookedUp && (errno == ENOENT || errno == ENOTDIR))
        return {}; // nothing to read: the defaults stand
    if (lookedUp) {
        // A reader that leaves stray folders alone still has no file to read in a folder of that name.
        if (S_ISDIR(st.st_mode))
            return {};
        const auto size = static_cast<std::uint64_t>(st.st_size);
        if (size > UINT32_MAX ||
            static_cast<double>(size) / kBytesPerMiB >= static_cast<double>(location.sizeLimitMiB)) {
            clearAttributes(location.file);
            ::unlink(location.file.c_str());
            // Should the delete have failed, the file is still never read: its size alone makes it unusable.
            return {};
        }
        if (size == 0)
            return {};
    }

    auto fail = [&](FileResult error) {
        resetToDefaults();
        error.keptAs = keepBeforeOverwrite(location.file);
        return error;
    };

    // O_NONBLOCK: a pipe swapped in after the stat must not hang the program.
    const int fd = ::open(location.file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return fail(FileResult::failed(FileOp::Read, FileStep::Open, location.file, errno));
    if (!lookedUp && ::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(FileResult::failed(FileOp::Read, FileStep::Transfer, location.file, err));
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (!lookedUp &&
        (S_ISDIR(st.st_mode) || size > UINT32_MAX ||
         static_cast<double>(size) / kBytesPerMiB >= static_cast<double>(location.sizeLimitMiB))) {
        // Became readable between the two calls but is no settings file we would read; leave it for next
        // time.
        ::close(fd);
        return {};
    }
    std::vector<std::byte> image;
    int err = 0;
    const bool read = readWhole(fd, static_cast<std::size_t>(size), image, err);
    ::close(fd);
    if (!read)
        return fail(FileResult::failed(FileOp::Read, FileStep::Transfer, location.file, err));

    ByteReader reader(image);
    const bool parsed = parse(reader);
    if (!parsed || !reader.ok() || reader.consumed() != size)
        return fail(FileResult::badContent(FileOp::Read, location.file));
    return {};
}

FileResult saveSettingsFile(const SettingsFileLocation& location, const RecordSerializer& serialize) {
    clearTheWay(location);
    ensureFolderTree(location.file, false); // a folder that cannot be made shows up as the write's own error

    ByteWriter writer;
    serialize(writer);
    FileResult result = writeFileReplacing(location.file, tempPathFor(location.file), writer.bytes());
    // The failure names the settings file even when the temporary file failed: that is the file the operator
    // knows, and it is the one left as it was.
    if (!result)
        result.path = location.file;
    return result;
}

FileResult copyIntoDataFolder(const std::filesystem::path& source, const std::filesystem::path& destination,
                              SyncEach sync) {
    ensureFolderTree(destination, false);
    clearAttributes(destination);
    // Compared as files, not as text: this file system tells "A.jpg" from "a.jpg", and two different texts
    // can name one file.
    std::error_code ec;
    if (std::filesystem::equivalent(source, destination, ec))
        return {};
    FileResult result = copyFileReplacing(source, destination, sync);
    if (!result) {
        result.path = source;
        result.destination = destination;
    }
    return result;
}

} // namespace kelvora
