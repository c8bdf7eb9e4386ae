// trustedca_list with the real certsubj in a temporary system root: each page
// byte for byte, the extractor run once per slot, the directory gone after.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "certgen.h"
#include "golden.h"
#include "testroot.h"

using namespace certgen;

namespace {

using golden::first_difference;
using golden::slurp;

const std::string kCalls = "/certsubj.calls";

// certsubj as the page finds it, recording each run before it does its work.
void install_extractor(const testroot::TempRoot &root)
{
    root.put("/userfs/bin/certsubj", "#!/bin/sh\necho \"$*\" >>\"$WY_SYSROOT" + kCalls +
                                           "\"\nexec " CERTSUBJ " \"$@\"\n");
    chmod(root.path("/userfs/bin/certsubj").c_str(), 0755);
}

std::string pem_path(int slot) { return "/tmp/Certificates/CA" + std::to_string(slot) + ".pem"; }
std::string subject_path(int slot) { return "/tmp/Certificates/CA" + std::to_string(slot) + ".subject"; }

struct Case {
    const char *golden;
    std::map<int, std::string> frag0 = {};        // entry index -> "Frag0"; none: no store file
    std::map<int, std::string> pems = {};         // slot -> certificate file
    std::map<int, std::string> old_subjects = {}; // slot -> subject file left by an earlier run
    bool turkey = false;
    std::string err = "";                        // the extractor's messages pass through
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.golden;
}

const std::string kAcme = pem_cert(simple({{kC, "DE"}, {kO, "Acme"}, {kCN, "Acme Root"}}));

class TrustedcaList : public testing::TestWithParam<Case> {};

TEST_P(TrustedcaList, PrintsThePage)
{
    const Case &c = GetParam();
    testroot::TempRoot root;
    install_extractor(root);
    if (!c.frag0.empty() || c.turkey) {
        testroot::Store s;
        for (const auto &[i, v] : c.frag0)
            s["SslCA_Entry" + std::to_string(i)]["Frag0"] = v;
        if (c.turkey)
            s["GUI_Entry1"] = {{"Multi_Language", "Yes"}, {"Language", "Turkey"}};
        root.write_store(s);
    }
    for (const auto &[slot, text] : c.pems)
        root.put(pem_path(slot), text);
    for (const auto &[slot, text] : c.old_subjects)
        root.put(subject_path(slot), text);
    root.put("/tmp/Certificates/other.txt", "removed with the directory");

    auto r = wytest::run({TRUSTEDCA_LIST});
    std::string want = slurp(std::string(PAGES_TESTDATA) + "/trustedca_list/" + c.golden + ".html");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, c.err);
    EXPECT_TRUE(r.out == want) << first_difference(want, r.out);
    EXPECT_EQ(root.get(kCalls), "index 1\nindex 2\nindex 3\nindex 4\n");
    EXPECT_FALSE(root.exists("/tmp/Certificates"));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, TrustedcaList,
    testing::Values(
        // Every slot holds a certificate, none is in use; no store file at all.
        Case{.golden = "no_slot_in_use", .pems = {{1, kAcme}, {2, kAcme}, {3, kAcme}, {4, kAcme}}},
        Case{.golden = "no_slot_in_use",
             .frag0 = {{0, "No"}, {1, "No"}, {2, "No"}, {3, "No"}},
             .pems = {{1, kAcme}, {3, kAcme}}},
        Case{.golden = "only_slot_3",
             .frag0 = {{0, "No"}, {1, "No"}, {2, "MIIB..."}, {3, "No"}},
             .pems = {{3, kAcme}}},
        Case{.golden = "only_slot_3_turkey",
             .frag0 = {{2, "Yes"}},
             .pems = {{1, kAcme}, {3, kAcme}},
             .turkey = true},
        // Slot 2 is in use but its certificate is gone; its old subject must not show.
        Case{.golden = "missing_certificate",
             .frag0 = {{0, "Yes"}, {1, "Yes"}},
             .pems = {{1, pem_cert(simple({{kCN, "Slot One"}}))}},
             .old_subjects = {{2, "CN=Stale"}}},
        // Slot 2's certificate no longer parses.
        Case{.golden = "missing_certificate",
             .frag0 = {{0, "Yes"}, {1, "Yes"}},
             .pems = {{1, pem_cert(simple({{kCN, "Slot One"}}))}, {2, pem("\x30\x03\x02\x01\x05")}},
             .old_subjects = {{2, "CN=Stale"}},
             .err = "matrixX509ParseCert NOT OK\nError parsing CA cert /tmp/Certificates/CA2.pem\n"},
        Case{.golden = "subject_120_bytes",
             .frag0 = {{0, "Yes"}, {1, "Yes"}},
             .pems = {{1, pem_cert(simple({{kCN, std::string(117, 'N')}}))},
                      {2, pem_cert(simple({{kCN, std::string(94, 'N') + "\xE2\x82\xAC" "tail"}}))}}},
        Case{.golden = "html_in_subject",
             .frag0 = {{3, "Yes"}},
             .pems = {{4, pem_cert(simple({{kO, "Fish & Chips"}, {kCN, "<b>bold</b>"}}))}}},
        Case{.golden = "all_slots",
             .frag0 = {{0, "Yes"}, {1, "Yes"}, {2, "Yes"}, {3, "Yes"}},
             .pems = {{1, pem_cert(simple({{kCN, "One"}}))},
                      {2, pem_cert(simple({{kCN, "Two"}, {kC, "FR"}}))},
                      {3, pem_cert(simple({{kO, "Three"}}))},
                      {4, pem_cert(simple({{kCN, "Four"}}))}}}));

// A subject file that the extractor leaves (here: a stand-in writing it
// straight) is read to its first line and at most 99 bytes of whole characters.
TEST(TrustedcaListSubjectFile, FirstLineCutToWholeCharacters)
{
    struct FileCase {
        std::string content;
        std::string shown;
    } cases[] = {
        {"CN=One\nCN=Two", "CN=One"},
        {std::string(120, 'x'), std::string(99, 'x')},
        {std::string(97, 'x') + "\xC3\xA9" "yy", std::string(97, 'x') + "\xC3\xA9"},
        {std::string(98, 'x') + "\xC3\xA9" "yy", std::string(98, 'x')},
        {std::string(96, 'x') + "\xF0\x9F\x98\x80", std::string(96, 'x')},
        {"", ""},
        {"a<b>&\"c'", "a&lt;b&gt;&amp;&quot;c&#39;"},
    };
    for (const FileCase &fc : cases) {
        testroot::TempRoot root;
        root.put("/subject.fixture", fc.content);
        root.put("/userfs/bin/certsubj",
                   "#!/bin/sh\n[ \"$2\" = 1 ] && cp \"$WY_SYSROOT/subject.fixture\" "
                   "\"$WY_SYSROOT/tmp/Certificates/CA1.subject\"\nexit 0\n");
        chmod(root.path("/userfs/bin/certsubj").c_str(), 0755);
        root.put("/tmp/Certificates/CA1.pem", "present");
        root.write_store({{"SslCA_Entry0", {{"Frag0", "Yes"}}}});
        auto r = wytest::run({TRUSTEDCA_LIST});
        std::string cell = "<td class=\"table_font\">" + fc.shown + "</td>";
        EXPECT_NE(r.out.find(cell), std::string::npos) << testing::PrintToString(fc.content);
    }
}

} // namespace
