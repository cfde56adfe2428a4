// The text-table reader. Whatever the operator picks is read whole (it is at most kSheetMaxBytes), its
// encoding is settled once for the whole file and the bytes are decoded to UTF-16 in one pass, so that the
// parser, the separator guess and the binary check all look at the same text. Every step is linear in the
// file's size and bounded in memory by it: a hostile file can make the import slow to refuse, never hang it.

#include "sheets/text_table.h"

#include <fcntl.h>
#include <iconv.h>
#include <strings.h>
#include <sys/stat.h>
#include <uchardet/uchardet.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>

#include "platform/text.h"
#include "settings/typed_text.h"

namespace kelvora {

namespace {

// How much of the file each guess looks at: enough for a confident answer, little enough to stay quick.
constexpr std::size_t kUtf16SniffBytes = 4096;
constexpr std::size_t kGuessBytes = 256 * 1024;
constexpr std::size_t kBinarySampleUnits = 65536;
constexpr int kSeparatorSampleRecords = 50;
constexpr std::size_t kSeparatorSampleUnits = 256 * 1024;

constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr char16_t kReplacement = 0xFFFD;

// Workbooks renamed to .csv: a zip (.xlsx, .ods) and an OLE compound file (.xls).
constexpr std::string_view kZipMagic{"PK\3\4", 4};
constexpr std::string_view kOleMagic{"\xD0\xCF\x11\xE0", 4};

bool isUtf16(std::string_view encoding) {
    return encoding == "UTF-16LE" || encoding == "UTF-16BE";
}

std::string_view byteOrderMarkEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return "UTF-8";
    if (bytes.starts_with("\xFF\xFE"))
        return "UTF-16LE";
    if (bytes.starts_with("\xFE\xFF"))
        return "UTF-16BE";
    return {};
}

// UTF-16 without a mark: the ASCII in a table (separators, line breaks, digits) leaves zero high bytes, all
// at odd offsets for little-endian and at even ones for big-endian. Chinese text alone leaves none and is
// left to the other guesses.
std::string_view zeroPatternEncoding(std::string_view bytes) {
    const std::size_t pairs = std::min(bytes.size(), kUtf16SniffBytes) / 2;
    std::size_t evenZeros = 0;
    std::size_t oddZeros = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        evenZeros += bytes[2 * i] == 0;
        oddZeros += bytes[2 * i + 1] == 0;
    }
    if (oddZeros * 8 >= pairs && oddZeros > 0 && evenZeros * 4 <= oddZeros)
        return "UTF-16LE";
    if (evenZeros * 8 >= pairs && evenZeros > 0 && oddZeros * 4 <= evenZeros)
        return "UTF-16BE";
    return {};
}

// The length of the well-formed UTF-8 sequence at bytes[i] (no overlong forms, surrogates or values past
// U+10FFFF), or 0.
std::size_t utf8SequenceLength(std::string_view bytes, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned lead = at(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() - i < length || at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return length;
}

// Valid UTF-8, or UTF-8 with a few damaged bytes among many good sequences (a file cut short, a stray byte
// pasted in): those become U+FFFD rather than turning the whole file into GB18030 mojibake. Chinese text in
// GB18030 or Big5 read as UTF-8 has far more bad bytes than good sequences.
bool looksLikeUtf8(std::string_view bytes) {
    std::size_t good = 0;
    std::size_t bad = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = utf8SequenceLength(bytes, i);
        good += length > 1;
        bad += length == 0;
        i += std::max<std::size_t>(length, 1);
    }
    return bad == 0 || bad * 8 <= good;
}

std::string_view guessedEncoding(std::string_view bytes) {
    std::string name;
    if (uchardet_t detector = uchardet_new()) {
        const std::string_view head = bytes.substr(0, kGuessBytes);
        if (uchardet_handle_data(detector, head.data(), head.size()) == 0) {
            uchardet_data_end(detector);
            name = uchardet_get_charset(detector);
        }
        uchardet_delete(detector);
    }
    if (strncasecmp(name.c_str(), "BIG5", 4) == 0 || strcasecmp(name.c_str(), "BIG-5") == 0)
        return "BIG5";
    if (strcasecmp(name.c_str(), "UTF-16BE") == 0)
        return "UTF-16BE";
    if (strncasecmp(name.c_str(), "UTF-16", 6) == 0)
        return "UTF-16LE";
    // GB2312 and GBK are subsets; for anything else a Chinese Excel's GB18030 is the likeliest.
    return "GB18030";
}

// One of textTableEncodings() by any letter case, or empty.
std::string knownEncoding(const std::string& name) {
    for (std::string& known : textTableEncodings())
        if (strcasecmp(known.c_str(), name.c_str()) == 0)
            return known;
    return {};
}

// Bytes the encoding rejects become U+FFFD, one per byte (one per unit in UTF-16), and decoding goes on.
std::u16string decode(std::string_view bytes, const std::string& encoding) {
    const char* native = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
    const iconv_t converter = iconv_open(native, encoding.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return fromUtf8(bytes);
    const std::size_t step = isUtf16(encoding) ? 2 : 1;
    std::u16string out(bytes.size() / step + 16, u'\0');
    std::size_t used = 0;
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        if (out.size() - used < 2)
            out.resize(out.size() * 2);
        char* outAt = reinterpret_cast<char*>(out.data() + used);
        std::size_t outLeft = (out.size() - used) * sizeof(char16_t);
        const std::size_t result = iconv(converter, &in, &inLeft, &outAt, &outLeft);
        used = out.size() - outLeft / sizeof(char16_t);
        if (result != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ, or EINVAL for a sequence cut off by the end of the file.
        if (used == out.size())
            out.resize(out.size() * 2);
        out[used++] = kReplacement;
        const std::size_t skip = std::min(step, inLeft);
        in += skip;
        inLeft -= skip;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    out.resize(used);
    if (!out.empty() && out.front() == kByteOrderMark)
        out.erase(0, 1);
    return out;
}

bool isControl(char16_t c) {
    return c < 0x20 || c == 0x7F;
}

// Binary data decodes to many control characters. A stray one or two in a short hand-made list are no sign.
bool looksBinary(std::u16string_view text) {
    const std::u16string_view sample = text.substr(0, kBinarySampleUnits);
    const auto controls =
        static_cast<std::size_t>(std::count_if(sample.begin(), sample.end(), [](char16_t c) {
            return isControl(c) && c != u'\t' && c != u'\r' && c != u'\n';
        }));
    return controls > 2 && controls * 100 > sample.size();
}

bool isBlank(std::u16string_view cell) {
    return trimTypedText(cell).empty();
}

// Reads RFC 4180 records one by one. Beyond the standard it accepts text after a closing quote (appended to
// the field), bare CR line ends, and a quote that never closes: that one is a quote typed into a name, and
// the field ends at its line like an unquoted one, rather than swallowing every later line.
class RecordReader {
public:
    RecordReader(std::u16string_view text, char16_t separator) : m_text(text), m_separator(separator) {}

    // The next record's first kSheetMaxColumns fields into cells, and how many fields it had; false at the
    // end.
    bool next(std::vector<std::u16string>& cells, std::size_t& fieldCount) {
        if (m_pos >= m_text.size())
            return false;
        cells.clear();
        fieldCount = 0;
        for (;;) {
            ++fieldCount;
            std::u16string* cell = nullptr;
            if (cells.size() < static_cast<std::size_t>(kSheetMaxColumns))
                cell = &cells.emplace_back();
            readField(cell);
            if (m_pos < m_text.size() && isSeparator(m_text[m_pos])) {
                ++m_pos;
                continue;
            }
            // The record ends at CR LF, LF, CR or the end of the text.
            if (m_pos < m_text.size() && m_text[m_pos] == u'\r' && m_pos + 1 < m_text.size() &&
                m_text[m_pos + 1] == u'\n')
                ++m_pos;
            m_pos = std::min(m_pos + 1, m_text.size());
            return true;
        }
    }

private:
    bool isSeparator(char16_t c) const { return m_separator != 0 && c == m_separator; }

    void readField(std::u16string* cell) {
        if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
            const std::size_t opening = m_pos;
            const std::size_t kept = cell ? cell->size() : 0;
            ++m_pos;
            for (;;) {
                const std::size_t quote = m_text.find(u'"', m_pos);
                if (quote == std::u16string_view::npos) {
                    if (cell)
                        cell->resize(kept);
                    m_pos = opening;
                    break;
                }
                append(cell, m_text.substr(m_pos, quote - m_pos));
                m_pos = quote + 1;
                if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
                    append(cell, u"\"");
                    ++m_pos;
                    continue;
                }
                break;
            }
        }
        std::size_t end = m_pos;
        while (end < m_text.size() && !isSeparator(m_text[end]) && m_text[end] != u'\r' &&
               m_text[end] != u'\n')
            ++end;
        append(cell, m_text.substr(m_pos, end - m_pos));
        m_pos = end;
    }

    // The import joins cells with tabs and rows with line breaks, so none may stay inside a cell; the other
    // control characters would cut a name short in the zero-terminated fields of the records.
    static void append(std::u16string* cell, std::u16string_view run) {
        if (!cell)
            return;
        for (std::size_t i = 0; i < run.size(); ++i) {
            if (run[i] == u'\r' && i + 1 < run.size() && run[i + 1] == u'\n')
                ++i;
            cell->push_back(isControl(run[i]) ? u' ' : run[i]);
        }
    }

    std::u16string_view m_text;
    char16_t m_separator;
    std::size_t m_pos = 0;
};

// Of tab, comma and semicolon (in that order of preference), the one that splits more than half of the first
// non-empty records, and most of them into the same number of fields.
char16_t detectSeparator(std::u16string_view text) {
    const std::u16string_view sample = text.substr(0, kSeparatorSampleUnits);
    char16_t best = 0;
    std::size_t bestSame = 0;
    std::size_t bestSplit = 0;
    std::vector<std::u16string> cells;
    for (char16_t candidate : {u'\t', u',', u';'}) {
        RecordReader reader(sample, candidate);
        std::vector<std::size_t> counts;
        std::size_t fields = 0;
        std::size_t records = 0;
        while (records < kSeparatorSampleRecords && reader.next(cells, fields)) {
            if (fields == 1 && isBlank(cells[0]))
                continue; // an empty line says nothing; a line of bare separators does
            ++records;
            if (fields > 1)
                counts.push_back(fields);
        }
        if (counts.size() * 2 <= records)
            continue;
        std::size_t same = 0;
        for (std::size_t count : counts)
            same = std::max(same, static_cast<std::size_t>(std::count(counts.begin(), counts.end(), count)));
        if (same > bestSame || (same == bestSame && counts.size() > bestSplit)) {
            best = candidate;
            bestSame = same;
            bestSplit = counts.size();
        }
    }
    return best;
}

Sheet readSheet(std::u16string_view text, char16_t separator, std::u16string_view name) {
    Sheet sheet;
    sheet.name.assign(name);
    RecordReader reader(text, separator);
    std::vector<std::u16string> cells;
    std::size_t fields = 0;
    int number = 0;
    while (reader.next(cells, fields)) {
        ++number;
        std::size_t used = cells.size();
        while (used > 0 && isBlank(cells[used - 1]))
            --used;
        if (used == 0)
            continue;
        if (sheet.rows.size() == static_cast<std::size_t>(kSheetMaxRows)) {
            sheet.truncated = true;
            break;
        }
        SheetRow& row = sheet.rows.emplace_back();
        row.number = number;
        row.cells.assign(std::make_move_iterator(cells.begin()),
                         std::make_move_iterator(cells.begin() + used));
        sheet.columnCount = std::max(sheet.columnCount, static_cast<int>(used));
    }
    return sheet;
}

Workbook failedBook(SheetFault fault, FileResult io = {}) {
    Workbook book;
    book.kind = SheetFileKind::Text;
    book.failure = SheetFailure{fault, std::move(io)};
    return book;
}

Workbook unreadable(FileStep step, const std::filesystem::path& file, int errnum) {
    FileResult io = FileResult::failed(FileOp::Read, step, file, errnum);
    io.insideDataFolders = false; // the operator chose the file
    return failedBook(SheetFault::Unreadable, std::move(io));
}

} // namespace

std::vector<std::string> textTableEncodings() {
    return {"UTF-8", "GB18030", "UTF-16LE", "UTF-16BE", "BIG5"};
}

std::string detectTextEncoding(std::string_view bytes) {
    if (const std::string_view marked = byteOrderMarkEncoding(bytes); !marked.empty())
        return std::string(marked);
    if (const std::string_view utf16 = zeroPatternEncoding(bytes); !utf16.empty())
        return std::string(utf16);
    if (looksLikeUtf8(bytes))
        return "UTF-8";
    return std::string(guessedEncoding(bytes));
}

Workbook readTextTableBytes(std::string_view bytes, std::u16string_view sheetName,
                            const TextTableOptions& options) {
    if (bytes.size() > kSheetMaxBytes)
        return failedBook(SheetFault::TooLarge);
    if (bytes.starts_with(kZipMagic) || bytes.starts_with(kOleMagic))
        return failedBook(SheetFault::NotText);
    Workbook book;
    book.kind = SheetFileKind::Text;
    // An encoding the reader does not offer is treated as no choice at all.
    book.encoding = knownEncoding(options.encoding);
    if (book.encoding.empty())
        book.encoding = detectTextEncoding(bytes);
    if (!isUtf16(book.encoding) && bytes.find('\0') != std::string_view::npos)
        return failedBook(SheetFault::NotText);
    const std::u16string text = decode(bytes, book.encoding);
    if (looksBinary(text))
        return failedBook(SheetFault::NotText);
    book.separator = options.separator ? *options.separator : detectSeparator(text);
    book.sheets.push_back(readSheet(text, book.separator, sheetName));
    return book;
}

Workbook readTextTable(const std::filesystem::path& file, const TextTableOptions& options) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return unreadable(FileStep::Open, file, errno);
    std::string bytes;
    int errnum = 0;
    bool tooLarge = false;
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        errnum = errno;
    else if (static_cast<std::uint64_t>(info.st_size) > kSheetMaxBytes)
        tooLarge = true;
    else
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    // The limit holds while reading too: the file may have grown since fstat.
    char chunk[64 * 1024];
    while (errnum == 0 && !tooLarge) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got == 0)
            break;
        if (got < 0 && errno != EINTR)
            errnum = errno;
        if (got <= 0)
            continue;
        tooLarge = bytes.size() + static_cast<std::size_t>(got) > kSheetMaxBytes;
        if (!tooLarge)
            bytes.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (errnum != 0)
        return unreadable(FileStep::Transfer, file, errnum);
    if (tooLarge)
        return failedBook(SheetFault::TooLarge);
    return readTextTableBytes(bytes, fromUtf8(file.stem().native()), options);
}

} // namespace kelvora
