; Walks every opcode family of the 8051 over many operands and prints, per family, a 16-bit
; checksum of A and PSW (the parity flag included) after each instruction. A differing line
; names the family whose results differ from the reference simulator's.
        .module opcodes
        .area   CSEG (ABS,CODE)

sumh    = 0x30                  ; the running checksum, high and low byte
suml    = 0x31
savea   = 0x32
savepsw = 0x33
scratch = 0x34
ramp    = 0x3A                  ; bytes 0x3A.. hold values for the direct and indirect forms

        .org    0x4000
        ljmp    start

        .org    0x4100
start:  mov     sp,#0xC0        ; the stack in the upper 128 bytes, reached only indirectly
        mov     scon,#0x50
        mov     tmod,#0x20
        mov     th1,#0xFF
        mov     tl1,#0xFF
        orl     pcon,#0x80
        setb    tr1
        acall   arith
        acall   decimal
        acall   muldiv
        acall   compare
        acall   rotates
        acall   incdec
        acall   logic
        acall   bits
        acall   moves
        acall   jumps
        mov     dptr,#done
        lcall   print
        mov     dptr,#0xFFFF    ; the recording simulator stops on this write
        movx    @dptr,a
halt:   sjmp    halt

; ---- checksum: sum = (sum rotated left by one) + A*256 + PSW, the flags as the instruction left them
mix:    mov     savea,a
        mov     savepsw,psw
        mov     a,suml
        rlc     a               ; the carry in comes from the tested instruction: mixed in too
        mov     suml,a
        mov     a,sumh
        rlc     a
        mov     sumh,a
        mov     a,suml
        add     a,savepsw
        mov     suml,a
        mov     a,sumh
        addc    a,savea
        mov     sumh,a
        mov     a,savea
        mov     psw,savepsw
        ret

; prints the letter in A, a blank, the checksum in hex and a newline; clears the checksum
report: acall   putc
        mov     a,#' '
        acall   putc
        mov     a,sumh
        acall   puthex
        mov     a,suml
        acall   puthex
        mov     a,#10
        acall   putc
        mov     sumh,#0
        mov     suml,#0
        ret

puthex: push    acc
        swap    a
        acall   nibble
        pop     acc
nibble: anl     a,#0x0F
        add     a,#0xF6
        jnc     digit
        add     a,#7
digit:  add     a,#0x3A
putc:   mov     sbuf,a
        jnb     ti,.
        clr     ti
        ret

print:  clr     a
        movc    a,@a+dptr
        jz      printed
        acall   putc
        inc     dptr
        sjmp    print
printed: ret

done:   .ascii  "END"
        .db     10, 0

; ---- ADD, ADDC, SUBB with every addressing form; R2 the operand, R3 the accumulator
arith:  mov     r2,#0
arith1: mov     r3,#0
        mov     ramp,r2
        mov     r0,#ramp
arith2: mov     a,r3
        clr     c
        add     a,r2
        acall   mix
        mov     a,r3
        setb    c
        addc    a,ramp
        acall   mix
        mov     a,r3
        clr     c
        addc    a,@r0
        acall   mix
        mov     a,r3
        setb    c
        subb    a,r2
        acall   mix
        mov     a,r3
        clr     c
        subb    a,@r0
        acall   mix
        mov     a,r3
        subb    a,#0x5A
        acall   mix
        mov     a,r3
        add     a,#0xA5
        acall   mix
        mov     a,r3
        add     a,#5
        mov     r3,a
        jnc     arith2          ; A walks 0, 5, 10, ... until it wraps
        inc     r2
        cjne    r2,#0,arith1
        mov     a,#'A'
        ajmp    report

; ---- DA A after every A with every AC and CY
decimal: mov    r3,#0
decim1: mov     r4,#0
decim2: mov     a,r4
        rr      a
        rr      a
        mov     psw,a           ; r4 0..3 gives CY and AC (bits 7, 6)
        mov     a,r3
        da      a
        acall   mix
        inc     r4
        cjne    r4,#4,decim2
        inc     r3
        cjne    r3,#0,decim1
        ; BCD addition as programs use it
        mov     r3,#0x99
decim3: mov     a,r3
        add     a,#0x01
        da      a
        acall   mix
        mov     a,r3
        addc    a,#0x58
        da      a
        acall   mix
        djnz    r3,decim3
        mov     a,#'D'
        ajmp    report

; ---- MUL AB and DIV AB, divisor 0 included
muldiv: mov     r3,#0
muldv1: mov     r2,#0
muldv2: mov     a,r3
        mov     b,r2
        mul     ab
        acall   mix
        mov     a,b
        acall   mix
        mov     a,r3
        mov     b,r2
        div     ab
        acall   mix
        mov     a,b
        acall   mix
        mov     a,r2
        add     a,#13
        mov     r2,a
        jnc     muldv2
        inc     r3
        cjne    r3,#0,muldv1
        mov     a,#'M'
        ajmp    report

; ---- CJNE in its four forms; the carry says which was smaller
compare: mov    r3,#0
comp1:  mov     ramp,r3
        mov     r1,#ramp
        mov     a,r3
        cjne    a,#0x80,comp2
comp2:  acall   mix
        cjne    a,0x40,comp3    ; 0x40: whatever the last family left there
comp3:  acall   mix
        mov     a,r3
        cjne    @r1,#0x33,comp4
comp4:  acall   mix
        cjne    r3,#0xC0,comp5
        mov     a,#0xEE         ; only when equal
comp5:  acall   mix
        mov     0x40,r3
        inc     r3
        cjne    r3,#0,comp1
        mov     a,#'C'
        ajmp    report

; ---- rotates, SWAP, CPL, CLR, with both carries
rotates: mov    r3,#0
rot1:   mov     a,r3
        clr     c
        rlc     a
        acall   mix
        setb    c
        rrc     a
        acall   mix
        rl      a
        acall   mix
        rr      a
        rr      a
        acall   mix
        swap    a
        acall   mix
        cpl     a
        acall   mix
        cpl     c
        acall   mix
        clr     a
        acall   mix
        inc     r3
        cjne    r3,#0,rot1
        mov     a,#'R'
        ajmp    report

; ---- INC and DEC in every form, INC DPTR over the byte boundary, DJNZ
incdec: mov     r3,#0
        mov     r1,#ramp
incd1:  mov     a,r3
        inc     a
        acall   mix
        dec     a
        dec     a
        acall   mix
        mov     ramp,r3
        inc     ramp
        inc     @r1
        mov     a,@r1
        acall   mix
        dec     @r1
        dec     ramp
        dec     ramp
        mov     a,ramp
        acall   mix
        mov     r5,a
        inc     r5
        dec     r5
        dec     r5
        mov     a,r5
        acall   mix
        inc     r3
        cjne    r3,#0,incd1
        mov     dptr,#0x00FE
        mov     r3,#4
incd2:  inc     dptr
        mov     a,dpl
        acall   mix
        mov     a,dph
        acall   mix
        djnz    r3,incd2
        mov     dptr,#0xFFFF
        inc     dptr
        mov     a,dph
        orl     a,dpl
        acall   mix
        mov     ramp,#3
incd3:  mov     a,ramp
        acall   mix
        djnz    ramp,incd3
        mov     a,#'I'
        ajmp    report

; ---- ANL, ORL, XRL in every form
logic:  mov     r3,#0
        mov     r0,#ramp
logic1: mov     ramp,r3
        mov     r6,#0x3C
        mov     a,r3
        anl     a,#0xA5
        acall   mix
        orl     a,r6
        acall   mix
        xrl     a,@r0
        acall   mix
        anl     a,ramp
        acall   mix
        mov     a,r3
        orl     a,#0x11
        xrl     a,r6
        anl     a,r6
        orl     a,@r0
        acall   mix
        xrl     ramp,a
        anl     ramp,#0x77
        orl     ramp,#0x08
        xrl     ramp,#0xFF
        mov     a,r3
        orl     ramp,a
        anl     ramp,a
        mov     a,ramp
        acall   mix
        mov     a,r3
        add     a,#3
        mov     r3,a
        jnc     logic1
        mov     a,#'L'
        ajmp    report

; ---- bit operations on internal RAM bits and SFR bits
bits:   mov     r3,#0
bits1:  mov     0x20,r3
        mov     b,r3
        setb    0x01
        clr     0x06
        cpl     0x07
        cpl     0xF3            ; B.3
        mov     c,0x02
        anl     c,0x05
        orl     c,/0x04
        mov     0xF0,c          ; B.0
        mov     c,0xF7
        anl     c,/0x03
        orl     c,0x00
        cpl     c
        mov     0x07,c
        mov     a,0x20
        acall   mix
        mov     a,b
        acall   mix
        jbc     0x01,bits2      ; always set above: taken and cleared
        mov     a,#0x99
        acall   mix
bits2:  mov     a,0x20
        acall   mix
        jb      0xF2,bits3
        cpl     a
bits3:  jnb     0x05,bits4
        swap    a
bits4:  jc      bits5
        rl      a
bits5:  jnc     bits6
        rr      a
bits6:  acall   mix
        jbc     0xF1,bits7
        inc     a
bits7:  mov     c,acc.3         ; a bit of ACC: the parity bit follows its changes
        mov     acc.5,c
        cpl     acc.0
        mov     c,psw.0
        acall   mix
        inc     r3
        cjne    r3,#0,bits1
        mov     a,#'B'
        ajmp    report

; ---- data moves: every MOV form, XCH, XCHD, PUSH, POP, upper RAM, register banks, MOVX, MOVC
moves:  mov     r3,#0
moves1: mov     r0,#0x90        ; upper RAM: indirect only
        mov     a,r3
        mov     @r0,a
        inc     r0
        mov     @r0,#0x5A
        mov     0x41,@r0
        dec     r0
        mov     a,@r0
        xch     a,0x41
        acall   mix
        xch     a,@r0
        acall   mix
        mov     r7,a
        xch     a,r7
        xchd    a,@r0
        acall   mix
        mov     0x42,0x41
        mov     0x43,#0x77
        mov     r4,0x42
        mov     r1,#0x43
        mov     0x44,r4
        mov     0x45,r1
        mov     a,@r1
        add     a,0x44
        add     a,0x45
        acall   mix
        push    acc
        push    0x43
        mov     a,sp
        acall   mix
        pop     0x46
        pop     b
        mov     a,b
        add     a,0x46
        acall   mix
        mov     psw,#0x18       ; bank 3: R0 is 0x18
        mov     r0,a
        mov     psw,#0x00
        mov     a,0x18
        acall   mix
        mov     p2,#0x81        ; MOVX @Ri: P2 gives the high byte
        mov     r1,#0x23
        mov     a,r3
        movx    @r1,a
        mov     dptr,#0x8123
        movx    a,@dptr
        xrl     a,#0x3C
        movx    @dptr,a
        mov     r0,#0x23
        movx    a,@r0
        acall   mix
        mov     a,r3
        anl     a,#0x0F
        mov     dptr,#table
        movc    a,@a+dptr
        acall   mix
        mov     a,r3
        anl     a,#0x03
        add     a,#1
        movc    a,@a+pc
        sjmp    moves2
        .db     0x11, 0x22, 0x33, 0x44
moves2: acall   mix
        inc     r3
        cjne    r3,#0,moves1
        mov     a,#'V'
        ajmp    report

table:  .db     0, 1, 1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 0x79, 0x62

; ---- JMP @A+DPTR, JZ, JNZ, SJMP backwards, LJMP, LCALL, AJMP, ACALL, RET
jumps:  mov     r3,#0
jump1:  mov     a,r3
        anl     a,#0x03
        rl      a
        mov     dptr,#jtable
        jmp     @a+dptr
jtable: sjmp    j0
        sjmp    j1
        sjmp    j2
        sjmp    j3
j0:     mov     a,#0x10
        sjmp    jnext
j1:     lcall   sub1
        sjmp    jnext
j2:     ljmp    far2
j3:     mov     a,r3
        jz      jnext
        jnz     j3a
        mov     a,#0xFF
j3a:    mov     a,#0x40
jnext:  acall   mix
        inc     r3
        cjne    r3,#0,jump1
        mov     a,#'J'
        ajmp    report
sub1:   mov     a,#0x20
        ret

        .org    0x5F00
far2:   mov     a,#0x30
        ljmp    jnext
