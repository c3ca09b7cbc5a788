/* The debugger window's test program: a routine called in a loop, its result on P1 and in a
   global, and a delay between rounds. */
#include <8052.h>

unsigned int total;

unsigned char bump(unsigned char step) {
  unsigned char next;
  next = step + 1;
  total += next;
  return next;
}

void pause(unsigned char n) {
  while (n) {
    n--;
  }
}

void main(void) {
  unsigned char step = 0;
  for (;;) {
    step = bump(step);
    P1 = step;
    pause(200);
  }
}
