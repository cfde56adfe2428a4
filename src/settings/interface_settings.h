#pragma once
// How the draw screen looks: background, the three bands above the scroll area with their texts, margins and
// fonts, the scroll area, photo captions and crops, winner numbering, digit hiding and the floating prize
// image. The record is a fixed 2036-byte little-endian image of "界面/_界面设置.dat". FontStyle and Margins
// are shared with the playback and full-list settings.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "records/byte_io.h"
#include "records/data_paths.h"
#include "records/file_result.h"
#include "settings/colorref.h"

namespace kelvora {

// Stored values outside these enums are kept as they are (the files were never checked for them); painters
// treat an unknown value like the first enumerator.
enum class TextEffect : std::int32_t { None = 0, Shadow = 1, Outline = 2 };
enum class PhotoCaptionMode : std::int32_t { OnPicture = 0, OutsidePicture = 1, Hidden = 2 };
enum class PhotoCropMode : std::int32_t { Ellipse = 0, Circle = 1, None = 2 };

struct FontStyle {
    static constexpr int kFaceUnits = 32;
    static constexpr std::size_t kFileBytes = 88;
    static constexpr std::int32_t kMinSizePt = 16;
    static constexpr std::int32_t kMaxSizePt = 125;

    char16_t faceName[kFaceUnits]{};
    std::int32_t sizePt = 0;
    std::int32_t bold = 0;   // nonzero: weight 700
    std::int32_t italic = 0; // no control sets it, but a stored value is honoured
    std::int32_t effect = 0; // TextEffect; the shadow is always black, effectColor is the outline's
    ColorRef effectColor = 0;
    ColorRef textColor = 0;

    friend bool operator==(const FontStyle&, const FontStyle&) = default;
};

// Percentages: left and right of the window width, top and bottom of the height of the band they belong to.
struct Margins {
    static constexpr std::size_t kFileBytes = 16;

    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    friend bool operator==(const Margins&, const Margins&) = default;
};

constexpr FontStyle makeFontStyle(std::u16string_view face, std::int32_t sizePt, bool bold, TextEffect effect,
                                  ColorRef effectColor, ColorRef textColor) {
    FontStyle font;
    for (std::size_t i = 0; i < face.size() && i + 1 < FontStyle::kFaceUnits; ++i)
        font.faceName[i] = face[i];
    font.sizePt = sizePt;
    font.bold = bold ? 1 : 0;
    font.effect = static_cast<std::int32_t>(effect);
    font.effectColor = effectColor;
    font.textColor = textColor;
    return font;
}

// Each value 0..100, left + right <= 100, top + bottom <= 100.
bool marginsValid(const Margins& margins);
bool fontSizeValid(std::int32_t sizePt);

// The shared pieces of the record images. readFontStyle forces the face's last unit to zero and checks
// nothing else: which sizes must be in range is the owning record's rule. readMargins rejects invalid
// margins.
bool readFontStyle(ByteReader& in, FontStyle& font);
bool readMargins(ByteReader& in, Margins& margins);
void writeFontStyle(ByteWriter& out, const FontStyle& font);
void writeMargins(ByteWriter& out, const Margins& margins);

struct InterfaceSettings {
    static constexpr int kBackgroundUnits = 260;
    static constexpr int kTitleUnits = 256;
    static constexpr std::size_t kFileBytes = 2036;
    static constexpr std::uint64_t kSizeLimitMiB = 2;

    char16_t backgroundImage[kBackgroundUnits] =
        u"贺岁.jpg"; // bare name in the interface folder; empty: none
    char16_t mainTitle[kTitleUnits] = u"青松公司二零一六年终晚会";
    std::int32_t mainTitleHeightPct = 14; // percent of the window height
    Margins mainTitleMargins{5, 25, 5, 5};
    FontStyle mainTitleFont =
        makeFontStyle(u"黑体", 42, true, TextEffect::Shadow, kColorGrey, kColorLightYellow);
    char16_t subtitle[kTitleUnits] = u"幸运大抽奖";
    std::int32_t subtitleHeightPct = 8;
    Margins subtitleMargins{5, 10, 5, 10};
    FontStyle subtitleFont =
        makeFontStyle(u"黑体", 24, true, TextEffect::Shadow, kColorGrey, kColorLightYellow);
    std::int32_t infoBarHeightPct = 10;
    Margins infoBarMargins{5, 40, 5, 10};
    FontStyle infoBarFont = makeFontStyle(u"仿宋", 18, true, TextEffect::None, kColorGrey, kColorLightYellow);
    std::int32_t infoBarShowProgress = 1;
    std::int32_t infoBarShowPrizeText = 1;
    std::int32_t infoBarShowPrompt = 0;
    std::int32_t scrollSpeed = 30; // frames per second, 1..60
    Margins scrollMargins{3, 6, 16, 12};
    // Its sizePt is stored but never used (each prize has its own size), so it is not checked either.
    FontStyle scrollFont =
        makeFontStyle(u"楷体", 22, true, TextEffect::Outline, kColorGrey, kColorLightYellow);
    std::int32_t photoCaption = static_cast<std::int32_t>(PhotoCaptionMode::OutsidePicture);
    std::int32_t photoCrop = static_cast<std::int32_t>(PhotoCropMode::Ellipse);
    std::int32_t showWinnerNumbers = 0;
    std::int32_t hideDigits = 0;
    std::int32_t hideFrom = 1; // 1-based
    std::int32_t hideTo = 1;   // >= hideFrom
    std::int32_t prizeImageOnLeft = 0;
    std::int32_t prizeImageWidthPct = 18; // 0 hides the prize image
    Margins prizeImageMargins{2, 2, 2, 2};

    friend bool operator==(const InterfaceSettings&, const InterfaceSettings&) = default;
};

void resetInterfaceSettings(InterfaceSettings& settings);

// Reads a whole file image. On success (every field in range and every byte consumed) the record is replaced;
// on failure it is left untouched.
bool parseInterfaceSettings(ByteReader& in, InterfaceSettings& settings);
void serializeInterfaceSettings(const InterfaceSettings& settings, ByteWriter& out);

// The settings-file protocol around the record: succeeds when it holds the file's values or the defaults
// because there was no usable file; after a failure the defaults are in place and the result says why.
FileResult loadInterfaceSettings(const DataPaths& paths, InterfaceSettings& settings);
FileResult saveInterfaceSettings(const DataPaths& paths, const InterfaceSettings& settings);

} // namespace kelvora
