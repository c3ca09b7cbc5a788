; The assembly program of the adapter's end-to-end tests: counts on the LEDs of P1 through a
; subroutine. The tests find their lines by the markers in the comments (@name).
        .module counter
        .area   CSEG (ABS,CODE)
        .org    0x4000
start:
        mov     sp,#0x60
        mov     r7,#0
loop:
        inc     r7              ; @asm-loop
        mov     a,r7
        cpl     a
        mov     P1,a
        lcall   pause           ; @asm-call
        sjmp    loop
pause:
        mov     r6,#10          ; @asm-pause
wait:
        djnz    r6,wait
        ret                     ; @asm-return
