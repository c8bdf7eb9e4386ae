// The rule list page with 50 rules as a whole process, against starting a
// trivial program (the cost of fork and exec alone); and single store reads
// with a warm cache against reads after the file changed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "testroot.h"
#include "wyapi.h"

namespace {

testroot::Store fifty_rules()
{
    testroot::Store s{{"WebCurSet_Entry", {{"firewalldir_id", "LANtoLAN"}}},
                      {"GUI_Entry1", {{"Multi_Language", "Yes"}, {"Language", "Turkey"}}}};
    for (int i = 0; i < 50; ++i)
        s["Firewall_LANtoLAN_Entry" + std::to_string(i)] = {
            {"Active", "Yes"}, {"IPType", "IPv4"}, {"SrcIPAddrType", "SingleAddr"},
            {"SrcStartIPAddr", "192.168.1." + std::to_string(i)}, {"DestIPAddrType", "RangeAddr"},
            {"DestStartIPAddr", "10.0.0.1"}, {"DestEndIPAddr", "10.0.0.254"}, {"SrcMac", "00:11:22:33:44:55"},
            {"Service", "HTTP[TCP:80]"}, {"Action", "Permit"}, {"SrcInterface", "LAN"},
            {"DestInterface", "WAN"}, {"Schedule_Mon", "Yes"}, {"Log", "No"}, {"TcpFlag", "SYN"}};
    return s;
}

void run_quiet(const char *path)
{
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execl(path, path, static_cast<char *>(nullptr));
        _exit(127);
    }
    int st = 0;
    waitpid(pid, &st, 0);
}

void BM_ProcessBaseline_True(benchmark::State &state)
{
    testroot::TempRoot root;
    for (auto _ : state)
        run_quiet("/bin/true");
}
BENCHMARK(BM_ProcessBaseline_True)->Unit(benchmark::kMicrosecond);

void BM_FwruleList_50Rules(benchmark::State &state)
{
    testroot::TempRoot root;
    root.write_store(fifty_rules());
    for (auto _ : state)
        run_quiet(FWRULE_LIST);
}
BENCHMARK(BM_FwruleList_50Rules)->Unit(benchmark::kMicrosecond);

void BM_WyapiGet_Warm(benchmark::State &state)
{
    testroot::TempRoot root;
    root.write_store(fifty_rules());
    char buf[WYAPI_BUF_SIZE];
    wyapi_get("Firewall_LANtoLAN_Entry0", "Active", buf);
    for (auto _ : state)
        benchmark::DoNotOptimize(wyapi_get("Firewall_LANtoLAN_Entry49", "SrcStartIPAddr", buf));
}
BENCHMARK(BM_WyapiGet_Warm);

void BM_WyapiGet_FileChanged(benchmark::State &state)
{
    testroot::TempRoot root;
    auto store = fifty_rules();
    root.write_store(store);
    char buf[WYAPI_BUF_SIZE];
    int k = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store["Bench_Entry"]["k"] = std::to_string(++k);
        root.write_store(store);
        state.ResumeTiming();
        benchmark::DoNotOptimize(wyapi_get("Firewall_LANtoLAN_Entry49", "SrcStartIPAddr", buf));
    }
}
BENCHMARK(BM_WyapiGet_FileChanged)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
