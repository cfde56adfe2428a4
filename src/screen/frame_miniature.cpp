#include "screen/frame_miniature.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>

namespace kelvora {

FrameMiniature::FrameMiniature(FrameSource source, QObject* parent)
    : QObject(parent), m_source(std::move(source)) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        // The thread is still scaling the previous copy: try again shortly rather than queue frames.
        if (!grab() && !m_source().isNull())
            m_timer.start(kMinIntervalMs / 5);
    });
    m_thread = std::thread([this] { scaleLoop(); });
}

FrameMiniature::~FrameMiniature() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void FrameMiniature::setTargetSize(QSize size) {
    std::lock_guard lock(m_mutex);
    m_target = size.expandedTo(QSize(16, 9));
}

void FrameMiniature::frameShown() {
    if (m_timer.isActive())
        return;
    const qint64 since = m_sinceGrab.isValid() ? m_sinceGrab.elapsed() : kMinIntervalMs;
    m_timer.start(static_cast<int>(std::max<qint64>(0, kMinIntervalMs - since)));
}

bool FrameMiniature::grab() {
    const QImage& frame = m_source();
    if (frame.isNull())
        return false;
    {
        std::lock_guard lock(m_mutex);
        if (m_busy)
            return false;
        // A plain copy into a buffer of our own, reused while the size stays: no allocation, and the frame's
        // buffer is never shared with the other thread.
        if (m_copy.size() != frame.size() || m_copy.format() != frame.format() ||
            m_copy.bytesPerLine() != frame.bytesPerLine())
            m_copy = QImage(frame.size(), frame.format());
        std::memcpy(m_copy.bits(), frame.constBits(), static_cast<std::size_t>(frame.sizeInBytes()));
        m_busy = true;
    }
    m_sinceGrab.start();
    m_wake.notify_one();
    return true;
}

void FrameMiniature::scaleLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_busy; });
        if (m_stop)
            return;
        const QSize target = m_target;
        lock.unlock();
        const QImage scaled = m_copy.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        // Delivered on the UI thread; dropped with this object if it goes first.
        QMetaObject::invokeMethod(
            this, [this, scaled] { deliver(scaled); }, Qt::QueuedConnection);
        lock.lock();
        m_busy = false;
    }
}

void FrameMiniature::deliver(const QImage& image) {
    m_miniature = image;
    Q_EMIT miniatureReady(m_miniature);
}

bool FrameMiniature::waitForIdle(int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        bool busy = false;
        {
            std::lock_guard lock(m_mutex);
            busy = m_busy;
        }
        QCoreApplication::processEvents();
        if (!busy)
            return true;
        if (waited.elapsed() > timeoutMs)
            return false;
        std::this_thread::yield();
    }
}

} // namespace kelvora
