#pragma once
// Picture file codecs and the factory that picks one by the file's extension.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <vector>

#include "image/fc_obj_image.h"

namespace kelvora {

class FCImageProperty;

// The picture type a path's extension names. The numbers are those stored and compared elsewhere; keep them.
enum class ImageType : int {
    None = 0,
    Bmp = 1, // "bmp", "dib"
    Pcx = 2,
    Jpeg = 3, // "jpg", "jpeg", "jpe", "jfif"
    Gif = 4,
    Tga = 5,
    Tiff = 6, // "tif", "tiff"
    Png = 7,
    Psd = 8,
    Ico = 9,
    Xpm = 10,
    Oxo = 11,
};

// A codec. The base versions fail; FCImageCodec_Qt implements them.
class FCImageCodec {
public:
    virtual ~FCImageCodec() = default;

    // Reads only the header: the size of the first frame as it will be decoded, upright (after the EXIF
    // orientation). False when the data is not a picture this codec knows or its size cannot be told early.
    virtual bool readSize(const void* data, std::size_t size, int& width, int& height);
    // Decodes up to maxFrames frames (from the first) and appends each that yields pixels to frames: 24 bits,
    // or 32 bits with straight alpha. True when at least one frame was added.
    virtual bool loadFile(const std::filesystem::path& path, std::vector<FCObjImage>& frames,
                          FCImageProperty* property, int maxFrames);
    virtual bool loadMemory(const void* data, std::size_t size, std::vector<FCObjImage>& frames,
                            FCImageProperty* property, int maxFrames);
    // Decodes the first frame straight to width x height (upright, as readSize tells the size), in the same
    // depths as loadMemory. A JPEG is scaled while it is read, at a fraction of a full decode's cost; other
    // formats are decoded whole and scaled smoothly. False when the data does not decode to that size.
    virtual bool loadMemoryScaled(const void* data, std::size_t size, int width, int height,
                                  FCObjImage& frame);
    // Encodes image in the format of the path's extension and writes it there.
    virtual bool saveFile(const std::filesystem::path& path, const FCObjImage& image,
                          const FCImageProperty* property);
};

class FCImageCodecFactory {
public:
    virtual ~FCImageCodecFactory() = default;

    // The type named by the text after the last "." of the path, A-Z matched in either case; None for a path
    // without "." or an unknown extension ("photo.jpeg.txt" is None).
    virtual ImageType queryImageType(const std::filesystem::path& path) const;
    // A fresh codec for one load or save, or nothing when the type cannot be read or written.
    virtual std::unique_ptr<FCImageCodec> createCodec(ImageType type) const = 0;
};

} // namespace kelvora
