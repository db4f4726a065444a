#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#ifdef ORTIVA_CLI

namespace {

namespace fs = std::filesystem;

struct Output {
    int status;
    std::string out;
};

Output run(const std::string& args, const std::string& env = {}) {
    FILE* pipe = popen((env + ORTIVA_CLI + " " + args + " 2>&1").c_str(), "r");
    std::string out;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        out.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {WEXITSTATUS(status), out};
}

std::string read(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ClassesCommand, ListsIdsAndMembersFromTheTable) {
    const Output all = run("classes");
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.out.find("{5FBAF95D-7537-4705-A1F0-C96C51019D55} 1.0"), std::string::npos);
    EXPECT_NE(all.out.find("0x40030000  Property Get/Let strTableName() As String"),
              std::string::npos);
    const Output one = run("classes Ortiva.clscryptor");
    EXPECT_NE(one.out.find("0x60030007  Function DeCrypt(ByRef dText As String, ByRef dKey As "
                           "String) As String"),
              std::string::npos);
    EXPECT_EQ(one.out.find("ClsCommonDb"), std::string::npos);
    EXPECT_EQ(run("classes NoSuchClass").status, 1);
}

TEST(ComponentCommand, RegisterKeepsOtherLinesAndUnregisterRemovesOnlyOurs) {
    const fs::path dir =
        fs::temp_directory_path() / ("ortiva-registry-" + std::to_string(getpid()));
    fs::remove_all(dir);
    const std::string env = "XDG_DATA_HOME=" + dir.string() + " ";
    const fs::path file = dir / "ortiva" / "classes";

    ASSERT_EQ(run("component register", env).status, 0);
    std::ofstream(file, std::ios::app) << "Other.Thing\tABC\t/opt/other.so\n";
    ASSERT_EQ(run("component register", env).status, 0);
    const std::string text = read(file);
    EXPECT_NE(text.find("Other.Thing\tABC\t/opt/other.so\n"), std::string::npos);
    const auto line = text.find("Ortiva.clscryptor\tF5B5D6E9-6E00-456C-99C7-18943C261506\t/");
    ASSERT_NE(line, std::string::npos) << text;
    const auto path_start = text.find('\t', text.find('\t', line) + 1) + 1;
    const fs::path library = text.substr(path_start, text.find('\n', line) - path_start);
    EXPECT_TRUE(fs::exists(library)) << library;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5) << "registered twice";

    ASSERT_EQ(run("component unregister", env).status, 0);
    EXPECT_EQ(read(file), "Other.Thing\tABC\t/opt/other.so\n");
    EXPECT_EQ(run("component register --library " + (dir / "none.so").string(), env).status, 1);
    fs::remove_all(dir);
}

}  // namespace

#endif
