// The export workers. Lines go out through a small buffered file so that a cancel or a failure leaves on disk
// exactly what was written before it, as the operator expects of an export that stopped half-way.

#include "winners/winner_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "records/file_system.h"
#include "records/settings_file.h"

namespace kelvora {

namespace {

constexpr std::u16string_view kLineEnd = u"\r\n";
constexpr char16_t kByteOrderMark = 0xFEFF; // FF FE on a little-endian machine

// Every failure of an export concerns a place the operator chose, which decides the hint of its message.
FileResult chosenPlace(FileResult result) {
    result.insideDataFolders = false;
    return result;
}

FileResult failure(FileOp op, FileStep step, std::filesystem::path path, int errnum) {
    return chosenPlace(FileResult::failed(op, step, std::move(path), errnum));
}

// A UTF-16LE text file created (or truncated) by the export, written in blocks.
class TextFile {
public:
    TextFile() = default;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    ~TextFile() { static_cast<void>(close()); }

    FileResult create(const std::filesystem::path& path) {
        m_path = path;
        m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (m_fd < 0)
            return failure(FileOp::Write, FileStep::Open, path, errno);
        m_buffer.push_back(kByteOrderMark);
        return {};
    }

    FileResult line(std::u16string_view text) {
        m_buffer.insert(m_buffer.end(), text.begin(), text.end());
        m_buffer.insert(m_buffer.end(), kLineEnd.begin(), kLineEnd.end());
        return m_buffer.size() >= kFlushUnits ? flush() : FileResult{};
    }

    FileResult close() {
        if (m_fd < 0)
            return {};
        FileResult result = flush();
        if (::close(m_fd) != 0 && result)
            result = failure(FileOp::Write, FileStep::Transfer, m_path, errno);
        m_fd = -1;
        return result;
    }

private:
    static constexpr std::size_t kFlushUnits = 32 * 1024;

    FileResult flush() {
        const auto* data = reinterpret_cast<const char*>(m_buffer.data());
        std::size_t left = m_buffer.size() * sizeof(char16_t);
        m_buffer.clear();
        while (left > 0) {
            const ssize_t n = ::write(m_fd, data, left);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return failure(FileOp::Write, FileStep::Transfer, m_path, errno);
            }
            data += n;
            left -= static_cast<std::size_t>(n);
        }
        return {};
    }

    std::filesystem::path m_path;
    int m_fd = -1;
    std::vector<char16_t> m_buffer;
};

// folder/name for a stored name, or, when the name could leave the folder, the path as the operator would
// read it (for the message) with nothing made of it.
struct NamedPath {
    std::optional<std::filesystem::path> path;
    std::filesystem::path shown;
};

NamedPath namedIn(const std::filesystem::path& folder, std::u16string_view name) {
    NamedPath result;
    result.path = joinChecked(folder, name);
    result.shown = result.path ? *result.path : pathFromText(pathText(folder) + u"/" + std::u16string(name));
    return result;
}

std::u16string_view lineText(const Entrant& entrant, const ExportSource& source) {
    return source.pictureMode ? splitExtension(entrant.text()).first : entrant.text();
}

// Copies the entrant's picture into folder under its own name, replacing a file of that name. The copy is
// made durable with the rest of the export at its end: a sync per picture makes thousands of them crawl on a
// USB stick.
FileResult copyPicture(const Entrant& entrant, const ExportSource& source,
                       const std::filesystem::path& folder) {
    const NamedPath from = namedIn(source.pictureFolder, entrant.text());
    const NamedPath to = namedIn(folder, entrant.text());
    if (!from.path || !to.path) {
        FileResult result = failure(FileOp::Copy, FileStep::Open, from.shown, EINVAL);
        result.destination = to.shown;
        return result;
    }
    return chosenPlace(copyIntoDataFolder(*from.path, *to.path, SyncEach::No));
}

FileResult makeFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0777) != 0)
        return failure(FileOp::CreateFolder, FileStep::Open, folder, errno);
    return {};
}

// Whatever the export wrote, all of it or up to a cancel or a failure, goes to the disk before the operator
// is told; a failure to get it there is the export's failure unless an earlier one is already reported.
void finishDurably(ExportResult& result, DeferredSync& durable) {
    if (FileResult synced = durable.finish(); result.failure && !synced)
        result.failure = chosenPlace(std::move(synced));
}

void report(const ExportProgressFn& progress, int done, int total) {
    if (progress)
        progress(done, total);
}

} // namespace

std::u16string ExportResult::messageText() const {
    return kelvora::messageText(failure);
}

std::pair<std::u16string_view, std::u16string_view> splitExtension(std::u16string_view fileName) {
    const std::size_t dot = fileName.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return {fileName, {}};
    return {fileName.substr(0, dot), fileName.substr(dot)};
}

FileResult createExportFolder(const std::filesystem::path& folder) {
    return makeFolder(folder);
}

ExportResult exportNotYetWon(const EntrantPool& pool, const std::filesystem::path& folder,
                             const ExportSource& source, const ExportCancelFlag& cancel,
                             const ExportProgressFn& progress) {
    ExportResult result;
    const int total = static_cast<int>(pool.size());
    DeferredSync durable(folder);
    TextFile file;
    const NamedPath listPath = namedIn(folder, kNotYetWonFileName);
    if (result.failure = file.create(*listPath.path); !result.failure)
        return result;
    report(progress, 0, total);
    for (const Entrant& entrant : pool) {
        if (cancel.isSet()) {
            result.cancelled = true;
            break;
        }
        if (result.failure = file.line(lineText(entrant, source)); !result.failure)
            break;
        if (source.pictureMode) {
            if (result.failure = copyPicture(entrant, source, folder); !result.failure)
                break;
        }
        report(progress, ++result.done, total);
    }
    if (FileResult closed = file.close(); result.failure && !closed)
        result.failure = std::move(closed);
    finishDurably(result, durable);
    return result;
}

ExportResult exportWinners(const WinnerList& winners, const std::filesystem::path& folder,
                           const ExportSource& source, const ExportCancelFlag& cancel,
                           const ExportProgressFn& progress) {
    ExportResult result;
    const int total = winnerCount(winners, {});
    const std::filesystem::path allPath = *joinChecked(folder, kAllPrizesFileName);
    DeferredSync durable(folder);
    TextFile all;
    if (result.failure = all.create(allPath); !result.failure)
        return result;
    report(progress, 0, total);

    // Runs the groups; returns at the first failure or at a cancel, leaving the rest unwritten.
    auto run = [&]() -> FileResult {
        bool first = true;
        for (const WinnerGroup& group : winners) {
            if (!first) {
                if (FileResult r = all.line({}); !r)
                    return r;
                if (FileResult r = all.line({}); !r)
                    return r;
            }
            first = false;
            if (FileResult r = all.line(group.name()); !r)
                return r;
            if (FileResult r = all.line(kPrizeRule); !r)
                return r;

            std::filesystem::path pictures;
            if (source.pictureMode) {
                const NamedPath sub = namedIn(folder, group.name());
                if (!sub.path)
                    return failure(FileOp::CreateFolder, FileStep::Open, sub.shown, EINVAL);
                if (FileResult r = makeFolder(*sub.path); !r)
                    return r;
                pictures = *sub.path;
            }

            const NamedPath prizePath = namedIn(folder, std::u16string(group.name()) + u".txt");
            if (!prizePath.path)
                return failure(FileOp::Write, FileStep::Open, prizePath.shown, EINVAL);
            // A prize named like the all-prizes file would truncate it while it is being written.
            if (*prizePath.path == allPath)
                return failure(FileOp::Write, FileStep::Open, prizePath.shown, EEXIST);
            TextFile prizeFile;
            if (FileResult r = prizeFile.create(*prizePath.path); !r)
                return r;
            for (const Entrant& entrant : group.entrants) {
                if (cancel.isSet()) {
                    result.cancelled = true;
                    return prizeFile.close();
                }
                const std::u16string_view text = lineText(entrant, source);
                if (FileResult r = prizeFile.line(text); !r)
                    return r;
                if (FileResult r = all.line(text); !r)
                    return r;
                if (source.pictureMode) {
                    if (FileResult r = copyPicture(entrant, source, pictures); !r)
                        return r;
                }
                report(progress, ++result.done, total);
            }
            if (FileResult r = prizeFile.close(); !r)
                return r;
        }
        return {};
    };
    result.failure = run();
    if (FileResult closed = all.close(); result.failure && !closed)
        result.failure = std::move(closed);
    finishDurably(result, durable);
    return result;
}

} // namespace kelvora
