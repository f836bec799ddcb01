#pragma once
// A program run with its standard input and output on pipes. A thread of
// its own drains the output continuously into a bounded buffer, so the
// program never waits for the shell's polling steps; the shell takes all
// that waits whenever it looks. Writes to the program's input never block:
// a program that never reads, or that closed its input, cannot hold the
// shell up.
#include "ProcessLauncher.h"

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace pem {

class TToolProcess {
public:
    // Default bound of the output buffer: when it is full the drain waits
    // for the next take, and the program for the drain.
    static constexpr std::size_t kDefaultBufferLimit = 32u << 20;

    // Starts the request with its input and output on pipes (the request's
    // own choice for them is replaced; its standard error stays as asked).
    // nullptr and the error number when the start failed (beforeSpawn: in
    // making the pipes, before the program was started).
    static std::unique_ptr<TToolProcess> Start(TLaunchRequest request, int& error,
                                               std::size_t bufferLimit = kDefaultBufferLimit,
                                               bool* beforeSpawn = nullptr);
    ~TToolProcess();
    TToolProcess(const TToolProcess&) = delete;
    TToolProcess& operator=(const TToolProcess&) = delete;

    TChildProcess& Child() { return *child_; }

    // Appends everything that waits to out; returns the number of bytes.
    std::size_t Take(std::string& out);
    // Bytes waiting now.
    std::size_t Available() const;
    // The output pipe has ended (the program and every holder of its end
    // closed it) and nothing waits any more.
    bool Drained() const;
    // Waits at most ms milliseconds for output to wait, or the output to
    // end; true when either is so.
    bool WaitForOutput(int ms) const;
    // Waits at most ms milliseconds for the buffer to fill to half its bound,
    // or the output to end; true when either is so. A watcher that takes the
    // output in steps waits with this, so a fast tool is never held up by
    // the length of a step.
    bool WaitForBacklog(int ms) const;

    // Writes without blocking: the bytes the pipe takes now (0 when it is
    // full). A closed reader (EPIPE) closes our end and counts as 0; every
    // later write is 0 as well. -1 with errno for any other failure.
    long WriteInput(std::string_view data);
    bool InputClosed() const { return inFd_ < 0; }
    void CloseInput();

private:
    TToolProcess() = default;
    void Drain();

    std::unique_ptr<TChildProcess> child_;
    int inFd_ = -1;
    int outFd_ = -1;
    int wakeFd_ = -1; // eventfd: asks the drain to stop
    std::size_t limit_ = kDefaultBufferLimit;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::string buffer_;
    bool ended_ = false;
    bool stopping_ = false;
    std::thread drain_;
};

} // namespace pem
