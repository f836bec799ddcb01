#pragma once
// A FIFO planted where the program expects a file. Opening a FIFO for
// reading waits for a writer, and for writing waits for a reader; a program
// that does so would hang the test. Should it wait, the FIFO's other ends
// are opened after a grace period (a reader that drains it and a writer that
// closes at once), so the program goes on and the test fails on what it did
// instead of hanging.
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pemtest {

class PlantedFifo {
public:
    explicit PlantedFifo(std::string path, std::chrono::milliseconds grace = std::chrono::seconds(3))
        : path_(std::move(path)) {
        made_ = ::mkfifo(path_.c_str(), 0600) == 0;
        if (made_) thread_ = std::thread([this, grace] { Watch(grace); });
    }
    ~PlantedFifo() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    PlantedFifo(const PlantedFifo&) = delete;
    PlantedFifo& operator=(const PlantedFifo&) = delete;

    bool Made() const { return made_; }
    // Whether the grace period ran out while the FIFO was planted: a program
    // that refuses the FIFO at once is done long before.
    bool Released() const { return released_; }
    // Whether the path still names a FIFO.
    bool StillAFifo() const {
        struct stat st {};
        return ::lstat(path_.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
    }

private:
    void Watch(std::chrono::milliseconds grace) {
        const auto until = std::chrono::steady_clock::now() + grace;
        while (!stop_ && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (stop_) return;
        released_ = true;
        // A reader frees a writer waiting in its open and drains what it
        // writes; with it held, a writer's open succeeds at once and frees a
        // reader, which reads the end of the file when that one is closed.
        // The writer comes again and again: the program may open the FIFO
        // more than once.
        const int reader = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (reader < 0) return;
        char buf[4096];
        while (!stop_) {
            while (::read(reader, buf, sizeof buf) > 0) {
            }
            const int writer = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0) ::close(writer);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::close(reader);
    }

    std::string path_;
    bool made_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> released_{false};
    std::thread thread_;
};

} // namespace pemtest
