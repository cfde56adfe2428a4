#include "sheets/zip_workbook.h"

#include <cerrno>
#include <unordered_map>

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sheets/number_format.h"
#include "sheets/zip_parts.h"

namespace kelvora {

namespace {

using Xml = QXmlStreamReader;

// Excel refuses longer number format codes; a longer one could only make every cell expensive.
constexpr qsizetype kFormatCodeMaxUnits = 255;
constexpr std::size_t kMaxStyles = 65536;
constexpr std::size_t kMaxFormatCodes = 1024; // each compiled once, when a cell first uses it
constexpr std::string_view kOleMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// A cell reference ("AB12"): its column from 0, or -1. Columns past the widest sheet come out large.
std::int64_t columnOf(QStringView ref) {
    std::int64_t column = 0;
    qsizetype i = 0;
    for (; i < ref.size() && i < 4 && (ref[i].unicode() | 0x20) >= u'a' && (ref[i].unicode() | 0x20) <= u'z';
         ++i)
        column = column * 26 + ((ref[i].unicode() | 0x20) - u'a' + 1);
    return i == 0 ? -1 : column - 1;
}

// Text as stored, with the "_xHHHH_" escapes a workbook uses for control characters decoded, and line breaks
// and tabs made spaces.
void cleanXlsxText(std::u16string& text) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool escape = text.size() - i >= 7 && text[i] == u'_' && text[i + 1] == u'x' && text[i + 6] == u'_';
        char16_t code = 0;
        for (std::size_t k = 2; escape && k < 6; ++k) {
            const char16_t h = text[i + k], l = h | 0x20;
            escape = (h >= u'0' && h <= u'9') || (l >= u'a' && l <= u'f');
            code = static_cast<char16_t>(code * 16 + (h <= u'9' ? h - u'0' : l - u'a' + 10));
        }
        text[out++] = escape ? code : text[i];
        i += escape ? 6 : 0;
    }
    text.resize(out);
    flattenLineBreaks(text);
}

// A relationship's target as a part name: relative to xl/, or from the archive's root when it starts with /.
QString partName(QStringView target) {
    const QString path =
        target.startsWith(u'/') ? target.mid(1).toString() : QStringLiteral("xl/") + target.toString();
    QStringList steps;
    for (const QString& step : path.split(u'/', Qt::SkipEmptyParts)) {
        if (step == u".." && !steps.isEmpty())
            steps.removeLast();
        else if (step != u".." && step != u".")
            steps.append(step);
    }
    return steps.join(u'/');
}

// A string item: plain text, or rich text runs joined; phonetic guides (rPh) are not shown.
void readRichText(Xml& xml, std::u16string& out) {
    bool inText = false;
    for (int depth = 1; depth > 0 && nextToken(xml);) {
        if (xml.isStartElement() && xml.name() == u"rPh") {
            xml.skipCurrentElement();
        } else if (xml.isStartElement()) {
            ++depth;
            inText = xml.name() == u"t";
        } else if (xml.isEndElement()) {
            --depth;
            inText = false;
        } else if (inText && xml.isCharacters()) {
            appendCellText(out, xml.text());
        }
    }
}

// An Office Open XML workbook: the shared strings and number formats every sheet refers to, then the sheets.
struct Xlsx {
    explicit Xlsx(ZipParts& zip) : parts(zip) {}

    ZipParts& parts;
    bool date1904 = false;
    std::u16string strings; // every shared string, one after another
    std::vector<std::uint32_t> stringStarts{0};
    std::vector<int> styleFormats; // cell style → number format id
    std::unordered_map<int, std::u16string> formatCodes;
    std::unordered_map<int, NumberFormat> formats;
    std::u16string value, text; // per cell, reused

    const NumberFormat& format(int id) {
        auto it = formats.find(id);
        if (it == formats.end()) {
            const auto code = formatCodes.find(id);
            it = formats
                     .emplace(id, compileNumberFormat(code != formatCodes.end()
                                                          ? std::u16string_view(code->second)
                                                          : builtInNumberFormat(id)))
                     .first;
        }
        return it->second;
    }

    void readSharedStrings(Xml& xml) {
        while (nextToken(xml)) {
            if (!xml.isStartElement() || xml.name() != u"si")
                continue;
            value.clear();
            readRichText(xml, value);
            cleanXlsxText(value);
            if (value.size() * 2 + 4 > parts.keptBudget)
                return parts.fail(SheetFault::TooLarge), xml.raiseError();
            parts.keptBudget -= value.size() * 2 + 4;
            strings += value;
            stringStarts.push_back(static_cast<std::uint32_t>(strings.size()));
        }
    }

    void readStyles(Xml& xml) {
        bool inFormats = false, inCellStyles = false;
        while (nextToken(xml)) {
            const QStringView name = xml.name();
            if (xml.isEndElement()) {
                inFormats = inFormats && name != u"numFmts";
                inCellStyles = inCellStyles && name != u"cellXfs";
            } else if (!xml.isStartElement()) {
                continue;
            } else if (name == u"numFmts" || name == u"cellXfs") {
                (name == u"numFmts" ? inFormats : inCellStyles) = true;
            } else if (name == u"numFmt" && inFormats && formatCodes.size() < kMaxFormatCodes) {
                const QStringView code = attribute(xml.attributes(), "formatCode");
                if (code.size() <= kFormatCodeMaxUnits)
                    formatCodes[static_cast<int>(wholeNumber(attribute(xml.attributes(), "numFmtId")))] =
                        view(code);
            } else if (name == u"xf" && inCellStyles && styleFormats.size() < kMaxStyles) {
                styleFormats.push_back(static_cast<int>(
                    std::max<std::int64_t>(0, wholeNumber(attribute(xml.attributes(), "numFmtId")))));
            }
        }
    }

    // The text a cell shows, into text; false for a reference to a shared string that does not exist.
    // type: the first letter of the cell's type ('n' when it has none), but 'f' for a formula's string.
    bool cellText(char16_t type, std::int64_t style) {
        text.clear();
        if (type == u's') {
            const std::int64_t index = wholeNumber(value);
            if (index < 0 || static_cast<std::size_t>(index) + 1 >= stringStarts.size())
                return value.empty();
            const std::size_t start = stringStarts[static_cast<std::size_t>(index)];
            text.assign(strings, start, stringStarts[static_cast<std::size_t>(index) + 1] - start);
        } else if (type == u'b' && (value == u"0" || value == u"1")) {
            text = value == u"1" ? u"TRUE" : u"FALSE";
        } else if (const std::optional<double> number = type == u'n' ? decimalNumber(value) : std::nullopt) {
            const int id = style >= 0 && static_cast<std::size_t>(style) < styleFormats.size()
                               ? styleFormats[static_cast<std::size_t>(style)]
                               : 0;
            if (id == 0)
                appendGeneralNumber(text, *number);
            else
                appendFormattedNumber(text, *number, format(id), date1904);
            flattenLineBreaks(text); // a format's quoted text may hold a line break
        } else {                     // inline and formula strings, errors, dates stored as text
            text = value;
            cleanXlsxText(text);
        }
        return true;
    }

    void readCell(Xml& xml, SheetBuilder& sheet, std::int64_t& column) {
        const QXmlStreamAttributes attributes = xml.attributes();
        const std::int64_t at = columnOf(attribute(attributes, "r"));
        column = at >= 0 ? at : column + 1;
        const std::int64_t style = wholeNumber(attribute(attributes, "s"));
        const QStringView t = attribute(attributes, "t");
        const char16_t type = t.isEmpty() ? u'n' : t == u"str" ? u'f' : t[0].unicode();
        value.clear();
        for (int depth = 1; depth > 0 && nextToken(xml);) {
            if (xml.isStartElement() && xml.name() == u"v")
                readText(xml, value);
            else if (xml.isStartElement() && xml.name() == u"is")
                readRichText(xml, value);
            else if (xml.isStartElement())
                xml.skipCurrentElement();
            else if (xml.isEndElement())
                --depth;
        }
        if (!cellText(type, style))
            return parts.fail(SheetFault::Damaged), xml.raiseError();
        sheet.setCell(column, text);
    }

    void readWorksheet(Xml& xml, SheetBuilder& sheet) {
        std::int64_t row = 0;
        while (nextToken(xml)) {
            if (!xml.isStartElement())
                continue;
            if (xml.name() == u"row") {
                const std::int64_t number = wholeNumber(attribute(xml.attributes(), "r"));
                row = number > 0 ? number : row + 1;
                if (sheet.full() || row > kMaxRowNumber) {
                    xml.skipCurrentElement();
                    continue;
                }
                sheet.beginRow(row);
                std::int64_t column = -1;
                while (nextToken(xml) && !xml.isEndElement())
                    if (xml.isStartElement() && xml.name() == u"c")
                        readCell(xml, sheet, column);
                    else if (xml.isStartElement())
                        xml.skipCurrentElement();
                sheet.endRow();
            } else if (xml.name() == u"mergeCell") {
                const QStringView ref = attribute(xml.attributes(), "ref");
                const qsizetype colon = ref.indexOf(u':');
                if (colon < 0)
                    continue;
                auto rowOf = [](QStringView cell) {
                    qsizetype digits = 0;
                    while (digits < cell.size() && cell[digits].isLetter())
                        ++digits;
                    return wholeNumber(cell.mid(digits));
                };
                sheet.addMerge(rowOf(ref.left(colon)), columnOf(ref.left(colon)), rowOf(ref.mid(colon + 1)),
                               columnOf(ref.mid(colon + 1)));
            }
        }
    }
};

void readXlsx(ZipParts& parts, Workbook& book) {
    struct Entry {
        std::u16string name;
        QString relation;
    };
    std::vector<Entry> entries;
    Xlsx xlsx(parts);
    const ZipParts::Read workbook = parts.readXml(QStringLiteral("xl/workbook.xml"), [&](Xml& xml) {
        while (nextToken(xml) && entries.size() <= kMaxSheets) {
            if (xml.isStartElement() && xml.name() == u"workbookPr") {
                const QStringView flag = attribute(xml.attributes(), "date1904");
                xlsx.date1904 = flag == u"1" || flag == u"true";
            } else if (xml.isStartElement() && xml.name() == u"sheet") {
                Entry entry{std::u16string(view(attribute(xml.attributes(), "name"))), {}};
                for (const QXmlStreamAttribute& a : xml.attributes())
                    if (a.name() == u"id" && !a.namespaceUri().isEmpty())
                        entry.relation = a.value().toString();
                entries.push_back(std::move(entry));
            }
        }
    });
    if (workbook == ZipParts::Read::Missing)
        return parts.fail(SheetFault::NotWorkbook);
    QHash<QString, QString> targets;
    QString sharedStrings = QStringLiteral("xl/sharedStrings.xml"), styles = QStringLiteral("xl/styles.xml");
    const ZipParts::Read relations =
        parts.readXml(QStringLiteral("xl/_rels/workbook.xml.rels"), [&](Xml& xml) {
            while (nextToken(xml)) {
                if (!xml.isStartElement() || xml.name() != u"Relationship")
                    continue;
                const QXmlStreamAttributes a = xml.attributes();
                if (attribute(a, "TargetMode") == u"External")
                    continue;
                const QString path = partName(attribute(a, "Target"));
                if (attribute(a, "Type").endsWith(u"/sharedStrings"))
                    sharedStrings = path;
                else if (attribute(a, "Type").endsWith(u"/styles"))
                    styles = path;
                targets[attribute(a, "Id").toString()] = path;
            }
        });
    if (relations == ZipParts::Read::Missing)
        parts.fail(SheetFault::Damaged);
    parts.readXml(sharedStrings, [&](Xml& xml) { xlsx.readSharedStrings(xml); });
    parts.readXml(styles, [&](Xml& xml) { xlsx.readStyles(xml); });
    for (const Entry& entry : entries) {
        if (parts.fault())
            return;
        SheetBuilder sheet(entry.name, parts.keptBudget);
        const auto target = targets.constFind(entry.relation);
        if (target == targets.cend() ||
            parts.readXml(
                *target, [&](Xml& xml) { xlsx.readWorksheet(xml, sheet); }, true) == ZipParts::Read::Missing)
            parts.fail(SheetFault::Damaged);
        if (!parts.fault())
            keepSheet(parts, book, sheet);
    }
}

Workbook failedWorkbook(SheetFileKind kind, SheetFault fault, FileResult io = {}) {
    Workbook book;
    book.kind = kind;
    book.failure = SheetFailure{fault, std::move(io)};
    return book;
}

Workbook readDevice(QIODevice& device, std::string_view head, SheetFileKind kind) {
    if (head.starts_with(kOleMagic))
        return failedWorkbook(kind, SheetFault::OldFormat);
    ZipParts parts(device);
    if (!parts.open())
        return failedWorkbook(kind, head.starts_with("PK") ? SheetFault::Damaged : SheetFault::NotWorkbook);
    Workbook book;
    book.kind = kind;
    if (kind == SheetFileKind::Ods)
        readOdsContent(parts, book);
    else
        readXlsx(parts, book);
    if (parts.fault())
        return failedWorkbook(kind, *parts.fault());
    if (book.sheets.empty())
        return failedWorkbook(kind, SheetFault::NoSheet);
    return book;
}

} // namespace

Workbook readZipWorkbookBytes(std::string_view bytes, SheetFileKind kind) {
    if (bytes.size() > kSheetMaxBytes)
        return failedWorkbook(kind, SheetFault::TooLarge);
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    return readDevice(buffer, bytes.substr(0, kOleMagic.size()), kind);
}

Workbook readZipWorkbook(const std::filesystem::path& file, SheetFileKind kind) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failedWorkbook(kind, SheetFault::Unreadable,
                              FileResult::failed(FileOp::Read, FileStep::Open, file, errno));
    struct stat info {};
    char head[8] = {};
    ssize_t got = 0;
    int error = ::fstat(fd, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
    if (error == 0 && (got = ::pread(fd, head, sizeof head, 0)) < 0)
        error = errno;
    if (error != 0 || static_cast<std::uint64_t>(info.st_size) > kSheetMaxBytes) {
        ::close(fd);
        return error != 0
                   ? failedWorkbook(kind, SheetFault::Unreadable,
                                    FileResult::failed(FileOp::Read,
                                                       error == EISDIR ? FileStep::Open : FileStep::Transfer,
                                                       file, error))
                   : failedWorkbook(kind, SheetFault::TooLarge);
    }
    QFile device;
    if (!device.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failedWorkbook(kind, SheetFault::Unreadable,
                              FileResult::failed(FileOp::Read, FileStep::Open, file, EIO));
    }
    return readDevice(device, std::string_view(head, static_cast<std::size_t>(got)), kind);
}

} // namespace kelvora
