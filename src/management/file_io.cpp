#include "management/file_io.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "management/errors.hpp"

namespace ortiva::management {

namespace {

// O_NONBLOCK keeps a FIFO or a device node from blocking the open; anything but a regular
// file (or the directory asked for) is refused before a byte is read from it.
int open_checked(const std::filesystem::path& path, int flags, unsigned mode) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        fail_io("Inspecting", path.string(), error);
    }
    const bool wanted = (flags & O_DIRECTORY) ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
    if (!wanted) {
        ::close(fd);
        fail(Error::io,
             {"Opening", path.string(),
              (flags & O_DIRECTORY) ? "it is not a directory" : "it is not a regular file"});
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

File::File(const std::filesystem::path& path, int flags, unsigned mode) : path_(path) {
    check_path_text(path, "path");
    fd_ = open_checked(path, flags, mode);
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
    check_path_text(path, "path");
    File f;
    f.path_ = path;
    f.fd_ = open_checked(path, flags, 0);
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

namespace {

std::string copy_prefix(const std::filesystem::path& path) {
    return "." + path.filename().string() + ".";
}

// The names mkostemp gives: the prefix and six letters or digits.
bool is_copy_name(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    return std::all_of(
        name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        });
}

// A new temporary copy beside path, locked for as long as it lives so that a cleaner can tell
// it from one left by a writer that died. A cleaner may remove the file between its creation
// and the lock; then it is made again.
File locked_copy(const std::filesystem::path& path) {
    const auto dir = parent_of(path);
    for (;;) {
        std::string pattern = (dir / (copy_prefix(path) + "XXXXXX")).string();
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) fail_io("Creating a file in", dir.string(), errno);
        File f = File::adopt(fd, pattern);
        f.lock_exclusive();
        if (f.still_at_path()) return f;
    }
}

void remove_if_stale(const std::filesystem::path& candidate,
                     const std::function<bool(const File&)>& ours) {
    const int fd = ::open(candidate.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return;
    File f = File::adopt(fd, candidate);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return;
    // A live writer holds its copy's lock; a copy nobody locks was left by a writer that
    // died. It must still be the file at that name, and look like one of ours.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return;
    if (!f.still_at_path() || !ours(f)) return;
    ::unlink(candidate.c_str());
}

}  // namespace

void replace_file(const std::filesystem::path& path, const std::function<void(File&)>& write) {
    const auto dir = parent_of(path);
    File f = locked_copy(path);
    const std::filesystem::path temp = f.path();
    try {
        struct stat old {};
        const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
        if (::fchmod(f.fd(), mode) != 0) fail_io("Setting the mode of", temp.string(), errno);
        write(f);
        f.sync();
        // Still locked while renamed: a cleaner never takes a copy that is being put in place.
        if (::rename(temp.c_str(), path.c_str()) != 0) fail_io("Replacing", path.string(), errno);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    f.close();
    sync_directory(dir);
}

void remove_stale_copies(const std::filesystem::path& path,
                         const std::function<bool(const File&)>& ours) noexcept {
    try {
        const auto dir = parent_of(path);
        const std::string prefix = copy_prefix(path);
        std::error_code ec;
        std::vector<std::filesystem::path> candidates;
        for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (is_copy_name(it->path().filename().string(), prefix))
                candidates.push_back(it->path());
        }
        for (const auto& candidate : candidates) {
            try {
                remove_if_stale(candidate, ours);
            } catch (...) {
            }
        }
    } catch (...) {
        // Clearing leftovers is a courtesy; it never fails the operation that asked for it.
    }
}

void check_path_text(const std::filesystem::path& path, const char* what) {
    const std::string& text = path.native();
    if (text.find('\0') == std::string::npos) return;
    std::string shown;
    for (const char c : text)
        shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    fail(Error::invalid_name, {shown, what, "it holds a NUL character"});
}

}  // namespace ortiva::management
