#include "rehearsal/rehearsal_folder.h"

#include <span>
#include <string_view>

#include "records/file_system.h"

namespace kelvora {

namespace {

std::filesystem::path folderOf(const DataPaths& real) {
    return real.root / std::filesystem::path(kRehearsalFolderName);
}

std::filesystem::path markOf(const DataPaths& real) {
    return folderOf(real) / std::filesystem::path(u"彩排中.txt");
}

} // namespace

DataPaths rehearsalPaths(const DataPaths& real) {
    const DataPaths inside(folderOf(real));
    DataPaths paths = real;
    paths.progressFolder = inside.progressFolder;
    paths.progressFile = inside.progressFile;
    paths.historyFolder = inside.historyFolder;
    return paths;
}

bool rehearsalUnderWay(const DataPaths& real) {
    std::error_code error;
    return std::filesystem::is_regular_file(markOf(real), error);
}

FileResult beginRehearsal(const DataPaths& real) {
    const std::filesystem::path folder = folderOf(real);
    deleteFolderTree(folder);
    removeStrayFile(folder);
    if (const int error = ensureFolderTree(folder, true); error != 0)
        return FileResult::failed(FileOp::CreateFolder, FileStep::Open, folder, error);
    constexpr std::string_view kMark =
        "彩排中。退出彩排时软件会删除这个文件夹，真正的抽奖进度和历史记录不在这里。\n";
    const auto bytes = std::as_bytes(std::span(kMark.data(), kMark.size()));
    const std::filesystem::path mark = markOf(real);
    return writeFileReplacing(mark, tempPathFor(mark), bytes);
}

void discardRehearsal(const DataPaths& real) {
    deleteFolderTree(folderOf(real));
}

} // namespace kelvora
