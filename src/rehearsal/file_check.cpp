#include "rehearsal/file_check.h"

#include "platform/text.h"

namespace kelvora {

namespace {

bool isFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// Empty when the picture is there and loads.
std::u16string pictureProblem(const std::filesystem::path& path, const PictureProbe& probe) {
    if (!isFile(path))
        return u"文件不存在";
    return probe ? probe(path) : std::u16string();
}

// Up to three names, "“a.jpg”、“b.jpg”、“c.jpg” 等".
std::u16string examples(const std::vector<std::u16string>& names) {
    std::u16string text;
    for (std::size_t i = 0; i < names.size() && i < 3; ++i) {
        if (i > 0)
            text += u"、";
        text += formatText(u"“%s”", {names[i]});
    }
    if (names.size() > 3)
        text += u" 等";
    return text;
}

void checkPhotos(const DataPaths& paths, const EntrantList& photos, const PictureProbe& probe,
                 Findings& findings) {
    std::vector<std::u16string> missing, unreadable;
    for (const Entrant& photo : photos) {
        const std::filesystem::path path = paths.pictureFolder / std::filesystem::path(photo.text());
        if (!isFile(path))
            missing.emplace_back(photo.text());
        else if (probe && !probe(path).empty())
            unreadable.emplace_back(photo.text());
    }
    if (!missing.empty())
        findings.push_back(
            {Severity::Error, u"名单",
             formatText(u"%s 张照片不在图片文件夹中: %s",
                        {decimalText(static_cast<long long>(missing.size())), examples(missing)}),
             u"按 F3 重新导入照片", FixPlace::Names});
    if (!unreadable.empty())
        findings.push_back(
            {Severity::Error, u"名单",
             formatText(u"%s 张照片无法读取: %s",
                        {decimalText(static_cast<long long>(unreadable.size())), examples(unreadable)}),
             u"换成 jpg 或 png 照片后按 F3 重新导入", FixPlace::Names});
}

void checkMusic(const DataPaths& paths, const MusicSettings& music, const MusicProbe& probe,
                Findings& findings) {
    struct Slot {
        std::u16string_view name;
        std::u16string_view file;
        bool used;
    };
    const Slot slots[] = {{u"滚动音乐", fieldText(music.scrollMusicFile), music.scrollMusicOn != 0},
                          {u"中奖音乐", fieldText(music.winMusicFile), music.winMusicOn != 0},
                          {u"背景音乐1", fieldText(music.backgroundFile1), true},
                          {u"背景音乐2", fieldText(music.backgroundFile2), true},
                          {u"背景音乐3", fieldText(music.backgroundFile3), true}};
    for (const Slot& slot : slots) {
        const std::filesystem::path path = paths.musicFolder / std::filesystem::path(slot.file);
        if (!slot.used || slot.file.empty())
            continue;
        if (!isFile(path)) {
            findings.push_back(
                {Severity::Warning, u"音乐",
                 formatText(u"%s “%s” 不在音乐文件夹中，到时不会有声音", {slot.name, slot.file}),
                 u"按 F5 重新选择音乐", FixPlace::Music});
        } else if (const std::u16string problem = probe ? probe(path) : std::u16string(); !problem.empty()) {
            findings.push_back({Severity::Warning, u"音乐",
                                formatText(u"%s “%s” 无法播放: %s", {slot.name, slot.file, problem}),
                                u"换成 mp3 或 wav 文件后按 F5 重新选择", FixPlace::Music});
        }
    }
}

} // namespace

void checkFiles(const DataPaths& paths, const EventFiles& files, const PictureProbe& probe,
                Findings& findings, const MusicProbe& musicProbe) {
    if (files.photos)
        checkPhotos(paths, *files.photos, probe, findings);
    if (files.prizes)
        for (const PrizeItem& prize : *files.prizes) {
            const std::u16string_view name = fieldText(prize.imageFile);
            if (name.empty())
                continue;
            const std::u16string problem =
                pictureProblem(paths.prizeFolder / std::filesystem::path(name), probe);
            if (!problem.empty())
                findings.push_back({Severity::Warning, std::u16string(prize.nameText()),
                                    formatText(u"奖品图 “%s” 加载失败: %s", {name, problem}),
                                    u"按 F2 重新选择奖品图", FixPlace::Prizes});
        }
    if (files.look) {
        const std::u16string_view name = fieldText(files.look->backgroundImage);
        if (!name.empty()) {
            const std::u16string problem =
                pictureProblem(paths.interfaceFolder / std::filesystem::path(name), probe);
            if (!problem.empty())
                findings.push_back({Severity::Warning, u"界面",
                                    formatText(u"背景图 “%s” 加载失败: %s", {name, problem}),
                                    u"按 F4 重新选择背景图", FixPlace::Look});
        }
    }
    if (files.music)
        checkMusic(paths, *files.music, musicProbe, findings);
}

} // namespace kelvora
