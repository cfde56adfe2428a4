#pragma once
// "参数备份与还原": where the settings are kept and how to back them up by hand. The program copies nothing
// itself: backing up is copying that folder elsewhere, restoring is copying it back.

#include <filesystem>

#include "ui/centered_dialog.h"

namespace kelvora {

class BackupDialog : public CenteredDialog {
    Q_OBJECT
public:
    BackupDialog(const std::filesystem::path& settingsFolder, QWidget* parent);
};

} // namespace kelvora
