#pragma once
// A file descriptor that is closed when its holder goes.
#include <unistd.h>

namespace pem {

class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd = -1) : fd_(fd) {}
    ~TFileDescriptor() { Close(); }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    // Gives the descriptor up without closing it.
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now. The close's own result: a delayed write error shows here.
    bool Close() {
        if (fd_ < 0) return true;
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

private:
    int fd_;
};

} // namespace pem
