#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "commands.hpp"
#include "ortiva/clscryptor.hpp"
#include "secrets.hpp"

namespace ortiva::cli {

namespace {

struct CipherOptions {
    SecretOptions key;
    std::vector<std::string> texts;
};

// One line out per text argument, or per line of standard input when there is none.
int run_cipher(const CipherOptions& options, bool encrypt) {
    const auto key = resolve_secret(options.key, "ORTIVA_KEY", "Key");
    if (!key) {
        std::cerr << (encrypt ? "encrypt" : "decrypt")
                  << ": no key: give --key-file, set ORTIVA_KEY, or run from a terminal to be "
                     "asked for it\n";
        return 2;
    }
    clscryptor cipher;
    auto transform = [&](const std::string& text) {
        return encrypt ? cipher.EnCrypt(text, *key) : cipher.DeCrypt(text, *key);
    };
    if (!options.texts.empty()) {
        for (const auto& text : options.texts)
            std::cout << transform(text) << '\n';
        return 0;
    }
    std::string line;
    while (std::getline(std::cin, line))
        std::cout << transform(line) << '\n';
    return 0;
}

void add_one(CLI::App& app, Action& action, bool encrypt) {
    auto options = std::make_shared<CipherOptions>();
    auto* cmd = app.add_subcommand(
        encrypt ? "encrypt" : "decrypt",
        encrypt ? "Encipher texts under a key" : "Decipher texts enciphered under a key");
    add_secret_options(*cmd, options->key, "key", "The key (UTF-8)", "ORTIVA_KEY");
    cmd->add_option("text", options->texts,
                    "Texts to transform; without any, each line of standard input");
    cmd->callback([&action, options, encrypt] {
        action = [options, encrypt] { return run_cipher(*options, encrypt); };
    });
}

}  // namespace

void add_cipher_commands(CLI::App& app, Action& action) {
    add_one(app, action, true);
    add_one(app, action, false);
}

}  // namespace ortiva::cli
