#pragma once

namespace items {

/// Marks the window as filling its own controls for as long as it lives, so that the
/// controls' change signals are not taken for the user's edits.
class Filling {
  public:
    explicit Filling(int& depth) : depth_(depth) { ++depth_; }
    ~Filling() { --depth_; }
    Filling(const Filling&) = delete;
    Filling& operator=(const Filling&) = delete;

  private:
    int& depth_;
};

}  // namespace items
