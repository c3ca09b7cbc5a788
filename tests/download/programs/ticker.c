/* A program for the end-to-end test of a download that runs: it uses the serial port as the
   board's monitor leaves it (rate set, TI set) and sends "tick N" every 20 ms, timed by the
   timer 0 interrupt, for ever. Built by tests/download/programs/build. */
#include <8052.h>

volatile unsigned char ticks;

void timer0_isr(void) __interrupt(1) {
  TH0 = 0xB8; /* 0x10000 - 0xB800 = 18432 machine cycles: 20 ms at 11.0592 MHz */
  TL0 = 0x00;
  ++ticks;
}

int putchar(int c) {
  while (!TI) {
  }
  TI = 0;
  SBUF = c;
  return c;
}

static void print_number(unsigned int n) {
  char digits[6];
  unsigned char count = 0;
  do {
    digits[count++] = '0' + n % 10;
    n /= 10;
  } while (n);
  while (count) putchar(digits[--count]);
}

void main(void) {
  unsigned int n = 0;
  TMOD = (TMOD & 0xF0) | 0x01;
  TH0 = 0xB8;
  TL0 = 0x00;
  ET0 = 1;
  EA = 1;
  TR0 = 1;
  for (;;) {
    while (ticks == 0) {
    }
    ticks = 0;
    putchar('t');
    putchar('i');
    putchar('c');
    putchar('k');
    putchar(' ');
    print_number(n++);
    putchar('\r');
    putchar('\n');
  }
}
