// The watcher of a tool run: what it posts to the GUI thread and when, that
// it never waits for the GUI thread, and that it leaves the tool alone.
#include "ProcessLauncher.h"
#include "ToolWatcher.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <gtest/gtest.h>
#include <mutex>
#include <signal.h>
#include <thread>

using namespace pem;
using namespace std::chrono_literals;

namespace {

// A GUI thread stand-in: posted calls wait in a queue until the test runs
// them, as a busy GUI thread would leave them.
struct PostedCalls {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<std::function<void()>> queue;

    TGuiPoster Poster() {
        return [this](std::function<void()> fn) {
            std::lock_guard<std::mutex> lock(mutex);
            queue.push_back(std::move(fn));
            posted.notify_all();
        };
    }
    size_t Waiting() {
        std::lock_guard<std::mutex> lock(mutex);
        return queue.size();
    }
    // Runs every waiting call; returns how many ran.
    int RunAll() {
        std::deque<std::function<void()>> now;
        {
            std::lock_guard<std::mutex> lock(mutex);
            now.swap(queue);
        }
        for (auto& fn : now) fn();
        return static_cast<int>(now.size());
    }
};

std::unique_ptr<TChildProcess> Sleeper(const char* seconds) {
    TLaunchRequest r;
    r.program = "/bin/sleep";
    r.args = {seconds};
    int error = 0;
    auto child = LaunchProcess(r, error);
    EXPECT_TRUE(child) << error;
    return child;
}

template <class Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

} // namespace

TEST(ToolWatcher, AtMostOneProgressStepWaitsWhileTheGuiIsBusy) {
    auto child = Sleeper("0.3");
    PostedCalls gui;
    int progress = 0, finished = 0;
    TKorvexToolWatcherThread watcher(child->PidFd(), child->Pid(), 5, gui.Poster(),
                                     {[&] { ++progress; }, [&] { ++finished; }});
    // Many slices pass while nothing is taken from the queue.
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(gui.Waiting(), 1u);
    ASSERT_TRUE(WaitUntil([&] { return watcher.Ended(); }));
    // One step left over from the run, the last step and the finishing.
    EXPECT_EQ(gui.Waiting(), 3u);
    EXPECT_EQ(gui.RunAll(), 3);
    EXPECT_EQ(progress, 2);
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(watcher.FinishPosted());
}

TEST(ToolWatcher, AToolThatEndsAtOnceIsFinishedOnce) {
    TLaunchRequest r;
    r.program = "/bin/true";
    int error = 0;
    auto child = LaunchProcess(r, error);
    ASSERT_TRUE(child);
    PostedCalls gui;
    int progress = 0, finished = 0;
    TKorvexToolWatcherThread watcher(child->PidFd(), child->Pid(), 500, gui.Poster(),
                                     {[&] { ++progress; }, [&] { ++finished; }});
    ASSERT_TRUE(WaitUntil([&] { return watcher.Ended(); }, 2s)) << "the end of the process was not seen at once";
    gui.RunAll();
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(progress, 1);
    EXPECT_TRUE(child->HasEnded());
}

TEST(ToolWatcher, TerminatingEndsTheWatchNotTheToolAndSilencesWaitingCalls) {
    auto child = Sleeper("30");
    PostedCalls gui;
    int calls = 0;
    {
        TKorvexToolWatcherThread watcher(child->PidFd(), child->Pid(), 10000, gui.Poster(),
                                         {[&] { ++calls; }, [&] { ++calls; }});
        const auto before = std::chrono::steady_clock::now();
        watcher.Terminate();
        ASSERT_TRUE(WaitUntil([&] { return watcher.Ended(); }, 2s)) << "a long slice held the watcher";
        EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
        EXPECT_FALSE(watcher.FinishPosted());
    }
    gui.RunAll();
    EXPECT_EQ(calls, 0);
    // The tool runs on.
    EXPECT_FALSE(child->HasEnded());
    ::kill(child->Pid(), SIGKILL);
    EXPECT_TRUE(child->WaitFor(5000));
}

TEST(ToolWatcher, ACallPostedBeforeTheWatcherWentDoesNothing) {
    auto child = Sleeper("0.05");
    PostedCalls gui;
    int calls = 0;
    {
        TKorvexToolWatcherThread watcher(child->PidFd(), child->Pid(), 5, gui.Poster(),
                                         {[&] { ++calls; }, [&] { ++calls; }});
        ASSERT_TRUE(WaitUntil([&] { return watcher.Ended(); }));
    }
    EXPECT_GE(gui.RunAll(), 2);
    EXPECT_EQ(calls, 0);
}

TEST(ToolWatcher, AnExtraWaitThatReportsOutputPostsAStepBeforeTheSliceIsOver) {
    auto child = Sleeper("30");
    PostedCalls gui;
    std::atomic<int> waits{0};
    int progress = 0;
    TKorvexToolWatcherThread watcher(child->PidFd(), child->Pid(), 10000, gui.Poster(), {[&] { ++progress; }, {}},
                                     [&](int) {
                                         ++waits;
                                         return true; // output waits at once
                                     });
    ASSERT_TRUE(WaitUntil([&] { return gui.Waiting() == 1; }, 2s));
    // With a step waiting, the watcher sleeps on the process instead of
    // spinning on the output.
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(waits.load(), 1);
    watcher.Terminate();
    ::kill(child->Pid(), SIGKILL);
    EXPECT_TRUE(child->WaitFor(5000));
}
