#include "checkcodes.h"

#include <algorithm>
#include <cstddef>

namespace CheckCodes
{

namespace
{

constexpr int MaxPositions = 32;

int clampedCount(int n)
{
    return std::clamp(n, 0, MaxPositions);
}

uint32_t bitAt(uint32_t word, int position)
{
    return (word >> (position - 1)) & 1u;
}

// The k-th parity position 2^k (k < hammingPositions(n)).
int parityPosition(int k)
{
    return 1 << k;
}

int parityOfBits(uint32_t bits)
{
    int parity = 0;
    for (; bits != 0; bits &= bits - 1)
        parity ^= 1;
    return parity;
}

// The low n bits (n from 0 to 32) of a word.
uint32_t lowBits(uint32_t word, int n)
{
    return n >= MaxPositions ? word : word & ((1u << n) - 1u);
}

} // namespace

int hammingParity(uint32_t word, int n, int k)
{
    n = clampedCount(n);
    if (k < 0 || k > 5)
        return 0; // 2^k above 32 exceeds every n
    const int p = parityPosition(k);
    int parity = 0; // nothing to check when n < p: the loop below is empty
    for (int j = p + 1; j <= n; ++j) {
        if (j & p)
            parity ^= int(bitAt(word, j));
    }
    return parity;
}

int hammingPositions(int n)
{
    n = clampedCount(n);
    int count = 0;
    while (count < 6 && parityPosition(count) < n)
        ++count;
    return count;
}

bool isPowerOfTwo(int32_t x)
{
    const uint32_t u = uint32_t(x);
    return (u & (0u - u)) == u;
}

uint32_t hammingEncode(uint32_t data, int n)
{
    n = clampedCount(n);
    uint32_t word = 0;
    int dataBit = 0;
    for (int j = 2; j <= n; ++j) {
        if (isPowerOfTwo(j))
            continue;
        word |= ((data >> dataBit) & 1u) << (j - 1);
        ++dataBit;
    }
    const int positions = hammingPositions(n); // none for n <= 1: the word stays 0
    for (int k = 0; k < positions; ++k)
        word |= uint32_t(hammingParity(word, n, k)) << (parityPosition(k) - 1);
    return word;
}

int hammingCheck(uint32_t word, int n)
{
    n = clampedCount(n);
    const int positions = hammingPositions(n);
    for (int k = 0; k < positions; ++k) {
        if (uint32_t(hammingParity(word, n, k)) != bitAt(word, parityPosition(k)))
            return 0;
    }
    return 1;
}

int hammingDecode(uint32_t word, uint32_t &data, int n)
{
    n = clampedCount(n);
    const int result = hammingCheck(word, n);
    data = 0;
    int dataBit = 0;
    for (int j = 3; j <= n; ++j) {
        if (isPowerOfTwo(j))
            continue;
        data |= bitAt(word, j) << dataBit;
        ++dataBit;
    }
    return result;
}

bool hammingCorrect(uint32_t word, uint32_t &corrected, int n)
{
    n = clampedCount(n);
    int syndrome = 0;
    const int positions = hammingPositions(n);
    for (int k = 0; k < positions; ++k) {
        const int p = parityPosition(k);
        if (uint32_t(hammingParity(word, n, k)) != bitAt(word, p))
            syndrome += p;
    }
    if (syndrome > n)
        return false;
    corrected = syndrome == 0 ? word : word ^ (1u << (syndrome - 1));
    return true;
}

int hammingParityBitsEven(uint32_t word, int n)
{
    n = clampedCount(n);
    int ones = 0;
    const int positions = hammingPositions(n);
    for (int k = 0; k < positions; ++k)
        ones += int(bitAt(word, parityPosition(k)));
    if (n < MaxPositions) // a 32-bit word has no bit 32
        ones += int((word >> n) & 1u);
    return ones % 2 == 0 ? 1 : 0;
}

uint32_t appendEvenParity(uint32_t word, int n)
{
    if (n < 1 || n >= MaxPositions) // bit 32 does not exist, so n = 32 has nowhere to go
        return word;
    if (parityOfBits(lowBits(word, n)))
        word |= 1u << n;
    return word;
}

uint8_t crc8(uint8_t initial, uint32_t polynomial, const uint8_t *bytes, int length, int mode)
{
    if (length < 1 || bytes == nullptr || (mode != 0 && mode != 1))
        return initial;
    const uint8_t g = uint8_t(polynomial & 0xFFu);
    uint8_t r = initial;
    for (int i = 0; i < length; ++i) {
        r ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            if (mode == 1)
                r = (r & 0x80u) ? uint8_t((r << 1) ^ g) : uint8_t(r << 1);
            else
                r = (r & 0x01u) ? uint8_t((r >> 1) ^ g) : uint8_t(r >> 1);
        }
    }
    return r;
}

uint16_t crc16(uint16_t polynomial, const uint16_t *words, int count)
{
    if (count < 1 || words == nullptr)
        return 0;
    uint16_t r = 0;
    for (int i = 0; i < count; ++i) {
        r ^= words[i];
        for (int bit = 0; bit < 16; ++bit)
            r = (r & 0x8000u) ? uint16_t((r << 1) ^ polynomial) : uint16_t(r << 1);
    }
    return r;
}

uint8_t parityMatrix(uint32_t word, const std::vector<uint32_t> &masks, int n)
{
    n = clampedCount(n);
    const uint32_t bits = lowBits(word, n);
    uint8_t result = 0;
    for (int i = 0; i < n && std::size_t(i) < masks.size() && masks[std::size_t(i)] != 0; ++i) {
        if (i < 8 && parityOfBits(bits & masks[std::size_t(i)]))
            result |= uint8_t(1u << i);
    }
    return result;
}

} // namespace CheckCodes
