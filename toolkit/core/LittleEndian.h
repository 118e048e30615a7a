#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

// Integers stored little-endian, byte by byte, whatever the machine's own order.
template <typename T>
T DecodeLittleEndian(const uint8_t* bytes)
{
    using U = std::make_unsigned_t<T>;
    U value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        value = U(value | U(U(bytes[i]) << (8 * i)));
    return T(value);
}

template <typename T>
void EncodeLittleEndian(T value, uint8_t* bytes)
{
    using U = std::make_unsigned_t<T>;
    const U bits = U(value);
    for (size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = uint8_t(bits >> (8 * i));
}
