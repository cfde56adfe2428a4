#pragma once
// The generated photo set: which size, shape and file type each photo gets, and its file's bytes, including
// the two things Qt's writers do not do: an EXIF orientation tag in a JPEG, and GIF.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace kelvora::photos {

struct PhotoPlan {
    int index = 0;
    QSize size;              // of the upright picture, as a reader that honours the orientation shows it
    std::string extension;   // "jpg", "png", "bmp" or "gif"
    int exifOrientation = 1; // 1 = none; 3, 6 or 8 (JPEG only): the pixels are stored turned accordingly
    std::u16string fileName; // a person's name and the extension
};

// count photos with distinct file names. The mix is fixed by the index, so any 24 consecutive photos hold
// portrait, landscape and square ones, PNGs among the JPEGs, and from index 11 on every 25th is a JPEG with
// an orientation tag; one in 40 is a 3000 x 4000 "big camera" photo, and each hundred has one BMP and one
// GIF.
std::vector<PhotoPlan> planPhotos(int count, std::uint32_t seed);

// The whole file for a plan: the portrait painted upright, stored as the plan says.
QByteArray photoFileBytes(std::uint32_t seed, const PhotoPlan& plan);

// The pixels a file with this EXIF orientation must hold so that a reader that applies the tag shows
// `upright`: 6 means "turn 90 degrees clockwise to view", so the stored picture is turned counter-clockwise;
// 8 the other way; 3 is upside down. Other values return the picture unchanged.
QImage storedForOrientation(const QImage& upright, int orientation);

// A copy of a JPEG with a minimal EXIF segment (APP1: "Exif\0\0", a big-endian TIFF header, one IFD holding
// only tag 0x0112 Orientation) inserted straight after the start-of-image marker. Empty when the bytes do not
// start like a JPEG or the orientation is not 1..8.
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation);

// An 8-bit GIF89a of the picture: a fixed 6x7x6 colour cube with ordered dithering, and LZW data that
// uses literal codes only (a clear code before the table would widen the codes), which every decoder reads.
QByteArray encodeGif(const QImage& picture);

// Writes bytes to a new file; false when it cannot be written completely.
bool writeFileBytes(const std::filesystem::path& file, const QByteArray& bytes);

} // namespace kelvora::photos
