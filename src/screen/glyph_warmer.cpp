#include "screen/glyph_warmer.h"

#include <QRawFont>

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "screen/glyph_cache.h"
#include "screen/screen_paint.h"

namespace kelvora {

GlyphWarmer::GlyphWarmer(GlyphCache& cache) : m_cache(cache) {}

GlyphWarmer::~GlyphWarmer() {
    stop();
}

void GlyphWarmer::start(const QFont& font, std::vector<std::u16string> texts) {
    stop();
    m_stop = false;
    m_finished = false;
    m_planned = 0;
    m_prepared = 0;
    // A QFont shares its engine data with every copy, and Qt replaces that data when another thread uses
    // it: the worker builds its own font from what this one asks for instead of copying it.
    FontRequest request{font.families(), font.pixelSize(),     font.pointSizeF(),       font.weight(),
                        font.style(),    font.styleStrategy(), font.hintingPreference()};
    m_thread = std::thread([this, request = std::move(request), texts = std::move(texts)] {
#if defined(__linux__)
        // A press may begin before the work is done: the frames must not wait for a core behind it.
        setpriority(PRIO_PROCESS, id_t(gettid()), 10);
#endif
        run(request, texts);
        m_finished = true;
    });
}

void GlyphWarmer::stop() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_finished = true;
}

void GlyphWarmer::wait() {
    if (m_thread.joinable())
        m_thread.join();
}

void GlyphWarmer::run(const FontRequest& request, const std::vector<std::u16string>& texts) {
    QFont qfont;
    qfont.setFamilies(request.families);
    if (request.pixelSize > 0)
        qfont.setPixelSize(request.pixelSize);
    else
        qfont.setPointSizeF(request.pointSize);
    qfont.setWeight(request.weight);
    qfont.setStyle(request.style);
    qfont.setStyleStrategy(request.strategy);
    qfont.setHintingPreference(request.hinting);
    const ScreenFont font(qfont);

    // Names repeat (and so do surnames); each distinct text is laid out once.
    std::vector<const std::u16string*> distinct;
    distinct.reserve(texts.size());
    for (const std::u16string& text : texts)
        distinct.push_back(&text);
    std::sort(distinct.begin(), distinct.end(), [](const auto* a, const auto* b) { return *a < *b; });
    distinct.erase(
        std::unique(distinct.begin(), distinct.end(), [](const auto* a, const auto* b) { return *a == *b; }),
        distinct.end());

    struct Wanted {
        std::size_t font; // into fonts
        quint32 index;
        int subX;
        int subY;
        std::size_t uses;
    };
    std::vector<QRawFont> fonts;
    std::vector<std::uint32_t> fontIds;
    std::vector<Wanted> wanted;
    std::unordered_map<std::uint64_t, std::size_t> where;
    for (const std::u16string* text : distinct) {
        if (m_stop)
            return;
        // The integer origin moves glyphs by whole pixels only; the fractions are the text's own.
        const QString qtext = QString::fromUtf16(text->data(), qsizetype(text->size()));
        for (const PlacedRun& run : placeGlyphs(qtext, font, 0, 0)) {
            const std::uint32_t id = m_cache.fontId(run.font);
            if (id == GlyphCache::kNoFont)
                continue;
            std::size_t slot = std::size_t(std::find(fontIds.begin(), fontIds.end(), id) - fontIds.begin());
            if (slot == fontIds.size()) {
                fontIds.push_back(id);
                fonts.push_back(run.font);
            }
            for (const GlyphSpot& g : run.glyphs) {
                const std::uint64_t key = (std::uint64_t(slot) << 44) | (std::uint64_t(g.index) << 12) |
                                          (std::uint64_t(g.subX) << 6) | std::uint64_t(g.subY);
                const auto [at, added] = where.try_emplace(key, wanted.size());
                if (added)
                    wanted.push_back({slot, g.index, g.subX, g.subY, 0});
                ++wanted[at->second].uses;
            }
        }
    }
    // Surnames and the commonest characters first: if the key is pressed before the end, the frames find
    // most of what they deal.
    std::stable_sort(wanted.begin(), wanted.end(),
                     [](const Wanted& a, const Wanted& b) { return a.uses > b.uses; });
    m_planned = wanted.size();

    m_cache.beginWorkingSet();
    for (const Wanted& w : wanted) {
        if (m_stop)
            return;
        m_cache.prepare(fontIds[w.font], fonts[w.font], w.index, w.subX, w.subY);
        ++m_prepared;
    }
}

} // namespace kelvora
