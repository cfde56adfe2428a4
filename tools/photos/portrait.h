#pragma once
// A friendly cartoon portrait drawn from paths: a studio background, shoulders in a coloured top, a face with
// its hair, eyes, brows, nose and a smile, sometimes glasses. Everything follows from the seed and the index,
// so the same pair always paints the same person and neighbouring indices paint different ones.

#include <cstdint>

#include <QImage>
#include <QSize>

namespace kelvora::photos {

// The person stands upright in the middle and fills the height (portrait and square pictures) or the middle
// of a landscape picture; the background fills the rest. Format_RGB32; no QGuiApplication needed.
QImage paintPortrait(std::uint32_t seed, int index, QSize size);

} // namespace kelvora::photos
