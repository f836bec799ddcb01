#pragma once
// Small job settings the main window keeps: the language lists the viewers
// choose by, the tick flags of a check list, the file view style and the
// batch times shown in the window's caption.
#include <string>
#include <vector>

namespace pem {

// Whether code followed by "," occurs in the upper-cased list followed by ","
// (a plain substring test: "GER,ENG" holds "GER" and "ENG", "DLI,SQL" also
// "QL"); false for an empty list.
bool IsLanguageInList(const std::string& code, const std::string& list);

// "Y" for a ticked and "N" for an unticked item, in item order.
std::string CheckedFlags(const std::vector<bool>& ticks);

// The file dialogs' view style: 0 to 4 kept, anything else 2.
unsigned char FileViewStyleOf(int style);

// The caption's part before its last " Last batch ", then " Last batch
// started at: " and the start as "hh:nn:ss".
std::string CaptionWithBatchStart(const std::string& caption, double start);
// The same with " Last batch runtime: " and end - start as "hh:nn:ss:zzz".
std::string CaptionWithBatchRuntime(const std::string& caption, double start, double end);

// A date-time as days since 1899-12-30 (the program's date-time), local time.
double NowAsDateTime();

} // namespace pem
