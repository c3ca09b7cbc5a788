; dispmsg: initialises the LCD (HD44780, 8-bit bus, two lines) and shows a line of symbols and a
; line of text. The LCD is at external data 0x3000: write an instruction at 0x3000, data at
; 0x3001, read the busy flag at 0x3002.
        .module dispmsg
        .area   CSEG (ABS,CODE)

lcd_cmd  = 0x3000
lcd_data = 0x3001
lcd_stat = 0x3002

        .org    0x4000
start:  mov     r7,#20          ; more than 15 ms after power-on before the first instruction
        acall   delay
        ; Function set three times, with the waits the controller needs while its busy flag
        ; cannot be read yet.
        mov     a,#0x38
        acall   command_nowait
        mov     r7,#5
        acall   delay
        mov     a,#0x38
        acall   command_nowait
        mov     r7,#1
        acall   delay
        mov     a,#0x38
        acall   command_nowait
        mov     r7,#1
        acall   delay
        ; From here on the busy flag tells when the LCD is ready.
        mov     a,#0x38         ; 8-bit bus, two lines, 5x8 dots
        acall   command
        mov     a,#0x08         ; display off
        acall   command
        mov     a,#0x01         ; clear
        acall   command
        mov     a,#0x06         ; move right after each character, no display shift
        acall   command
        mov     a,#0x0C         ; display on, no cursor
        acall   command
        mov     a,#0x80         ; line 1
        acall   command
        mov     dptr,#symbols
        acall   text
        mov     a,#0xC0         ; line 2
        acall   command
        mov     dptr,#message
        acall   text
        sjmp    .               ; done

; writes the zero-ended text at DPTR
text:   clr     a
        movc    a,@a+dptr
        jz      text_end
        acall   data
        inc     dptr
        sjmp    text
text_end: ret

        .include "lcd.inc"

; waits R7 milliseconds (921.6 machine cycles each)
delay:  mov     r6,#2
delay1: mov     r5,#229
delay2: djnz    r5,delay2
        djnz    r6,delay1
        djnz    r7,delay
        ret

symbols: .ascii "*#$%&@<>=+?!^~[]"
        .db     0
message: .ascii "Orvane LCD test"
        .db     0
