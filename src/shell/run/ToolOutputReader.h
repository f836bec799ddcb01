#pragma once
// The console output of a piped tool run, taken in chunks cut anywhere:
// lines assembled (CR LF or a lone LF ends a line, a partial line is carried
// to the next chunk and given out when the run ends), counted by kind, kept
// whole for "Console.log" and as a bounded tail for the console memo, whose
// lines are cut at a fixed length. The reader works to a deadline: what it
// has not reached waits in order for the next turn.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace pem {

// Splits chunks into lines. A line given out holds at most kMaxLineBytes:
// the bytes past that are not kept, so a tool that never ends its line (a
// progress counter redrawn with lone CRs) costs bounded memory. Whoever
// needs every byte passes whole, which receives the text exactly as the
// lines read, each ended by LF, whatever their length.
class TLineAssembler {
public:
    static constexpr std::size_t kMaxLineBytes = 64 * 1024;

    // Appends every line the chunk completes to lines (without line ends,
    // cut at kMaxLineBytes); whole, when given, gets the chunk's text.
    void Feed(std::string_view chunk, std::vector<std::string>& lines, std::string* whole = nullptr);
    // The carried partial line, if any, as a last line; the assembler is
    // then empty. False when nothing was carried.
    bool Finish(std::string& line, std::string* whole = nullptr);
    bool HasPartial() const { return !head_.empty() || pendingCr_; }
    // The bytes held for the line not yet ended (at most kMaxLineBytes).
    std::size_t CarriedBytes() const { return head_.size(); }

private:
    void Text(std::string_view bytes, std::string* whole);
    void EndLine(std::vector<std::string>& lines, std::string* whole);

    std::string head_;       // the line not yet ended, up to the cut
    bool pendingCr_ = false; // the last chunk ended with a CR
};

// The progress marker a product's tools print once per source: "Orig Source
// File =" for product kinds 0, 1, 3 and 4, "Orig Text File =" for 5 and 6;
// other kinds count nothing. True when the line holds the kind's marker;
// after is the text after it.
bool MatchSourceMarker(int productKind, const std::string& line, std::string& after);

// Every line of a run, kept for "Console.log": in memory up to a bound, the
// rest spooled to a file in the process's private temporary folder. A
// thread of its own writes the spool, so the caller never waits for the
// disk (unless the disk falls far behind: what waits for it is bounded).
class TConsoleCapture {
public:
    TConsoleCapture() = default;
    ~TConsoleCapture();
    TConsoleCapture(const TConsoleCapture&) = delete;
    TConsoleCapture& operator=(const TConsoleCapture&) = delete;

    // Takes console text as the line assembler gives it whole (lines ended
    // by LF); linesEnded counts the line ends in it.
    void Append(std::string_view bytes, long linesEnded);
    void Clear();
    long LineCount() const { return lines_; }
    // Writes every line, each ended by LF. False when the file cannot be
    // written; the old file then stays as it was. between, when given, runs
    // after each block written (a caller on the GUI thread serves its
    // events there; the new file is not in place before the end).
    // Nothing may be appended while the save runs, between included: the
    // save walks the text and reads the spool, which an append would move
    // under it. The capture ends the program when that happens.
    bool SaveToFile(const std::string& fileName, const std::function<void()>& between = {});

private:
    bool Spool();
    void WriteSpool(); // the writer thread
    void StopWriter();
    // Waits until every piece handed to the writer is written, running
    // between in the meantime; false when a write failed.
    bool WaitWritten(const std::function<void()>& between);
    bool WriteTo(const std::string& path, const std::function<void()>& between);
    std::string text_;
    long lines_ = 0;
    std::FILE* spool_ = nullptr;
    std::string spoolName_;
    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> queue_; // pieces for the writer, in order
    std::vector<std::string> spare_; // written pieces, kept for their memory
    std::size_t queuedBytes_ = 0;
    bool writing_ = false;
    bool stop_ = false;
    bool failed_ = false;
    bool saving_ = false; // SaveToFile runs
};

// One step's worth of what the reader saw.
struct TOutputStep {
    long lines = 0;             // complete lines given out
    int counted = 0;            // of them, lines with the source marker
    std::string lastCountedText; // text after the marker of the last one
};

class TToolOutputReader {
public:
    static constexpr std::size_t kDefaultTail = 10000;
    explicit TToolOutputReader(int productKind, std::size_t tailLimit = kDefaultTail);

    using TClock = std::chrono::steady_clock;

    void Reset();
    // Takes a chunk of output and works through everything that waits; the
    // step counts what it completed.
    TOutputStep Feed(std::string_view chunk);
    // Takes a chunk of output behind what waits, without working on it (it
    // is kept as it is, not copied). An empty chunk only lends its memory to
    // TakeSpare.
    void Queue(std::string&& chunk);
    // An empty string to receive the next chunk in: the memory of a chunk
    // already worked through, when there is one, so that a flood's chunks
    // reuse memory that is in use already rather than growing fresh strings.
    std::string TakeSpare();
    // Works through what waits, in order, until the deadline has passed
    // (at least one block, so every call gets on); the rest waits for the
    // next call. The step counts what this call completed.
    TOutputStep Work(TClock::time_point deadline);
    // Bytes taken and not yet worked on.
    std::size_t PendingBytes() const { return pendingBytes_; }
    // The run has ended: what waits is worked through and the carried
    // partial line becomes a line of its own.
    TOutputStep Finish();

    // The lines the memo has not yet received, at most the tail bound (older
    // ones are dropped: the memo keeps only a tail). replaced tells that
    // lines were dropped, so the memo should show exactly these.
    std::vector<std::string> TakeMemoLines(bool& replaced);
    // The lines TakeMemoLines would give now.
    std::size_t MemoLinesWaiting() const { return memo_.size(); }

    TConsoleCapture& Capture() { return capture_; }
    std::size_t TailLimit() const { return tailLimit_; }

private:
    void Line(std::string&& line, TOutputStep& step);
    void FeedNow(std::string_view chunk, TOutputStep& step);

    int kind_;
    std::size_t tailLimit_;
    TLineAssembler assembler_;
    TConsoleCapture capture_;
    std::deque<std::string> memo_;
    bool memoDropped_ = false;
    std::vector<std::string> scratch_;
    std::string whole_;
    void Spent(std::string&& chunk);

    // Chunks taken, in order; the first is worked on from pendingAt_.
    std::deque<std::string> pending_;
    std::size_t pendingAt_ = 0;
    std::size_t pendingBytes_ = 0;
    std::string spare_; // empty; the memory of a chunk worked through
};

} // namespace pem
