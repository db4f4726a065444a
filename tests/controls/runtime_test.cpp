// The headless runtime: what it records and answers, and how a test installs its own.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "ortiva/error_info.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/memory_controls.hpp"
#include "support/raised.hpp"

namespace ortiva {
namespace {

using ortiva::testing::error_of;

TEST(HeadlessRuntime, RecordsMessageBoxesAndAnswersWithTheDefaultButton) {
    HeadlessRuntime rt;
    rt.set_echo(false);
    struct Case {
        int32_t style;
        int32_t answer;
    };
    const std::vector<Case> cases = {
        {vbInformation, vbOK},
        {vbOKCancel, vbOK},
        {vbYesNo, vbYes},
        {vbYesNo + vbDefaultButton2, vbNo},
        {vbYesNoCancel + vbDefaultButton3, vbCancel},
        {vbAbortRetryIgnore, vbAbort},
        {vbRetryCancel + vbDefaultButton2, vbCancel},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.answer, rt.MsgBox("p", c.style, Variant("t")));
    rt.MsgBox("no title", vbInformation, Variant::missing());
    ASSERT_EQ(cases.size() + 1, rt.messages().size());
    EXPECT_EQ("no title", rt.messages().back().prompt);
    EXPECT_EQ(vbInformation, rt.messages().back().style);
    EXPECT_TRUE(rt.messages().back().title.is_missing());
    EXPECT_EQ(Variant("t"), rt.messages().front().title);
}

TEST(HeadlessRuntime, AnswererChoosesTheButton) {
    HeadlessRuntime rt;
    rt.set_echo(false);
    rt.set_answerer(
        [](const HeadlessRuntime::Message& m) { return m.prompt == "Delete?" ? vbNo : vbYes; });
    EXPECT_EQ(vbNo, rt.MsgBox("Delete?", vbYesNo, Variant::missing()));
    EXPECT_EQ(vbYes, rt.MsgBox("Keep?", vbYesNo, Variant::missing()));
    EXPECT_EQ(vbNo, rt.messages().front().answer);
}

TEST(HeadlessRuntime, EchoesMessagesToStandardError) {
    HeadlessRuntime rt;
    ::testing::internal::CaptureStderr();
    rt.MsgBox("Saved", vbInformation, Variant("Orders"));
    rt.set_echo(false);
    rt.MsgBox("quiet", vbInformation, Variant::missing());
    EXPECT_EQ("[message: Orders] Saved\n", ::testing::internal::GetCapturedStderr());
}

TEST(HeadlessRuntime, JournalsEveryCallInOrder) {
    HeadlessRuntime rt;
    rt.set_echo(false);
    auto combo = memory::create_control("ComboBox", "cbo");
    combo->call("AddItem", {Variant("APPLE")});
    rt.SetMousePointer(vbHourglass);
    rt.DoEvents();
    rt.DoEvents();
    EXPECT_EQ(0, rt.FindFirstEntry(*combo, "ap"));
    rt.MsgBox("Done", vbInformation, Variant::missing());
    rt.SetMousePointer(vbDefault);
    EXPECT_EQ(2, rt.do_events_count());
    EXPECT_EQ(vbDefault, rt.MousePointer());
    EXPECT_EQ((std::vector<int32_t>{vbHourglass, vbDefault}), rt.pointer_history());
    EXPECT_EQ(
        (std::vector<std::string>{"MousePointer 11", "DoEvents", "DoEvents",
                                  "FindFirstEntry ap -> 0", "MsgBox 64: Done", "MousePointer 0"}),
        rt.journal());
    rt.reset_records();
    EXPECT_TRUE(rt.journal().empty());
    EXPECT_EQ(0, rt.do_events_count());
    EXPECT_EQ(vbDefault, rt.MousePointer());
}

TEST(HeadlessRuntime, KeepsTheFormsTheHostAdds) {
    HeadlessRuntime rt;
    auto a = memory::create_control("Form", "frmA");
    auto b = memory::create_control("Form", "frmB");
    rt.add_form(a);
    rt.add_form(b);
    EXPECT_EQ((std::vector<HostObjectPtr>{a, b}), rt.Forms());
    rt.remove_form(a);
    EXPECT_EQ((std::vector<HostObjectPtr>{b}), rt.Forms());
}

TEST(HostRuntime, TestsInstallARuntimeAndGetTheOldOneBack) {
    auto before = current_host_runtime();
    auto mine = std::make_shared<HeadlessRuntime>();
    mine->set_echo(false);
    {
        ScopedHostRuntime scope(mine);
        EXPECT_EQ(mine.get(), &host_runtime());
        host_runtime().DoEvents();
        host_runtime().MsgBox("hello", vbInformation, Variant::missing());
    }
    EXPECT_EQ(before.get(), &host_runtime());
    EXPECT_EQ(1, mine->do_events_count());
    ASSERT_EQ(1u, mine->messages().size());

    set_host_runtime(nullptr);  // a fresh headless runtime
    EXPECT_NE(before.get(), &host_runtime());
    EXPECT_NE(nullptr, dynamic_cast<HeadlessRuntime*>(&host_runtime()));
    set_host_runtime(before);
}

// Installs race reads: every reader gets a whole runtime it can use while others replace it.
TEST(HostRuntime, InstallingTheDefaultIsSafeFromSeveralThreads) {
    const auto before = current_host_runtime();
    std::atomic<int> broken{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&broken] {
            for (int i = 0; i < 500; ++i) {
                auto mine = std::make_shared<HeadlessRuntime>();
                mine->set_echo(false);
                set_host_runtime(mine);
                // What is read may be another thread's runtime, which that thread may be
                // using: only look at what it is (freed or torn shows under the sanitizers).
                const auto seen = current_host_runtime();
                if (!dynamic_cast<const HeadlessRuntime*>(seen.get())) ++broken;
                mine->SetMousePointer(vbHourglass);
                if (mine->MousePointer() != vbHourglass) ++broken;
            }
        });
    }
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(0, broken.load());
    set_host_runtime(before);
}

TEST(HostRuntime, FindFirstEntryPassesControlFailuresOn) {
    HeadlessRuntime rt;
    auto grid = memory::create_control("MSFlexGrid", "grd");
    EXPECT_EQ(err::no_such_member, error_of([&] { rt.FindFirstEntry(*grid, "a"); }));
}

TEST(HostObject, ObjectOfTellsNothingFromNoObject) {
    struct Case {
        Variant value;
        int32_t error;
    };
    const std::vector<Case> cases = {
        {Variant(HostObjectPtr{}), err::object_not_set},
        {Variant(3), err::object_required},
        {Variant(), err::object_required},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.error, error_of([&] { object_of(c.value); }));
    auto box = memory::create_control("TextBox", "txt");
    EXPECT_EQ(box, object_of(Variant(box)));
}

TEST(HeadlessRuntime, RecordsStayBoundedInLongUse) {
    HeadlessRuntime rt;
    for (std::size_t i = 0; i <= HeadlessRuntime::record_limit; ++i)
        rt.SetMousePointer(static_cast<int32_t>(i % 16));
    rt.DoEvents();
    EXPECT_LE(rt.journal().size(), HeadlessRuntime::record_limit);
    EXPECT_EQ("DoEvents", rt.journal().back());
    EXPECT_EQ("MousePointer 0", rt.journal()[rt.journal().size() - 2]);  // the newest are kept
    EXPECT_LE(rt.pointer_history().size(), HeadlessRuntime::record_limit);
    EXPECT_EQ(1, rt.do_events_count());
}

}  // namespace
}  // namespace ortiva
