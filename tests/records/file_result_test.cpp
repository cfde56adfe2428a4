// The failure messages whose heading or hint no test through the file system reaches: exports, folder
// creation, the progress file's own texts and the steps that decide the hint.

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/text.h"
#include "records/file_result.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

const std::u16string kAdmin = u"\n\n\n解决方法:\n1. 移动整个软件到别的目录\n2. 或尝试以管理员身份运行";
const std::u16string kAccess = u"\n\n\n请检查是否有写入权限";

TEST(MessageText, HeadingsAndHintsOfEveryKindOfFailure) {
    const std::filesystem::path file = u8"/data/参数设置(勿删)/x.dat";
    const std::u16string p = u"/data/参数设置(勿删)/x.dat";
    auto failed = [&](FileOp op, FileStep step, int errnum) {
        return FileResult::failed(op, step, file, errnum);
    };
    auto chosenByOperator = [](FileResult r) {
        r.insideDataFolders = false;
        return r;
    };
    auto copy = [&](int errnum) {
        FileResult r = failed(FileOp::Copy, FileStep::Open, errnum);
        r.destination = u8"/data/参数设置(勿删)/奖项/x.jpg";
        return r;
    };
    const auto e = [](int errnum) { return errorText(errnum); };

    struct Row {
        const char* what;
        FileResult result;
        std::u16string expected;
    };
    const Row rows[] = {
        {"success", FileResult{}, u""},
        {"export denied", chosenByOperator(failed(FileOp::Write, FileStep::Open, EACCES)),
         u"写文件失败:\n" + p + u"\n\n" + e(EACCES) + kAccess},
        {"export disk full", chosenByOperator(failed(FileOp::Write, FileStep::Transfer, ENOSPC)),
         u"写文件失败:\n" + p + u"\n\n" + e(ENOSPC)},
        {"settings file denied only after it was opened", failed(FileOp::Read, FileStep::Transfer, EACCES),
         u"读文件失败:\n" + p + u"\n\n" + e(EACCES)},
        {"folder denied", failed(FileOp::CreateFolder, FileStep::Open, EACCES),
         u"文件夹创建失败:\n" + p + u"\n\n" + e(EACCES) + kAdmin},
        {"folder blocked by a file", failed(FileOp::CreateFolder, FileStep::Open, ENOTDIR),
         u"文件夹创建失败:\n" + p + u"\n\n" + e(ENOTDIR)},
        {"copy not permitted", copy(EPERM),
         u"复制文件失败：\n" + e(EPERM) + u"\n\n从: " + p + u"\n到: /data/参数设置(勿删)/奖项/x.jpg" +
             kAdmin},
        {"progress denied", failed(FileOp::SaveProgress, FileStep::Open, EACCES),
         u"无法写入文件 " + p + u"\n\n" + e(EACCES) + kAdmin},
        {"progress disk full", failed(FileOp::SaveProgress, FileStep::Transfer, ENOSPC),
         u"无法写入文件 " + p + u"\n\n" + e(ENOSPC)},
        {"progress stuck under its temporary name", failed(FileOp::SaveProgress, FileStep::Rename, EBUSY),
         u"无法写入文件 " + p + u"\n\n" + e(EBUSY) + kAdmin},
        {"resume read error", failed(FileOp::ResumeDraw, FileStep::Transfer, EIO),
         u"抽奖进度载入失败:\n" + p + u"\n\n" + e(EIO)},
        {"resume from a temporary file that cannot be moved",
         failed(FileOp::ResumeDraw, FileStep::Rename, EXDEV),
         u"抽奖进度载入失败:\n" + p + u"\n\n" + e(EXDEV) + kAdmin},
        {"history denied", failed(FileOp::EndDraw, FileStep::Open, EACCES),
         u"结束抽奖失败:\n无法写入文件 " + p + u"\n\n" + e(EACCES) + kAdmin},
        {"history disk full", failed(FileOp::EndDraw, FileStep::Transfer, ENOSPC),
         u"结束抽奖失败:\n无法写入文件 " + p + u"\n\n" + e(ENOSPC)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(u8(messageText(row.result)), u8(row.expected));
    }
}

} // namespace
} // namespace kelvora::test
