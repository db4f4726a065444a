// The C interface: opaque handles over HostObject, variants converted at the boundary, every
// exception turned into an ortiva_error. Nothing C++ crosses it.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ortiva/component.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/memory_controls.hpp"
#include "ortiva/ortiva.h"
#include "ortiva/version.hpp"

struct ortiva_object {
    int64_t refs;
    ortiva::HostObjectPtr object;
};

namespace {

using ortiva::ErrorInfo;
using ortiva::Variant;
using ortiva::VariantArray;
using ortiva::VariantKind;

// One handle per live object, so that a host sees the same handle for the same object (the
// predeclared instances, a control handed back by the library) and can compare them.
struct Handles {
    std::mutex mutex;
    std::unordered_map<const ortiva::HostObject*, ortiva_object*> by_object;
    int64_t live = 0;
};

Handles& handles() {
    static auto* h = new Handles;  // outlives every static that may still hold a handle
    return *h;
}

ortiva_object* handle_for(const ortiva::HostObjectPtr& object) {
    if (!object) return nullptr;
    Handles& h = handles();
    std::lock_guard lock(h.mutex);
    auto [it, inserted] = h.by_object.try_emplace(object.get(), nullptr);
    if (!inserted) {
        ++it->second->refs;
        return it->second;
    }
    try {
        it->second = new ortiva_object{1, object};
    } catch (...) {
        h.by_object.erase(it);
        throw;
    }
    ++h.live;
    return it->second;
}

char* copy_text(const char* text, std::size_t length) {
    auto* out = static_cast<char*>(std::malloc(length + 1));
    if (!out) throw std::bad_alloc();
    if (length) std::memcpy(out, text, length);
    out[length] = '\0';
    return out;
}

char* copy_text(const std::string& text) {
    return copy_text(text.data(), text.size());
}

void fill_error(ortiva_error* error, const ErrorInfo& e) noexcept {
    if (!error) return;
    *error = {};
    error->number = e.number();
    error->help_context = e.help_context();
    try {
        error->source = copy_text(e.source());
        error->description = copy_text(e.description());
        error->help_file = copy_text(e.help_file());
    } catch (...) {
        // Out of memory: the number still says what happened.
    }
}

// Runs a body, reporting any failure through the error out-parameter.
template <typename Body>
int32_t guarded(ortiva_error* error, Body&& body) noexcept {
    try {
        body();
        return ORTIVA_OK;
    } catch (const ErrorInfo& e) {
        fill_error(error, e);
    } catch (const std::bad_alloc&) {
        fill_error(error, ErrorInfo(ortiva::err::out_of_memory, {},
                                    ortiva::standard_description(ortiva::err::out_of_memory)));
    } catch (const std::exception& e) {
        fill_error(error, ErrorInfo(ortiva::err::invalid_call, {}, e.what()));
    } catch (...) {
        fill_error(error, ErrorInfo(ortiva::err::invalid_call, {}, "Unknown failure"));
    }
    return ORTIVA_FAILED;
}

void require(const void* p, const char* what) {
    if (!p) ortiva::raise(ortiva::err::invalid_call, {}, std::string(what) + " is NULL");
}

Variant to_cpp(const ortiva_variant& v) {
    switch (v.kind) {
        case ORTIVA_EMPTY:
            return {};
        case ORTIVA_NULL:
            return Variant::null();
        case ORTIVA_INTEGER:
            return Variant(v.value.integer);
        case ORTIVA_LONG:
            return Variant(v.value.long_value);
        case ORTIVA_SINGLE:
            return Variant(v.value.single);
        case ORTIVA_DOUBLE:
            return Variant(v.value.dbl);
        case ORTIVA_DATE:
            return Variant(ortiva::Date(v.value.date));
        case ORTIVA_STRING:
            if (!v.value.string.data && v.value.string.length) require(nullptr, "string data");
            return Variant(
                std::string(v.value.string.data ? v.value.string.data : "", v.value.string.length));
        case ORTIVA_OBJECT:
            return Variant(v.value.object ? v.value.object->object : ortiva::HostObjectPtr{});
        case ORTIVA_ERROR:
            return Variant::error(v.value.error_code);
        case ORTIVA_BOOLEAN:
            return Variant(v.value.boolean != 0);
        case ORTIVA_ARRAY: {
            if (!v.value.array.items && v.value.array.count) require(nullptr, "array items");
            std::vector<Variant> items;
            items.reserve(v.value.array.count);
            for (std::size_t i = 0; i < v.value.array.count; ++i)
                items.push_back(to_cpp(v.value.array.items[i]));
            return Variant(VariantArray(std::move(items), v.value.array.lower_bound));
        }
    }
    ortiva::raise(ortiva::err::unsupported_type, {},
                  "Variable uses an Automation type not supported: kind " + std::to_string(v.kind));
}

// Fills an Empty variant; on failure it stays Empty.
void to_c(const Variant& v, ortiva_variant* out) {
    ortiva_variant r{};
    r.kind = static_cast<int32_t>(v.kind());
    switch (v.kind()) {
        case VariantKind::Empty:
        case VariantKind::Null:
            break;
        case VariantKind::Integer:
            r.value.integer = v.integer();
            break;
        case VariantKind::Long:
            r.value.long_value = v.long_value();
            break;
        case VariantKind::Single:
            r.value.single = v.single();
            break;
        case VariantKind::Double:
            r.value.dbl = v.dbl();
            break;
        case VariantKind::Date:
            r.value.date = v.date().serial;
            break;
        case VariantKind::String:
            r.value.string.data = copy_text(v.str());
            r.value.string.length = v.str().size();
            break;
        case VariantKind::Object:
            r.value.object = handle_for(v.object());
            break;
        case VariantKind::Error:
            r.value.error_code = v.error_code();
            break;
        case VariantKind::Boolean:
            r.value.boolean = v.boolean() ? -1 : 0;
            break;
        case VariantKind::Array: {
            // One dimension crosses; the items of a larger one go in storage order.
            const VariantArray& a = v.array();
            r.value.array.lower_bound = a.dimensions() ? a.lbound() : 0;
            if (a.size()) {
                r.value.array.items =
                    static_cast<ortiva_variant*>(std::calloc(a.size(), sizeof(ortiva_variant)));
                if (!r.value.array.items) throw std::bad_alloc();
                r.value.array.count = a.size();
                try {
                    for (std::size_t i = 0; i < a.size(); ++i)
                        to_c(a.items()[i], &r.value.array.items[i]);
                } catch (...) {
                    ortiva_variant_clear(&r);
                    throw;
                }
            }
            break;
        }
    }
    *out = r;
}

// Variants made for a callback and freed when it returns.
class CVariants {
  public:
    explicit CVariants(const ortiva::Args& args) : items_(args.size()) {
        for (std::size_t i = 0; i < args.size(); ++i)
            to_c(args[i], &items_[i]);
    }
    ~CVariants() {
        for (auto& v : items_)
            ortiva_variant_clear(&v);
    }
    CVariants(const CVariants&) = delete;
    CVariants& operator=(const CVariants&) = delete;
    ortiva_variant* data() { return items_.data(); }
    std::size_t size() const { return items_.size(); }

  private:
    std::vector<ortiva_variant> items_;
};

// A host's own object, answering through its callback table.
class CallbackObject final : public ortiva::HostObject {
  public:
    CallbackObject(const ortiva_host_callbacks* callbacks, void* self)
        : callbacks_(callbacks), self_(self) {}
    ~CallbackObject() override {
        if (callbacks_->release) callbacks_->release(self_);
    }

    std::string type_name() const override {
        const char* name = callbacks_->type_name ? callbacks_->type_name(self_) : nullptr;
        return name ? name : "Object";
    }

    Variant get(std::string_view member, const ortiva::Args& index) override {
        if (!callbacks_->get) ortiva::raise(ortiva::err::no_such_member);
        CVariants c_index(index);
        return answer([&](ortiva_variant* result, ortiva_error* error) {
            return callbacks_->get(self_, std::string(member).c_str(), c_index.data(),
                                   c_index.size(), result, error);
        });
    }

    void let(std::string_view member, const Variant& value, const ortiva::Args& index) override {
        if (!callbacks_->let) ortiva::raise(ortiva::err::no_such_member);
        CVariants c_index(index);
        CVariants c_value({value});
        answer([&](ortiva_variant*, ortiva_error* error) {
            return callbacks_->let(self_, std::string(member).c_str(), c_value.data(),
                                   c_index.data(), c_index.size(), error);
        });
    }

    Variant call(std::string_view member, const ortiva::Args& args) override {
        if (!callbacks_->call) ortiva::raise(ortiva::err::no_such_member);
        CVariants c_args(args);
        return answer([&](ortiva_variant* result, ortiva_error* error) {
            return callbacks_->call(self_, std::string(member).c_str(), c_args.data(),
                                    c_args.size(), result, error);
        });
    }

  private:
    template <typename Callback>
    Variant answer(Callback&& callback) {
        ortiva_variant result{};
        ortiva_error error{};
        const int32_t status = callback(&result, &error);
        if (status != ORTIVA_OK) {
            ortiva_variant_clear(&result);
            ErrorInfo e(error.number ? error.number : ortiva::err::app_defined,
                        error.source ? error.source : "",
                        error.description ? error.description : "",
                        error.help_file ? error.help_file : "", error.help_context);
            ortiva_error_clear(&error);
            throw e;
        }
        ortiva_error_clear(&error);
        try {
            Variant v = to_cpp(result);
            ortiva_variant_clear(&result);
            return v;
        } catch (...) {
            ortiva_variant_clear(&result);
            throw;
        }
    }

    const ortiva_host_callbacks* callbacks_;
    void* self_;
};

}  // namespace

extern "C" {

const char* ortiva_version(void) {
    return ortiva::version_string();
}

int32_t ortiva_create(const char* id, ortiva_object** out, ortiva_error* error) {
    return guarded(error, [&] {
        require(id, "id");
        require(out, "out");
        *out = handle_for(ortiva::component::create(id));
    });
}

int32_t ortiva_predeclared(const char* id, ortiva_object** out, ortiva_error* error) {
    return guarded(error, [&] {
        require(id, "id");
        require(out, "out");
        *out = handle_for(ortiva::component::predeclared(id));
    });
}

int32_t ortiva_create_control(const char* type_name, const char* name, ortiva_object** out,
                              ortiva_error* error) {
    return guarded(error, [&] {
        require(type_name, "type_name");
        require(out, "out");
        *out = handle_for(ortiva::memory::create_control(type_name, name ? name : ""));
    });
}

int32_t ortiva_host_object_create(const ortiva_host_callbacks* callbacks, void* self,
                                  ortiva_object** out, ortiva_error* error) {
    return guarded(error, [&] {
        require(callbacks, "callbacks");
        require(out, "out");
        *out = handle_for(std::make_shared<CallbackObject>(callbacks, self));
    });
}

void ortiva_addref(ortiva_object* object) {
    if (!object) return;
    std::lock_guard lock(handles().mutex);
    ++object->refs;
}

void ortiva_release(ortiva_object* object) {
    if (!object) return;
    Handles& h = handles();
    {
        std::lock_guard lock(h.mutex);
        if (--object->refs > 0) return;
        h.by_object.erase(object->object.get());
        --h.live;
    }
    // Outside the lock: a host object's release callback may release others.
    delete object;
}

int64_t ortiva_live_objects(void) {
    Handles& h = handles();
    std::lock_guard lock(h.mutex);
    return h.live;
}

int32_t ortiva_id_of_name(ortiva_object* object, const char* name, int32_t* id,
                          ortiva_error* error) {
    return guarded(error, [&] {
        require(object, "object");
        require(name, "name");
        require(id, "id");
        *id = ortiva::component::id_of_name(*object->object, name);
    });
}

int32_t ortiva_member_flags(ortiva_object* object, int32_t id) {
    if (!object) return 0;
    const auto* o = dynamic_cast<const ortiva::component::Object*>(object->object.get());
    if (!o) return 0;
    const ortiva::component::Member* m = o->class_info().find(id);
    return m ? m->kinds : 0;
}

int32_t ortiva_invoke(ortiva_object* object, int32_t id, int32_t how, ortiva_variant* args,
                      size_t count, ortiva_variant* result, ortiva_error* error) {
    return guarded(error, [&] {
        require(object, "object");
        if (count) require(args, "args");
        std::vector<Variant> cpp;
        cpp.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            cpp.push_back(to_cpp(args[i]));

        const ortiva::component::Member* member = nullptr;
        if (const auto* o = dynamic_cast<const ortiva::component::Object*>(object->object.get()))
            member = o->class_info().find(id);
        auto write_back = [&] {
            if (!member || how == ORTIVA_PROPERTY_LET) return;
            for (std::size_t i = 0; i < count && i < member->params.size(); ++i) {
                if (!member->params[i].written) continue;
                ortiva_variant_clear(&args[i]);
                to_c(cpp[i], &args[i]);
            }
        };
        Variant r;
        try {
            r = ortiva::component::invoke(*object->object, id,
                                          static_cast<ortiva::component::Invoke>(how), cpp);
        } catch (...) {
            write_back();
            throw;
        }
        write_back();
        if (result) to_c(r, result);
    });
}

void ortiva_variant_clear(ortiva_variant* variant) {
    if (!variant) return;
    switch (variant->kind) {
        case ORTIVA_STRING:
            std::free(variant->value.string.data);
            break;
        case ORTIVA_OBJECT:
            ortiva_release(variant->value.object);
            break;
        case ORTIVA_ARRAY:
            for (std::size_t i = 0; i < variant->value.array.count; ++i)
                ortiva_variant_clear(&variant->value.array.items[i]);
            std::free(variant->value.array.items);
            break;
        default:
            break;
    }
    *variant = {};
}

int32_t ortiva_variant_set_string(ortiva_variant* variant, const char* text, size_t length) {
    if (!variant || (!text && length)) return ORTIVA_FAILED;
    char* copy = nullptr;
    try {
        copy = copy_text(text, length);
    } catch (const std::bad_alloc&) {
        return ORTIVA_FAILED;
    }
    ortiva_variant_clear(variant);
    variant->kind = ORTIVA_STRING;
    variant->value.string.data = copy;
    variant->value.string.length = length;
    return ORTIVA_OK;
}

int32_t ortiva_variant_set_array(ortiva_variant* variant, size_t count) {
    if (!variant) return ORTIVA_FAILED;
    ortiva_variant* items = nullptr;
    if (count) {
        items = static_cast<ortiva_variant*>(std::calloc(count, sizeof(ortiva_variant)));
        if (!items) return ORTIVA_FAILED;
    }
    ortiva_variant_clear(variant);
    variant->kind = ORTIVA_ARRAY;
    variant->value.array.items = items;
    variant->value.array.count = count;
    variant->value.array.lower_bound = 0;
    return ORTIVA_OK;
}

void ortiva_variant_set_object(ortiva_variant* variant, ortiva_object* object) {
    if (!variant) return;
    ortiva_addref(object);
    ortiva_variant_clear(variant);
    variant->kind = ORTIVA_OBJECT;
    variant->value.object = object;
}

char* ortiva_strdup(const char* text) {
    if (!text) return nullptr;
    const std::size_t size = std::strlen(text) + 1;
    auto* out = static_cast<char*>(std::malloc(size));
    if (out) std::memcpy(out, text, size);
    return out;
}

void ortiva_error_clear(ortiva_error* error) {
    if (!error) return;
    std::free(error->source);
    std::free(error->description);
    std::free(error->help_file);
    *error = {};
}

}  // extern "C"
