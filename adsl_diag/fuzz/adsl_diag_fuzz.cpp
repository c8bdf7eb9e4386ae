// The tool on hostile input: the words of its command line and the bytes of the
// DELT result file both come from the fuzzer. Input: words separated by NUL,
// then a 0xFF byte, then the file's bytes.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "adsl_diag.h"

namespace {

std::string root;

void setup()
{
    char tmpl[] = "/tmp/adsl-fuzz.XXXXXX";
    if (!mkdtemp(tmpl))
        abort();
    root = tmpl;
    atexit([] { std::filesystem::remove_all(root); });
    if (mkdir((root + "/tmp").c_str(), 0755) != 0)
        abort();
    setenv("WY_SYSROOT", root.c_str(), 1);
    // The copy's output is of no interest, only that it stays in bounds.
    if (!freopen("/dev/null", "w", stdout))
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (root.empty())
        setup();
    std::string in(reinterpret_cast<const char *>(data), size);
    size_t split = in.find('\xff');
    std::string words_text = in.substr(0, split);
    std::string file = split == std::string::npos ? std::string() : in.substr(split + 1);

    std::vector<std::string> words;
    size_t start = 0;
    for (size_t i = 0; i <= words_text.size(); ++i) {
        if (i == words_text.size() || words_text[i] == '\0') {
            words.push_back(words_text.substr(start, i - start));
            start = i + 1;
        }
    }
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    char line[80];
    memset(line, 'Z', sizeof line);
    if (adsl_build_line(static_cast<int>(words.size()), argv.data(), line, sizeof line)) {
        if (strnlen(line, sizeof line) >= sizeof line)
            __builtin_trap();
        AdslOutput out = adsl_output_for(line);
        if ((out == AdslOutput::info) != (strstr(line, "delt") == nullptr))
            __builtin_trap();
    } else if (line[0] != '\0') {
        __builtin_trap();
    }

    FILE *f = fopen((root + "/tmp/adslFileDiag").c_str(), "wb");
    if (!f)
        abort();
    fwrite(file.data(), 1, file.size(), f);
    fclose(f);
    if (fileToStdout("/tmp/adslFileDiag") != 0)
        __builtin_trap();
    return 0;
}
