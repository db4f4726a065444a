#pragma once

#include <cstdint>
#include <string>

namespace ortiva::cli {

/// A progress bar on standard error that counts bytes, drawn only when standard error is a
/// terminal.
class Progress {
  public:
    Progress(std::string label, std::uintmax_t total_bytes);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    /// Marks `done_bytes` of the total finished, with a note on what comes next.
    void update(std::uintmax_t done_bytes, const std::string& note = {});
    /// Ends the bar's line, so that what is printed next starts on a line of its own.
    void finish();

  private:
    std::string label_;
    std::uintmax_t total_;
    bool enabled_;
};

/// A byte count for people: "512 B", "1.5 KiB", "3.0 MiB".
std::string human_bytes(std::uintmax_t bytes);

}  // namespace ortiva::cli
