#include "management/sqlite/catalog.hpp"

#include <fcntl.h>

#include <string_view>

#include "management/sqlite/errors.hpp"
#include "management/sqlite/file_io.hpp"

namespace ortiva::management::sqlite {

namespace {

constexpr std::string_view first_line =
    "# Ortiva device catalog, version 1: one device a line as NAME<TAB>TYPE<TAB>FILE";

bool has_line_breaks_or_tabs(std::string_view s) {
    return s.find_first_of(std::string_view("\t\r\n\0", 4)) != std::string_view::npos;
}

std::string read_all(const File& f) {
    std::string s(f.size(), '\0');
    s.resize(f.read_at(0, s.data(), s.size()));
    return s;
}

}  // namespace

bool is_server_directory(const std::filesystem::path& dir) {
    std::error_code ec;
    return !dir.empty() && std::filesystem::is_regular_file(dir / catalog_file_name, ec);
}

std::vector<DeviceEntry> read_catalog(const std::filesystem::path& dir) {
    const auto path = dir / catalog_file_name;
    const File f = File::open_existing(path, O_RDONLY);
    if (!f.is_open()) fail(Error::not_a_server, {dir.string()});
    const std::string content = read_all(f);

    std::vector<DeviceEntry> devices;
    std::size_t line_number = 0;
    std::size_t at = 0;
    while (at < content.size()) {
        std::size_t eol = content.find('\n', at);
        if (eol == std::string::npos) eol = content.size();
        const std::string_view line(content.data() + at, eol - at);
        at = eol + 1;
        ++line_number;
        const auto damaged = [&] {
            fail(Error::catalog_damaged, {path.string(), std::to_string(line_number)});
        };
        if (line_number == 1) {
            if (line != first_line) damaged();
            continue;
        }
        if (line.empty()) continue;
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) damaged();
        DeviceEntry e;
        e.name = std::string(line.substr(0, tab1));
        const std::string_view type = line.substr(tab1 + 1, tab2 - tab1 - 1);
        if (type == "2") {
            e.type = 2;
        } else if (type == "5") {
            e.type = 5;
        } else {
            damaged();
        }
        e.file = std::string(line.substr(tab2 + 1));
        if (e.name.empty() || e.file.empty() || has_line_breaks_or_tabs(e.file.string())) damaged();
        devices.push_back(std::move(e));
    }
    if (line_number == 0) fail(Error::catalog_damaged, {path.string(), "1"});
    return devices;
}

void write_catalog(const std::filesystem::path& dir, const std::vector<DeviceEntry>& devices) {
    std::string content(first_line);
    content += '\n';
    for (const DeviceEntry& e : devices)
        content += e.name + '\t' + std::to_string(e.type) + '\t' + e.file.string() + '\n';
    replace_file(dir / catalog_file_name,
                 [&](File& f) { f.write_at(0, content.data(), content.size()); });
}

std::filesystem::path device_file_path(const std::filesystem::path& dir, const DeviceEntry& entry) {
    return entry.file.is_absolute() ? entry.file : dir / entry.file;
}

void check_device_name(const std::string& name) {
    const char* why = nullptr;
    if (name.empty()) {
        why = "it is empty";
    } else if (has_line_breaks_or_tabs(name)) {
        why = "it may not hold tabs, line breaks or NUL characters";
    } else if (name.front() == ' ' || name.back() == ' ') {
        why = "it may not begin or end with a space";
    }
    if (why) fail(Error::invalid_name, {name, "device", why});
}

void check_database_name(const std::string& name) {
    const char* why = nullptr;
    if (name.empty()) {
        why = "it is empty";
    } else if (name == "." || name == "..") {
        why = "it names a directory";
    } else if (name.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
        why = "it may not hold '/' or NUL characters";
    }
    if (why) fail(Error::invalid_name, {name, "database", why});
}

}  // namespace ortiva::management::sqlite
