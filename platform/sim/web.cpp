#include "web.h"

#include "device.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <set>
#include <signal.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace gwsim {
namespace {

constexpr const char *kLighttpd[] = {"/usr/sbin/lighttpd", "/usr/bin/lighttpd"};

void say(const std::string &msg) { std::fprintf(stderr, "gwsim: web: %s\n", msg.c_str()); }

std::string pidfile(const DevicePaths &d) { return web_dir(d) + "/lighttpd.pid"; }
std::string conffile(const DevicePaths &d) { return web_dir(d) + "/lighttpd.conf"; }
std::string urlfile(const DevicePaths &d) { return web_dir(d) + "/url"; }

bool read_text(const std::string &path, std::string &text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    text = ss.str();
    return true;
}

bool write_text(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

bool alive(pid_t pid)
{
    std::string stat;
    if (pid <= 0 || !read_text("/proc/" + std::to_string(pid) + "/stat", stat))
        return false;
    size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z' &&
           stat[paren + 2] != 'X';
}

// The process is the server this device started (guards against a reused pid).
bool is_our_server(pid_t pid, const DevicePaths &d)
{
    std::string cmdline;
    if (!alive(pid) || !read_text("/proc/" + std::to_string(pid) + "/cmdline", cmdline))
        return false;
    return cmdline.find("lighttpd") != std::string::npos &&
           cmdline.find(conffile(d) + '\0') != std::string::npos;
}

pid_t read_pid(const DevicePaths &d)
{
    std::string text;
    if (!read_text(pidfile(d), text))
        return 0;
    long v = std::strtol(text.c_str(), nullptr, 10);
    return v > 0 && v < INT_MAX ? static_cast<pid_t>(v) : 0;
}

bool wait_gone(pid_t pid, std::chrono::milliseconds limit)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (alive(pid)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool is_v6(const std::string &address) { return address.find(':') != std::string::npos; }

// A port nobody listens on at the moment; 0 when none can be had.
int free_port(const std::string &address)
{
    int fd = socket(is_v6(address) ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_storage ss{};
    socklen_t len;
    if (is_v6(address)) {
        auto *a = reinterpret_cast<sockaddr_in6 *>(&ss);
        a->sin6_family = AF_INET6;
        a->sin6_addr = in6addr_loopback;
        len = sizeof *a;
    } else {
        auto *a = reinterpret_cast<sockaddr_in *>(&ss);
        a->sin_family = AF_INET;
        a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        len = sizeof *a;
    }
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr *>(&ss), len) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr *>(&ss), &len) == 0)
        port = ntohs(is_v6(address) ? reinterpret_cast<sockaddr_in6 *>(&ss)->sin6_port
                                    : reinterpret_cast<sockaddr_in *>(&ss)->sin_port);
    close(fd);
    return port;
}

// Inodes of the sockets process `pid` holds open.
std::set<unsigned long> socket_inodes(pid_t pid)
{
    std::set<unsigned long> out;
    std::string dir = "/proc/" + std::to_string(pid) + "/fd";
    DIR *dp = opendir(dir.c_str());
    if (!dp)
        return out;
    while (dirent *e = readdir(dp)) {
        char link[64];
        ssize_t n = readlink((dir + "/" + e->d_name).c_str(), link, sizeof link - 1);
        if (n <= 0)
            continue;
        link[n] = '\0';
        unsigned long inode = 0;
        if (std::sscanf(link, "socket:[%lu]", &inode) == 1)
            out.insert(inode);
    }
    closedir(dp);
    return out;
}

struct Listener {
    bool loopback;
    int port;
};

// The listening TCP sockets of process `pid`, from the kernel's tables.
std::vector<Listener> listeners(pid_t pid)
{
    std::vector<Listener> out;
    auto inodes = socket_inodes(pid);
    for (const char *table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string line;
        std::getline(in, line);  // heading
        while (std::getline(in, line)) {
            char local[64], remote[64];
            unsigned state = 0, port = 0;
            unsigned long inode = 0;
            if (std::sscanf(line.c_str(), " %*d: %63[0-9A-Fa-f]:%x %63s %x %*s %*s %*s %*d %*d %lu",
                            local, &port, remote, &state, &inode) != 5 ||
                state != 0x0A || !inodes.count(inode))
                continue;
            // Each 32-bit word is printed from the host's memory order.
            unsigned char addr[16] = {};
            size_t words = std::strlen(local) / 8;
            for (size_t w = 0; w < words && w < 4; ++w) {
                uint32_t v = static_cast<uint32_t>(std::strtoul(std::string(local + 8 * w, 8).c_str(), nullptr, 16));
                std::memcpy(addr + 4 * w, &v, 4);
            }
            static const unsigned char v6_loopback[16] = {0, 0, 0, 0, 0, 0, 0, 0,
                                                          0, 0, 0, 0, 0, 0, 0, 1};
            bool loop = words == 1 ? addr[0] == 127
                                   : std::memcmp(addr, v6_loopback, 16) == 0;
            out.push_back({loop, static_cast<int>(port)});
        }
    }
    return out;
}

std::string config_text(const DevicePaths &d, const std::string &address, int port)
{
    const std::string root = d.root();
    std::ostringstream c;
    c << "# Written by gwsim web for " << d.dir << "\n"
      << "server.document-root = \"" << web_docroot(d) << "\"\n"
      << "server.bind = \"" << (is_v6(address) ? "[" + address + "]" : address) << "\"\n"
      << "server.port = " << port << "\n"
      << "server.modules = (\"mod_access\", \"mod_alias\", \"mod_setenv\", \"mod_cgi\")\n"
      << "server.errorlog = \"" << web_dir(d) << "/error.log\"\n"
      << "server.upload-dirs = (\"" << web_dir(d) << "\")\n"
      << "server.max-request-size = 64\n"
      << "index-file.names = (\"index.html\")\n"
      << "mimetype.assign = (\".html\" => \"text/html\", \".css\" => \"text/css\", "
         "\".js\" => \"text/javascript\", \".gif\" => \"image/gif\", "
         "\".png\" => \"image/png\", \".txt\" => \"text/plain\")\n"
      << "alias.url = (\"/cgi-bin/\" => \"" << root << "/userfs/cgi-bin/\")\n"
      // Programs, never files, under the two program folders.
      << "$HTTP[\"url\"] =~ \"^/(cgi-bin|sim)/\" {\n  cgi.assign = (\"\" => \"\")\n}\n"
      << "setenv.add-environment = (\"WY_SYSROOT\" => \"" << root << "\", \"PATH\" => \"" << root
      << "/userfs/bin:" << root << "/sbin:" << root << "/bin:/usr/bin:/bin\")\n";
    return c.str();
}

// Starts lighttpd in the foreground of a new session; its pid, or 0.
pid_t spawn(const DevicePaths &d, const std::string &server)
{
    std::string log = web_dir(d) + "/lighttpd.log";
    std::string conf = conffile(d);
    pid_t pid = fork();
    if (pid != 0)
        return pid < 0 ? 0 : pid;
    setsid();
    int null = open("/dev/null", O_RDONLY);
    int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (null < 0 || out < 0)
        _exit(126);
    dup2(null, 0);
    dup2(out, 1);
    dup2(out, 2);
    closefrom(3);
    const char *argv[] = {server.c_str(), "-D", "-f", conf.c_str(), nullptr};
    execv(server.c_str(), const_cast<char **>(argv));
    _exit(127);
}

enum class Up { yes, died, timeout, wrong_bind };

// Waits until `pid` listens on `port`, and on nothing but loopback addresses.
Up wait_listening(pid_t pid, int port)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid || !alive(pid))
            return Up::died;
        auto ls = listeners(pid);
        bool ours = false;
        for (const auto &l : ls) {
            if (!l.loopback)
                return Up::wrong_bind;
            ours |= l.port == port;
        }
        if (ours)
            return Up::yes;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return Up::timeout;
}

std::string url_for(const std::string &address, int port)
{
    return "http://" + (is_v6(address) ? "[" + address + "]" : address) + ":" +
           std::to_string(port) + "/";
}

} // namespace

bool loopback_address(const std::string &address)
{
    return address == "127.0.0.1" || address == "::1";
}

std::string web_dir(const DevicePaths &d) { return d.dir + "/web"; }
std::string web_docroot(const DevicePaths &d) { return d.root() + "/userfs/www"; }

int start_web(const DevicePaths &d, const WebOptions &opt)
{
    if (!loopback_address(opt.address)) {
        say("refusing to bind \"" + opt.address +
            "\": the web interface listens on a loopback address only (127.0.0.1 or ::1)");
        return 2;
    }
    if (opt.port < 0 || opt.port > 65535) {
        say("port " + std::to_string(opt.port) + " is not 0 (any free one) or 1..65535");
        return 2;
    }
    if (!device_running(d)) {
        say(d.dir + " is not a running gateway (gwsim create and gwsim start first)");
        return 1;
    }
    std::string text;
    if (is_our_server(read_pid(d), d)) {
        if (read_text(urlfile(d), text))
            std::fputs(text.c_str(), stdout);
        return 0;
    }
    std::string server;
    for (const char *p : kLighttpd)
        if (access(p, X_OK) == 0)
            server = p;
    if (server.empty()) {
        say("lighttpd is not installed (scripts/setup.sh installs it)");
        return 1;
    }
    struct stat st {};
    if (stat(web_docroot(d).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        say("the device has no web tree " + web_docroot(d));
        return 1;
    }
    mkdir(web_dir(d).c_str(), 0755);

    // A free port can be taken by someone else before the server binds it:
    // try a few.
    for (int attempt = 0; attempt < (opt.port == 0 ? 5 : 1); ++attempt) {
        int port = opt.port != 0 ? opt.port : free_port(opt.address);
        if (port == 0) {
            say("no free port on " + opt.address);
            return 1;
        }
        if (!write_text(conffile(d), config_text(d, opt.address, port))) {
            say("cannot write " + conffile(d));
            return 1;
        }
        pid_t pid = spawn(d, server);
        if (pid == 0) {
            say(std::string("fork: ") + std::strerror(errno));
            return 1;
        }
        write_text(pidfile(d), std::to_string(pid) + "\n");
        Up up = wait_listening(pid, port);
        if (up == Up::yes) {
            std::string url = url_for(opt.address, port) + "\n";
            write_text(urlfile(d), url);
            std::fputs(url.c_str(), stdout);
            return 0;
        }
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        unlink(pidfile(d).c_str());
        if (up == Up::wrong_bind) {
            say("the server listened on a non-loopback address; stopped it");
            return 1;
        }
        if (up == Up::timeout || opt.port != 0)
            break;
    }
    read_text(web_dir(d) + "/lighttpd.log", text);
    std::string errors;
    read_text(web_dir(d) + "/error.log", errors);
    say("the server did not come up; its messages:\n" + text + errors);
    return 1;
}

int stop_web(const DevicePaths &d)
{
    pid_t pid = read_pid(d);
    if (is_our_server(pid, d)) {
        kill(pid, SIGTERM);
        if (!wait_gone(pid, std::chrono::seconds(5))) {
            kill(pid, SIGKILL);
            if (!wait_gone(pid, std::chrono::seconds(3))) {
                say("server " + std::to_string(pid) + " does not end");
                return 1;
            }
        }
    }
    unlink(pidfile(d).c_str());
    unlink(urlfile(d).c_str());
    return 0;
}

} // namespace gwsim
