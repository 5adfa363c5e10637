// Encryption of table records: ChaCha20 (RFC 8439) keyed from a password by
// PBKDF2-HMAC-SHA-256 (RFC 8018) over a per-table salt.
//
// Key:   PBKDF2-HMAC-SHA-256(password bytes, 8-byte salt, kIterations) -> 32 bytes
// Nonce: bytes 0-3 the record number (little-endian), bytes 4-7 a domain
//        ("RECD" for records, "CHCK" for the key check), bytes 8-11 zero
// Block counter starts at 0; the keystream is XORed over the record bytes
// after the deletion byte, which stays plain so that every xBase tool still
// sees which records are deleted.
//
// The same record number always gets the same keystream, so two versions of
// one record leak their XOR to someone holding both. This keeps tables from
// casual reading; it is no protection against an attacker with the program
// (which carries the reference tables' password) or with old copies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace xb {

class Cipher {
public:
    static constexpr int kSaltSize = 8;
    static constexpr int kIterations = 10000;

    // Derives the key from `password` and `salt` (kSaltSize bytes).
    Cipher(std::string_view password, const uint8_t *salt);

    // XORs the keystream for record `recno` over `n` bytes.
    void applyToRecord(uint32_t recno, char *bytes, std::size_t n) const;
    // A 32-bit value that tells whether a password is the one a table was
    // encrypted with (stored in the header).
    uint32_t keyCheck() const;

    // The primitives, exposed for their test vectors.
    static void chacha20Block(const uint32_t key[8], uint32_t counter, const uint32_t nonce[3],
                              uint8_t out[64]);
    static void chacha20Xor(const uint8_t key[32], uint32_t counter, const uint8_t nonce[12],
                            uint8_t *bytes, std::size_t n);
    static std::array<uint8_t, 32> sha256(std::string_view data);
    static std::array<uint8_t, 32> hmacSha256(std::string_view key, std::string_view data);
    static void pbkdf2Sha256(std::string_view password, std::string_view salt, int iterations,
                             uint8_t *out, std::size_t outLength);

private:
    void xorStream(uint32_t recno, uint32_t domain, uint8_t *bytes, std::size_t n) const;

    std::array<uint8_t, 32> m_key{};
};

} // namespace xb
