#include "screen/roll_layout.h"

#include <algorithm>

#include "platform/text.h"
#include "screen/text_scroll_area.h"

namespace kelvora {

namespace {

int share(int total, int pct) {
    return int(double(total) * double(pct) / 100.0);
}

// Places the names of one run of items row by row from y, and returns the y below the last started row.
class RowPlacer {
public:
    RowPlacer(const RollMetrics& metrics, std::vector<RollItem>& items, double y)
        : m_metrics(metrics), m_items(items), m_cellW(metrics.cellW()),
          m_columns(std::clamp(metrics.namesPerRow, 1, 5)), m_y(y) {}

    void place(std::u16string prefix, std::u16string_view name) {
        ++m_column;
        const PixelRect& area = m_metrics.area;
        RollItem item;
        item.prefix = std::move(prefix);
        item.text.assign(name);
        item.left = int(double(area.left) + double(m_column - 1) * m_cellW);
        item.right = int(double(area.left) + double(m_column) * m_cellW);
        item.top = int(m_y);
        item.bottom = int(m_y + m_metrics.rowH);
        m_items.push_back(std::move(item));
        if (m_column == m_columns)
            closeRow();
    }

    // A started row ends the run.
    double finish() {
        if (m_column != 0)
            closeRow();
        return m_y;
    }

private:
    void closeRow() {
        m_y = double(int(m_y + m_metrics.rowH));
        m_column = 0;
    }

    const RollMetrics& m_metrics;
    std::vector<RollItem>& m_items;
    double m_cellW;
    int m_columns;
    double m_y;
    int m_column = 0;
};

} // namespace

double RollMetrics::cellW() const {
    return double(area.right - area.left) / double(std::clamp(namesPerRow, 1, 5));
}

PixelRect rollArea(const PixelRect& band, const Margins& margins, int windowWidth) {
    const int bandH = band.bottom - band.top;
    return PixelRect{share(windowWidth, margins.left), band.top + share(bandH, margins.top),
                     windowWidth - share(windowWidth, margins.right),
                     band.top + bandH - share(bandH, margins.bottom)};
}

double rollRowHeight(int lineH, double cellW, bool photoTiles, double aspectRatio, bool captionOutside) {
    if (!photoTiles)
        return 1.5 * lineH;
    // The ratio is kept within 0.5..2.0 by its list; a damaged one must not divide by zero.
    const double ratio = aspectRatio > 0 ? aspectRatio : 1.0;
    return cellW / ratio + (captionOutside ? 1.5 * lineH : 0.0);
}

std::vector<RollItem> layoutReplay(const WinnerList& winners, std::u16string_view replayPrize,
                                   bool reverseOrder, const RollMetrics& metrics) {
    const bool allPrizes = replayPrize.empty();
    std::vector<const WinnerGroup*> groups;
    groups.reserve(winners.size());
    for (const WinnerGroup& group : winners)
        if (allPrizes || equalsIgnoreCase(group.name(), replayPrize))
            groups.push_back(&group);
    if (allPrizes && reverseOrder)
        std::reverse(groups.begin(), groups.end());

    std::size_t count = 0;
    for (const WinnerGroup* group : groups)
        count += group->entrants.size() + 1;
    std::vector<RollItem> items;
    items.reserve(count);

    const PixelRect& area = metrics.area;
    double y = 0;
    for (const WinnerGroup* group : groups) {
        const int winnersInGroup = int(group->entrants.size());
        if (allPrizes) {
            RollItem heading;
            heading.text = std::u16string(group->name()) + u"（" + decimalText(winnersInGroup) + u"）";
            heading.left = area.left;
            heading.right = area.right;
            heading.top = int(y);
            heading.bottom = int(y + metrics.headH);
            heading.isHeading = true;
            y = heading.bottom;
            items.push_back(std::move(heading));
        }
        RowPlacer rows(metrics, items, y);
        int k = 0;
        for (const Entrant& winner : group->entrants) {
            ++k;
            rows.place(metrics.numbered ? winnerNumberPrefix(k, winnersInGroup) : std::u16string(),
                       winner.text());
        }
        y = rows.finish();
        if (allPrizes) {
            y = double(int(y + metrics.headH));
            if (metrics.photoTiles)
                y += 0.5 * metrics.headH;
        }
    }
    return items;
}

std::vector<RollItem> layoutFullList(const EntrantList& entries, const RollMetrics& metrics) {
    std::vector<RollItem> items;
    items.reserve(entries.size());
    const int total = int(entries.size());
    const int columns = std::clamp(metrics.namesPerRow, 1, 5);
    const double cellW = metrics.cellW();
    const PixelRect& area = metrics.area;
    for (int n = 1; n <= total; ++n) {
        const int c = (n - 1) % columns + 1;
        const int r = (n - 1) / columns + 1;
        RollItem item;
        if (metrics.numbered)
            item.prefix = winnerNumberPrefix(n, total);
        item.text.assign(entries[std::size_t(n - 1)].text());
        item.left = int(double(area.left) + double(c - 1) * cellW);
        item.right = int(double(area.left) + double(c) * cellW);
        item.top = int(double(r - 1) * metrics.rowH);
        item.bottom = int(double(r) * metrics.rowH);
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora
