// The OpenDocument spreadsheet: content.xml's tables. A cell shows the text of its paragraphs, which the
// spreadsheet wrote already formatted. Rows and cells say how often they repeat; an empty repeat only moves
// the position, so a sheet that declares a million empty rows costs nothing.

#include <algorithm>

#include "sheets/number_format.h"
#include "sheets/zip_parts.h"

namespace kelvora {

namespace {

using Xml = QXmlStreamReader;

constexpr QLatin1StringView kTableNs("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
constexpr QLatin1StringView kTextNs("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
constexpr QLatin1StringView kOfficeNs("urn:oasis:names:tc:opendocument:xmlns:office:1.0");

std::int64_t repeatCount(const QXmlStreamAttributes& attributes, const char* name) {
    return std::clamp<std::int64_t>(wholeNumber(attribute(attributes, kTableNs, name)), 1, kMaxRowNumber);
}

// A paragraph as shown: runs of white space are one space (none at the start), text:s stands for c spaces,
// a tab or line break for one; notes and comments are not part of the text.
void readParagraph(Xml& xml, std::u16string& out) {
    bool space = true;
    for (int depth = 1; depth > 0 && nextToken(xml);) {
        if (xml.isStartElement()) {
            const QStringView name = xml.name();
            if (name == u"note" || name == u"annotation") {
                xml.skipCurrentElement();
                continue;
            }
            ++depth;
            if (name == u"s" || name == u"tab" || name == u"line-break") {
                const std::int64_t count =
                    name == u"s" ? wholeNumber(attribute(xml.attributes(), kTextNs, "c")) : 1;
                const std::size_t room = kCellMaxUnits - std::min(out.size(), kCellMaxUnits);
                out.append(std::min(room, static_cast<std::size_t>(std::max<std::int64_t>(count, 1))), u' ');
                space = true;
            }
        } else if (xml.isEndElement()) {
            --depth;
        } else if (xml.isCharacters()) {
            for (QChar c : xml.text()) {
                const bool white = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
                if ((!white || !space) && out.size() < kCellMaxUnits)
                    out += white ? u' ' : static_cast<char16_t>(c.unicode());
                space = white;
            }
        }
    }
}

// The cell's paragraphs joined with a space; a cell without any shows the value it stores.
void readOdsCell(Xml& xml, std::u16string& out) {
    const QXmlStreamAttributes attributes = xml.attributes();
    const QStringView type = attribute(attributes, kOfficeNs, "value-type");
    std::u16string stored;
    if (type == u"boolean")
        stored = attribute(attributes, kOfficeNs, "boolean-value") == u"true" ? u"TRUE" : u"FALSE";
    else if (type == u"float" || type == u"currency" || type == u"percentage")
        stored = view(attribute(attributes, kOfficeNs, "value"));
    else if (!type.isEmpty())
        stored = view(attribute(attributes, kOfficeNs,
                                type == u"date"   ? "date-value"
                                : type == u"time" ? "time-value"
                                                  : "string-value"));
    const bool number = type == u"float" || type == u"currency";
    int paragraphs = 0;
    for (int depth = 1; depth > 0 && nextToken(xml);) {
        if (xml.isStartElement() && (xml.name() == u"p" || xml.name() == u"h")) {
            if (paragraphs++ > 0)
                out += u' ';
            readParagraph(xml, out);
        } else if (xml.isStartElement() && xml.name() == u"annotation") {
            xml.skipCurrentElement();
        } else {
            depth += xml.isStartElement() - xml.isEndElement();
        }
    }
    if (paragraphs > 0)
        return;
    if (const std::optional<double> value = number ? decimalNumber(stored) : std::nullopt)
        appendGeneralNumber(out, *value);
    else
        out += std::u16string_view(stored).substr(0, kCellMaxUnits);
}

void readOdsRow(Xml& xml, SheetBuilder& sheet, std::int64_t& number, std::u16string& text) {
    const std::int64_t repeat = repeatCount(xml.attributes(), "number-rows-repeated");
    if (sheet.full() || number > kMaxRowNumber) {
        xml.skipCurrentElement();
        number += repeat;
        return;
    }
    struct Span {
        std::int64_t column, columns, rows;
    };
    std::vector<Span> spans;
    sheet.beginRow(number);
    std::int64_t column = 0;
    while (nextToken(xml) && !xml.isEndElement()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() != u"table-cell" && xml.name() != u"covered-table-cell") {
            xml.skipCurrentElement();
            continue;
        }
        const QXmlStreamAttributes attributes = xml.attributes();
        const std::int64_t columns = repeatCount(attributes, "number-columns-repeated");
        const bool covered = xml.name() == u"covered-table-cell";
        const Span span{column, repeatCount(attributes, "number-columns-spanned"),
                        repeatCount(attributes, "number-rows-spanned")};
        text.clear();
        readOdsCell(xml, text);
        flattenLineBreaks(text);
        if (!text.empty()) {
            for (std::int64_t i = 0; i < columns && column + i < kSheetMaxColumns; ++i)
                sheet.setCell(column + i, text);
            if (!covered && columns == 1 && (span.columns > 1 || span.rows > 1))
                spans.push_back(span);
        }
        column = std::min(column + columns, kMaxRowNumber);
    }
    sheet.endRow(repeat);
    for (std::int64_t r = number; r < number + std::min<std::int64_t>(repeat, kSheetMaxRows); ++r)
        for (const Span& s : spans)
            sheet.addMerge(r, s.column, r + s.rows - 1, s.column + s.columns - 1);
    number += repeat;
}

void readOdsTable(Xml& xml, SheetBuilder& sheet) {
    std::int64_t number = 1;
    std::u16string text;
    while (nextToken(xml) && !(xml.isEndElement() && xml.name() == u"table")) {
        if (!xml.isStartElement())
            continue;
        const QStringView name = xml.name();
        if (name == u"table-row")
            readOdsRow(xml, sheet, number, text);
        else if (name != u"table-row-group" && name != u"table-header-rows" && name != u"table-rows")
            xml.skipCurrentElement();
    }
}

} // namespace

void readOdsContent(ZipParts& parts, Workbook& book) {
    bool spreadsheet = false;
    const ZipParts::Read content = parts.readXml(QStringLiteral("content.xml"), [&](Xml& xml) {
        while (nextToken(xml)) {
            if (!xml.isStartElement())
                continue;
            if (xml.name() == u"spreadsheet" && xml.namespaceUri() == kOfficeNs) {
                spreadsheet = true;
            } else if (spreadsheet && xml.name() == u"table" && xml.namespaceUri() == kTableNs) {
                SheetBuilder sheet(std::u16string(view(attribute(xml.attributes(), kTableNs, "name"))),
                                   parts.keptBudget);
                readOdsTable(xml, sheet);
                if (!keepSheet(parts, book, sheet))
                    return xml.raiseError();
            }
        }
    });
    if (content == ZipParts::Read::Missing || (content == ZipParts::Read::Done && !spreadsheet))
        parts.fail(SheetFault::NotWorkbook);
}

} // namespace kelvora
