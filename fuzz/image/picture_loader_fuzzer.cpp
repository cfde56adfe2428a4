// Feeds arbitrary files to PictureFile::loadPicture, the path every picture a user chooses goes through. The
// first byte picks the extension the file is given (so the extension table and the content check are
// crossed); the rest is written to a file in the temporary folder and loaded. Whatever loads must be within
// the size rules and must survive the work the program does next: shrinking, stretching to a tile and
// drawing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <QImage>
#include <QPainter>
#include <unistd.h>

#include "image/picture_file.h"

namespace {

using namespace kelvora;

void require(bool condition) {
    if (!condition)
        std::abort();
}

const char* const kExtensions[] = {"jpg", "png", "gif", "bmp", "dib", "tif", "ico", "JPEG", "tga", "txt"};

// One folder per fuzzing process for the input file; removed when the run ends normally, kept after a crash.
class ScratchFolder {
public:
    ScratchFolder()
        : m_path(std::filesystem::temp_directory_path() /
                 ("kelvora-fuzz-picture-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

const std::filesystem::path& scratchFolder() {
    static const ScratchFolder folder;
    return folder.path();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const char* extension = kExtensions[data[0] % std::size(kExtensions)];
    const std::filesystem::path file = scratchFolder() / (std::string("input.") + extension);
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), std::streamsize(size - 1));
    }

    PictureFile picture;
    if (!picture.loadPicture(file)) {
        require(!picture.isValid() && !picture.errorText().empty());
        return 0;
    }
    require(picture.width() >= kMinPictureSide && picture.width() <= kMaxPictureSide);
    require(picture.height() >= kMinPictureSide && picture.height() <= kMaxPictureSide);
    require(picture.image().colorBits() == 24 || picture.image().colorBits() == 32);

    const int width = picture.width();
    const int height = picture.height();
    picture.shrinkToFit(48);
    // A very thin picture keeps its size: its short side would shrink to 0 pixels.
    require((picture.width() <= 48 && picture.height() <= 48) ||
            (picture.width() == width && picture.height() == height));
    QImage tile(40, 30, QImage::Format_ARGB32_Premultiplied);
    tile.fill(0);
    QPainter painter(&tile);
    picture.drawInto(painter, 0, 0, 40, 30);
    picture.resizeTo(7, 5);
    picture.drawInto(painter, 3, 3, 10, 8);
    return 0;
}
