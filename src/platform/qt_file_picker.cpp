#include "platform/qt_file_picker.h"

#include <QFileDialog>
#include <QRegularExpression>
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

// The extension of the filter's first pattern ("txt" of "文本 (*.txt)"), empty when it names none.
QString firstExtension(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([^\\s;)*?]+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
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
    QFileDialog dialog(static_cast<QWidget*>(owner), text(title), text(suggestedName), text(filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog adds the suffix before it asks about overwriting, so that the question covers the file that
    // is really written: "名单" typed over an existing "名单.txt" is asked about.
    dialog.setDefaultSuffix(firstExtension(text(filter)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return chosen(dialog.selectedFiles().constFirst());
}

std::optional<std::filesystem::path> QtFilePicker::chooseFolder(OwnerWindow owner,
                                                                std::u16string_view title) {
    return chosen(
        QFileDialog::getExistingDirectory(static_cast<QWidget*>(owner), text(title), QString(),
                                          QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog));
}

} // namespace kelvora
