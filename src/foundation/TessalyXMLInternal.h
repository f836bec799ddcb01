#pragma once
// Text helpers shared by the XML model, parser and writer.
#include <string>
#include <string_view>

namespace pem::xmlutil {

inline bool IsBlank(char c) { return c == 9 || c == 10 || c == 13 || c == 32; }

// Decodes &lt; &gt; &amp; &quot; &apos; and numeric references to the
// 8-bit code page; anything else (a lone "&", an unknown entity) stays.
std::string DecodeEntities(std::string_view s);

// Element text: "&" and "<" escaped.
std::string EscapeText(std::string_view s);
// Attribute value inside double quotes: "&", "<" and '"' escaped.
std::string EscapeAttribute(std::string_view s);

} // namespace pem::xmlutil
