// Golden page tests: fixture files and a readable first difference. Tests only.
#ifndef WY_CGI_PAGES_TEST_GOLDEN_H
#define WY_CGI_PAGES_TEST_GOLDEN_H

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace golden {

inline std::string slurp(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    EXPECT_TRUE(f.good()) << path;
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// The line where two texts first differ, for a readable failure.
inline std::string first_difference(const std::string &want, const std::string &got)
{
    size_t i = 0;
    while (i < want.size() && i < got.size() && want[i] == got[i])
        ++i;
    size_t line_start = want.rfind('\n', i == 0 ? 0 : i - 1);
    line_start = line_start == std::string::npos ? 0 : line_start + 1;
    return "at byte " + std::to_string(i) + " of " + std::to_string(want.size()) + "/" +
           std::to_string(got.size()) + "\nwant: " + want.substr(line_start, 160) +
           "\ngot:  " + got.substr(line_start, 160);
}

inline size_t count(const std::string &s, const std::string &what)
{
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

} // namespace golden

#endif
