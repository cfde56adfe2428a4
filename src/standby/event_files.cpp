#include "standby/event_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace kelvora {

namespace {

bool endsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// One data folder, walked without following links; relative names start with its own name.
void walk(const std::filesystem::path& folder, const std::filesystem::path& root, const DataPaths& paths,
          EventFileList& list) {
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(folder, ec)))
        return;
    const auto noteError = [&list](const std::filesystem::path& where, int error) {
        if (list.error == 0) {
            list.error = error != 0 ? error : EIO;
            list.errorPath = where;
        }
    };
    std::filesystem::recursive_directory_iterator it(folder, ec);
    if (ec) {
        noteError(folder, ec.value());
        return;
    }
    for (; it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) {
            noteError(it->path(), ec.value());
            return;
        }
        const std::filesystem::path& path = it->path();
        if (isTransientName(path.filename().string())) {
            if (it->is_directory(ec))
                it.disable_recursion_pending();
            continue;
        }
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            // Gone between the listing and the look: a replace renamed its temporary file over it.
            if (errno != ENOENT)
                noteError(path, errno);
            continue;
        }
        if (!S_ISREG(info.st_mode) || path == paths.standbyFile)
            continue;
        EventFile file;
        file.source = path;
        file.relative = path.lexically_relative(root).generic_string();
        file.size = static_cast<std::uint64_t>(info.st_size);
        file.modified = info.st_mtim;
        list.files.push_back(std::move(file));
    }
}

} // namespace

bool isTransientName(const std::string& fileName) {
    return endsWith(fileName, ".tmp") || fileName.rfind(".kelvora-", 0) == 0 ||
           fileName.find("导入中-") != std::string::npos;
}

std::vector<std::string> eventFolderNames(bool withHistory) {
    std::vector<std::string> names{"参数设置(勿删)"};
    if (withHistory)
        names.emplace_back("历史记录");
    names.emplace_back("抽取进度(勿删)");
    return names;
}

EventFileList listEventFiles(const DataPaths& paths, bool withHistory) {
    EventFileList list;
    // Named through DataPaths so that the folders stay where the rest of the program looks for them.
    // The progress last: a copy made in this order never holds a draw whose prizes or lists are older.
    std::vector<std::filesystem::path> folders{paths.settingsFolder};
    if (withHistory)
        folders.push_back(paths.historyFolder);
    folders.push_back(paths.progressFolder);
    for (const auto& folder : folders) {
        const std::size_t first = list.files.size();
        walk(folder, paths.root, paths, list);
        std::sort(list.files.begin() + static_cast<std::ptrdiff_t>(first), list.files.end(),
                  [](const EventFile& a, const EventFile& b) { return a.relative < b.relative; });
    }
    return list;
}

} // namespace kelvora
