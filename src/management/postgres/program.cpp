#include "management/postgres/program.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>

#include "management/errors.hpp"

extern char** environ;

namespace ortiva::management::postgres {

namespace {

constexpr std::size_t chunk_size = 1 << 20;
constexpr std::size_t max_error_text = 16 * 1024;

struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    void reset() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
};

[[noreturn]] void fail_start(const Program& program, const std::string& why) {
    fail(Error::server_program, {program.argv.front(), "", why});
}

std::vector<std::string> environment_for(const Program& program) {
    std::vector<std::string> out;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& ours : program.env)
            replaced = replaced || ours.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced) out.push_back(entry);
    }
    out.insert(out.end(), program.env.begin(), program.env.end());
    return out;
}

std::string read_errors(int fd) {
    std::string text(max_error_text, '\0');
    const ssize_t n = ::pread(fd, text.data(), text.size(), 0);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

int wait_for(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

// Writing to a program that stopped reading raises SIGPIPE, which would end the caller's
// process; it is held back for this thread and, when it was raised here, taken away.
class SigpipeBlock {
  public:
    SigpipeBlock() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        was_pending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~SigpipeBlock() {
        sigset_t pending;
        sigpending(&pending);
        if (!was_pending_ && sigismember(&pending, SIGPIPE) == 1) {
            const timespec zero{};
            while (sigtimedwait(&pipe_, nullptr, &zero) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;

  private:
    sigset_t pipe_{};
    sigset_t old_{};
    bool was_pending_ = false;
};

// Hands everything read gives to the pipe; false when the program stopped reading.
bool feed(int fd, const std::function<std::size_t(char*, std::size_t)>& read) {
    std::unique_ptr<char[]> buffer(new char[chunk_size]);
    for (;;) {
        const std::size_t n = read(buffer.get(), chunk_size);
        if (n == 0) return true;
        for (std::size_t done = 0; done < n;) {
            const ssize_t w = ::write(fd, buffer.get() + done, n - done);
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) return false;
            done += static_cast<std::size_t>(w);
        }
    }
}

void drain(int fd, const Program& program,
           const std::function<void(const char*, std::size_t)>& write) {
    std::unique_ptr<char[]> buffer(new char[chunk_size]);
    for (;;) {
        const ssize_t n = ::read(fd, buffer.get(), chunk_size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail_start(program, std::string("reading its output: ") + std::strerror(errno));
        if (n == 0) return;
        write(buffer.get(), static_cast<std::size_t>(n));
    }
}

}  // namespace

ProgramResult run_program(const Program& program,
                          const std::function<std::size_t(char*, std::size_t)>& read,
                          const std::function<void(const char*, std::size_t)>& write) {
    const Fd errors(::memfd_create("ortiva-program-errors", MFD_CLOEXEC));
    int ends[2];
    if (errors.fd < 0 || ::pipe2(ends, O_CLOEXEC) != 0) fail_start(program, std::strerror(errno));
    Fd reader(ends[0]), writer(ends[1]);
    const bool feeding = static_cast<bool>(read);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (feeding) {
        posix_spawn_file_actions_adddup2(&actions, reader.fd, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, writer.fd, 1);
    }
    posix_spawn_file_actions_adddup2(&actions, errors.fd, 2);

    std::vector<std::string> env = environment_for(program);
    std::vector<char*> argv_ptrs, env_ptrs;
    for (const std::string& a : program.argv)
        argv_ptrs.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env)
        env_ptrs.push_back(const_cast<char*>(e.c_str()));
    argv_ptrs.push_back(nullptr);
    env_ptrs.push_back(nullptr);

    pid_t pid = 0;
    const int rc =
        ::posix_spawnp(&pid, argv_ptrs[0], &actions, nullptr, argv_ptrs.data(), env_ptrs.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        fail_start(program, std::string("it could not be started (") + std::strerror(rc) +
                                "; is the PostgreSQL client installed?)");
    (feeding ? reader : writer).reset();

    try {
        if (feeding) {
            const SigpipeBlock block;
            feed(writer.fd, read);
            writer.reset();
        } else {
            drain(reader.fd, program, write);
        }
    } catch (...) {
        ::kill(pid, SIGKILL);
        wait_for(pid);
        throw;
    }
    ProgramResult result;
    result.status = wait_for(pid);
    result.errors = read_errors(errors.fd);
    return result;
}

}  // namespace ortiva::management::postgres
