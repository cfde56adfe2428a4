#pragma once
// The one way the program asks the operator for a file: to open (a prize picture, a background, music) or to
// save (an export). The program installs the Qt file dialog; tests install a picker with scripted answers.

#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/message_box.h"

namespace kelvora {

class FilePicker {
public:
    virtual ~FilePicker() = default;
    // filter is in the file dialog's form: u"图片 (*.jpg *.png);;所有文件 (*)". The dialog opens in
    // initialFolder when one is given, else where it was last. Nothing when cancelled.
    virtual std::optional<std::filesystem::path> openFile(OwnerWindow owner, std::u16string_view title,
                                                          std::u16string_view filter,
                                                          const std::filesystem::path& initialFolder) = 0;
    // suggestedName is shown in the name field; a name typed without an extension gets the filter's first
    // one, and the operator confirms overwriting an existing file under the name that will be written.
    virtual std::optional<std::filesystem::path> saveFile(OwnerWindow owner, std::u16string_view title,
                                                          std::u16string_view suggestedName,
                                                          std::u16string_view filter) = 0;
    // A folder (file-system folders only); nothing when cancelled.
    virtual std::optional<std::filesystem::path> chooseFolder(OwnerWindow owner,
                                                              std::u16string_view title) = 0;
};

} // namespace kelvora
