#include <iostream>
#include <memory>
#include <string>

#include "commands.hpp"
#include "ortiva/component.hpp"

namespace ortiva::cli {

namespace {

std::string hex_id(int32_t id) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "0x00000000";
    auto v = static_cast<uint32_t>(id);
    for (std::size_t i = out.size(); i-- > 2; v >>= 4)
        out[i] = digits[v & 0xf];
    return out;
}

int list_classes(const std::string& only) {
    const component::TypeLibraryInfo& lib = component::type_library();
    if (only.empty()) {
        std::cout << "Type library " << lib.name << " {" << lib.id << "} " << lib.major << '.'
                  << lib.minor << "\n\n";
    }
    bool found = false;
    for (const component::ClassInfo& c : component::classes()) {
        if (!only.empty() && component::find_class(only) != &c &&
            component::find_class("Ortiva." + only) != &c)
            continue;
        found = true;
        std::cout << c.progid << "  class {" << c.clsid << "}\n  " << c.interface_name
                  << "  interface {" << c.iid << "}"
                  << (c.predeclared ? "  predeclared instance" : "") << '\n';
        for (const component::Member& m : c.members)
            std::cout << "    " << hex_id(m.dispid) << "  " << component::signature(m) << '\n';
        std::cout << '\n';
    }
    if (!found) {
        std::cerr << "classes: no class " << only << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

void add_classes_command(CLI::App& app, Action& action) {
    auto only = std::make_shared<std::string>();
    auto* cmd = app.add_subcommand(
        "classes", "The classes for late binding: ids and members with dispatch ids");
    cmd->add_option("class", *only, "One class, by name, programmatic id or class id");
    cmd->callback([&action, only] { action = [only] { return list_classes(*only); }; });
}

}  // namespace ortiva::cli
