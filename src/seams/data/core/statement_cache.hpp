#pragma once

// Prepared statements kept for reuse by every driver, by their SQL text.

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace ortiva::detail {

/// Statements by their exact SQL text, the least recently given back dropped first. A
/// statement is taken out while in use, so two cursors never share one. Handle is an owning,
/// movable handle that tests false when empty; Reset readies a handle for its next use
/// (no open result, no bound values) and must not throw.
template <class Handle, class Reset>
class StatementCache {
  public:
    explicit StatementCache(std::size_t capacity) : capacity_(capacity) {}

    /// A free statement prepared from exactly this text, or an empty handle.
    Handle take(std::string_view sql) {
        const auto it = index_.find(sql);
        if (it == index_.end()) return Handle();
        Handle stmt = std::move(it->second->second);
        entries_.erase(it->second);
        index_.erase(it);
        return stmt;
    }

    /// Keeps stmt, reset, for the next take of sql.
    void give_back(std::string sql, Handle stmt) noexcept {
        if (!stmt || capacity_ == 0) return;
        Reset()(stmt);
        try {
            if (const auto it = index_.find(sql); it != index_.end()) {
                // One free copy per text is enough; the newer one stays.
                entries_.erase(it->second);
                index_.erase(it);
            }
            entries_.emplace_front(std::move(sql), std::move(stmt));
            index_.emplace(entries_.front().first, entries_.begin());
            if (entries_.size() > capacity_) {
                index_.erase(entries_.back().first);
                entries_.pop_back();
            }
        } catch (...) {
            // Out of memory: the statement is simply not kept.
        }
    }

    void clear() noexcept {
        index_.clear();
        entries_.clear();
    }
    std::size_t size() const { return entries_.size(); }

  private:
    using Entry = std::pair<std::string, Handle>;
    std::size_t capacity_;
    std::list<Entry> entries_;  // most recently given back first
    std::unordered_map<std::string_view, typename std::list<Entry>::iterator> index_;
};

}  // namespace ortiva::detail
