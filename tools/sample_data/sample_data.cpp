// Writes a sample data folder through the program's own writers, so a first run has something to draw:
// four prizes (the top one with a white list, the one before it with a black list), 300 generated names, and
// text mode. Existing data is never overwritten.
//
//   kelvora_sample_data [--background <name>] [--photos <count>] <folder> [<built-in folder>]
//   kelvora_sample_data --staff-sheets <count> <folder>
//
// With the built-in resources folder, its default background is copied into the interface folder, so that the
// default look finds the picture it names; --background chooses another picture of that folder instead. The
// music the default music settings name is copied into the music folder from there too.
//
// --photos writes a photo-mode event instead: <count> generated portraits go into the picture folder the way
// the import puts them there (loaded and checked, shrunk to 650 on the longer side, saved by the program's
// own picture code), with their list, its aspect ratio, and prizes sized for photo tiles.
//
// --staff-sheets writes only a staff list of <count> people as "员工名单.xlsx" and "员工名单.csv" (GB18030),
// for trying the list import from a file.

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/picture_file.h"
#include "photos/person_names.h"
#include "photos/photo_files.h"
#include "platform/stderr_message_box.h"
#include "platform/text.h"
#include "records/draw_mode.h"
#include "records/prizes.h"
#include "records/settings_file.h"
#include "settings/interface_settings.h"
#include "settings/music_settings.h"
#include "settings/picture_name_list.h"
#include "settings/text_name_list.h"
#include "staff_sheets.h"

namespace {

using namespace kelvora;

// Deterministic, so every run writes the same sample.
constexpr std::uint32_t kNameSeed = 20261206;
constexpr std::uint32_t kPhotoSeed = 20261207;
// What the import shrinks to unless told otherwise.
constexpr int kPhotoShrinkSize = 650;
constexpr int kMaxPhotos = 30000;

std::vector<Entrant> sampleNames(std::size_t count) {
    std::vector<Entrant> names;
    for (const std::u16string& name : photos::personNames(count, kNameSeed))
        names.push_back(makeEntrant(name));
    return names;
}

PrizeItem prize(std::u16string_view name, std::int32_t quota, std::int32_t perDraw, std::int32_t perLine,
                std::int32_t fontSize, std::u16string_view prizeText) {
    PrizeItem p;
    setField(p.name, name);
    p.quota = quota;
    p.perDraw = perDraw;
    p.perLine = perLine;
    p.fontSize = fontSize;
    setField(p.prizeText, prizeText);
    return p;
}

// A temporary folder of our own for the photos as a camera would give them, removed again when done.
class StagingFolder {
public:
    StagingFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kelvora_sample_photos.XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~StagingFolder() {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Generates the photos and brings them into the picture folder as the import does, filling list. Nothing in
// the picture folder is overwritten; false, with the reason printed, on the first failure.
bool writeSamplePhotos(const DataPaths& paths, int count, PictureNameList& list) {
    const std::vector<photos::PhotoPlan> plans = photos::planPhotos(count, kPhotoSeed);
    std::error_code ec;
    for (const photos::PhotoPlan& plan : plans) {
        const std::filesystem::path target = paths.pictureFolder / toUtf8(plan.fileName);
        if (std::filesystem::exists(std::filesystem::symlink_status(target, ec))) {
            std::fprintf(stderr, "kelvora_sample_data: %s already exists; nothing written\n", target.c_str());
            return false;
        }
    }
    const StagingFolder staging;
    std::filesystem::create_directories(paths.pictureFolder, ec);
    if (staging.path().empty() || !std::filesystem::is_directory(paths.pictureFolder, ec)) {
        std::fprintf(stderr, "kelvora_sample_data: cannot make the folder %s\n", paths.pictureFolder.c_str());
        return false;
    }
    double landscapeSum = 0;
    double portraitSum = 0;
    for (const photos::PhotoPlan& plan : plans) {
        const std::filesystem::path original = staging.path() / ("photo." + plan.extension);
        const std::filesystem::path target = paths.pictureFolder / toUtf8(plan.fileName);
        PictureFile picture;
        if (!photos::writeFileBytes(original, photos::photoFileBytes(kPhotoSeed, plan)) ||
            !picture.loadPicture(original)) {
            std::fprintf(stderr, "kelvora_sample_data: photo %s: %s\n", target.filename().c_str(),
                         toUtf8(picture.errorText()).c_str());
            return false;
        }
        if (picture.width() > kPhotoShrinkSize || picture.height() > kPhotoShrinkSize)
            picture.shrinkToFit(kPhotoShrinkSize);
        if (!picture.savePicture(target)) {
            std::fprintf(stderr, "kelvora_sample_data: cannot write %s\n", target.c_str());
            return false;
        }
        list.entries.push_back(makeEntrant(plan.fileName));
        const double w = picture.width();
        const double h = picture.height();
        if (w < h) {
            portraitSum += h / w;
            landscapeSum += 1;
        } else {
            landscapeSum += w / h;
            portraitSum += 1;
        }
    }
    if (!list.entries.empty())
        list.aspectRatio = std::clamp(landscapeSum / portraitSum, kMinAspectRatio, kMaxAspectRatio);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::string background;
    int photoCount = 0; // 0: text mode
    bool badCount = false;
    if (argc == 4 && std::strcmp(argv[1], "--staff-sheets") == 0) {
        const std::string_view text = argv[2];
        int count = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (error != std::errc() || end != text.data() + text.size() || count < 1 || count > kMaxPhotos) {
            std::fprintf(stderr, "usage: kelvora_sample_data --staff-sheets <count 1..%d> <folder>\n",
                         kMaxPhotos);
            return 2;
        }
        return sample::writeStaffSheets(argv[3], count) ? 0 : 1;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--background") == 0 && i + 1 < argc) {
            background = argv[++i];
        } else if (std::strcmp(argv[i], "--photos") == 0 && i + 1 < argc) {
            const std::string_view text = argv[++i];
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), photoCount);
            badCount = error != std::errc() || end != text.data() + text.size() || photoCount < 1 ||
                       photoCount > kMaxPhotos;
        } else {
            args.emplace_back(argv[i]);
        }
    }
    if (args.empty() || args.size() > 2 || (!background.empty() && args.size() != 2) || badCount) {
        std::fprintf(stderr,
                     "usage: kelvora_sample_data [--background <name>] [--photos <count 1..%d>] <folder> "
                     "[<built-in folder>]\n",
                     kMaxPhotos);
        return 2;
    }
    const bool photoMode = photoCount > 0;
    const DataPaths paths{std::filesystem::path(args[0])};
    for (const auto& file : {paths.prizeFile, paths.drawModeFile,
                             photoMode ? paths.pictureListFile : paths.textListFile, paths.interfaceFile}) {
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(file, ec))) {
            std::fprintf(stderr, "kelvora_sample_data: %s already exists; nothing written\n", file.c_str());
            return 1;
        }
    }

    // The picture to put in the interface folder: the one asked for, or the default look's own when the
    // built-in folder has it. Without one the sample keeps the plain fill, so that no start warns about it.
    std::filesystem::path picture;
    if (args.size() == 2) {
        const std::filesystem::path builtin(args[1]);
        const std::filesystem::path name =
            background.empty() ? std::filesystem::path(u8"贺岁.jpg") : std::filesystem::path(background);
        const std::filesystem::path candidate = builtin / name;
        std::error_code ec;
        if (name.has_parent_path() || !std::filesystem::is_regular_file(candidate, ec)) {
            if (!background.empty()) {
                std::fprintf(stderr, "kelvora_sample_data: %s is not a picture in %s\n", background.c_str(),
                             builtin.c_str());
                return 2;
            }
        } else {
            picture = candidate;
        }
    }

    TextNameList list;
    PrizeList prizes;
    if (photoMode) {
        // Photo tiles need room: few to a line, and the rows stay short.
        prizes.push_back(prize(u"三等奖", 20, 10, 5, 28, u"蓝牙音箱"));
        prizes.push_back(prize(u"二等奖", 6, 3, 3, 36, u"平板电脑"));
        prizes.push_back(prize(u"一等奖", 2, 1, 1, 54, u"笔记本电脑"));
        prizes.push_back(prize(u"特等奖", 1, 1, 1, 72, u"电动汽车"));
    } else {
        list.entries = sampleNames(300);
        // The first name is certain to win the top prize: white-listed there as its first winner, and
        // black-listed on every prize drawn before, so that none of them uses it up at random.
        prizes.push_back(prize(u"三等奖", 10, 5, 5, 36, u"蓝牙音箱"));
        prizes.push_back(prize(u"二等奖", 3, 3, 3, 54, u"平板电脑"));
        prizes.push_back(prize(u"一等奖", 1, 1, 1, 80, u"笔记本电脑"));
        prizes.push_back(prize(u"特等奖", 1, 1, 1, 96, u"电动汽车"));
        prizes[0].blackList = {list.entries[0]};
        prizes[1].blackList = {list.entries[0]};
        prizes[2].blackList = {list.entries[0], list.entries[1]};
        Entrant chosen = list.entries[0];
        chosen.winOrder = 1;
        prizes[3].whiteList = {chosen};
    }

    // The prompt is switched on so that a first-time operator sees what each press does.
    InterfaceSettings look;
    if (picture.empty())
        setField(look.backgroundImage, u"");
    else
        setField(look.backgroundImage, fromUtf8(picture.filename().string()));
    look.infoBarShowPrompt = 1;
    look.showWinnerNumbers = 1;

    StderrMessageBox messages;
    auto written = [&messages](const FileResult& result) {
        if (!result)
            messages.show(nullptr, messageText(result), MessageIcon::Error, MessageButtons::Ok);
        return static_cast<bool>(result);
    };
    // A picture of that name already there is the operator's and stays.
    const std::filesystem::path chosenPicture = paths.interfaceFolder / picture.filename();
    std::error_code ec;
    if (!picture.empty() && !std::filesystem::exists(std::filesystem::symlink_status(chosenPicture, ec))) {
        std::filesystem::create_directories(paths.interfaceFolder, ec);
        if (!written(copyIntoDataFolder(picture, chosenPicture)))
            return 1;
    }
    // The default music, where the built-in folder has it; a file of that name already there stays.
    if (args.size() == 2) {
        const MusicSettings music;
        for (const auto* name : {music.scrollMusicFile, music.winMusicFile, music.backgroundFile1,
                                 music.backgroundFile2, music.backgroundFile3}) {
            const std::filesystem::path file(toUtf8(std::u16string_view(name)));
            const std::filesystem::path source = std::filesystem::path(args[1]) / file;
            const std::filesystem::path target = paths.musicFolder / file;
            if (!std::filesystem::is_regular_file(source, ec) ||
                std::filesystem::exists(std::filesystem::symlink_status(target, ec)))
                continue;
            if (!written(copyIntoDataFolder(source, target)))
                return 1;
        }
    }
    if (photoMode) {
        PictureNameList photoList;
        if (!writeSamplePhotos(paths, photoCount, photoList) ||
            !written(savePictureNameList(paths, photoList)))
            return 1;
        if (!written(saveInterfaceSettings(paths, look)) || !written(savePrizes(paths, prizes)) ||
            !written(saveDrawMode(paths, DrawMode{kPictureMode})))
            return 1;
        std::printf("kelvora_sample_data: wrote %zu prizes and %zu photos (picture mode, aspect ratio %.2f) "
                    "under %s\n",
                    prizes.size(), photoList.entries.size(), photoList.aspectRatio,
                    paths.settingsFolder.c_str());
    } else {
        if (!written(saveInterfaceSettings(paths, look)) || !written(savePrizes(paths, prizes)) ||
            !written(saveDrawMode(paths, DrawMode{kTextMode})) || !written(saveTextNameList(paths, list)))
            return 1;
        std::printf("kelvora_sample_data: wrote %zu prizes and %zu names (text mode) under %s\n",
                    prizes.size(), list.entries.size(), paths.settingsFolder.c_str());
    }
    if (!picture.empty())
        std::printf("kelvora_sample_data: background %s\n", picture.filename().c_str());
    return 0;
}
