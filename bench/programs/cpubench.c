/* A long-running program for the CPU benchmark: a sieve, a CRC over external data and 32-bit
   arithmetic, repeated; prints a checksum and ends in a loop (after a write to xdata 0xFFFF,
   where the reference simulator is stopped). Built by bench/programs/build. */
#include <8052.h>

#define PRIMES_TO 2000

__xdata unsigned char sieve[PRIMES_TO];
__xdata __at(0xFFFF) volatile unsigned char bench_done;

int putchar(int c) {
  SBUF = c;
  while (!TI) {
  }
  TI = 0;
  return c;
}

static unsigned int count_primes(void) {
  unsigned int i, j, count = 0;
  for (i = 0; i < PRIMES_TO; ++i) sieve[i] = 1;
  for (i = 2; i < PRIMES_TO; ++i) {
    if (!sieve[i]) continue;
    ++count;
    for (j = i + i; j < PRIMES_TO; j += i) sieve[j] = 0;
  }
  return count;
}

static unsigned int crc16(void) {
  unsigned int crc = 0xFFFF, i;
  unsigned char bit;
  for (i = 0; i < PRIMES_TO; ++i) {
    crc ^= sieve[i] ^ (unsigned char)i;
    for (bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

static unsigned long arithmetic(void) {
  unsigned long x = 1, sum = 0;
  unsigned int i;
  for (i = 1; i < 400; ++i) {
    x = x * 1664525UL + 1013904223UL;
    sum += x / i + x % (i + 7);
  }
  return sum;
}

static void print_hex(unsigned long v) {
  static const char digits[] = "0123456789ABCDEF";
  signed char shift;
  for (shift = 28; shift >= 0; shift -= 4) putchar(digits[(v >> shift) & 15]);
  putchar('\n');
}

void main(void) {
  unsigned long check = 0;
  unsigned char round;
  SCON = 0x50;
  TMOD = 0x20;
  TH1 = 0xFF;
  PCON |= 0x80;
  TR1 = 1;
  for (round = 0; round < 8; ++round) {
    check += count_primes();
    check = check * 31 + crc16();
    check ^= arithmetic();
  }
  print_hex(check);
  bench_done = 1;
  while (1) {
  }
}
