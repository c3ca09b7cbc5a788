/* Integer arithmetic of every width through the compiler's helpers: ADD/ADDC/SUBB chains,
   MUL AB, DIV AB, shifts, signed and unsigned comparison, overflowing sums. */
#include "report.h"

static unsigned long lcg = 12345;

static unsigned long next_random(void) {
  lcg = lcg * 1103515245UL + 12345UL;
  return lcg;
}

static void signed_chars(void) {
  signed char a, b;
  unsigned int sum = 0;
  int i, j;
  for (i = -128; i < 128; i += 7) {
    for (j = -128; j < 128; j += 11) {
      a = (signed char)i;
      b = (signed char)j;
      sum += (unsigned char)(a + b) ^ (unsigned char)(a - b) * 3;
      sum += (a < b) + ((a > b) << 1);
      if (b != 0) sum += (unsigned char)(a / b) + (unsigned char)(a % b);
      sum += (unsigned int)(a * b);
    }
  }
  print("s8 ");
  print_hex16(sum);
  putchar('\n');
}

static void unsigned_words(void) {
  unsigned int a, b, sum = 0;
  int i;
  for (i = 0; i < 300; ++i) {
    a = (unsigned int)next_random();
    b = (unsigned int)(next_random() >> 7);
    sum += a + b;
    sum ^= a - b;
    sum += a * b;
    if (b) sum += a / b + a % b;
    sum += (a >> (i & 15)) ^ (b << (i & 7));
    sum += a < b;
  }
  print("u16 ");
  print_hex16(sum);
  putchar('\n');
}

static void signed_longs(void) {
  long a, b;
  unsigned long sum = 0;
  int i;
  for (i = 0; i < 120; ++i) {
    a = (long)next_random();
    b = (long)(next_random() >> (i & 31)) - 1000;
    sum += (unsigned long)(a + b);
    sum ^= (unsigned long)(a - b);
    sum += (unsigned long)(a * b);
    if (b) sum += (unsigned long)(a / b) + (unsigned long)(a % b);
    sum += (a < b) ? 0x1000 : 0x10;
  }
  print("s32 ");
  print_hex32(sum);
  putchar('\n');
  print("dec ");
  print_dec(-123456789L);
  putchar(' ');
  print_dec(2147483647L);
  putchar('\n');
}

void main(void) {
  report_init();
  signed_chars();
  unsigned_words();
  signed_longs();
  report_end();
}
