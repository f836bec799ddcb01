#include "ToolOutputReader.h"

#include "CharSet1252.h"
#include "Exceptions.h"
#include "SafeFiles.h"
#include "TempFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace pem {

// ------------------------------------------------------------ lines

void TLineAssembler::Text(std::string_view bytes, std::string* whole) {
    if (whole) whole->append(bytes);
    if (head_.size() < kMaxLineBytes) head_.append(bytes.substr(0, kMaxLineBytes - head_.size()));
}

void TLineAssembler::EndLine(std::vector<std::string>& lines, std::string* whole) {
    if (whole) *whole += '\n';
    lines.push_back(std::move(head_));
    head_.clear();
}

void TLineAssembler::Feed(std::string_view chunk, std::vector<std::string>& lines, std::string* whole) {
    size_t at = 0;
    if (pendingCr_ && !chunk.empty()) {
        pendingCr_ = false;
        if (chunk[0] == '\n') {
            EndLine(lines, whole);
            at = 1;
        } else {
            Text("\r", whole); // a lone CR belongs to the text
        }
    }
    while (at < chunk.size()) {
        const void* hit = std::memchr(chunk.data() + at, '\n', chunk.size() - at);
        if (!hit) break;
        const size_t nl = static_cast<size_t>(static_cast<const char*>(hit) - chunk.data());
        size_t end = nl;
        if (end > at && chunk[end - 1] == '\r') --end;
        Text(chunk.substr(at, end - at), whole);
        EndLine(lines, whole);
        at = nl + 1;
    }
    if (at < chunk.size()) {
        size_t end = chunk.size();
        if (chunk[end - 1] == '\r') {
            pendingCr_ = true; // may be the first half of a CR LF
            --end;
        }
        Text(chunk.substr(at, end - at), whole);
    }
}

bool TLineAssembler::Finish(std::string& line, std::string* whole) {
    const bool had = !head_.empty();
    if (had && whole) *whole += '\n';
    line = std::move(head_);
    head_.clear();
    pendingCr_ = false;
    return had;
}

bool MatchSourceMarker(int productKind, const std::string& line, std::string& after) {
    const char* marker = nullptr;
    switch (productKind) {
    case 0: case 1: case 3: case 4: marker = "Orig Source File ="; break;
    case 5: case 6: marker = "Orig Text File ="; break;
    default: return false;
    }
    const size_t at = line.find(marker);
    if (at == std::string::npos) return false;
    after = line.substr(at + std::strlen(marker));
    return true;
}

// ----------------------------------------------------------- capture

namespace {
constexpr size_t kCaptureInMemory = 8u << 20;
constexpr size_t kSpoolPiece = 1u << 20;
// What may wait for the spool's writer; beyond it the capture waits.
constexpr size_t kSpoolQueueBound = 64u << 20;
}

TConsoleCapture::~TConsoleCapture() { Clear(); }

void TConsoleCapture::Append(std::string_view bytes, long linesEnded) {
    if (saving_) {
        std::fputs("TConsoleCapture: console text appended while the log is saved\n", stderr);
        std::abort();
    }
    text_ += bytes;
    lines_ += linesEnded;
    // Once the capture has outgrown memory it goes to the spool in small
    // pieces, so that no one write waits long for the disk.
    if (text_.size() >= (spool_ ? kSpoolPiece : kCaptureInMemory)) Spool();
}

bool TConsoleCapture::Spool() {
    if (!spool_) {
        spoolName_ = PrivateTempDir() + "/console-XXXXXX";
        const int fd = ::mkstemp(spoolName_.data());
        if (fd < 0) return false; // keeps everything in memory instead
        // Unnamed at once: the open file serves the run, and nothing is left
        // in the folder whatever way the program or the run ends.
        ::unlink(spoolName_.c_str());
        spool_ = ::fdopen(fd, "w+b");
        if (!spool_) {
            ::close(fd);
            return false;
        }
        stop_ = failed_ = false;
        writer_ = std::thread([this] { WriteSpool(); });
    }
    // The capture goes on in a piece the writer has done with: memory that
    // is in use already, not fresh pages for every piece.
    std::string next;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return queuedBytes_ < kSpoolQueueBound || failed_; });
        queuedBytes_ += text_.size();
        queue_.push_back(std::move(text_));
        if (!spare_.empty()) {
            next = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    changed_.notify_all();
    text_ = std::move(next);
    text_.clear();
    text_.reserve(2 * kSpoolPiece);
    return true;
}

void TConsoleCapture::WriteSpool() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        std::string piece = std::move(queue_.front());
        queue_.pop_front();
        writing_ = true;
        lock.unlock();
        // After a failed write the rest is dropped unwritten: the spool is
        // lost either way.
        const bool lost = failed_ || std::fwrite(piece.data(), 1, piece.size(), spool_) != piece.size();
        lock.lock();
        writing_ = false;
        queuedBytes_ -= piece.size();
        if (lost) failed_ = true;
        if (spare_.size() < 4) spare_.push_back(std::move(piece));
        changed_.notify_all();
    }
}

void TConsoleCapture::StopWriter() {
    if (!writer_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    writer_.join();
    queue_.clear();
    spare_.clear();
    queuedBytes_ = 0;
    stop_ = false;
}

bool TConsoleCapture::WaitWritten(const std::function<void()>& between) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!queue_.empty() || writing_) {
        changed_.wait_for(lock, std::chrono::milliseconds(10));
        if (between) {
            lock.unlock();
            between();
            lock.lock();
        }
    }
    return !failed_;
}

void TConsoleCapture::Clear() {
    StopWriter();
    text_.clear();
    lines_ = 0;
    failed_ = false;
    if (spool_) {
        std::fclose(spool_);
        spool_ = nullptr;
    }
}

bool TConsoleCapture::SaveToFile(const std::string& fileName, const std::function<void()>& between) {
    // The log is the output directory's own file: replaced in one step, and a
    // link in its place is replaced rather than written through.
    saving_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{saving_};
    try {
        ReplaceOwnFileAtomically(
            Cp1252ToUtf8(fileName),
            [this, &between](const std::string& temp) {
                if (!WriteTo(temp, between)) throw EFileError("Can not write file " + temp);
            },
            fileName);
    } catch (const EFileError&) {
        return false;
    }
    return true;
}

namespace {
constexpr size_t kSaveBlock = 1u << 20;


// The disk gets each block as soon as it is written, and the block written
// two blocks before it is waited for: no step waits for more than a block
// or two, and the sync before the file replaces the old one has little left
// to do.
// Advisory: where it is not supported, that sync does all the work.
void PushToDisk(int fd, off_t end, off_t block) {
    ::sync_file_range(fd, end - block, block, SYNC_FILE_RANGE_WRITE);
    if (end >= 3 * block)
        ::sync_file_range(fd, end - 3 * block, block,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
}
} // namespace

bool TConsoleCapture::WriteTo(const std::string& path, const std::function<void()>& between) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = !spool_ || WaitWritten(between);
    off_t written = 0;
    auto put = [&](const char* p, size_t n) {
        ok = ok && WriteAll(fd, p, n);
        if (!ok) return;
        written += static_cast<off_t>(n);
        PushToDisk(fd, written, static_cast<off_t>(n));
        if (between) between();
    };
    if (spool_) {
        std::fflush(spool_);
        std::rewind(spool_);
        std::string buf(kSaveBlock, '\0');
        size_t n;
        while (ok && (n = std::fread(buf.data(), 1, buf.size(), spool_)) > 0) put(buf.data(), n);
        std::fseek(spool_, 0, SEEK_END);
    }
    for (size_t at = 0; ok && at < text_.size(); at += kSaveBlock)
        put(text_.data() + at, std::min(kSaveBlock, text_.size() - at));
    return ::close(fd) == 0 && ok;
}

// ------------------------------------------------------------ reader

TToolOutputReader::TToolOutputReader(int productKind, std::size_t tailLimit)
    : kind_(productKind), tailLimit_(tailLimit ? tailLimit : kDefaultTail) {}

void TToolOutputReader::Reset() {
    assembler_ = TLineAssembler();
    pending_.clear();
    pendingAt_ = 0;
    pendingBytes_ = 0;
    capture_.Clear();
    memo_.clear();
    memoDropped_ = false;
}

void TToolOutputReader::Line(std::string&& line, TOutputStep& step) {
    ++step.lines;
    std::string after;
    if (MatchSourceMarker(kind_, line, after)) {
        ++step.counted;
        step.lastCountedText = std::move(after);
    }
    memo_.push_back(std::move(line));
    if (memo_.size() > tailLimit_) {
        memo_.pop_front();
        memoDropped_ = true;
    }
}

void TToolOutputReader::FeedNow(std::string_view chunk, TOutputStep& step) {
    scratch_.clear();
    whole_.clear();
    assembler_.Feed(chunk, scratch_, &whole_);
    capture_.Append(whole_, static_cast<long>(scratch_.size()));
    whole_.clear();
    for (std::string& line : scratch_) Line(std::move(line), step);
    scratch_.clear();
}

TOutputStep TToolOutputReader::Feed(std::string_view chunk) {
    if (PendingBytes() == 0) {
        TOutputStep step;
        FeedNow(chunk, step);
        return step;
    }
    Queue(std::string(chunk));
    return Work(TClock::time_point::max());
}

void TToolOutputReader::Queue(std::string&& chunk) {
    if (chunk.empty()) {
        Spent(std::move(chunk));
        return;
    }
    pendingBytes_ += chunk.size();
    pending_.push_back(std::move(chunk));
}

void TToolOutputReader::Spent(std::string&& chunk) {
    if (chunk.capacity() <= spare_.capacity()) return;
    chunk.clear();
    spare_ = std::move(chunk);
}

std::string TToolOutputReader::TakeSpare() {
    std::string out = std::move(spare_);
    out.clear();
    spare_ = std::string();
    return out;
}

namespace {
// The block worked on between two looks at the clock: small enough that a
// deadline is kept to well under a millisecond or two.
constexpr size_t kWorkBlock = 64u << 10;
} // namespace

TOutputStep TToolOutputReader::Work(TClock::time_point deadline) {
    TOutputStep step;
    while (!pending_.empty()) {
        const std::string& front = pending_.front();
        const size_t n = std::min(kWorkBlock, front.size() - pendingAt_);
        FeedNow(std::string_view(front).substr(pendingAt_, n), step);
        pendingAt_ += n;
        pendingBytes_ -= n;
        if (pendingAt_ == front.size()) {
            Spent(std::move(pending_.front()));
            pending_.pop_front();
            pendingAt_ = 0;
        }
        if (TClock::now() >= deadline) break;
    }
    return step;
}

TOutputStep TToolOutputReader::Finish() {
    TOutputStep step = Work(TClock::time_point::max());
    std::string last;
    std::string whole;
    if (assembler_.Finish(last, &whole)) {
        capture_.Append(whole, 1);
        Line(std::move(last), step);
    }
    return step;
}

std::vector<std::string> TToolOutputReader::TakeMemoLines(bool& replaced) {
    replaced = memoDropped_;
    memoDropped_ = false;
    std::vector<std::string> out(std::make_move_iterator(memo_.begin()), std::make_move_iterator(memo_.end()));
    memo_.clear();
    return out;
}

} // namespace pem
