// Built with --stack-auto: a parameter after the first lives on the stack, below the frame
// pointer each call sets, so every frame of the recursion has its own k.
#include <8051.h>

int product;

int depth(int n, int k) {
  int here = n * k;
  if (n == 0) {
    return here;  // deepest
  }
  return depth(n - 1, k + 1) + here;
}

void main(void) {
  for (;;) {
    product = depth(3, 7);  // 3 * 7 + 2 * 8 + 1 * 9 + 0 * 10
    P1 = product;
  }
}
