// Runs the built ortiva program as an operator would and checks what it prints and returns.

#include <gtest/gtest.h>
#include <sys/wait.h>

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
    Outcome run(const std::vector<std::string>& args, const std::string& input = {}) {
        const auto in = dir.path() / "stdin";
        std::ofstream(in) << input;
        std::string cmd = quote(ORTIVA_CLI);
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
    ASSERT_EQ(
        run({"sql", "--connect", connect, "create table T (Id INTEGER, Name VARCHAR(20))"}).status,
        0);
    ASSERT_EQ(run({"sql", "--connect", connect, "insert into T values (1, 'before')"}).status, 0);
    const auto backup = run({"backup", "--server", server, "--device", "Disk1", "--init", "stock"});
    ASSERT_EQ(backup.status, 0) << backup.err;
    ASSERT_EQ(run({"sql", "--connect", connect, "update T set Name = 'after'"}).status, 0);

    const auto history =
        run({"history", "--server", server, "--device", "Disk1", "--databases", "1"});
    ASSERT_EQ(history.status, 0) << history.err;
    EXPECT_NE(history.out.find("DataBase Name"), std::string::npos) << history.out;
    EXPECT_NE(history.out.find("stock"), std::string::npos) << history.out;

    const auto restore =
        run({"restore", "--server", server, "--device", "Disk1", "--file", "1", "stock"});
    ASSERT_EQ(restore.status, 0) << restore.err;
    const auto rows = run({"sql", "--connect", connect, "select Name from T"});
    EXPECT_NE(rows.out.find("before"), std::string::npos) << rows.out;
    EXPECT_EQ(rows.out.find("after"), std::string::npos) << rows.out;
    // Nothing extra goes to standard error when it is not a terminal.
    EXPECT_EQ(backup.err, "");
}

TEST_F(Cli, CipherRoundTripsArgumentsAndStandardInput) {
    const auto enc = run({"encrypt", "--key", "k€y", "päss", "abc"});
    ASSERT_EQ(enc.status, 0) << enc.err;
    std::istringstream lines(enc.out);
    std::string a, b;
    std::getline(lines, a);
    std::getline(lines, b);
    const auto dec = run({"decrypt", "--key", "k€y"}, a + "\n" + b + "\n");
    ASSERT_EQ(dec.status, 0) << dec.err;
    EXPECT_EQ(dec.out, "päss\nabc\n");
}

TEST_F(Cli, BadInputGivesItsExitStatusAndText) {
    const auto missing = run({"device", "list", "--server", path("nowhere")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.rfind("error ", 0), 0u) << missing.err;

    const std::string server = path("srv");
    ASSERT_EQ(run({"server", "init", server}).status, 0);
    const auto device = run({"backup", "--server", server, "--device", "NoSuch", "db"});
    EXPECT_EQ(device.status, 1);
    EXPECT_EQ(device.err.rfind("error ", 0), 0u) << device.err;
    const auto history =
        run({"history", "--server", server, "--device", "NoSuch", "--databases", "1"});
    EXPECT_EQ(history.status, 1);
    EXPECT_EQ(history.err.rfind("error ", 0), 0u) << history.err;

    EXPECT_EQ(run({"encrypt", "text"}).status, 2);                              // no key
    EXPECT_EQ(run({"encrypt", "--key", "a", "--key", "b", "text"}).status, 2);  // two keys
    EXPECT_EQ(run({"frobnicate"}).status, 2);
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"backup", "--help"}).status, 0);
}

}  // namespace
