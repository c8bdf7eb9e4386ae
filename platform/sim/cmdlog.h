// The command node's record: every line written to /proc/wysoc/wyci_cmd, in
// the order the writers closed their files, one record per text line of
// DIR/cmdnode.log. Lines may hold any byte, so each is escaped to one text line.
#ifndef WY_PLATFORM_CMDLOG_H
#define WY_PLATFORM_CMDLOG_H

#include <string>
#include <string_view>
#include <vector>

namespace gwsim {

// `line` as one record, without its line feed: '\\' becomes "\\\\", other bytes
// below 0x20 and from 0x7F on become "\\xHH"; the rest stays as it is.
std::string cmdlog_escape(std::string_view line);

// The lines of a whole record file, in order. False when a record is malformed
// (a lone or unknown escape, a last record without its line feed); `lines`
// then holds the records before it.
bool cmdlog_parse(std::string_view text, std::vector<std::string> &lines);

// What a test asked the node to refuse, from the text of DIR/cmdnode.refuse
// (while that file exists): "write" refuses every write, anything else (an
// empty file, "open") every open.
enum class CmdRefusal { none, open, write };
CmdRefusal cmd_refusal(std::string_view text);

} // namespace gwsim

#endif
