#pragma once
// Pixel effects run by FCObjImage::applyEffect.

#include <cstdint>

#include "image/fc_obj_image.h"

namespace kelvora {

class FCImageEffect {
public:
    enum ProcessType { WholeImage = 0, PerPixel = 1 };

    virtual ~FCImageEffect() = default;
    // Base: the image has pixels and at least 24 bits per pixel.
    virtual bool isValidImage(const FCObjImage& image) const;
    virtual ProcessType processType() const { return PerPixel; }
    virtual void beforeProcess(FCObjImage& /*image*/) {}
    // pixel points at the pixel's first byte (blue for 24 and 32 bits).
    virtual void processPixel(FCObjImage& /*image*/, int /*x*/, int /*y*/, std::uint8_t* /*pixel*/) {}
    virtual void processWholeImage(FCObjImage& /*image*/, const FCProgressFunction& /*progress*/) {}
};

// 32-bit only: blue, green and red become trunc(c * alpha / 255). The loader applies it once to every 32-bit
// picture, so that drawing can blend without converting.
class FCEffectPremultipleAlpha : public FCImageEffect {
public:
    bool isValidImage(const FCObjImage& image) const override;
    void processPixel(FCObjImage& image, int x, int y, std::uint8_t* pixel) override;
};

// 32-bit only: undoes FCEffectPremultipleAlpha before a picture is written, so that a saved file has the
// colours of the file it came from. c becomes the smallest value that premultiplies back to c, that is
// ceil(c * 255 / alpha) capped at 255; colour under alpha 0 becomes 0.
class FCEffectUnpremultipleAlpha : public FCImageEffect {
public:
    bool isValidImage(const FCObjImage& image) const override;
    void processPixel(FCObjImage& image, int x, int y, std::uint8_t* pixel) override;
};

} // namespace kelvora
