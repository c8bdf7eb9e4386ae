// fwrule_action ACTION INDEX: keeps the numbered firewall rules of the current
// direction dense when the web interface adds, deletes or moves one.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "owners.h"
#include "store.h"

namespace {

// Counters are clamped so that N + 1 cannot overflow and a hostile counter
// cannot keep the shifting loops running for hours.
constexpr long kCounterMax = 100000;

constexpr const char *kDirections[] = {"LANtoLAN", "LANtoWAN", "WANtoLAN", "WANtoWAN"};

// Copied in this order, "Active" first.
constexpr const char *kRuleAttrs[] = {
    "Active", "IPType", "SrcIPAddrType", "SrcStartIPAddr", "SrcEndIPAddr", "SrcSubnetMask",
    "DestIPAddrType", "DestStartIPAddr", "DestEndIPAddr", "DestSubnetMask", "Service", "Action",
};
constexpr size_t kRuleAttrCount = sizeof kRuleAttrs / sizeof kRuleAttrs[0];

using Name = char[WYAPI_NAME_MAX + 1];
using Value = char[WYAPI_BUF_SIZE];

struct State {
    char dir[WYAPI_NAME_MAX + 1];
    long total;         // T: all four counters
    long count;         // N: the direction's own counter
    const char *counter; // its attribute name, nullptr for an unknown direction
};

// The entry node for `index_text`, formed from the text as given. False when
// the name does not fit (no such node can exist then).
bool entry_name_text(const State &s, const char *index_text, Name out)
{
    int n = snprintf(out, sizeof(Name), "Firewall_%s_Entry%s", s.dir, index_text);
    return n > 0 && static_cast<size_t>(n) < sizeof(Name);
}

bool entry_name(const State &s, long index, Name out)
{
    char text[24];
    snprintf(text, sizeof text, "%ld", index);
    return entry_name_text(s, text, out);
}

// An entry exists when "Active" reads as something other than "N/A" or "".
bool entry_exists(const char *node)
{
    Value v;
    return store_get(node, "Active", v, sizeof v) == WYAPI_OK && v[0] && strcmp(v, "N/A") != 0;
}

long parse_number(const char *text, long lo, long hi)
{
    long v = strtol(text, nullptr, 10);
    return v < lo ? lo : v > hi ? hi : v;
}

long read_counter(const char *attr)
{
    char v[32];
    if (store_get("Firewall_Common", attr, v, sizeof v) != WYAPI_OK || !v[0] || strcmp(v, "N/A") == 0)
        return 0;
    return parse_number(v, 0, kCounterMax);
}

void start_up(State &s)
{
    if (store_get("WebCurSet_Entry", "firewalldir_id", s.dir, sizeof s.dir) != WYAPI_OK ||
        strcmp(s.dir, "N/A") == 0)
        snprintf(s.dir, sizeof s.dir, "LANtoLAN");
    s.total = 0;
    s.count = 0;
    s.counter = nullptr;
    static const char *const kCounters[] = {"LANtoLANNum", "LANtoWANNum", "WANtoLANNum", "WANtoWANNum"};
    for (size_t d = 0; d < 4; ++d) {
        long n = read_counter(kCounters[d]);
        s.total += n;
        if (strcmp(s.dir, kDirections[d]) == 0) {
            s.count = n;
            s.counter = kCounters[d];
        }
    }
}

void write_counter(const State &s, long value)
{
    if (!s.counter)
        return;
    char text[24];
    snprintf(text, sizeof text, "%ld", value);
    // Results of writes are not examined: there is nothing to roll back to.
    wyapi_set("Firewall_Common", s.counter, text);
}

// Copies entry `from` (known to exist) onto `to`; unreadable attributes arrive
// as "N/A". Values travel in full-size buffers, so nothing is cut.
void copy_entry(const char *from, const char *to)
{
    wy::Heap<Value[]> vals(static_cast<Value *>(calloc(kRuleAttrCount, sizeof(Value))));
    if (!vals) {
        printf("fwrule_action: out of memory\n");
        return;
    }
    for (size_t a = 0; a < kRuleAttrCount; ++a)
        if (store_get(from, kRuleAttrs[a], vals[a], sizeof(Value)) != WYAPI_OK)
            snprintf(vals[a], sizeof(Value), "N/A");
    for (size_t a = 0; a < kRuleAttrCount; ++a)
        wyapi_set(to, kRuleAttrs[a], vals[a]);
}

void copy_index(const State &s, long from, long to)
{
    Name a, b;
    if (entry_name(s, from, a) && entry_name(s, to, b))
        copy_entry(a, b);
}

void do_add(const State &s, long p)
{
    printf("Add action\n");
    // Entries below 0 never exist: starting the walk there changes nothing.
    for (long i = s.count; i >= (p > 0 ? p : 0); --i) {
        Name node;
        if (entry_name(s, i, node) && entry_exists(node))
            copy_index(s, i, i + 1);
    }
    write_counter(s, s.count + 1);
    wyapi_set("WebCurSet_Entry", "firewallrule_action", "2");
}

void do_delete(const State &s, const char *index_text, long p)
{
    printf("Delete actions");
    if (s.count == 0 || s.total == 0)
        return;
    Name node;
    if (!entry_name_text(s, index_text, node) || !entry_exists(node))
        return;
    for (long i = p + 1; i < s.count; ++i) {
        Name next;
        if (!entry_name(s, i, next) || !entry_exists(next))
            break;
        copy_index(s, i, i - 1);
    }
    Name last;
    if (entry_name(s, s.count - 1, last))
        wyapi_unset(last);
    write_counter(s, s.count - 1);
    wyapi_set("WebCurSet_Entry", "firewallrule_action", "4");
}

void do_move(const State &s, const char *index_text)
{
    printf("Move actions");
    char from_text[WYAPI_NAME_MAX + 1];
    if (store_get("WebCurSet_Entry", "firewallrule_id", from_text, sizeof from_text) != WYAPI_OK)
        return;
    Name from, to;
    if (!entry_name_text(s, from_text, from) || !entry_exists(from))
        return;
    if (entry_name_text(s, index_text, to))
        copy_entry(from, to);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        printf("usage: fwrule_action Add|Delete|Move INDEX\n");
        return 0;
    }
    const char *action = argv[1];
    const char *index_text = argv[2];
    State s;
    start_up(s);
    // Beyond the counters' range no entry can take part; the bounds keep i + 1 in range.
    long p = parse_number(index_text, -1, kCounterMax + 1);
    if (strcmp(action, "Add") == 0)
        do_add(s, p);
    else if (strcmp(action, "Delete") == 0)
        do_delete(s, index_text, p);
    else if (strcmp(action, "Move") == 0)
        do_move(s, index_text);
    else
        printf("wrong Action");
    return 0;
}
