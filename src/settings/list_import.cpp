#include "settings/list_import.h"
#include "settings/typed_text.h"

#include <algorithm>
#include <unordered_map>

namespace kelvora {

namespace {

// Progress is reported about every this many lines: often enough for a smooth bar, rarely enough that
// 60000 steps do not flood the user interface's event queue.
constexpr int kProgressEvery = 256;

std::int32_t foldedKey(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded)
        c = foldCase(c);
    return computeNameKey(folded);
}

} // namespace

ImportLines readImportLines(std::u16string_view text) {
    ImportLines out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const std::u16string_view line = text.substr(pos, std::min<std::size_t>(end - pos, kImportLineUnits));
        pos = end;
        if (pos < text.size() && text[pos] == u'\r')
            ++pos;
        if (pos < text.size() && text[pos] == u'\n')
            ++pos;
        if (trimTypedText(line).empty())
            continue;
        if (static_cast<int>(out.lines.size()) == kMaxEntrants) {
            out.tooMany = true;
            break;
        }
        ImportLine kept;
        kept.raw.assign(line);
        out.lines.push_back(std::move(kept));
    }
    return out;
}

void splitImportLine(ImportLine& line) {
    const std::u16string_view raw = line.raw;
    std::size_t pos = 0;
    for (int i = 0; i < kImportColumns; ++i)
        line.columns[i].clear();
    for (int i = 0; i < kImportColumns - 1; ++i) {
        const std::size_t tab = raw.find(u'\t', pos);
        if (tab == std::u16string_view::npos) {
            line.columns[i].assign(trimTypedText(raw.substr(pos)));
            return;
        }
        line.columns[i].assign(trimTypedText(raw.substr(pos, tab - pos)));
        pos = tab + 1;
    }
    std::u16string rest(raw.substr(pos));
    std::replace(rest.begin(), rest.end(), u'\t', u' ');
    rest.resize(std::min<std::size_t>(rest.size(), kMaxNameLength));
    line.columns[kImportColumns - 1].assign(trimTypedText(rest));
}

std::u16string alignCell(std::u16string_view text, ColumnAlign align, int pad) {
    if (pad <= 0 || align == ColumnAlign::None)
        return std::u16string(text);
    std::u16string cell;
    cell.reserve(text.size() + static_cast<std::size_t>(pad));
    switch (align) {
    case ColumnAlign::Left:
        cell.assign(text);
        cell.append(static_cast<std::size_t>(pad), u' ');
        break;
    case ColumnAlign::Right:
        cell.assign(static_cast<std::size_t>(pad), u' ');
        cell.append(text);
        break;
    case ColumnAlign::Justify:
    default: {
        if (text.size() <= 1) {
            cell.assign(text);
            cell.append(static_cast<std::size_t>(pad), u' ');
            break;
        }
        const int gaps = static_cast<int>(text.size()) - 1;
        const int each = pad / gaps;
        const int extra = pad % gaps;
        for (int i = 0; i < static_cast<int>(text.size()); ++i) {
            cell.push_back(text[static_cast<std::size_t>(i)]);
            if (i < gaps)
                cell.append(static_cast<std::size_t>(each + (i < extra ? 1 : 0)), u' ');
        }
        break;
    }
    }
    return cell;
}

ImportResult runImport(std::vector<ImportLine> lines, const ImportSettings& settings,
                       const TextWidthFunction& width, const std::atomic<bool>& cancel,
                       const ImportProgressFunction& progress, std::span<const Entrant> existing) {
    ImportResult result;
    const int count = static_cast<int>(lines.size());
    const int total = 2 * count;
    int done = 0;
    auto step = [&] {
        ++done;
        if (progress && (done % kProgressEvery == 0 || done == total))
            progress(done, total);
    };
    if (progress)
        progress(0, total);

    std::array<int, kImportColumns> maxWidths{};
    for (ImportLine& line : lines) {
        if (cancel.load(std::memory_order_relaxed)) {
            result.cancelled = true;
            return result;
        }
        splitImportLine(line);
        for (int i = 0; i < kImportColumns; ++i) {
            line.widths[i] = line.columns[i].empty() ? 0 : width(line.columns[i]);
            maxWidths[i] = std::max(maxWidths[i], line.widths[i]);
        }
        step();
    }

    // Every entrant kept so far by the key of its case-folded name, so that each line is checked against its
    // own key's few candidates rather than against every earlier entry. The stored nameKey cannot serve: it
    // is case-sensitive, and "Zhang San" and "ZHANG SAN" are one person.
    std::unordered_multimap<std::int32_t, const Entrant*> seen;
    seen.reserve(existing.size() + lines.size());
    for (const Entrant& e : existing)
        seen.emplace(foldedKey(e.text()), &e);
    result.entries.reserve(lines.size()); // the pointers in seen stay valid while entries grows

    std::u16string joined;
    for (const ImportLine& line : lines) {
        if (cancel.load(std::memory_order_relaxed)) {
            result.cancelled = true;
            return result;
        }
        joined.clear();
        for (int i = 0; i < kImportColumns; ++i) {
            if (maxWidths[i] == 0)
                continue; // empty on every line: left out, separator included
            const int pad = maxWidths[i] - line.widths[i];
            const ColumnAlign align = settings.aligns[i];
            if (align != ColumnAlign::None && pad > 0)
                result.spaceAligned = true;
            // An empty first cell adds no separator; an empty cell later in the line does.
            if (!joined.empty())
                joined += settings.separator;
            joined += alignCell(line.columns[i], align, pad);
        }
        const Entrant entry = makeEntrant(joined);
        bool duplicate = false;
        const std::int32_t key = foldedKey(entry.text());
        const auto [first, last] = seen.equal_range(key);
        for (auto it = first; it != last && !duplicate; ++it)
            duplicate = equalsIgnoreCase(it->second->text(), entry.text());
        if (duplicate) {
            ++result.duplicateCount;
            result.duplicateText += line.raw;
            result.duplicateText += u"\r\n";
        } else {
            result.entries.push_back(entry);
            seen.emplace(key, &result.entries.back());
        }
        step();
    }
    return result;
}

void applyImport(TextNameList& list, const ImportResult& result) {
    if (result.cancelled) {
        list.entries.clear();
        list.spaceAligned = 0;
        return;
    }
    const std::size_t room = list.entries.size() < static_cast<std::size_t>(kMaxEntrants)
                                 ? static_cast<std::size_t>(kMaxEntrants) - list.entries.size()
                                 : 0;
    const std::size_t take = std::min(room, result.entries.size());
    list.entries.insert(list.entries.end(), result.entries.begin(),
                        result.entries.begin() + static_cast<std::ptrdiff_t>(take));
    if (result.spaceAligned)
        list.spaceAligned = 1;
}

} // namespace kelvora
