#pragma once

// Reading and writing the backup sets of one device file (layout in device_format.hpp).
// Appends and initialization hold an exclusive lock on the device file, so two writers never
// interleave; readers need no lock because a set counts only once it is complete.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "management/device_format.hpp"
#include "management/file_io.hpp"

namespace ortiva::management {

struct StoredSet {
    SetHeader header;
    uint64_t offset = 0;
    uint32_t header_size = 0;
    uint64_t set_size = 0;  // header, image and trailer
};

/// What follows the last complete set: nothing, a set cut short (the file ends inside it),
/// or bytes that are not a set.
enum class Tail { clean, torn, damaged };

struct DeviceContents {
    std::vector<StoredSet> sets;
    uint64_t end = 0;  // where the next set goes
    Tail tail = Tail::clean;
};

/// Reads the sets of an open device file. A file that is empty, or holds only the start of a
/// file header, has no sets. Throws not_a_device for any other file.
DeviceContents scan_device(const File& file, const std::string& device_name);
/// Whether a complete, undamaged set header starts anywhere at or after offset.
bool set_header_after(const File& file, uint64_t offset);

/// The sets of the device file; throws device_missing when the file does not exist.
DeviceContents read_device(const std::filesystem::path& path, const std::string& device_name);

/// A set whose image checksum was verified, with the device file still open on it.
struct VerifiedSet {
    File file;
    StoredSet set;
    uint64_t image_offset() const { return set.offset + set.header_size; }
};
/// Finds the set at position (from 1) and verifies its checksum. Throws no_such_backup_set, or
/// backup_set_damaged when the set is cut short or its checksum does not match.
VerifiedSet verify_set(const std::filesystem::path& path, const std::string& device_name,
                       int64_t position);

/// What writing an image produced: its size, the finish time of the backup, and the image's
/// CRC when the writer computed it while streaming (else it is read back).
struct WrittenImage {
    uint64_t size = 0;
    std::string finish;
    std::optional<uint32_t> crc;
};
/// Writes a set's image into the open device file fd at offset.
using ImageWriter = std::function<WrittenImage(int fd, uint64_t offset)>;

/// Appends a set after the last complete one (over a torn tail) and flushes it to disk before
/// returning. The header is written after the image, so the set counts only once whole.
/// position, image size, checksum and finish are filled in here. Creates the device file when
/// it does not exist. Refuses a device with sets beyond a damaged region.
void append_set(const std::filesystem::path& path, const std::string& device_name, SetHeader header,
                const ImageWriter& write_image);
/// Replaces the device by one holding only this set, atomically: a failure leaves the old
/// device file as it was. Refuses to replace a file that is not a device file.
void start_device(const std::filesystem::path& path, const std::string& device_name,
                  SetHeader header, const ImageWriter& write_image);
/// Removes the temporary copies that start_device left beside path when its process was
/// killed; a copy still being written is kept. Never throws.
void remove_stale_device_copies(const std::filesystem::path& path) noexcept;
/// Creates an empty device file; an existing device file is kept, any other file refused.
void create_device_file(const std::filesystem::path& path, const std::string& device_name);

}  // namespace ortiva::management
