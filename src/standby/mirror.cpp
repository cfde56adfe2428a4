#include "standby/mirror.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "platform/text.h"
#include "records/file_system.h"
#include "standby/mirror_pass.h"

namespace kelvora {

// The owner and the worker meet only here. The worker holds its own reference, so an owner that stops waiting
// for a thread stuck in the kernel can let it go and drop its own.
struct MirrorShared {
    std::mutex mutex;
    std::condition_variable changed;
    MirrorState state;
    bool syncAsked = false;
    bool passRunning = false;
    bool stopping = false;
    bool exited = false;

    // Apart from the state's mutex so that a slow log file never holds up state(); emptied by stop().
    std::mutex logMutex;
    MirrorLog log;
};

namespace {

std::int64_t wallClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool isInside(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    const std::filesystem::path relative = inner.lexically_relative(outer);
    return !relative.empty() && relative != "." && *relative.begin() != "..";
}

std::filesystem::path resolvedPath(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path result = std::filesystem::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : result;
}

// The same file or folder, also when reached through a bind mount that no path comparison sees.
bool sameEntry(const std::filesystem::path& a, const std::filesystem::path& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

class MirrorWorker {
public:
    MirrorWorker(MirrorShared& shared, MirrorSetup setup, MirrorTiming timing)
        : m_shared(shared), m_pass(std::move(setup)), m_timing(timing), m_retry(timing.firstRetry) {}

    void run() {
        // The draw screen comes first: on a busy computer the copies wait, the frames do not. On Linux a
        // thread's own id sets its nice value alone.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
        bool again = false;
        for (;;) {
            {
                std::unique_lock lock(m_shared.mutex);
                if (!again) {
                    m_shared.passRunning = false;
                    m_shared.changed.notify_all();
                    const auto pause =
                        m_shared.state.health == MirrorHealth::Failing ? m_retry : m_timing.rescan;
                    m_shared.changed.wait_for(lock, pause,
                                              [this] { return m_shared.stopping || m_shared.syncAsked; });
                }
                if (m_shared.stopping)
                    break;
                m_shared.syncAsked = false;
                m_shared.passRunning = true;
            }
            again = finishPass(m_pass.run([this](int pending) { return progress(pending); }));
        }
        {
            const std::lock_guard lock(m_shared.mutex);
            m_shared.passRunning = false;
            m_shared.exited = true;
        }
        m_shared.changed.notify_all();
    }

private:
    // Keeps the console's count; a pass that has to copy shows the mirror behind. False once a stop is asked.
    bool progress(int pending) {
        const std::lock_guard lock(m_shared.mutex);
        m_shared.state.pending = pending;
        if (pending > 0 && m_shared.state.health == MirrorHealth::UpToDate)
            m_shared.state.health = MirrorHealth::Behind;
        return !m_shared.stopping;
    }

    // Records what the pass came to; true when another pass should follow at once: a pass that copied may
    // have raced a save, and only a pass that finds nothing to copy shows the mirror consistent.
    bool finishPass(const MirrorPassResult& outcome) {
        if (outcome.stopped)
            return false;
        if (!outcome.problem) {
            bool recovered = false;
            {
                const std::lock_guard lock(m_shared.mutex);
                recovered = m_shared.state.health == MirrorHealth::Failing;
                m_shared.state.health = m_shared.syncAsked ? MirrorHealth::Behind : MirrorHealth::UpToDate;
                m_shared.state.lastCopyMs = wallClockMs();
                m_shared.state.problem.clear();
                m_shared.state.pending = 0;
            }
            m_retry = m_timing.firstRetry;
            if (recovered)
                writeLog(kMirrorRecoveredLogText);
            return outcome.changed > 0;
        }
        bool newProblem = false;
        {
            const std::lock_guard lock(m_shared.mutex);
            newProblem =
                m_shared.state.health != MirrorHealth::Failing || m_shared.state.problem != *outcome.problem;
            if (m_shared.state.health == MirrorHealth::Failing)
                m_retry = std::min(m_retry * 2, m_timing.longestRetry);
            m_shared.state.health = MirrorHealth::Failing;
            m_shared.state.problem = *outcome.problem;
            m_shared.state.pending = 0;
        }
        if (newProblem)
            writeLog(formatText(kMirrorFailedLogText, {*outcome.problem}));
        return false;
    }

    void writeLog(std::u16string_view text) {
        const std::lock_guard lock(m_shared.logMutex);
        if (m_shared.log)
            m_shared.log(text);
    }

    MirrorShared& m_shared;
    MirrorPass m_pass;
    const MirrorTiming m_timing;
    std::chrono::milliseconds m_retry;
};

} // namespace

Mirror::Mirror(MirrorLog log, MirrorTiming timing) : m_log(std::move(log)), m_timing(timing) {}

Mirror::~Mirror() {
    stop();
}

void Mirror::start(MirrorSetup setup) {
    stop();
    m_shared = std::make_shared<MirrorShared>();
    m_shared->log = m_log;
    m_shared->syncAsked = true;
    m_shared->state.health = MirrorHealth::Behind;
    m_thread = std::thread([shared = m_shared, setup = std::move(setup), timing = m_timing]() mutable {
        MirrorWorker(*shared, std::move(setup), timing).run();
    });
}

void Mirror::stop() {
    if (!m_shared)
        return;
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = true;
    }
    m_shared->changed.notify_all();
    {
        const std::lock_guard lock(m_shared->logMutex);
        m_shared->log = nullptr;
    }
    bool exited = false;
    {
        std::unique_lock lock(m_shared->mutex);
        exited = m_shared->changed.wait_for(lock, m_timing.stopWait, [this] { return m_shared->exited; });
    }
    if (exited)
        m_thread.join();
    else
        m_thread.detach();
    m_shared.reset();
}

void Mirror::requestSync() {
    if (!m_shared)
        return;
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->syncAsked = true;
        if (m_shared->state.health == MirrorHealth::UpToDate)
            m_shared->state.health = MirrorHealth::Behind;
    }
    m_shared->changed.notify_all();
}

MirrorState Mirror::state() const {
    if (!m_shared)
        return {};
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->state;
}

bool Mirror::waitUntilSettled(int timeoutMs) {
    if (!m_shared)
        return true;
    std::unique_lock lock(m_shared->mutex);
    return m_shared->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
        return m_shared->exited || (!m_shared->syncAsked && !m_shared->passRunning);
    });
}

std::u16string mirrorStateText(const MirrorState& state) {
    switch (state.health) {
    case MirrorHealth::Off:
        break;
    case MirrorHealth::UpToDate: {
        const std::time_t seconds = static_cast<std::time_t>(state.lastCopyMs / 1000);
        std::tm local{};
        localtime_r(&seconds, &local);
        char clock[16];
        std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
        return formatText(u"备用位置: 已同步 (%s)", {fromUtf8(clock)});
    }
    case MirrorHealth::Behind:
        return u"备用位置: 同步中…";
    case MirrorHealth::Failing:
        return formatText(u"备用位置: 失败，正在重试 — %s", {state.problem});
    }
    return u"备用位置: 未开启";
}

std::optional<std::u16string> mirrorTargetProblem(const MirrorSetup& setup) {
    const DataPaths& source = setup.source;
    const std::filesystem::path root = resolvedPath(source.root);
    const std::filesystem::path target = resolvedPath(setup.target);
    if (target == root || sameEntry(setup.target, source.root))
        return std::u16string(kMirrorIsProgramFolderText);
    if (isInside(target, root))
        return std::u16string(kMirrorInsideProgramText);
    // Data folders may be links to elsewhere; and a target whose own folders lead back to ours would have
    // every pass copy files onto themselves.
    for (const std::filesystem::path* folder :
         {&source.builtinFolder, &source.settingsFolder, &source.historyFolder, &source.progressFolder}) {
        const std::filesystem::path own = resolvedPath(*folder);
        const std::filesystem::path mirrored = setup.target / folder->filename();
        if (target == own || isInside(target, own) || resolvedPath(mirrored) == own ||
            sameEntry(mirrored, *folder))
            return std::u16string(kMirrorInsideProgramText);
    }
    const std::filesystem::path mirroredProgram = setup.target / setup.program.filename();
    if (resolvedPath(mirroredProgram) == resolvedPath(setup.program) ||
        sameEntry(mirroredProgram, setup.program))
        return std::u16string(kMirrorInsideProgramText);
    return std::nullopt;
}

} // namespace kelvora
