#include "progress.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>

namespace ortiva::cli {

std::string human_bytes(std::uintmax_t bytes) {
    static const char* const units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024) return std::to_string(bytes) + " B";
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(units)) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

Progress::Progress(std::string label, std::uintmax_t total_bytes)
    : label_(std::move(label)), total_(total_bytes), enabled_(isatty(STDERR_FILENO)) {
    update(0);
}

Progress::~Progress() {
    finish();
}

void Progress::finish() {
    if (!enabled_) return;
    std::cerr << '\n' << std::flush;
    enabled_ = false;
}

void Progress::update(std::uintmax_t done_bytes, const std::string& note) {
    if (!enabled_) return;
    constexpr std::uintmax_t width = 30;
    // An empty total (only empty databases) is complete from the start.
    const std::uintmax_t filled =
        total_ == 0
            ? width
            : static_cast<std::uintmax_t>(
                  width * (static_cast<long double>(std::min(done_bytes, total_)) / total_));
    std::cerr << '\r' << label_ << " [" << std::string(filled, '#')
              << std::string(width - filled, ' ') << "] " << human_bytes(done_bytes) << " / "
              << human_bytes(total_) << ' ' << note << "\033[K" << std::flush;
}

}  // namespace ortiva::cli
