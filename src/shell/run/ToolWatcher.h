#pragma once
// Watching a started tool: one thread per run waits on the tool's process
// (its pidfd) in slices, and reaches the GUI thread only through queued
// calls: a progress step while the tool runs (at most one waits in the queue
// at a time) and, once the process has ended, one last progress step and the
// finishing step, posted exactly once. The thread never waits for the GUI
// thread, so the GUI may wait for the run's end in a nested event loop, and
// it never touches the process beyond waiting on it: the tool is never
// signalled or killed.
//
// Widget-free: the caller hands in the way to post to the GUI thread.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace pem {

// The life of a run as the main window sees it.
enum class TRunState {
    Idle,            // no tool runs
    Running,         // started and watched
    CancelRequested, // the stop file is written, the tool has not ended yet
    Finishing,       // the process has ended; the finishing step runs
};

// Posts a call to the GUI thread (queued; never runs it in place).
using TGuiPoster = std::function<void(std::function<void()>)>;

class TKorvexToolWatcherThread {
public:
    struct TSteps {
        std::function<void()> updateRunProgress; // on the GUI thread
        std::function<void()> finishRun;         // on the GUI thread, once
    };

    // Starts watching the process behind pidfd (not owned; it must stay open
    // until the watcher has ended). pid is used only when pidfd is -1: then
    // the process is looked at without being reaped. extraWait, when given,
    // waits first in each slice, at most ms, and returns true when a progress
    // step is due at once (piped runs wait for their output backlog with it,
    // so a fast tool's output is taken before the slice is over); the rest
    // of the slice is spent waiting on the process.
    TKorvexToolWatcherThread(int pidfd, int pid, int sliceMs, TGuiPoster post, TSteps steps,
                             std::function<bool(int ms)> extraWait = {});
    // Asks the thread to end and joins it. Calls it posted and not yet run
    // do nothing from then on.
    ~TKorvexToolWatcherThread();
    TKorvexToolWatcherThread(const TKorvexToolWatcherThread&) = delete;
    TKorvexToolWatcherThread& operator=(const TKorvexToolWatcherThread&) = delete;

    // Asks the thread to end after its current wait; it posts nothing more.
    void Terminate();
    bool Terminated() const { return terminated_->load(); }
    // The thread has returned (its last call, if any, is posted).
    bool Ended() const { return ended_.load(); }
    // The finishing step was posted (the process ended while watched).
    bool FinishPosted() const { return finishPosted_.load(); }

private:
    void Execute();
    bool WaitForEnd(int ms); // true when the process has ended
    void PostProgress(bool force);

    int pidfd_;
    int pid_;
    int sliceMs_;
    int wakeFd_ = -1; // eventfd: ends a wait at once on Terminate
    TGuiPoster post_;
    TSteps steps_;
    std::function<bool(int)> extraWait_;
    // Shared with the posted calls, which outlive neither the window nor
    // the watcher unnoticed: a terminated watcher's calls do nothing.
    std::shared_ptr<std::atomic<bool>> terminated_;
    std::shared_ptr<std::atomic<bool>> progressPending_;
    std::atomic<bool> ended_{false};
    std::atomic<bool> finishPosted_{false};
    std::thread thread_;
};

} // namespace pem
