#pragma once
// Where a zip we write (a workbook, an event package) goes while it is written: a file of its own name,
// created exclusively beside the target (".kelvora-XXXXXX", so no file of the operator's can be taken for
// it), behind a device that keeps the errno of the first failed write. Only commit() gives it the target's
// name, after it is on the disk; until then, and whatever fails, the target keeps its old bytes and the
// temporary file goes when this object does.

#include <QIODevice>

#include <filesystem>
#include <memory>

#include "records/file_result.h"

namespace kelvora {

class ZipOutputFile {
public:
    ZipOutputFile();
    ZipOutputFile(const ZipOutputFile&) = delete;
    ZipOutputFile& operator=(const ZipOutputFile&) = delete;
    ~ZipOutputFile();

    // Creates the temporary file beside target. Returns 0 or the errno of the failed creation.
    int open(const std::filesystem::path& target);
    // The write-only, seekable device on the temporary file, for QuaZip to open in mdCreate.
    QIODevice& device();
    // The errno of the first write or seek that failed (0: none so far).
    int writeError() const;
    // Syncs and closes the temporary file, renames it over the target and syncs the folder. A failure is a
    // Write result on the target (outside the data folders: the operator chose the place): Transfer with
    // the errno of a failed write or sync (EIO when zipOk is false without one), Rename for the rename.
    FileResult commit(bool zipOk = true);

private:
    class Device;
    std::filesystem::path m_target;
    std::string m_tempPath; // cleared once renamed
    int m_fd = -1;
    std::unique_ptr<Device> m_device;
};

} // namespace kelvora
