#include "image/fc_image_codec.h"

#include <array>
#include <string_view>

namespace kelvora {

bool FCImageCodec::readSize(const void*, std::size_t, int&, int&) {
    return false;
}

bool FCImageCodec::loadFile(const std::filesystem::path&, std::vector<FCObjImage>&, FCImageProperty*, int) {
    return false;
}

bool FCImageCodec::loadMemory(const void*, std::size_t, std::vector<FCObjImage>&, FCImageProperty*, int) {
    return false;
}

bool FCImageCodec::loadMemoryScaled(const void*, std::size_t, int, int, FCObjImage&) {
    return false;
}

bool FCImageCodec::saveFile(const std::filesystem::path&, const FCObjImage&, const FCImageProperty*) {
    return false;
}

namespace {

struct ExtensionType {
    std::string_view extension; // lower case
    ImageType type;
};

// "dib" is the extension Windows gives device-independent bitmaps, which are BMP files; the picture dialogs
// offer it, so it must load like "bmp".
constexpr std::array<ExtensionType, 16> kExtensionTypes{{
    {"bmp", ImageType::Bmp},
    {"dib", ImageType::Bmp},
    {"pcx", ImageType::Pcx},
    {"jpg", ImageType::Jpeg},
    {"jpeg", ImageType::Jpeg},
    {"jpe", ImageType::Jpeg},
    {"jfif", ImageType::Jpeg},
    {"gif", ImageType::Gif},
    {"tga", ImageType::Tga},
    {"tif", ImageType::Tiff},
    {"tiff", ImageType::Tiff},
    {"png", ImageType::Png},
    {"psd", ImageType::Psd},
    {"ico", ImageType::Ico},
    {"xpm", ImageType::Xpm},
    {"oxo", ImageType::Oxo},
}};

bool equalsAsciiIgnoreCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != lower[i])
            return false;
    }
    return true;
}

} // namespace

ImageType FCImageCodecFactory::queryImageType(const std::filesystem::path& path) const {
    const std::string_view text = path.native();
    const std::size_t dot = text.rfind('.');
    if (dot == std::string_view::npos)
        return ImageType::None;
    const std::string_view extension = text.substr(dot + 1);
    for (const ExtensionType& entry : kExtensionTypes) {
        if (equalsAsciiIgnoreCase(extension, entry.extension))
            return entry.type;
    }
    return ImageType::None;
}

} // namespace kelvora
