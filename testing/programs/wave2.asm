; wave2: square waves on every pin of the PPI's ports A, B and C, all set as outputs (mode 0).
; Each port alternates between 0x55 and 0xAA, about 1 kHz at 11.0592 MHz.
        .module wave2
        .area   CSEG (ABS,CODE)

ppi_a   = 0x2000                ; port A; B, C and the control word follow
ppi_ctl = 0x2003

        .org    0x4000
start:  mov     dptr,#ppi_ctl
        mov     a,#0x80         ; mode set: mode 0, ports A, B and C all outputs
        movx    @dptr,a
        mov     a,#0x55
wave:   mov     dptr,#ppi_a     ; 2 cycles
        movx    @dptr,a         ; 2
        inc     dptr            ; 2
        movx    @dptr,a         ; 2   port B
        inc     dptr            ; 2
        movx    @dptr,a         ; 2   port C
        cpl     a               ; 1
        mov     r7,#222         ; 1
half:   djnz    r7,half         ; 2 x 222
        sjmp    wave            ; 2: 461 in all
