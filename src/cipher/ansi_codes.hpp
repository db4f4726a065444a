#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ortiva::cipher {

// UTF-8 text to Windows-1252 codes, one code per UTF-16 unit as the classic String counts
// them: a character outside the code page, each half of a character beyond U+FFFF and each
// invalid byte give '?'. lossless, when given, says whether every character had a code.
std::string to_ansi_codes(std::string_view utf8, bool* lossless = nullptr);

// Appends the UTF-8 of the characters whose codes are those of codes plus shift (mod 256).
void append_utf8(std::string& out, std::string_view codes, uint8_t shift = 0);

}  // namespace ortiva::cipher
