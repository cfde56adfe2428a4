#pragma once
// PictureFile: the one way the program loads a picture a user chose (background, prize pictures, photos,
// previews). It checks the file against fixed limits, keeps the reason of a failure as a text for the
// caller's message, and shrinks, draws and saves the picture it holds.
//
//   PictureFile background;
//   if (!background.loadPicture(path))
//       showMessage(u"背景图加载失败:\n" + background.errorText(), ...);
//   else if (background.width() > kBackgroundMaxSide || background.height() > kBackgroundMaxSide)
//       background.shrinkToFit(kBackgroundMaxSide);
//   ...
//   background.drawInto(painter, 0, 0, width, height);
//
// Callable from any thread (the photo import runs it on a worker); one PictureFile is not shared between
// threads.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QByteArray>
#include <QSize>

#include "image/fc_obj_image.h"

class QPainter;

namespace kelvora {

class FCImageCodec;

// The reasons loadPicture gives, in the order it checks them.
inline constexpr std::u16string_view kPictureMissingText = u"文件不存在";
inline constexpr std::u16string_view kPictureFileTooLargeText = u"文件大小不得超出十兆";
inline constexpr std::u16string_view kPictureInvalidText = u"无效的图片文件";
inline constexpr std::u16string_view kPictureTooSmallText = u"图片不得小于十个像素";
inline constexpr std::u16string_view kPictureTooBigText = u"图片不得大于一万像素";

inline constexpr std::uintmax_t kMaxPictureFileBytes = 10 * 1024 * 1024; // exactly 10 MiB still loads
inline constexpr int kMinPictureSide = 10;
inline constexpr int kMaxPictureSide = 10000;

// What the callers shrink to after loading, when a side is longer.
inline constexpr int kBackgroundMaxSide = 3200;
inline constexpr int kPrizePictureMaxSide = 1800;

class PictureFile {
public:
    // Loads and checks a picture, replacing what the holder had. On failure the holder is empty and
    // errorText() says why:
    //   kPictureMissingText       the path does not exist or is a folder;
    //   kPictureFileTooLargeText  the file is larger than 10 MiB;
    //   kPictureInvalidText       the extension names no readable type (see FCImageCodecFactory; "dib" reads
    //   as
    //                             BMP), or the content is no picture the codec reads, or it does not decode;
    //   kPictureTooSmallText      a side is below 10 pixels (checked before the next);
    //   kPictureTooBigText        a side is above 10000 pixels.
    // The sides are those of the upright picture (EXIF orientation applied) and are checked from the header
    // before decoding, so an oversized picture is refused without its pixels being decoded. A 32-bit picture
    // is held premultiplied (FCEffectPremultipleAlpha), ready for drawInto.
    bool loadPicture(const std::filesystem::path& path);
    // The same loader and checks for a picture drawn much smaller than it is stored: decodeSize is given the
    // picture's upright size (from the header, after the size checks) and answers the size to decode to.
    // A JPEG is scaled while it is read, for a fraction of a full decode's cost; a picture whose header does
    // not tell its size is decoded whole, checked, then scaled smoothly. An empty answer fails as
    // kPictureInvalidText.
    bool loadPictureScaled(const std::filesystem::path& path, const std::function<QSize(QSize)>& decodeSize);

    bool isValid() const { return m_image.isValid(); }
    // Drops the picture; width and height become 0. The path and the error text stay.
    void release();

    // Scales (nearest neighbour) so that the longer side becomes maxSide: f = maxSide / height when width <
    // height, else maxSide / width; each new side is trunc(f * side), at most maxSide. 4000 x 3000 to 3200
    // gives 3200 x 2400; 1000 x 3000 to 1800 gives 600 x 1800. It enlarges too, so call it only when a side
    // is longer than maxSide. Nothing for an empty holder, or when a side would become 0 (10000 x 10 to 650).
    void shrinkToFit(int maxSide);
    // Stretches to exactly width x height (nothing for a non-positive size or an empty holder).
    void resizeTo(int width, int height);

    // Draws into (left, top)-(right, bottom): unscaled when the rectangle has the picture's size, else
    // stretched to it (aspect not kept). Nothing for an empty rectangle or holder.
    void drawInto(QPainter& painter, int left, int top, int right, int bottom) const;

    // Writes the picture with the codec of the path's extension (BMP, DIB, JPEG at quality 90, GIF, TIFF,
    // PNG; not ICO) and returns whether it was written. 32-bit pictures are un-premultiplied first, so the
    // file has the colours of the one the picture came from.
    bool savePicture(const std::filesystem::path& path) const;

    int width() const { return m_width; }
    int height() const { return m_height; }
    const std::filesystem::path& path() const { return m_path; }
    const std::u16string& errorText() const { return m_errorText; }
    const FCObjImage& image() const { return m_image; }

private:
    bool fail(std::u16string_view text);
    // The checks before decoding: the file exists, is regular, within the size limit, of a readable type.
    bool readChecked(const std::filesystem::path& path, QByteArray& bytes,
                     std::unique_ptr<FCImageCodec>& codec);
    // Decodes the first frame at full size and applies the size rules to it; bytes are freed.
    bool decodeWhole(FCImageCodec& codec, QByteArray& bytes);
    // Premultiplies a 32-bit picture and records its size.
    void finishLoad();
    void recordSize();

    int m_width = 0;
    int m_height = 0;
    std::filesystem::path m_path;
    std::u16string m_errorText;
    FCObjImage m_image;
};

} // namespace kelvora
