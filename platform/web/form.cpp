#include "form.h"

#include <cstdio>

namespace webform {
namespace {

int hex(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool decode(std::string_view in, std::string &out)
{
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (c == '+') {
            c = ' ';
        } else if (c == '%') {
            if (i + 2 >= in.size())
                return false;
            int hi = hex(in[i + 1]), lo = hex(in[i + 2]);
            if (hi < 0 || lo < 0)
                return false;
            c = static_cast<char>(hi * 16 + lo);
            i += 2;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || out.size() >= kMaxText)
            return false;
        out += c;
    }
    return true;
}

bool small_index(const std::string *text)
{
    if (!text || text->empty() || text->size() > 3)
        return false;
    for (char c : *text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

enum class Kind { none, fwrule, fwservice, trustedca, unset_index };

struct PageAction {
    const char *page;
    Kind kind;
    const char *node;  // unset_index: the entry node, "%d" the index
};

// The pages with a frame page, and what their form's submission does.
constexpr PageAction kPages[] = {
    {"fwrule_list", Kind::fwrule, nullptr},
    {"fwservice_list", Kind::fwservice, nullptr},
    {"fwservice_select", Kind::none, nullptr},
    {"trustedca_list", Kind::trustedca, nullptr},
    {"ipv4_route_list", Kind::unset_index, "Route_Entry%d"},
    {"ipv6_route_list", Kind::unset_index, "IPv6Route_Entry%d"},
    {"wan_node_list", Kind::none, nullptr},
    {"portbind_list", Kind::none, nullptr},
    {"wan_pvc_list", Kind::none, nullptr},
    {"url_filter_list", Kind::none, nullptr},
    {"dhcp_static_list", Kind::none, nullptr},
    {"dhcp_lease_list", Kind::none, nullptr},
    {"dhcp6_lease_list", Kind::none, nullptr},
    {"wlan_ssid_list", Kind::none, nullptr},
    {"wifi_station_list", Kind::none, nullptr},
    {"samba_user_list", Kind::none, nullptr},
    {"usb_printer_list", Kind::none, nullptr},
    {"qos_queue_list", Kind::none, nullptr},
    {"ipmacfilter_list", Kind::none, nullptr},
    {"ipv6macfilter_list", Kind::none, nullptr},
};

const PageAction *find_page(const std::string *name)
{
    if (!name)
        return nullptr;
    for (const auto &p : kPages)
        if (*name == p.page)
            return &p;
    return nullptr;
}

} // namespace

bool parse_form(std::string_view text, std::vector<Field> &out)
{
    out.clear();
    if (text.size() > kMaxBody)
        return false;
    while (!text.empty()) {
        size_t amp = text.find('&');
        std::string_view pair = text.substr(0, amp);
        text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        if (pair.empty())
            continue;
        if (out.size() >= kMaxFields)
            return false;
        size_t eq = pair.find('=');
        Field f;
        if (!decode(pair.substr(0, eq), f.name) ||
            !decode(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1), f.value))
            return false;
        out.push_back(std::move(f));
    }
    return true;
}

const std::string *field(const std::vector<Field> &fields, std::string_view name)
{
    for (const auto &f : fields)
        if (f.name == name)
            return &f.value;
    return nullptr;
}

Plan plan_for(const std::vector<Field> &fields)
{
    Plan plan;
    const PageAction *page = find_page(field(fields, "page"));
    if (!page) {
        plan.error = "unknown page";
        return plan;
    }
    plan.back = std::string("/") + page->page + "_main.html";
    auto index_of = [&](const char *name) -> const std::string * {
        const std::string *v = field(fields, name);
        if (!small_index(v)) {
            plan.error = std::string("field ") + name + " is not an index";
            return nullptr;
        }
        return v;
    };
    switch (page->kind) {
    case Kind::none:
        break;
    case Kind::fwrule: {
        const std::string *flag = field(fields, "FirewallActionFlag");
        const std::string *idx = index_of("FirewallRuleIndexFlag");
        if (!idx)
            break;
        if (flag && *flag == "1") {
            plan.commands.push_back({"/userfs/cgi-bin/fwrule_action", "Delete", *idx});
        } else if (flag && *flag == "3") {
            const std::string *to = index_of("MoveTo");
            if (!to)
                break;
            plan.commands.push_back({"/userfs/bin/wyapi", "set", "WebCurSet_Entry", "firewallrule_id", *idx});
            plan.commands.push_back({"/userfs/cgi-bin/fwrule_action", "Move", *to});
        } else {
            plan.error = "unknown FirewallActionFlag";
        }
        break;
    }
    case Kind::fwservice: {
        const std::string *action = field(fields, "FirewallServiceAction");
        const std::string *idx = index_of("FirewallServiceIndex");
        if (!idx)
            break;
        if (action && *action == "1")
            plan.commands.push_back({"/userfs/cgi-bin/fwservice_action", "Delete", *idx});
        else
            plan.error = "unknown FirewallServiceAction";
        break;
    }
    case Kind::trustedca: {
        const std::string *del = field(fields, "delFlag");
        const std::string *idx = index_of("delnum");
        if (!idx)
            break;
        if (!del || *del != "1" || std::stoi(*idx) > 3) {
            plan.error = "not a delete of slot 0 to 3";
            break;
        }
        plan.commands.push_back({"/userfs/bin/wyapi", "unset", "SslCA_Entry" + *idx});
        break;
    }
    case Kind::unset_index: {
        const std::string *idx = index_of("returnCurrentIndex");
        if (!idx)
            break;
        char node[64];
        std::snprintf(node, sizeof node, page->node, std::stoi(*idx));
        plan.commands.push_back({"/userfs/bin/wyapi", "unset", node});
        break;
    }
    }
    if (!plan.error.empty())
        plan.commands.clear();
    return plan;
}

bool needs_certificates(std::string_view page) { return page == "trustedca_list"; }

} // namespace webform
