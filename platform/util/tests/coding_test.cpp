#include "util/coding.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The byte order is pinned at compile time too, so a constant layout (a signature, a header) can be built
// from these functions.
constexpr std::array<unsigned char, 4> kEncoded = [] {
    std::array<unsigned char, 4> bytes{};
    util::EncodeFixed32(bytes.data(), 0x04030201u);
    return bytes;
}();
static_assert(kEncoded[0] == 1 && kEncoded[1] == 2 && kEncoded[2] == 3 && kEncoded[3] == 4);
static_assert(util::DecodeFixed16(kEncoded.data()) == 0x0201);

TEST(Coding, WritesTheLeastSignificantByteFirst) {
    unsigned char bytes[8] = {};
    util::EncodeFixed16(bytes, 0xFF85);
    EXPECT_EQ(bytes[0], 0x85);
    EXPECT_EQ(bytes[1], 0xFF);

    util::EncodeFixed32(bytes, 0x12345678u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 4), "\x78\x56\x34\x12");

    util::EncodeFixed64(bytes, 0x0102030405060708ull);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(bytes[i], 8 - i) << "byte " << i;
}

TEST(Coding, ReadsTheLeastSignificantByteFirstWithoutSignExtension) {
    // Bytes above 0x7F are negative as char: each must still count as one unsigned octet.
    const char bytes[] = "\x85\xFF\xFE\x80\x01\x02\x03\x84";
    EXPECT_EQ(util::DecodeFixed16(bytes), 0xFF85);
    EXPECT_EQ(util::DecodeFixed32(bytes), 0x80FEFF85u);
    EXPECT_EQ(util::DecodeFixed64(bytes), 0x84030201'80FEFF85ull);
    const auto* asBytes = reinterpret_cast<const std::byte*>(bytes);
    EXPECT_EQ(util::DecodeFixed32(asBytes), 0x80FEFF85u);
    const auto* asSigned = reinterpret_cast<const signed char*>(bytes);
    EXPECT_EQ(util::DecodeFixed16(asSigned), 0xFF85);
}

TEST(Coding, ReadsAndWritesAtEveryAlignment) {
    alignas(8) unsigned char buffer[24] = {};
    for (size_t offset = 0; offset < 8; ++offset) {
        std::memset(buffer, 0xAA, sizeof buffer);
        unsigned char* at = buffer + offset;
        util::EncodeFixed16(at, 0xBEEF);
        util::EncodeFixed32(at + 2, 0xDEADBEEFu);
        util::EncodeFixed64(at + 6, 0xFEDCBA9876543210ull);
        EXPECT_EQ(util::DecodeFixed16(at), 0xBEEF) << "offset " << offset;
        EXPECT_EQ(util::DecodeFixed32(at + 2), 0xDEADBEEFu) << "offset " << offset;
        EXPECT_EQ(util::DecodeFixed64(at + 6), 0xFEDCBA9876543210ull) << "offset " << offset;
        // Nothing outside the 14 bytes written was touched.
        for (size_t i = 0; i < sizeof buffer; ++i) {
            if (i < offset || i >= offset + 14) {
                EXPECT_EQ(buffer[i], 0xAA) << "offset " << offset << " byte " << i;
            }
        }
    }
}

TEST(Coding, RoundTripsTheLimitsOfEachWidth) {
    unsigned char bytes[8];
    for (uint16_t v : {uint16_t{0}, uint16_t{1}, uint16_t{0x7FFF}, uint16_t{0x8000}, uint16_t{0xFFFF}}) {
        util::EncodeFixed16(bytes, v);
        EXPECT_EQ(util::DecodeFixed16(bytes), v);
    }
    for (uint32_t v : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        util::EncodeFixed32(bytes, v);
        EXPECT_EQ(util::DecodeFixed32(bytes), v);
    }
    for (uint64_t v : {0ull, 1ull, 0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull, ~0ull}) {
        util::EncodeFixed64(bytes, v);
        EXPECT_EQ(util::DecodeFixed64(bytes), v);
    }
}

TEST(Coding, AppendsToStringsAndByteVectors) {
    std::string text = "x";
    util::PutFixed16(&text, 0xFF85);
    util::PutFixed32(&text, 0x04030201u);
    util::PutFixed64(&text, 0x0807060504030201ull);
    EXPECT_EQ(text, std::string("x\x85\xFF\x01\x02\x03\x04\x01\x02\x03\x04\x05\x06\x07\x08", 15));

    std::vector<uint8_t> bytes;
    util::PutFixed16(&bytes, 0x0102);
    util::PutFixed32(&bytes, 0xA0B0C0D0u);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x02, 0x01, 0xD0, 0xC0, 0xB0, 0xA0}));

    std::vector<char> chars;
    util::PutFixed16(&chars, 0x8081);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(util::DecodeFixed16(chars.data()), 0x8081);
}

} // namespace
