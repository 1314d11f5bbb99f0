#include "SourceNames.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

constexpr size_t kMaxBytes = sizeof(TW_STR32) - 1;

// The longest prefix of text within maxBytes that does not split a character.
std::string fitted(const std::string& text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xc0) == 0x80)
        --n;
    return text.substr(0, n);
}

std::string numbered(const std::string& model, int number)
{
    if (number <= 1)
        return fitted(model, kMaxBytes);
    const std::string suffix = " #" + std::to_string(number);
    return fitted(model, kMaxBytes - suffix.size()) + suffix;
}

} // namespace

void copyToStr32(TW_STR32& out, const std::string& text)
{
    const std::string cut = fitted(text, kMaxBytes);
    std::memset(out, 0, sizeof(TW_STR32));
    std::memcpy(out, cut.data(), cut.size());
}

std::vector<std::string> uniqueProductNames(const std::vector<std::string>& models)
{
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const std::string& model : models) {
        int number = 1;
        std::string name = numbered(model, number);
        while (taken.count(name))
            name = numbered(model, ++number);
        taken.insert(name);
        names.push_back(name);
    }
    return names;
}
