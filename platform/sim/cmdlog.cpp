#include "cmdlog.h"

namespace gwsim {
namespace {

constexpr char kHex[] = "0123456789abcdef";

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string cmdlog_escape(std::string_view line)
{
    std::string out;
    out.reserve(line.size());
    for (char ch : line) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c >= 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

bool cmdlog_parse(std::string_view text, std::vector<std::string> &lines)
{
    lines.clear();
    while (!text.empty()) {
        size_t nl = text.find('\n');
        if (nl == std::string_view::npos)
            return false;  // a record still being written, or a cut file
        std::string_view rec = text.substr(0, nl);
        text.remove_prefix(nl + 1);
        std::string line;
        for (size_t i = 0; i < rec.size(); ++i) {
            if (rec[i] != '\\') {
                line += rec[i];
                continue;
            }
            if (i + 1 < rec.size() && rec[i + 1] == '\\') {
                line += '\\';
                i += 1;
                continue;
            }
            int hi = i + 3 < rec.size() && rec[i + 1] == 'x' ? hex_value(rec[i + 2]) : -1;
            int lo = hi >= 0 ? hex_value(rec[i + 3]) : -1;
            if (lo < 0)
                return false;
            line += static_cast<char>(hi << 4 | lo);
            i += 3;
        }
        lines.push_back(std::move(line));
    }
    return true;
}

CmdRefusal cmd_refusal(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    return text == "write" ? CmdRefusal::write : CmdRefusal::open;
}

} // namespace gwsim
