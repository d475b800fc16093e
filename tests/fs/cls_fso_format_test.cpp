// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <locale>
#include <string>

#include "fs/cls_fso.h"

namespace tunewell::fs {
namespace {

class Punctuation : public std::numpunct<char> {
public:
    Punctuation(char point, char separator) : point_(point), separator_(separator) {}

protected:
    char do_decimal_point() const override { return point_; }
    char do_thousands_sep() const override { return separator_; }
    std::string do_grouping() const override { return "\3"; }

private:
    char point_;
    char separator_;
};

std::locale Grouped(char point, char separator) {
    return std::locale(std::locale::classic(), new Punctuation(point, separator));
}

TEST(FormatSize, StepsAreStrictlyAbove1024) {
    ClsFso fso;
    fso.SetLocale(std::locale::classic());
    const struct {
        double size;
        const char* text;
    } cases[] = {
        {0, "0&nbsp;Byte"},
        {512, "512&nbsp;Byte"},
        {1024, "1024&nbsp;Byte"},
        {1025, "1.00&nbsp;KB"},
        {1536, "1.50&nbsp;KB"},
        {1048576, "1024.00&nbsp;KB"},
        {1048577, "1.00&nbsp;MB"},
        {1073741824, "1024.00&nbsp;MB"},
        {1073741825, "1.00&nbsp;GB"},
        {5497558138880.0, "5120.00&nbsp;GB"},
    };
    for (const auto& c : cases) EXPECT_EQ(fso.FormatSize(c.size), c.text) << c.size;
}

TEST(FormatSize, UsesTheLocalesPointAndGrouping) {
    ClsFso fso;
    const struct {
        char point;
        char separator;
        double size;
        const char* text;
    } cases[] = {
        {'.', ',', 1048576, "1,024.00&nbsp;KB"},
        {'.', ',', 5497558138880.0, "5,120.00&nbsp;GB"},
        {'.', ',', 1024, "1024&nbsp;Byte"},
        {',', '.', 1048576, "1.024,00&nbsp;KB"},
        {',', '.', 1536, "1,50&nbsp;KB"},
    };
    for (const auto& c : cases) {
        fso.SetLocale(Grouped(c.point, c.separator));
        EXPECT_EQ(fso.FormatSize(c.size), c.text) << c.size;
    }
}

TEST(FormatSize, UnknownEnvironmentLocaleFallsBackToClassic) {
    const char* previous = std::getenv("LC_ALL");
    const std::string saved = previous ? previous : "";
    ::setenv("LC_ALL", "xx_NOWHERE.bogus", 1);
    std::string text;
    EXPECT_NO_THROW(text = ClsFso().FormatSize(1048576));
    if (previous) {
        ::setenv("LC_ALL", saved.c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
    EXPECT_EQ(text, "1024.00&nbsp;KB");
}

}  // namespace
}  // namespace tunewell::fs
