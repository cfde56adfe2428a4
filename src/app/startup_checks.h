#pragma once
// The start-up checks of this platform: the fonts the draw screen's face names are mapped onto, and the
// GStreamer elements that play the mp3 and wav music. Each check says what is missing and which Debian
// package brings it. Neither stops the program: without the fonts fontconfig substitutes others, and without
// the elements the draw goes on in silence.

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace kelvora {

struct Requirement {
    std::string_view name;    // a font family or a GStreamer element
    std::string_view package; // the Debian package that brings it
};

std::span<const Requirement> requiredFontFamilies();
std::span<const Requirement> requiredSoundElements();

// The operator's message for what is missing, empty when nothing is. aliasFile is named when it could not be
// loaded (an empty aliasFile means it was).
std::u16string missingFontsText(std::u16string_view aliasFileFailed,
                                const std::function<bool(std::string_view family)>& installed);
std::u16string missingSoundText(const std::function<bool(std::string_view element)>& available);

// Asks fontconfig for a family by its exact name (no substitution).
bool fontFamilyInstalled(std::string_view family);
// Looks up a GStreamer element factory, initialising GStreamer on first use. False when GStreamer cannot
// start at all.
bool soundElementAvailable(std::string_view element);

} // namespace kelvora
