// The piped run's output: lines assembled from chunks cut anywhere, counted
// by kind, kept whole for "Console.log" and as a bounded tail for the memo.
#include "TempFiles.h"
#include "TestSupport.h"
#include "ToolOutputReader.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;

namespace {

std::vector<std::string> Assemble(const std::vector<std::string>& chunks, std::string* last = nullptr) {
    TLineAssembler a;
    std::vector<std::string> lines;
    for (const auto& c : chunks) a.Feed(c, lines);
    std::string tail;
    if (a.Finish(tail) && last) *last = tail;
    return lines;
}

} // namespace

TEST(LineAssembler, Chunks) {
    using V = std::vector<std::string>;
    const struct {
        const char* what;
        V chunks;
        V lines;
        const char* finish; // the carried line given out at the end
    } cases[] = {
        {"CR LF", {"a\r\nb\r\n"}, {"a", "b"}, ""},
        {"LF only", {"a\nb\n"}, {"a", "b"}, ""},
        {"CR at a chunk end", {"a\r", "\nb\r", "\n"}, {"a", "b"}, ""},
        {"a lone CR stays text", {"50%\r100%\n"}, {"50%\r100%"}, ""},
        {"a lone CR at a chunk end stays text", {"a\r", "b\n"}, {"a\rb"}, ""},
        {"no final line end", {"a\nlast"}, {"a"}, "last"},
        {"carried line completed by the next chunk", {"Orig Sou", "rce File = x", "\r\ny\r\n"},
         {"Orig Source File = x", "y"}, ""},
        {"data beginning with CR LF shows the carried line alone", {"part", "\r\nnext\n"}, {"part", "next"}, ""},
        {"empty lines", {"\r\n\n\r\n"}, {"", "", ""}, ""},
        {"nothing", {""}, {}, ""},
    };
    for (const auto& c : cases) {
        std::string last;
        EXPECT_EQ(Assemble(c.chunks, &last), c.lines) << c.what;
        EXPECT_EQ(last, c.finish) << c.what;
    }
}

TEST(LineAssembler, ALineCutAtAnyPlaceArrivesOnceAndWhole) {
    const std::string text = "one\r\nOrig Source File = a/b.cbl\r\nthree\n";
    for (size_t cut1 = 0; cut1 <= text.size(); ++cut1)
        for (size_t cut2 = cut1; cut2 <= text.size(); ++cut2) {
            const auto lines = Assemble({text.substr(0, cut1), text.substr(cut1, cut2 - cut1), text.substr(cut2)});
            ASSERT_EQ(lines, (std::vector<std::string>{"one", "Orig Source File = a/b.cbl", "three"}))
                << cut1 << " " << cut2;
        }
}

// A progress counter redrawn with lone CRs and never ended: 16 MB fed in
// pieces. The assembler holds no more than the cut, the line it gives out is
// the line's first kMaxLineBytes (lone CRs kept as text), and the whole text
// still passes through, piece by piece.
TEST(LineAssembler, ALineWithoutEndIsCutAndItsCarriedPartStaysBounded) {
    constexpr size_t kMax = TLineAssembler::kMaxLineBytes;
    std::string counter; // every piece ends with a CR, the first half of a possible CR LF
    for (int i = 0; counter.size() < kMax + 5000; ++i) counter += std::to_string(i) + "%\r";
    const size_t pieces = (16u << 20) / counter.size() + 1;
    const std::string held = counter.substr(0, counter.size() - 1);
    TLineAssembler a;
    std::vector<std::string> lines;
    std::string whole;
    size_t maxCarried = 0;
    for (size_t i = 0; i < pieces; ++i) {
        a.Feed(counter, lines, &whole);
        maxCarried = std::max(maxCarried, a.CarriedBytes());
        ASSERT_EQ(whole, (i ? "\r" : "") + held) << i;
        whole.clear();
    }
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(maxCarried, kMax);
    std::string last;
    ASSERT_TRUE(a.Finish(last, &whole));
    EXPECT_EQ(whole, "\n");
    EXPECT_EQ(last, counter.substr(0, kMax));
    EXPECT_EQ(a.CarriedBytes(), 0u);
    EXPECT_FALSE(a.HasPartial());
}

// Lines around the cut: the line end is found wherever the chunks fall, a
// longer line gives out its head, the next line starts whole, and the whole
// text is the lines as they were written, each ended by LF.
TEST(LineAssembler, LinesAroundTheCut) {
    constexpr size_t kMax = TLineAssembler::kMaxLineBytes;
    const std::string exact(kMax, 'x');
    const std::string longer = exact + "yz";
    using V = std::vector<std::string>;
    const struct {
        const char* what;
        V chunks;
        V lines;
        std::string whole;
    } cases[] = {
        {"in one chunk", {exact + "\r\n" + longer + "\r\nnext\n"}, {exact, exact, "next"},
         exact + "\n" + longer + "\nnext\n"},
        {"CR LF split at the cut", {exact, "\r", "\n" + longer.substr(0, kMax + 1), "z\r", "\nnext", "\n"},
         {exact, exact, "next"}, exact + "\n" + longer + "\nnext\n"},
        {"a lone CR past the cut", {longer + "\r", "1%\r2%\n"}, {exact}, longer + "\r1%\r2%\n"},
        {"byte by byte over the cut", {exact.substr(0, kMax - 1), "x", "y", "z\n", "next\n"}, {exact, "next"},
         longer + "\nnext\n"},
    };
    for (const auto& c : cases) {
        TLineAssembler a;
        V lines;
        std::string whole;
        for (const auto& chunk : c.chunks) {
            a.Feed(chunk, lines, &whole);
            EXPECT_LE(a.CarriedBytes(), kMax) << c.what;
        }
        std::string rest;
        EXPECT_FALSE(a.Finish(rest, &whole)) << c.what;
        EXPECT_EQ(lines, c.lines) << c.what;
        EXPECT_TRUE(whole == c.whole) << c.what;
    }
}

TEST(SourceMarker, CountsByProductKindAndShowsTheTextAfterTheMarkerThatMatched) {
    const struct {
        int kind;
        const char* line;
        bool counted;
        const char* after;
    } cases[] = {
        {0, "Orig Source File = src/a.cbl", true, " src/a.cbl"},
        {4, "  Orig Source File =b", true, "b"},
        {5, "Orig Text File = docs/req.txt", true, " docs/req.txt"},
        {6, "Orig Text File = x", true, " x"},
        {5, "Orig Source File = a.cbl", false, ""},
        {0, "Orig Text File = a.txt", false, ""},
        {2, "Orig Source File = a.cbl", false, ""},
        {7, "Orig Source File = a.cbl", false, ""},
        {8, "Orig Text File = a.txt", false, ""},
        {1, "orig source file = a.cbl", false, ""},
    };
    for (const auto& c : cases) {
        std::string after;
        EXPECT_EQ(MatchSourceMarker(c.kind, c.line, after), c.counted) << c.kind << " " << c.line;
        if (c.counted) EXPECT_EQ(after, c.after) << c.line;
    }
}

TEST(ToolOutputReader, CountsStepsAndKeepsEveryLineButOnlyATailForTheMemo) {
    pemtest::TempDir dir;
    TToolOutputReader reader(0, 10);
    std::string chunk;
    for (int i = 1; i <= 25; ++i)
        chunk += (i % 5 == 0 ? "Orig Source File = s" + std::to_string(i) : "line " + std::to_string(i)) + "\r\n";
    const TOutputStep step = reader.Feed(chunk + "tail without end");
    EXPECT_EQ(step.lines, 25);
    EXPECT_EQ(step.counted, 5);
    EXPECT_EQ(step.lastCountedText, " s25");

    bool replaced = false;
    auto memo = reader.TakeMemoLines(replaced);
    EXPECT_TRUE(replaced);
    ASSERT_EQ(memo.size(), 10u);
    EXPECT_EQ(memo.front(), "line 16");
    EXPECT_EQ(memo.back(), "Orig Source File = s25");

    // The carried line reaches the memo and the capture when the run ends.
    EXPECT_EQ(reader.Finish().lines, 1);
    memo = reader.TakeMemoLines(replaced);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(memo, std::vector<std::string>{"tail without end"});
    EXPECT_EQ(reader.Capture().LineCount(), 26);
    ASSERT_TRUE(reader.Capture().SaveToFile(dir / "Console.log"));
    const std::string saved = pemtest::ReadFile(dir / "Console.log");
    EXPECT_EQ(saved.substr(0, 14), "line 1\nline 2\n");
    EXPECT_TRUE(saved.ends_with("line 24\nOrig Source File = s25\ntail without end\n")) << saved;
}

TEST(ToolOutputReader, TheCaptureKeepsMoreThanItHoldsInMemory) {
    pemtest::TempDir dir;
    TToolOutputReader reader(0);
    std::string expected;
    std::string chunk;
    for (int i = 0; i < 700000; ++i) chunk += "output line number " + std::to_string(i) + "\n";
    reader.Feed(chunk);
    reader.Feed(chunk);
    expected = chunk + chunk;
    ASSERT_TRUE(reader.Capture().SaveToFile(dir / "Console.log"));
    EXPECT_EQ(reader.Capture().LineCount(), 1400000);
    EXPECT_TRUE(pemtest::ReadFile(dir / "Console.log") == expected);
    // The spool has no name in the private folder: a program that ends
    // without freeing the capture leaves nothing behind.
    for (const auto& e : std::filesystem::directory_iterator(PrivateTempDir()))
        EXPECT_NE(e.path().filename().string().rfind("console-", 0), 0u) << e.path();
}

// One 16 MB line without end among short ones: the memo gets its head, the
// capture every byte, and the line counts once.
TEST(ToolOutputReader, ALongLineIsCutForTheMemoButSavedWhole) {
    pemtest::TempDir dir;
    TToolOutputReader reader(0);
    std::string piece;
    for (int i = 0; piece.size() < 100000; ++i) piece += std::to_string(i) + "%\r";
    std::string expected = "before\n";
    reader.Feed("before\r\n");
    for (size_t fed = 0; fed < (16u << 20); fed += piece.size()) {
        reader.Feed(piece);
        expected += piece;
    }
    reader.Feed("\r\nafter");
    const TOutputStep end = reader.Finish();
    expected += "\nafter\n";
    EXPECT_EQ(end.lines, 1);
    bool replaced = false;
    const auto memo = reader.TakeMemoLines(replaced);
    ASSERT_EQ(memo.size(), 3u);
    EXPECT_EQ(memo[0], "before");
    EXPECT_TRUE(memo[1] == expected.substr(7, TLineAssembler::kMaxLineBytes));
    EXPECT_EQ(memo[2], "after");
    EXPECT_EQ(reader.Capture().LineCount(), 3);
    ASSERT_TRUE(reader.Capture().SaveToFile(dir / "Console.log"));
    EXPECT_TRUE(pemtest::ReadFile(dir / "Console.log") == expected);
}

// Work to a deadline that has passed gets through one block per call, the
// rest waiting; chunks queued behind it keep their order. Read that way, a
// flood with CR LF ends and lone CRs split at every block edge gives the
// same lines, counts, memo tail and log as one read of the whole.
TEST(ToolOutputReader, WorkToADeadlineLeavesTheRestWaitingInOrder) {
    pemtest::TempDir dir;
    std::string text;
    for (int i = 0; text.size() < (3u << 20); ++i)
        text += (i % 1000 == 0 ? "Orig Source File = s" : "line ") + std::to_string(i) + (i % 7 ? "\r\n" : "\r-\n");
    text += "no end";
    TToolOutputReader whole(0, 100), stepped(0, 100);
    const TOutputStep all = whole.Feed(text);
    whole.Finish();

    TOutputStep sum;
    const size_t half = text.size() / 2;
    stepped.Queue(text.substr(0, half));
    const auto past = TToolOutputReader::TClock::now() - std::chrono::seconds(1);
    int calls = 0;
    while (stepped.PendingBytes() > 0) {
        const size_t before = stepped.PendingBytes();
        const TOutputStep s = stepped.Work(past);
        ASSERT_LT(stepped.PendingBytes(), before);
        ASSERT_GT(stepped.PendingBytes() + (1u << 20), before) << "a passed deadline works one block";
        sum.lines += s.lines;
        sum.counted += s.counted;
        if (s.counted) sum.lastCountedText = s.lastCountedText;
        if (++calls == 3) { // behind what waits, in pieces, an empty one among them
            const size_t third = (text.size() - half) / 3;
            stepped.Queue(text.substr(half, third));
            stepped.Queue(std::string());
            stepped.Queue(text.substr(half + third, third));
            stepped.Queue(text.substr(half + 2 * third));
        }
    }
    EXPECT_GT(calls, 20);
    EXPECT_EQ(stepped.Finish().lines, 1);
    EXPECT_EQ(sum.lines, all.lines);
    EXPECT_EQ(sum.counted, all.counted);
    EXPECT_EQ(sum.lastCountedText, all.lastCountedText);
    bool r1 = false, r2 = false;
    EXPECT_EQ(stepped.TakeMemoLines(r1), whole.TakeMemoLines(r2));
    int blocks = 0;
    ASSERT_TRUE(stepped.Capture().SaveToFile(dir / "stepped.log", [&] { ++blocks; }));
    ASSERT_TRUE(whole.Capture().SaveToFile(dir / "whole.log"));
    EXPECT_GT(blocks, 2); // the save lets its caller serve events between blocks
    EXPECT_TRUE(pemtest::ReadFile(dir / "stepped.log") == pemtest::ReadFile(dir / "whole.log"));
}

// The chunk a flood is taken in is memory the reader has done with: once a
// chunk is worked through, the next take gets its memory (emptied), and an
// empty chunk handed back lends its room the same way. Nothing is handed
// out twice, and memory still waiting to be worked on is never handed out.
TEST(ToolOutputReader, AChunkWorkedThroughLendsItsMemoryToTheNextTake) {
    TToolOutputReader reader(0, 10);
    EXPECT_EQ(reader.TakeSpare().capacity(), std::string().capacity()) << "nothing worked through yet";

    std::string chunk(1u << 20, 'x');
    chunk.back() = '\n';
    const char* memory = chunk.data();
    reader.Queue(std::move(chunk));
    std::string waiting(1000, 'y');
    reader.Queue(std::move(waiting));
    const auto past = TToolOutputReader::TClock::now() - std::chrono::seconds(1);
    while (reader.PendingBytes() > 1000) reader.Work(past);
    std::string spare = reader.TakeSpare();
    EXPECT_TRUE(spare.empty());
    EXPECT_EQ(spare.data(), memory);
    EXPECT_EQ(reader.TakeSpare().capacity(), std::string().capacity()) << "handed out once only";
    EXPECT_EQ(reader.PendingBytes(), 1000u);

    std::string room;
    room.reserve(4u << 20);
    const char* roomMemory = room.data();
    reader.Queue(std::move(room));
    EXPECT_EQ(reader.PendingBytes(), 1000u);
    EXPECT_EQ(reader.TakeSpare().data(), roomMemory);
    reader.Finish();
    EXPECT_EQ(reader.Capture().LineCount(), 2);
}
