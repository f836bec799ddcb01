#pragma once
// Command-line switches and values, and the two-way text form of booleans.
// A switch specification is "long", "long:short" or "long:short:default";
// names are matched without regard to ASCII case, with or without their
// leading "-".
#include <string>
#include <vector>

namespace pem {

// The program's parameters without its own path (ParamStr(1..ParamCount)).
void SetCommandLine(std::vector<std::string> params);
const std::vector<std::string>& CommandLine();
int ParamCount();
std::string ParamStr(int i); // 1-based; 0 is the program path

bool CmdLineSwitchDef(const std::string& spec, bool def);
bool CmdLineSwitch(const std::string& spec);
bool FindCmdLineValue(const std::string& spec, std::string& value);
void GetCmdLineValue(const std::string& spec, std::string& value);

char BoolToChar(bool value, char whenTrue, char whenFalse);
char BoolToYN(bool value);
// "false"/"true", or a single y, j, i (true) or n (false), any case; the
// empty text is false; anything else raises EConvertError
// "%s is not valid boolean value (Y,J,I,N,True,False)".
bool StrToBoolYJIN(const std::string& text);
bool StrToBoolDef(const std::string& text, bool def);

// The program path shown as ParamStr(0).
void SetProgramPath(const std::string& path);

} // namespace pem
