/* The program the adapter's end-to-end tests debug. The tests find their lines by the markers
   in the comments (@name), never by number. */
#include <8052.h>

struct point {
  int x;
  int y;
};

__xdata __at(0x8000) volatile unsigned char mailbox; /* a data breakpoint's byte */
volatile unsigned int ticks;                          /* counted by the timer 0 interrupt */
struct point corner = {3, -4};
unsigned char table[4] = {10, 20, 30, 40};
unsigned int rounds;
unsigned long total;

/* The monitor leaves TI set: wait first, then send. */
int putchar(int c) {
  while (!TI) {
  }
  TI = 0;
  SBUF = c;
  return c;
}

static void print(const char *s) {
  while (*s) putchar(*s++);
}

void timer0_isr(void) __interrupt(1) {
  ++ticks; /* @isr */
}

int scale(int value, unsigned char factor) {
  int result; /* @scale-declaration */
  result = value * factor; /* @scale-first */
  corner.x = result;
  return result; /* @scale-return */
}

void main(void) {
  unsigned char step;
  int scaled;
  print("hello, debugger\n"); /* @main-first */
  P1 = 0xA5;
  TMOD = (TMOD & 0xF0) | 0x01;
  ET0 = 1;
  EA = 1;
  TR0 = 1;
  for (rounds = 0; rounds < 8; ++rounds) {
    total += table[rounds & 3]; /* @loop */
  }
  scaled = scale(7, 6); /* @call */
  mailbox = (unsigned char)scaled; /* @mailbox */
  step = mailbox;
  P1 = step;
  for (;;) { /* @forever */
    ++rounds; /* @spin */
  }
}
