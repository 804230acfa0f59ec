#pragma once
// Bit operations on bytes and byte buffers.

#include "platform/rtl/System.h"

// The byte with bit Bit (0 = least significant .. 7) set.
Byte BitSetInByte(Byte Value, Byte Bit);
bool BitTestInByte(Byte Value, Byte Bit);

// Bit N of a buffer: bit N mod 8 (least significant first) of byte N div 8. N is 8-bit, so
// these address the first 32 bytes (256 bits) of a buffer, which is what a set of up to
// 256 members occupies.
void BitSetInBuffer(void* Buffer, Byte N);
bool BitTestInBuffer(const void* Buffer, Byte N);
