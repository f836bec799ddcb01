#pragma once
// The rules of the output-directory field, without widgets: what may be
// entered, the language folder forced below it, its normal form, and what
// dropping the job's names on it makes of it. Paths use "/" and are
// absolute when they begin with "/"; folder names compare case-sensitively.
#include <optional>
#include <string>
#include <vector>

namespace pem {

// The private drag type of the job's names dragged onto the field.
inline constexpr const char* kJobNamesMimeType = "application/x-pemaris-job-names";

enum class TOutputDirCheck { Ok, Empty, NotAbsolute };

TOutputDirCheck CheckOutputDirText(const std::string& text);
// "This field must not be empty", or the text refusing a relative path.
std::string OutputDirCheckMessage(TOutputDirCheck check);

// What the language folder depends on.
struct TOutputDirContext {
    std::string jobName;      // "" when there is none yet
    std::string languageCode; // the active language
    int productKind = 0;
    std::vector<std::string> installedLanguages; // codes of the installed languages
};

// The folder (with a trailing "/") the field must become because it names
// neither the job's folder nor the language's: for kind 6 first cut before
// the last whole folder of the other document language ("/GER/" for
// "ENG", "/ENG/" for "GER"), for kind 4 without a last folder that is an
// installed language, runs of "/" collapsed, then the language code added.
// "" when nothing is forced (also when no language is active).
std::string ForcedLanguageFolder(const std::string& text, const TOutputDirContext& ctx);

// Runs of "/" collapsed to one and a trailing "/" removed (the root stays).
std::string NormaliseOutputDir(const std::string& text);

// The work folder of an output directory; none (empty) without one, so that
// nothing is ever made or emptied in whatever folder the program runs in.
std::string WorkFolderOf(const std::string& outputDir);

// The field after the job's names were dropped on it: a last folder equal
// to the language code is cut off, and the job name is added unless the
// last folder is the job name already (nullopt: the field stays).
std::optional<std::string> DropJobNameOnOutputDir(const std::string& text, const std::string& languageCode,
                                                  const std::string& jobName);

} // namespace pem
