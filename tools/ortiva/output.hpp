#pragma once

// Rows as the operator asked for them: an aligned text table, CSV or JSON, written as they
// arrive so that a long result neither waits nor piles up in memory.

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "ortiva/variant.hpp"

namespace ortiva::cli {

enum class Format { table, csv, json };

/// The names --format accepts, for the command line's checks and help.
const std::vector<std::pair<std::string, Format>>& format_names();

class RowWriter {
  public:
    virtual ~RowWriter() = default;
    virtual void begin(const std::vector<std::string>& headers) = 0;
    virtual void row(const std::vector<Variant>& values) = 0;
    /// Flushes what is held back and closes the output (the table's row count, JSON's ']').
    virtual void end() = 0;
};

/// table_block: rows the table holds back to size its columns before printing them.
std::unique_ptr<RowWriter> make_writer(Format format, std::ostream& out,
                                       std::size_t table_block = 1000);

/// Reports the rows a statement changed; records_affected -1 means the driver cannot tell.
void write_affected(Format format, std::ostream& out, int32_t records_affected);

/// Columns the text takes on a terminal: East Asian wide characters count two, combining
/// marks none. Needs a UTF-8 LC_CTYPE (see use_utf8_ctype).
std::size_t display_width(std::string_view utf8);
/// Escapes control characters (\n, \r, \t, \xHH) and the backslash, so that one value stays
/// on one line of a table.
std::string escape_controls(std::string_view text);
/// Selects the environment's character type, or C.UTF-8 when that is not UTF-8, so that
/// display widths are those of Unicode.
void use_utf8_ctype();

}  // namespace ortiva::cli
