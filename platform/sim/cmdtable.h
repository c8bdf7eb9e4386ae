// The command node's table: command word -> handler slot of wyci.
#ifndef WY_PLATFORM_CMDTABLE_H
#define WY_PLATFORM_CMDTABLE_H

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gwsim {

using CmdTable = std::vector<std::pair<std::string, int>>;

// Parses "word slot" lines; '#' starts a comment, blank lines are skipped.
// false + `error` (with the line number) on a malformed line.
bool parse_cmdtable(std::string_view text, CmdTable &table, std::string &error);

// The slot for a command line: its second blank-separated word looked up in
// `table` (the first word is the program name); 0 when there is none or it
// is unknown.
int slot_for_line(const CmdTable &table, std::string_view line);

} // namespace gwsim

#endif
