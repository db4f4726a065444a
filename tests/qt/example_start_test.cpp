// How the items example starts: its command line (on the program itself), and a data folder
// or database that cannot serve, answered through dialogs instead of an abort.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <fstream>

#include "example_context.hpp"
#include "items_database.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/conversions.hpp"
#include "startup.hpp"

namespace ortiva::qt_test {
namespace {

namespace fs = std::filesystem;

struct Finished {
    int status;
    QString out;
    QString err;
};

// Runs the example in cwd, offscreen, and waits for it.
Finished run_program(const fs::path& cwd, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(cwd.string()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QT_ITEMS_PROGRAM), arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << "qt-items did not finish";
    EXPECT_EQ(QProcess::NormalExit, process.exitStatus());
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

TEST(QtItemsCommandLine, HelpVersionAndMistakesAnswerWithoutCreatingAnything) {
    TempDir cwd;
    const Finished help = run_program(cwd.path(), {"--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_TRUE(help.out.contains("Usage:")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--data <DIR>")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--screenshot <FILE>")) << help.out.toStdString();

    const Finished version = run_program(cwd.path(), {"--version"});
    EXPECT_EQ(0, version.status);
    EXPECT_TRUE(version.out.startsWith("qt-items ")) << version.out.toStdString();

    const Finished wrong = run_program(cwd.path(), {"--colour", "red"});
    EXPECT_EQ(2, wrong.status);
    EXPECT_TRUE(wrong.err.contains("colour")) << wrong.err.toStdString();
    EXPECT_TRUE(fs::is_empty(cwd.path()));
}

TEST(QtItemsCommandLine, DataFolderFromOptionOrArgumentButNotBoth) {
    using items::Options;
    const Options by_option = items::parse_options({"qt-items", "--data", "/tmp/x"});
    EXPECT_EQ(Options::Action::run, by_option.action);
    EXPECT_EQ(fs::path("/tmp/x"), by_option.data_dir);
    const Options by_argument = items::parse_options({"qt-items", "shop"});
    EXPECT_EQ(fs::path("shop"), by_argument.data_dir);
    EXPECT_TRUE(by_argument.data_given);
    const Options neither = items::parse_options({"qt-items"});
    EXPECT_EQ(fs::path("qt-items-data"), neither.data_dir);
    EXPECT_FALSE(neither.data_given);
    EXPECT_EQ(Options::Action::error,
              items::parse_options({"qt-items", "--data", "a", "b"}).action);
    EXPECT_EQ(Options::Action::error, items::parse_options({"qt-items", "a", "b"}).action);
    EXPECT_EQ(Options::Action::error, items::parse_options({"qt-items", "--screenshot"}).action);
}

TEST(QtItemsCommandLine, ScreenshotsOnePerTabFromSampleData) {
    TempDir cwd;
    const fs::path shot = cwd.path() / "docs" / "shot.png";
    fs::create_directories(shot.parent_path());
    const Finished run =
        run_program(cwd.path(), {"--screenshot", QString::fromStdString(shot.string())});
    ASSERT_EQ(0, run.status) << run.err.toStdString();
    for (const char* tab : {"items", "invoice", "categories", "backup"}) {
        const QString file = QString::fromStdString((cwd.path() / "docs").string()) +
                             QStringLiteral("/shot-%1.png").arg(tab);
        EXPECT_TRUE(run.out.contains(file)) << run.out.toStdString();
        const QImage image(file);
        EXPECT_FALSE(image.isNull()) << file.toStdString();
        EXPECT_EQ(900, image.width());
    }
    // The sample data lived in a folder of its own.
    EXPECT_FALSE(fs::exists(cwd.path() / "qt-items-data"));
}

class QtItemsStart : public ::testing::Test {
  protected:
    TempDir dir;
    ScriptedPrompts prompts;
};

TEST_F(QtItemsStart, DamagedDatabaseOffersANewOneAndKeepsTheOldFile) {
    const items::Store first = items::open_store(dir.path() / "server");
    {
        std::ofstream damage(first.database_file(), std::ios::binary | std::ios::trunc);
        damage << "these are not the pages of a database, just words in their place";
    }
    prompts.answers = {QMessageBox::Yes};
    const std::optional<items::Store> store =
        items::open_with_recovery(dir.path() / "server", prompts);
    ASSERT_TRUE(store);
    ASSERT_EQ(1u, prompts.shown.size());
    EXPECT_EQ("Shop database", prompts.shown[0].title);
    EXPECT_TRUE(prompts.shown[0].text.contains("Error ")) << prompts.shown[0].text.toStdString();
    QStringList buttons = prompts.shown[0].buttons;
    buttons.sort();
    EXPECT_EQ((QStringList{"Choose folder…", "Create new database", "Quit"}), buttons);
    // The new database works; the damaged file is kept beside it.
    ClsCommonDb db;
    db.SetPropertyValues(store->connection_string(), "", "", "Categories");
    EXPECT_EQ(4, to_int32(db.fnReturnField("count(*)")));
    int kept = 0;
    for (const auto& entry : fs::directory_iterator(dir.path() / "server"))
        kept += entry.path().filename().string().rfind("shop.db.damaged-", 0) == 0;
    EXPECT_EQ(1, kept);

    // The window opens on it.
    items::ItemsWindow window(*store, std::make_shared<ScriptedPrompts>());
    EXPECT_EQ(4, window.category->count());
}

TEST_F(QtItemsStart, MissingDatabaseCanBeLeftByQuitting) {
    const items::Store first = items::open_store(dir.path() / "server");
    fs::remove(first.database_file());
    prompts.answers = {QMessageBox::Cancel};
    EXPECT_FALSE(items::open_with_recovery(dir.path() / "server", prompts));
    ASSERT_EQ(1u, prompts.shown.size());
    EXPECT_TRUE(prompts.shown[0].text.contains("missing")) << prompts.shown[0].text.toStdString();
    EXPECT_FALSE(fs::exists(first.database_file()));
}

TEST_F(QtItemsStart, UnusableFolderLeadsToAnotherFolder) {
    // A file where the folder should be, then a folder of someone else's files.
    const fs::path file = dir.path() / "not-a-folder";
    std::ofstream(file) << "x";
    const fs::path foreign = dir.path() / "foreign";
    fs::create_directories(foreign);
    std::ofstream(foreign / "notes.txt") << "mine";
    prompts.answers = {QMessageBox::No};
    prompts.folder = QString::fromStdString((dir.path() / "fresh").string());
    const std::optional<items::Store> store = items::open_with_recovery(file, prompts);
    ASSERT_TRUE(store);
    EXPECT_EQ(dir.path() / "fresh", store->server_dir);
    EXPECT_EQ("Data folder", prompts.shown[0].title);
    QStringList buttons = prompts.shown[0].buttons;
    buttons.sort();
    EXPECT_EQ((QStringList{"Choose folder…", "Quit"}), buttons);

    prompts.shown.clear();
    prompts.answers = {QMessageBox::Cancel};
    EXPECT_FALSE(items::open_with_recovery(foreign, prompts));
    EXPECT_TRUE(prompts.shown[0].text.contains("holds other files"));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(foreign), fs::directory_iterator()));
}

}  // namespace
}  // namespace ortiva::qt_test
