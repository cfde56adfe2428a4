// Writes a sample data folder through the program's own writers, so a first run has something to draw:
// four prizes (the top one with a white list, the one before it with a black list), 300 generated names, and
// text mode. Existing data is never overwritten.
//
//   kelvora_sample_data [--background <name>] <folder> [<built-in folder>]
//
// With the built-in resources folder, its default background is copied into the interface folder, so that the
// default look finds the picture it names; --background chooses another picture of that folder instead.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/stderr_message_box.h"
#include "platform/text.h"
#include "records/draw_mode.h"
#include "records/prizes.h"
#include "records/settings_file.h"
#include "settings/interface_settings.h"
#include "settings/text_name_list.h"

namespace {

using namespace kelvora;

constexpr std::u16string_view kSurnames =
    u"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚"
    u"卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史";
constexpr std::u16string_view kGiven = u"伟芳娜秀敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂英华玉萍红建文辉力鹏飞"
                                       u"云峰宇浩然欣怡子涵晨阳佳琪思雨梓轩博俊凯嘉怡晓东海燕春梅";

// Deterministic, so every run writes the same sample.
std::vector<Entrant> sampleNames(std::size_t count) {
    std::uint32_t seed = 20261206;
    auto next = [&seed](std::size_t n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::size_t>((seed >> 16) % n);
    };
    std::vector<Entrant> names;
    std::unordered_set<std::u16string> seen;
    while (names.size() < count) {
        std::u16string name(1, kSurnames[next(kSurnames.size())]);
        name += kGiven[next(kGiven.size())];
        if (next(3) != 0) // two of three given names have two characters
            name += kGiven[next(kGiven.size())];
        if (seen.insert(name).second)
            names.push_back(makeEntrant(name));
    }
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

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::string background;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--background") == 0 && i + 1 < argc)
            background = argv[++i];
        else
            args.emplace_back(argv[i]);
    }
    if (args.empty() || args.size() > 2 || (!background.empty() && args.size() != 2)) {
        std::fprintf(stderr,
                     "usage: kelvora_sample_data [--background <name>] <folder> [<built-in folder>]\n");
        return 2;
    }
    const DataPaths paths{std::filesystem::path(args[0])};
    for (const auto& file : {paths.prizeFile, paths.drawModeFile, paths.textListFile, paths.interfaceFile}) {
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
    list.entries = sampleNames(300);

    // The first name is certain to win the top prize: white-listed there as its first winner, and
    // black-listed on the prize drawn just before, so that it is not used up earlier.
    PrizeList prizes;
    prizes.push_back(prize(u"三等奖", 10, 5, 5, 36, u"蓝牙音箱"));
    prizes.push_back(prize(u"二等奖", 3, 3, 3, 54, u"平板电脑"));
    prizes.push_back(prize(u"一等奖", 1, 1, 1, 80, u"笔记本电脑"));
    prizes.push_back(prize(u"特等奖", 1, 1, 1, 96, u"电动汽车"));
    prizes[2].blackList = {list.entries[0], list.entries[1]};
    Entrant chosen = list.entries[0];
    chosen.winOrder = 1;
    prizes[3].whiteList = {chosen};

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
    if (!written(saveInterfaceSettings(paths, look)) || !written(savePrizes(paths, prizes)) ||
        !written(saveDrawMode(paths, DrawMode{kTextMode})) || !written(saveTextNameList(paths, list)))
        return 1;
    std::printf("kelvora_sample_data: wrote %zu prizes and %zu names (text mode) under %s\n", prizes.size(),
                list.entries.size(), paths.settingsFolder.c_str());
    if (!picture.empty())
        std::printf("kelvora_sample_data: background %s\n", picture.filename().c_str());
    return 0;
}
