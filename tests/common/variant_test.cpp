#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "ortiva/error_info.hpp"
#include "ortiva/variant.hpp"
#include "support/raised.hpp"

namespace ortiva {
namespace {

using ortiva::testing::error_of;

// The plain constructors are used by every conversion test, which dispatches on the kind;
// these are the ones a literal could pick by surprise.
TEST(Variant, KindFollowsTheConstructor) {
    EXPECT_EQ(Variant(int16_t{1}).kind(), VariantKind::Integer);
    EXPECT_EQ(Variant(int32_t{1}).kind(), VariantKind::Long);
    EXPECT_EQ(Variant(std::string_view("x")).kind(), VariantKind::String);
    EXPECT_EQ(Variant(nullptr).kind(), VariantKind::Object);  // Nothing, not a string
    EXPECT_EQ(Variant(static_cast<const char*>(nullptr)).str(), "");
    EXPECT_EQ(error_of([] { Variant(int16_t{1}).long_value(); }), err::type_mismatch);
    EXPECT_EQ(error_of([] { Variant().str(); }), err::type_mismatch);
}

TEST(Variant, MissingMarker) {
    const Variant m = Variant::missing();
    EXPECT_TRUE(m.is_missing());
    EXPECT_EQ(m.kind(), VariantKind::Error);
    EXPECT_EQ(static_cast<uint32_t>(m.error_code()), 0x80020004u);
    EXPECT_FALSE(Variant::error(5).is_missing());
    EXPECT_FALSE(Variant().is_missing());
    EXPECT_FALSE(Variant(int32_t{missing_code}).is_missing());  // a Long, not an Error
}

TEST(Variant, CopyingAnArrayCopiesItsElements) {
    Variant a(VariantArray{1, "two"});
    Variant b = a;
    b.array().at(0) = Variant(9.0);
    EXPECT_EQ(a.array().at(0), Variant(int32_t{1}));
    EXPECT_EQ(b.array().at(0), Variant(9.0));
    EXPECT_NE(a, b);
}

TEST(VariantArray, BoundsAndElementAccess) {
    const VariantArray never;
    EXPECT_FALSE(never.allocated());
    EXPECT_EQ(error_of([&] { never.lbound(); }), err::subscript);
    EXPECT_EQ(error_of([&] { never.ubound(); }), err::subscript);
    EXPECT_EQ(error_of([&] { never.at(0); }), err::subscript);

    const VariantArray empty(std::vector<Variant>{});
    EXPECT_EQ(empty.lbound(), 0);
    EXPECT_EQ(empty.ubound(), -1);
    EXPECT_EQ(error_of([&] { empty.at(0); }), err::subscript);

    const VariantArray list{"a", "b", "c"};
    EXPECT_EQ(list.ubound(), 2);
    EXPECT_EQ(list.at(2), Variant("c"));
    EXPECT_EQ(error_of([&] { list.at(3); }), err::subscript);
    EXPECT_EQ(error_of([&] { list.at(-1); }), err::subscript);
    EXPECT_EQ(error_of([&] { list.ubound(2); }), err::subscript);
    EXPECT_EQ(error_of([&] { list.lbound(0); }), err::subscript);

    const VariantArray one_based({"x", "y"}, 1);
    EXPECT_EQ(one_based.lbound(), 1);
    EXPECT_EQ(one_based.ubound(), 2);
    EXPECT_EQ(one_based.at(1), Variant("x"));
    EXPECT_EQ(error_of([&] { one_based.at(0); }), err::subscript);
}

TEST(VariantArray, TwoDimensions) {
    VariantArray grid = VariantArray::with_bounds({{0, 2}, {1, 3}});
    EXPECT_EQ(grid.dimensions(), 2);
    EXPECT_EQ(grid.size(), 9u);
    EXPECT_EQ(grid.lbound(2), 1);
    EXPECT_EQ(grid.ubound(2), 3);
    grid.at({2, 1}) = Variant(int32_t{21});
    grid.at({0, 3}) = Variant(int32_t{3});
    EXPECT_EQ(grid.items()[2], Variant(int32_t{21}));  // first subscript fastest
    EXPECT_EQ(grid.items()[6], Variant(int32_t{3}));
    EXPECT_TRUE(grid.at({1, 2}).is_empty());
    EXPECT_EQ(error_of([&] { grid.at(0); }), err::subscript);
    EXPECT_EQ(error_of([&] { grid.at({3, 1}); }), err::subscript);
    EXPECT_EQ(error_of([&] { grid.at({0, 0}); }), err::subscript);
    EXPECT_EQ(error_of([&] { grid.at({0, 1, 1}); }), err::subscript);
    EXPECT_EQ(error_of([] { VariantArray::with_bounds({{5, 3}}); }), err::subscript);
    // Bounds at the ends of the 32-bit range neither wrap nor allocate the impossible.
    EXPECT_EQ(error_of([] { VariantArray::with_bounds({{INT32_MIN, INT32_MAX}}); }), 7);
    EXPECT_EQ(error_of([] { VariantArray({1, 2}, INT32_MAX); }), err::overflow);
    const VariantArray top({1}, INT32_MAX);
    EXPECT_EQ(top.at(INT32_MAX), Variant(int32_t{1}));
    const VariantArray low = VariantArray::with_bounds({{INT32_MIN, INT32_MIN + 1}});
    EXPECT_EQ(low.size(), 2u);
    EXPECT_EQ(error_of([&] { low.at(INT32_MAX); }), err::subscript);
}

}  // namespace
}  // namespace ortiva
