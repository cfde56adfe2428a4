#pragma once
// What reading or writing a file came to: a success, or what failed, on which file, why, and whether the file
// lies inside the program's own folders. Readers and writers return one and show nothing, so the same file
// code serves the user-interface thread and the import and export workers alike. messageText() turns a
// failure into the operator's message in its fixed wording; only the user interface shows it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kelvora {

// The hint that ends a file-failure message when permission was denied inside the program's own folders, and
// the one for a place the operator chose.
inline constexpr std::u16string_view kAdminHint =
    u"\n\n\n解决方法:\n1. 移动整个软件到别的目录\n2. 或尝试以管理员身份运行";
inline constexpr std::u16string_view kWriteAccessHint = u"\n\n\n请检查是否有写入权限";

// What was being done; each has its own message.
enum class FileOp : std::uint8_t {
    None,         // nothing failed
    Read,         // reading a settings file, or opening the progress file     "读文件失败"
    Write,        // writing a settings file or an export                       "写文件失败"
    Copy,         // copying an operator's file into a data folder              "复制文件失败"
    CreateFolder, // creating a data folder                                     "文件夹创建失败"
    ResumeDraw,   // taking up the draw saved in the progress file              "抽奖进度载入失败"
    SaveProgress, // writing the progress file                                  "无法写入文件"
    EndDraw,      // writing the history file or emptying the progress file     "结束抽奖失败"
};

// How far the operation got. Whether a message carries the hint can depend on it: a finished file that cannot
// take its name is stuck inside our folders whatever the error was.
enum class FileStep : std::uint8_t {
    Open,     // the file could not be opened or created
    Transfer, // reading or writing its bytes failed
    Rename,   // the finished file could not take its name
};

enum class FileFault : std::uint8_t {
    System,     // errnum holds the C library's error number
    BadContent, // a count or field out of range, a short file, or bytes left over ("文件内容有错误")
    TooLarge,   // the prize file would reach the size at which its reader deletes it unread; size holds it
};

struct [[nodiscard]] FileResult {
    FileOp op = FileOp::None;
    FileStep step = FileStep::Open;
    FileFault fault = FileFault::System;
    std::filesystem::path path;        // the file the operator knows the failure by; a copy's source
    std::filesystem::path destination; // a copy's destination
    int errnum = 0;
    std::filesystem::path keptAs;  // a file that failed to load: where it is kept before it is replaced
    bool insideDataFolders = true; // false for a place the operator chose, such as an export
    std::uint64_t size = 0;

    // True for a success.
    explicit operator bool() const { return op == FileOp::None; }

    // A failure the C library reported with errnum.
    static FileResult failed(FileOp op, FileStep step, std::filesystem::path path, int errnum);
    // A file whose contents its reader does not accept.
    static FileResult badContent(FileOp op, std::filesystem::path path);
    // A write refused before it began because the file would have size bytes.
    static FileResult tooLarge(std::filesystem::path path, std::uint64_t size);
};

// What a failed load's message adds when the file is kept before the next save replaces it.
inline constexpr std::u16string_view kKeptBeforeSaveText = u"\n\n原文件会在下次保存前另存为:\n";

// The operator's message for a failure, hint included; empty for a success.
std::u16string messageText(const FileResult& result);

} // namespace kelvora
