// A first Ortiva program: connect, write and read records, fill a list view, and encipher a
// text. Built with the library, so it keeps compiling as the API moves.

#include <iostream>

#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/clscryptor.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/memory_controls.hpp"

int main() {
    using namespace ortiva;
    try {
        // An in-memory database: the schema goes in through the connection itself, which is
        // then handed to the helper object.
        auto conn = Connection::create();
        conn->Open("Data Source=:memory:");
        conn->Execute("CREATE TABLE Items (Code INTEGER, Name VARCHAR(40), Rate DOUBLE)");

        ClsCommonDb db;
        db.adocon(conn);
        db.strTableName("Items");
        for (const char* name : {"Nut", "Bolt", "Washer"}) {
            db.fnInsertRecord({db.fnGetNextMaxNo("Code"), name, 0.25});
        }
        std::cout << "Name of item 2: " << to_text(db.fnReturnField("Name", "Code = 2")) << '\n';

        auto list = memory::create_control("ListView", "lvwItems");
        auto headers = get_object(*list, "ColumnHeaders");
        for (const char* h : {"No", "Name", "Rate"}) {
            headers->call("Add", {Variant::missing(), Variant::missing(), h});
        }
        std::string condition;
        db.PopulateListview(*list, "Items", condition, {"SLNO", "Name", "Rate"});
        std::cout << memory::render(*list);

        clscryptor cipher;
        const std::string secret = cipher.EnCrypt("open sesame", "key");
        std::cout << "Enciphered: " << secret << "\nDeciphered: " << cipher.DeCrypt(secret, "key")
                  << '\n';
    } catch (const ErrorInfo& e) {
        std::cerr << "error " << e.number() << ": " << e.description() << '\n';
        return 1;
    }
    return 0;
}
