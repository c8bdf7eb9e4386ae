#include "cmdtable.h"

#include <cerrno>
#include <cstdlib>

namespace gwsim {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits off the next blank-separated word of `s`.
std::string_view next_word(std::string_view &s)
{
    size_t b = 0;
    while (b < s.size() && is_blank(s[b]))
        ++b;
    size_t e = b;
    while (e < s.size() && !is_blank(s[e]))
        ++e;
    std::string_view w = s.substr(b, e - b);
    s.remove_prefix(e);
    return w;
}

} // namespace

bool parse_cmdtable(std::string_view text, CmdTable &table, std::string &error)
{
    table.clear();
    int lineno = 0;
    while (!text.empty()) {
        size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        ++lineno;
        if (size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        std::string_view word = next_word(line);
        if (word.empty())
            continue;
        std::string num(next_word(line));
        char *end = nullptr;
        errno = 0;
        long slot = std::strtol(num.c_str(), &end, 10);
        if (num.empty() || *end != '\0' || errno != 0 || slot < 1 || slot > 99 ||
            !next_word(line).empty()) {
            error = "line " + std::to_string(lineno) + ": expected \"word slot\"";
            return false;
        }
        table.emplace_back(std::string(word), static_cast<int>(slot));
    }
    return true;
}

int slot_for_line(const CmdTable &table, std::string_view line)
{
    next_word(line);  // program name
    std::string_view word = next_word(line);
    if (word.empty())
        return 0;
    for (const auto &[w, slot] : table)
        if (w == word)
            return slot;
    return 0;
}

} // namespace gwsim
