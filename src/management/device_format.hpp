#pragma once

// The layout of a device file. A device file starts with a 16-byte file header and then holds
// consecutive backup sets, each written as
//
//   set header: "ORTVSET1", u32 header size, u32 format version, u32 position, u32 device
//               type, u32 image CRC-32C, u32 engine version, u64 image size, then six texts
//               (u32 length + UTF-8 bytes): database, backup set name, server, user, start
//               and finish date and time; zero padding; last a u32 CRC-32C of everything
//               before it
//   image:      the database image, image size bytes
//   trailer:    "ORTVEND1", u64 size of the whole set, u32 header CRC, u32 reserved
//
// All integers are little-endian. A set counts only once its trailer is in place, so a set cut
// short by a crash is recognised as a torn tail; the image CRC catches damage inside a set.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ortiva::management {

inline constexpr std::size_t file_header_size = 16;
inline constexpr std::size_t set_prefix_size = 12;  // magic and header size
inline constexpr std::size_t trailer_size = 24;
inline constexpr uint32_t max_header_size = 64 * 1024;

struct SetHeader {
    uint32_t position = 0;
    uint32_t device_type = 0;
    uint32_t image_crc = 0;
    uint32_t engine_version = 0;
    uint64_t image_size = 0;
    std::string database;
    std::string set_name;
    std::string server;
    std::string user;
    std::string start;   // "yyyy-mm-dd hh:mm:ss"
    std::string finish;  // the same form
};

std::string encode_file_header();
/// Whether bytes begin with a complete file header.
bool is_file_header(std::string_view bytes);
/// Whether bytes could be the start of a file header cut short (a torn first write).
bool is_file_header_prefix(std::string_view bytes);

/// The encoded set header, its own CRC included, padded with zeros to at least min_size bytes
/// (room reserved before the image was written).
std::string encode_set_header(const SetHeader& header, std::size_t min_size = 0);
/// The header size a set prefix announces, or 0 when the prefix is not a set's.
uint32_t announced_header_size(std::string_view prefix);
/// Decodes a whole set header (announced_header_size bytes); false when it is damaged.
bool decode_set_header(std::string_view bytes, SetHeader& out);
/// The CRC stored at the end of an encoded set header.
uint32_t stored_header_crc(std::string_view header_bytes);

std::string encode_trailer(uint64_t set_size, uint32_t header_crc);
bool trailer_matches(std::string_view bytes, uint64_t set_size, uint32_t header_crc);

}  // namespace ortiva::management
