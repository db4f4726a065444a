#pragma once

// Keys and passwords kept off the command line, where any user's ps can read them.

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

namespace ortiva::cli {

/// The options and environment variable one secret can come from.
struct SecretOptions {
    std::string value;  // --NAME (visible to other users; still accepted)
    std::string file;   // --NAME-file
    CLI::Option* value_option = nullptr;
    CLI::Option* file_option = nullptr;
};

/// Adds --NAME and --NAME-file (mutually exclusive) to the command.
void add_secret_options(CLI::App& cmd, SecretOptions& options, const std::string& name,
                        const std::string& what, const std::string& env);

/// The secret from --NAME, else --NAME-file (its first line), else the environment variable,
/// else a prompt without echo when standard input is a terminal (and prompt is true);
/// nothing when none of these gives one.
std::optional<std::string> resolve_secret(const SecretOptions& options, const char* env,
                                          const std::string& prompt_label, bool prompt = true);

}  // namespace ortiva::cli
