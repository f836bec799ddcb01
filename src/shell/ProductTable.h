#pragma once
// The nine products one executable serves, recognised from the program's
// own file name.
#include <array>
#include <string>

namespace pem {

struct TAnalTypeConstants {
    unsigned char Kind = 0; // 0..8
    int Family = 0;         // 0..4, selects the application icon
    std::string ProgramName;
    std::string MainCaption;
    std::string ToolsFolderName;
    std::string RootSubfolder;
    std::string ShortToolName;
    std::string JobDescription;
    std::string JobExtension;
    std::string IniPath; // relative to the executable's folder
    std::string IniShortName;
};

// The rows in their stored order.
const std::array<TAnalTypeConstants, 9>& ProductTable();

// The row whose ProgramName equals the name (ASCII case ignored); nullptr
// when none does.
const TAnalTypeConstants* FindProduct(const std::string& programName);

// The three bare tool names ("Ravenel", "Oskaro", "Zelmar") stand for a
// product chosen by a number 1..4; any other name or number is returned
// unchanged.
std::string ResolveBareToolName(const std::string& programName, int number);

// Main products are kinds 0, 3, 5, 7 and 8; the others are derived.
inline bool IsMainKind(int kind) { return kind == 0 || kind == 3 || kind == 5 || kind == 7 || kind == 8; }
inline bool IsDerivedKind(int kind) { return kind == 1 || kind == 2 || kind == 4 || kind == 6; }

} // namespace pem
