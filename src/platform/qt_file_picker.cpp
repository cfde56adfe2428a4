#include "platform/qt_file_picker.h"

#include <QFileDialog>
#include <QString>

namespace kelvora {

namespace {

QString text(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

std::optional<std::filesystem::path> chosen(const QString& file) {
    if (file.isEmpty())
        return std::nullopt;
    return std::filesystem::path(file.toStdString());
}

} // namespace

std::optional<std::filesystem::path> QtFilePicker::openFile(OwnerWindow owner, std::u16string_view title,
                                                            std::u16string_view filter,
                                                            const std::filesystem::path& initialFolder) {
    const QString folder = initialFolder.empty() ? QString() : QString::fromStdString(initialFolder.string());
    return chosen(QFileDialog::getOpenFileName(static_cast<QWidget*>(owner), text(title), folder,
                                               text(filter), nullptr, QFileDialog::DontUseNativeDialog));
}

std::optional<std::filesystem::path> QtFilePicker::saveFile(OwnerWindow owner, std::u16string_view title,
                                                            std::u16string_view suggestedName,
                                                            std::u16string_view filter) {
    return chosen(QFileDialog::getSaveFileName(static_cast<QWidget*>(owner), text(title), text(suggestedName),
                                               text(filter), nullptr, QFileDialog::DontUseNativeDialog));
}

std::optional<std::filesystem::path> QtFilePicker::chooseFolder(OwnerWindow owner,
                                                                std::u16string_view title) {
    return chosen(
        QFileDialog::getExistingDirectory(static_cast<QWidget*>(owner), text(title), QString(),
                                          QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog));
}

} // namespace kelvora
