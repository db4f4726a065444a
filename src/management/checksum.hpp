#pragma once

// CRC-32C (Castagnoli) of backup images and set headers. It uses the processor's CRC
// instruction where there is one, so checking a set costs little next to reading it.

#include <cstddef>
#include <cstdint>

namespace ortiva::management {

/// Continues crc over n bytes; start with 0.
uint32_t crc32c(uint32_t crc, const void* data, std::size_t n);
/// The same without the processor instruction (the fallback, exposed so tests can compare).
uint32_t crc32c_portable(uint32_t crc, const void* data, std::size_t n);

}  // namespace ortiva::management
