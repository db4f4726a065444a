#pragma once

#include <mutex>
#include <string>

#include "ortiva/export.hpp"

namespace ortiva {

/// Keyed, reversible text cipher. EnCrypt turns a text into printable characters (Windows-1252
/// codes 72 to 135) under a key; DeCrypt with the same key gives the text back. Texts are
/// UTF-8; every character counts by its Windows-1252 code, one code per UTF-16 unit.
///
/// Thread-safe: each call draws from a generator of its own, seeded from the key alone, so
/// calls on one object may run from several threads at once and give the results they would
/// give one after another.
class ORTIVA_API clscryptor {
  public:
    clscryptor() = default;
    clscryptor(const clscryptor&) = delete;
    clscryptor& operator=(const clscryptor&) = delete;

    /// Enciphers eText under eKey; the result has n + (n + 2) / 3 characters for n input
    /// UTF-16 units. Throws ErrorInfo 5 when eText holds a character without a Windows-1252
    /// code (or invalid UTF-8), since such a text could not be deciphered back. Key characters
    /// without a code count as '?'.
    std::string EnCrypt(const std::string& eText, const std::string& eKey);

    /// Deciphers dText under dKey. Never fails: a text that EnCrypt did not make gives
    /// (n - 1) - (n - 1) / 4 characters of whatever the stages produce; characters without a
    /// Windows-1252 code count as '?'.
    std::string DeCrypt(const std::string& dText, const std::string& dKey);

  private:
    void remember(const std::string& key, std::string text);

    // The last call's key (UTF-8) and its final working text (Windows-1252 codes). Calls work
    // on local copies and publish both together at the end, so the lock is held only for a
    // swap and never across the cipher work.
    std::mutex mutex_;
    std::string cipherKey;
    std::string workText;
};

}  // namespace ortiva
