#pragma once
// The Qt boundary: our 8-bit Windows-1252 strings become QStrings here and
// nowhere else.
#include "CharSet1252.h"

#include <QString>
#include <string>

namespace pem {

inline QString ToQ(const std::string& s) { return QString::fromStdString(Cp1252ToUtf8(s)); }
inline std::string FromQ(const QString& s) { return Utf8ToCp1252(s.toStdString()); }

} // namespace pem
