#include "drivers/sqlite/sqlite_driver.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"
#include "seams/data_driver.hpp"
#ifdef ORTIVA_HAVE_ODBC
#include "drivers/odbc/odbc_driver.hpp"
#endif

namespace ortiva::detail {

std::unique_ptr<ConnectionDriver> open_driver(const std::string& connection_string,
                                              const std::string& user_id,
                                              const std::string& password) {
    const auto cs = ConnectionString::parse(connection_string);
    const std::string provider = text::upper(cs.get("Provider"));
    if (provider == "SQLITE" ||
        (provider.empty() && cs.has("Data Source") && !cs.has("Driver") && !cs.has("DSN"))) {
        return sqlite::open(cs);
    }
    if (provider.empty() && (cs.has("Driver") || cs.has("DSN"))) {
#ifdef ORTIVA_HAVE_ODBC
        return odbc::open(cs, user_id, password);
#else
        (void)user_id;
        (void)password;
        raise(err::ado_provider_not_found, "Ortiva.Connection",
              "Provider cannot be found: this build of Ortiva has no ODBC driver.");
#endif
    }
    if (!provider.empty()) {
        raise(err::ado_provider_not_found, "Ortiva.Connection",
              "Provider cannot be found. It may not be properly installed. (Provider=" +
                  cs.get("Provider") + ")");
    }
    raise(err::ado_provider_not_found, "Ortiva.Connection",
          "The connection string names no provider, data source, driver or DSN.");
}

}  // namespace ortiva::detail
