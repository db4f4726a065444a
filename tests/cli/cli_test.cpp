// Runs the built ortiva program as an operator would and checks what it prints and returns.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "conformance/db_context.hpp"

namespace {

using ortiva::testing::TempDir;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class Cli : public ::testing::Test {
  protected:
    Outcome run(const std::vector<std::string>& args, const std::string& input = {},
                const std::string& env = {}) {
        const auto in = dir.path() / "stdin";
        std::ofstream(in) << input;
        // env -u: a secret in the developer's environment must not leak into the cases.
        std::string cmd = "env -u ORTIVA_KEY -u ORTIVA_PASSWORD " + env + " " + quote(ORTIVA_CLI);
        for (const auto& a : args)
            cmd += " " + quote(a);
        cmd += " <" + quote(in.string()) + " >" + quote((dir.path() / "stdout").string()) + " 2>" +
               quote((dir.path() / "stderr").string());
        const int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(dir.path() / "stdout"),
                slurp(dir.path() / "stderr")};
    }
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }

    TempDir dir;
};

TEST_F(Cli, DemoRunsToItsEndInsideItsDirectory) {
    const auto r = run({"demo", "--dir", path("demo")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("rate of Hammer now: 99"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("rate of Hammer after the restore: 12.5"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("RShopL0CategoryToolsL1ItemSaw"), std::string::npos);
    EXPECT_NE(r.out.find("select Code,Name,Category,Rate  From  Items where Rate > 5"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "demo" / "server" / "shop.db"));
}

TEST_F(Cli, BackupHistoryAndRestoreBringTheDataBack) {
    const std::string server = path("srv");
    ASSERT_EQ(run({"server", "init", server}).status, 0);
    ASSERT_EQ(run({"device", "add", "--server", server, "Disk1", "disk1.bak"}).status, 0);
    ASSERT_EQ(run({"device", "add", "--server", server, "Tape1", "tape1.bak", "--tape"}).status, 0);
    EXPECT_EQ(run({"device", "list", "--server", server}).out, "Disk1\nTape1\n");
    EXPECT_EQ(run({"device", "list", "--server", server, "--tape"}).out, "Tape1\n");

    const std::string connect = "Data Source=" + server + "/stock.db";
    ASSERT_EQ(run({"sql", "--connect", connect, "--create",
                   "create table T (Id INTEGER, Name VARCHAR(20))"})
                  .status,
              0);
    ASSERT_EQ(run({"sql", "--connect", connect, "insert into T values (1, 'before')"}).status, 0);
    const auto backup = run({"backup", "--server", server, "--device", "Disk1", "--init", "stock"});
    ASSERT_EQ(backup.status, 0) << backup.err;
    ASSERT_EQ(run({"sql", "--connect", connect, "update T set Name = 'after'"}).status, 0);

    // A table of runs, not the list view's own rendering, in the format asked for.
    const auto history = run({"history", "--server", server, "--device", "Disk1", "--databases",
                              "1", "--format", "csv"});
    ASSERT_EQ(history.status, 0) << history.err;
    EXPECT_EQ(history.out.rfind("DataBase Name,Date,Time,size,Sl No\r\nstock,", 0), 0u)
        << history.out;
    EXPECT_EQ(std::count(history.out.begin(), history.out.end(), '\n'), 2) << history.out;

    const auto restore =
        run({"restore", "--server", server, "--device", "Disk1", "--file", "1", "stock"});
    ASSERT_EQ(restore.status, 0) << restore.err;
    const auto rows = run({"sql", "--connect", connect, "select Name from T"});
    EXPECT_NE(rows.out.find("before"), std::string::npos) << rows.out;
    EXPECT_EQ(rows.out.find("after"), std::string::npos) << rows.out;
    // Nothing extra goes to standard error when it is not a terminal.
    EXPECT_EQ(backup.err, "");
}

TEST_F(Cli, BadInputGivesItsExitStatusAndText) {
    const std::string server = path("srv");
    ASSERT_EQ(run({"server", "init", server}).status, 0);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"device", "list", "--server", path("nowhere")},
             {"backup", "--server", server, "--device", "NoSuch", "db"},
             {"history", "--server", server, "--device", "NoSuch", "--databases", "1"}}) {
        const auto r = run(args);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_EQ(r.err.rfind("error ", 0), 0u) << r.err;
    }
    EXPECT_EQ(run({"encrypt", "text"}).status, 2);                              // no key
    EXPECT_EQ(run({"encrypt", "--key", "a", "--key", "b", "text"}).status, 2);  // two keys
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(
        run({"sql", "--connect", "Data Source=:memory:", "--format", "yaml", "select 1"}).status,
        2);
    EXPECT_EQ(run({"backup", "--help"}).status, 0);
}

TEST_F(Cli, SqlRefusesAMissingDatabaseUnlessAskedToCreateIt) {
    const std::string db = path("typo.db");
    const auto refused = run({"sql", "--connect", "Data Source=" + db, "select 1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--create"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(db));

    const auto created = run({"sql", "--connect", "Data Source=" + db, "--create", "select 1"});
    EXPECT_EQ(created.status, 0) << created.err;
    EXPECT_TRUE(std::filesystem::exists(db));
    // In-memory databases have no file to check.
    EXPECT_EQ(run({"sql", "--connect", "Data Source=:memory:", "select 1"}).status, 0);
}

class CliSql : public Cli {
  protected:
    void SetUp() override {
        connect = "Data Source=" + path("t.db");
        const auto made = run({"sql", "--connect", connect, "--create",
                               "create table T (Id INTEGER, Name VARCHAR(40), Price DOUBLE)"});
        ASSERT_EQ(made.status, 0) << made.err;
        // NULL, a text reading NULL, a newline, a tab and a backslash, and wide characters.
        const auto filled =
            run({"sql", "--connect", connect,
                 "insert into T values (1, NULL, 2.5), (2, 'NULL', NULL), "
                 "(3, 'two' || char(10) || 'lines' || char(9) || 'a\\b', 1), (4, '東京', 0)"});
        ASSERT_EQ(filled.status, 0) << filled.err;
        EXPECT_EQ(filled.out, "(4 rows affected)\n");
    }
    Outcome sql(const std::string& statement, const std::string& format = "table") {
        return run({"sql", "--connect", connect, "--format", format, statement});
    }
    std::string connect;
};

// The wide text takes four columns, so the column after it lines up.
TEST_F(CliSql, TableKeepsOneValuePerCellAndAlignsByDisplayWidth) {
    const auto r = sql("select Name, Id from T order by Id");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "Name             | Id\n"
              "-----------------+---\n"
              "NULL             | 1\n"
              "'NULL'           | 2\n"
              "two\\nlines\\ta\\\\b | 3\n"
              "東京             | 4\n"
              "(4 rows)\n");
}

TEST_F(CliSql, CsvAndJsonKeepNullApartFromText) {
    const auto csv = sql("select Id, Name, Price from T order by Id", "csv");
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out,
              "Id,Name,Price\r\n"
              "1,,2.5\r\n"
              "2,NULL,\r\n"
              "3,\"two\nlines\ta\\b\",1\r\n"
              "4,東京,0\r\n");
    const auto json = sql("select Id, Name, Price from T where Id <= 3 order by Id", "json");
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out,
              "[\n"
              "{\"Id\":1,\"Name\":null,\"Price\":2.5},\n"
              "{\"Id\":2,\"Name\":\"NULL\",\"Price\":null},\n"
              "{\"Id\":3,\"Name\":\"two\\nlines\\ta\\\\b\",\"Price\":1.0}\n"
              "]\n");
    // A repeated column name keeps both values; an empty result is an empty array.
    EXPECT_EQ(sql("select Id, Id from T where Id = 1", "json").out,
              "[\n{\"Id\":1,\"Id:2\":1}\n]\n");
    EXPECT_EQ(sql("select Id from T where Id > 9", "json").out, "[]\n");
    EXPECT_EQ(sql("select Id from T where Id > 9").out, "Id\n--\n(0 rows)\n");
    // Changed rows (the table's count is the set-up's).
    EXPECT_EQ(sql("delete from T where Id = 4", "json").out, "{\"records_affected\":1}\n");
    EXPECT_EQ(sql("update T set Price = 0 where Id > 9", "csv").out, "records_affected\r\n0\r\n");
}

TEST_F(CliSql, TableIsPrintedBeforeTheResultEnds) {
    // Many more rows than the table holds back: all arrive, sized by the first block.
    const auto r = run({"sql", "--connect", connect,
                        "with recursive n(i) as (select 1 union all select i + 1 from n where "
                        "i < 5000) select i from n"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 5003);
    EXPECT_NE(r.out.find("\n5000\n(5000 rows)\n"), std::string::npos);
}

TEST_F(Cli, CountsOutOfRangeAreUsageErrorsBeforeAnyWork) {
    const std::string server = path("srv");
    ASSERT_EQ(run({"server", "init", server}).status, 0);
    ASSERT_EQ(run({"device", "add", "--server", server, "Disk1", "disk1.bak"}).status, 0);
    for (const char* n : {"0", "-1", "32768", "2147483647", "99999999999999", "two"}) {
        const auto r = run({"history", "--server", server, "--device", "Disk1", "--databases", n});
        EXPECT_EQ(r.status, 2) << n << ": " << r.err;
        EXPECT_EQ(r.out, "") << n;
    }
    EXPECT_EQ(run({"restore", "--server", server, "--device", "Disk1", "--file", "0", "a"}).status,
              2);
    EXPECT_EQ(run({"restore", "--server", server, "--device", "Disk1", "--file", "32767", "a", "b"})
                  .status,
              2);
}

TEST_F(Cli, CipherRoundTripsWithKeysFromTheCommandLineAFileOrTheEnvironment) {
    const auto direct = run({"encrypt", "--key", "k€y", "päss", "abc"});
    ASSERT_EQ(direct.status, 0) << direct.err;
    const auto decrypted = run({"decrypt", "--key", "k€y"}, direct.out);  // one text a line
    ASSERT_EQ(decrypted.status, 0) << decrypted.err;
    EXPECT_EQ(decrypted.out, "päss\nabc\n");
    // The file's first line is the key; its line end is not part of it.
    std::ofstream(path("key")) << "k€y\r\nignored\n";
    EXPECT_EQ(run({"encrypt", "--key-file", path("key"), "päss", "abc"}).out, direct.out);
    EXPECT_EQ(run({"encrypt", "päss", "abc"}, {}, "ORTIVA_KEY='k€y'").out, direct.out);
    // The command line wins over the environment.
    EXPECT_EQ(run({"encrypt", "--key", "k€y", "päss", "abc"}, {}, "ORTIVA_KEY=other").out,
              direct.out);

    EXPECT_EQ(run({"encrypt", "--key", "a", "--key-file", path("key"), "x"}).status, 2);
    EXPECT_EQ(run({"encrypt", "--key-file", path("missing"), "x"}).status, 2);
    const auto help = run({"encrypt", "--help"});
    EXPECT_NE(help.out.find("process list"), std::string::npos) << help.out;
}

TEST_F(Cli, MistypedCommandsAreNamedWithTheClosestOne) {
    const auto typo = run({"hsitory", "--server", "x"});
    EXPECT_EQ(typo.status, 2);
    EXPECT_NE(typo.err.find("Did you mean 'history'?"), std::string::npos) << typo.err;
    const auto nested = run({"device", "lsit"});
    EXPECT_EQ(nested.status, 2);
    EXPECT_NE(nested.err.find("Did you mean 'list'?"), std::string::npos) << nested.err;
    const auto unknown = run({"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.find("Did you mean"), std::string::npos) << unknown.err;

    const auto version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("ortiva ", 0), 0u) << version.out;
}

TEST_F(Cli, ClassesListsIdsAndMembersFromTheTable) {
    const auto all = run({"classes"});
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.out.find("{5FBAF95D-7537-4705-A1F0-C96C51019D55} 1.0"), std::string::npos);
    EXPECT_NE(all.out.find("0x40030000  Property Get/Let strTableName() As String"),
              std::string::npos);
    const auto one = run({"classes", "Ortiva.clscryptor"});
    EXPECT_NE(one.out.find("0x60030007  Function DeCrypt(ByRef dText As String, ByRef dKey As "
                           "String) As String"),
              std::string::npos);
    EXPECT_EQ(one.out.find("ClsCommonDb"), std::string::npos);
    EXPECT_EQ(run({"classes", "NoSuchClass"}).status, 1);
}

TEST_F(Cli, ComponentRegisterKeepsOtherLinesAndUnregisterRemovesOnlyOurs) {
    const std::string env = "XDG_DATA_HOME=" + quote(path("data"));
    const std::filesystem::path file = dir.path() / "data" / "ortiva" / "classes";

    ASSERT_EQ(run({"component", "register"}, {}, env).status, 0);
    std::ofstream(file, std::ios::app) << "Other.Thing\tABC\t/opt/other.so\n";
    ASSERT_EQ(run({"component", "register"}, {}, env).status, 0);
    const std::string text = slurp(file);
    EXPECT_NE(text.find("Other.Thing\tABC\t/opt/other.so\n"), std::string::npos);
    const auto line = text.find("Ortiva.clscryptor\tF5B5D6E9-6E00-456C-99C7-18943C261506\t/");
    ASSERT_NE(line, std::string::npos) << text;
    const auto path_start = text.find('\t', text.find('\t', line) + 1) + 1;
    const std::filesystem::path library =
        text.substr(path_start, text.find('\n', line) - path_start);
    EXPECT_TRUE(std::filesystem::exists(library)) << library;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5) << "registered twice";

    ASSERT_EQ(run({"component", "unregister"}, {}, env).status, 0);
    EXPECT_EQ(slurp(file), "Other.Thing\tABC\t/opt/other.so\n");
    EXPECT_EQ(run({"component", "register", "--library", path("none.so")}, {}, env).status, 1);
}

}  // namespace
