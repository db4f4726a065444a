#include "management/sqlite/window_vfs.hpp"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ortiva::management::sqlite {

namespace {

constexpr const char* vfs_name = "ortiva-window";

// Pages arrive one by one; writing them in large runs saves most of the system calls.
constexpr std::size_t pending_capacity = 1 << 20;

struct WindowFile {
    sqlite3_file base;  // first, as SQLite requires
    int fd;
    uint64_t offset;
    uint64_t size;
    bool writable;
    char* pending;  // bytes written but not yet handed to the file, from pending_at on
    uint64_t pending_at;
    std::size_t pending_length;
};

WindowFile& window(sqlite3_file* f) {
    return *reinterpret_cast<WindowFile*>(f);
}

sqlite3_vfs* default_vfs() {
    static sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    return vfs;
}

int write_through(const WindowFile& w, const char* in, uint64_t length, uint64_t at) {
    uint64_t done = 0;
    while (done < length) {
        const ssize_t put =
            ::pwrite(w.fd, in + done, length - done, static_cast<off_t>(w.offset + at + done));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return errno == ENOSPC ? SQLITE_FULL : SQLITE_IOERR_WRITE;
        done += static_cast<uint64_t>(put);
    }
    return SQLITE_OK;
}

int flush(WindowFile& w) {
    if (w.pending_length == 0) return SQLITE_OK;
    const int rc = write_through(w, w.pending, w.pending_length, w.pending_at);
    w.pending_length = 0;
    return rc;
}

// The descriptor is the caller's and stays open.
int window_close(sqlite3_file* f) {
    WindowFile& w = window(f);
    const int rc = flush(w);
    sqlite3_free(w.pending);
    w.pending = nullptr;
    return rc;
}

int window_read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 at) {
    WindowFile& w = window(f);
    if (const int rc = flush(w); rc != SQLITE_OK) return rc;
    auto* out = static_cast<char*>(buffer);
    const auto want = static_cast<uint64_t>(amount);
    const auto from = static_cast<uint64_t>(at);
    const uint64_t available = from < w.size ? std::min(want, w.size - from) : 0;
    uint64_t done = 0;
    while (done < available) {
        const ssize_t got =
            ::pread(w.fd, out + done, available - done, static_cast<off_t>(w.offset + from + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return SQLITE_IOERR_READ;
        if (got == 0) break;
        done += static_cast<uint64_t>(got);
    }
    if (done < want) {
        std::memset(out + done, 0, want - done);
        return SQLITE_IOERR_SHORT_READ;
    }
    return SQLITE_OK;
}

int window_write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 at) {
    WindowFile& w = window(f);
    if (!w.writable) return SQLITE_READONLY;
    const auto* in = static_cast<const char*>(buffer);
    const auto length = static_cast<uint64_t>(amount);
    const auto from = static_cast<uint64_t>(at);
    w.size = std::max(w.size, from + length);
    if (w.pending_length > 0 && from == w.pending_at + w.pending_length &&
        w.pending_length + length <= pending_capacity) {
        std::memcpy(w.pending + w.pending_length, in, length);
        w.pending_length += length;
        return SQLITE_OK;
    }
    if (const int rc = flush(w); rc != SQLITE_OK) return rc;
    if (length >= pending_capacity) return write_through(w, in, length, from);
    std::memcpy(w.pending, in, length);
    w.pending_at = from;
    w.pending_length = length;
    return SQLITE_OK;
}

int window_truncate(sqlite3_file* f, sqlite3_int64 size) {
    WindowFile& w = window(f);
    if (!w.writable) return SQLITE_READONLY;
    if (const int rc = flush(w); rc != SQLITE_OK) return rc;
    w.size = static_cast<uint64_t>(size);
    return SQLITE_OK;
}

// Hands pending bytes to the file; making them durable is the caller's part.
int window_sync(sqlite3_file* f, int) {
    return flush(window(f));
}

int window_file_size(sqlite3_file* f, sqlite3_int64* size) {
    *size = static_cast<sqlite3_int64>(window(f).size);
    return SQLITE_OK;
}

// One connection owns a window; there is nobody to lock against.
int window_lock(sqlite3_file*, int) {
    return SQLITE_OK;
}
int window_check_reserved(sqlite3_file*, int* out) {
    *out = 0;
    return SQLITE_OK;
}
int window_file_control(sqlite3_file*, int, void*) {
    return SQLITE_NOTFOUND;
}
int window_sector_size(sqlite3_file*) {
    return 4096;
}
int window_device_characteristics(sqlite3_file*) {
    return 0;
}

const sqlite3_io_methods window_methods = {
    1,
    window_close,
    window_read,
    window_write,
    window_truncate,
    window_sync,
    window_file_size,
    window_lock,
    window_lock,
    window_check_reserved,
    window_file_control,
    window_sector_size,
    window_device_characteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

int window_open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* out_flags) {
    // Temporary files SQLite may want for sorting are ordinary ones; journals are never made.
    if (!(flags & SQLITE_OPEN_MAIN_DB))
        return default_vfs()->xOpen(default_vfs(), name, f, flags, out_flags);
    WindowFile& w = window(f);
    w.base.pMethods = nullptr;
    w.pending = nullptr;
    w.pending_at = 0;
    w.pending_length = 0;
    const sqlite3_int64 fd = sqlite3_uri_int64(name, "fd", -1);
    if (fd < 0) return SQLITE_CANTOPEN;
    w.fd = static_cast<int>(fd);
    w.offset = static_cast<uint64_t>(sqlite3_uri_int64(name, "offset", 0));
    w.size = static_cast<uint64_t>(sqlite3_uri_int64(name, "size", 0));
    w.writable = sqlite3_uri_boolean(name, "writable", 0) != 0;
    if (w.writable && !(flags & SQLITE_OPEN_READWRITE)) w.writable = false;
    if (w.writable) {
        w.pending = static_cast<char*>(sqlite3_malloc64(pending_capacity));
        if (!w.pending) return SQLITE_NOMEM;
    }
    w.base.pMethods = &window_methods;
    if (out_flags) *out_flags = flags;
    return SQLITE_OK;
}

int window_delete(sqlite3_vfs*, const char*, int) {
    return SQLITE_OK;
}

// No journal or WAL file ever exists beside a window: a hot journal found in the current
// directory must not be rolled into it.
int window_access(sqlite3_vfs*, const char*, int, int* out) {
    *out = 0;
    return SQLITE_OK;
}

int window_full_pathname(sqlite3_vfs*, const char* name, int n, char* out) {
    sqlite3_snprintf(n, out, "%s", name);
    return SQLITE_OK;
}

int window_randomness(sqlite3_vfs*, int n, char* out) {
    return default_vfs()->xRandomness(default_vfs(), n, out);
}
int window_sleep(sqlite3_vfs*, int us) {
    return default_vfs()->xSleep(default_vfs(), us);
}
int window_current_time(sqlite3_vfs*, double* out) {
    return default_vfs()->xCurrentTime(default_vfs(), out);
}
int window_last_error(sqlite3_vfs*, int, char*) {
    return 0;
}

sqlite3_vfs* registered_vfs() {
    static sqlite3_vfs* vfs = [] {
        static sqlite3_vfs v{};
        v.iVersion = 1;
        v.szOsFile = std::max<int>(sizeof(WindowFile), default_vfs()->szOsFile);
        v.mxPathname = 512;
        v.zName = vfs_name;
        v.xOpen = window_open;
        v.xDelete = window_delete;
        v.xAccess = window_access;
        v.xFullPathname = window_full_pathname;
        v.xRandomness = window_randomness;
        v.xSleep = window_sleep;
        v.xCurrentTime = window_current_time;
        v.xGetLastError = window_last_error;
        sqlite3_vfs_register(&v, 0);
        return &v;
    }();
    return vfs;
}

}  // namespace

std::string window_uri(int fd, uint64_t offset, uint64_t size, bool writable) {
    registered_vfs();
    return "file:ortiva-window?vfs=" + std::string(vfs_name) + "&fd=" + std::to_string(fd) +
           "&offset=" + std::to_string(offset) + "&size=" + std::to_string(size) +
           "&writable=" + (writable ? "1" : "0");
}

}  // namespace ortiva::management::sqlite
