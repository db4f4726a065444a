#include <array>
#include <mutex>
#include <utility>
#include <vector>

#include "component/data_objects.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/clsCommonGen.hpp"
#include "ortiva/clscryptor.hpp"
#include "ortiva/component.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::component {

namespace {

[[noreturn]] void fail(int32_t number, const ClassInfo& c, std::string detail) {
    raise(number, std::string(c.progid), standard_description(number) + ": " + detail);
}

std::string where(const ClassInfo& c, const Member& m) {
    return std::string(c.name) + "." + std::string(m.name);
}

// Converts an argument to its parameter's type, as the dispatch interface coerces it.
Variant convert(const ClassInfo& c, const Member& m, std::size_t i, const Parameter& p,
                const Variant& a) {
    auto mismatch = [&]() -> Variant {
        fail(err::type_mismatch, c,
             "argument " + std::to_string(i + 1) + " (" + std::string(p.name) + ") of " +
                 where(c, m) + " takes " + std::string(type_name(p.type)) + ", not " +
                 std::string(kind_name(a.kind())));
    };
    if (a.is_missing()) {
        if (!p.optional)
            fail(err::argument_not_optional, c,
                 std::string(p.name) + " of " + where(c, m) + " is required");
        switch (p.type) {
            case Type::string:
                return Variant(std::string());
            case Type::integer:
                return Variant(int16_t{0});
            default:
                return a;
        }
    }
    switch (p.type) {
        case Type::variant:
            return a;
        case Type::array:
            return a.is_array() ? a : mismatch();
        case Type::control:
            if (!a.is_object()) return mismatch();
            if (!a.object()) fail(err::object_not_set, c, std::string(p.name) + " is Nothing");
            return a;
        case Type::connection:
            if (!a.is_object()) return mismatch();
            // Late-bound hosts hold no connection objects: only Nothing can be assigned.
            if (a.object()) return mismatch();
            return a;
        default:
            break;
    }
    if (a.is_object() || a.is_array() || a.kind() == VariantKind::Error) return mismatch();
    switch (p.type) {
        case Type::string:
            return Variant(to_text(a));
        case Type::integer:
            return Variant(to_int16(a));
        case Type::long_value:
            return Variant(to_int32(a));
        case Type::boolean:
            return Variant(to_bool(a));
        case Type::date:
            return Variant(to_date(a));
        default:
            return mismatch();
    }
}

class CommonDbObject final : public Object {
  public:
    const ClassInfo& class_info() const noexcept override { return classes()[0]; }

  protected:
    Variant dispatch(const Member& m, Invoke how, std::span<Variant> a) override {
        ClsCommonDb& o = impl_;
        switch (m.dispid) {
            case 0x40030000:
                if (how == property_let) {
                    o.strTableName(a[0].str());
                    return {};
                }
                return Variant(o.strTableName());
            case 0x68030000:
                if (how == property_let) o.LastExecutedSql(a[0].str());
                return Variant(o.LastExecutedSql());
            case 0x68030001:
                o.adocon(nullptr);
                return {};
            case 0x68030002:
                return Variant(o.ConState());
            case 0x68030003:
                return Variant(o.dtSystemDate());
            case 0x60030004:
                o.SetPropertyValues(a[0].str(), a[1].str(), a[2].str(), a[3].str());
                return {};
            case 0x60030005:
                return Variant(o.fnGetNextMaxNo(a[0].str()));
            case 0x60030006:
                o.PopulateComboOrList(*a[0].object(), a[1].str(), a[2].str(), a[3]);
                return {};
            case 0x60030007:
                return o.fnReturnField(a[0].str(), a[1]);
            case 0x60030008:
                return Variant(wrap_recordset(o.fnReturnRecords(a[0].str())));
            case 0x60030009:
                return Variant(o.fnInsertRecord(a[0].array()));
            case 0x6003000a:
                return Variant(o.fnInsertGridDetails(*a[0].object(), a[1].array()));
            case 0x6003000b:
                return Variant(o.fnUpdateListViewDetails(*a[0].object(), a[1].array()));
            case 0x6003000c:
                return Variant(o.fnUpdateSelectedRecord(a[0].str(), a[1].array()));
            case 0x6003000d:
                return Variant(o.fnDeleteSelectedRecord(a[0].str()));
            case 0x6003000e: {
                int16_t index = a[1].integer();
                Variant result;
                try {
                    result = Variant(o.fnInsertListview(*a[0].object(), index, a[2].array()));
                } catch (...) {
                    a[1] = Variant(index);
                    throw;
                }
                a[1] = Variant(index);
                return result;
            }
            case 0x6003000f: {
                std::string condition = a[2].str();
                try {
                    o.PopulateListview(*a[0].object(), a[1].str(), condition, a[3].array());
                } catch (...) {
                    a[2] = Variant(std::move(condition));
                    throw;
                }
                a[2] = Variant(std::move(condition));
                return {};
            }
            case 0x60030010:
                return Variant(o.fnDeleteListview(a[0].boolean(), *a[1].object(), a[2].boolean(),
                                                  a[3], a[4].integer()));
            case 0x60030011:
                o.PopulateTree(*a[0].object(), a[1].str(), a[2].str(), a[3].array());
                return {};
            case 0x60030012:
                o.BeginTrans();
                return {};
            case 0x60030013:
                o.CommitTrans();
                return {};
            case 0x60030014:
                o.RollBackTrans();
                return {};
        }
        raise(err::no_such_member);
    }

  private:
    ClsCommonDb impl_;
};

// Runs a member that writes back a 16-bit key code, also when it fails part way.
template <typename Call>
void with_key(Variant& arg, Call&& call) {
    int16_t key = arg.integer();
    try {
        call(key);
    } catch (...) {
        arg = Variant(key);
        throw;
    }
    arg = Variant(key);
}

class CommonGenObject final : public Object {
  public:
    const ClassInfo& class_info() const noexcept override { return classes()[1]; }

  protected:
    Variant dispatch(const Member& m, Invoke, std::span<Variant> a) override {
        clsCommonGen& o = impl_;
        switch (m.dispid) {
            case 0x60030000:
                o.SelectComboItemByValue(*a[0].object(), a[1].long_value());
                return {};
            case 0x60030001:
                o.SelectComboItem(*a[0].object(), a[1].long_value());
                return {};
            case 0x60030002:
                o.FormControlsEnabled(*a[0].object(), a[1].boolean());
                return {};
            case 0x60030003:
                o.DisableAllForms(a[0].str());
                return {};
            case 0x60030004:
                o.EnableAllForms();
                return {};
            case 0x60030005:
                with_key(a[1], [&](int16_t& key) {
                    o.TextValidateNum(*a[0].object(), key, a[2].integer(), a[3].integer());
                });
                return {};
            case 0x60030006:
                o.ClearControls(*a[0].object());
                return {};
            case 0x60030007:
                return Variant(o.fnMandatoryFldAvailable(*a[0].object(), a[1].str(), a[2].str()));
            case 0x60030008:
                return Variant(o.fnGridDuplicateRow(*a[0].object(), a[1].array()));
            case 0x60030009:
                o.SelectComboItemByName(*a[0].object(), a[1].str());
                return {};
            case 0x6003000a:
                return Variant(o.fnUserRightOk(a[0].str(), a[1].str()));
            case 0x6003000b:
                with_key(a[1], [&](int16_t& key) { o.MatchComboItem(*a[0].object(), key); });
                return {};
            case 0x6003000c:
                return Variant(o.GetIndex(*a[0].object(), a[1].str()));
        }
        raise(err::no_such_member);
    }

  private:
    clsCommonGen impl_;
};

class CryptorObject final : public Object {
  public:
    const ClassInfo& class_info() const noexcept override { return classes()[2]; }

  protected:
    Variant dispatch(const Member& m, Invoke, std::span<Variant> a) override {
        if (m.dispid == 0x60030006) return Variant(impl_.EnCrypt(a[0].str(), a[1].str()));
        if (m.dispid == 0x60030007) return Variant(impl_.DeCrypt(a[0].str(), a[1].str()));
        raise(err::no_such_member);
    }

  private:
    clscryptor impl_;
};

class BackupRestoreObject final : public Object {
  public:
    const ClassInfo& class_info() const noexcept override { return classes()[3]; }

  protected:
    Variant dispatch(const Member& m, Invoke, std::span<Variant> a) override {
        ClsDBBackupRestore& o = impl_;
        switch (m.dispid) {
            case 0x60030000:
                o.SetConnectionToServer(a[0].str(), a[1].str(), a[2].str());
                return {};
            case 0x60030001:
                o.ListBackupDevice(*a[0].object(), a[1].boolean());
                return {};
            case 0x60030002:
                return Variant(o.fnBackupDatabase(a[0].str(), a[1].boolean(), a[2].array()));
            case 0x60030003:
                return Variant(o.fnListBackupDetails(*a[0].object(), a[1].str(), a[2].array()));
            case 0x60030004:
                return Variant(o.fnRestoreDatabase(a[0].str(), a[1].integer(), a[2].array()));
        }
        raise(err::no_such_member);
    }

  private:
    ClsDBBackupRestore impl_;
};

std::shared_ptr<Object> make(const ClassInfo& c) {
    switch (&c - classes().data()) {
        case 0:
            return std::make_shared<CommonDbObject>();
        case 1:
            return std::make_shared<CommonGenObject>();
        case 2:
            return std::make_shared<CryptorObject>();
        default:
            return std::make_shared<BackupRestoreObject>();
    }
}

const ClassInfo& class_of(std::string_view id) {
    const ClassInfo* c = find_class(id);
    if (!c)
        raise(err::cannot_create_object, {}, "Can't create object: no class " + std::string(id));
    return *c;
}

}  // namespace

int32_t Object::id_of_name(std::string_view name) const {
    const ClassInfo& c = class_info();
    if (const Member* m = c.find(name)) return m->dispid;
    fail(err::no_such_member, c, std::string(c.name) + " has no member " + std::string(name));
}

Variant Object::invoke(int32_t dispid, Invoke how, std::span<Variant> args) {
    const ClassInfo& c = class_info();
    const Member* m = c.find(dispid);
    if (!m)
        fail(err::no_such_member, c,
             std::string(c.name) + " has no member with dispatch id " + std::to_string(dispid));
    if (how != method && how != property_get && how != property_let)
        raise(err::invalid_call, std::string(c.progid), "No such kind of invocation");
    if (how == property_let && !(m->kinds & property_let))
        fail(err::wrong_argument_count, c, where(c, *m) + " cannot be assigned");
    if (how != property_let && m->kinds == property_let)
        raise(err::no_property_get, std::string(c.progid),
              "Property let procedure not defined and property get procedure did not return an "
              "object: " +
                  where(c, *m) + " can only be assigned");

    std::vector<Variant> a;
    if (how == property_let) {
        if (args.size() != 1)
            fail(err::wrong_argument_count, c, where(c, *m) + " is assigned one value");
        const Parameter value{"value", m->result};
        a.push_back(convert(c, *m, 0, value, args[0]));
    } else {
        std::size_t required = 0;
        for (const Parameter& p : m->params)
            required += p.optional ? 0 : 1;
        if (args.size() < required || args.size() > m->params.size())
            fail(err::wrong_argument_count, c,
                 where(c, *m) + " takes " +
                     (required == m->params.size()
                          ? std::to_string(required)
                          : std::to_string(required) + " to " + std::to_string(m->params.size())) +
                     " arguments, not " + std::to_string(args.size()));
        a.reserve(m->params.size());
        for (std::size_t i = 0; i < m->params.size(); ++i) {
            a.push_back(
                convert(c, *m, i, m->params[i], i < args.size() ? args[i] : Variant::missing()));
        }
    }

    auto write_back = [&] {
        for (std::size_t i = 0; i < m->params.size() && i < args.size(); ++i) {
            if (m->params[i].written && how != property_let) args[i] = std::move(a[i]);
        }
    };
    try {
        Variant result = dispatch(*m, how, a);
        write_back();
        return result;
    } catch (...) {
        write_back();
        throw;
    }
}

std::string Object::type_name() const {
    return std::string(class_info().name);
}

Variant Object::get(std::string_view member, const Args& index) {
    Args args(index);
    return invoke(id_of_name(member), property_get, args);
}

void Object::let(std::string_view member, const Variant& value, const Args& index) {
    Args args(index);
    args.push_back(value);
    invoke(id_of_name(member), property_let, args);
}

Variant Object::call(std::string_view member, const Args& args) {
    Args copy(args);
    return invoke(id_of_name(member), method, copy);
}

std::shared_ptr<Object> create(std::string_view id) {
    return make(class_of(id));
}

std::shared_ptr<Object> predeclared(std::string_view id) {
    const ClassInfo& c = class_of(id);
    if (!c.predeclared)
        raise(err::cannot_create_object, std::string(c.progid),
              "Can't create object: " + std::string(c.name) +
                  " has no predeclared instance; create it");
    static std::mutex mutex;
    static std::array<std::shared_ptr<Object>, 4> instances;
    std::lock_guard lock(mutex);
    auto& instance = instances[static_cast<std::size_t>(&c - classes().data())];
    if (!instance) instance = make(c);
    return instance;
}

int32_t id_of_name(HostObject& object, std::string_view name) {
    if (auto* o = dynamic_cast<Object*>(&object)) return o->id_of_name(name);
    return static_cast<int32_t>(HostObject::id_of(name));
}

Variant invoke(HostObject& object, int32_t dispid, Invoke how, std::span<Variant> args) {
    if (auto* o = dynamic_cast<Object*>(&object)) return o->invoke(dispid, how, args);
    const MemberId id{dispid};
    switch (how) {
        case property_get:
            return object.get_by_id(id, Args(args.begin(), args.end()));
        case property_let:
            if (args.empty()) raise(err::wrong_argument_count);
            object.let_by_id(id, args.back(), Args(args.begin(), args.end() - 1));
            return {};
        case method:
            return object.call_by_id(id, Args(args.begin(), args.end()));
    }
    raise(err::invalid_call, {}, "No such kind of invocation");
}

}  // namespace ortiva::component
