// ClsDBBackupRestore over a real server directory: device lists, backup runs, the run list
// with its stride, and restores.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "backup/server_fixture.hpp"
#include "management/errors.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/memory_controls.hpp"

namespace ortiva {
namespace {

using management::Error;
using testing::code;
using testing::ServerDir;

VariantArray names(std::initializer_list<const char*> list) {
    std::vector<Variant> items;
    for (const char* n : list)
        items.emplace_back(n);
    return VariantArray(std::move(items));
}

HostObjectPtr list_view(int columns) {
    auto lvw = memory::create_control("ListView", "lvwBackupDetails");
    auto headers = object_of(lvw->get("ColumnHeaders"));
    for (int i = 0; i < columns; ++i)
        headers->call("Add",
                      {Variant::missing(), Variant::missing(), Variant("h" + std::to_string(i))});
    return lvw;
}

// Each line as its text followed by its sub-items.
std::vector<std::vector<std::string>> lines_of(HostObject& lvw) {
    auto items = object_of(lvw.get("ListItems"));
    const int32_t columns = to_int32(object_of(lvw.get("ColumnHeaders"))->get("Count"));
    std::vector<std::vector<std::string>> out;
    const int32_t count = to_int32(items->get("Count"));
    for (int32_t k = 1; k <= count; ++k) {
        auto item = object_of(items->get("", {Variant(k)}));
        std::vector<std::string> line{to_text(item->get("Text"))};
        for (int16_t j = 1; j < columns; ++j)
            line.push_back(to_text(item->get("SubItems", {Variant(j)})));
        out.push_back(line);
    }
    return out;
}

std::vector<std::string> header_texts(HostObject& lvw) {
    std::vector<std::string> out;
    const int32_t count = to_int32(object_of(lvw.get("ColumnHeaders"))->get("Count"));
    for (int16_t i = 1; i <= count; ++i)
        out.push_back(to_text(object_of(lvw.get("ColumnHeaders", {Variant(i)}))->get("Text")));
    return out;
}

class BackupClass : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime_ = std::make_shared<HeadlessRuntime>();
        runtime_->set_echo(false);
        set_host_runtime(runtime_);
        server_.make_database("A", {"a1", "a2"});
        server_.make_database("B", {"b1"});
        server_.make_database("C", {"c1", "c2", "c3"});
    }
    void TearDown() override { set_host_runtime(nullptr); }

    ClsDBBackupRestore& connected() {
        obj_.SetConnectionToServer(server_.dir.string(), "operator", "secret");
        return obj_;
    }

    const std::vector<HeadlessRuntime::Message>& messages() const { return runtime_->messages(); }

    ServerDir server_;
    std::shared_ptr<HeadlessRuntime> runtime_;
    ClsDBBackupRestore obj_;
};

TEST_F(BackupClass, TwoDatabaseRunAndAnAppendedThirdAreListedByRun) {
    auto& obj = connected();
    EXPECT_TRUE(obj.fnBackupDatabase("DISK1", true, names({"A", "B"})));
    EXPECT_TRUE(obj.fnBackupDatabase("DISK1", false, names({"C"})));

    auto header = management::create_server();
    header->connect(server_.dir.string(), "", "");
    auto rows = header->backup_device("DISK1")->read_backup_header();
    ASSERT_EQ(rows->rows(), 3);
    EXPECT_EQ(rows->cell(1, 10), "A");
    EXPECT_EQ(rows->cell(2, 10), "B");
    EXPECT_EQ(rows->cell(3, 10), "C");

    auto lvw = list_view(5);
    EXPECT_TRUE(obj.fnListBackupDetails(*lvw, "DISK1", names({"A", "B"})));
    EXPECT_EQ(header_texts(*lvw),
              (std::vector<std::string>{"DataBase Name", "Date", "Time", "size", "Sl No"}));
    const auto lines = lines_of(*lvw);
    ASSERT_EQ(lines.size(), 2u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int32_t r = i == 0 ? 1 : 3;
        const std::string when = rows->cell(r, 18);  // "yyyy-mm-dd hh:mm:ss"
        const std::string date =
            when.substr(8, 2) + "/" + when.substr(5, 2) + "/" + when.substr(0, 4);
        EXPECT_EQ(lines[i], (std::vector<std::string>{rows->cell(r, 10), date, when.substr(11),
                                                      rows->cell(r, 13), std::to_string(r)}));
    }
    EXPECT_TRUE(messages().empty());
}

struct StrideCase {
    int runs_of_two;    // runs of A, B backed up
    bool extra_single;  // one more set (A) after them
    int databases;      // D
    std::vector<std::string> sl_no;
};

class BackupStride : public BackupClass, public ::testing::WithParamInterface<StrideCase> {};

TEST_P(BackupStride, ListsTheFirstSetOfEveryRun) {
    const StrideCase& c = GetParam();
    auto& obj = connected();
    for (int i = 0; i < c.runs_of_two; ++i)
        ASSERT_TRUE(obj.fnBackupDatabase("DISK1", i == 0, names({"A", "B"})));
    if (c.extra_single) {
        ASSERT_TRUE(obj.fnBackupDatabase("DISK1", false, names({"A"})));
    }

    std::vector<Variant> dbs(static_cast<std::size_t>(c.databases), Variant("A"));
    auto lvw = list_view(5);
    EXPECT_TRUE(obj.fnListBackupDetails(*lvw, "DISK1", VariantArray(dbs)));
    std::vector<std::string> sl_no;
    for (const auto& line : lines_of(*lvw))
        sl_no.push_back(line[4]);
    EXPECT_EQ(sl_no, c.sl_no);
}

INSTANTIATE_TEST_SUITE_P(Runs, BackupStride,
                         ::testing::Values(StrideCase{3, false, 2, {"1", "3", "5"}},
                                           StrideCase{3, false, 3, {"1", "4"}},
                                           StrideCase{2, true, 2, {"1", "3", "5"}},
                                           StrideCase{2, true, 1, {"1", "2", "3", "4", "5"}}));

TEST_F(BackupClass, ListingRefusesBadListViewsAndEmptyDatabaseArrays) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names({"A"})));
    for (int columns : {4, 6}) {
        auto lvw = list_view(columns);
        object_of(lvw->get("ListItems"))
            ->call("Add", {Variant::missing(), Variant::missing(), Variant("kept")});
        runtime_->reset_records();
        EXPECT_FALSE(obj.fnListBackupDetails(*lvw, "DISK1", names({"A"})));
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].prompt, "The Column in the listview should be 5");
        EXPECT_EQ(messages()[0].style, 64);
        EXPECT_TRUE(messages()[0].title.is_missing());
        EXPECT_EQ(header_texts(*lvw)[0], "h0");
        EXPECT_EQ(lines_of(*lvw).size(), 1u);
    }

    // A stride of 0 would list set 1 until the line counter overflows: refused at once.
    auto lvw = list_view(5);
    runtime_->reset_records();
    EXPECT_FALSE(obj.fnListBackupDetails(*lvw, "DISK1", VariantArray(std::vector<Variant>{})));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].prompt.rfind("The list of databases is empty", 0), 0u);
    EXPECT_EQ(header_texts(*lvw)[0], "h0");

    runtime_->reset_records();
    EXPECT_FALSE(obj.fnListBackupDetails(*lvw, "DISK1", VariantArray()));  // never given elements
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].prompt, "9Subscript out of range");
}

// The stride is checked before anything else, in a range that cannot wrap: an upper bound
// of 2^31-1 is an overflow, not a wrapped negative stride.
TEST_F(BackupClass, OversizedStridesAreOverflowsBeforeAnythingIsListed) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names({"A"})));
    const struct {
        int32_t upper;
        bool listed;
    } cases[] = {
        {32765, true}, {32767, false}, {65535, false}, {2147483646, false}, {2147483647, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.upper);
        // Only the upper bound counts, so one element stands for 2^31 names.
        const VariantArray arr = VariantArray::with_bounds({{c.upper, c.upper}});
        auto lvw = list_view(5);
        runtime_->reset_records();
        EXPECT_EQ(obj.fnListBackupDetails(*lvw, "DISK1", arr), c.listed);
        if (c.listed) {
            EXPECT_TRUE(messages().empty()) << messages()[0].prompt;
            EXPECT_EQ(lines_of(*lvw).size(), 1u);
        } else {
            ASSERT_EQ(messages().size(), 1u);
            EXPECT_EQ(messages()[0].prompt, "6Overflow");
            EXPECT_EQ(header_texts(*lvw)[0], "h0");  // refused before the list view was touched
        }
    }
}

TEST_F(BackupClass, UnknownDeviceIsReportedByNumberThenDescription) {
    auto& obj = connected();
    auto lvw = list_view(5);
    object_of(lvw->get("ListItems"))
        ->call("Add", {Variant::missing(), Variant::missing(), Variant("stale")});
    EXPECT_FALSE(obj.fnListBackupDetails(*lvw, "NOPE", names({"A"})));
    ASSERT_EQ(messages().size(), 1u);
    const std::string expected =
        std::to_string(code(Error::no_such_device)) + "Backup device 'NOPE'";
    EXPECT_EQ(messages()[0].prompt.rfind(expected, 0), 0u) << messages()[0].prompt;
    EXPECT_EQ(messages()[0].style, 64);
    EXPECT_EQ(header_texts(*lvw)[4], "Sl No");
    EXPECT_TRUE(lines_of(*lvw).empty());

    try {
        obj.fnBackupDatabase("NOPE", true, names({"A"}));
        FAIL() << "backup onto an unknown device succeeded";
    } catch (const ErrorInfo& e) {
        EXPECT_EQ(e.number(), code(Error::no_such_device));
        EXPECT_EQ(e.source(), "Ortiva.Management");
    }
    // The backup does not trim the device name.
    EXPECT_THROW(obj.fnBackupDatabase(" DISK1", true, names({"A"})), ErrorInfo);
}

TEST_F(BackupClass, EmptyDeviceListsNothingWithoutMessage) {
    auto lvw = list_view(5);
    EXPECT_FALSE(connected().fnListBackupDetails(*lvw, "DISK1", names({"A"})));
    EXPECT_TRUE(messages().empty());
}

TEST_F(BackupClass, RestoreBringsBackTheDataAsAtBackupTime) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names({"A", "B"})));
    testing::exec_sql(server_.db("A"), "INSERT INTO items(name) VALUES('a3')");
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", false, names({"A", "B"})));
    testing::exec_sql(server_.db("A"), "DELETE FROM items; INSERT INTO items(name) VALUES('late')");
    testing::exec_sql(server_.db("B"), "DROP TABLE items; CREATE TABLE other(x)");

    // Sets 3 and 4 hold the second run; the device text is trimmed.
    EXPECT_TRUE(obj.fnRestoreDatabase("  DISK1 ", 3, names({"A", "B"})));
    EXPECT_EQ(server_.items("A"), (std::vector<std::string>{"a1", "a2", "a3"}));
    EXPECT_EQ(server_.items("B"), (std::vector<std::string>{"b1"}));

    EXPECT_TRUE(obj.fnRestoreDatabase("DISK1", 1, names({"A"})));
    EXPECT_EQ(server_.items("A"), (std::vector<std::string>{"a1", "a2"}));
    EXPECT_TRUE(obj.fnRestoreDatabase("DISK1", 1, VariantArray(std::vector<Variant>{})));
}

TEST_F(BackupClass, RestoreRefusesAnotherDatabasesSetAndLeavesTheTargetAlone) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names({"A", "B"})));
    // Names given out of backup order: set 1 holds A, not B.
    try {
        obj.fnRestoreDatabase("DISK1", 1, names({"B", "A"}));
        FAIL() << "restored A's set over B";
    } catch (const ErrorInfo& e) {
        EXPECT_EQ(e.number(), code(Error::database_mismatch));
    }
    EXPECT_EQ(server_.items("B"), (std::vector<std::string>{"b1"}));

    // A name the server does not have yet is created from the set.
    EXPECT_TRUE(obj.fnRestoreDatabase("DISK1", 2, names({"COPY"})));
    EXPECT_EQ(server_.items("COPY"), (std::vector<std::string>{"b1"}));
}

TEST_F(BackupClass, BackupStopsAtTheFirstFailureKeepingEarlierSets) {
    auto& obj = connected();
    VariantArray with_null = names({"A", "B"});
    with_null.at(1) = Variant::null();
    EXPECT_THROW(obj.fnBackupDatabase("DISK1", true, with_null), ErrorInfo);
    EXPECT_THROW(obj.fnBackupDatabase("DISK1", false, names({"B", "MISSING", "C"})), ErrorInfo);

    auto server = management::create_server();
    server->connect(server_.dir.string(), "", "");
    auto rows = server->backup_device("DISK1")->read_backup_header();
    ASSERT_EQ(rows->rows(), 2);
    EXPECT_EQ(rows->cell(1, 10), "A");
    EXPECT_EQ(rows->cell(2, 10), "B");

    const std::string before = testing::read_file(server_.device());
    for (const VariantArray& bad : {VariantArray(), VariantArray({Variant("A")}, 1),
                                    VariantArray::with_bounds({{0, 0}, {0, 0}})}) {
        try {
            obj.fnBackupDatabase("DISK1", true, bad);
            FAIL() << "a bad array was backed up";
        } catch (const ErrorInfo& e) {
            EXPECT_EQ(e.number(), err::subscript);
        }
    }
    EXPECT_TRUE(obj.fnBackupDatabase("DISK1", true, VariantArray(std::vector<Variant>{})));
    EXPECT_EQ(testing::read_file(server_.device()), before);
}

TEST_F(BackupClass, ListsDevicesWithAndWithoutTheTapeFilter) {
    auto& obj = connected();
    auto combo = memory::create_control("ComboBox", "cboDevice");
    combo->call("AddItem", {Variant("stale")});
    const auto entries = [&] {
        std::vector<std::string> out;
        const int32_t n = to_int32(combo->get("ListCount"));
        for (int32_t i = 0; i < n; ++i)
            out.push_back(to_text(combo->get("List", {Variant(i)})));
        return out;
    };
    obj.ListBackupDevice(*combo, false);
    EXPECT_EQ(entries(), (std::vector<std::string>{"DISK1", "TAPE1"}));
    obj.ListBackupDevice(*combo, true);
    EXPECT_EQ(entries(), (std::vector<std::string>{"TAPE1"}));

    testing::TempDir empty;
    management::create_server_directory(empty.path() / "s");
    ClsDBBackupRestore other;
    other.SetConnectionToServer((empty.path() / "s").string(), "", "");
    other.ListBackupDevice(*combo, false);
    EXPECT_TRUE(entries().empty());
}

TEST_F(BackupClass, OperationsBeforeConnectingFailWithTheBackendsError) {
    const int32_t not_connected = code(Error::not_connected);
    auto combo = memory::create_control("ComboBox", "cboDevice");
    const std::string device_before = testing::read_file(server_.device());
    const auto expect_not_connected = [&](auto&& call) {
        try {
            call();
            FAIL() << "succeeded without a connection";
        } catch (const ErrorInfo& e) {
            EXPECT_EQ(e.number(), not_connected);
            EXPECT_EQ(e.source(), "Ortiva.Management");
        }
    };
    expect_not_connected([&] { obj_.ListBackupDevice(*combo, false); });
    expect_not_connected([&] { obj_.fnBackupDatabase("DISK1", true, names({"A"})); });
    expect_not_connected([&] { obj_.fnRestoreDatabase("DISK1", 1, names({"A"})); });
    EXPECT_EQ(testing::read_file(server_.device()), device_before);

    auto lvw = list_view(5);
    EXPECT_FALSE(obj_.fnListBackupDetails(*lvw, "DISK1", names({"A"})));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].prompt,
              std::to_string(not_connected) + "The server object is not connected to a server.");

    try {
        obj_.SetConnectionToServer((server_.temp.path() / "nowhere").string(), "u", "p");
        FAIL() << "connected to a directory that is not a server";
    } catch (const ErrorInfo& e) {
        EXPECT_EQ(e.number(), code(Error::not_a_server));
        EXPECT_NE(e.description().find("nowhere"), std::string::npos);
    }
    // obj_ goes at the end of the test unconnected: its failing disconnect must not escape.
}

}  // namespace
}  // namespace ortiva
