; wave1: square waves on every pin of port 1. P1 alternates between 0x55 and 0xAA, so each
; pin changes every half period and neighbouring pins are always opposite (a short between two
; pins shows). About 1 kHz at 11.0592 MHz: 461 machine cycles per half period.
        .module wave1
        .area   CSEG (ABS,CODE)

        .org    0x4000
start:  mov     a,#0x55
wave:   mov     p1,a            ; 1 cycle
        cpl     a               ; 1
        mov     r7,#228         ; 1
half:   djnz    r7,half         ; 2 x 228
        sjmp    wave            ; 2: 461 in all
