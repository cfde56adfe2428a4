#pragma once
// Picture files made by the tests themselves: Qt's writers, giflib, and a few hand-built byte layouts.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <QByteArray>
#include <QImage>

#include "image/fc_obj_image.h"

namespace kelvora::test {

struct Rgba {
    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = 255;
    bool operator==(const Rgba&) const = default;
};

// A pixel of an 8-, 24- or 32-bit image as held (32 bits: the stored, possibly premultiplied, values).
Rgba pixelAt(const FCObjImage& image, int x, int y);
// Every channel within tolerance.
bool near(const Rgba& a, const Rgba& b, int tolerance);
std::string describe(const Rgba& colour);

// 64 x 48 in four 32 x 24 quadrants (top-left, top-right, bottom-left, bottom-right), opaque.
inline constexpr int kPatternWidth = 64;
inline constexpr int kPatternHeight = 48;
inline const Rgba kQuadrantColours[4] = {{220, 30, 40}, {30, 200, 60}, {40, 50, 210}, {230, 220, 40}};
QImage patternImage();
// The centre of quadrant q in the pattern, scaled to a picture of the given size.
int quadrantX(int quadrant, int width);
int quadrantY(int quadrant, int height);

QByteArray encodeWithQt(const QImage& image, const char* format, int quality = -1);
void writeBytes(const std::filesystem::path& path, const QByteArray& bytes);
void writeWithQt(const std::filesystem::path& path, const QImage& image, const char* format,
                 int quality = -1);

// A GIF with a global palette, one frame per entry of frames, each filled with that palette index; the frames
// are 100 * (i + 1) ms apart.
QByteArray animatedGif(int width, int height, const std::vector<Rgba>& palette,
                       const std::vector<int>& frames);
// The pattern as an 8-bit GIF with a four-entry palette.
QByteArray patternGif();
// A bottom-up 32-bit BI_RGB BMP whose fourth bytes are 0 (Windows leaves them unused), every pixel colour.
QByteArray bmp32(int width, int height, Rgba colour);
// jpeg with an EXIF APP1 segment carrying only the orientation tag, inserted right after SOI.
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation);

} // namespace kelvora::test
