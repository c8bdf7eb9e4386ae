// fwrule_action: the whole store before and after each action.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testroot.h"

using testroot::Attrs;
using testroot::Store;

namespace {

const char *const kTwelve[] = {
    "Active", "IPType", "SrcIPAddrType", "SrcStartIPAddr", "SrcEndIPAddr", "SrcSubnetMask",
    "DestIPAddrType", "DestStartIPAddr", "DestEndIPAddr", "DestSubnetMask", "Service", "Action",
};

// A rule of the twelve attributes, its values telling rule k apart.
Attrs rule(int k)
{
    Attrs a;
    for (const char *name : kTwelve)
        a[name] = std::string(name) + "-" + std::to_string(k);
    a["Active"] = k % 2 ? "Yes" : "No";
    return a;
}

std::string entry(const char *dir, int i)
{
    return std::string("Firewall_") + dir + "_Entry" + std::to_string(i);
}

// A store with the given direction current, counters and entries of `dir`.
Store make(const char *current, const Attrs &counters, const char *dir, const std::vector<std::pair<int, Attrs>> &entries)
{
    Store s;
    if (current)
        s["WebCurSet_Entry"] = {{"firewalldir_id", current}, {"firewallrule_id", "3"}};
    else
        s["WebCurSet_Entry"] = {{"firewallrule_id", "3"}};
    s["Firewall_Common"] = counters;
    for (const auto &[i, a] : entries)
        s[entry(dir, i)] = a;
    // Another direction's rules, which no action may touch.
    s[entry("WANtoLAN", 0)] = rule(90);
    s[entry("WANtoLAN", 1)] = rule(91);
    return s;
}

Attrs counters(int lan_lan, int lan_wan = 1, int wan_lan = 2, int wan_wan = 0)
{
    return {{"LANtoLANNum", std::to_string(lan_lan)}, {"LANtoWANNum", std::to_string(lan_wan)},
            {"WANtoLANNum", std::to_string(wan_lan)}, {"WANtoWANNum", std::to_string(wan_wan)}};
}

Store with(Store s, const std::string &node, const std::string &attr, const std::string &value)
{
    s[node][attr] = value;
    return s;
}

Store without(Store s, const std::string &node, const std::string &attr = "")
{
    if (attr.empty())
        s.erase(node);
    else
        s[node].erase(attr);
    return s;
}

struct Case {
    const char *name;
    Store before;
    std::vector<std::string> args;
    std::string out;
    Store after;
};

std::vector<Case> cases()
{
    const auto four = make("LANtoLAN", counters(4), "LANtoLAN", {{0, rule(0)}, {1, rule(1)}, {2, rule(2)}, {3, rule(3)}});
    const auto three = make("LANtoLAN", counters(3), "LANtoLAN", {{0, rule(0)}, {1, rule(1)}, {2, rule(2)}});

    // Source rule 2 lacks an attribute, holds a long value with markup; target 1
    // holds an attribute outside the twelve.
    Attrs r2 = rule(2);
    r2.erase("DestSubnetMask");
    r2["Service"] = "<&\"'>\t\n" + std::string(1000, 's');
    Attrs r1 = rule(1);
    r1["Log"] = "Yes";
    const auto mixed = make("LANtoLAN", counters(4), "LANtoLAN", {{0, rule(0)}, {1, r1}, {2, r2}, {3, rule(3)}});
    Attrs r2_copied = r2;
    r2_copied["DestSubnetMask"] = "N/A";
    Attrs r2_onto_1 = r2_copied;
    r2_onto_1["Log"] = "Yes";

    std::vector<Case> c;
    c.push_back({"add at 0 of 3", three, {"Add", "0"}, "Add action\n",
                 with(with(make("LANtoLAN", counters(4), "LANtoLAN", {{0, rule(0)}, {1, rule(0)}, {2, rule(1)}, {3, rule(2)}}),
                           "WebCurSet_Entry", "firewallrule_action", "2"), "Firewall_Common", "LANtoLANNum", "4")});
    c.push_back({"add at 1 of 3", three, {"Add", "1"}, "Add action\n",
                 with(make("LANtoLAN", counters(4), "LANtoLAN", {{0, rule(0)}, {1, rule(1)}, {2, rule(1)}, {3, rule(2)}}),
                      "WebCurSet_Entry", "firewallrule_action", "2")});
    const auto appended = with(with(three, "Firewall_Common", "LANtoLANNum", "4"), "WebCurSet_Entry", "firewallrule_action", "2");
    c.push_back({"append", three, {"Add", "3"}, "Add action\n", appended});
    c.push_back({"add past the end", three, {"Add", "7"}, "Add action\n", appended});
    c.push_back({"add with a missing counter",
                 without(make("LANtoLAN", counters(0), "LANtoLAN", {{0, rule(0)}}), "Firewall_Common", "LANtoLANNum"),
                 {"Add", "0"}, "Add action\n",
                 with(with(make("LANtoLAN", counters(1), "LANtoLAN", {{0, rule(0)}, {1, rule(0)}}),
                           "WebCurSet_Entry", "firewallrule_action", "2"), "Firewall_Common", "LANtoLANNum", "1")});
    c.push_back({"add skips a missing entry",
                 make("LANtoLAN", counters(3), "LANtoLAN", {{0, rule(0)}, {2, rule(2)}}), {"Add", "0"}, "Add action\n",
                 with(make("LANtoLAN", counters(4), "LANtoLAN", {{0, rule(0)}, {1, rule(0)}, {2, rule(2)}, {3, rule(2)}}),
                      "WebCurSet_Entry", "firewallrule_action", "2")});
    c.push_back({"delete 1 of 4", mixed, {"Delete", "1"}, "Delete actions",
                 with(make("LANtoLAN", counters(3), "LANtoLAN", {{0, rule(0)}, {1, r2_onto_1}, {2, rule(3)}}),
                      "WebCurSet_Entry", "firewallrule_action", "4")});
    c.push_back({"delete 0 of 4", four, {"Delete", "0"}, "Delete actions",
                 with(make("LANtoLAN", counters(3), "LANtoLAN", {{0, rule(1)}, {1, rule(2)}, {2, rule(3)}}),
                      "WebCurSet_Entry", "firewallrule_action", "4")});
    c.push_back({"delete the last", four, {"Delete", "3"}, "Delete actions",
                 with(make("LANtoLAN", counters(3), "LANtoLAN", {{0, rule(0)}, {1, rule(1)}, {2, rule(2)}}),
                      "WebCurSet_Entry", "firewallrule_action", "4")});
    c.push_back({"delete with index text 01", four, {"Delete", "01"}, "Delete actions", four});
    c.push_back({"delete of a missing entry", four, {"Delete", "9"}, "Delete actions", four});
    const auto zero = make("LANtoLAN", counters(0), "LANtoLAN", {{0, rule(0)}, {1, rule(1)}});
    c.push_back({"delete with counter 0", zero, {"Delete", "0"}, "Delete actions", zero});
    c.push_back({"delete with a missing middle entry",
                 make("LANtoLAN", counters(5), "LANtoLAN", {{0, rule(0)}, {1, rule(1)}, {2, rule(2)}, {4, rule(4)}}),
                 {"Delete", "1"}, "Delete actions",
                 with(make("LANtoLAN", counters(4), "LANtoLAN", {{0, rule(0)}, {1, rule(2)}, {2, rule(2)}}),
                      "WebCurSet_Entry", "firewallrule_action", "4")});
    c.push_back({"delete of an entry whose Active is N/A",
                 with(four, entry("LANtoLAN", 1), "Active", "N/A"), {"Delete", "1"}, "Delete actions",
                 with(four, entry("LANtoLAN", 1), "Active", "N/A")});
    c.push_back({"move 3 onto 0", four, {"Move", "0"}, "Move actions",
                 make("LANtoLAN", counters(4), "LANtoLAN", {{0, rule(3)}, {1, rule(1)}, {2, rule(2)}, {3, rule(3)}})});
    Store moved_to_new = four;
    moved_to_new[entry("LANtoLAN", 6)] = rule(3);
    c.push_back({"move onto a new entry", four, {"Move", "6"}, "Move actions", moved_to_new});
    c.push_back({"move without firewallrule_id", without(four, "WebCurSet_Entry", "firewallrule_id"), {"Move", "0"},
                 "Move actions", without(four, "WebCurSet_Entry", "firewallrule_id")});
    c.push_back({"move of a missing source", with(four, "WebCurSet_Entry", "firewallrule_id", "7"), {"Move", "0"},
                 "Move actions", with(four, "WebCurSet_Entry", "firewallrule_id", "7")});
    c.push_back({"add in lower case", three, {"add", "0"}, "wrong Action", three});
    c.push_back({"no arguments", three, {}, "usage: fwrule_action Add|Delete|Move INDEX\n", three});
    c.push_back({"no index", three, {"Delete"}, "usage: fwrule_action Add|Delete|Move INDEX\n", three});
    c.push_back({"direction N/A is LANtoLAN", with(three, "WebCurSet_Entry", "firewalldir_id", "N/A"), {"Add", "3"},
                 "Add action\n", with(appended, "WebCurSet_Entry", "firewalldir_id", "N/A")});
    c.push_back({"direction missing is LANtoLAN", without(three, "WebCurSet_Entry", "firewalldir_id"), {"Add", "3"},
                 "Add action\n", without(appended, "WebCurSet_Entry", "firewalldir_id")});
    c.push_back({"another direction", make("WANtoWAN", counters(0, 1, 2, 2), "WANtoWAN", {{0, rule(0)}, {1, rule(1)}}),
                 {"Delete", "0"}, "Delete actions",
                 with(make("WANtoWAN", counters(0, 1, 2, 1), "WANtoWAN", {{0, rule(1)}}),
                      "WebCurSet_Entry", "firewallrule_action", "4")});
    c.push_back({"unknown direction writes no counter",
                 make("Bogus", counters(2), "Bogus", {{0, rule(0)}}), {"Add", "0"}, "Add action\n",
                 with(make("Bogus", counters(2), "Bogus", {{0, rule(0)}, {1, rule(0)}}),
                      "WebCurSet_Entry", "firewallrule_action", "2")});
    c.push_back({"huge counter is clamped",
                 make("LANtoLAN", with(Store{{"c", counters(0)}}, "c", "LANtoLANNum", "99999999999999999999")["c"],
                      "LANtoLAN", {}),
                 {"Add", "100000"}, "Add action\n",
                 with(with(make("LANtoLAN", counters(0), "LANtoLAN", {}), "Firewall_Common", "LANtoLANNum", "100001"),
                      "WebCurSet_Entry", "firewallrule_action", "2")});
    // A negative counter is corrupt: it counts as 0, so nothing is removed and
    // no negative count is written back.
    const auto negative = with(four, "Firewall_Common", "LANtoLANNum", "-2");
    c.push_back({"delete with a negative counter", negative, {"Delete", "0"}, "Delete actions", negative});
    c.push_back({"add with a negative counter", negative, {"Add", "4"}, "Add action\n",
                 with(with(four, "Firewall_Common", "LANtoLANNum", "1"), "WebCurSet_Entry", "firewallrule_action", "2")});
    return c;
}

} // namespace

TEST(FwruleAction, ChangesTheStoreAsAsked)
{
    for (const auto &c : cases()) {
        testroot::TempRoot root;
        root.write_store(c.before);
        std::vector<std::string> argv{FWRULE_ACTION};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        auto r = wytest::run(argv);
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_EQ(r.out, c.out) << c.name;
        bool ok = false;
        Store after = root.read_store(&ok);
        EXPECT_TRUE(ok) << c.name;
        EXPECT_EQ(after, c.after) << c.name;
    }
}
