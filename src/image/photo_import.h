#pragma once
// The photo import: every usable picture of a folder is copied into the picture folder, shrunk to a chosen
// size, and becomes one entrant of the picture list named by its file name. Runs on a worker thread and
// knows no window; the dialogs around it only collect the request and show the outcome.
//
//   PhotoImportResult result = importPhotos(paths, request, cancel, progress); // on the worker
//   PhotoImportOutcome outcome = finishPhotoImport(paths, list, result);       // back on the UI thread
//
// The copies are made in a staging folder beside the picture folder and take its place only when the import
// succeeded, so a mistyped folder, a bad picture or a cancel leaves every earlier photo and the list as they
// were.

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "records/data_paths.h"
#include "records/entrant.h"
#include "settings/picture_name_list.h"

namespace kelvora {

inline constexpr int kMinShrinkSize = 400;
inline constexpr int kMaxShrinkSize = 1300;
inline constexpr int kDefaultShrinkSize = 650;

inline constexpr std::u16string_view kShrinkSizeInvalidText = u"“图片缩小到”参数无效";
inline constexpr std::u16string_view kNoSourceFolderText = u"请指定图片文件夹";
inline constexpr std::u16string_view kTooManyPhotosText = u"最多导入3万张照片";
inline constexpr std::u16string_view kPreviewFailedText = u"图片加载失败:\n";
inline constexpr std::u16string_view kSourceFolderMissingText = u"图片文件夹不存在或无法打开:\n%s\n\n%s";
inline constexpr std::u16string_view kNoPhotosInFolderText = u"图片文件夹中没有可导入的图片:\n%s";

struct PhotoImportRequest {
    std::filesystem::path sourceFolder;
    int shrinkSize = kDefaultShrinkSize; // the longer side of a copy, 400..1300
};

struct PhotoImportResult {
    EntrantList entries; // in the order the folder listed the files; one past 30000 when there were more
    double landscapeSum = 0;
    double portraitSum = 0;
    int hiddenCount = 0;
    std::u16string hiddenText;           // each skipped hidden file's name followed by CR LF
    std::u16string errorText;            // the failure that stopped the import; empty when none did
    bool cancelled = false;              // stopped at the operator's request: nothing of it is to be used
    std::filesystem::path sourceFolder;  // the folder that was read
    std::filesystem::path stagingFolder; // where the copies are; empty when none was made
};

// Pictures done of total, total being the picture files found before the first was read.
using PhotoImportProgress = std::function<void(int done, int total)>;

// Whether the file's extension (the text from the name's last dot, so ".jpg" counts) is one the import reads,
// ignoring case.
bool isPhotoFileName(std::u16string_view name);

// The shrink size typed into the import dialog, read as an unsigned number ("-1" and "abc" are refused);
// nothing when it is outside 400..1300.
std::optional<int> parseShrinkSize(std::u16string_view text);

// The warning that refuses the import dialog's fields, checked in this order (size, then folder), or nothing
// when the import may run. The folder's existence is left to the import.
std::optional<std::u16string_view> photoImportRefusal(std::u16string_view folderText,
                                                      std::u16string_view sizeText);

// True when reading source reads the picture folder: it is that folder, or lies inside it, by the folders the
// paths lead to (through links and "..") rather than by their text.
bool sourceInsidePictureFolder(const DataPaths& paths, const std::filesystem::path& source);

// Copies every picture of the source folder (one level, hidden files reported and skipped, other files
// ignored) into a new staging folder beside the picture folder; the picture folder itself is not touched.
// The first picture that fails stops the import with its message in errorText; so does a source folder that
// cannot be listed or holds no picture, with a message naming it. Polls cancel between pictures and returns
// at once, marked cancelled, when it is set. progress may be empty. Staging folders that an earlier run left
// behind are removed first.
PhotoImportResult importPhotos(const DataPaths& paths, const PhotoImportRequest& request,
                               const std::atomic<bool>& cancel, const PhotoImportProgress& progress);

// What the dialog shows after an import, in this order.
struct PhotoImportOutcome {
    std::u16string errorText; // shown with an error icon
    bool tooMany = false;     // "最多导入3万张照片", a warning
    int hiddenCount = 0;      // the hidden pictures' report when above 0
    std::u16string hiddenText;
};

// Puts an import's result into the list. A cancelled or failed import leaves the list and its ratio as they
// were; otherwise the list takes the entries (the one past 30000 dropped; its file stays in the folder) and,
// when there are any, the ratio of the landscape and portrait sums clamped to 0.5..2.0.
PhotoImportOutcome applyPhotoImport(PictureNameList& list, PhotoImportResult result);

// Ends an import on the UI thread. A successful one takes the picture folder's place: from elsewhere the
// staging folder replaces the picture folder with the earlier photos and the list file; from the picture
// folder itself (or a folder inside it) the new copies join the folder and replace their namesakes, and
// everything else there stays. Then the list takes the result as applyPhotoImport says. A cancelled or failed
// import, or one whose copies could not take the folder's place, removes the staging folder and leaves the
// picture folder and the list as they were.
PhotoImportOutcome finishPhotoImport(const DataPaths& paths, PictureNameList& list, PhotoImportResult result);

// The preview's info box: the file name, CR LF, width × height.
std::u16string pictureInfoText(std::u16string_view name, int width, int height);

} // namespace kelvora
