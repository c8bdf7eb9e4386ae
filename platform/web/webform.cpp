// webform: the simulated web interface's glue, run by the web server as a
// CGI program. A submitted frame-page form runs the device's action program
// for it and sends the browser back to the list; "?show=trustedca_list" puts
// the stored certificates in place and runs that page.
#include "form.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

int reply(const char *status, const char *text)
{
    std::printf("Status: %s\r\nContent-Type: text/plain\r\n\r\n%s\n", status, text);
    return 0;
}

bool safe_root(const char *p)
{
    if (!p || p[0] != '/')
        return false;
    for (; *p; ++p)
        if (!(std::isalnum(static_cast<unsigned char>(*p)) || std::strchr("._/-", *p)))
            return false;
    return true;
}

// Runs a device command line; its output, bounded, in `out` when asked for.
int run(const std::string &root, const std::vector<std::string> &argv, std::string *out = nullptr)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(out ? fds[1] : null, 1);
        dup2(null, 2);
        std::string prog = root + argv[0];
        std::vector<char *> args;
        for (const auto &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(prog.c_str(), args.data());
        _exit(127);
    }
    close(fds[1]);
    char buf[512];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0 && out && out->size() < 8192)
            out->append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int st = 0;
    while (waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

bool store_get(const std::string &root, const std::string &node, const std::string &attr,
               std::string &value)
{
    value.clear();
    if (run(root, {"/userfs/bin/wyapi", "get", node, attr}, &value) != 0)
        return false;
    if (!value.empty() && value.back() == '\n')
        value.pop_back();
    return true;
}

// Writes /tmp/Certificates/CA<n>.pem for every slot in use, from the
// fragments "Frag0", "Frag1", ... of "SslCA_Entry<n-1>".
void place_certificates(const std::string &root)
{
    std::string dir = root + "/tmp/Certificates";
    mkdir(dir.c_str(), 0755);
    for (int i = 0; i < 4; ++i) {
        std::string node = "SslCA_Entry" + std::to_string(i), pem, part;
        if (!store_get(root, node, "Frag0", part) || part == "No")
            continue;
        pem = part;
        for (int f = 1; f < 32 && store_get(root, node, "Frag" + std::to_string(f), part); ++f)
            pem += part;
        std::string path = dir + "/CA" + std::to_string(i + 1) + ".pem";
        if (FILE *fp = std::fopen(path.c_str(), "wb")) {
            std::fwrite(pem.data(), 1, pem.size(), fp);
            std::fclose(fp);
        }
    }
}

bool read_body(std::string &body)
{
    const char *len = std::getenv("CONTENT_LENGTH");
    if (!len || !*len || std::strlen(len) > 6 || std::strspn(len, "0123456789") != std::strlen(len))
        return false;
    size_t want = std::strtoul(len, nullptr, 10);
    if (want > webform::kMaxBody)
        return false;
    body.resize(want);
    size_t got = 0;
    while (got < want) {
        ssize_t n = read(0, body.data() + got, want - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

int main()
{
    const char *root_env = std::getenv("WY_SYSROOT");
    if (!safe_root(root_env))
        return reply("500 Internal Server Error", "no device root (WY_SYSROOT)");
    const std::string root = root_env;
    const char *method = std::getenv("REQUEST_METHOD");
    std::vector<webform::Field> fields;

    if (method && std::strcmp(method, "GET") == 0) {
        const char *query = std::getenv("QUERY_STRING");
        const std::string *show;
        if (!query || !webform::parse_form(query, fields) || !(show = webform::field(fields, "show")) ||
            !webform::needs_certificates(*show))
            return reply("400 Bad Request", "nothing to show");
        place_certificates(root);
        std::fflush(stdout);
        std::string page = root + "/userfs/cgi-bin/" + *show;
        execl(page.c_str(), page.c_str(), static_cast<char *>(nullptr));
        return reply("500 Internal Server Error", "the page cannot be run");
    }
    if (!method || std::strcmp(method, "POST") != 0)
        return reply("405 Method Not Allowed", "GET or POST only");
    std::string body;
    if (!read_body(body))
        return reply("413 Payload Too Large", "a form body of at most 4096 bytes");
    if (!webform::parse_form(body, fields))
        return reply("400 Bad Request", "malformed form");
    webform::Plan plan = webform::plan_for(fields);
    if (!plan.error.empty())
        return reply("400 Bad Request", plan.error.c_str());
    for (const auto &cmd : plan.commands)
        if (run(root, cmd) != 0)
            return reply("500 Internal Server Error", "an action program failed");
    std::printf("Status: 303 See Other\r\nLocation: %s\r\n\r\n", plan.back.c_str());
    return 0;
}
