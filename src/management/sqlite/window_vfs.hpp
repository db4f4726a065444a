#pragma once

// A SQLite VFS that shows a window of an already open file as a whole database file, so that
// SQLite's online backup can write a database image straight into a device file and read one
// back from it: no copy of the image in memory and no temporary file.

#include <cstdint>
#include <string>

namespace ortiva::management::sqlite {

/// The URI to open (with SQLITE_OPEN_URI) for the bytes of fd from offset on. A readable window
/// is size bytes long; a writable one starts empty and grows as SQLite writes. A writable
/// window gathers writes in memory: its xSync hands them to the file (without syncing it), and
/// only then are write failures certain to be reported. The window never creates journal files:
/// open writable windows with journal_mode OFF. fd must stay open while the database is.
std::string window_uri(int fd, uint64_t offset, uint64_t size, bool writable);

}  // namespace ortiva::management::sqlite
