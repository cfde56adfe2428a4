#pragma once
// GIF writing for FCImageCodec_Qt through giflib, since Qt has no GIF writer.

#include <QByteArray>

#include "image/fc_obj_image.h"

namespace kelvora {

// Encodes one frame as a GIF89a file into out. An 8-bit image is written with its palette, the entry
// transparentIndex (0..255; -1 for none) fully transparent. 24- and 32-bit images are reduced to at most 256
// colours by giflib's median cut (channels keep their top 5 bits); 32-bit pixels with alpha below 128 become
// transparent. False for an empty image, a side over 65535 pixels or an encoder error.
bool encodeGif(const FCObjImage& image, int transparentIndex, QByteArray& out);

} // namespace kelvora
