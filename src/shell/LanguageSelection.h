#pragma once
// What a language radio button stands for, read from the product INI lines:
// its definition line, its feature switches (".Extras") and their companion
// lines, the defaults of the file pick frames, and the limits grid's rows.
// No widgets here; the main window applies the results.
#include "ProductIni.h"
#include "StringList.h"

#include <string>
#include <vector>

namespace pem {

// "<button>=display name, code, folder code, count, version, version ..."
struct TLanguageDefinition {
    std::string ButtonName;
    std::string DisplayName;
    std::string Code;
    std::string FolderCode; // the code when the line leaves it empty
    int VersionCount = 0;   // as written (0 when not a number)
    // The versions the line really holds, at most VersionCount of them.
    std::vector<std::string> Versions;
    // The first version name when the line has one, else "".
    std::string Version;
};

// False when the value is empty.
bool ParseLanguageDefinition(const std::string& buttonName, const std::string& value, TLanguageDefinition& def);

// The feature switches of one language with their defaults. A value that is
// not a valid boolean / number keeps the default and adds a problem.
struct TLanguageExtras {
    int DirDepth = 2;
    bool Analpar = true, Rules = true, MaxValues = true, Metrics = true, Specs = true, Functab = true;
    std::string Procpgm;
    bool Transf = false, Scan = false, ObjectsEdit = false;
    std::string ScanProg, Brasket, Wolmira, Tendrup;
    bool TextTags = false;
    std::string DictionaryFiles, TstDesignProg, TstSpecTemplate, SearchProg;
    bool Extras = true, Comments = true, Audit = true, Redoc = false, Calc = false, Exports = true;
    bool InstruPar = false, Repo_Tab = false, Create_PIF = false, HarnoxPost = false;
    std::string ExtraScreen;
    bool Ranking = true;
};
TLanguageExtras ReadLanguageExtras(const TStringList& lines, const std::string& code,
                                   std::vector<TIniProblem>& problems);

// The companion lines of a language, kept as written. Filters, SubProcessors
// and DummyNames serve the source-file list.
struct TLanguageCompanions {
    std::string Filters, SubProcessors, DummyNames, SearchKeys, Captions;
};
TLanguageCompanions ReadLanguageCompanions(const TStringList& lines, const std::string& code);

// The codes a group of sub-processors stands for ("<code>.SubProcessors",
// "(name=code, ...)": the part after each item's first "="). Each listed code
// is a language of its own whose filter is built without going through a
// group again; an item that names the group itself would make that building
// endless, so it is left out and reported in loops.
std::vector<std::string> SubProcessorCodes(const TStringList& lines, const std::string& code,
                                           std::vector<std::string>* loops = nullptr);

// ".Captions": "(ActName=value, ...)" as name=value lines: the text between
// the parentheses trimmed, every "," a line break, every '"' removed.
TStringList CaptionOverrides(const std::string& value);

// ".SearchKeys": the names of its comma list; "Program=PROG" when empty.
TStringList SearchKeyNames(const std::string& value);
// The value behind a name of that list (names compared ignoring case); ""
// for a name it does not hold.
std::string SearchKeyValue(const std::string& value, const std::string& name);

// The word scanner's object types: "<code>.WordScan.ObjectTypes", else
// "WordScan.ObjectTypes", else the built-in list; "????" appended when
// missing.
TStringList WordScanObjectTypes(const TStringList& lines, const std::string& code);

// ---- pick-frame defaults

struct TPickDefaults {
    std::string EditorGeneral, Limits, Rules, Metrics, Functab, Specs, Pemaris, Transform, WordScanner,
        TestDesigner, TstSpecTemplate, Search;
};
struct TPickContext {
    std::string toolRoot;     // without trailing "/"
    std::string code;         // active language code
    std::string shortTool;    // the product's ShortToolName
    std::string version;      // language version ("" none)
    std::string iniPath;      // the product INI file
    bool iniBesideProgram = false;
};
// Parameter files and tools are resolved ignoring letter case: the default
// is the name of the file that exists, else the name as composed. For
// parameter files a file with the language version as extension wins.
TPickDefaults ComputePickDefaults(const TPickContext& ctx, const TLanguageExtras& extras);

// A program path from a switch: unchanged when absolute, else under the root.
std::string PlaceUnderRoot(const std::string& toolRoot, const std::string& path);

// ---- limits grid

struct TNumParamRow {
    std::string caption; // value part before the first ","
    std::string value;   // after it
    std::string name;
};
// Rows of the limits grid from limits lines: comment lines (";") and lines
// with an empty value are skipped; a row without a value part is dropped.
std::vector<TNumParamRow> NumParamRows(const TStringList& lines);
// The cell check: trimmed; more than six characters raises Exception
// "Max six digits are allowed!"; otherwise an integer (EConvertError for
// other text) returned in decimal.
std::string CheckNumParamText(const std::string& text);

// The message for the parameter files that could not be opened: exactly
// "Limits" gives the information (isInfo), other sets the warning, none "".
std::string ParameterFilesMessage(const std::vector<std::string>& failed, bool& isInfo);

} // namespace pem
