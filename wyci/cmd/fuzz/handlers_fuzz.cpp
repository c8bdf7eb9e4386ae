// The factory handlers on hostile input: the words come from the fuzzer and so
// does the manufacturing record they read. A plain file stands in for
// /dev/mtd0 and no flash tool exists, so any write is reported as failed.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ci.h"
#include "flashlib.h"
#include "mac.h"
#include "wytest/fuzz.h"

namespace {

void put(const std::string &path, const std::string &bytes)
{
    wyfuzz::put(path, bytes.data(), bytes.size());
}

bool setup()
{
    wyfuzz::temp_root({"/dev", "/tmp", "/proc"});
    // Handler output is not what is under test here.
    wyfuzz::quiet_stdout();
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const ci_handler handlers[] = {ATBT, ATWriteVornaMac, ATSeriesNumber, ATWriteWpaPsk,
                                          ATShowWpaPsk, ATWriteBootMac};
    static const bool ready = setup();
    (void)ready;
    if (size < 2 + MRD_SIZE)
        return 0;
    ci_handler h = handlers[data[0] % (sizeof handlers / sizeof handlers[0])];
    put("/tmp/vorna_atbt", std::string(1, static_cast<char>(data[1] & 1)));
    std::string boot(MRD_OFFSET, '\0');
    boot.append(reinterpret_cast<const char *>(data + 2), MRD_SIZE);
    boot.resize(BOOT_IMAGE_SIZE, '\xff');
    put("/dev/mtd0", boot);

    // The rest: words separated by NUL bytes.
    std::string rest(reinterpret_cast<const char *>(data + 2 + MRD_SIZE), size - 2 - MRD_SIZE);
    std::vector<std::string> words{"ATcmd"};
    size_t start = 0;
    while (start <= rest.size() && words.size() < 8) {
        size_t end = rest.find('\0', start);
        if (end == std::string::npos)
            end = rest.size();
        words.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    std::vector<char *> p;
    for (std::string &w : words)
        p.push_back(w.data());
    p.push_back(nullptr);

    int r = h(static_cast<int>(words.size()), p.data());
    if (r != 0 && r != -1)
        abort();

    char line[80];
    std::vector<char *> argv{const_cast<char *>("/userfs/bin/wyci")};
    argv.insert(argv.end(), p.begin(), p.end());
    if (ci_build_line(static_cast<int>(argv.size()) - 1, argv.data(), line, sizeof line) &&
        strlen(line) > 79)
        abort();
    ci_atoi(rest.c_str());
    char digits[kMacDigits];
    mac_vorna_digits(rest.c_str(), digits);
    return 0;
}
