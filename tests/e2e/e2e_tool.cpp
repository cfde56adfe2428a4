// The end-to-end test's helper, written on the program's own record code:
//   kelvora_e2e_tool fixture <folder>   writes the data folder the test draws from
//   kelvora_e2e_tool progress <folder> [<progress file>]
//                                       prints the saved draw, one fact a line, for the script to compare
//   kelvora_e2e_tool history <file>     prints a history file as UTF-8
//   kelvora_e2e_tool prizes <folder>    prints the prize file as the program reads it, one fact a line
//   kelvora_e2e_tool textlist <folder>  prints the text list file as the program reads it, one fact a line
//   kelvora_e2e_tool names-alike-fixture <folder>
//                                       a photo-mode event whose two photos differ only in letter case
//   kelvora_e2e_tool export-expect <folder> <out>
//                                       writes into <out>/winners and <out>/not-yet-won the files the two
//                                       exports of the saved draw must write, byte for byte (text mode)

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "draw/progress_file.h"
#include "platform/stderr_message_box.h"
#include "platform/text.h"
#include "records/draw_mode.h"
#include "records/prizes.h"
#include "records/settings_file.h"
#include "settings/interface_settings.h"
#include "settings/picture_name_list.h"
#include "settings/text_name_list.h"

namespace {

using namespace kelvora;

std::u16string name(int i) {
    static const std::u16string_view surnames = u"赵钱孙李周吴郑王冯陈";
    static const std::u16string_view given = u"一二三四五六七八九十";
    std::u16string n(1, surnames[static_cast<std::size_t>(i % 10)]);
    n += given[static_cast<std::size_t>(i / 10)];
    n += u"号";
    return n;
}

PrizeItem prize(std::u16string_view title, int quota, int perDraw, int perLine, std::u16string_view text) {
    PrizeItem p;
    setField(p.name, title);
    p.quota = quota;
    p.perDraw = perDraw;
    p.perLine = perLine;
    p.fontSize = 60;
    setField(p.prizeText, text);
    return p;
}

// True for a success; a failure's message goes to standard error.
bool reported(MessageBox& messages, const FileResult& result) {
    if (!result)
        messages.show(nullptr, messageText(result), MessageIcon::Error);
    return static_cast<bool>(result);
}

int writeFixture(const std::filesystem::path& folder) {
    const DataPaths paths{folder};
    StderrMessageBox messages;

    TextNameList list;
    for (int i = 0; i < 40; ++i)
        list.entries.push_back(makeEntrant(name(i)));

    // The white list of the first prize decides its first press while Caps Lock is on: 李三号 first,
    // then 吴一号.
    PrizeList prizes;
    prizes.push_back(prize(u"三等奖", 4, 2, 2, u"蓝牙音箱"));
    prizes.push_back(prize(u"一等奖", 2, 2, 2, u"平板电脑"));
    prizes.push_back(prize(u"特等奖", 1, 1, 1, u"笔记本电脑"));
    Entrant first = list.entries[23];
    first.winOrder = 1;
    Entrant second = list.entries[5];
    second.winOrder = 2;
    prizes[0].whiteList = {first, second};

    InterfaceSettings look;
    setField(look.backgroundImage, u"背景.png");
    look.showWinnerNumbers = 1;
    look.infoBarShowPrompt = 1;

    // Larger than the 3200 pixels the background is shrunk to.
    QImage background(4000, 2250, QImage::Format_RGB32);
    {
        QPainter p(&background);
        QLinearGradient g(0, 0, 0, 2250);
        g.setColorAt(0, QColor(150, 0, 10));
        g.setColorAt(0.6, QColor(210, 20, 20));
        g.setColorAt(1, QColor(120, 0, 0));
        p.fillRect(background.rect(), g);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 200, 80, 60));
        for (int i = 0; i < 12; ++i)
            p.drawEllipse(QPointF(200 + i * 330, 1900 - (i % 3) * 160), 140 + (i % 4) * 30,
                          140 + (i % 4) * 30);
    }
    std::filesystem::create_directories(paths.interfaceFolder);
    if (!background.save(QString::fromStdString((paths.interfaceFolder / "背景.png").string()), "PNG"))
        return 1;

    if (!reported(messages, savePrizes(paths, prizes)) ||
        !reported(messages, saveDrawMode(paths, DrawMode{kTextMode})) ||
        !reported(messages, saveTextNameList(paths, list)) ||
        !reported(messages, saveInterfaceSettings(paths, look)))
        return 1;
    return 0;
}

// A photo-mode event without photos: the operator imports them through the dialogs. The first prize shows 50
// photos a press, five a row (the most a row holds); the look has the default background from the built-in
// folder.
int writePhotoFixture(const std::filesystem::path& folder) {
    const DataPaths paths{folder};
    StderrMessageBox messages;
    PrizeList prizes;
    prizes.push_back(prize(u"三等奖", 50, 50, 5, u"纪念品"));
    prizes.back().fontSize = 16;
    prizes.push_back(prize(u"一等奖", 6, 3, 3, u"平板电脑"));
    prizes.back().fontSize = 28;
    InterfaceSettings look;
    look.showWinnerNumbers = 1;
    const std::filesystem::path background = paths.builtinFolder / "贺岁.jpg";
    if (std::filesystem::exists(background) &&
        !reported(messages, copyIntoDataFolder(background, paths.interfaceFolder / "贺岁.jpg")))
        return 1;
    if (!std::filesystem::exists(background))
        look.backgroundImage[0] = 0;
    if (!reported(messages, savePrizes(paths, prizes)) ||
        !reported(messages, saveDrawMode(paths, DrawMode{kPictureMode})) ||
        !reported(messages, saveInterfaceSettings(paths, look)))
        return 1;
    return 0;
}

// Photo mode with two people whose photos "Wang.jpg" and "wang.jpg" differ only in letter case; one prize
// takes both in one press.
int writeNamesAlikeFixture(const std::filesystem::path& folder) {
    const DataPaths paths{folder};
    StderrMessageBox messages;
    PrizeList prizes;
    prizes.push_back(prize(u"一等奖", 2, 2, 2, u"平板电脑"));
    InterfaceSettings look;
    look.backgroundImage[0] = 0;
    look.showWinnerNumbers = 1;
    PictureNameList list;
    std::filesystem::create_directories(paths.pictureFolder);
    const QColor colours[] = {QColor(40, 90, 200), QColor(200, 120, 40)};
    int n = 0;
    for (const std::u16string_view name : {u"Wang.jpg", u"wang.jpg"}) {
        QImage photo(300, 400, QImage::Format_RGB32);
        photo.fill(colours[n++]);
        if (!photo.save(QString::fromStdString((paths.pictureFolder / toUtf8(name)).string()), "JPG"))
            return 1;
        list.entries.push_back(makeEntrant(name));
    }
    list.aspectRatio = 0.75;
    if (!reported(messages, savePrizes(paths, prizes)) ||
        !reported(messages, saveDrawMode(paths, DrawMode{kPictureMode})) ||
        !reported(messages, savePictureNameList(paths, list)) ||
        !reported(messages, saveInterfaceSettings(paths, look)))
        return 1;
    return 0;
}

// The photo tiles' caption and crop, as "照片效果" sets them.
int writePhotoLook(const std::filesystem::path& folder, int caption, int crop) {
    const DataPaths paths{folder};
    StderrMessageBox messages;
    InterfaceSettings look;
    if (!reported(messages, loadInterfaceSettings(paths, look)))
        return 1;
    look.photoCaption = caption;
    look.photoCrop = crop;
    return reported(messages, saveInterfaceSettings(paths, look)) ? 0 : 1;
}

int printPictureList(const std::filesystem::path& folder) {
    const DataPaths paths{folder};
    StderrMessageBox messages;
    if (!std::filesystem::exists(paths.pictureListFile)) {
        std::printf("missing\n");
        return 1;
    }
    PictureNameList list;
    if (!reported(messages, loadPictureNameList(paths, list)))
        return 1;
    std::printf("count %zu\nratio %.2f\n", list.entries.size(), list.aspectRatio);
    for (const Entrant& e : list.entries)
        std::printf("entry %s\n", toUtf8(e.text()).c_str());
    return 0;
}

std::vector<std::byte> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::byte> bytes(chars.size());
    for (std::size_t i = 0; i < chars.size(); ++i)
        bytes[i] = static_cast<std::byte>(chars[i]);
    return bytes;
}

int printProgress(const std::filesystem::path& folder, const std::filesystem::path& progressFile = {}) {
    DataPaths paths{folder};
    if (!progressFile.empty())
        paths.progressFile = progressFile;
    StderrMessageBox messages;
    PrizeList prizes;
    if (!reported(messages, loadPrizes(paths, prizes)))
        return 1;
    if (!std::filesystem::exists(paths.progressFile)) {
        std::printf("none\n");
        return 0;
    }
    DrawProgress progress;
    if (!parseProgress(readFile(paths.progressFile), prizes, progress)) {
        std::printf("invalid\n");
        return 1;
    }
    std::printf("state %d\nprize %d\ndrawn %d\nshown %d\npool %zu\n", static_cast<int>(progress.state),
                progress.prizeIndex, progress.drawnCount, progress.shownCount, progress.pool.size());
    for (int i = 0; i < progress.shownCount; ++i)
        std::printf("slot %s\n", toUtf8(progress.shownEntrants[static_cast<std::size_t>(i)].text()).c_str());
    for (int i = 0; i < progress.shownCount; ++i)
        if (progress.slotForfeited[static_cast<std::size_t>(i)])
            std::printf("forfeited %d %s\n", i,
                        toUtf8(progress.shownEntrants[static_cast<std::size_t>(i)].text()).c_str());
    for (const WinnerGroup& group : progress.winners) {
        std::string line = "group " + toUtf8(group.name()) + ":";
        for (const Entrant& e : group.entrants)
            line += " " + toUtf8(e.text());
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

int printHistory(const std::filesystem::path& file) {
    const std::vector<std::byte> bytes = readFile(file);
    if (bytes.size() < 2 || bytes[0] != std::byte{0xFF} || bytes[1] != std::byte{0xFE} ||
        bytes.size() % 2 != 0)
        return 1;
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(std::to_integer<unsigned>(bytes[i]) |
                                      std::to_integer<unsigned>(bytes[i + 1]) << 8);
    std::string utf8 = toUtf8(text);
    // CR LF as written; shown without the CR so the script can compare lines.
    std::string out;
    for (char c : utf8)
        if (c != '\r')
            out += c;
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

// Reads with the program's own loaders: what prints here is what the next start would see. A missing file
// reads as an empty list, so the script also checks that the file exists.
int printPrizes(const std::filesystem::path& folder) {
    const DataPaths paths{folder};
    StderrMessageBox messages;
    if (!std::filesystem::exists(paths.prizeFile)) {
        std::printf("missing\n");
        return 1;
    }
    PrizeList prizes;
    if (!reported(messages, loadPrizes(paths, prizes)))
        return 1;
    std::printf("count %zu\n", prizes.size());
    int n = 0;
    for (const PrizeItem& p : prizes) {
        ++n;
        std::printf("prize %d name %s\n", n, toUtf8(p.nameText()).c_str());
        std::printf("prize %d quota %d\nprize %d perDraw %d\nprize %d perLine %d\nprize %d fontSize %d\n", n,
                    p.quota, n, p.perDraw, n, p.perLine, n, p.fontSize);
        std::printf("prize %d text %s\n", n, toUtf8(fieldText(p.prizeText)).c_str());
        std::printf("prize %d image %s\n", n, toUtf8(fieldText(p.imageFile)).c_str());
        std::printf("prize %d white %zu\nprize %d black %zu\n", n, p.whiteList.size(), n, p.blackList.size());
        for (const Entrant& e : p.whiteList)
            std::printf("prize %d white %d %s\n", n, e.winOrder, toUtf8(e.text()).c_str());
        for (const Entrant& e : p.blackList)
            std::printf("prize %d black %s\n", n, toUtf8(e.text()).c_str());
    }
    return 0;
}

int printTextList(const std::filesystem::path& folder) {
    const DataPaths paths{folder};
    StderrMessageBox messages;
    if (!std::filesystem::exists(paths.textListFile)) {
        std::printf("missing\n");
        return 1;
    }
    TextNameList list;
    if (!reported(messages, loadTextNameList(paths, list)))
        return 1;
    std::printf("count %zu\naligned %d\n", list.entries.size(), list.spaceAligned);
    for (const Entrant& e : list.entries)
        std::printf("entry %s\n", toUtf8(e.text()).c_str());
    return 0;
}

int printInterface(const std::filesystem::path& folder) {
    const DataPaths paths{folder};
    StderrMessageBox messages;
    if (!std::filesystem::exists(paths.interfaceFile)) {
        std::printf("missing\n");
        return 1;
    }
    InterfaceSettings look;
    if (!reported(messages, loadInterfaceSettings(paths, look)))
        return 1;
    std::printf("background %s\nmainTitle %s\nsubtitle %s\n", toUtf8(fieldText(look.backgroundImage)).c_str(),
                toUtf8(fieldText(look.mainTitle)).c_str(), toUtf8(fieldText(look.subtitle)).c_str());
    std::printf("heights %d %d %d\nspeed %d\nscrollFace %s\n", look.mainTitleHeightPct,
                look.subtitleHeightPct, look.infoBarHeightPct, look.scrollSpeed,
                toUtf8(fieldText(look.scrollFont.faceName)).c_str());
    return 0;
}

// UTF-16LE with the byte order mark, each line ending in CR LF: written here on its own, not with the
// program's export code, so that the comparison checks that code.
void writeLines(const std::filesystem::path& file, const std::vector<std::u16string>& lines) {
    std::string bytes("\xFF\xFE");
    for (const std::u16string& line : lines)
        for (char16_t unit : line + u"\r\n") {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
    std::ofstream(file, std::ios::binary) << bytes;
}

int writeExpectedExports(const std::filesystem::path& folder, const std::filesystem::path& out) {
    const DataPaths paths{folder};
    StderrMessageBox messages;
    PrizeList prizes;
    if (!reported(messages, loadPrizes(paths, prizes)))
        return 1;
    DrawProgress progress;
    if (!parseProgress(readFile(paths.progressFile), prizes, progress))
        return 1;
    const std::filesystem::path winners = out / "winners";
    const std::filesystem::path notYetWon = out / "not-yet-won";
    std::filesystem::create_directories(winners);
    std::filesystem::create_directories(notYetWon);
    std::vector<std::u16string> all;
    for (const WinnerGroup& group : progress.winners) {
        if (!all.empty()) {
            all.emplace_back();
            all.emplace_back();
        }
        all.emplace_back(group.name());
        all.emplace_back(u"--------------------");
        std::vector<std::u16string> own;
        for (const Entrant& e : group.entrants) {
            all.emplace_back(e.text());
            own.emplace_back(e.text());
        }
        writeLines(winners / (std::u16string(group.name()) + u".txt"), own);
    }
    writeLines(winners / u"全部奖项.txt", all);
    std::vector<std::u16string> pool;
    for (const Entrant& e : progress.pool)
        pool.emplace_back(e.text());
    writeLines(notYetWon / u"_还未中奖名单.txt", pool);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "export-expect")
        return writeExpectedExports(argv[2], argv[3]);
    if (argc == 3 && std::string(argv[1]) == "fixture")
        return writeFixture(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "progress")
        return printProgress(argv[2]);
    if (argc == 4 && std::string(argv[1]) == "progress")
        return printProgress(argv[2], argv[3]);
    if (argc == 3 && std::string(argv[1]) == "history")
        return printHistory(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "prizes")
        return printPrizes(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "textlist")
        return printTextList(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "interface")
        return printInterface(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "photo-fixture")
        return writePhotoFixture(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "names-alike-fixture")
        return writeNamesAlikeFixture(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "pictures")
        return printPictureList(argv[2]);
    if (argc == 5 && std::string(argv[1]) == "photo-look")
        return writePhotoLook(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    std::fprintf(stderr,
                 "usage: kelvora_e2e_tool "
                 "fixture|photo-fixture|names-alike-fixture|progress|prizes|textlist|interface|pictures "
                 "<folder> | "
                 "photo-look <folder> <caption> <crop> | history <file> | export-expect <folder> <out>\n");
    return 2;
}
