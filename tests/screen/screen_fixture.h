#pragma once
// A draw screen over a whole draw in memory: the draw fixture's prizes and names, default interface settings,
// a 1920 x 1080 screen at 96 dpi.

#include "draw/draw_fixture.h"
#include "screen/draw_screen.h"

#include <QImage>

#include <filesystem>

namespace kelvora::test {

class ScreenFixture : public DrawFixture {
public:
    InterfaceSettings settings;
    std::int32_t spaceAligned = 0;
    TempDir dataFolder;
    DataPaths paths{dataFolder.path()}; // the picture folder is not made: tests that show photos make it
    DrawScreen screen{
        ScreenInputs{&run, &settings, &prizes, &textList, &pictureList, &drawMode, &spaceAligned, &paths}};

    ScreenFixture() { screen.resize(1920, 1080, 96); }

    // Two prizes, the first with a prize text; text names N0..N{count-1}.
    void addDraw(int names = 40) {
        prizes.push_back(makePrize(u"一等奖", 3, 2));
        setField(prizes.back().prizeText, u"笔记本电脑");
        prizes.push_back(makePrize(u"二等奖", 5, 5));
        textList = makeNames(names);
    }
};

// Writes a picture file of the given size and colour (PNG, JPEG... by the extension).
void writePicture(const std::filesystem::path& path, int width, int height, QRgb colour);

} // namespace kelvora::test
