#include "records/file_result.h"

#include <cerrno>

#include "platform/text.h"
#include "records/file_system.h"
#include "records/prizes.h"

namespace kelvora {

namespace {

bool permissionDenied(int errnum) {
    return errnum == EACCES;
}

// Whether the message ends with a hint. Permission denied is what the operator can do something about; the
// progress file's rename is the exception: a complete file stuck under the wrong name inside our folders
// always needs it, whatever the error.
bool wantsHint(const FileResult& r) {
    switch (r.op) {
    case FileOp::Read:
        // Once open, a file the program may read cannot be refused for permission.
        return r.step == FileStep::Open && permissionDenied(r.errnum);
    case FileOp::Copy:
        // Copying also hits EPERM, from a file that may not be overwritten by its ownership.
        return permissionDenied(r.errnum) || r.errnum == EPERM;
    case FileOp::ResumeDraw:
        return r.step == FileStep::Rename;
    case FileOp::SaveProgress:
        return r.step == FileStep::Rename || permissionDenied(r.errnum);
    case FileOp::Write:
    case FileOp::CreateFolder:
    case FileOp::EndDraw:
        return permissionDenied(r.errnum);
    case FileOp::None:
        break;
    }
    return false;
}

} // namespace

FileResult FileResult::failed(FileOp op, FileStep step, std::filesystem::path path, int errnum) {
    FileResult r;
    r.op = op;
    r.step = step;
    r.path = std::move(path);
    r.errnum = errnum;
    return r;
}

FileResult FileResult::badContent(FileOp op, std::filesystem::path path) {
    FileResult r;
    r.op = op;
    r.step = FileStep::Transfer;
    r.fault = FileFault::BadContent;
    r.path = std::move(path);
    return r;
}

FileResult FileResult::tooLarge(std::filesystem::path path, std::uint64_t size) {
    FileResult r;
    r.op = FileOp::Write;
    r.fault = FileFault::TooLarge;
    r.path = std::move(path);
    r.size = size;
    return r;
}

std::u16string messageText(const FileResult& r) {
    if (r)
        return {};
    if (r.fault == FileFault::TooLarge)
        return prizeFileTooLargeText(r.path, r.size);

    const std::u16string path = pathText(r.path);
    const std::u16string reason = r.fault == FileFault::BadContent ? u"文件内容有错误" : errorText(r.errnum);
    std::u16string text;
    switch (r.op) {
    case FileOp::Read:
        text = formatText(u"读文件失败:\n%s\n\n%S", {path, reason});
        break;
    case FileOp::Write:
        text = formatText(u"写文件失败:\n%s\n\n%S", {path, reason});
        break;
    case FileOp::Copy:
        text = formatText(u"复制文件失败：\n%s\n\n从: %s\n到: %s", {reason, path, pathText(r.destination)});
        break;
    case FileOp::CreateFolder:
        text = formatText(u"文件夹创建失败:\n%s\n\n%s", {path, reason});
        break;
    case FileOp::ResumeDraw:
        text = formatText(u"抽奖进度载入失败:\n%s\n\n%S", {path, reason});
        break;
    case FileOp::SaveProgress:
        text = formatText(u"无法写入文件 %s\n\n%S", {path, reason});
        break;
    case FileOp::EndDraw:
        text = formatText(u"结束抽奖失败:\n无法写入文件 %s\n\n%S", {path, reason});
        break;
    case FileOp::None:
        break;
    }
    if (wantsHint(r))
        text += r.insideDataFolders ? kAdminHint : kWriteAccessHint;
    if (!r.keptAs.empty()) {
        text += kKeptBeforeSaveText;
        text += pathText(r.keptAs);
    }
    return text;
}

} // namespace kelvora
