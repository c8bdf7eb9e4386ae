// Test helpers: a temporary system root (WY_SYSROOT) holding a store file, and
// running a program with its output captured. Tests only.
#ifndef WY_STORE_TEST_TESTROOT_H
#define WY_STORE_TEST_TESTROOT_H

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace testroot {

using Attrs = std::map<std::string, std::string>;
using Store = std::map<std::string, Attrs>;

inline constexpr const char *kStoreFile = "/tmp/var/romfile.cfg";

// The store stand-in's refresh (platform/store/wyapi_sim.h), when the test
// links it: a store file the test writes by itself is read afresh.
extern "C" void wyapi_sim_refresh(void) __attribute__((weak));
inline void refresh_store_reads()
{
    if (wyapi_sim_refresh)
        wyapi_sim_refresh();
}

class TempRoot {
public:
    TempRoot()
    {
        char tmpl[] = "/tmp/wytestXXXXXX";
        if (!mkdtemp(tmpl))
            throw std::runtime_error("mkdtemp failed");
        dir_ = tmpl;
        const char *old = getenv("WY_SYSROOT");
        had_old_ = old != nullptr;
        if (old)
            old_ = old;
        setenv("WY_SYSROOT", dir_.c_str(), 1);
        refresh_store_reads();
    }
    ~TempRoot()
    {
        if (had_old_)
            setenv("WY_SYSROOT", old_.c_str(), 1);
        else
            unsetenv("WY_SYSROOT");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        refresh_store_reads();
    }
    TempRoot(const TempRoot &) = delete;
    TempRoot &operator=(const TempRoot &) = delete;

    const std::string &dir() const { return dir_; }
    std::string path(const std::string &device_path) const { return dir_ + device_path; }

    void write(const std::string &device_path, const std::string &bytes) const
    {
        std::filesystem::path p = path(device_path);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream f(p, std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!f)
            throw std::runtime_error("cannot write " + p.string());
    }
    std::string read(const std::string &device_path) const
    {
        std::ifstream f(path(device_path), std::ios::binary);
        std::ostringstream s;
        s << f.rdbuf();
        return s.str();
    }
    bool exists(const std::string &device_path) const
    {
        return std::filesystem::exists(path(device_path));
    }

    // Writes `s` as the store file, by rename as the store itself does.
    void write_store(const Store &s) const
    {
        pugi::xml_document d;
        pugi::xml_node root = d.append_child("ROMFILE");
        for (const auto &[node, attrs] : s) {
            pugi::xml_node n = root.append_child(node.c_str());
            for (const auto &[a, v] : attrs)
                n.append_attribute(a.c_str()).set_value(v.c_str());
        }
        std::ostringstream out;
        d.save(out, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
        write(std::string(kStoreFile) + ".fixture", out.str());
        std::filesystem::rename(path(std::string(kStoreFile) + ".fixture"), path(kStoreFile));
        refresh_store_reads();
    }
    void write_store_text(const std::string &text) const
    {
        write(kStoreFile, text);
        refresh_store_reads();
    }

    // The store file parsed independently of the store library; `ok` false
    // when it is not a whole ROM file.
    Store read_store(bool *ok = nullptr) const { return parse_store(read(kStoreFile), ok); }

    static Store parse_store(const std::string &text, bool *ok = nullptr)
    {
        Store s;
        pugi::xml_document d;
        bool good = d.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8) &&
                    std::string(d.document_element().name()) == "ROMFILE";
        if (good)
            for (pugi::xml_node n : d.document_element().children()) {
                Attrs &a = s[n.name()];
                for (pugi::xml_attribute at : n.attributes())
                    a[at.name()] = at.value();
            }
        if (ok)
            *ok = good;
        return s;
    }

private:
    std::string dir_;
    std::string old_;
    bool had_old_ = false;
};

struct RunResult {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

inline std::string slurp_fd(int fd)
{
    std::string s;
    char buf[65536];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        s.append(buf, static_cast<size_t>(n));
    return s;
}

// Runs argv[0] (a path) with the current environment plus `env` ("K=V").
inline RunResult run(const std::vector<std::string> &argv, const std::vector<std::string> &env = {})
{
    char errname[] = "/tmp/wyerrXXXXXX";
    int errfd = mkstemp(errname);
    int out[2];
    if (errfd < 0 || pipe(out) != 0)
        throw std::runtime_error("run: no pipe");
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(errfd, 2);
        close(out[0]);
        for (const auto &e : env)
            putenv(const_cast<char *>(e.c_str()));
        std::vector<char *> args;
        for (const auto &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    RunResult r;
    r.out = slurp_fd(out[0]);
    close(out[0]);
    int st = 0;
    waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    lseek(errfd, 0, SEEK_SET);
    r.err = slurp_fd(errfd);
    close(errfd);
    unlink(errname);
    return r;
}

} // namespace testroot

#endif
