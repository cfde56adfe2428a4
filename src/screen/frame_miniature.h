#pragma once
// A small copy of the draw screen's frames for a second window (the presenter console) that must not slow
// the frames down. A shown frame only arms a timer; between frames, at most ten times a second, the frame is
// copied into a buffer of this object, and a thread of its own scales it down and hands the result back to
// the UI thread. Holding a frame instead of copying it would make the next composition copy all of it on the
// frame path (the screen draws into a buffer it reuses), and scaling on the UI thread would cost the scroll
// several milliseconds each time.

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QTimer>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kelvora {

class FrameMiniature : public QObject {
    Q_OBJECT
public:
    // The last composed frame; it stays valid until the next composition, which happens on this thread.
    using FrameSource = std::function<const QImage&()>;
    static constexpr int kMinIntervalMs = 100;

    explicit FrameMiniature(FrameSource source, QObject* parent = nullptr);
    ~FrameMiniature() override;

    // The box the miniature is scaled into, the frame's shape kept.
    void setTargetSize(QSize size);
    // A new frame is on screen: a copy follows within kMinIntervalMs of the last one, never sooner.
    void frameShown();
    // Copies the last frame now and gives it to the scaling thread; false (nothing copied) while the thread
    // is still busy with the previous copy or there is no frame.
    bool grab();
    // The latest miniature made, null before the first.
    const QImage& miniature() const { return m_miniature; }
    // For tests and benchmarks: waits until the thread has nothing to do and its result has been delivered.
    bool waitForIdle(int timeoutMs);

Q_SIGNALS:
    void miniatureReady(const QImage& image);

private:
    void scaleLoop();
    void deliver(const QImage& image);

    FrameSource m_source;
    QTimer m_timer;
    QElapsedTimer m_sinceGrab;
    QImage m_miniature;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    // Owned by the scaling thread while m_busy, by the UI thread otherwise: never shared, so no
    // copy-on-write.
    QImage m_copy;
    QSize m_target{640, 360};
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace kelvora
