#include "image/photo_import.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
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

// The picture files of folder in the order the file system lists them, or the error that kept it from being
// listed.
std::vector<Candidate> listPhotoFiles(const fs::path& folder, std::error_code& ec) {
    std::vector<Candidate> found;
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

// The staging folders of this picture folder are named after it, so that one left by a crash is known as
// ours and removed by the next import.
std::string stagingPrefix(const DataPaths& paths) {
    return paths.pictureFolder.filename().string() + toUtf8(u".导入中-");
}

void removeStaleStagingFolders(const DataPaths& paths) {
    const std::string prefix = stagingPrefix(paths);
    std::error_code ec;
    for (fs::directory_iterator it(paths.settingsFolder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename().string().rfind(prefix, 0) == 0)
            deleteFolderTree(it->path());
    }
}

// A new, empty staging folder beside the picture folder; the error text when none could be made.
std::u16string makeStagingFolder(const DataPaths& paths, fs::path& staging) {
    removeStrayFile(paths.settingsFolder);
    if (const int err = ensureFolderTree(paths.settingsFolder, true))
        return messageText(
            FileResult::failed(FileOp::CreateFolder, FileStep::Open, paths.settingsFolder, err));
    removeStaleStagingFolders(paths);
    std::string name = (paths.settingsFolder / (stagingPrefix(paths) + "XXXXXX")).string();
    if (!::mkdtemp(name.data()))
        return messageText(FileResult::failed(FileOp::CreateFolder, FileStep::Open,
                                              paths.settingsFolder / stagingPrefix(paths), errno));
    staging = name;
    return {};
}

// Moves the staging folder into the picture folder's place; the earlier folder ends up under the staging
// folder's name, to be deleted. The two swap in one step where the file system can, so that a crash never
// leaves the program without a picture folder.
int replacePictureFolder(const fs::path& staging, const fs::path& pictureFolder) {
    removeStrayFile(pictureFolder);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(pictureFolder, ec)))
        return std::rename(staging.c_str(), pictureFolder.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, pictureFolder.c_str(), RENAME_EXCHANGE) == 0)
        return 0;
    // Without the exchange (some file systems of sticks): the earlier folder steps aside first and comes
    // back when the new one cannot take its name.
    fs::path aside = staging;
    aside += ".old";
    if (std::rename(pictureFolder.c_str(), aside.c_str()) != 0)
        return errno;
    if (std::rename(staging.c_str(), pictureFolder.c_str()) != 0) {
        const int err = errno;
        std::rename(aside.c_str(), pictureFolder.c_str());
        return err;
    }
    return std::rename(aside.c_str(), staging.c_str()) == 0 ? 0 : (deleteFolderTree(aside), 0);
}

// The new copies join the picture folder, each replacing its namesake; the error of the first that could not.
int mergeIntoPictureFolder(const fs::path& staging, const fs::path& pictureFolder) {
    std::error_code ec;
    for (fs::directory_iterator it(staging, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path target = pictureFolder / it->path().filename();
        clearAttributes(target);
        if (std::rename(it->path().c_str(), target.c_str()) != 0)
            return errno;
    }
    return ec.value();
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
                  static_cast<bool>(copyFileReplacing(source.path, target));
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

PhotoImportResult importPhotos(const DataPaths& paths, const PhotoImportRequest& request,
                               const std::atomic<bool>& cancel, const PhotoImportProgress& progress) {
    PhotoImportResult result;
    result.sourceFolder = request.sourceFolder;
    std::error_code listError;
    const std::vector<Candidate> found = listPhotoFiles(request.sourceFolder, listError);
    if (listError) {
        result.errorText = formatText(kSourceFolderMissingText,
                                      {pathText(request.sourceFolder), errorText(listError.value())});
        return result;
    }
    result.errorText = makeStagingFolder(paths, result.stagingFolder);
    if (!result.errorText.empty())
        return result;

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
        result.errorText = importOne(candidate, result.stagingFolder, request.shrinkSize, result);
        if (!result.errorText.empty())
            break;
        if (progress)
            progress(++done, total);
        if (result.entries.size() > static_cast<std::size_t>(kMaxEntrants))
            break;
    }
    if (result.errorText.empty() && result.entries.empty())
        result.errorText = formatText(kNoPhotosInFolderText, {pathText(request.sourceFolder)});
    return result;
}

PhotoImportOutcome applyPhotoImport(PictureNameList& list, PhotoImportResult result) {
    PhotoImportOutcome outcome;
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

PhotoImportOutcome finishPhotoImport(const DataPaths& paths, PictureNameList& list,
                                     PhotoImportResult result) {
    const fs::path staging = result.stagingFolder;
    if (!result.cancelled && result.errorText.empty() && !staging.empty()) {
        const bool merge = sourceInsidePictureFolder(paths, result.sourceFolder);
        if (const int err = merge ? mergeIntoPictureFolder(staging, paths.pictureFolder)
                                  : replacePictureFolder(staging, paths.pictureFolder))
            result.errorText =
                messageText(FileResult::failed(FileOp::Write, FileStep::Rename, paths.pictureFolder, err));
    }
    if (!staging.empty())
        deleteFolderTree(staging);
    return applyPhotoImport(list, std::move(result));
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
