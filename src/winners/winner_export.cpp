#include "winners/winner_export.h"

namespace kelvora {

std::u16string ExportResult::messageText() const {
    return kelvora::messageText(failure);
}

std::pair<std::u16string_view, std::u16string_view> splitExtension(std::u16string_view fileName) {
    const std::size_t dot = fileName.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return {fileName, {}};
    return {fileName.substr(0, dot), fileName.substr(dot)};
}

FileResult createExportFolder(const std::filesystem::path&) {
    return {};
}

ExportResult exportNotYetWon(const EntrantPool&, const std::filesystem::path&, const ExportSource&,
                             const ExportCancelFlag&, const ExportProgressFn&) {
    return {};
}

ExportResult exportWinners(const WinnerList&, const std::filesystem::path&, const ExportSource&,
                           const ExportCancelFlag&, const ExportProgressFn&) {
    return {};
}

} // namespace kelvora
