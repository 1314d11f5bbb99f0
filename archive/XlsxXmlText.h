#pragma once

#include <string>

// Character data of XML as UTF-8: entity and character references resolved.
namespace XlsxXmlText {

// Appends [from, to) to *out with "&amp;", "&#x4E00;" and the like resolved;
// false at a reference XML does not define (nothing is said about how much was appended).
bool appendDecoded(const char* from, const char* to, std::string* out);

} // namespace XlsxXmlText
