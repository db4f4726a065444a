#pragma once

// The PostgreSQL client programs (pg_dump, pg_restore) as child processes: data streamed
// through a pipe, never a temporary file; credentials only in the child's environment.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace ortiva::management::postgres {

struct Program {
    std::vector<std::string> argv;  // argv[0] is looked up on PATH
    std::vector<std::string> env;   // NAME=VALUE, replacing the caller's NAME
};

struct ProgramResult {
    int status = 0;      // the exit code, or 128 + the signal that ended it
    std::string errors;  // its standard error, trimmed
};

/// Feeds the program's standard input from read (which returns 0 at the end) or hands its
/// standard output to write in chunks; the other stream is /dev/null. A program that stops
/// reading early is not an error here: its status says. When read or write throws, the
/// program is killed and waited for before the exception goes on. Throws server_program when
/// the program cannot be started.
ProgramResult run_program(const Program& program,
                          const std::function<std::size_t(char*, std::size_t)>& read,
                          const std::function<void(const char*, std::size_t)>& write);

}  // namespace ortiva::management::postgres
