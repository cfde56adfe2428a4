#include "standby/package_manifest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <set>

#include "standby/event_files.h"

namespace kelvora {

namespace {

// Whole numbers a double holds exactly; sizes beyond it are not events.
constexpr double kMaxExactInteger = 9007199254740992.0;

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto unit = static_cast<unsigned char>(text[i + k]);
            if ((unit & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (unit & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF.
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

bool isLowerHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// A whole number from 0 to the largest a double holds exactly.
bool readCount(const QJsonValue& value, std::uint64_t& out) {
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    if (!(number >= 0 && number <= kMaxExactInteger) || std::floor(number) != number)
        return false;
    out = static_cast<std::uint64_t>(number);
    return true;
}

ManifestParse damaged(std::string detail) {
    ManifestParse parse;
    parse.verdict = ManifestVerdict::Damaged;
    parse.detail = std::move(detail);
    return parse;
}

} // namespace

bool isSafePackagePath(std::string_view name) {
    if (name.empty() || !isValidUtf8(name))
        return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\')
            return false;
    const std::vector<std::string> folders = eventFolderNames(false);
    bool inFolder = false;
    for (const std::string& folder : folders)
        inFolder = inFolder || (name.size() > folder.size() + 1 &&
                                name.compare(0, folder.size(), folder) == 0 && name[folder.size()] == '/');
    if (!inFolder)
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos)
            end = name.size();
        const std::string_view part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

std::string manifestJson(const PackageManifest& manifest) {
    QJsonArray files;
    for (const ManifestFile& file : manifest.files)
        files.append(QJsonObject{{"path", QString::fromStdString(file.path)},
                                 {"size", static_cast<double>(file.size)},
                                 {"sha256", QString::fromStdString(file.sha256)}});
    const QJsonObject root{{"format", manifest.format},
                           {"program", QString::fromStdString(manifest.program)},
                           {"created", QString::fromStdString(manifest.created)},
                           {"files", files}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

ManifestParse parseManifest(std::string_view json) {
    if (json.size() > kManifestMaxBytes)
        return damaged("清单文件过大");
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(json.data(), static_cast<qsizetype>(json.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return damaged("清单不是有效的 JSON");
    const QJsonObject root = document.object();
    std::uint64_t format = 0;
    if (!readCount(root.value("format"), format) || format == 0)
        return damaged("清单缺少格式版本");
    ManifestParse parse;
    // A newer format may be shaped differently: say so before looking at anything else.
    if (format > static_cast<std::uint64_t>(kPackageFormatVersion)) {
        parse.verdict = ManifestVerdict::NewerFormat;
        parse.manifest.format = format > 1000000 ? 1000000 : static_cast<int>(format);
        return parse;
    }
    parse.manifest.format = static_cast<int>(format);
    const QJsonValue program = root.value("program");
    const QJsonValue created = root.value("created");
    const QJsonValue files = root.value("files");
    if (!program.isString() || !created.isString() || !files.isArray())
        return damaged("清单缺少软件版本、制作时间或文件列表");
    parse.manifest.program = program.toString().toStdString();
    parse.manifest.created = created.toString().toStdString();
    std::set<std::string> seen;
    const QJsonArray list = files.toArray();
    parse.manifest.files.reserve(static_cast<std::size_t>(list.size()));
    for (const QJsonValue& value : list) {
        const QJsonObject entry = value.toObject();
        const QJsonValue path = entry.value("path");
        const QJsonValue sha = entry.value("sha256");
        ManifestFile file;
        if (!value.isObject() || !path.isString() || !sha.isString() ||
            !readCount(entry.value("size"), file.size))
            return damaged("清单中有格式错误的文件项");
        // Qt decodes invalid UTF-8 into U+FFFD, which the round trip keeps visible to the path check.
        file.path = path.toString().toStdString();
        file.sha256 = sha.toString().toStdString();
        if (file.sha256.size() != 64 || !isLowerHex(file.sha256))
            return damaged("清单中的校验值格式错误: " + file.path);
        if (!isSafePackagePath(file.path)) {
            parse.verdict = ManifestVerdict::UnsafePath;
            parse.detail = file.path;
            return parse;
        }
        if (!seen.insert(file.path).second)
            return damaged("清单中有重复的文件: " + file.path);
        parse.manifest.files.push_back(std::move(file));
    }
    return parse;
}

} // namespace kelvora
