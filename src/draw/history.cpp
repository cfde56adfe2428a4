#include "draw/history.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "draw/draw_host.h"
#include "draw/draw_run.h"
#include "records/byte_io.h"
#include "records/file_system.h"

namespace kelvora {

namespace {

constexpr std::u16string_view kSeparator = u"--------------------------------";

void writeUnits(ByteWriter& w, std::u16string_view text) {
    w.writeBytes(text.data(), text.size() * 2);
}

std::u16string_view withoutLastExtension(std::u16string_view name) {
    const std::size_t dot = name.rfind(u'.');
    return (dot == std::u16string_view::npos || dot == 0) ? name : name.substr(0, dot);
}

std::u16string twoDigits(int v) {
    std::u16string s;
    s += static_cast<char16_t>(u'0' + (v / 10) % 10);
    s += static_cast<char16_t>(u'0' + v % 10);
    return s;
}

} // namespace

std::u16string historyFileName(const LocalTime& t) {
    std::u16string year;
    for (char c : std::to_string(t.year))
        year += static_cast<char16_t>(c);
    while (year.size() < 4)
        year.insert(year.begin(), u'0');
    return year + twoDigits(t.month) + twoDigits(t.day) + u"_" + twoDigits(t.hour) + u"." +
           twoDigits(t.minute) + u"." + twoDigits(t.second) + u".txt";
}

std::vector<std::byte> serializeHistory(const WinnerList& winners, bool pictureMode) {
    ByteWriter w;
    writeUnits(w, u"\uFEFF");
    bool first = true;
    for (const WinnerGroup& group : winners) {
        if (!first)
            writeUnits(w, u"\r\n\r\n");
        first = false;
        writeUnits(w, group.name());
        writeUnits(w, u"\r\n");
        writeUnits(w, kSeparator);
        writeUnits(w, u"\r\n");
        for (const Entrant& e : group.entrants) {
            writeUnits(w, pictureMode ? withoutLastExtension(e.text()) : e.text());
            writeUnits(w, u"\r\n");
        }
    }
    return std::move(w.bytes());
}

FileResult writeHistory(const DataPaths& paths, const WinnerList& winners, bool pictureMode,
                        const LocalTime& time, std::filesystem::path* written) {
    removeStrayFile(paths.historyFolder);
    const std::u16string name = historyFileName(time);
    std::filesystem::path file = paths.historyFolder / pathFromText(name);
    std::error_code ec;
    // Two draws ended within one second must not overwrite each other's record.
    for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(file, ec)); ++n) {
        std::u16string numbered = name.substr(0, name.size() - 4) + u"_";
        for (char c : std::to_string(n))
            numbered += static_cast<char16_t>(c);
        file = paths.historyFolder / pathFromText(numbered + u".txt");
    }
    ensureFolderTree(file, false);
    FileResult result = writeFileReplacing(file, tempPathFor(file), serializeHistory(winners, pictureMode));
    if (!result) {
        result.op = FileOp::EndDraw;
        result.path = file;
        return result;
    }
    if (written)
        *written = file;
    return {};
}

FileResult deleteProgressFile(const DataPaths& paths) {
    removeStrayFile(paths.progressFolder);
    const std::filesystem::path& file = paths.progressFile;
    const std::filesystem::path temp = tempPathFor(file);
    std::error_code ec;
    for (const std::filesystem::path& p : {file, temp}) {
        if (std::filesystem::is_directory(std::filesystem::symlink_status(p, ec)))
            deleteFolderTree(p);
        clearAttributes(p);
    }
    // A stale ".tmp" would otherwise resume the draw that was just ended at the next start.
    if (::unlink(temp.c_str()) != 0 && errno != ENOENT) {
        const int fd = ::open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
    }
    if (::unlink(file.c_str()) == 0 || errno == ENOENT) {
        const int dir = ::open(paths.progressFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return {};
    }
    // Cannot remove it: an empty file tells the next start that there is nothing to resume.
    const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return FileResult::failed(FileOp::EndDraw, FileStep::Open, file, errno);
    ::fsync(fd);
    ::close(fd);
    return {};
}

bool endDraw(DrawRun& run, DrawHost& host, const DataPaths& paths, Clock& clock) {
    if (!run.drawStarted())
        return false;
    if (host.showMessage(kEndDrawQuestion, MessageIcon::Warning, MessageButtons::YesNoDefaultNo) !=
        MessageAnswer::Yes)
        return false;
    run.abortPress();
    host.releaseMusic();
    if (const FileResult written =
            writeHistory(paths, run.progress().winners, run.pictureMode(), clock.localTime());
        !written) {
        host.showMessage(messageText(written), MessageIcon::Error);
        return false;
    }
    if (const FileResult deleted = deleteProgressFile(paths); !deleted) {
        host.showMessage(messageText(deleted), MessageIcon::Error);
        return false;
    }
    run.end();
    host.rebuildBackground();
    host.repaintScreen();
    return true;
}

} // namespace kelvora
