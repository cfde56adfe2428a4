#include "standby_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "draw/progress_file.h"
#include "platform/text.h"
#include "records/draw_mode.h"
#include "records/prizes.h"
#include "settings/interface_settings.h"
#include "settings/picture_name_list.h"
#include "settings/text_name_list.h"

namespace kelvora::test {

namespace {

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Bytes that look like a JPEG's start and differ from file to file.
std::string photoBytes(int seed) {
    std::string bytes = "\xFF\xD8\xFF\xE0";
    for (int i = 0; i < 3000; ++i)
        bytes += static_cast<char>((i * 31 + seed * 7) % 251);
    return bytes;
}

PrizeItem prize(std::u16string_view name, int quota) {
    PrizeItem item;
    setField(item.name, name);
    item.quota = quota;
    return item;
}

} // namespace

void writeSampleEvent(const DataPaths& paths, const SampleEvent& event) {
    InterfaceSettings look;
    setField(look.mainTitle, event.title);
    ASSERT_TRUE(saveInterfaceSettings(paths, look));
    ASSERT_TRUE(saveDrawMode(paths, DrawMode{kTextMode}));

    TextNameList names;
    for (int i = 0; i < event.names; ++i)
        names.entries.push_back(makeEntrant(u"员工" + decimalText(i + 1)));
    ASSERT_TRUE(saveTextNameList(paths, names));

    PrizeList prizes{prize(u"一等奖", 2), prize(u"二等奖", 3), prize(u"三等奖", 5)};
    prizes[0].whiteList.push_back(makeEntrant(u"员工3"));
    setField(prizes[0].imageFile, u"一等奖.jpg");
    ASSERT_TRUE(savePrizes(paths, prizes));
    writeFile(paths.prizeFolder / "一等奖.jpg", photoBytes(0));

    PictureNameList photos;
    for (int i = 1; i <= 3; ++i) {
        const std::u16string name = u"照片" + decimalText(i) + u".jpg";
        writeFile(paths.pictureFolder / toUtf8(name), photoBytes(i));
        photos.entries.push_back(makeEntrant(name));
    }
    ASSERT_TRUE(savePictureNameList(paths, photos));

    if (event.drawStarted) {
        DrawProgress progress;
        progress.state = DrawState::Stopped;
        progress.prizeIndex = 1;
        for (int i = 0; i < event.names; ++i)
            progress.pool.push_back(names.entries[static_cast<std::size_t>(i)]);
        const std::pair<std::u16string_view, std::size_t> winners[] = {
            {u"一等奖", 2}, {u"一等奖", 4}, {u"二等奖", 7}};
        for (const auto& [group, index] : winners) {
            addWinner(progress.winners, group, names.entries[index]);
            removeFromPool(progress.pool, names.entries[index]);
        }
        ASSERT_TRUE(saveProgress(paths, progress));
    }
}


} // namespace kelvora::test
