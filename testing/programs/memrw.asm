; memrw: tests the 32 KB external RAM (0x8000-0xFFFF) in four quarters of 8 KB. Each quarter is
; filled with the values 0 to 255 (the low address byte plus the high one, so that every 256-byte
; page holds them in another order and a fault on a high address line shows), then read back
; and compared. After each quarter it sends 'L'; at the end 'S' when every byte read back right,
; 'F' otherwise. A quarter takes about 0.16 s at 11.0592 MHz.
        .module memrw
        .area   CSEG (ABS,CODE)

        .org    0x4000
start:  setb    ti              ; nothing of ours is being sent
        mov     r5,#0           ; becomes 1 at the first wrong byte
        mov     dptr,#0x8000
        mov     r4,#4           ; quarters
quarter: mov    r2,dph          ; where this quarter starts
        mov     r6,#32          ; 32 pages of 256 bytes
fill:   mov     a,dpl
        add     a,dph
        movx    @dptr,a
        inc     dptr
        mov     a,dpl
        jnz     fill
        djnz    r6,fill
        mov     dph,r2          ; back to the quarter's start (DPL is 0 again)
        mov     r6,#32
check:  movx    a,@dptr
        clr     c
        subb    a,dpl
        cjne    a,dph,wrong
checked: inc    dptr
        mov     a,dpl
        jnz     check
        djnz    r6,check
        mov     a,#'L'
        acall   send
        djnz    r4,quarter
        mov     a,#'S'
        cjne    r5,#0,failed
        sjmp    report
failed: mov     a,#'F'
report: acall   send
        sjmp    .               ; done

wrong:  mov     r5,#1
        sjmp    checked

send:   jnb     ti,send         ; the previous byte has gone out
        clr     ti
        mov     sbuf,a
        ret
