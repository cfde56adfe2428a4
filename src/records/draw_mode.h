#pragma once
// Which of the two name lists a draw uses.

#include <cstdint>

#include "records/data_paths.h"
#include "records/file_result.h"
#include "records/settings_file.h"

namespace kelvora {

inline constexpr std::int32_t kTextMode = 0;    // "文字/号码模式"
inline constexpr std::int32_t kPictureMode = 1; // "图片/照片模式", also what a missing file means

// 0 is text mode; any other value, as stored (a hand-edited 7 or -1), is picture mode. Every reader of a raw
// mode value asks this, so that no place tests for 1 and draws from the other list.
constexpr bool isTextMode(std::int32_t mode) {
    return mode == kTextMode;
}

struct DrawMode {
    std::int32_t mode = kPictureMode;

    bool isTextMode() const { return kelvora::isTextMode(mode); }
};

// "抽奖模式.dat": exactly the four bytes of the mode.
SettingsFileLocation drawModeFileLocation(const DataPaths& paths);

FileResult loadDrawMode(const DataPaths& paths, DrawMode& drawMode);
FileResult saveDrawMode(const DataPaths& paths, const DrawMode& drawMode);

} // namespace kelvora
