#pragma once
// Whether a music file will play: GStreamer's discoverer reads it as the player would (container, codec,
// an audio stream) without any sound output, so it answers on a machine without speakers too.

#include <filesystem>
#include <string>

namespace kelvora {

// Empty when the file holds audio GStreamer can decode, else why not ("无法识别的音频文件", the decoder's
// message). Waits at most a few seconds for one file.
std::u16string musicProblem(const std::filesystem::path& file);

} // namespace kelvora
