/* Bit variables, bit-addressable bytes, SFR bits, rotates, and data of every memory class. */
#include <string.h>

#include "report.h"

__bit flag_a, flag_b, flag_c;
__data __at(0x20) unsigned char bit_byte;
__sbit __at(0x02) bit_byte_2;
__idata unsigned char upper[40]; /* placed above 0x7F when the lower half is full */
__xdata unsigned char external[300];
__pdata unsigned char paged[16];
__code const unsigned char table[] = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8, 9, 7, 9};

static void bits(void) {
  unsigned char i, result = 0;
  for (i = 0; i < 40; ++i) {
    flag_a = i & 1;
    flag_b = (i & 6) == 2;
    flag_c = flag_a ^ flag_b;
    bit_byte = i;
    bit_byte_2 = !bit_byte_2;
    result = (result << 1 | result >> 7) ^ bit_byte ^ (flag_c ? 0x5A : 0xA5);
    P1_3 = flag_c;
    result ^= P1;
  }
  print("bits ");
  print_hex8(result);
  putchar(' ');
  print_hex8(P1);
  putchar('\n');
}

static void memories(void) {
  unsigned int i, sum = 0;
  __idata unsigned char *ip;
  for (i = 0; i < sizeof upper; ++i) upper[i] = (unsigned char)(i * 7);
  for (i = 0; i < sizeof external; ++i) external[i] = (unsigned char)(i ^ 0x55);
  for (i = 0; i < sizeof paged; ++i) paged[i] = (unsigned char)(i * 13);
  memcpy(external + 100, table, sizeof table);
  for (ip = upper; ip < upper + sizeof upper; ++ip) sum += *ip;
  for (i = 0; i < sizeof external; ++i) sum = (sum << 1 | sum >> 15) ^ external[i];
  for (i = 0; i < sizeof paged; ++i) sum += paged[i];
  for (i = 0; i < sizeof table; ++i) sum += table[i] * i;
  print("mem ");
  print_hex16(sum);
  putchar(' ');
  print_hex8((unsigned char)(unsigned int)upper);
  putchar('\n');
}

static unsigned int fib(unsigned char n) __reentrant {
  return n < 2 ? n : fib(n - 1) + fib(n - 2);
}

static unsigned long factorial(unsigned char n) __reentrant {
  return n ? n * factorial(n - 1) : 1;
}

void main(void) {
  report_init();
  bits();
  memories();
  print("fib ");
  print_dec(fib(15));
  print(" fact ");
  print_dec((long)factorial(12));
  putchar('\n');
  report_end();
}
