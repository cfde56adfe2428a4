#include "sheets/zip_output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "records/file_system.h"

namespace kelvora {

namespace {

FileResult writeFailure(FileStep step, const std::filesystem::path& target, int errnum) {
    FileResult result = FileResult::failed(FileOp::Write, step, target, errnum);
    result.insideDataFolders = false;
    return result;
}

} // namespace

// QuaZip reports a failed write only as a zip error; the device keeps why it failed.
class ZipOutputFile::Device final : public QIODevice {
public:
    explicit Device(int fd) : m_fd(fd) {}
    int failure() const { return m_errno; }

    bool isSequential() const override { return false; }
    bool seek(qint64 pos) override {
        if (!QIODevice::seek(pos))
            return false;
        return ::lseek(m_fd, pos, SEEK_SET) == pos || fail();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override {
        qint64 done = 0;
        while (done < len) {
            const ssize_t n = ::write(m_fd, data + done, static_cast<std::size_t>(len - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                fail();
                return -1;
            }
            done += n;
        }
        return done;
    }

private:
    bool fail() {
        if (m_errno == 0)
            m_errno = errno != 0 ? errno : EIO;
        return false;
    }

    int m_fd;
    int m_errno = 0;
};

ZipOutputFile::ZipOutputFile() = default;

ZipOutputFile::~ZipOutputFile() {
    m_device.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
}

int ZipOutputFile::open(const std::filesystem::path& target) {
    m_target = target;
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string name = (folder / ".kelvora-XXXXXX").string();
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::fchmod(fd, 0644); // as an ordinary new file, not the private mode mkostemp gives
    m_fd = fd;
    m_tempPath = std::move(name);
    m_device = std::make_unique<Device>(fd);
    return 0;
}

QIODevice& ZipOutputFile::device() {
    return *m_device;
}

int ZipOutputFile::writeError() const {
    return m_device ? m_device->failure() : 0;
}

FileResult ZipOutputFile::commit(bool zipOk) {
    if (m_fd < 0)
        return writeFailure(FileStep::Open, m_target, EBADF);
    int err = writeError();
    if (zipOk && err == 0 && ::fsync(m_fd) != 0)
        err = errno;
    if (::close(m_fd) != 0 && err == 0)
        err = errno;
    m_fd = -1;
    if (!zipOk || err != 0)
        return writeFailure(FileStep::Transfer, m_target, err != 0 ? err : EIO);
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        return writeFailure(FileStep::Rename, m_target, errno);
    m_tempPath.clear();
    syncFolder(m_target.has_parent_path() ? m_target.parent_path() : ".");
    return {};
}

} // namespace kelvora
