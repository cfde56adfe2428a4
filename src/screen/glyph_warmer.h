#pragma once
// Renders ahead, on a thread of its own, the glyphs a press of the scroll will ask the glyph cache for. The
// first frames of a press used to render about two thousand glyphs of a real name list (frame 1 alone took
// 20 ms at 60 points); once the prize is on screen its names and font are known, and the operator's pause
// before the key is time enough to render them all. Frames never wait: a glyph not ready yet is rendered by
// the frame that needs it, as before.
//
// The worker lays every text out as drawTextInRect does, so it renders each glyph at the sub-pixel offsets
// the frames will place it at, and the glyphs most names use first. It has its own font and font engines
// (Qt's are not shared between threads); the cache tells fonts apart by what they are.

#include <QFont>
#include <QStringList>

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

namespace kelvora {

class GlyphCache;

class GlyphWarmer {
public:
    explicit GlyphWarmer(GlyphCache& cache);
    ~GlyphWarmer();
    GlyphWarmer(const GlyphWarmer&) = delete;
    GlyphWarmer& operator=(const GlyphWarmer&) = delete;

    // Stops a job still running, then starts rendering the glyphs of texts (as shown: digits already hidden)
    // drawn in font, as the cache's working set.
    void start(const QFont& font, std::vector<std::u16string> texts);
    // Stops the job at the next glyph and waits for the thread.
    void stop();
    // Waits until the job has finished or was stopped.
    void wait();

    bool finished() const { return m_finished.load(); }
    // Distinct glyphs the job needs (known once its texts are laid out) and those it has made ready.
    std::size_t planned() const { return m_planned.load(); }
    std::size_t prepared() const { return m_prepared.load(); }

private:
    struct FontRequest {
        QStringList families;
        int pixelSize;
        qreal pointSize;
        QFont::Weight weight;
        QFont::Style style;
        QFont::StyleStrategy strategy;
        QFont::HintingPreference hinting;
    };
    void run(const FontRequest& request, const std::vector<std::u16string>& texts);

    GlyphCache& m_cache;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{true};
    std::atomic<std::size_t> m_planned{0};
    std::atomic<std::size_t> m_prepared{0};
};

} // namespace kelvora
