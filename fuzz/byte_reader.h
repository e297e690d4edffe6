// Reads small integers off the front of a fuzz input. Past the end every
// read gives 0, so any input decodes to something.
#pragma once

#include <cstddef>
#include <cstdint>

class ByteReader {
public:
    ByteReader(const uint8_t *data, size_t size) : p_(data), end_(data + size) {}

    bool empty() const { return p_ == end_; }
    size_t left() const { return static_cast<size_t>(end_ - p_); }

    uint32_t u8() { return p_ < end_ ? *p_++ : 0; }
    uint32_t u16() { return u8() | u8() << 8; }
    uint32_t u32() { return u16() | u16() << 16; }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    // Uniform enough over [lo, hi] for a fuzzer: `bytes` little-endian bytes
    // taken modulo the width of the range.
    int32_t in_range(int32_t lo, int32_t hi, int bytes)
    {
        uint32_t v = bytes == 1 ? u8() : bytes == 2 ? u16() : u32();
        uint64_t width = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo) + 1;
        return static_cast<int32_t>(lo + static_cast<int64_t>(v % width));
    }

private:
    const uint8_t *p_;
    const uint8_t *end_;
};
