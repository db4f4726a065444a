#pragma once

#include <string>

namespace ortiva::cli {

/// A progress bar on standard error, drawn only when standard error is a terminal.
class Progress {
  public:
    Progress(std::string label, int total);
    ~Progress();
    /// Marks `done` of the total finished, with a note on what comes next.
    void update(int done, const std::string& note = {});

  private:
    std::string label_;
    int total_;
    bool enabled_;
};

}  // namespace ortiva::cli
