#include "XlsxXmlText.h"

#include <cstring>

namespace {

void appendUtf8(unsigned code, std::string* out)
{
    if (code < 0x80) {
        out->push_back(char(code));
    } else if (code < 0x800) {
        out->push_back(char(0xC0 | (code >> 6)));
        out->push_back(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out->push_back(char(0xE0 | (code >> 12)));
        out->push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(char(0x80 | (code & 0x3F)));
    } else {
        out->push_back(char(0xF0 | (code >> 18)));
        out->push_back(char(0x80 | ((code >> 12) & 0x3F)));
        out->push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(char(0x80 | (code & 0x3F)));
    }
}

// One entity between '&' and ';' (both excluded); false when it is not one XML knows.
bool decodeEntity(const char* from, const char* to, std::string* out)
{
    const size_t n = size_t(to - from);
    if (n >= 2 && from[0] == '#') {
        const bool hex = from[1] == 'x';
        unsigned code = 0;
        const char* p = from + (hex ? 2 : 1);
        if (p == to)
            return false;
        for (; p < to; ++p) {
            const char c = *p;
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = unsigned(c - '0');
            else if (hex && c >= 'a' && c <= 'f')
                digit = unsigned(c - 'a' + 10);
            else if (hex && c >= 'A' && c <= 'F')
                digit = unsigned(c - 'A' + 10);
            else
                return false;
            code = code * (hex ? 16 : 10) + digit;
            if (code > 0x10FFFF)
                return false;
        }
        if (code == 0 || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        appendUtf8(code, out);
        return true;
    }
    static const struct
    {
        const char* name;
        char c;
    } named[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& e : named) {
        if (n == strlen(e.name) && memcmp(from, e.name, n) == 0) {
            out->push_back(e.c);
            return true;
        }
    }
    return false;
}

} // namespace

bool XlsxXmlText::appendDecoded(const char* from, const char* to, std::string* out)
{
    while (from < to) {
        const char* amp = static_cast<const char*>(memchr(from, '&', size_t(to - from)));
        if (!amp) {
            out->append(from, size_t(to - from));
            return true;
        }
        out->append(from, size_t(amp - from));
        const char* semi = static_cast<const char*>(memchr(amp, ';', size_t(to - amp)));
        if (!semi || !decodeEntity(amp + 1, semi, out))
            return false;
        from = semi + 1;
    }
    return true;
}
