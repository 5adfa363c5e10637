// The primitives of table encryption against their published test vectors.
#include "xbase/table/Cipher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace xb;

namespace {

template <typename Bytes>
std::string hex(const Bytes &bytes, std::size_t n)
{
    std::string out;
    char buf[3];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned>(static_cast<uint8_t>(bytes[i])));
        out += buf;
    }
    return out;
}

} // namespace

TEST(Cipher, ChaCha20MatchesRfc8439Section242)
{
    uint8_t key[32];
    for (int i = 0; i < 32; ++i)
        key[i] = static_cast<uint8_t>(i);
    const uint8_t nonce[12] = {0, 0, 0, 0, 0, 0, 0, 0x4a, 0, 0, 0, 0};
    std::string text = "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the "
                       "future, sunscreen would be it.";
    Cipher::chacha20Xor(key, 1, nonce, reinterpret_cast<uint8_t *>(text.data()), text.size());
    EXPECT_EQ(hex(text, text.size()),
              "6e2e359a2568f98041ba0728dd0d6981e97e7aec1d4360c20a27afccfd9fae0bf91b65c5524733ab8f593dabcd62b357"
              "1639d624e65152ab8f530c359f0861d807ca0dbf500d6a6156a38e088a22b65e52bc514d16ccf806818ce91ab7793736"
              "5af90bbf74a35be6b40b8eedf2785e42874d");
}

TEST(Cipher, Sha256HmacAndPbkdf2MatchTheirVectors)
{
    EXPECT_EQ(hex(Cipher::sha256("abc"), 32), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hex(Cipher::hmacSha256("key", "The quick brown fox jumps over the lazy dog"), 32),
              "f7bc83f430538424b13298e6aa6fb143ef4d59a14946175997479dbc2d1a3cd8");
    uint8_t out[64];
    Cipher::pbkdf2Sha256("passwd", "salt", 1, out, sizeof out); // RFC 7914 section 11
    EXPECT_EQ(hex(out, 64), "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                            "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
    Cipher::pbkdf2Sha256("geheim", "12345678", 10000, out, 32);
    EXPECT_EQ(hex(out, 32), "781b12d36ffe9b966ecea9a7fc615dc32bb0f8e9ba33df152656bda9d02f5d6a");
}

TEST(Cipher, RecordStreamDependsOnPasswordSaltAndRecord)
{
    const uint8_t salt[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const uint8_t otherSalt[8] = {1, 2, 3, 4, 5, 6, 7, 9};
    const Cipher a("geheim", salt), b("Geheim", salt), c("geheim", otherSalt);
    std::string r1(100, 'x'), r2(100, 'x'), r3(100, 'x'), r4(100, 'x');
    a.applyToRecord(1, r1.data(), r1.size());
    a.applyToRecord(2, r2.data(), r2.size());
    b.applyToRecord(1, r3.data(), r3.size());
    c.applyToRecord(1, r4.data(), r4.size());
    EXPECT_NE(r1, r2);
    EXPECT_NE(r1, r3);
    EXPECT_NE(r1, r4);
    a.applyToRecord(1, r1.data(), r1.size());
    EXPECT_EQ(r1, std::string(100, 'x'));
    EXPECT_NE(a.keyCheck(), b.keyCheck());
}
