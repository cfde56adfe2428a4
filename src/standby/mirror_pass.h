#pragma once
// One pass of the live mirror: the file work alone, run on the mirror's worker thread. It checks the place,
// lists the source, sweeps from the mirrored folders what the source no longer has, and copies what changed
// since the last pass, remembering what each copy left so that the next pass can tell by stat alone. The
// thread, the state the console reads and the log belong to the mirror (mirror.h).

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <sys/types.h>

#include "standby/mirror.h"

namespace kelvora {

struct MirrorPassResult {
    std::optional<std::u16string> problem; // what ended the pass early: what, where, why
    int changed = 0;                       // files copied, or found gone since the listing
    bool stopped = false;                  // ended early because the mirror stops
};

// Told before the first copy and after each how many files are still to copy; false ends the pass.
using MirrorProgress = std::function<bool(int pending)>;

class MirrorPass {
public:
    explicit MirrorPass(MirrorSetup setup) : m_setup(std::move(setup)) {}

    MirrorPassResult run(const MirrorProgress& progress);

    // Size and modification time of a file, and for a copy its inode: what tells a pass nothing changed.
    struct FileStamp {
        std::uint64_t size = 0;
        timespec modified{};
        ino_t inode = 0;

        bool sameAs(const FileStamp& other) const {
            return size == other.size && modified.tv_sec == other.modified.tv_sec &&
                   modified.tv_nsec == other.modified.tv_nsec && inode == other.inode;
        }
    };

private:
    // A copy as a pass left it. Some file systems keep coarser times than the source's (FAT: two seconds),
    // so the copy's own stamp is remembered rather than expected to equal the source's.
    struct CopyRecord {
        FileStamp source;
        FileStamp copy;
    };

    struct PlannedFile {
        std::filesystem::path source;
        std::string relative; // UTF-8, "/"-separated, from the program's folder
        FileStamp stamp;      // inode left 0: only the copy's inode is compared
        bool program = false;
    };

    std::optional<std::u16string> checkTarget() const;
    std::optional<std::u16string> listSource(std::vector<PlannedFile>& files) const;
    std::optional<std::u16string> sweep(const std::vector<PlannedFile>& files);
    std::optional<std::u16string> sweepEntry(const std::filesystem::path& path, const std::string& relative);
    std::string standbyRelative() const;
    bool upToDate(const PlannedFile& file);
    std::optional<std::u16string> copy(const PlannedFile& file);
    std::optional<std::u16string> makeFolders(const std::filesystem::path& folder) const;

    const MirrorSetup m_setup;
    std::map<std::string, CopyRecord> m_records; // by relative name; kept from pass to pass
    std::set<std::string> m_keepFiles;           // the running pass's source files and their folders
    std::set<std::string> m_keepFolders;
};

} // namespace kelvora
