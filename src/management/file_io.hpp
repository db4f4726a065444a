#pragma once

// Plain POSIX file access for device and catalog files: whole reads and writes that survive
// short transfers and EINTR, flushes, advisory locks, and atomic replacement. Failures are
// the backend's io error naming the action and the path.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace ortiva::management {

class File {
  public:
    File() = default;
    /// Opens path with open(2) flags; throws the io error (action "Opening").
    File(const std::filesystem::path& path, int flags, unsigned mode = 0644);
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    /// Opens path, or returns a closed File when it does not exist.
    static File open_existing(const std::filesystem::path& path, int flags);
    /// Takes ownership of an open descriptor.
    static File adopt(int fd, const std::filesystem::path& path);

    bool is_open() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::filesystem::path& path() const { return path_; }

    uint64_t size() const;
    /// Reads up to n bytes at offset; fewer only at the end of the file.
    std::size_t read_at(uint64_t offset, void* data, std::size_t n) const;
    void write_at(uint64_t offset, const void* data, std::size_t n);
    void truncate(uint64_t size);
    /// Flushes data and metadata to the disk.
    void sync();
    /// Blocks until this process holds an exclusive advisory lock on the file.
    void lock_exclusive();
    /// Whether path still names the file this object has open (it may have been replaced).
    bool still_at_path() const;
    void close();

  private:
    int fd_ = -1;
    std::filesystem::path path_;
};

/// Flushes a directory so that a file created or renamed in it survives a crash.
void sync_directory(const std::filesystem::path& dir);

/// Lets write fill a new file beside path, flushes it, and renames it over path: readers see
/// the old file or the new one, never a mix. A failure leaves path as it was. The new file is
/// named ".NAME.XXXXXX" and locked until it is in place (see remove_stale_copies).
void replace_file(const std::filesystem::path& path, const std::function<void(File&)>& write);

/// Removes temporary copies that replace_file left beside path when its process died: files
/// named as its copies are, that no writer holds locked and that ours accepts (it sees the
/// file open at offset 0). Never throws; whatever cannot be removed stays.
void remove_stale_copies(const std::filesystem::path& path,
                         const std::function<bool(const File&)>& ours) noexcept;

/// Throws invalid_name when path holds a NUL character: the system would cut the path short
/// there and act on another file. what names the path's role in the message.
void check_path_text(const std::filesystem::path& path, const char* what);

/// The directory that holds path ("." for a bare file name).
std::filesystem::path parent_of(const std::filesystem::path& path);

}  // namespace ortiva::management
