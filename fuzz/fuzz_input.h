// A fuzzer's input, taken from the front a few bytes at a time as little-endian numbers: zeros once it runs
// out.
#pragma once

#include <cstddef>
#include <cstdint>

struct FuzzInput {
    const uint8_t* data;
    size_t size;
    uint32_t take(int bytes) {
        uint32_t value = 0;
        for (int i = 0; i < bytes && size > 0; ++i, ++data, --size)
            value |= static_cast<uint32_t>(*data) << (8 * i);
        return value;
    }
};
