#include "secrets.hpp"

#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "ortiva/error_info.hpp"

namespace ortiva::cli {

namespace {

constexpr int32_t file_not_found = 53;

std::string first_line(std::string text) {
    const auto end = text.find('\n');
    if (end != std::string::npos) text.erase(end);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

std::string read_secret_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) raise(file_not_found, "ortiva", "Cannot read " + path);
    std::string line;
    std::getline(in, line);
    return first_line(line);
}

// Echo is restored whatever happens between the prompt and the newline.
class EchoOff {
  public:
    EchoOff() : active_(tcgetattr(STDIN_FILENO, &saved_) == 0) {
        if (!active_) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~EchoOff() {
        if (active_) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    termios saved_{};
    bool active_;
};

}  // namespace

void add_secret_options(CLI::App& cmd, SecretOptions& options, const std::string& name,
                        const std::string& what, const std::string& env) {
    options.value_option =
        cmd.add_option("--" + name, options.value,
                       what + " (other users can see it in the process list: prefer --" + name +
                           "-file, " + env + " or the prompt)");
    options.file_option = cmd.add_option("--" + name + "-file", options.file,
                                         "Read the " + name + " from the first line of this file")
                              ->check(CLI::ExistingFile);
    options.value_option->excludes(options.file_option);
}

std::optional<std::string> resolve_secret(const SecretOptions& options, const char* env,
                                          const std::string& prompt_label, bool prompt) {
    if (options.value_option && options.value_option->count() > 0) return options.value;
    if (options.file_option && options.file_option->count() > 0)
        return read_secret_file(options.file);
    if (const char* from_env = std::getenv(env)) return std::string(from_env);
    if (!prompt || !isatty(STDIN_FILENO)) return std::nullopt;
    std::cerr << prompt_label << ": " << std::flush;
    std::string line;
    {
        EchoOff quiet;
        std::getline(std::cin, line);
    }
    std::cerr << '\n';
    if (!std::cin) return std::nullopt;
    return first_line(line);
}

}  // namespace ortiva::cli
