// Swapping a staged package in. The two data folders move as whole folders, each by one rename within the
// program's folder, so that the event is never half old and half new: the old folders go into a dated
// backup first, then the staged ones take their place, and a rename that fails undoes those before it.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "records/file_system.h"
#include "standby/event_package.h"

namespace kelvora {

namespace {

bool entryExists(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

InstallResult installStagedPackage(const StagedPackage& staged, const DataPaths& paths, const std::tm& now) {
    InstallResult result;
    // Where this computer mirrors to is not the event's: it stays with the computer, in the new settings.
    const std::filesystem::path stagedSettings = staged.folder / paths.settingsFolder.filename();
    if (entryExists(paths.standbyFile) && entryExists(stagedSettings)) {
        result.failure = copyFileReplacing(paths.standbyFile, stagedSettings / paths.standbyFile.filename());
        if (!result.failure)
            return result;
    }
    const std::filesystem::path backup =
        freeNameBeside(paths.root / std::filesystem::u8path("活动备份-" + timeStampText(now)));
    if (::mkdir(backup.c_str(), 0777) != 0) {
        result.failure = FileResult::failed(FileOp::CreateFolder, FileStep::Open, backup, errno);
        return result;
    }
    struct Move {
        std::filesystem::path from, to;
    };
    std::vector<Move> plan;
    for (const std::filesystem::path& live : {paths.settingsFolder, paths.progressFolder})
        if (entryExists(live))
            plan.push_back({live, backup / live.filename()});
    const std::size_t backedUp = plan.size();
    for (const std::filesystem::path& live : {paths.settingsFolder, paths.progressFolder})
        if (const std::filesystem::path incoming = staged.folder / live.filename(); entryExists(incoming))
            plan.push_back({incoming, live});

    for (std::size_t done = 0; done < plan.size(); ++done) {
        if (::rename(plan[done].from.c_str(), plan[done].to.c_str()) == 0)
            continue;
        result.failure = FileResult::failed(FileOp::Write, FileStep::Rename, plan[done].from, errno);
        result.failure.destination = plan[done].to;
        // Back as it was, last move first: each rename back undoes one that just worked.
        while (done-- > 0)
            ::rename(plan[done].to.c_str(), plan[done].from.c_str());
        ::rmdir(backup.c_str());
        syncFolder(paths.root);
        syncFolder(staged.folder);
        return result;
    }
    syncFolder(backup);
    syncFolder(paths.root);
    if (backedUp == 0)
        ::rmdir(backup.c_str());
    else
        result.backup = backup;
    deleteFolderTree(staged.folder);
    return result;
}

void discardStagedPackage(const StagedPackage& staged) {
    if (!staged.folder.empty())
        deleteFolderTree(staged.folder);
}

} // namespace kelvora
