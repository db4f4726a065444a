#include "management/device_file.hpp"

#include <fcntl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "management/checksum.hpp"
#include "management/errors.hpp"

namespace ortiva::management {

namespace {

std::string read_string(const File& file, uint64_t offset, std::size_t n) {
    std::string s(n, '\0');
    s.resize(file.read_at(offset, s.data(), n));
    return s;
}

// Opens the device file for writing under an exclusive lock, following a replacement that
// happened while this process waited for the lock.
File open_locked(const std::filesystem::path& path) {
    for (;;) {
        File f(path, O_RDWR | O_CREAT);
        f.lock_exclusive();
        if (f.still_at_path()) return f;
    }
}

void refuse_foreign_file(const File& file, const std::string& device_name) {
    const uint64_t size = file.size();
    if (size == 0) return;
    const std::string head = read_string(file, 0, file_header_size);
    if (!is_file_header(head) && !is_file_header_prefix(head))
        fail(Error::not_a_device, {file.path().string(), device_name});
}

// A copy start_device left behind when its process died: empty, or begun as a device file.
bool is_device_copy(const File& file) {
    const std::string head = read_string(file, 0, file_header_size);
    return head.empty() || is_file_header(head) || is_file_header_prefix(head);
}

constexpr std::size_t chunk_size = 4 << 20;

// CRC of bytes of the file, read back in chunks (they are still in the page cache).
uint32_t checksum_of(const File& file, uint64_t offset, uint64_t size) {
    std::unique_ptr<char[]> buffer(new char[chunk_size]);
    uint32_t crc = 0;
    for (uint64_t done = 0; done < size;) {
        const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(chunk_size, size - done));
        if (file.read_at(offset + done, buffer.get(), n) != n)
            fail(Error::io, {"Reading", file.path().string(), "the file ended early"});
        crc = crc32c(crc, buffer.get(), n);
        done += n;
    }
    return crc;
}

// Writes the image first, then the header, then the trailer, and returns where the set ends.
uint64_t write_set(File& file, uint64_t at, SetHeader& header, const ImageWriter& write_image) {
    // Room for the header with the finish time still to come.
    const std::size_t reserved = encode_set_header(header).size() + 64;
    const uint64_t image_at = at + reserved;
    const WrittenImage image = write_image(file.fd(), image_at);
    header.image_size = image.size;
    header.finish = image.finish;
    header.image_crc = image.crc ? *image.crc : checksum_of(file, image_at, image.size);
    const std::string head = encode_set_header(header, reserved);
    if (head.size() != reserved)
        fail(Error::io, {"Writing the set header of", file.path().string(), "it outgrew its room"});
    file.write_at(at, head.data(), head.size());
    const uint64_t set_size = head.size() + image.size + trailer_size;
    const std::string tail = encode_trailer(set_size, stored_header_crc(head));
    file.write_at(image_at + image.size, tail.data(), tail.size());
    return at + set_size;
}

}  // namespace

DeviceContents scan_device(const File& file, const std::string& device_name) {
    DeviceContents out;
    const uint64_t size = file.size();
    if (size == 0) return out;
    const std::string head = read_string(file, 0, file_header_size);
    if (!is_file_header(head)) {
        if (!is_file_header_prefix(head))
            fail(Error::not_a_device, {file.path().string(), device_name});
        out.tail = Tail::torn;
        return out;
    }
    uint64_t at = file_header_size;
    for (;;) {
        const uint64_t remain = size - at;
        if (remain == 0) break;
        const std::string prefix = read_string(file, at, set_prefix_size);
        if (prefix.size() < set_prefix_size) {
            out.tail = Tail::torn;
            break;
        }
        const uint32_t header_size = announced_header_size(prefix);
        if (header_size == 0) {
            out.tail = Tail::damaged;
            break;
        }
        if (remain < header_size) {
            out.tail = Tail::torn;
            break;
        }
        StoredSet set;
        const std::string bytes = read_string(file, at, header_size);
        if (!decode_set_header(bytes, set.header) || set.header.position != out.sets.size() + 1) {
            out.tail = Tail::damaged;
            break;
        }
        if (set.header.image_size > remain - header_size ||
            remain - header_size - set.header.image_size < trailer_size) {
            out.tail = Tail::torn;
            break;
        }
        set.offset = at;
        set.header_size = header_size;
        set.set_size = header_size + set.header.image_size + trailer_size;
        const std::string trailer =
            read_string(file, at + header_size + set.header.image_size, trailer_size);
        if (!trailer_matches(trailer, set.set_size, stored_header_crc(bytes))) {
            out.tail = Tail::damaged;
            break;
        }
        at += set.set_size;
        out.sets.push_back(std::move(set));
    }
    out.end = at;
    return out;
}

bool set_header_after(const File& file, uint64_t offset) {
    constexpr std::size_t chunk = 1 << 20;
    constexpr std::string_view magic = "ORTVSET1";
    const uint64_t size = file.size();
    std::string buffer;
    for (uint64_t at = offset; at < size; at += chunk) {
        buffer = read_string(file, at, chunk + magic.size() - 1);
        for (std::size_t hit = buffer.find(magic); hit != std::string::npos && hit < chunk;
             hit = buffer.find(magic, hit + 1)) {
            const std::string prefix = read_string(file, at + hit, set_prefix_size);
            const uint32_t header_size = announced_header_size(prefix);
            SetHeader ignored;
            if (header_size != 0 &&
                decode_set_header(read_string(file, at + hit, header_size), ignored))
                return true;
        }
    }
    return false;
}

DeviceContents read_device(const std::filesystem::path& path, const std::string& device_name) {
    const File file = File::open_existing(path, O_RDONLY);
    if (!file.is_open()) fail(Error::device_missing, {path.string(), device_name});
    return scan_device(file, device_name);
}

VerifiedSet verify_set(const std::filesystem::path& path, const std::string& device_name,
                       int64_t position) {
    File file = File::open_existing(path, O_RDONLY);
    if (!file.is_open()) fail(Error::device_missing, {path.string(), device_name});
    DeviceContents contents = scan_device(file, device_name);
    const auto count = static_cast<int64_t>(contents.sets.size());
    if (position == count + 1 && contents.tail != Tail::clean)
        fail(Error::backup_set_damaged, {std::to_string(position), device_name,
                                         contents.tail == Tail::torn ? "the device ends inside it"
                                                                     : "its header is unreadable"});
    if (position < 1 || position > count)
        fail(Error::no_such_backup_set,
             {std::to_string(position), device_name, std::to_string(count)});

    VerifiedSet out{std::move(file),
                    std::move(contents.sets[static_cast<std::size_t>(position - 1)])};
    if (checksum_of(out.file, out.image_offset(), out.set.header.image_size) !=
        out.set.header.image_crc)
        fail(Error::backup_set_damaged,
             {std::to_string(position), device_name, "its checksum does not match its data"});
    return out;
}

void append_set(const std::filesystem::path& path, const std::string& device_name, SetHeader header,
                const ImageWriter& write_image) {
    const bool existed = std::filesystem::exists(path);
    File file = open_locked(path);
    const DeviceContents contents = scan_device(file, device_name);
    if (contents.tail == Tail::damaged && set_header_after(file, contents.end + 1))
        fail(Error::device_damaged, {device_name, std::to_string(contents.sets.size())});

    remove_stale_device_copies(path);

    header.position = static_cast<uint32_t>(contents.sets.size() + 1);
    uint64_t at = contents.end;
    if (at == 0) {
        const std::string head = encode_file_header();
        file.write_at(0, head.data(), head.size());
        at = head.size();
    }
    uint64_t end = 0;
    try {
        end = write_set(file, at, header, write_image);
    } catch (...) {
        // What a failed backup wrote is no set; leave the device ending after its last one.
        try {
            file.truncate(at);
        } catch (...) {
        }
        throw;
    }
    // Leftovers of a longer torn tail would only be read as a new torn tail; drop them.
    if (file.size() > end) file.truncate(end);
    file.sync();
    if (!existed) sync_directory(parent_of(path));
}

void start_device(const std::filesystem::path& path, const std::string& device_name,
                  SetHeader header, const ImageWriter& write_image) {
    // Holding the old file's lock keeps appenders out until the new file is in place; they
    // then notice the replacement and append to the new file.
    File old = File::open_existing(path, O_RDWR);
    if (old.is_open()) {
        old.lock_exclusive();
        refuse_foreign_file(old, device_name);
    }
    remove_stale_device_copies(path);
    header.position = 1;
    replace_file(path, [&](File& fresh) {
        const std::string head = encode_file_header();
        fresh.write_at(0, head.data(), head.size());
        write_set(fresh, head.size(), header, write_image);
    });
}

void remove_stale_device_copies(const std::filesystem::path& path) noexcept {
    remove_stale_copies(path, is_device_copy);
}

void create_device_file(const std::filesystem::path& path, const std::string& device_name) {
    File existing = File::open_existing(path, O_RDONLY);
    if (existing.is_open()) {
        refuse_foreign_file(existing, device_name);
        return;
    }
    // O_EXCL: a file that appeared meanwhile is somebody's, not ours to write over.
    File fresh(path, O_RDWR | O_CREAT | O_EXCL);
    const std::string head = encode_file_header();
    fresh.write_at(0, head.data(), head.size());
    fresh.sync();
    sync_directory(parent_of(path));
}

}  // namespace ortiva::management
