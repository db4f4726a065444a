#pragma once

// Keys of the rows of a list view and the nodes of a tree view: unique among a control's
// elements, "" for none. The index does not own the elements; one that goes is forgotten.

#include <string>
#include <unordered_map>
#include <utility>

#include "controls/common/dispatch.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::controls {

/// An element with a key and a tag ("Key" and "Tag"), as a list row or a tree node has them.
class Keyed : public Dispatched {
  public:
    const std::string& key() const { return key_; }

  protected:
    std::string tag_;

  private:
    friend class KeyIndex;
    std::string key_;
};

class KeyIndex {
  public:
    /// The element of that key; 35601 when none has it.
    Keyed& at(const std::string& key) const {
        const auto it = keys_.find(key);
        if (it == keys_.end()) raise(err::ctl_element_not_found);
        return *it->second;
    }
    /// 35602 when another element has the key.
    void check_free(const std::string& key) const {
        if (!key.empty() && keys_.count(key) != 0) raise(err::ctl_key_not_unique);
    }
    /// Gives an element its key; callers have checked it with check_free.
    void assign(Keyed& element, std::string key) {
        if (!key.empty()) keys_.emplace(key, &element);
        element.key_ = std::move(key);
    }
    void rekey(Keyed& element, std::string key) {
        if (key == element.key_) return;
        check_free(key);
        forget(element);
        assign(element, std::move(key));
    }
    void forget(const Keyed& element) {
        if (element.key_.empty()) return;
        const auto it = keys_.find(element.key_);
        if (it != keys_.end() && it->second == &element) keys_.erase(it);
    }
    void clear() { keys_.clear(); }

  private:
    std::unordered_map<std::string, Keyed*> keys_;
};

}  // namespace ortiva::controls
