#include "ortiva/ClsCommonDb.hpp"

#include "db/support.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

ClsCommonDb::ClsCommonDb() = default;

// Only our reference goes: a connection shared through adocon stays open for its other holders.
ClsCommonDb::~ClsCommonDb() = default;

const std::shared_ptr<Connection>& ClsCommonDb::connection() {
    if (!connection_) connection_ = Connection::create();
    return connection_;
}

void ClsCommonDb::SetPropertyValues(const std::string& strConnectionString,
                                    const std::string& strUserId, const std::string& strPassword,
                                    const std::string& strDefaultTable) {
    db::unchanged([&] {
        last_sql_ = strConnectionString;
        connection()->Open(strConnectionString, strUserId, strPassword, -1);
        if (!text::trim(strDefaultTable).empty()) table_ = strDefaultTable;
        last_sql_ = "select getdate()";
        const auto rs = connection()->Execute(last_sql_, -1);
        system_date_ = to_date(rs->Fields().Item(0).Value());
    });
}

void ClsCommonDb::BeginTrans() {
    db::unchanged([&] { connection()->BeginTrans(); });
}

void ClsCommonDb::CommitTrans() {
    db::unchanged([&] { connection()->CommitTrans(); });
}

void ClsCommonDb::RollBackTrans() {
    db::unchanged([&] { connection()->RollbackTrans(); });
}

int16_t ClsCommonDb::ConState() {
    return static_cast<int16_t>(connection()->State());
}

void ClsCommonDb::adocon(std::shared_ptr<Connection> connection) {
    connection_ = std::move(connection);
}

void ClsCommonDb::LastExecutedSql(const std::string& /*value*/) {
    raise(err::set_not_permitted, "Ortiva.ClsCommonDb");
}

}  // namespace ortiva
