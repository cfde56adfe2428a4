#pragma once
// The screen tests need a GUI application for fonts, created once after the face aliases are loaded.

#include <filesystem>

namespace kelvora::test {

// The alias file of the source tree.
std::filesystem::path fontAliasFile();

} // namespace kelvora::test
