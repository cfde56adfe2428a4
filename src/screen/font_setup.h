#pragma once
// The settings name fonts by Chinese face names ("黑体", "楷体", ...). A fontconfig file of aliases maps them
// to installed fonts; it must be loaded before the GUI application builds its font database, because Qt reads
// the font list once and never again.

#include <filesystem>

namespace kelvora {

// Parses the alias file into the current fontconfig configuration and rebuilds its font set. False when the
// file is missing or does not parse; fonts then resolve by fontconfig's own defaults.
bool loadFontAliases(const std::filesystem::path& path);

} // namespace kelvora
