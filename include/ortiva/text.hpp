#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ortiva/export.hpp"

namespace ortiva::text {

// Texts are UTF-8. Lengths and positions count UTF-16 code units, as the classic String does.

/// Removes leading and trailing U+0020 only (tabs and other blanks stay).
ORTIVA_API std::string trim(std::string_view s);
/// Unicode-aware upper-casing (simple case mapping: one code point to one code point).
ORTIVA_API std::string upper(std::string_view s);
/// Ordinal comparison by code point: negative, 0 or positive.
ORTIVA_API int compare(std::string_view a, std::string_view b);

/// Number of UTF-16 code units.
ORTIVA_API int32_t utf16_length(std::string_view s);
/// The first n UTF-16 units (Left$), the last n (Right$), and n units from 1-based start (Mid$).
ORTIVA_API std::string left(std::string_view s, int32_t n);
ORTIVA_API std::string right(std::string_view s, int32_t n);
ORTIVA_API std::string mid(std::string_view s, int32_t start, int32_t n = -1);
/// 1-based position of needle in haystack in UTF-16 units (InStr), 0 when absent; an empty
/// needle is found at position 1.
ORTIVA_API int32_t find(std::string_view haystack, std::string_view needle);

/// UTF-8 text to UTF-16 units and back (unpaired surrogates become U+FFFD on the way back).
ORTIVA_API std::u16string to_utf16(std::string_view s);
ORTIVA_API std::string from_utf16(std::u16string_view s);

/// Windows-1252: the code of a character (a character the code page cannot hold gives '?',
/// 63), and the character of a code 0-255. The five undefined codes 0x81, 0x8D, 0x8F, 0x90
/// and 0x9D map to U+0081, U+008D, U+008F, U+0090 and U+009D both ways.
ORTIVA_API uint8_t cp1252_code(char32_t c);
ORTIVA_API char32_t cp1252_char(uint8_t code);
/// Whole texts: UTF-8 to Windows-1252 bytes and back.
ORTIVA_API std::string to_cp1252(std::string_view utf8);
ORTIVA_API std::string from_cp1252(std::string_view bytes);

/// Decodes UTF-8 to code points (invalid bytes become U+FFFD) and encodes back.
ORTIVA_API std::u32string to_utf32(std::string_view s);
ORTIVA_API std::string from_utf32(std::u32string_view s);

}  // namespace ortiva::text
