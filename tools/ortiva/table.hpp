#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ortiva::cli {

/// Prints rows under their headers as an aligned text table.
void print_table(std::ostream& out, const std::vector<std::string>& headers,
                 const std::vector<std::vector<std::string>>& rows);

}  // namespace ortiva::cli
