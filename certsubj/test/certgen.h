// Test certificates built byte by byte, so a subject can hold what no
// certificate tool writes: long values, repeated and multi-valued attributes,
// any string type. The key is a fixed RSA public key and the signature is not
// a real one; parsing never checks it. Tests only.
#ifndef WY_CERTSUBJ_TEST_CERTGEN_H
#define WY_CERTSUBJ_TEST_CERTGEN_H

#include <string>
#include <vector>

namespace certgen {

inline constexpr int kUtf8 = 0x0C, kPrintable = 0x13, kT61 = 0x14, kBmp = 0x1E;

// Attribute type OIDs (2.5.4.x), as their DER content bytes.
inline const std::string kC = "\x55\x04\x06", kST = "\x55\x04\x08", kL = "\x55\x04\x07",
                         kO = "\x55\x04\x0A", kOU = "\x55\x04\x0B", kCN = "\x55\x04\x03";

struct Ava {
    std::string oid;
    std::string value;
    int tag = kUtf8;
};
using Rdn = std::vector<Ava>;      // one set: several values make it multi-valued
using Name = std::vector<Rdn>;     // in certificate order

inline std::string tlv(int tag, const std::string &content)
{
    std::string out(1, static_cast<char>(tag));
    size_t n = content.size();
    if (n < 0x80) {
        out += static_cast<char>(n);
    } else {
        std::string len;
        for (size_t v = n; v; v >>= 8)
            len.insert(len.begin(), static_cast<char>(v & 0xFF));
        out += static_cast<char>(0x80 | len.size());
        out += len;
    }
    return out + content;
}

inline std::string seq(const std::string &c) { return tlv(0x30, c); }

inline std::string name(const Name &rdns)
{
    std::string out;
    for (const Rdn &rdn : rdns) {
        std::string set;
        for (const Ava &a : rdn)
            set += seq(tlv(0x06, a.oid) + tlv(a.tag, a.value));
        out += tlv(0x31, set);
    }
    return seq(out);
}

// A single-RDN name per attribute, e.g. simple({{kC, "DE"}, {kCN, "x"}}).
inline Name simple(const std::vector<Ava> &avas)
{
    Name n;
    for (const Ava &a : avas)
        n.push_back({a});
    return n;
}

// DER of a v3 certificate with the given subject.
inline std::string cert(const Name &subject)
{
    const std::string sha256_rsa = seq(tlv(0x06, "\x2A\x86\x48\x86\xF7\x0D\x01\x01\x0B") + std::string("\x05\x00", 2));
    const std::string rsa = seq(tlv(0x06, "\x2A\x86\x48\x86\xF7\x0D\x01\x01\x01") + std::string("\x05\x00", 2));
    std::string modulus(1, '\0');
    modulus += '\xC3';
    for (int i = 0; i < 126; ++i)
        modulus += static_cast<char>(0x11 * (i % 15 + 1));
    modulus += '\x01'; // odd
    std::string key = seq(tlv(0x02, modulus) + tlv(0x02, std::string("\x01\x00\x01", 3)));
    std::string spki = seq(rsa + tlv(0x03, std::string(1, '\0') + key));
    std::string validity = seq(tlv(0x17, "250101000000Z") + tlv(0x17, "350101000000Z"));
    std::string issuer = name(simple({{kCN, "Test Issuer"}}));
    std::string tbs = seq(tlv(0xA0, tlv(0x02, "\x02")) + tlv(0x02, "\x01") + sha256_rsa + issuer +
                          validity + name(subject) + spki);
    return seq(tbs + sha256_rsa + tlv(0x03, std::string(1, '\0') + std::string(32, '\x5A')));
}

inline std::string base64(const std::string &in)
{
    static const char *abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < in.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(in[i]) << 16;
        if (i + 1 < in.size())
            v |= static_cast<unsigned char>(in[i + 1]) << 8;
        if (i + 2 < in.size())
            v |= static_cast<unsigned char>(in[i + 2]);
        out += abc[(v >> 18) & 63];
        out += abc[(v >> 12) & 63];
        out += i + 1 < in.size() ? abc[(v >> 6) & 63] : '=';
        out += i + 2 < in.size() ? abc[v & 63] : '=';
    }
    return out;
}

inline std::string pem(const std::string &der)
{
    std::string b = base64(der), out = "-----BEGIN CERTIFICATE-----\n";
    for (size_t i = 0; i < b.size(); i += 64)
        out += b.substr(i, 64) + "\n";
    return out + "-----END CERTIFICATE-----\n";
}

inline std::string pem_cert(const Name &subject) { return pem(cert(subject)); }

} // namespace certgen

#endif
