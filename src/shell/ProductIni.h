#pragma once
// The product INI text: name=value lines (names compared without regard to
// letter case, comments and other lines carried along untouched) that
// describe one installation. Everything here works on the lines alone; the
// main window holds them in its technical-parameters memo.
#include "ProductTable.h"
#include "StringList.h"

#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace pem {

// ---- reading the lines

// The value of the first line of that name; "" when there is none.
std::string IniValue(const TStringList& lines, const std::string& name);
// Sets the value of the first line of that name, or appends "name=value".
// Unlike TStringList::SetValue an empty value keeps the line.
void SetIniValue(TStringList& lines, const std::string& name, const std::string& value);

// A comma list as the INI file writes it: items split at ",", each trimmed of
// blanks, a double-quoted item taken without its quotes, empty items kept.
std::vector<std::string> SplitCommaList(const std::string& text);
// The text after the first "(" and before the last ")"; the text itself when
// it has no "(" (so a bare list reads the same).
std::string InsideParentheses(const std::string& text);

// ---- the settings the main window applies

struct TIniSettings {
    bool CompressedTree = false;
    bool AutoExpand = false;
    bool UseDOSBox = false; // as written; DOSBoxInUse is what the location routine found
    bool DOSBoxInUse = false;
    bool Blindrun = false;
    bool CaptureLog = false;
    bool SystemCaptureConsole = false;
    bool DebugMode = false;
    bool NameByDirectory = false;
    bool DeleteAfter = false;
    bool SystemDeleteAfterControl = false;
    bool RenameAfter = true;
    int BigDirectoryLimit = 50;
    int IOBuffSize = 200000;
    unsigned char FileViewStyle = 1;
};

// A value the installation cannot use: the key, its text and why.
struct TIniProblem {
    std::string key;
    std::string value;
    std::string reason;
    // "Installation error, invalid value in ini file: <key>=<value> (<reason>)"
    std::string Message() const;
};

struct TIniEnvironment {
    // "console_stub" lies beside the program.
    bool consoleStubExists = false;
    // Handed the UseDOSBox value; returns whether DOSBox is in use.
    std::function<bool(bool useDOSBox)> locateDOSBox;
};

// Reads the settings keys in their fixed order. A value that is neither
// empty nor a valid boolean / number leaves that setting at its default and
// adds a problem; the reading goes on with the next key.
TIniSettings ReadIniSettings(const TStringList& lines, const TIniEnvironment& env,
                             std::vector<TIniProblem>& problems);

// The file view style: its low byte when the value is a whole number. When
// it is not, the style is 1 and the lines are mended: a missing key is added
// after the buffer-size line together with the comment that explains it
// (the buffer-size line is written with ioBuffSize, appended when missing);
// a key present with an unusable value gets the value 1 in place. Returns
// whether the lines changed.
bool EnsureFileViewStyle(TStringList& lines, int ioBuffSize, unsigned char& style);

// The lines after the line named "LimitsDef" up to the one before the line
// named "LimitsDef.End" (a bare "LimitsDef" line counts as named so); empty
// when either is missing.
TStringList LimitsBlock(const TStringList& lines);

// ---- saving

// The fixed, locale-free form of the "Date Written" stamp:
// "dd.mm.yyyy hh:nn:ss".
std::string FormatDateWritten(std::time_t when);
// Inserts "Date Written=0" as the second line when the stamp has no value
// (an existing empty line is filled instead), then stamps it.
void StampDateWritten(TStringList& lines, const std::string& stamp);

// ---- per-language switches

// The value of key inside the "<code>.Extras" line; found tells whether that
// line has a value at all.
std::string LanguageExtra(const TStringList& lines, const std::string& code, const std::string& key,
                          bool* extrasFound = nullptr);
// "Installation error #1, %s is missing from ini file"
std::string MissingIniLineMessage(const std::string& lineName);

// ---- structure level

struct TOptionLevel {
    int level = 2;
    bool keepAllLevels = true;
    bool dropComponentLevel = true;
    bool dropBothLevels = true;
    bool flatList = false;
};
TOptionLevel MakeOptionLevel(int level);

// ---- where the file lies

// The INI path of a product run as exePath: the executable's folder plus
// IniPath, else plus IniShortName (the executable's name with ".INI" when
// that is empty), each looked up ignoring letter case. "" when neither
// exists; anything but a folder counts as existing.
std::string FindProductIniFile(const std::string& exePath, const TAnalTypeConstants& product);

} // namespace pem
