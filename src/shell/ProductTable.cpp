#include "ProductTable.h"

#include "CharSet1252.h"

namespace pem {

const std::array<TAnalTypeConstants, 9>& ProductTable() {
    static const std::array<TAnalTypeConstants, 9> rows = {{
        {0, 0, "Korvex", "Korvex main shell", "Tools", "\\Measure\\Korvex", "Audit", "Ulvar Korvex Job Definition",
         ".jkvx", "..\\_Pemaris_Family.Src\\Korvex.INI", ""},
        {2, 0, "Oskaro_Korvex", "Korvex from Oskaro", "Tools", "\\Test\\Oskaro", "Audit",
         "Ulvar Korvex Job Definition", ".jtst", "..\\_Oskaro.Src\\Oskaro_Korvex.INI", "Oskaro_Korvex.INI"},
        {1, 0, "Ravenel_Korvex", "Korvex from Ravenel", "Tools", "\\Test\\Ravenel", "Anal",
         "Ulvar Korvex Job Definition", ".jtst", "..\\_Oskaro.Src\\Ravenel_Korvex.INI", "Ravenel_Korvex.INI"},
        {3, 1, "Lumidor", "Lumidor main shell", "Tools", "\\Maintain\\Lumidor", "ReDoc",
         "Ulvar Lumidor Job Definition", ".jlmd", "..\\_Pemaris_Family.Src\\Lumidor.INI", ""},
        {4, 1, "Zelmar_Lumidor", "Lumidor main shell", "Tools", "\\Maintain\\Zelmar", "ReDoc",
         "Ulvar Lumidor Job Definition", ".jlmd", "..\\_Zelmar.Src\\Zelmar_Lumidor.INI", "Zelmar_Lumidor.INI"},
        {5, 2, "Velling", "Velling main shell", "Tools", "\\Test\\Velling", "Anal", "Ulvar Velling Job Definition",
         ".jtst", "..\\_Pemaris_Family.Src\\Velling.INI", ""},
        {6, 2, "Ravenel_Velling", "Velling from Ravenel", "Tools", "\\Test\\Ravenel", "Anal",
         "Ulvar Velling Job Definition", ".jtst", "..\\_Oskaro.Src\\Ravenel_Velling.INI", "Ravenel_Velling.INI"},
        {7, 3, "Harnox", "Harnox main shell", "Tools", "\\Test\\Harnox", "Inst", "Ulvar Harnox Job Definition",
         ".jhnx", "..\\_Pemaris_Family.Src\\Harnox.INI", ""},
        {8, 4, "Mindra", "Mindra main shell", "Tools", "\\Measure\\Mindra", "Scan", "Ulvar Mindra Job Definition",
         ".jMindra", "..\\_Pemaris_Family.Src\\Mindra.INI", ""},
    }};
    return rows;
}

const TAnalTypeConstants* FindProduct(const std::string& programName) {
    for (const auto& row : ProductTable())
        if (SameText(row.ProgramName, programName)) return &row;
    return nullptr;
}

std::string ResolveBareToolName(const std::string& programName, int number) {
    if (!SameText(programName, "Ravenel") && !SameText(programName, "Oskaro") && !SameText(programName, "Zelmar"))
        return programName;
    switch (number) {
    case 1: return "Ravenel_Velling";
    case 2: return "Ravenel_Korvex";
    case 3: return "Zelmar_Lumidor";
    case 4: return "Oskaro_Korvex";
    default: return programName;
    }
}

} // namespace pem
