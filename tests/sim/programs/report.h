/* Serial output for the differential programs: each program prints its results, then ends in a
   jump to itself. Before that it writes to xdata 0xFFFF, where the recording simulator has a
   breakpoint (the core stops at the loop by itself). */
#ifndef REPORT_H
#define REPORT_H

#include <8052.h>

__xdata __at(0xFFFF) volatile unsigned char report_done;

int putchar(int c) {
  SBUF = c;
  while (!TI) {
  }
  TI = 0;
  return c;
}

static void report_init(void) {
  SCON = 0x50; /* mode 1, receiver on, TI clear */
  TMOD = (TMOD & 0x0F) | 0x20;
  TH1 = 0xFF; /* 57600 with SMOD */
  TL1 = 0xFF;
  PCON |= 0x80;
  TR1 = 1;
}

static void print(const char *s) {
  while (*s) putchar(*s++);
}

static void print_hex8(unsigned char v) {
  static const char digits[] = "0123456789ABCDEF";
  putchar(digits[v >> 4]);
  putchar(digits[v & 15]);
}

static void print_hex16(unsigned int v) {
  print_hex8(v >> 8);
  print_hex8(v & 0xFF);
}

static void print_hex32(unsigned long v) {
  print_hex16(v >> 16);
  print_hex16(v & 0xFFFF);
}

static void print_dec(long v) {
  char buffer[12];
  char n = 0;
  unsigned long u = v < 0 ? -v : v;
  if (v < 0) putchar('-');
  do {
    buffer[n++] = '0' + (char)(u % 10);
    u /= 10;
  } while (u);
  while (n) putchar(buffer[--n]);
}

static void report_end(void) {
  print("END\n");
  report_done = 1;
  while (1) {
  }
}

#endif
