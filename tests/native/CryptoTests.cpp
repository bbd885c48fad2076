// The cryptography of encrypted entries: the system's primitives against published vectors (on
// Windows these are CNG's, elsewhere OpenSSL's), and the two zip ciphers against archives that
// Info-ZIP's zip and 7-Zip encrypted.
#include "Crypto.h"
#include "TestSupport.h"
#include "WinZipAes.h"
#include "ZipCrypto.h"
#include "zipcore/ZipArchive.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>

using namespace ziptest;
using zipcore::TraditionalCipher;
using zipcore::WinZipAesCipher;

namespace {

std::string Bytes(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string Hex(const uint8_t* data, std::size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < length; ++i) hex += {digits[data[i] >> 4], digits[data[i] & 15]};
    return hex;
}

const uint8_t* U8(const std::string& bytes) { return reinterpret_cast<const uint8_t*>(bytes.data()); }
uint8_t* U8(std::string& bytes) { return reinterpret_cast<uint8_t*>(&bytes[0]); }

}  // namespace

TEST(CryptoPrimitives, KnownAnswersFromThePublishedVectors) {
    // PBKDF2-HMAC-SHA1, RFC 6070.
    const struct {
        const char *password, *salt;
        unsigned iterations;
        const char* key;
    } derivations[] = {
        {"password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
        {"password", "salt", 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
        {"password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
        {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
         "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
    };
    for (const auto& d : derivations) {
        uint8_t key[25] = {};
        const std::size_t length = std::strlen(d.key) / 2;
        ASSERT_TRUE(zipcore::crypto::DerivePbkdf2Sha1(d.password, reinterpret_cast<const uint8_t*>(d.salt),
                                                      std::strlen(d.salt), d.iterations, key, length));
        EXPECT_EQ(Hex(key, length), d.key) << d.password << " " << d.iterations;
    }
    // AES, FIPS-197 appendix C: the same plain block under a 128, 192 and 256-bit key.
    const std::pair<const char*, const char*> ciphers[] = {
        {"000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {"000102030405060708090a0b0c0d0e0f1011121314151617", "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", "8ea2b7ca516745bfeafc49904b496089"},
    };
    for (const auto& [key, expected] : ciphers) {
        const std::string keyBytes = Bytes(key);
        auto aes = zipcore::crypto::AesBlocks::Create(U8(keyBytes), keyBytes.size());
        ASSERT_TRUE(aes) << key;
        std::string blocks = Bytes("00112233445566778899aabbccddeeff") + Bytes("00112233445566778899aabbccddeeff");
        ASSERT_TRUE(aes->Encrypt(U8(blocks), U8(blocks), 2));
        EXPECT_EQ(Hex(U8(blocks), 32), std::string(expected) + expected) << "each block on its own";
    }
    EXPECT_FALSE(zipcore::crypto::AesBlocks::Create(U8(Bytes("0011")), 2));
    // HMAC-SHA1, RFC 2202 cases 1 and 2, the message fed in two pieces.
    const struct {
        std::string key, message;
        const char* digest;
    } codes[] = {
        {std::string(20, '\x0b'), "Hi There", "b617318655057264e28bc0b6fb378c8ef146be00"},
        {"Jefe", "what do ya want for nothing?", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
    };
    for (const auto& c : codes) {
        auto hmac = zipcore::crypto::HmacSha1::Create(U8(c.key), c.key.size());
        ASSERT_TRUE(hmac);
        uint8_t digest[20];
        ASSERT_TRUE(hmac->Update(U8(c.message), 3) && hmac->Update(U8(c.message) + 3, c.message.size() - 3));
        ASSERT_TRUE(hmac->Finish(digest));
        EXPECT_EQ(Hex(digest, 20), c.digest) << c.message;
    }
    uint8_t random[2][16] = {};
    ASSERT_TRUE(zipcore::crypto::RandomBytes(random[0], 16) && zipcore::crypto::RandomBytes(random[1], 16));
    EXPECT_NE(std::memcmp(random[0], random[1], 16), 0);
}

// What we encrypt, we decrypt; a wrong password and a changed byte are caught.
TEST(ZipCiphers, RoundTripsAndTheChecksThatCatchAWrongPasswordOrDamage) {
    const std::string plain = Words(70000, 3);   // more than one batch of key stream
    std::string header(TraditionalCipher::kHeaderLength, '\x5a');
    std::string sealed = header + plain;
    TraditionalCipher(u8"sécret").Encrypt(U8(sealed), sealed.size());
    std::string opened = sealed;
    TraditionalCipher reading(u8"sécret");
    EXPECT_TRUE(reading.CheckHeader(U8(opened), 0x5a));
    reading.Decrypt(U8(opened) + 12, opened.size() - 12);
    EXPECT_EQ(opened.substr(12), plain);
    std::string wrong = sealed;
    TraditionalCipher guess("secret");
    guess.CheckHeader(U8(wrong), 0x5a);
    guess.Decrypt(U8(wrong) + 12, wrong.size() - 12);
    EXPECT_NE(wrong.substr(12), plain);

    for (std::size_t keyLength : {16, 24, 32}) {
        uint8_t salt[16], verifier[2], code[10];
        auto writing = WinZipAesCipher::ForWriting("pass", keyLength, salt, verifier);
        ASSERT_TRUE(writing) << keyLength;
        std::string data = plain;
        ASSERT_TRUE(writing->Encrypt(U8(data), 1000) && writing->Encrypt(U8(data) + 1000, data.size() - 1000));
        ASSERT_TRUE(writing->AuthenticationCode(code));
        EXPECT_NE(data, plain);
        WinZipAesCipher::Opening opening;
        EXPECT_FALSE(WinZipAesCipher::ForReading("Pass", keyLength, salt, verifier, opening));
        EXPECT_EQ(opening, WinZipAesCipher::Opening::WrongPassword);
        for (bool damaged : {false, true}) {
            std::string copy = data;
            if (damaged) copy[40000] ^= 1;
            auto reading = WinZipAesCipher::ForReading("pass", keyLength, salt, verifier, opening);
            ASSERT_TRUE(reading) << keyLength;
            ASSERT_TRUE(reading->Decrypt(U8(copy), copy.size()));
            EXPECT_EQ(reading->Authenticates(code), !damaged) << keyLength;
            EXPECT_EQ(copy == plain, !damaged) << keyLength;
        }
    }
}

#ifndef _WIN32
namespace {

uint32_t Little(const std::string& bytes, std::size_t at, int length) {
    uint32_t value = 0;
    for (int i = length - 1; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

std::string RawInflate(const std::string& data) {
    z_stream stream{};
    inflateInit2(&stream, -15);
    std::string out(1 << 20, '\0');
    stream.next_in = const_cast<Bytef*>(U8(data));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = U8(out);
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    inflateEnd(&stream);
    return result == Z_STREAM_END ? out : "<not a deflate stream>";
}

}  // namespace

// Info-ZIP's zip -P and 7-Zip's AES archives, stored and deflated, decrypt to the file's bytes.
TEST(ZipCiphers, DecryptWhatOtherToolsEncrypted) {
    ScratchFolder dir;
    const std::string text = Words(50000, 9);
    WriteFileBytes(dir / "plain.txt", text);
    const struct {
        const char* tool;
        const char* options;
        const char* archive;
    } makers[] = {
        {"zip", "-q -P SECRET -0", "zc0.zip"},
        {"zip", "-q -P SECRET -9", "zc8.zip"},
        {"7z", "a -bso0 -tzip -pSECRET -mem=AES128 -mx=0", "a128.zip"},
        {"7z", "a -bso0 -tzip -pSECRET -mem=AES192", "a192.zip"},
        {"7z", "a -bso0 -tzip -pSECRET -mem=AES256", "a256.zip"},
    };
    for (const auto& maker : makers) {
        const std::string which = std::string("command -v ") + maker.tool + " >/dev/null";
        if (std::system(which.c_str()) != 0) {
            if (UnderCi()) ADD_FAILURE() << maker.tool << " is missing";
            continue;
        }
        const std::string command = "cd '" + dir.Path() + "' && " + maker.tool + " " + maker.options + " " +
                                    maker.archive + " plain.txt";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::string archive = dir / maker.archive;
        zipcore::Error error;
        auto reader = zipcore::Reader::Open(archive, error);
        ASSERT_TRUE(reader) << error.message;
        const zipcore::Entry entry = reader->entries().at(0);
        ASSERT_TRUE(entry.isEncrypted()) << archive;
        const std::string bytes = ReadFileBytes(archive);
        const std::size_t header = entry.localHeaderOffset;
        const std::size_t nameLength = Little(bytes, header + 26, 2), extraLength = Little(bytes, header + 28, 2);
        std::string data = bytes.substr(header + 30 + nameLength + extraLength, entry.compressedSize);
        unsigned method = entry.method;
        if (method == 99) {
            // The 0x9901 field: version, "AE", strength, the method used.
            const std::string extra = bytes.substr(header + 30 + nameLength, extraLength);
            const std::size_t field = extra.find(std::string("\x01\x99\x07\x00", 4));
            ASSERT_NE(field, std::string::npos) << archive;
            const std::size_t keyLength = WinZipAesCipher::KeyLengthFor(static_cast<uint8_t>(extra[field + 8]));
            method = Little(extra, field + 9, 2);
            const std::size_t saltLength = WinZipAesCipher::SaltLengthFor(keyLength);
            WinZipAesCipher::Opening opening;
            auto cipher = WinZipAesCipher::ForReading("SECRET", keyLength, U8(data), U8(data) + saltLength, opening);
            ASSERT_TRUE(cipher) << archive;
            std::string body = data.substr(saltLength + 2, data.size() - saltLength - 2 - 10);
            ASSERT_TRUE(cipher->Decrypt(U8(body), body.size()));
            EXPECT_TRUE(cipher->Authenticates(U8(data) + data.size() - 10)) << archive;
            data = body;
        } else {
            TraditionalCipher cipher("SECRET");
            const uint8_t check = (entry.flags & 8) ? static_cast<uint8_t>(entry.dosTime >> 8)
                                                    : static_cast<uint8_t>(entry.crc32 >> 24);
            EXPECT_TRUE(cipher.CheckHeader(U8(data), check)) << archive;
            cipher.Decrypt(U8(data) + 12, data.size() - 12);
            data.erase(0, 12);
        }
        EXPECT_EQ(method == 8 ? RawInflate(data) : data, text) << archive << " method " << method;
    }
}
#endif
