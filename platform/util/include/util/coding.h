// Fixed-width little-endian integers in byte buffers: the one way the project packs and unpacks stored
// values, on-disk structures and the byte layouts it hands between processes.
//
// Every function works byte by byte with shifts, so the result is the same on a host of either byte order and
// a pointer of any alignment is fine: nothing here reinterprets memory as a wider integer. The caller checks
// that the bytes are there; these functions do no bounds checks of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace util {

// The byte types a buffer may be made of.
template <typename T>
inline constexpr bool kIsByteType = std::is_same_v<T, char> || std::is_same_v<T, unsigned char> ||
                                    std::is_same_v<T, signed char> || std::is_same_v<T, std::byte>;
template <typename T>
concept Byte = kIsByteType<std::remove_cv_t<T>>;

// A growable buffer of bytes: std::string, std::vector<char>, std::vector<uint8_t>, ...
template <typename T>
concept ByteBuffer = Byte<typename T::value_type> && requires(T buffer, const typename T::value_type* bytes) {
    buffer.insert(buffer.end(), bytes, bytes + 1);
};

namespace detail {

template <Byte B>
constexpr uint8_t Octet(B b) {
    return static_cast<uint8_t>(b);
}

template <Byte B>
constexpr B ToByte(uint64_t value) {
    return static_cast<B>(static_cast<uint8_t>(value & 0xFF));
}

template <typename Value, Byte B>
constexpr Value Decode(const B* p) {
    Value value = 0;
    for (size_t i = sizeof(Value); i-- > 0;)
        value = static_cast<Value>(value << 8 | Octet(p[i]));
    return value;
}

template <Byte B, typename Value>
constexpr void Encode(B* dst, Value value) {
    for (size_t i = 0; i < sizeof(Value); ++i)
        dst[i] = ToByte<B>(static_cast<uint64_t>(value) >> (8 * i));
}

template <ByteBuffer Buffer, typename Value>
constexpr void Put(Buffer* dst, Value value) {
    typename Buffer::value_type bytes[sizeof(Value)] = {};
    Encode(bytes, value);
    dst->insert(dst->end(), bytes, bytes + sizeof(Value));
}

} // namespace detail

// Writes value at dst, least significant byte first.
template <Byte B>
constexpr void EncodeFixed16(B* dst, uint16_t value) {
    detail::Encode(dst, value);
}
template <Byte B>
constexpr void EncodeFixed32(B* dst, uint32_t value) {
    detail::Encode(dst, value);
}
template <Byte B>
constexpr void EncodeFixed64(B* dst, uint64_t value) {
    detail::Encode(dst, value);
}

// Reads the value whose least significant byte is at p.
template <Byte B>
constexpr uint16_t DecodeFixed16(const B* p) {
    return detail::Decode<uint16_t>(p);
}
template <Byte B>
constexpr uint32_t DecodeFixed32(const B* p) {
    return detail::Decode<uint32_t>(p);
}
template <Byte B>
constexpr uint64_t DecodeFixed64(const B* p) {
    return detail::Decode<uint64_t>(p);
}

// Appends value to dst, least significant byte first.
template <ByteBuffer Buffer>
constexpr void PutFixed16(Buffer* dst, uint16_t value) {
    detail::Put(dst, value);
}
template <ByteBuffer Buffer>
constexpr void PutFixed32(Buffer* dst, uint32_t value) {
    detail::Put(dst, value);
}
template <ByteBuffer Buffer>
constexpr void PutFixed64(Buffer* dst, uint64_t value) {
    detail::Put(dst, value);
}

} // namespace util
