#include "management/sqlite/file_io.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "management/sqlite/errors.hpp"

namespace ortiva::management::sqlite {

File::File(const std::filesystem::path& path, int flags, unsigned mode) : path_(path) {
    do {
        fd_ = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) fail_io("Opening", path.string(), errno);
}

File::~File() {
    close();
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

File File::adopt(int fd, const std::filesystem::path& path) {
    File f;
    f.fd_ = fd;
    f.path_ = path;
    return f;
}

File File::open_existing(const std::filesystem::path& path, int flags) {
    File f;
    f.path_ = path;
    do {
        f.fd_ = ::open(path.c_str(), flags | O_CLOEXEC);
    } while (f.fd_ < 0 && errno == EINTR);
    if (f.fd_ < 0 && errno != ENOENT) fail_io("Opening", path.string(), errno);
    return f;
}

uint64_t File::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) fail_io("Inspecting", path_.string(), errno);
    return static_cast<uint64_t>(st.st_size);
}

std::size_t File::read_at(uint64_t offset, void* data, std::size_t n) const {
    auto* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            fail_io("Reading", path_.string(), errno);
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void File::write_at(uint64_t offset, const void* data, std::size_t n) {
    const auto* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t put = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (put < 0) {
            if (errno == EINTR) continue;
            fail_io("Writing", path_.string(), errno);
        }
        done += static_cast<std::size_t>(put);
    }
}

void File::truncate(uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
        fail_io("Truncating", path_.string(), errno);
}

void File::sync() {
    if (::fsync(fd_) != 0) fail_io("Flushing", path_.string(), errno);
}

void File::lock_exclusive() {
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) fail_io("Locking", path_.string(), errno);
    }
}

bool File::still_at_path() const {
    struct stat mine {};
    struct stat named {};
    if (::fstat(fd_, &mine) != 0) fail_io("Inspecting", path_.string(), errno);
    if (::stat(path_.c_str(), &named) != 0) return false;
    return mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

void File::close() {
    if (fd_ >= 0) {
        ::close(fd_);  // nothing to learn here: every write that matters was synced
        fd_ = -1;
    }
}

std::filesystem::path parent_of(const std::filesystem::path& path) {
    const auto parent = path.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

void sync_directory(const std::filesystem::path& dir) {
    File d(dir, O_RDONLY | O_DIRECTORY);
    d.sync();
}

void replace_file(const std::filesystem::path& path, const std::function<void(File&)>& write) {
    const auto dir = parent_of(path);
    std::string pattern = (dir / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) fail_io("Creating a file in", dir.string(), errno);
    const std::filesystem::path temp = pattern;
    try {
        File f = File::adopt(fd, temp);
        struct stat old {};
        const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
        if (::fchmod(f.fd(), mode) != 0) fail_io("Setting the mode of", temp.string(), errno);
        write(f);
        f.sync();
        f.close();
        if (::rename(temp.c_str(), path.c_str()) != 0) fail_io("Replacing", path.string(), errno);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    sync_directory(dir);
}

}  // namespace ortiva::management::sqlite
