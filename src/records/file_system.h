#pragma once
// Folder and file helpers shared by every reader and writer of the program's data: folder creation and
// removal, "normal" attributes, the one atomic replace through which every file is written, and the checked
// join of a stored name onto a data folder.
//
// On this platform "normal" attributes mean the owner may read and write the file (chmod u+rw); a hidden file
// is one whose name starts with ".". Symbolic links are never followed when deleting or changing attributes,
// so a link inside a data folder cannot make the program touch anything outside it.

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "records/file_result.h"

namespace kelvora {

// Creates every missing folder along path. With includeLast false the last component is a file name and is
// not created. Returns 0, or the errno of the first mkdir that failed.
int ensureFolderTree(const std::filesystem::path& path, bool includeLast);

// Deletes a folder with everything in it. A symbolic link (even to a folder) is removed as a link. Failures
// are ignored: whatever could not be removed stays.
void deleteFolderTree(const std::filesystem::path& path);

// Gives the owner read and write access to an existing file or folder; nothing happens to a missing path or a
// symbolic link.
void clearAttributes(const std::filesystem::path& path);

// True when the entry's name starts with ".".
bool isHidden(const std::filesystem::path& path);

// Where a folder is expected but something else stands (a file, a dangling link), that entry is removed so
// the folder can be created. Returns true when path is a folder or nothing is there afterwards.
bool removeStrayFile(const std::filesystem::path& folder);

// The temporary file a writer uses beside target: the same path with ".tmp" appended.
std::filesystem::path tempPathFor(const std::filesystem::path& target);

// A file that failed to load may hold the operator's only copy of the prizes, the lists or a draw's results,
// and the defaults that took its place would be written over it by the next save. Marks file so that the
// first replace over it, or over a stale temporary file of its name, first keeps it under the returned name
// ("<name>.损坏-<yyyymmdd-hhmmss>" beside it, decided now so that the start-up message can name it). Nothing
// is copied until then: a file repaired by hand before the next save is simply read at the next start.
std::filesystem::path keepBeforeOverwrite(const std::filesystem::path& file);

// True when both files can be read and hold the same bytes.
bool sameFileContents(const std::filesystem::path& a, const std::filesystem::path& b);

// wanted when nothing stands there, else the first free "stem(2).ext", "stem(3).ext"... beside it.
std::filesystem::path freeNameBeside(const std::filesystem::path& wanted);

// The one way files are written. Writes data to temp (in target's folder, created afresh and truncated),
// syncs it, renames it over target and syncs the folder, so that target always holds either its previous
// bytes or all of the new ones, also after a crash or a power cut. A folder in the way of temp is deleted
// first. On failure target is untouched, temp is removed, and the Write result names the step, the errno and
// the path concerned: temp for a failed open, write or sync, target for a failed rename. Callers that know
// the file by another name or report it under another heading relabel the result.
FileResult writeFileReplacing(const std::filesystem::path& target, const std::filesystem::path& temp,
                              std::span<const std::byte> data);

// Whether a replace waits until its file is on the disk. The program's own files do, one by one. Copies
// made by the thousand into a place the operator chose (an export's pictures) skip it, still replacing
// through a temporary file, and their writer makes them durable together through a DeferredSync.
enum class SyncEach { Yes, No };

// The same replace with the bytes streamed from another file, for copies that need not fit in memory. The
// temporary file gets a name of its own that is created exclusively beside target (".kelvora-XXXXXX"), so no
// file of the operator's among those copied can be taken for it. A failure to open or read source is reported
// with source's path.
FileResult copyFileReplacing(const std::filesystem::path& source, const std::filesystem::path& target,
                             SyncEach sync = SyncEach::Yes);

// Makes what is written under a folder durable in one go at the end, instead of file by file. Made before the
// first write: the file system's write-back errors count from then on. finish() writes out everything cached
// for the file system that holds the folder (syncfs) and syncs the folder's own entries; a failure is a
// Write result on the folder with the errno, for what was written may not be on the disk.
class DeferredSync {
public:
    explicit DeferredSync(std::filesystem::path folder);
    DeferredSync(const DeferredSync&) = delete;
    DeferredSync& operator=(const DeferredSync&) = delete;
    ~DeferredSync();

    FileResult finish();

private:
    std::filesystem::path m_folder;
    int m_fd = -1;
    int m_openError = 0;
};

// Makes a rename in folder durable. Some file systems cannot sync a folder; the new file is complete and in
// place by then, so there is nothing left that a failure here could make the caller undo.
void syncFolder(const std::filesystem::path& folder);

// "yyyymmdd-hhmmss", as the names of kept and backed-up files carry it.
std::string timeStampText(const std::tm& time);

// folder joined with a stored name, or nothing when the name could leave the folder or name the folder
// itself: empty, ".", "..", or holding "/" or a NUL unit. Every stored name that becomes part of a path goes
// through here.
std::optional<std::filesystem::path> joinChecked(const std::filesystem::path& folder,
                                                 std::u16string_view name);

// A path as the operator reads it in a message: its full text, UTF-8 decoded, with "/" separators.
std::u16string pathText(const std::filesystem::path& path);

// A path from UTF-16 text (a lone surrogate becomes U+FFFD).
std::filesystem::path pathFromText(std::u16string_view text);

} // namespace kelvora
