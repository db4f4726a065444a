// Uses a little of every installed part and fails loudly when something is off.

#include <cstdio>
#include <cstring>
#include <string>

#include "ortiva/clscryptor.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/management.hpp"
#include "ortiva/memory_controls.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/version.hpp"

#ifdef CONSUMER_WITH_QT
int qt_part();
#endif

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "FAIL: %s\n", what);
        ++failures;
    }
}

}  // namespace

int main() {
    check(ortiva::version() == ORTIVA_VERSION, "headers and library agree on the version");
    check(std::strcmp(ortiva::version_string(), ORTIVA_VERSION_STRING) == 0, "version text");

    auto connection = ortiva::Connection::create();
    connection->Open("Data Source=:memory:");
    connection->Execute("create table T (Id INTEGER, Name VARCHAR(20))");
    connection->Execute("insert into T values (7, 'seven')");
    auto rs = connection->Execute("select Name from T where Id = 7");
    check(!rs->Eof() && ortiva::to_text(rs->Fields().Item(0).Value()) == "seven", "query");
    rs->Close();

    // Exceptions cross the library boundary as the one public type.
    try {
        connection->Execute("select * from NoSuchTable");
        check(false, "a bad statement throws");
    } catch (const ortiva::ErrorInfo& e) {
        check(e.number() != 0, "ErrorInfo carries a number");
    }

    ortiva::clscryptor cipher;
    check(cipher.DeCrypt(cipher.EnCrypt("open sesame", "key"), "key") == "open sesame", "cipher");

    auto list = ortiva::memory::create_control("ListBox", "names");
    list->call("AddItem", {ortiva::Variant("one")});
    check(ortiva::to_int32(list->get("ListCount")) == 1, "in-memory control");

    auto server = ortiva::management::create_server();
    check(!server->connected(), "management server object");

#ifdef CONSUMER_WITH_QT
    failures += qt_part();
#endif
    if (failures == 0) std::printf("consumer ok: Ortiva %s\n", ortiva::version_string());
    return failures == 0 ? 0 : 1;
}
