#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "store/LineFormat.h"

using namespace lineformat;

TEST(LineFormat, NumbersAreReadLikeC) {
    struct Case { std::string text; uint32_t value; } cases[] = {
        {"0", 0},
        {"309", 309},
        {"0001", 1},
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"1 2", 1},
        {" \t\v\f\r12", 12},
        {"+7", 7},
        {"-1", 0xFFFFFFFFu},
        {"-2147483648", 0x80000000u},
        {"--1", 0},
        {"-+1", 0},
        {"- 1", 0},
        {"4294967295", 0xFFFFFFFFu},
        {"4294967296", 0},
        {"4294967297", 1},
        {"12345678901234567890", 3944680146u},
        {std::string(100000, '9'), 0xFFFFFFFFu},  // 10^n - 1 with n >= 32
        {std::string("7\0" "8", 3), 7},
    };
    for (const Case& c : cases) EXPECT_EQ(parseNumber(c.text), c.value) << c.text.substr(0, 40);
}

TEST(LineFormat, FlagsAreTrueOnlyForOne) {
    struct Case { const char* text; bool value; } cases[] = {
        {"1", true},  {" 1", true},  {"01", true},  {"1x", true},  {"4294967297", true}, {"-4294967295", true},
        {"0", false}, {"2", false},  {"", false},   {"x1", false}, {"-1", false},
    };
    for (const Case& c : cases) {
        bool flag = !c.value;
        parseValue(c.text, flag);
        EXPECT_EQ(flag, c.value) << c.text;
    }
}

TEST(LineFormat, ValuesAreWrittenPlain) {
    std::string out;
    appendValue(out, int32_t(-20));
    out += '|';
    appendValue(out, uint32_t(4294967295u));
    out += '|';
    appendValue(out, true);
    appendValue(out, false);
    out += '|';
    appendValue(out, std::string("a\nb\r"));
    EXPECT_EQ(out, "-20|4294967295|10|a b\r");
}

TEST(LineFormat, LinesEndAtLfWithAnOptionalCr) {
    struct Case { std::string data; std::vector<std::string> lines; } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r", {"a\r"}},
        {"a\r\r\n", {"a\r"}},
        {"\ra\rb\r\n", {"\ra\rb"}},
        {"a\nb", {"a", "b"}},
        {"a\r\nb\n", {"a", "b"}},
        {"\n\r\n", {"", ""}},
        {std::string("x\0y\n", 4), {std::string("x\0y", 3)}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines;
        forEachLine(c.data, [&](std::string_view line) { lines.emplace_back(line); });
        EXPECT_EQ(lines, c.lines) << testing::PrintToString(c.data);
    }
}
