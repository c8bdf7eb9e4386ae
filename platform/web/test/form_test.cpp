// The form glue's parser and planner: what a submitted form may run.
#include <gtest/gtest.h>

#include "form.h"

#include <string>
#include <vector>

using webform::Field;

TEST(WebForm, ParsesEncodedFieldsAndRefusesMalformedOnes)
{
    struct Case {
        std::string text;
        bool ok;
        std::vector<std::pair<std::string, std::string>> want;
    } cases[] = {
        {"a=1&b=x+y", true, {{"a", "1"}, {"b", "x y"}}},
        {"n=%3Cb%3E%26&&m=", true, {{"n", "<b>&"}, {"m", ""}}},
        {"flag", true, {{"flag", ""}}},
        {"", true, {}},
        {"a=%4", false, {}},     // escape cut short
        {"a=%zz", false, {}},    // not hex
        {"a=%0A", false, {}},    // control byte
        {"a=%00b", false, {}},   // NUL inside a value
        {"a=" + std::string(129, 'x'), false, {}},
        {"a=" + std::string(128, 'x'), true, {{"a", std::string(128, 'x')}}},
        {std::string(4097, 'a'), false, {}},
        {"a=1&a=2&a=3&a=4&a=5&a=6&a=7&a=8&a=9&a=10&a=11&a=12&a=13&a=14&a=15&a=16&a=17", false, {}},
    };
    for (const auto &c : cases) {
        std::vector<Field> fields;
        bool ok = webform::parse_form(c.text, fields);
        EXPECT_EQ(ok, c.ok) << c.text.substr(0, 60);
        if (!ok || !c.ok)
            continue;
        ASSERT_EQ(fields.size(), c.want.size()) << c.text;
        for (size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(fields[i].name, c.want[i].first) << c.text;
            EXPECT_EQ(fields[i].value, c.want[i].second) << c.text;
        }
    }
}

TEST(WebForm, PlansOnlyKnownActionsWithPlainIndices)
{
    using Cmds = std::vector<std::vector<std::string>>;
    struct Case {
        const char *body;
        Cmds commands;     // expected when accepted
        const char *back;  // nullptr: refused
    } cases[] = {
        {"page=fwrule_list&FirewallRuleIndexFlag=1&FirewallActionFlag=1&FirewallRuleFlag=1",
         {{"/userfs/cgi-bin/fwrule_action", "Delete", "1"}}, "/fwrule_list_main.html"},
        {"page=fwrule_list&FirewallRuleIndexFlag=3&FirewallActionFlag=3&MoveTo=0",
         {{"/userfs/bin/wyapi", "set", "WebCurSet_Entry", "firewallrule_id", "3"},
          {"/userfs/cgi-bin/fwrule_action", "Move", "0"}},
         "/fwrule_list_main.html"},
        {"page=fwservice_list&FirewallServiceIndex=2&FirewallServiceAction=1",
         {{"/userfs/cgi-bin/fwservice_action", "Delete", "2"}}, "/fwservice_list_main.html"},
        {"page=trustedca_list&delFlag=1&delnum=3", {{"/userfs/bin/wyapi", "unset", "SslCA_Entry3"}},
         "/trustedca_list_main.html"},
        {"page=ipv6_route_list&returnCurrentIndex=12", {{"/userfs/bin/wyapi", "unset", "IPv6Route_Entry12"}},
         "/ipv6_route_list_main.html"},
        {"page=portbind_list", {}, "/portbind_list_main.html"},
        // Refused: the index reaches a command line or a node name.
        {"page=fwrule_list&FirewallRuleIndexFlag=1;reboot&FirewallActionFlag=1", {}, nullptr},
        {"page=fwrule_list&FirewallRuleIndexFlag=-1&FirewallActionFlag=1", {}, nullptr},
        {"page=fwrule_list&FirewallRuleIndexFlag=1000&FirewallActionFlag=1", {}, nullptr},
        {"page=fwrule_list&FirewallRuleIndexFlag=&FirewallActionFlag=1", {}, nullptr},
        {"page=fwrule_list&FirewallRuleIndexFlag=1&FirewallActionFlag=2", {}, nullptr},
        {"page=fwrule_list&FirewallRuleIndexFlag=1&FirewallActionFlag=3&MoveTo=x", {}, nullptr},
        {"page=trustedca_list&delFlag=1&delnum=4", {}, nullptr},
        {"page=trustedca_list&delFlag=0&delnum=1", {}, nullptr},
        {"page=../etc/passwd", {}, nullptr},
        {"page=fwrule_action", {}, nullptr},
        {"FirewallRuleIndexFlag=1&FirewallActionFlag=1", {}, nullptr},
    };
    for (const auto &c : cases) {
        std::vector<Field> fields;
        ASSERT_TRUE(webform::parse_form(c.body, fields)) << c.body;
        webform::Plan plan = webform::plan_for(fields);
        if (!c.back) {
            EXPECT_FALSE(plan.error.empty()) << c.body;
            EXPECT_TRUE(plan.commands.empty()) << c.body;
            continue;
        }
        EXPECT_EQ(plan.error, "") << c.body;
        EXPECT_EQ(plan.back, c.back) << c.body;
        EXPECT_EQ(plan.commands, c.commands) << c.body;
    }
}
