#include "progress.hpp"

#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace ortiva::cli {

Progress::Progress(std::string label, int total)
    : label_(std::move(label)), total_(total > 0 ? total : 1), enabled_(isatty(STDERR_FILENO)) {
    update(0);
}

Progress::~Progress() {
    if (enabled_) std::cerr << '\n';
}

void Progress::update(int done, const std::string& note) {
    if (!enabled_) return;
    constexpr int width = 30;
    const int filled = width * done / total_;
    std::cerr << '\r' << label_ << " [" << std::string(filled, '#')
              << std::string(width - filled, ' ') << "] " << done << '/' << total_ << ' ' << note
              << "\033[K" << std::flush;
}

}  // namespace ortiva::cli
