#include "draw/progress_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "records/byte_io.h"
#include "records/file_system.h"

namespace kelvora {

namespace {

constexpr std::size_t kFixedPart = 13424; // everything before the pool's entries plus the group count

void clearEntrant(Entrant& e) {
    e.name[kNameUnits - 1] = 0;
    e.winOrder = 0;
}

enum class ReadResult { Ok, OpenFailed, ReadFailed };

// Reads a whole file in one go, with errno in errnum when it cannot be opened or read.
ReadResult readWholeFile(const std::filesystem::path& path, std::vector<std::byte>& out, int& errnum) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        errnum = errno;
        return ReadResult::OpenFailed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < 0 ||
        static_cast<std::uint64_t>(st.st_size) >= kProgressSizeLimit) {
        errnum = ::fstat(fd, &st) != 0 ? errno : EFBIG;
        ::close(fd);
        return ReadResult::ReadFailed;
    }
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            errnum = errno;
            ::close(fd);
            return ReadResult::ReadFailed;
        }
        if (n == 0)
            break; // shrank while being read: the length check refuses it
        done += static_cast<std::size_t>(n);
    }
    out.resize(done);
    ::close(fd);
    return ReadResult::Ok;
}

} // namespace

std::vector<std::byte> serializeProgress(const DrawProgress& p) {
    ByteWriter w;
    std::size_t size = kFixedPart + p.pool.size() * sizeof(Entrant);
    for (const WinnerGroup& g : p.winners)
        size += 260 + g.entrants.size() * sizeof(Entrant);
    w.reserve(size);
    w.writeInt32(static_cast<std::int32_t>(p.state));
    w.writeInt32(p.drawnCount);
    w.writeInt32(p.shownCount);
    w.writeBytes(p.shownEntrants.data(), sizeof p.shownEntrants);
    w.writeBytes(p.slotForfeited.data(), sizeof p.slotForfeited);
    w.writeInt32(p.prizeIndex);
    w.writeInt32(static_cast<std::int32_t>(p.pool.size()));
    w.writeEntrants(p.pool);
    w.writeInt32(static_cast<std::int32_t>(p.winners.size()));
    for (const WinnerGroup& g : p.winners) {
        w.writeText(g.prizeName);
        w.writeInt32(static_cast<std::int32_t>(g.entrants.size()));
        w.writeEntrants(g.entrants);
    }
    return std::move(w.bytes());
}

FileResult saveProgress(const DataPaths& paths, const DrawProgress& progress) {
    const std::filesystem::path& target = paths.progressFile;
    const std::filesystem::path temp = tempPathFor(target);
    removeStrayFile(paths.progressFolder);
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(temp, ec)))
        deleteFolderTree(temp);
    if (std::filesystem::is_directory(std::filesystem::symlink_status(target, ec)))
        deleteFolderTree(target);
    clearAttributes(target);
    ensureFolderTree(temp, false);

    FileResult result = writeFileReplacing(target, temp, serializeProgress(progress));
    if (!result) {
        result.op = FileOp::SaveProgress;
        // The new state is complete on disk but could not take the file's name: the operator is shown the
        // temporary file that holds it.
        if (result.step == FileStep::Rename)
            result.path = temp;
    }
    return result;
}

bool parseProgress(std::span<const std::byte> image, const PrizeList& prizes, DrawProgress& out) {
    ByteReader r(image);
    DrawProgress p;
    std::int32_t state = 0;
    r.readInt32(state);
    r.readInt32(p.drawnCount);
    r.readInt32(p.shownCount);
    r.readBytes(p.shownEntrants.data(), sizeof p.shownEntrants);
    r.readBytes(p.slotForfeited.data(), sizeof p.slotForfeited);
    r.readInt32(p.prizeIndex);
    for (Entrant& e : p.shownEntrants)
        clearEntrant(e);

    std::int32_t poolCount = 0;
    if (!r.readInt32(poolCount) || static_cast<std::uint32_t>(poolCount) > kMaxEntrants)
        return false;
    p.pool.resize(static_cast<std::size_t>(poolCount));
    if (!r.readEntrants(p.pool.data(), p.pool.size()))
        return false;
    for (Entrant& e : p.pool)
        clearEntrant(e);

    std::int32_t groupCount = 0;
    if (!r.readInt32(groupCount) || static_cast<std::uint32_t>(groupCount) > kMaxWinnerGroups)
        return false;
    p.winners.resize(static_cast<std::size_t>(groupCount));
    for (WinnerGroup& g : p.winners) {
        std::int32_t count = 0;
        r.readText(g.prizeName);
        // Checked against what is left before allocating, so a hostile count cannot ask for gigabytes.
        if (!r.readInt32(count) || count < 0 ||
            static_cast<std::size_t>(count) > r.remaining() / sizeof(Entrant))
            return false;
        g.entrants.resize(static_cast<std::size_t>(count));
        r.readEntrants(g.entrants.data(), g.entrants.size());
        for (Entrant& e : g.entrants)
            clearEntrant(e);
    }
    if (!r.ok() || !r.atEnd())
        return false;

    if (state != static_cast<std::int32_t>(DrawState::Ready) &&
        state != static_cast<std::int32_t>(DrawState::Stopped))
        return false;
    p.state = static_cast<DrawState>(state);
    if (p.prizeIndex < 0 || static_cast<std::size_t>(p.prizeIndex) >= prizes.size())
        return false;
    const PrizeItem& prize = prizes[static_cast<std::size_t>(p.prizeIndex)];
    if (p.state == DrawState::Ready) {
        if (p.drawnCount != 0 || p.shownCount != 0)
            return false;
    } else {
        // A stop whose save failed leaves no names on screen, and perDraw may have been lowered since the
        // press: both are states the draw can go on from.
        if (p.drawnCount < 0 || p.drawnCount > prize.quota || p.shownCount < 0 || p.shownCount > kMaxShown)
            return false;
    }
    out = std::move(p);
    return true;
}

FileResult loadProgress(const DataPaths& paths, const PrizeList& prizes,
                        std::optional<DrawProgress>& resumed) {
    resumed.reset();
    const std::filesystem::path temp = tempPathFor(paths.progressFile);

    std::filesystem::path candidate = paths.progressFile;
    bool triedTemp = false;
    std::error_code ec;
    while (true) {
        if (std::filesystem::is_directory(std::filesystem::symlink_status(candidate, ec)))
            deleteFolderTree(candidate);
        const auto size = std::filesystem::file_size(candidate, ec);
        if (!ec) {
            if (size >= kProgressSizeLimit) {
                clearAttributes(candidate);
                std::filesystem::remove(candidate, ec);
            } else if (size == 0) {
                return {}; // an ended draw; a stale ".tmp" must not bring it back
            }
        }
        // Only a file that is not there is "nothing to resume"; one that cannot be looked up (no search
        // permission on its folder) goes on to the open, which reports why, instead of the draw silently
        // starting over.
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR))
            break;
        if (triedTemp)
            return {};
        candidate = temp;
        triedTemp = true;
    }

    clearAttributes(candidate);
    std::vector<std::byte> image;
    int errnum = 0;
    // The file may hold the results of a draw that this start cannot resume (a prize list edited since, a
    // damaged sector): it is kept before the next stop of a new draw writes over it.
    auto fail = [&](FileResult error) {
        error.keptAs = keepBeforeOverwrite(candidate);
        return error;
    };
    const ReadResult read = readWholeFile(candidate, image, errnum);
    if (read == ReadResult::OpenFailed)
        return fail(FileResult::failed(FileOp::Read, FileStep::Open, candidate, errnum));
    if (read == ReadResult::ReadFailed)
        return fail(FileResult::failed(FileOp::ResumeDraw, FileStep::Transfer, candidate, errnum));
    DrawProgress progress;
    if (!parseProgress(image, prizes, progress))
        return fail(FileResult::badContent(FileOp::ResumeDraw, candidate));

    if (triedTemp) {
        clearAttributes(candidate);
        if (std::rename(temp.c_str(), paths.progressFile.c_str()) != 0)
            return FileResult::failed(FileOp::ResumeDraw, FileStep::Rename, temp, errno);
    }
    resumed = std::move(progress);
    return {};
}

} // namespace kelvora
