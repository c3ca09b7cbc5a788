; echo: sends back every byte it receives, at once. The serial port is used as the monitor left
; it (mode 1, receiver on, the rate of the download).
        .module echo
        .area   CSEG (ABS,CODE)

        .org    0x4000
start:  setb    ti              ; nothing of ours is being sent
next:   jnb     ri,next         ; wait for a byte
        mov     a,sbuf
        clr     ri
send:   jnb     ti,send         ; the previous byte has gone out
        clr     ti
        mov     sbuf,a
        sjmp    next
