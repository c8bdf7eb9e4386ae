// fwservice_action: the whole store before and after each run, and the
// numbers it accepts from its command line and the store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service_index.h"
#include "testroot.h"

using testroot::Attrs;
using testroot::Store;

namespace {

// A service whose values tell service k apart.
Attrs service(int k)
{
    return {{"ServiceName", "Svc" + std::to_string(k)},
            {"Protocol", k % 2 ? "TCP" : "UDP"},
            {"ServicePortType", k % 3 ? "singlePort" : "rangePort"},
            {"StartPort", std::to_string(1000 + k)},
            {"EndPort", std::to_string(2000 + k)}};
}

std::string entry(int i)
{
    return "FWService_Entry" + std::to_string(i);
}

// Services at the given indices, the counter (nullptr: no counter), and
// nodes no delete may touch.
Store make(const char *counter, const std::vector<std::pair<int, Attrs>> &entries)
{
    Store s;
    s["Firewall_Common"] = {{"LANtoLANNum", "2"}};
    if (counter)
        s["Firewall_Common"]["ServiceNum"] = counter;
    for (const auto &[i, a] : entries)
        s[entry(i)] = a;
    s["Firewall_LANtoLAN_Entry0"] = {{"Active", "Yes"}, {"Service", "Svc1[TCP/1001]"}};
    return s;
}

Store with(Store s, const std::string &node, const std::string &attr, const std::string &value)
{
    s[node][attr] = value;
    return s;
}

Store without(Store s, const std::string &node, const std::string &attr)
{
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
    const auto three = make("3", {{0, service(0)}, {1, service(1)}, {2, service(2)}});
    const auto five = make("5", {{0, service(0)}, {1, service(1)}, {2, service(2)}, {3, service(3)}, {4, service(4)}});
    const auto usage = "usage: fwservice_action Add|Delete INDEX\n";

    // Entry 2 lacks two attributes and holds a long value with markup; its
    // target holds an attribute outside the five, which stays.
    Attrs s2 = service(2);
    s2.erase("Protocol");
    s2.erase("EndPort");
    s2["StartPort"] = "<&\"'>\t\n" + std::string(1000, 'p');
    Attrs s1 = service(1);
    s1["Note"] = "kept";
    const auto holes = make("3", {{0, service(0)}, {1, s1}, {2, s2}});
    Attrs s2_onto_1 = s2;
    s2_onto_1["Protocol"] = "N/A";
    s2_onto_1["EndPort"] = "N/A";
    s2_onto_1["Note"] = "kept";

    std::vector<Case> c;
    c.push_back({"delete first of three", three, {"Delete", "0"}, "",
                 make("2", {{0, service(1)}, {1, service(2)}})});
    c.push_back({"delete middle of three", three, {"Delete", "1"}, "",
                 make("2", {{0, service(0)}, {1, service(2)}})});
    c.push_back({"delete last of three", three, {"Delete", "2"}, "",
                 make("2", {{0, service(0)}, {1, service(1)}})});
    c.push_back({"attributes missing on a moved entry", holes, {"Delete", "1"}, "",
                 make("2", {{0, service(0)}, {1, s2_onto_1}})});
    // A missing entry ends the shift, and the last entry still goes.
    c.push_back({"gap in the middle", without(five, entry(2), "ServiceName"), {"Delete", "0"}, "",
                 without(make("4", {{0, service(1)}, {1, service(1)}, {2, service(2)}, {3, service(3)}}),
                         entry(2), "ServiceName")});
    c.push_back({"an N/A name ends the shift", with(three, entry(1), "ServiceName", "N/A"), {"Delete", "0"}, "",
                 make("2", {{0, service(0)}, {1, with(three, entry(1), "ServiceName", "N/A")[entry(1)]}})});
    c.push_back({"index with leading zero", three, {"Delete", "01"}, "",
                 make("2", {{0, service(0)}, {1, service(2)}})});
    c.push_back({"add", three, {"Add", "0"}, "Add action\n", three});
    c.push_back({"add past the end", three, {"Add", "9"}, "Add action\n", three});
    c.push_back({"move", three, {"Move", "0"}, "wrong Action", three});
    c.push_back({"delete in lower case", three, {"delete", "0"}, "wrong Action", three});
    // Refusals: nothing changes.
    for (const char *index : {"3", "4", "-1", "", "1x", "x", " 1", "+1", "1 ", "0x1", "99999999999999999999999"})
        c.push_back({"refused index", three, {"Delete", index}, "", three});
    const auto zero = make("0", {{0, service(0)}, {1, service(1)}});
    c.push_back({"counter 0", zero, {"Delete", "0"}, "", zero});
    const auto missing = make(nullptr, {{0, service(0)}, {1, service(1)}});
    c.push_back({"counter missing", missing, {"Delete", "0"}, "", missing});
    Store no_common = missing;
    no_common.erase("Firewall_Common");
    c.push_back({"counter node missing", no_common, {"Delete", "0"}, "", no_common});
    for (const char *counter : {"two", "", "N/A", "-2"}) {
        const auto odd = make(counter, {{0, service(0)}, {1, service(1)}});
        c.push_back({"counter not a count", odd, {"Delete", "0"}, "", odd});
    }
    // The counter is clamped: the shift stops at the first missing entry, and
    // the entry removed (none here) and the counter written are the clamp's.
    const auto huge = make("99999999999999999999", {{0, service(0)}, {1, service(1)}});
    c.push_back({"huge counter", huge, {"Delete", "0"}, "", make("99999", {{0, service(1)}, {1, service(1)}})});
    c.push_back({"no arguments", three, {}, usage, three});
    c.push_back({"no index", three, {"Delete"}, usage, three});
    return c;
}

} // namespace

TEST(FwserviceAction, ChangesTheStoreAsAsked)
{
    for (const auto &c : cases()) {
        testroot::TempRoot root;
        root.write_store(c.before);
        std::vector<std::string> argv{FWSERVICE_ACTION};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        auto r = wytest::run(argv);
        std::string what = std::string(c.name) + " (" + (c.args.size() > 1 ? c.args[1] : "") + ")";
        EXPECT_EQ(r.status, 0) << what;
        EXPECT_EQ(r.out, c.out) << what;
        bool ok = false;
        Store after = root.read_store(&ok);
        EXPECT_TRUE(ok) << what;
        EXPECT_EQ(after, c.after) << what;
    }
}

TEST(FwserviceAction, Numbers)
{
    struct Counter {
        const char *text;
        long value;
    } counters[] = {{"3", 3}, {"0", 0}, {"", 0}, {"N/A", 0}, {"two", 0}, {"-2", 0}, {"12abc", 12},
                    {"100000", 100000}, {"100001", 100000}, {"99999999999999999999", 100000}};
    for (const auto &c : counters)
        EXPECT_EQ(service_counter(c.text), c.value) << c.text;

    struct Index {
        const char *text;
        long count;
        bool ok;
        long value;
    } indices[] = {{"0", 1, true, 0},   {"2", 3, true, 2},   {"3", 3, false, 0},  {"0", 0, false, 0},
                   {"007", 8, true, 7}, {"-1", 3, false, 0}, {"+1", 3, false, 0}, {"", 3, false, 0},
                   {"1 ", 3, false, 0}, {"1a", 3, false, 0}, {"99999", 100000, true, 99999},
                   {"100000", 100000, false, 0}, {"9999999999999999999999", 100000, false, 0}};
    for (const auto &c : indices) {
        long v = -7;
        EXPECT_EQ(service_index(c.text, c.count, &v), c.ok) << c.text << " " << c.count;
        EXPECT_EQ(v, c.ok ? c.value : -7) << c.text << " " << c.count;
    }
}
