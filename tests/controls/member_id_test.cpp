// Member ids: one per name for the whole process, and answered by any host object.

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/host_object.hpp"
#include "support/raised.hpp"

namespace ortiva {
namespace {

using ortiva::testing::error_of;

TEST(MemberId, OneIdPerNameWhateverTheCase) {
    const MemberId id = HostObject::id_of("MemberIdTestName");
    EXPECT_EQ(id, HostObject::id_of("memberidtestname"));
    EXPECT_EQ(id, HostObject::id_of("MEMBERIDTESTNAME"));
    EXPECT_NE(id, HostObject::id_of("MemberIdTestName2"));
    EXPECT_EQ("MemberIdTestName", member_name(id));
    EXPECT_EQ(438, error_of([] { member_name(MemberId{-1}); }));
    EXPECT_EQ(438, error_of([] { member_name(MemberId{1 << 30}); }));
}

// A host's own object that knows only names still answers by id.
class NamedOnly : public HostObject {
  public:
    std::string type_name() const override { return "NamedOnly"; }
    Variant get(std::string_view member, const Args& index) override {
        calls.push_back("get " + std::string(member) + " " + std::to_string(index.size()));
        if (member == "Value") return Variant(value);
        raise(438);
    }
    void let(std::string_view member, const Variant& v, const Args&) override {
        calls.push_back("let " + std::string(member));
        if (member != "Value") raise(438);
        value = to_int32(v);
    }
    Variant call(std::string_view member, const Args& args) override {
        calls.push_back("call " + std::string(member) + " " + std::to_string(args.size()));
        return {};
    }
    int32_t value = 0;
    std::vector<std::string> calls;
};

TEST(MemberId, ObjectsThatKnowOnlyNamesAnswerById) {
    NamedOnly o;
    const MemberId value = HostObject::id_of("Value");
    o.let_by_id(value, Variant(41));
    EXPECT_EQ(41, to_int32(o.get_by_id(value, {Variant(1)})));
    o.call_by_id(HostObject::id_of("Refresh"), {Variant(1), Variant(2)});
    EXPECT_EQ(438, error_of([&] { o.get_by_id(HostObject::id_of("Other")); }));
    EXPECT_EQ(
        (std::vector<std::string>{"let Value", "get Value 1", "call Refresh 2", "get Other 0"}),
        o.calls);
}

TEST(MemberId, ThreadsResolvingTheSameNamesAgree) {
    constexpr int threads = 4;
    constexpr int names = 300;
    std::vector<std::vector<MemberId>> seen(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t, &seen] {
            for (int i = 0; i < names; ++i) {
                const MemberId id = HostObject::id_of("ThreadName" + std::to_string(i));
                seen[static_cast<std::size_t>(t)].push_back(id);
                if (member_name(id) != "ThreadName" + std::to_string(i)) return;
            }
        });
    }
    for (auto& w : workers)
        w.join();
    for (int t = 1; t < threads; ++t)
        EXPECT_EQ(seen[0], seen[static_cast<std::size_t>(t)]);
    EXPECT_EQ(std::size_t{names}, std::set<MemberId>(seen[0].begin(), seen[0].end()).size());
}

}  // namespace
}  // namespace ortiva
