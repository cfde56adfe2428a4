#include "records/data_paths.h"

namespace kelvora {

namespace {
std::filesystem::path u8path(const char8_t* text) {
    return std::filesystem::path(text);
}
} // namespace

DataPaths::DataPaths(const std::filesystem::path& rootFolder)
    : root(rootFolder), builtinFolder(root / u8path(u8"内置资源")),
      historyFolder(root / u8path(u8"历史记录")), settingsFolder(root / u8path(u8"参数设置(勿删)")),
      progressFolder(root / u8path(u8"抽取进度(勿删)")),
      progressFile(progressFolder / u8path(u8"抽取进度.dat")),
      windowedFile(settingsFolder / u8path(u8"窗口化设置.dat")),
      drawModeFile(settingsFolder / u8path(u8"抽奖模式.dat")),
      textListFile(settingsFolder / u8path(u8"文字名单.dat")),
      playbackFile(settingsFolder / u8path(u8"回放设置.dat")),
      fullListFile(settingsFolder / u8path(u8"展示总名单设置.dat")),
      consoleFile(settingsFolder / u8path(u8"导播台设置.dat")),
      standbyFile(settingsFolder / u8path(u8"备用位置.dat")), prizeFolder(settingsFolder / u8path(u8"奖项")),
      prizeFile(prizeFolder / u8path(u8"_奖项设置.dat")),
      pictureFolder(settingsFolder / u8path(u8"图片名单")),
      pictureListFile(pictureFolder / u8path(u8"_图片名单.dat")),
      interfaceFolder(settingsFolder / u8path(u8"界面")),
      interfaceFile(interfaceFolder / u8path(u8"_界面设置.dat")),
      musicFolder(settingsFolder / u8path(u8"音乐")), musicFile(musicFolder / u8path(u8"_音乐设置.dat")) {}

} // namespace kelvora
