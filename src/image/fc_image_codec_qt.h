#pragma once
// The codec the program uses: Qt's image readers and writers, and giflib for writing GIF (Qt cannot).
//
// Reading decides the format from the content, never from the name: a PNG named ".jpg" loads. Only the
// formats the program has always read are accepted, recognised by their signatures: BMP, JPEG, GIF, PNG,
// TIFF and ICO. Anything else (WebP, TGA, XPM, SVG... that Qt could read) fails. JPEG and TIFF pictures are
// turned upright by their EXIF orientation. Decoded frames are 24 bits, or 32 bits with straight alpha when
// the picture has an alpha channel or is a 32-bit BMP.
//
// Writing: BMP, JPEG (quality 90 unless the property says otherwise), GIF, TIFF and PNG, chosen by the
// extension of the target path. Files are written through writeFileReplacing, so a failed save leaves any
// previous file whole.
//
// Safe to use from any thread; no QGuiApplication is needed.

#include <QByteArray>

#include "image/fc_image_codec.h"

namespace kelvora {

class FCImageCodec_Qt : public FCImageCodec {
public:
    FCImageCodec_Qt();

    bool readSize(const void* data, std::size_t size, int& width, int& height) override;
    bool loadFile(const std::filesystem::path& path, std::vector<FCObjImage>& frames,
                  FCImageProperty* property, int maxFrames) override;
    bool loadMemory(const void* data, std::size_t size, std::vector<FCObjImage>& frames,
                    FCImageProperty* property, int maxFrames) override;
    bool loadMemoryScaled(const void* data, std::size_t size, int width, int height,
                          FCObjImage& frame) override;
    bool saveFile(const std::filesystem::path& path, const FCObjImage& image,
                  const FCImageProperty* property) override;
};

// Makes an FCImageCodec_Qt for BMP, JPEG, GIF, TIFF, PNG and ICO; nothing for the other types.
class FCImageCodecFactory_Qt : public FCImageCodecFactory {
public:
    std::unique_ptr<FCImageCodec> createCodec(ImageType type) const override;

    // The process-wide factory, made on first use (thread-safe).
    static const FCImageCodecFactory_Qt& instance();
};

// The whole content of a regular file; false when it cannot be opened or read (missing, a folder, no
// permission).
bool readImageFile(const std::filesystem::path& path, QByteArray& bytes);

// Qt refuses to decode pictures over 128 MiB of pixels by default; a 10000 x 10000 picture with 16-bit
// channels needs 763 MiB, so the codec raises the limit to this on first use.
inline constexpr int kImageAllocationLimitMiB = 1024;

} // namespace kelvora
