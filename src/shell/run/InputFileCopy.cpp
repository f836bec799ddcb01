#include "InputFileCopy.h"

#include "BaseFileUtils.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "Exceptions.h"
#include "FileDescriptor.h"
#include "SafeFiles.h"
#include "ToolStart.h"

#include <limits>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

namespace {

constexpr long long kDefaultBlock = 200000;

// Reads up to n bytes, fewer only at the end of the file; -1 on an error.
ssize_t ReadFull(int fd, char* buf, size_t n) {
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, buf + got, n - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (r == 0) break;
        got += static_cast<size_t>(r);
    }
    return static_cast<ssize_t>(got);
}

std::int64_t CountLineFeeds(const char* p, size_t n) {
    std::int64_t count = 0;
    const char* end = p + n;
    while (p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (!lf) break;
        ++count;
        p = static_cast<const char*>(lf) + 1;
    }
    return count;
}

// LF-only lines to CR LF. prev is the byte before the block (the previous
// block's last one), so that a CR LF pair split between two blocks, or one in
// a file whose first block had none, is not given a second CR.
void LineFeedsToCrLf(const char* p, size_t n, char& prev, std::string& out) {
    out.clear();
    const char* end = p + n;
    while (p < end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        if (!lf) {
            out.append(p, end);
            break;
        }
        out.append(p, lf);
        const char before = lf > p ? lf[-1] : prev;
        if (before != '\r') out += '\r';
        out += '\n';
        p = lf + 1;
    }
    if (n > 0) prev = end[-1];
}

std::string LowerExtension(const std::string& fileName) { return AnsiLowerCase(ExtractFileExt(fileName)); }

// The input tree's files are the output directory's own: a link in their
// place is replaced, never followed.
void CopyIntoTree(const std::string& source, const std::string& target) {
    CopyToOwnFile(Cp1252ToUtf8(source), Cp1252ToUtf8(target), source, target);
}

} // namespace

bool IsConvertedDocument(const std::string& source) {
    const std::string ext = LowerExtension(source);
    return ext == ".pdf" || ext == ".doc";
}

std::string DocumentConverterPath(const std::string& toolRoot) {
    const std::string root = IncludeTrailingSeparator(toolRoot, '/');
    for (const char* name : {"PDF2TXT.exe", "PDF2TXT"}) {
        const std::string found = FindFileIgnoringCase(root + name);
        if (!found.empty()) return found;
    }
    return root + "PDF2TXT.exe";
}

std::string CopyProgressCaption(const TCopyProgress& progress) {
    return "Building input structure, Processing bytes " + std::to_string(progress.position) + " of " +
           std::to_string(progress.size) + " of file " + progress.source;
}

TCopyBar CopyProgressBar(const TCopyProgress& progress) {
    int shift = 0;
    while ((progress.size >> shift) > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) ++shift;
    const int max = static_cast<int>(progress.size >> shift);
    const auto position = std::min(progress.position, progress.size);
    return {max, progress.longFile ? static_cast<int>(position >> shift) : max};
}

TInputFileCopier::TInputFileCopier(TInputCopyOptions options) : options_(std::move(options)) {
    long long b = options_.bufferSize < 1 ? kDefaultBlock : options_.bufferSize;
    b = std::clamp<long long>(b, 2, kMaxCopyBlock);
    block_ = static_cast<std::size_t>(b);
    if (!options_.runAndWait) {
        options_.runAndWait = [](const std::string& program, const std::vector<std::string>& params,
                                 const std::string& dir) { return RunAndWait(program, params, dir); };
    }
}

bool TInputFileCopier::CopyInputFile(const std::string& source, const std::string& target) {
    if (IsConvertedDocument(source)) {
        ConvertDocument(source, target, LowerExtension(source));
        return true;
    }
    if (options_.dictionary || options_.textTags) {
        CopyIntoTree(source, target);
        PrepareText(target);
        return true;
    }
    return CopyBlocks(source, target);
}

void TInputFileCopier::ConvertDocument(const std::string& source, const std::string& target, const std::string& ext) {
    // The document goes beside the target under the target's name with the
    // source's extension; the converter writes the target itself, so that
    // the test for its text finds exactly the name the input tree holds.
    std::string document = ChangeFileExt(target, ExtractFileExt(source));
    if (document == target) document = target + ExtractFileExt(source);
    CopyIntoTree(source, document);
    // A text left by an earlier run must not pass for this conversion.
    ::unlink(Cp1252ToUtf8(target).c_str());
    const std::string folder = ExcludeTrailingSeparator(ExtractFilePath(target), '/');
    const std::vector<std::string> params = {ExtractFileName(document), ExtractFileName(target)};
    if (!options_.runAndWait(DocumentConverterPath(options_.toolRoot), params, folder.empty() ? "." : folder))
        throw Exception("Problem converting " + ext + " " + source + " ");
    if (!FileExists(target)) throw Exception("File " + ext + " " + source + " was not converted to " + target);
    CopyIntoTree(target, ChangeFileExt(target, ".raw"));
    ::unlink(Cp1252ToUtf8(document).c_str());
    PrepareText(target);
}

void TInputFileCopier::PrepareText(const std::string& target) {
    static const TControlWordList kNone;
    const TControlWordList& words = options_.controlWords ? *options_.controlWords : kNone;
    if (options_.textTags) SplitSentences(target, target, words);
    if (options_.dictionary) MarkDocumentTerms(target, target, words, *options_.dictionary, options_.showError);
    CleanAndWrapFile(target);
}

bool TInputFileCopier::CopyBlocks(const std::string& source, const std::string& target) {
    // Only a regular file is copied, and nothing waits for the writer of a
    // FIFO.
    TFileDescriptor in(OpenRegularFileOrRaise(Cp1252ToUtf8(source), source));
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) throw EFileError("Can not open file " + source);
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);

    // The copy in the input tree is the output directory's own file, written
    // in place: the next run writes it again.
    TFileDescriptor out(OpenOwnFileForWriting(Cp1252ToUtf8(target)));
    if (out.get() < 0)
        throw EFileError("Can not create file " + target + (errno == EINVAL ? ": not a regular file" : ""));

    const size_t block = static_cast<size_t>(std::min<std::uint64_t>(block_, std::max<std::uint64_t>(size, 2)));
    if (in_.size() < block) in_.resize(block);
    const bool longFile = size > 20 * static_cast<std::uint64_t>(block_);

    enum class TKind { Unknown, Utf16, LfOnly, Plain } kind = TKind::Unknown;
    TUtf16LeFolder folder;
    char prev = 0;
    std::uint64_t position = 0;
    for (;;) {
        // Once the size is read, only the end of the file is left to see.
        const bool atEnd = position > 0 && position >= size;
        if (options_.beforeBlock && !atEnd && !options_.beforeBlock(TCopyProgress{source, position, size, longFile}))
            return false;
        const ssize_t got = ReadFull(in.get(), in_.data(), block);
        if (got < 0) throw EFileError("Can not read file " + source);
        if (got == 0) break;
        const char* data = in_.data();
        size_t n = static_cast<size_t>(got);
        if (kind == TKind::Unknown) {
            if (n >= 2 && data[0] == '\xFF' && data[1] == '\xFE') {
                kind = TKind::Utf16;
                data += 2;
                n -= 2;
            } else {
                kind = ::memmem(data, n, "\r\n", 2) ? TKind::Plain : TKind::LfOnly;
            }
        }
        const char* write = data;
        size_t length = n;
        if (kind == TKind::Utf16) {
            out_.clear();
            folder.Fold(std::string_view(data, n), out_);
            write = out_.data();
            length = out_.size();
        } else if (kind == TKind::LfOnly && !options_.countLinesOnly) {
            LineFeedsToCrLf(data, n, prev, out_);
            write = out_.data();
            length = out_.size();
        }
        lines_ += CountLineFeeds(write, length);
        if (!options_.countLinesOnly && !WriteAll(out.get(), write, length))
            throw EFileError("Can not write file " + target);
        position += static_cast<std::uint64_t>(got);
    }
    if (!out.Close()) throw EFileError("Can not write file " + target);
    return true;
}

} // namespace pem
