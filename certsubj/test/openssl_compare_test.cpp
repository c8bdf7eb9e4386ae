// certsubj against OpenSSL over Debian's CA bundle, attribute by attribute:
// the expected line is formed from `openssl x509 -subject` output with the six
// short names in certsubj's order. Certificates that repeat one of the six are
// compared too, under the rule that the first in certificate order counts,
// and counted apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "simtest.h"

namespace {

const char *kBundle = "/usr/share/ca-certificates/mozilla";
const char *kNames[] = {"C", "ST", "L", "O", "OU", "CN"};

struct Expected {
    std::string line;
    bool repeated = false;
};

// From "subject=\n    C=US\n    O=Acme\n..." (one attribute a line, in
// certificate order).
Expected expected_line(const std::string &openssl_out)
{
    std::map<std::string, std::vector<std::string>> values;
    std::istringstream in(openssl_out);
    std::string l;
    while (std::getline(in, l)) {
        size_t start = l.find_first_not_of(' ');
        size_t eq = l.find('=');
        if (start == std::string::npos || eq == std::string::npos || l.rfind("subject=", 0) == 0)
            continue;
        values[l.substr(start, eq - start)].push_back(l.substr(eq + 1));
    }
    Expected e;
    for (const char *k : kNames) {
        auto it = values.find(k);
        if (it == values.end())
            continue;
        e.repeated |= it->second.size() > 1;
        e.line += std::string(k) + "=" + it->second.front() + (std::string(k) == "CN" ? "" : "/");
    }
    return e;
}

TEST(OpensslCompare, EveryCertificateOfTheBundle)
{
    ASSERT_TRUE(std::filesystem::is_directory(kBundle)) << kBundle << " (package ca-certificates)";
    std::vector<std::string> files;
    for (const auto &e : std::filesystem::directory_iterator(kBundle))
        if (e.path().extension() == ".crt")
            files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());

    simtest::Gateway gw;
    std::filesystem::create_directories(gw.path("/tmp/Certificates"));
    int single = 0, repeated = 0;
    for (const std::string &f : files) {
        SCOPED_TRACE(f);
        simtest::RunResult o = gw.run({"openssl", "x509", "-in", f, "-noout", "-subject", "-nameopt",
                                       "sep_multiline,sname,utf8,-esc_msb"});
        ASSERT_EQ(o.status, 0) << o.err;
        Expected want = expected_line(o.out);

        std::filesystem::copy_file(f, gw.path("/tmp/Certificates/CA1.pem"),
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(gw.path("/tmp/Certificates/CA1.subject"));
        simtest::RunResult r = gw.run({"certsubj", "index", "1"});
        EXPECT_EQ(r.err, "");
        ASSERT_TRUE(gw.exists("/tmp/Certificates/CA1.subject"));
        EXPECT_EQ(gw.read_file("/tmp/Certificates/CA1.subject"), want.line);
        ++(want.repeated ? repeated : single);
    }
    printf("compared %d certificates with single-valued attributes and %d repeating one of the six\n",
           single, repeated);
    RecordProperty("single_valued", single);
    RecordProperty("repeated", repeated);
}

} // namespace
