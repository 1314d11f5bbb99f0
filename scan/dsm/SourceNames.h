#pragma once

// Names of sources as applications see them: TW_STR32 fields hold at most 33
// bytes of UTF-8, and an application tells sources apart by ProductName, so
// repeated models are numbered.

#include "../TwainDefs.h"

#include <string>
#include <vector>

// Copies UTF-8 text into a TW_STR32, cut at a character boundary when too long.
void copyToStr32(TW_STR32& out, const std::string& text);

// One product name per model, in order: each fits a TW_STR32 and none repeats
// ("Model", "Model #2", ...; a long model is shortened to make room for the number).
std::vector<std::string> uniqueProductNames(const std::vector<std::string>& models);
