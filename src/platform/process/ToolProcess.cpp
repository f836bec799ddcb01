#include "ToolProcess.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace pem {

std::unique_ptr<TToolProcess> TToolProcess::Start(TLaunchRequest request, int& error, std::size_t bufferLimit,
                                                  bool* beforeSpawn) {
    request.in = TStdStream::Pipe;
    request.out = TStdStream::Pipe;
    if (request.err == TStdStream::Pipe) request.err = TStdStream::Inherit;
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        error = errno;
        if (beforeSpawn) *beforeSpawn = true;
        return nullptr;
    }
    auto child = LaunchProcess(request, error, beforeSpawn);
    if (!child) {
        ::close(wake);
        return nullptr;
    }
    std::unique_ptr<TToolProcess> p(new TToolProcess);
    p->wakeFd_ = wake;
    p->child_ = std::move(child);
    p->inFd_ = p->child_->TakeStdinFd();
    p->outFd_ = p->child_->TakeStdoutFd();
    p->limit_ = bufferLimit ? bufferLimit : kDefaultBufferLimit;
    ::fcntl(p->inFd_, F_SETFL, ::fcntl(p->inFd_, F_GETFL) | O_NONBLOCK);
    // A roomier pipe lets a fast tool run on while the drain is busy.
    ::fcntl(p->outFd_, F_SETPIPE_SZ, 1 << 20);
    p->drain_ = std::thread([raw = p.get()] { raw->Drain(); });
    return p;
}

TToolProcess::~TToolProcess() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(wakeFd_, &one, sizeof one);
    }
    if (drain_.joinable()) drain_.join();
    CloseInput();
    if (outFd_ >= 0) ::close(outFd_);
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void TToolProcess::Drain() {
    std::string chunk(256 * 1024, '\0');
    for (;;) {
        pollfd fds[2] = {{outFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int r = ::poll(fds, 2, -1);
        if (r < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) break;
        if (!fds[0].revents) continue;
        const ssize_t n = ::read(outFd_, chunk.data(), chunk.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stopping_ || buffer_.size() < limit_; });
        if (stopping_) break;
        buffer_.append(chunk.data(), static_cast<std::size_t>(n));
        lock.unlock();
        changed_.notify_all();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

std::size_t TToolProcess::Take(std::string& out) {
    std::size_t n;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        n = buffer_.size();
        if (out.empty()) out.swap(buffer_);
        else out.append(buffer_);
        buffer_.clear();
    }
    if (n) changed_.notify_all();
    return n;
}

std::size_t TToolProcess::Available() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return buffer_.size();
}

bool TToolProcess::Drained() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_ && buffer_.empty();
}

bool TToolProcess::WaitForOutput(int ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms < 0 ? 0 : ms),
                             [&] { return ended_ || !buffer_.empty(); });
}

bool TToolProcess::WaitForBacklog(int ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms < 0 ? 0 : ms),
                             [&] { return ended_ || buffer_.size() >= limit_ / 2; });
}

long TToolProcess::WriteInput(std::string_view data) {
    if (inFd_ < 0) return 0;
    const ssize_t n = ::write(inFd_, data.data(), data.size());
    if (n >= 0) return static_cast<long>(n);
    if (errno == EAGAIN || errno == EINTR) return 0;
    if (errno == EPIPE) {
        CloseInput();
        return 0;
    }
    return -1;
}

void TToolProcess::CloseInput() {
    if (inFd_ >= 0) ::close(inFd_);
    inFd_ = -1;
}

} // namespace pem
