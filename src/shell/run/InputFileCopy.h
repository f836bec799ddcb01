#pragma once
// Copying one selected source into the input tree of a run, by the road its
// kind takes:
//  - a ".pdf" or ".doc" document (any letter case) is converted to text by
//    the package's converter "PDF2TXT" under the tool root, and the text is
//    prepared (re-flowed, term-marked, cleaned and wrapped, DocumentText.h);
//  - any other source, when the language re-flows or marks texts, is copied
//    and prepared the same way;
//  - everything else is copied block by block, counting its lines: a file
//    beginning with the UTF-16LE byte-order mark arrives as 8-bit text
//    without the mark, one whose first block holds no CR LF pair gets CR LF
//    line ends, any other arrives unchanged.
// Names are Windows-1252 text with "/" separators.
#include "DocumentText.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pem {

// What the block copy tells before each block it reads.
struct TCopyProgress {
    const std::string& source;
    std::uint64_t position; // bytes read so far
    std::uint64_t size;     // the source's size when the copy began
    bool longFile;          // more than 20 blocks: worth a caption per block
};

// Runs a program in a folder and waits until it ends; false when it could
// not be started.
using TRunAndWait = std::function<bool(const std::string& program, const std::vector<std::string>& params,
                                       const std::string& workingDir)>;

struct TInputCopyOptions {
    // FileCopy.SystemIOBuffSize. Below 1 the default of 200000 holds; a
    // block holds at least the two bytes of a byte-order mark and at most
    // kMaxCopyBlock bytes.
    long long bufferSize = 200000;
    // Lines are counted and nothing is written: every target stays empty.
    bool countLinesOnly = false;
    // The language's "TextTags" switch: texts are re-flowed into sentences.
    bool textTags = false;
    // The language's dictionary when it has one: texts are term-marked.
    const TDocumentDictionary* dictionary = nullptr;
    // The ticked control words; none when null.
    const TControlWordList* controlWords = nullptr;
    // The tool root, under which the converter is looked for.
    std::string toolRoot;
    // Runs the converter; ToolStart's RunAndWait when empty.
    TRunAndWait runAndWait;
    // Called before each block of a block copy: the place to process pending
    // events and ask about a stop request. False stops the copy, which then
    // returns false; the callback may also raise (the silent abort) to end
    // the whole preparation.
    std::function<bool(const TCopyProgress&)> beforeBlock;
    // Receives "Odd number of quotes in the document" from the term marking.
    std::function<void(const std::string&)> showError;
};

// The largest block the copy reads at once, whatever the setting says.
inline constexpr long long kMaxCopyBlock = 64ll << 20;

class TInputFileCopier {
public:
    explicit TInputFileCopier(TInputCopyOptions options);

    // Copies source to target by its road. True when the copy was made, false
    // when beforeBlock stopped it. Raises EFileError when a file cannot be
    // opened, created, read or written, and Exception with
    //  - "Problem converting %s %s " (extension, source) when the converter
    //    could not be started,
    //  - "File %s %s was not converted to %s" (extension, source, target)
    //    when it left no text file.
    bool CopyInputFile(const std::string& source, const std::string& target);

    // The lines (LF characters) the block copies met, added up over every
    // copy of this copier.
    std::int64_t SourceLines() const { return lines_; }

    const TInputCopyOptions& Options() const { return options_; }

private:
    bool CopyBlocks(const std::string& source, const std::string& target);
    void ConvertDocument(const std::string& source, const std::string& target, const std::string& ext);
    void PrepareText(const std::string& target);

    TInputCopyOptions options_;
    std::size_t block_;
    std::vector<char> in_;
    std::string out_;
    std::int64_t lines_ = 0;
};

// The source's extension, in lower case, is ".pdf" or ".doc".
bool IsConvertedDocument(const std::string& source);

// The converter under the tool root: "PDF2TXT.exe" or "PDF2TXT", letter case
// ignored; the path with ".exe" when neither exists (its start then fails).
std::string DocumentConverterPath(const std::string& toolRoot);

// "Building input structure, Processing bytes %d of %d of file %s".
std::string CopyProgressCaption(const TCopyProgress& progress);

// The sources bar during a block copy: the file's size as maximum (in units
// that fit the bar for files past 2 GiB), full at once for a short file,
// else following the bytes read.
struct TCopyBar {
    int max;
    int position;
};
TCopyBar CopyProgressBar(const TCopyProgress& progress);

} // namespace pem
