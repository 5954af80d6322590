#ifndef CHECKCODES_H
#define CHECKCODES_H

#include <cstdint>
#include <vector>

// Free routines that protect device words: a Hamming code over one 32-bit word, even-parity
// bits, a parity-matrix product and bitwise CRC-8 / CRC-16. A Hamming code word of n positions
// (1 <= n <= 32) keeps position j in bit j-1; the parity positions are the powers of two below
// n. Position and bit counts above 32 are treated as 32; no routine keeps state between calls.
namespace CheckCodes
{

// Even parity of parity position 2^k over the positions it covers; 0 when n < 2^k.
int hammingParity(uint32_t word, int n, int k);
// Number of parity positions below n.
int hammingPositions(int n);
// The n-position code word holding the data bits (bit 0 first) at the data positions.
uint32_t hammingEncode(uint32_t data, int n);
// True when x AND -x equals x (so also for 0).
bool isPowerOfTwo(int32_t x);
// 1 when every parity bit agrees with the positions it covers, else 0.
int hammingCheck(uint32_t word, int n);
// Gathers the data bits into data (always) and returns hammingCheck.
int hammingDecode(uint32_t word, uint32_t &data, int n);
// Inverts the one erroneous position; false (corrected untouched) when it lies beyond n.
bool hammingCorrect(uint32_t word, uint32_t &corrected, int n);
// 1 when the parity-position bits below n plus bit n hold an even number of ones.
int hammingParityBitsEven(uint32_t word, int n);
// The word with the even parity of bits 0..n-1 ORed into bit n (unchanged for n outside 1..31).
uint32_t appendEvenParity(uint32_t word, int n);

// Bitwise CRC-8 without reflection or final XOR. Mode 1: most significant bit first (polynomial
// such as 0x07); mode 0: least significant bit first (reflected polynomial such as 0x8C). A
// length below 1 or another mode returns the initial value.
uint8_t crc8(uint8_t initial, uint32_t polynomial, const uint8_t *bytes, int length, int mode);
// Bitwise CRC-16 over 16-bit words: most significant bit first, initial 0, no final XOR.
uint16_t crc16(uint16_t polynomial, const uint16_t *words, int count);
// Bit i of the result is the parity of (word AND masks[i]) over bits 0..n-1, for the rows
// i < n before the first zero mask; rows from the ninth on add nothing.
uint8_t parityMatrix(uint32_t word, const std::vector<uint32_t> &masks, int n);

} // namespace CheckCodes

#endif // CHECKCODES_H
