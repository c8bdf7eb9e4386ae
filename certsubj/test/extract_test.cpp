// certsubj inside a simulated gateway: command lines, certificate files and
// the subject file each leaves, stderr included.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "certgen.h"
#include "simtest.h"

using namespace certgen;

namespace {

const std::string kDir = "/tmp/Certificates";
const std::string kParseFailed = "matrixX509ParseCert NOT OK\n";
const std::string kUsage = "Usage: certsubj index <Num>\n";
const std::nullopt_t kNone = std::nullopt; // no subject file

std::string parse_failed(int slot)
{
    return kParseFailed + "Error parsing CA cert /tmp/Certificates/CA" + std::to_string(slot) + ".pem\n";
}

struct Case {
    const char *what;
    std::vector<std::string> args;
    std::map<int, std::string> pems; // slot -> file content
    int subject_slot;                // whose subject file to look at
    std::optional<std::string> subject; // its content, or kNone
    std::string err;
};

class Extract : public testing::Test {
protected:
    simtest::Gateway gw;

    void reset() const
    {
        std::filesystem::remove_all(gw.path(kDir));
        std::filesystem::create_directories(gw.path(kDir));
    }
    std::string pem_path(int slot) const { return kDir + "/CA" + std::to_string(slot) + ".pem"; }
    std::string subject_path(int slot) const { return kDir + "/CA" + std::to_string(slot) + ".subject"; }

    void check(const Case &c) const
    {
        SCOPED_TRACE(c.what);
        reset();
        for (const auto &[slot, text] : c.pems)
            gw.write_file(pem_path(slot), text);
        std::vector<std::string> argv{"certsubj"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        simtest::RunResult r = gw.run(argv);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
        if (c.subject) {
            ASSERT_TRUE(gw.exists(subject_path(c.subject_slot)));
            EXPECT_EQ(gw.read_file(subject_path(c.subject_slot)), *c.subject);
        } else {
            EXPECT_FALSE(gw.exists(subject_path(c.subject_slot)));
        }
        // Nothing but the subject file of the slot is ever written.
        size_t files = 0;
        for (const auto &e : std::filesystem::directory_iterator(gw.path(kDir))) {
            std::string name = e.path().filename().string();
            EXPECT_TRUE(name.ends_with(".pem") || name == "CA" + std::to_string(c.subject_slot) + ".subject")
                << name;
            ++files;
        }
        EXPECT_EQ(files, c.pems.size() + (c.subject ? 1 : 0));
    }
};

const std::string kAcme = pem_cert(simple({{kC, "DE"}, {kO, "Acme"}, {kCN, "Acme Root"}}));

TEST_F(Extract, CommandLines)
{
    const Case cases[] = {
        {"index 3", {"index", "3"}, {{3, kAcme}}, 3, "C=DE/O=Acme/CN=Acme Root", ""},
        {"INDEX 3", {"INDEX", "3"}, {{3, kAcme}}, 3, "C=DE/O=Acme/CN=Acme Root", ""},
        {"iNdEx 03", {"iNdEx", "03"}, {{3, kAcme}}, 3, "C=DE/O=Acme/CN=Acme Root", ""},
        // The file count below shows CA3.subject was not written.
        {"foo 3 reads slot 0", {"foo", "3"}, {{0, kAcme}, {3, kAcme}}, 0, "C=DE/O=Acme/CN=Acme Root", ""},
        {"index alone", {"index"}, {{3, kAcme}}, 3, kNone, kUsage},
        {"three arguments", {"index", "3", "more"}, {{3, kAcme}}, 3, kNone, kUsage},
        {"no arguments", {}, {{0, kAcme}}, 0, kNone, kUsage},
    };
    for (const Case &c : cases)
        check(c);
}

TEST_F(Extract, SubjectLines)
{
    std::string long_o = std::string(124, 'o') + "\xC3\xA9" + "tail";   // é at part bytes 127..128
    const Case cases[] = {
        {"common name only", {"index", "1"}, {{1, pem_cert(simple({{kCN, "Only Name"}}))}}, 1,
         "CN=Only Name", ""},
        {"no common name", {"index", "1"}, {{1, pem_cert(simple({{kC, "US"}, {kO, "NoName Inc"}}))}}, 1,
         "C=US/O=NoName Inc/", ""},
        {"all six", {"index", "1"},
         {{1, pem_cert(simple({{kC, "US"}, {kST, "Texas"}, {kL, "Houston"}, {kO, "O1"}, {kOU, "U1"},
                               {kCN, "N1"}}))}},
         1, "C=US/ST=Texas/L=Houston/O=O1/OU=U1/CN=N1", ""},
        {"certificate order differs", {"index", "1"},
         {{1, pem_cert(simple({{kCN, "Acme Root"}, {kOU, "Unit"}, {kL, "Berlin"}, {kC, "DE"}}))}}, 1,
         "C=DE/L=Berlin/OU=Unit/CN=Acme Root", ""},
        {"repeated attribute: the first counts", {"index", "1"},
         {{1, pem_cert(simple({{kOU, "First"}, {kCN, "N"}, {kOU, "Second"}}))}}, 1, "OU=First/CN=N", ""},
        {"multi-valued RDN", {"index", "1"},
         {{1, pem_cert({{{kCN, "Inner"}, {kO, "Org"}}, {{kCN, "Outer"}}})}}, 1, "O=Org/CN=Inner", ""},
        {"string types", {"index", "1"},
         {{1, pem_cert(simple({{kO, "M\xFCller", kT61}, {kCN, std::string("\x00" "A\x20\xAC", 4), kBmp}}))}},
         1, "O=M\xC3\xBCller/CN=A\xE2\x82\xAC", ""},
        {"line break in a value", {"index", "1"}, {{1, pem_cert(simple({{kCN, "two\nlines"}}))}}, 1,
         "CN=two?lines", ""},
        {"value over 127 bytes, two-byte character at the cut", {"index", "1"},
         {{1, pem_cert(simple({{kO, long_o}, {kCN, "N"}}))}}, 1,
         "O=" + std::string(124, 'o') + "/CN=N", ""},
    };
    for (const Case &c : cases)
        check(c);
}

TEST_F(Extract, FilesWithSeveralOrNoCertificates)
{
    std::string with_ou = pem_cert(simple({{kC, "DE"}, {kOU, "Old Unit"}, {kCN, "First"}}));
    std::string without_ou = pem_cert(simple({{kC, "FR"}, {kCN, "Second"}}));
    std::string not_x509 = pem("\x30\x03\x02\x01\x05"); // decodes, but is no certificate
    std::string truncated = pem(cert(simple({{kCN, "Cut"}})).substr(0, 100));
    const Case cases[] = {
        {"second fails", {"index", "2"}, {{2, kAcme + not_x509}}, 2, "C=DE/O=Acme/CN=Acme Root",
         parse_failed(2)},
        {"first fails", {"index", "2"}, {{2, truncated + kAcme}}, 2, "C=DE/O=Acme/CN=Acme Root",
         parse_failed(2)},
        {"both fail", {"index", "2"}, {{2, truncated + not_x509}}, 2, kNone, parse_failed(2) + parse_failed(2)},
        {"second lacks the unit of the first", {"index", "2"}, {{2, with_ou + without_ou}}, 2,
         "C=FR/CN=Second", ""},
        {"text around and between blocks", {"index", "2"},
         {{2, "Bag Attributes\n" + with_ou + "-----END CERTIFICATE-----\njunk\n" + without_ou + "trailer"}}, 2,
         "C=FR/CN=Second", ""},
        {"missing file", {"index", "2"}, {}, 2, kNone, ""},
        {"empty file", {"index", "2"}, {{2, ""}}, 2, kNone, ""},
        {"garbage file", {"index", "2"}, {{2, std::string("\x7f" "ELF\x01\x02\x00garbage\n", 14)}}, 2, kNone, ""},
        {"DER instead of PEM", {"index", "2"}, {{2, cert(simple({{kCN, "Der"}}))}}, 2, kNone, ""},
        {"base64 that does not decode", {"index", "2"},
         {{2, "-----BEGIN CERTIFICATE-----\n!!!!\n-----END CERTIFICATE-----\n"}}, 2, kNone, ""},
        {"header without end", {"index", "2"}, {{2, "-----BEGIN CERTIFICATE-----\nMIIB\n"}}, 2, kNone, ""},
    };
    for (const Case &c : cases)
        check(c);
}

// A subject file that cannot be opened ends the run at the first certificate
// that parses: later ones, even failing ones, are not handled.
TEST_F(Extract, SubjectFileThatCannotBeOpened)
{
    reset();
    gw.write_file(pem_path(4), kAcme + pem("\x30\x03\x02\x01\x05"));
    std::filesystem::create_directory(gw.path(subject_path(4)));
    simtest::RunResult r = gw.run({"certsubj", "index", "4"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Open file failed.\n");
}

// A FIFO in place of the certificate is no certificate: its open must not
// wait for a writer, holding the run and the list page that waits for it.
// The deadline turns a run that hangs into a failure.
TEST_F(Extract, FifoInPlaceOfTheCertificate)
{
    reset();
    ASSERT_EQ(mkfifo(gw.path(pem_path(1)).c_str(), 0600), 0);
    simtest::RunResult r = gw.run({"timeout", "30", "certsubj", "index", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(gw.exists(subject_path(1)));
}

// A file that yields nothing leaves an earlier subject file as it was; the
// list page removes it before each run.
TEST_F(Extract, UnreadableFileLeavesAnEarlierSubject)
{
    reset();
    gw.write_file(subject_path(1), "CN=Earlier");
    gw.write_file(pem_path(1), "no certificate here\n");
    simtest::RunResult r = gw.run({"certsubj", "index", "1"});
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(gw.read_file(subject_path(1)), "CN=Earlier");
}

} // namespace
