#include <string>

#include "forms/fixture.hpp"

namespace ortiva::forms_test {
namespace {

constexpr int16_t omitted = -1;  // intPrecision left out

struct KeyCase {
    const char* text;
    int32_t sel_start;
    int32_t sel_length;
    char key;
    int16_t digits;
    int16_t precision;
    int16_t expected_key;  // 0: refused
    const char* expected_text;
};

class TextValidateNumTest : public FormsTest {
  protected:
    HostObjectPtr box = memory::create_control("TextBox", "txtAmount");

    void show(const std::string& text, int32_t sel_start, int32_t sel_length) {
        box->let("Text", Variant(text));
        box->let("SelStart", Variant(sel_start));
        box->let("SelLength", Variant(sel_length));
    }
    int16_t filter(int16_t key, int16_t digits, int16_t precision) {
        if (precision == omitted) {
            gen.TextValidateNum(*box, key, digits);
        } else {
            gen.TextValidateNum(*box, key, digits, precision);
        }
        return key;
    }
};

TEST_F(TextValidateNumTest, JudgesEachKeyFromTheTextCaretAndSelection) {
    const KeyCase cases[] = {
        // Five digits, two after the point: the integer part holds up to three.
        {"", 0, 0, '1', 5, 2, '1', ""},
        {"123", 3, 0, '4', 5, 2, 0, "123"},
        {"123", 3, 0, '\b', 5, 2, '\b', "123"},
        {"123", 3, 0, '.', 5, 2, '.', "123"},
        {"-123", 4, 0, '4', 5, 2, 0, "-123"},
        {"-12", 3, 0, '4', 5, 2, '4', "-12"},
        // Full decimals refuse a digit wherever the caret stands.
        {"12.34", 0, 0, '5', 5, 2, 0, "12.34"},
        {"12.34", 5, 0, '5', 5, 2, 0, "12.34"},
        {"12.34", 5, 0, '\b', 5, 2, '\b', "12.34"},
        {"12.3", 4, 0, '4', 5, 2, '4', "12.3"},
        // With a point and room for decimals the integer part is not limited.
        {"123.4", 0, 0, '9', 5, 2, '9', "123.4"},
        {"12.3", 4, 0, '.', 5, 2, 0, "12.3"},
        // No decimals: no point, and the integer part holds all N digits.
        {"12", 2, 0, '.', 5, omitted, 0, "12"},
        {"1234", 4, 0, '5', 5, omitted, '5', "1234"},
        {"12345", 5, 0, '6', 5, omitted, 0, "12345"},
        // One sign, at the very start.
        {"123", 0, 0, '-', 5, 2, '-', "123"},
        {"123", 1, 0, '-', 5, 2, 0, "123"},
        {"-123", 0, 0, '-', 5, 2, 0, "-123"},
        // A key over the whole selection empties the text first, even when refused.
        {"999", 0, 3, '5', 5, 2, '5', ""},
        {"999", 0, 3, 'a', 5, 2, 0, ""},
        {"999", 0, 3, '\r', 5, 2, 0, "999"},
        {"-12", 0, 3, '-', 5, 2, '-', ""},
        // Anything else is refused.
        {"12", 2, 0, 'a', 5, 2, 0, "12"},
        {"12", 2, 0, ',', 5, 2, 0, "12"},
        // Equality limits: a longer, pasted text takes further digits.
        {"1234", 4, 0, '5', 5, 2, '5', "1234"},
        {"1.234", 5, 0, '5', 5, 2, '5', "1.234"},
    };
    for (const KeyCase& c : cases) {
        show(c.text, c.sel_start, c.sel_length);
        const int16_t key = filter(static_cast<int16_t>(c.key), c.digits, c.precision);
        EXPECT_EQ(key, c.expected_key) << '"' << c.text << "\" key " << int{c.key} << " N "
                                       << c.digits << " P " << c.precision;
        EXPECT_EQ(text_of(*box), c.expected_text) << '"' << c.text << "\" key " << int{c.key};
    }
}

TEST_F(TextValidateNumTest, SixteenBitLimitArithmeticOverflowsAndLeavesTheKey) {
    const KeyCase cases[] = {
        {"-1", 2, 0, '1', 32767, 0, '1', "-1"},        // N + 1 with a sign
        {"1", 1, 0, '1', -32768, 1, '1', "1"},         // N - P
        {"1.5", 3, 0, '1', 32767, 32767, '1', "1.5"},  // P + 1 with a point
        {"5", 0, 1, '1', -32768, 1, '1', ""},          // the text was already emptied
    };
    for (const KeyCase& c : cases) {
        show(c.text, c.sel_start, c.sel_length);
        int16_t key = static_cast<int16_t>(c.key);
        EXPECT_EQ(error_of([&] { gen.TextValidateNum(*box, key, c.digits, c.precision); }),
                  err::overflow)
            << '"' << c.text << '"';
        EXPECT_EQ(key, c.expected_key);
        EXPECT_EQ(text_of(*box), c.expected_text);
    }
}

}  // namespace
}  // namespace ortiva::forms_test
