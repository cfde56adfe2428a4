#include "image/photo_import.h"

#include <algorithm>
#include <array>
#include <vector>

#include "image/picture_file.h"
#include "platform/text.h"
#include "records/file_result.h"
#include "records/file_system.h"

namespace kelvora {

namespace {

namespace fs = std::filesystem;

constexpr std::array<std::u16string_view, 11> kPhotoExtensions = {
    u".jpg", u".jpeg", u".jpe", u".jfif", u".png", u".gif", u".bmp", u".dib", u".tif", u".tiff", u".ico"};

bool isIcoName(std::u16string_view name) {
    const std::size_t dot = name.rfind(u'.');
    return dot != std::u16string_view::npos && equalsIgnoreCase(name.substr(dot), u".ico");
}

// Absolute, links and ".." resolved as far as the path exists, without a trailing separator.
fs::path resolved(const fs::path& path, std::error_code& ec) {
    fs::path result = fs::weakly_canonical(fs::absolute(path, ec), ec);
    if (result.has_relative_path() && result.filename().empty())
        result = result.parent_path();
    return result;
}

struct Candidate {
    fs::path path;
    std::u16string name;
    bool hidden = false;
};

// The picture files of folder in the order the file system lists them. Listed before any is read, because the
// copies may go into the very folder being listed.
std::vector<Candidate> listPhotoFiles(const fs::path& folder) {
    std::vector<Candidate> found;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return found;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const fs::path& path = it->path();
        std::u16string name = fromUtf8(path.filename().string());
        // Only regular files (links to them included): reading a pipe or a device named like a picture would
        // hang the import.
        std::error_code typeError;
        if (name.empty() || !isPhotoFileName(name) || !it->is_regular_file(typeError))
            continue;
        found.push_back(Candidate{path, std::move(name), isHidden(path)});
    }
    return found;
}

// Makes the picture folder a folder; the error text when that failed.
std::u16string preparePictureFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return {};
    removeStrayFile(folder);
    if (const int err = ensureFolderTree(folder, true))
        return messageText(FileResult::failed(FileOp::CreateFolder, FileStep::Open, folder, err));
    return {};
}

// Copies one picture into the picture folder; the error text when that failed.
std::u16string importOne(const Candidate& source, const fs::path& pictureFolder, int shrinkSize,
                         PhotoImportResult& result) {
    if (source.name.size() > static_cast<std::size_t>(kMaxNameLength))
        return formatText(u"文件名限127个字符:\n%s", {source.name});
    PictureFile picture;
    if (!picture.loadPicture(source.path))
        return formatText(u"图片加载失败:\n%s\n\n%s", {pathText(source.path), picture.errorText()});
    if (picture.width() > shrinkSize || picture.height() > shrinkSize)
        picture.shrinkToFit(shrinkSize);

    const fs::path target = pictureFolder / pathFromText(source.name);
    clearAttributes(target);
    bool written = false;
    if (isIcoName(source.name)) {
        // No icon encoder: the file goes over as it is.
        std::error_code ec;
        written = fs::equivalent(source.path, target, ec) ||
                  static_cast<bool>(copyFileReplacing(source.path, target, tempPathFor(target)));
    } else {
        written = picture.savePicture(target);
    }
    if (!written)
        return formatText(u"写文件失败:\n%s\n\n\n请检查是否有写入权限", {pathText(target)});

    result.entries.push_back(makeEntrant(source.name));
    const double w = picture.width();
    const double h = picture.height();
    if (w < h) {
        result.portraitSum += h / w;
        result.landscapeSum += 1;
    } else {
        result.landscapeSum += w / h;
        result.portraitSum += 1;
    }
    return {};
}

} // namespace

bool isPhotoFileName(std::u16string_view name) {
    const std::size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return false;
    const std::u16string_view extension = name.substr(dot);
    return std::any_of(kPhotoExtensions.begin(), kPhotoExtensions.end(),
                       [extension](std::u16string_view known) { return equalsIgnoreCase(extension, known); });
}

std::optional<int> parseShrinkSize(std::u16string_view text) {
    while (!text.empty() && text.front() == u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (char16_t unit : text) {
        if (unit < u'0' || unit > u'9')
            return std::nullopt;
        value = std::min<long long>(value * 10 + (unit - u'0'), kMaxShrinkSize + 1);
    }
    if (value < kMinShrinkSize || value > kMaxShrinkSize)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<std::u16string_view> photoImportRefusal(std::u16string_view folderText,
                                                      std::u16string_view sizeText) {
    if (!parseShrinkSize(sizeText))
        return kShrinkSizeInvalidText;
    if (folderText.empty())
        return kNoSourceFolderText;
    return std::nullopt;
}

bool sourceInsidePictureFolder(const DataPaths& paths, const fs::path& source) {
    std::error_code sourceError;
    std::error_code folderError;
    const fs::path resolvedSource = resolved(source, sourceError);
    const fs::path resolvedFolder = resolved(paths.pictureFolder, folderError);
    // A path that cannot be resolved might be anything: keep the folder rather than guess.
    if (sourceError || folderError)
        return true;
    auto [folderPart, sourcePart] = std::mismatch(resolvedFolder.begin(), resolvedFolder.end(),
                                                  resolvedSource.begin(), resolvedSource.end());
    return folderPart == resolvedFolder.end();
}

void clearPictureFolderForImport(const DataPaths& paths, const fs::path& source) {
    // Deleting first would destroy the very photos the import is about to read.
    if (!sourceInsidePictureFolder(paths, source))
        deleteFolderTree(paths.pictureFolder);
}

PhotoImportResult importPhotos(const DataPaths& paths, const PhotoImportRequest& request,
                               const std::atomic<bool>& cancel, const PhotoImportProgress& progress) {
    PhotoImportResult result;
    result.errorText = preparePictureFolder(paths.pictureFolder);
    if (!result.errorText.empty())
        return result;

    const std::vector<Candidate> found = listPhotoFiles(request.sourceFolder);
    const int total = static_cast<int>(
        std::count_if(found.begin(), found.end(), [](const Candidate& c) { return !c.hidden; }));
    int done = 0;
    if (progress)
        progress(done, total);
    for (const Candidate& candidate : found) {
        // The result of a cancelled import is thrown away, so the rest of the folder need not be read.
        if (cancel.load()) {
            result.cancelled = true;
            return result;
        }
        if (candidate.hidden) {
            ++result.hiddenCount;
            result.hiddenText += candidate.name;
            result.hiddenText += u"\r\n";
            continue;
        }
        result.errorText = importOne(candidate, paths.pictureFolder, request.shrinkSize, result);
        if (!result.errorText.empty())
            break;
        if (progress)
            progress(++done, total);
        if (result.entries.size() > static_cast<std::size_t>(kMaxEntrants))
            break;
    }
    return result;
}

PhotoImportOutcome applyPhotoImport(PictureNameList& list, PhotoImportResult result) {
    PhotoImportOutcome outcome;
    list.entries.clear();
    if (result.cancelled)
        return outcome;
    if (!result.errorText.empty()) {
        outcome.errorText = std::move(result.errorText);
        return outcome;
    }
    list.entries = std::move(result.entries);
    if (!list.entries.empty())
        list.aspectRatio =
            std::clamp(result.landscapeSum / result.portraitSum, kMinAspectRatio, kMaxAspectRatio);
    if (list.entries.size() > static_cast<std::size_t>(kMaxEntrants)) {
        outcome.tooMany = true;
        list.entries.resize(kMaxEntrants);
    }
    outcome.hiddenCount = result.hiddenCount;
    outcome.hiddenText = std::move(result.hiddenText);
    return outcome;
}

std::u16string pictureInfoText(std::u16string_view name, int width, int height) {
    std::u16string text(name);
    text += u"\r\n";
    text += decimalText(width);
    text += u"×";
    text += decimalText(height);
    return text;
}

} // namespace kelvora
