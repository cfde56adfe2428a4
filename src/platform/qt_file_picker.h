#pragma once
// The program's file picker: QFileDialog's own widgets (not a desktop portal), so that it looks and behaves
// the same on every desktop and under a bare X server.

#include "platform/file_picker.h"

namespace kelvora {

class QtFilePicker final : public FilePicker {
public:
    std::optional<std::filesystem::path> openFile(OwnerWindow owner, std::u16string_view title,
                                                  std::u16string_view filter,
                                                  const std::filesystem::path& initialFolder) override;
    std::optional<std::filesystem::path> saveFile(OwnerWindow owner, std::u16string_view title,
                                                  std::u16string_view suggestedName,
                                                  std::u16string_view filter) override;
    std::optional<std::filesystem::path> chooseFolder(OwnerWindow owner, std::u16string_view title) override;
};

} // namespace kelvora
