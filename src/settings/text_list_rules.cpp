#include "settings/text_list_rules.h"

#include <algorithm>

#include "platform/text.h"

namespace kelvora {

bool namesInOrder(const Entrant& a, const Entrant& b, SortOrder order) {
    const int c = compareIgnoreCase(a.text(), b.text());
    return order == SortOrder::Ascending ? c < 0 : c > 0;
}

bool mayReorder(std::size_t entryCount) {
    return entryCount >= 2;
}

bool sortEntrants(std::vector<Entrant>& entries, SortOrder order) {
    if (!mayReorder(entries.size()))
        return false;
    std::sort(entries.begin(), entries.end(),
              [order](const Entrant& a, const Entrant& b) { return namesInOrder(a, b, order); });
    return true;
}

TextListActions textListActions(bool drawStarted) {
    TextListActions actions;
    actions.reorder = !drawStarted;
    actions.reimport = !drawStarted;
    actions.exportList = true;
    return actions;
}

std::vector<Entrant> selectedEntrants(std::span<const Entrant> entries, std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<Entrant> picked;
    picked.reserve(rows.size());
    for (int row : rows)
        if (row >= 0 && static_cast<std::size_t>(row) < entries.size())
            picked.push_back(entries[static_cast<std::size_t>(row)]);
    return picked;
}

std::filesystem::path withTextExtension(std::filesystem::path file) {
    if (!file.empty() && !file.has_extension())
        file += ".txt";
    return file;
}

} // namespace kelvora
