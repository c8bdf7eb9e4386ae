// gwsim web: the device's web interface behind a real web server on a
// loopback address, its CGI programs run with the device's root, its form
// glue running the action programs, and its end with the gateway.
#include <gtest/gtest.h>

#include "simtest.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

struct Url {
    std::string host;  // "127.0.0.1" or "::1"
    int port = 0;
};

bool parse_url(const std::string &text, Url &url)
{
    std::string t = text;
    if (!t.empty() && t.back() == '\n')
        t.pop_back();
    std::string v4 = "http://127.0.0.1:", v6 = "http://[::1]:";
    std::string rest;
    if (t.rfind(v4, 0) == 0) {
        url.host = "127.0.0.1";
        rest = t.substr(v4.size());
    } else if (t.rfind(v6, 0) == 0) {
        url.host = "::1";
        rest = t.substr(v6.size());
    } else {
        return false;
    }
    if (rest.empty() || rest.back() != '/')
        return false;
    url.port = std::atoi(rest.c_str());
    return url.port > 0 && url.port < 65536;
}

int connect_to(const Url &url)
{
    bool v6 = url.host == "::1";
    int fd = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int rc;
    if (v6) {
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_port = htons(static_cast<uint16_t>(url.port));
        a.sin6_addr = in6addr_loopback;
        rc = connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    } else {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(url.port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        rc = connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    }
    if (rc != 0) {
        int e = errno;
        close(fd);
        errno = e;
        return -1;
    }
    return fd;
}

struct Response {
    int status = 0;
    std::string headers, body;
};

// One HTTP/1.0 request; the whole answer, read until the server closes.
Response http(const Url &url, const std::string &method, const std::string &path,
              const std::string &body = "")
{
    Response r;
    int fd = connect_to(url);
    if (fd < 0)
        return r;
    std::string req = method + " " + path + " HTTP/1.0\r\nHost: localhost\r\n";
    if (method == "POST")
        req += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\n";
    req += "\r\n" + body;
    signal(SIGPIPE, SIG_IGN);
    (void)!write(fd, req.data(), req.size());
    std::string all;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    char buf[4096];
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 1000) <= 0)
            continue;
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        all.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    size_t split = all.find("\r\n\r\n");
    if (all.rfind("HTTP/1.", 0) != 0 || split == std::string::npos)
        return r;
    r.status = std::atoi(all.c_str() + 9);
    r.headers = all.substr(0, split);
    r.body = all.substr(split + 4);
    return r;
}

// Local addresses of the listening TCP sockets on `port` (hex, as the kernel
// lists them).
std::vector<std::string> listening_on(int port)
{
    std::vector<std::string> out;
    for (const char *table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            std::istringstream ss(line);
            std::string sl, local, remote, state;
            ss >> sl >> local >> remote >> state;
            size_t colon = local.rfind(':');
            if (state == "0A" && colon != std::string::npos &&
                std::stoi(local.substr(colon + 1), nullptr, 16) == port)
                out.push_back(local.substr(0, colon));
        }
    }
    return out;
}

size_t count(const std::string &text, const std::string &what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

std::string get(const simtest::Gateway &gw, const char *node, const char *attr)
{
    return gw.run({"wyapi", "get", node, attr}).out;
}

constexpr const char *kThreeRules =
    "set -e\n"
    "for i in 0 1 2; do\n"
    "  wyapi set Firewall_LANtoWAN_Entry$i Active Yes\n"
    "  wyapi set Firewall_LANtoWAN_Entry$i SrcIPAddrType SingleAddr\n"
    "  wyapi set Firewall_LANtoWAN_Entry$i SrcStartIPAddr 192.168.1.1$i\n"
    "  wyapi set Firewall_LANtoWAN_Entry$i DestIPAddrType AnyAddr\n"
    "done\n"
    "wyapi set Firewall_Common LANtoWANNum 3\n"
    "wyapi set WebCurSet_Entry firewalldir_id LANtoWAN\n";

TEST(GwsimWeb, ServesThePagesRunsTheirActionsAndStopsWithTheGateway)
{
    simtest::Gateway gw;
    ASSERT_EQ(gw.run({"sh", "-c", kThreeRules}).status, 0);

    auto started = gw.gwsim({"web", gw.dir(), "--port", "0"});
    ASSERT_EQ(started.status, 0) << started.err;
    Url url;
    ASSERT_TRUE(parse_url(started.out, url)) << started.out;
    // Asked again, it reports the server already there.
    auto again = gw.gwsim({"web", gw.dir()});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, started.out);

    auto addrs = listening_on(url.port);
    ASSERT_FALSE(addrs.empty());
    for (const auto &a : addrs)
        EXPECT_EQ(a, "0100007F") << "listening beyond 127.0.0.1";

    auto list = http(url, "GET", "/cgi-bin/fwrule_list");
    EXPECT_EQ(list.status, 200) << list.headers;
    EXPECT_NE(list.headers.find("Content-Type: text/html"), std::string::npos) << list.headers;
    EXPECT_EQ(count(list.body, "<tr class=\"tabcolor"), 3u) << list.body;
    EXPECT_NE(list.body.find(">192.168.1.12<"), std::string::npos);

    struct Static {
        const char *path;
        const char *holds;
    } statics[] = {
        {"/General.js", "function MM_swapImage("},
        {"/Multi_Language.js", "var Firewall_Src_MacAddr = new Array("},
        {"/fwrule_list_main.html", "name=\"FirewallRuleIndexFlag\""},
        {"/fwrule_list.html", "name=\"main\""},
        {"/control.css", ".tableTitle"},
        {"/trashcan.gif", "GIF89a"},
    };
    for (const auto &s : statics) {
        auto r = http(url, "GET", s.path);
        EXPECT_EQ(r.status, 200) << s.path;
        EXPECT_NE(r.body.find(s.holds), std::string::npos) << s.path;
    }
    EXPECT_EQ(http(url, "GET", "/no_such_page.html").status, 404);

    // The delete link's form, as the browser submits it.
    auto del = http(url, "POST", "/sim/webform",
                    "page=fwrule_list&FirewallRuleIndexFlag=1&FirewallActionFlag=1&FirewallRuleFlag=1");
    EXPECT_EQ(del.status, 303) << del.headers << del.body;
    EXPECT_NE(del.headers.find("Location: /fwrule_list_main.html"), std::string::npos) << del.headers;
    EXPECT_EQ(get(gw, "Firewall_Common", "LANtoWANNum"), "2\n");
    EXPECT_EQ(get(gw, "Firewall_LANtoWAN_Entry1", "SrcStartIPAddr"), "192.168.1.12\n");

    // Forms the glue refuses change nothing.
    struct Bad {
        std::string body;
        int status;
    } bad[] = {
        {"page=fwrule_list&FirewallRuleIndexFlag=0;reboot&FirewallActionFlag=1", 400},
        {"page=fwrule_list&FirewallRuleIndexFlag=0%0A&FirewallActionFlag=1", 400},
        {"page=../../bin/sh&FirewallRuleIndexFlag=0&FirewallActionFlag=1", 400},
        {"page=fwrule_list&FirewallRuleIndexFlag=0&FirewallActionFlag=1&x=" + std::string(5000, 'a'), 413},
    };
    for (const auto &b : bad)
        EXPECT_EQ(http(url, "POST", "/sim/webform", b.body).status, b.status) << b.body.substr(0, 80);
    EXPECT_EQ(http(url, "GET", "/sim/webform?show=fwrule_list").status, 400);
    EXPECT_EQ(get(gw, "Firewall_Common", "LANtoWANNum"), "2\n");
    EXPECT_EQ(count(http(url, "GET", "/cgi-bin/fwrule_list").body, "<tr class=\"tabcolor"), 2u);

    std::string pid_text = gw.read_file("/../web/lighttpd.pid");
    pid_t pid = std::atoi(pid_text.c_str());
    ASSERT_GT(pid, 0);
    auto stopped = gw.gwsim({"stop", gw.dir()});
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    EXPECT_LT(connect_to(url), 0) << "still answering after the gateway stopped";
    EXPECT_TRUE(listening_on(url.port).empty());
    EXPECT_FALSE(gw.exists("/../web/lighttpd.pid"));
    std::string stat_text;
    std::ifstream(std::string("/proc/") + std::to_string(pid) + "/stat") >> stat_text;
    // Either gone, or a zombie nobody has reaped yet.
    if (!stat_text.empty()) {
        std::string stat;
        std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/stat"), stat);
        size_t paren = stat.rfind(')');
        ASSERT_NE(paren, std::string::npos);
        EXPECT_TRUE(stat[paren + 2] == 'Z' || stat[paren + 2] == 'X') << stat;
    }

    // No web interface for a stopped gateway.
    auto refused = gw.gwsim({"web", gw.dir()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("not a running gateway"), std::string::npos) << refused.err;
    ASSERT_EQ(gw.gwsim({"start", gw.dir()}).status, 0);
}

TEST(GwsimWeb, EndsWhenTheGatewaysDaemonEnds)
{
    simtest::Gateway gw;
    auto started = gw.gwsim({"web", gw.dir()});
    ASSERT_EQ(started.status, 0) << started.err;
    Url url;
    ASSERT_TRUE(parse_url(started.out, url)) << started.out;
    int fd = connect_to(url);
    ASSERT_GE(fd, 0);
    close(fd);

    pid_t daemon = std::atoi(gw.read_file("/../gwsim.pid").c_str());
    ASSERT_GT(daemon, 0);
    ASSERT_EQ(kill(daemon, SIGTERM), 0);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool answering = true;
    while (answering && std::chrono::steady_clock::now() < end) {
        fd = connect_to(url);
        answering = fd >= 0;
        if (fd >= 0)
            close(fd);
        else
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_FALSE(answering) << "the web interface outlived the gateway's daemon";
    ASSERT_EQ(gw.gwsim({"start", gw.dir()}).status, 0);
}

TEST(GwsimWeb, BindsNothingButALoopbackAddress)
{
    simtest::Gateway gw;
    struct Case {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"--address", "0.0.0.0"}, 2},
        {{"--address", "192.168.1.1"}, 2},
        {{"--address", "::"}, 2},
        {{"--address", "localhost"}, 2},
        {{"--address", "127.0.0.2"}, 2},
        {{"--address", "127.0.0.1 "}, 2},
        {{"--address", ""}, 2},
        {{"--port", "65536"}, 2},
        {{"--port", "80x"}, 2},
        {{"--port"}, 2},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args{"web", gw.dir()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto r = gw.gwsim(args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_FALSE(gw.exists("/../web/lighttpd.pid")) << c.args.back();
    }
    EXPECT_NE(gw.gwsim({"web", gw.dir(), "--address", "0.0.0.0"}).err.find("refusing to bind"),
              std::string::npos);

    // IPv6 loopback, where the machine has it.
    int probe = socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_addr = in6addr_loopback;
    bool have_v6 = probe >= 0 && bind(probe, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    if (probe >= 0)
        close(probe);
    if (!have_v6)
        GTEST_SKIP() << "no IPv6 loopback here";
    auto r = gw.gwsim({"web", gw.dir(), "--address", "::1"});
    ASSERT_EQ(r.status, 0) << r.err;
    Url url;
    ASSERT_TRUE(parse_url(r.out, url)) << r.out;
    EXPECT_EQ(url.host, "::1");
    for (const auto &addr : listening_on(url.port))
        EXPECT_EQ(addr, "00000000000000000000000001000000");
    EXPECT_EQ(http(url, "GET", "/General.js").status, 200);
}

} // namespace
