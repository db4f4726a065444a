#include "controls/common/collection.hpp"

namespace ortiva::controls {

namespace {

enum class C { none, Item, Count, Add, Remove, Clear };
constexpr Member<C> members[] = {
    {"", C::Item},   {"Item", C::Item},     {"Count", C::Count},
    {"Add", C::Add}, {"Remove", C::Remove}, {"Clear", C::Clear},
};

}  // namespace

Variant Collection::hand_out(Access access, const Args& args) {
    if (access == Access::let) read_only();
    expect_args(args, 0, 1);
    return args.empty() ? object_variant(shared_from_this()) : item(args[0]);
}

Variant Collection::dispatch(Access access, const MemberRef& member, const Args& args,
                             const Variant*) {
    const auto keep = control_.lock();
    if (!keep) removed();
    keep->check_alive();
    switch (find_member<members>(member)) {
        case C::Item:
            if (access == Access::let) read_only();
            expect_args(args, 1, 1);
            return item(args[0]);
        case C::Count:
            read_only_property(access, args);
            return Variant(count());
        case C::Add:
            method(access);
            return add(args);
        case C::Remove:
            method(access);
            expect_args(args, 1, 1);
            remove(args[0]);
            return {};
        case C::Clear:
            method(access);
            expect_args(args, 0, 0);
            clear();
            return {};
        case C::none:
            break;
    }
    no_member();
}

}  // namespace ortiva::controls
