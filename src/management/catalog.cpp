#include "management/catalog.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string_view>

#include "management/errors.hpp"
#include "management/file_io.hpp"

namespace ortiva::management {

namespace {

constexpr std::string_view first_line =
    "# Ortiva device catalog, version 1: one device a line as NAME<TAB>TYPE<TAB>FILE";

bool has_line_breaks_or_tabs(std::string_view s) {
    return s.find_first_of(std::string_view("\t\r\n\0", 4)) != std::string_view::npos;
}

// The one rule for device file paths, kept by the catalog reader and by everything that adds
// a device, so that nothing is written that the reader would refuse.
const char* device_file_problem(std::string_view file) {
    if (file.empty()) return "it is empty";
    if (has_line_breaks_or_tabs(file)) return "it may not hold tabs, line breaks or NUL characters";
    return nullptr;
}

std::string read_all(const File& f) {
    std::string s(f.size(), '\0');
    s.resize(f.read_at(0, s.data(), s.size()));
    return s;
}

}  // namespace

bool is_server_directory(const std::filesystem::path& dir) {
    if (dir.empty()) return false;
    check_path_text(dir, "server directory");
    const auto path = dir / catalog_file_name;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return S_ISREG(st.st_mode);
    // Only a catalog that is not there makes a directory no server; a directory the user may
    // not search is reported as what it is.
    if (errno == ENOENT || errno == ENOTDIR) return false;
    fail_io("Reading the device catalog", path.string(), errno);
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
        if (e.name.empty() || device_file_problem(e.file.string())) damaged();
        devices.push_back(std::move(e));
    }
    if (line_number == 0) fail(Error::catalog_damaged, {path.string(), "1"});
    return devices;
}

void remove_stale_catalog_copies(const std::filesystem::path& dir) noexcept {
    remove_stale_copies(dir / catalog_file_name, [](const File& f) {
        std::string head(first_line.size(), '\0');
        head.resize(f.read_at(0, head.data(), head.size()));
        return first_line.substr(0, head.size()) == head;
    });
}

void write_catalog(const std::filesystem::path& dir, const std::vector<DeviceEntry>& devices) {
    remove_stale_catalog_copies(dir);
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

void check_device_file(const std::filesystem::path& file) {
    if (const char* why = device_file_problem(file.native()))
        fail(Error::invalid_name, {file.string(), "device file", why});
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

}  // namespace ortiva::management
