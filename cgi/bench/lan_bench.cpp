// The DHCP static list with 64 static entries and 254 leases as a whole
// process, against `cat` printing the same page (the cost of starting a
// process and writing the bytes alone). Each static entry matches a lease
// near the end of the list, so every lease walk is long.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "testroot.h"

namespace {

std::string mac(int i)
{
    char b[24];
    snprintf(b, sizeof b, "00:11:22:33:%02X:%02X", i / 256, i % 256);
    return b;
}

testroot::Store static_and_leases()
{
    testroot::Store s{{"Dhcpd", {{"MaxStaticNum", "64"}}},
                      {"DhcpLease", {{"LeaseNum", "254"}}},
                      {"GUI_Entry1", {{"Multi_Language", "Yes"}, {"Language", "Turkey"}}}};
    for (int i = 0; i < 254; ++i)
        s["DhcpLease_Entry" + std::to_string(i)] = {{"HostName", "host" + std::to_string(i)},
                                                   {"IP", "192.168.1." + std::to_string(i + 1)},
                                                   {"MAC", mac(i)},
                                                   {"ExpireTime", i % 2 ? "0:0:0" : "23:59:59"}};
    for (int i = 0; i < 64; ++i)
        s["Dhcpd_Entry" + std::to_string(i)] = {{"IP", "192.168.1." + std::to_string(190 + i + 1)},
                                               {"MAC", mac(190 + i)}};
    return s;
}

// Runs `argv` with standard output to `out` (a path), waits for it.
void run_to(const char *const argv[], const char *out)
{
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        execv(argv[0], const_cast<char *const *>(argv));
        _exit(127);
    }
    int st = 0;
    waitpid(pid, &st, 0);
}

void BM_Cat_StaticListPage(benchmark::State &state)
{
    testroot::TempRoot root;
    root.write_store(static_and_leases());
    std::string page = root.path("/page.html");
    const char *const list[] = {DHCP_STATIC_LIST, nullptr};
    run_to(list, page.c_str());
    const char *const cat[] = {"/bin/cat", page.c_str(), nullptr};
    for (auto _ : state)
        run_to(cat, "/dev/null");
}
BENCHMARK(BM_Cat_StaticListPage)->Unit(benchmark::kMicrosecond);

void BM_DhcpStaticList_64x254(benchmark::State &state)
{
    testroot::TempRoot root;
    root.write_store(static_and_leases());
    const char *const list[] = {DHCP_STATIC_LIST, nullptr};
    for (auto _ : state)
        run_to(list, "/dev/null");
}
BENCHMARK(BM_DhcpStaticList_64x254)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
