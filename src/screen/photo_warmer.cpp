#include "screen/photo_warmer.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "screen/photo_tiles.h"
#include "settings/picture_name_list.h"

namespace kelvora {

PhotoWarmer::PhotoWarmer(PhotoTileCache& cache) : m_cache(cache) {}

PhotoWarmer::~PhotoWarmer() {
    stop();
}

void PhotoWarmer::start(Job job) {
    stop();
    m_stop = false;
    m_finished = false;
    m_cacheFull = false;
    m_planned = job.pool.size();
    m_prepared = 0;
    m_thread = std::thread([this, job = std::move(job)] {
#if defined(__linux__)
        // A press may begin before the work is done: the frames must not wait for a core behind it.
        setpriority(PRIO_PROCESS, id_t(gettid()), 10);
#endif
        run(job);
        m_finished = true;
    });
}

void PhotoWarmer::stop() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_finished = true;
}

void PhotoWarmer::wait() {
    if (m_thread.joinable())
        m_thread.join();
}

void PhotoWarmer::run(const Job& job) {
    if (job.width <= 0 || job.height <= 0)
        return;
    std::vector<std::uint32_t> order(job.pool.size());
    std::iota(order.begin(), order.end(), std::uint32_t{0});
    // A fixed seed: which photos a pool larger than the cache keeps is the same from run to run.
    std::shuffle(order.begin(), order.end(), std::mt19937(20161u));
    for (const std::uint32_t at : order) {
        if (m_stop)
            return;
        const Entrant& entrant = job.pool[at];
        if (const std::optional<std::filesystem::path> file = picturePath(job.paths, entrant)) {
            if (m_cache.warm(*file, entrant.text(), job.width, job.height, job.crop) ==
                PhotoTileCache::WarmResult::Full) {
                m_cacheFull = true;
                return;
            }
        }
        ++m_prepared;
    }
}

} // namespace kelvora
