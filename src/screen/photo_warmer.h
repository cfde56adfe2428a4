#pragma once
// Makes ahead, on a thread of its own, the photo tiles a press will deal. With a pool of a few hundred the
// frames fill the tile cache within the first second; with thousands nearly every photo of every frame is
// new, and fifty decodes take a frame far past its period. Once the prize is on screen its pool and its grid
// are known, so the tiles can be made before the key is pressed and while the faces scroll.
//
// The pool is worked through in a shuffled order: when it holds more photos than the cache can keep, the
// tiles made are a fair sample of it, not the first names of an alphabetical import. The worker stops when
// the cache is full (it only fills free room and never pushes a tile out). Frames never wait for it.

#include <atomic>
#include <cstddef>
#include <thread>

#include "records/data_paths.h"
#include "records/entrant.h"
#include "settings/interface_settings.h"

namespace kelvora {

class PhotoTileCache;

class PhotoWarmer {
public:
    explicit PhotoWarmer(PhotoTileCache& cache);
    ~PhotoWarmer();
    PhotoWarmer(const PhotoWarmer&) = delete;
    PhotoWarmer& operator=(const PhotoWarmer&) = delete;

    // What to make: the tiles of the pool's photos (under paths' picture folder) at one size and crop.
    struct Job {
        DataPaths paths;
        EntrantList pool;
        int width = 0;
        int height = 0;
        PhotoCropMode crop = PhotoCropMode::Ellipse;
    };
    // Stops a job still running, then starts on this one.
    void start(Job job);
    // Stops the job at the next photo and waits for the thread.
    void stop();
    // Waits until the job has finished or was stopped.
    void wait();

    bool finished() const { return m_finished.load(); }
    // The job ended because the cache had no more room.
    bool cacheFull() const { return m_cacheFull.load(); }
    // The pool's photos, and those gone through (made, already kept, or without a file).
    std::size_t planned() const { return m_planned.load(); }
    std::size_t prepared() const { return m_prepared.load(); }

private:
    void run(const Job& job);

    PhotoTileCache& m_cache;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{true};
    std::atomic<bool> m_cacheFull{false};
    std::atomic<std::size_t> m_planned{0};
    std::atomic<std::size_t> m_prepared{0};
};

} // namespace kelvora
