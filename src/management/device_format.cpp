#include "management/device_format.hpp"

#include <cstring>

#include "management/checksum.hpp"

namespace ortiva::management {

namespace {

constexpr std::string_view file_magic = "ORTVDEV1";
constexpr std::string_view set_magic = "ORTVSET1";
constexpr std::string_view trailer_magic = "ORTVEND1";
constexpr uint32_t format_version = 1;
constexpr std::size_t fixed_header_size = 40;  // up to the first text

void put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void put64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void put_text(std::string& out, const std::string& s) {
    put32(out, static_cast<uint32_t>(s.size()));
    out += s;
}

uint32_t get32(std::string_view in, std::size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(in[at + i]);
    return v;
}

uint64_t get64(std::string_view in, std::size_t at) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(in[at + i]);
    return v;
}

// Reads one length-prefixed text that must end before limit.
bool get_text(std::string_view in, std::size_t& at, std::size_t limit, std::string& out) {
    if (limit - at < 4) return false;
    const uint32_t n = get32(in, at);
    at += 4;
    if (limit - at < n) return false;
    out.assign(in.substr(at, n));
    at += n;
    return true;
}

}  // namespace

std::string encode_file_header() {
    std::string out(file_magic);
    put32(out, format_version);
    put32(out, 0);
    return out;
}

bool is_file_header(std::string_view bytes) {
    return bytes.size() >= file_header_size && bytes.substr(0, file_magic.size()) == file_magic;
}

bool is_file_header_prefix(std::string_view bytes) {
    const std::string full = encode_file_header();
    return bytes.size() < file_header_size && full.compare(0, bytes.size(), bytes) == 0;
}

std::string encode_set_header(const SetHeader& h, std::size_t min_size) {
    std::string out(set_magic);
    put32(out, 0);  // header size, filled below
    put32(out, format_version);
    put32(out, h.position);
    put32(out, h.device_type);
    put32(out, h.image_crc);
    put32(out, h.engine_version);
    put64(out, h.image_size);
    for (const std::string* s : {&h.database, &h.set_name, &h.server, &h.user, &h.start, &h.finish})
        put_text(out, *s);
    if (out.size() + 4 < min_size) out.resize(min_size - 4, '\0');
    const uint32_t size = static_cast<uint32_t>(out.size() + 4);
    for (int i = 0; i < 4; ++i)
        out[8 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    put32(out, crc32c(0, out.data(), out.size()));
    return out;
}

uint32_t announced_header_size(std::string_view prefix) {
    if (prefix.size() < set_prefix_size || prefix.substr(0, set_magic.size()) != set_magic)
        return 0;
    const uint32_t size = get32(prefix, 8);
    if (size < fixed_header_size + 4 || size > max_header_size) return 0;
    return size;
}

bool decode_set_header(std::string_view in, SetHeader& out) {
    const uint32_t size = announced_header_size(in);
    if (size == 0 || in.size() < size) return false;
    if (crc32c(0, in.data(), size - 4) != get32(in, size - 4)) return false;
    if (get32(in, 12) != format_version) return false;
    SetHeader h;
    h.position = get32(in, 16);
    h.device_type = get32(in, 20);
    h.image_crc = get32(in, 24);
    h.engine_version = get32(in, 28);
    h.image_size = get64(in, 32);
    std::size_t at = fixed_header_size;
    const std::size_t limit = size - 4;
    for (std::string* s : {&h.database, &h.set_name, &h.server, &h.user, &h.start, &h.finish})
        if (!get_text(in, at, limit, *s)) return false;
    out = std::move(h);
    return true;
}

uint32_t stored_header_crc(std::string_view header_bytes) {
    return get32(header_bytes, header_bytes.size() - 4);
}

std::string encode_trailer(uint64_t set_size, uint32_t header_crc) {
    std::string out(trailer_magic);
    put64(out, set_size);
    put32(out, header_crc);
    put32(out, 0);
    return out;
}

bool trailer_matches(std::string_view bytes, uint64_t set_size, uint32_t header_crc) {
    return bytes.size() == trailer_size && bytes.substr(0, trailer_magic.size()) == trailer_magic &&
           get64(bytes, 8) == set_size && get32(bytes, 16) == header_crc;
}

}  // namespace ortiva::management
