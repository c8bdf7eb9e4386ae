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
#include "wytest/fuzz.h"

namespace {

bool setup()
{
    wyfuzz::temp_root({"/tmp"});
    // The copy's output is of no interest, only that it stays in bounds.
    wyfuzz::quiet_stdout();
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool ready = setup();
    (void)ready;
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

    wyfuzz::put("/tmp/adslFileDiag", file.data(), file.size());
    if (fileToStdout("/tmp/adslFileDiag") != 0)
        __builtin_trap();
    return 0;
}
