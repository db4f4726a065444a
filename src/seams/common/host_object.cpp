#include "ortiva/host_object.hpp"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "ortiva/error_info.hpp"

namespace ortiva {

namespace {

// Names live in fixed chunks that never move, so that member_name reads without a lock: a
// name is written before the count that makes it visible.
constexpr int32_t chunk_bits = 10;
constexpr int32_t chunk_size = 1 << chunk_bits;
constexpr int32_t max_chunks = 1 << 10;

struct MemberNames {
    std::mutex mutex;
    std::unordered_map<std::string, int32_t> ids;  // by lower-cased name
    std::atomic<std::string*> chunks[max_chunks] = {};
    std::atomic<int32_t> count{0};

    ~MemberNames() {
        for (auto& chunk : chunks)
            delete[] chunk.load();
    }
};

MemberNames& member_names() {
    static MemberNames names;
    return names;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace

MemberId HostObject::id_of(std::string_view member) {
    MemberNames& names = member_names();
    std::string key = lower(member);
    std::lock_guard lock(names.mutex);
    if (const auto it = names.ids.find(key); it != names.ids.end()) return MemberId{it->second};
    const int32_t id = names.count.load(std::memory_order_relaxed);
    if (id == chunk_size * max_chunks) raise(err::out_of_memory);
    std::atomic<std::string*>& chunk = names.chunks[id >> chunk_bits];
    if (!chunk.load(std::memory_order_relaxed)) chunk.store(new std::string[chunk_size]);
    chunk.load(std::memory_order_relaxed)[id & (chunk_size - 1)] = std::string(member);
    names.ids.emplace(std::move(key), id);
    names.count.store(id + 1, std::memory_order_release);
    return MemberId{id};
}

std::string_view member_name(MemberId id) {
    MemberNames& names = member_names();
    const auto i = static_cast<int32_t>(id);
    if (i < 0 || i >= names.count.load(std::memory_order_acquire)) raise(err::no_such_member);
    return names.chunks[i >> chunk_bits].load(std::memory_order_acquire)[i & (chunk_size - 1)];
}

Variant HostObject::get_by_id(MemberId id, const Args& index) {
    return get(member_name(id), index);
}

void HostObject::let_by_id(MemberId id, const Variant& value, const Args& index) {
    let(member_name(id), value, index);
}

Variant HostObject::call_by_id(MemberId id, const Args& args) {
    return call(member_name(id), args);
}

HostObjectPtr object_of(const Variant& v) {
    if (!v.is_object()) raise(err::object_required);
    if (!v.object()) raise(err::object_not_set);
    return v.object();
}

HostObjectPtr get_object(HostObject& obj, std::string_view member, const Args& index) {
    return object_of(obj.get(member, index));
}

}  // namespace ortiva
