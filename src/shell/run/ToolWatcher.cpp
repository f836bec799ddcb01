#include "ToolWatcher.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pem {

TKorvexToolWatcherThread::TKorvexToolWatcherThread(int pidfd, int pid, int sliceMs, TGuiPoster post, TSteps steps,
                                                   std::function<bool(int ms)> extraWait)
    : pidfd_(pidfd), pid_(pid), sliceMs_(sliceMs > 0 ? sliceMs : 1), post_(std::move(post)),
      steps_(std::move(steps)), extraWait_(std::move(extraWait)),
      terminated_(std::make_shared<std::atomic<bool>>(false)),
      progressPending_(std::make_shared<std::atomic<bool>>(false)) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { Execute(); });
}

TKorvexToolWatcherThread::~TKorvexToolWatcherThread() {
    Terminate();
    if (thread_.joinable()) thread_.join();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void TKorvexToolWatcherThread::Terminate() {
    terminated_->store(true);
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(wakeFd_, &one, sizeof one);
    }
}

bool TKorvexToolWatcherThread::WaitForEnd(int ms) {
    if (pidfd_ >= 0) {
        pollfd fds[2] = {{pidfd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int n = ::poll(fds, wakeFd_ >= 0 ? 2 : 1, ms);
        return n > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR));
    }
    // No pidfd: look without reaping, in short sleeps.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0)
            return true;
        if (errno == ECHILD) return true;
        if (terminated_->load() || std::chrono::steady_clock::now() >= end) return false;
        ::usleep(5000);
    }
}

void TKorvexToolWatcherThread::PostProgress(bool force) {
    // One step waits in the queue at most; a GUI thread that is busy gets
    // no pile of steps to catch up with.
    if (!force && progressPending_->exchange(true)) return;
    if (force) progressPending_->store(true);
    auto terminated = terminated_;
    auto pending = progressPending_;
    auto step = steps_.updateRunProgress;
    post_([terminated, pending, step] {
        pending->store(false);
        if (!terminated->load() && step) step();
    });
}

void TKorvexToolWatcherThread::Execute() {
    bool ended = false;
    while (!terminated_->load()) {
        if (extraWait_ && !progressPending_->load()) {
            const auto start = std::chrono::steady_clock::now();
            const bool due = extraWait_(sliceMs_);
            const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - start)
                                   .count();
            ended = WaitForEnd(due ? 0 : std::max(0, sliceMs_ - static_cast<int>(spent)));
        } else {
            ended = WaitForEnd(sliceMs_);
        }
        if (ended || terminated_->load()) break;
        PostProgress(false);
    }
    if (ended && !terminated_->load()) {
        PostProgress(true);
        auto terminated = terminated_;
        auto finish = steps_.finishRun;
        finishPosted_.store(true);
        post_([terminated, finish] {
            if (!terminated->load() && finish) finish();
        });
    }
    ended_.store(true);
}

} // namespace pem
