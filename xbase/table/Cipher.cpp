// ChaCha20 after RFC 8439 section 2.3/2.4, SHA-256 after FIPS 180-4, HMAC
// after RFC 2104 and PBKDF2 after RFC 8018 section 5.2, written out plainly.
#include "xbase/table/Cipher.h"

#include <cstring>

namespace xb {

namespace {

inline uint32_t rotl(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }
inline uint32_t rotr(uint32_t v, int n) { return (v >> n) | (v << (32 - n)); }

inline uint32_t loadLe32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void quarterRound(uint32_t &a, uint32_t &b, uint32_t &c, uint32_t &d)
{
    a += b; d ^= a; d = rotl(d, 16);
    c += d; b ^= c; b = rotl(b, 12);
    a += b; d ^= a; d = rotl(d, 8);
    c += d; b ^= c; b = rotl(b, 7);
}

constexpr uint32_t kSha256K[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

struct Sha256 {
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                     0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    uint8_t buffer[64] = {};
    std::size_t buffered = 0;
    uint64_t total = 0;

    void compress(const uint8_t *block)
    {
        uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = uint32_t(block[4 * i]) << 24 | uint32_t(block[4 * i + 1]) << 16
                | uint32_t(block[4 * i + 2]) << 8 | uint32_t(block[4 * i + 3]);
        for (int i = 16; i < 64; ++i) {
            const uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int i = 0; i < 64; ++i) {
            const uint32_t s1 = rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25);
            const uint32_t ch = (e & f) ^ (~e & g);
            const uint32_t t1 = hh + s1 + ch + kSha256K[i] + w[i];
            const uint32_t s0 = rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22);
            const uint32_t maj = (a & b) ^ (a & c) ^ (b & c);
            const uint32_t t2 = s0 + maj;
            hh = g; g = f; f = e; e = d + t1; d = c; c = b; b = a; a = t1 + t2;
        }
        h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e; h[5] += f; h[6] += g; h[7] += hh;
    }

    void update(const uint8_t *data, std::size_t n)
    {
        total += n;
        while (n > 0) {
            const std::size_t take = std::min(n, sizeof buffer - buffered);
            std::memcpy(buffer + buffered, data, take);
            buffered += take;
            data += take;
            n -= take;
            if (buffered == 64) {
                compress(buffer);
                buffered = 0;
            }
        }
    }
    void update(std::string_view s) { update(reinterpret_cast<const uint8_t *>(s.data()), s.size()); }

    std::array<uint8_t, 32> finish()
    {
        const uint64_t bits = total * 8;
        const uint8_t pad = 0x80;
        update(&pad, 1);
        const uint8_t zero = 0;
        while (buffered != 56)
            update(&zero, 1);
        uint8_t len[8];
        for (int i = 0; i < 8; ++i)
            len[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
        update(len, 8);
        std::array<uint8_t, 32> out{};
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 4; ++j)
                out[4 * i + j] = static_cast<uint8_t>(h[i] >> (24 - 8 * j));
        return out;
    }
};

// HMAC with the key's inner and outer states prepared once.
struct Hmac {
    Sha256 inner, outer;
    explicit Hmac(std::string_view key)
    {
        uint8_t block[64] = {};
        if (key.size() > 64) {
            const auto digest = Cipher::sha256(key);
            std::memcpy(block, digest.data(), digest.size());
        } else {
            std::memcpy(block, key.data(), key.size());
        }
        uint8_t ipad[64], opad[64];
        for (int i = 0; i < 64; ++i) {
            ipad[i] = block[i] ^ 0x36;
            opad[i] = block[i] ^ 0x5c;
        }
        inner.update(ipad, 64);
        outer.update(opad, 64);
    }
    std::array<uint8_t, 32> mac(const uint8_t *data, std::size_t n) const
    {
        Sha256 in = inner;
        in.update(data, n);
        const auto innerDigest = in.finish();
        Sha256 out = outer;
        out.update(innerDigest.data(), innerDigest.size());
        return out.finish();
    }
};

constexpr uint32_t kDomainRecord = 0x44434552; // "RECD" little-endian
constexpr uint32_t kDomainCheck = 0x4B434843;  // "CHCK"

} // namespace

void Cipher::chacha20Block(const uint32_t key[8], uint32_t counter, const uint32_t nonce[3], uint8_t out[64])
{
    uint32_t state[16] = {0x61707865, 0x3320646e, 0x79622d32, 0x6b206574,
                          key[0], key[1], key[2], key[3], key[4], key[5], key[6], key[7],
                          counter, nonce[0], nonce[1], nonce[2]};
    uint32_t x[16];
    std::memcpy(x, state, sizeof x);
    for (int i = 0; i < 10; ++i) {
        quarterRound(x[0], x[4], x[8], x[12]);
        quarterRound(x[1], x[5], x[9], x[13]);
        quarterRound(x[2], x[6], x[10], x[14]);
        quarterRound(x[3], x[7], x[11], x[15]);
        quarterRound(x[0], x[5], x[10], x[15]);
        quarterRound(x[1], x[6], x[11], x[12]);
        quarterRound(x[2], x[7], x[8], x[13]);
        quarterRound(x[3], x[4], x[9], x[14]);
    }
    for (int i = 0; i < 16; ++i) {
        const uint32_t v = x[i] + state[i];
        out[4 * i] = static_cast<uint8_t>(v);
        out[4 * i + 1] = static_cast<uint8_t>(v >> 8);
        out[4 * i + 2] = static_cast<uint8_t>(v >> 16);
        out[4 * i + 3] = static_cast<uint8_t>(v >> 24);
    }
}

void Cipher::chacha20Xor(const uint8_t key[32], uint32_t counter, const uint8_t nonce[12], uint8_t *bytes,
                         std::size_t n)
{
    uint32_t k[8], nn[3];
    for (int i = 0; i < 8; ++i)
        k[i] = loadLe32(key + 4 * i);
    for (int i = 0; i < 3; ++i)
        nn[i] = loadLe32(nonce + 4 * i);
    uint8_t block[64];
    for (std::size_t done = 0; done < n; done += 64, ++counter) {
        chacha20Block(k, counter, nn, block);
        const std::size_t take = std::min<std::size_t>(64, n - done);
        for (std::size_t i = 0; i < take; ++i)
            bytes[done + i] ^= block[i];
    }
}

std::array<uint8_t, 32> Cipher::sha256(std::string_view data)
{
    Sha256 s;
    s.update(data);
    return s.finish();
}

std::array<uint8_t, 32> Cipher::hmacSha256(std::string_view key, std::string_view data)
{
    return Hmac(key).mac(reinterpret_cast<const uint8_t *>(data.data()), data.size());
}

void Cipher::pbkdf2Sha256(std::string_view password, std::string_view salt, int iterations, uint8_t *out,
                          std::size_t outLength)
{
    const Hmac hmac(password);
    std::string first(salt);
    first.append(4, '\0');
    for (uint32_t blockIndex = 1; outLength > 0; ++blockIndex) {
        first[salt.size()] = static_cast<char>(blockIndex >> 24);
        first[salt.size() + 1] = static_cast<char>(blockIndex >> 16);
        first[salt.size() + 2] = static_cast<char>(blockIndex >> 8);
        first[salt.size() + 3] = static_cast<char>(blockIndex);
        auto u = hmac.mac(reinterpret_cast<const uint8_t *>(first.data()), first.size());
        auto t = u;
        for (int i = 1; i < iterations; ++i) {
            u = hmac.mac(u.data(), u.size());
            for (std::size_t j = 0; j < t.size(); ++j)
                t[j] ^= u[j];
        }
        const std::size_t take = std::min(outLength, t.size());
        std::memcpy(out, t.data(), take);
        out += take;
        outLength -= take;
    }
}

Cipher::Cipher(std::string_view password, const uint8_t *salt)
{
    pbkdf2Sha256(password, std::string_view(reinterpret_cast<const char *>(salt), kSaltSize), kIterations,
                 m_key.data(), m_key.size());
}

void Cipher::xorStream(uint32_t recno, uint32_t domain, uint8_t *bytes, std::size_t n) const
{
    uint8_t nonce[12] = {};
    for (int i = 0; i < 4; ++i) {
        nonce[i] = static_cast<uint8_t>(recno >> (8 * i));
        nonce[4 + i] = static_cast<uint8_t>(domain >> (8 * i));
    }
    chacha20Xor(m_key.data(), 0, nonce, bytes, n);
}

void Cipher::applyToRecord(uint32_t recno, char *bytes, std::size_t n) const
{
    xorStream(recno, kDomainRecord, reinterpret_cast<uint8_t *>(bytes), n);
}

uint32_t Cipher::keyCheck() const
{
    uint8_t block[4] = {};
    xorStream(0, kDomainCheck, block, sizeof block);
    return loadLe32(block);
}

} // namespace xb
