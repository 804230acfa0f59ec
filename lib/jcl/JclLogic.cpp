#include "lib/jcl/JclLogic.h"

Byte BitSetInByte(Byte Value, Byte Bit) { return static_cast<Byte>(Value | (1u << (Bit & 7))); }

bool BitTestInByte(Byte Value, Byte Bit) { return (Value & (1u << (Bit & 7))) != 0; }

void BitSetInBuffer(void* Buffer, Byte N) {
  Byte* bytes = static_cast<Byte*>(Buffer);
  bytes[N / 8] = BitSetInByte(bytes[N / 8], N % 8);
}

bool BitTestInBuffer(const void* Buffer, Byte N) {
  const Byte* bytes = static_cast<const Byte*>(Buffer);
  return BitTestInByte(bytes[N / 8], N % 8);
}
