#pragma once
// Every data path of the program, built once from one root folder: the executable's folder in the program,
// any folder in tests. Nothing here touches the disk.

#include <filesystem>

namespace kelvora {

struct DataPaths {
    explicit DataPaths(const std::filesystem::path& root);

    std::filesystem::path root;
    std::filesystem::path builtinFolder;   // 内置资源 (read only)
    std::filesystem::path historyFolder;   // 历史记录
    std::filesystem::path settingsFolder;  // 参数设置(勿删)
    std::filesystem::path progressFolder;  // 抽取进度(勿删)
    std::filesystem::path progressFile;    // 抽取进度(勿删)/抽取进度.dat
    std::filesystem::path windowedFile;    // 参数设置(勿删)/窗口化设置.dat
    std::filesystem::path drawModeFile;    // 参数设置(勿删)/抽奖模式.dat
    std::filesystem::path textListFile;    // 参数设置(勿删)/文字名单.dat
    std::filesystem::path playbackFile;    // 参数设置(勿删)/回放设置.dat
    std::filesystem::path fullListFile;    // 参数设置(勿删)/展示总名单设置.dat
    std::filesystem::path consoleFile;     // 参数设置(勿删)/导播台设置.dat
    std::filesystem::path standbyFile;     // 参数设置(勿删)/备用位置.dat
    std::filesystem::path prizeFolder;     // 参数设置(勿删)/奖项
    std::filesystem::path prizeFile;       // 参数设置(勿删)/奖项/_奖项设置.dat
    std::filesystem::path pictureFolder;   // 参数设置(勿删)/图片名单
    std::filesystem::path pictureListFile; // 参数设置(勿删)/图片名单/_图片名单.dat
    std::filesystem::path interfaceFolder; // 参数设置(勿删)/界面
    std::filesystem::path interfaceFile;   // 参数设置(勿删)/界面/_界面设置.dat
    std::filesystem::path musicFolder;     // 参数设置(勿删)/音乐
    std::filesystem::path musicFile;       // 参数设置(勿删)/音乐/_音乐设置.dat
};

} // namespace kelvora
