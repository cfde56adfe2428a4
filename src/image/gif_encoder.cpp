#include "image/gif_encoder.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <vector>

#include <gif_lib.h>

namespace kelvora {

namespace {

int appendToBuffer(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

// GifQuantizeBuffer sorts through a static variable of giflib (the axis its qsort compares on), so two
// threads (the photo import and the interface) must not quantize at the same time.
std::mutex g_quantizeMutex;

// Indices and palette of a 24- or 32-bit image; the transparent entry (or -1) is returned.
bool quantize(const FCObjImage& image, std::vector<GifByteType>& indices,
              std::array<GifColorType, 256>& colours, int& transparent) {
    const int width = image.width();
    const int height = image.height();
    const int bytes = image.colorBits() / 8;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    std::vector<GifByteType> red(count), green(count), blue(count);
    std::vector<bool> clear(bytes == 4 ? count : 0);
    bool anyClear = false;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* pixel = image.row(y);
        const std::size_t base = std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x, pixel += bytes) {
            blue[base + x] = pixel[0];
            green[base + x] = pixel[1];
            red[base + x] = pixel[2];
            if (bytes == 4 && pixel[3] < 128) {
                clear[base + x] = true;
                anyClear = true;
            }
        }
    }
    // With transparent pixels the median cut gets 255 entries and the last one is the transparent colour.
    int colourCount = anyClear ? 255 : 256;
    {
        const std::lock_guard lock(g_quantizeMutex);
        if (GifQuantizeBuffer(unsigned(width), unsigned(height), &colourCount, red.data(), green.data(),
                              blue.data(), indices.data(), colours.data()) != GIF_OK)
            return false;
    }
    transparent = -1;
    if (anyClear) {
        transparent = 255;
        colours[255] = GifColorType{0, 0, 0};
        for (std::size_t i = 0; i < count; ++i) {
            if (clear[i])
                indices[i] = 255;
        }
    }
    return true;
}

} // namespace

bool encodeGif(const FCObjImage& image, int transparentIndex, QByteArray& out) {
    const int width = image.width();
    const int height = image.height();
    if (!image.isValid() || width > 65535 || height > 65535)
        return false;

    std::vector<GifByteType> indices(std::size_t(width) * std::size_t(height));
    std::array<GifColorType, 256> colours{};
    int transparent = -1;
    if (image.colorBits() == 8) {
        const std::array<QRgb, 256> palette = image.palette();
        for (int i = 0; i < 256; ++i)
            colours[i] = GifColorType{GifByteType(qRed(palette[i])), GifByteType(qGreen(palette[i])),
                                      GifByteType(qBlue(palette[i]))};
        for (int y = 0; y < height; ++y)
            std::copy_n(image.row(y), width, indices.begin() + std::ptrdiff_t(y) * width);
        transparent = transparentIndex >= 0 && transparentIndex <= 255 ? transparentIndex : -1;
    } else if (!quantize(image, indices, colours, transparent)) {
        return false;
    }

    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendToBuffer, &error);
    if (!gif)
        return false;
    EGifSetGifVersion(gif, true);
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    // EGifPutScreenDesc keeps its own copy of the colour map.
    bool ok = map && EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    if (ok && transparent >= 0) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.UserInputFlag = false;
        control.DelayTime = 0;
        control.TransparentColor = transparent;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < height; ++y)
        ok = EGifPutLine(gif, indices.data() + std::size_t(y) * std::size_t(width), width) == GIF_OK;
    // Closing writes the trailer and frees gif, also after an error.
    if (EGifCloseFile(gif, &error) != GIF_OK)
        ok = false;
    return ok;
}

} // namespace kelvora
