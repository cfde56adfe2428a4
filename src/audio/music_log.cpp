#include "audio/music_log.h"

#include <QDateTime>
#include <QString>

#include <cstdio>

namespace kelvora {

std::filesystem::path musicLogPath(const std::filesystem::path& programFolder) {
    return programFolder / "kelvora.log";
}

void appendLogLine(const std::filesystem::path& file, std::u16string_view text) {
    QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss "));
    QString body = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    body.replace(QStringLiteral("\n\n"), QStringLiteral("\n"));
    body.replace(QChar(u'\n'), QStringLiteral(" | "));
    line += body;
    line += QChar(u'\n');
    const QByteArray bytes = line.toUtf8();
    std::FILE* out = std::fopen(file.c_str(), "ab");
    if (!out)
        return;
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), out);
    std::fclose(out);
}

MusicLog fileMusicLog(std::filesystem::path file) {
    return [file = std::move(file)](std::u16string_view text) { appendLogLine(file, text); };
}

} // namespace kelvora
