#pragma once
// The music's notes for whoever looks after the show: a missing file, a file that does not play, a track that
// broke off, no sound output. They never interrupt the draw screen with a box; they go to a log file beside
// the program, one timestamped line each.

#include <filesystem>
#include <functional>
#include <string_view>

namespace kelvora {

using MusicLog = std::function<void(std::u16string_view text)>;

// The log file "kelvora.log" in the given folder.
std::filesystem::path musicLogPath(const std::filesystem::path& programFolder);

// Appends "yyyy-MM-dd HH:mm:ss text" with the text's line breaks shown as " | ". A file that cannot be
// written loses the line: music notes are never worth a failure of their own.
void appendLogLine(const std::filesystem::path& file, std::u16string_view text);

// A log that appends to file.
MusicLog fileMusicLog(std::filesystem::path file);

} // namespace kelvora
