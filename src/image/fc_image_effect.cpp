#include "image/fc_image_effect.h"

namespace kelvora {

bool FCImageEffect::isValidImage(const FCObjImage& image) const {
    return image.isValid() && image.colorBits() >= 24;
}

bool FCEffectPremultipleAlpha::isValidImage(const FCObjImage& image) const {
    return image.isValid() && image.colorBits() == 32;
}

void FCEffectPremultipleAlpha::processPixel(FCObjImage&, int, int, std::uint8_t* pixel) {
    const unsigned alpha = pixel[3];
    for (int i = 0; i < 3; ++i)
        pixel[i] = std::uint8_t(pixel[i] * alpha / 255);
}

bool FCEffectUnpremultipleAlpha::isValidImage(const FCObjImage& image) const {
    return image.isValid() && image.colorBits() == 32;
}

void FCEffectUnpremultipleAlpha::processPixel(FCObjImage&, int, int, std::uint8_t* pixel) {
    const unsigned alpha = pixel[3];
    if (alpha == 255)
        return;
    for (int i = 0; i < 3; ++i) {
        if (alpha == 0) {
            pixel[i] = 0;
            continue;
        }
        const unsigned straight = (pixel[i] * 255u + alpha - 1) / alpha;
        pixel[i] = std::uint8_t(straight > 255 ? 255 : straight);
    }
}

} // namespace kelvora
