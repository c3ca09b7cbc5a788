/* Interrupts: timer 0 in modes 1 and 2, timer 2 in auto-reload, external interrupt 0 raised by
   software, two priority levels with a high-priority interrupt nesting in a low one, and the
   idle mode that an interrupt ends. */
#include "report.h"

volatile unsigned int t0_ticks, t2_ticks, ex0_count, nested;
volatile unsigned char in_low;

void timer0_isr(void) __interrupt(1) {
  ++t0_ticks;
  if (in_low) ++nested;
}

void ex0_isr(void) __interrupt(0) {
  unsigned int start = t0_ticks;
  ++ex0_count;
  in_low = 1;
  while (t0_ticks - start < 3) {
  } /* a high-priority timer 0 interrupt must get through */
  in_low = 0;
}

void timer2_isr(void) __interrupt(5) {
  TF2 = 0;
  ++t2_ticks;
}

static void timer0_mode(unsigned char mode, unsigned char reload) {
  TR0 = 0;
  TMOD = (TMOD & 0xF0) | mode;
  TH0 = reload;
  TL0 = reload;
  t0_ticks = 0;
  TR0 = 1;
}

void main(void) {
  unsigned int i;
  report_init();
  IP = 0x02; /* timer 0 high */
  ET0 = 1;
  EX0 = 1;
  ET2 = 1;
  EA = 1;

  timer0_mode(2, 0x38);
  for (i = 0; i < 2000; ++i) {
  }
  TR0 = 0;
  print("t0m2 ");
  print_dec(t0_ticks);
  putchar('\n');

  timer0_mode(1, 0xF0);
  while (t0_ticks < 5) {
    PCON |= 0x01; /* idle until the next interrupt */
  }
  TR0 = 0;
  print("t0m1 ");
  print_dec(t0_ticks);
  putchar('\n');

  timer0_mode(2, 0x00);
  IE0 = 1;
  while (ex0_count == 0) {
  }
  TR0 = 0;
  print("ex0 ");
  print_dec(ex0_count);
  print(" nested ");
  print_dec(nested);
  putchar('\n');

  RCAP2H = 0xFC;
  RCAP2L = 0x00;
  TH2 = 0xFC;
  TL2 = 0x00;
  TR2 = 1;
  while (t2_ticks < 10) {
  }
  TR2 = 0;
  print("t2 ");
  print_dec(t2_ticks);
  print(" ");
  print_hex8(TH2);
  putchar('\n');
  EA = 0;
  report_end();
}
