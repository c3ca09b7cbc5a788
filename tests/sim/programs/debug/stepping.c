/* A program for the debugger's tests: globals of each kind, a routine called in a loop, an
   interrupt routine on timer 0, and output on the serial port. */
#include <8052.h>

struct point {
  int x;
  unsigned char y;
};

__xdata unsigned char xcount;
unsigned int total;
long big = -100000;
signed char neg = -5;
char letter = 'A';
unsigned char table[4] = {1, 2, 3, 4};
struct point where;
__xdata unsigned char *xp;
volatile unsigned char ticks;
__bit flag;
static unsigned char counted;

static void count(unsigned char by) {
  counted += by;
}

void timer0_isr(void) __interrupt(1) {
  ticks++;
}

int putchar(int c) {
  while (!TI) {
  }
  TI = 0;
  SBUF = c;
  return c;
}

unsigned int add(unsigned int a, unsigned int b) {
  unsigned int sum;
  sum = a + b;
  return sum;
}

void main(void) {
  unsigned char i;
  unsigned int acc = 0;

  TMOD = (TMOD & 0xF0) | 0x02;
  TH0 = 0;
  TR0 = 1;
  ET0 = 1;
  EA = 1;
  for (i = 0; i < 4; i++) {
    acc = add(acc, table[i]);
    xcount++;
  }
  total = acc;
  where.x = -3;
  where.y = 7;
  xp = &xcount;
  flag = 1;
  count(5);
  putchar('o');
  putchar('k');
  for (;;) {
  }
}
