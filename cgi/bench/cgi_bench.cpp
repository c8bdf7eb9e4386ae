// The rule list page with 50 rules as a whole process, against `cat` of the
// page's own output (a process that prints the same bytes) and against
// starting a trivial program (fork and exec alone); and single store reads
// from the process's snapshot against reads after the file changed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
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

// Runs path (with one argument, or none) with its output to `out`; the CPU
// time the process used, in seconds. The process benchmarks report that time
// (user and system, from wait4): on a shared machine the wall time mostly
// measures the other load.
double run_to(const char *path, const char *arg, const char *out)
{
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        execl(path, path, arg, static_cast<char *>(nullptr));
        _exit(127);
    }
    int st = 0;
    struct rusage ru {};
    wait4(pid, &st, 0, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + 1e-6 * double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec);
}

double run_quiet(const char *path, const char *arg = nullptr)
{
    return run_to(path, arg, "/dev/null");
}

void BM_ProcessBaseline_True(benchmark::State &state)
{
    testroot::TempRoot root;
    for (auto _ : state)
        state.SetIterationTime(run_quiet("/bin/true"));
}
BENCHMARK(BM_ProcessBaseline_True)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_FwruleList_50Rules(benchmark::State &state)
{
    testroot::TempRoot root;
    root.write_store(fifty_rules());
    for (auto _ : state)
        state.SetIterationTime(run_quiet(FWRULE_LIST));
}
BENCHMARK(BM_FwruleList_50Rules)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_CatOfThePage_50Rules(benchmark::State &state)
{
    testroot::TempRoot root;
    root.write_store(fifty_rules());
    const std::string page = root.path("/page.html");
    run_to(FWRULE_LIST, nullptr, page.c_str());
    if (root.get("/page.html").find("tabcolor") == std::string::npos) {
        state.SkipWithError("the page printed no rows");
        return;
    }
    for (auto _ : state)
        state.SetIterationTime(run_quiet("/bin/cat", page.c_str()));
    state.counters["bytes"] = double(root.get("/page.html").size());
}
BENCHMARK(BM_CatOfThePage_50Rules)->UseManualTime()->Unit(benchmark::kMicrosecond);

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
