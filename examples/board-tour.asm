; board-tour: something for every part of the live board view to show. P1's LEDs count down in
; binary (a lit LED is a low pin) while P1.7 flickers too fast to see; PPI A's LEDs follow the
; switches on PPI B; the LCD greets with a custom character; each count goes out on the serial
; line. Holding the INT0 button (P3.2 low) makes the count run the other way.
; Assemble: sdas8051 -plosgff board-tour.rel board-tour.asm && sdld -n -i board-tour.ihx board-tour.rel
        .module board_tour
        .area   CSEG (ABS,CODE)

ppi_a    = 0x2000
ppi_b    = 0x2001
ppi_c    = 0x2002
ppi_ctl  = 0x2003
lcd_cmd  = 0x3000
lcd_data = 0x3001
lcd_stat = 0x3002
count    = 0x30

        .org    0x4000
start:  mov     sp,#0x60
        mov     dptr,#ppi_ctl
        mov     a,#0x83         ; mode 0: A and upper C out, B and lower C in
        movx    @dptr,a
        acall   lcd_init
        mov     count,#0
loop:   mov     a,count         ; P1.0-6: the count, lit where a bit is set
        cpl     a
        orl     a,#0x80
        mov     p1,a
        mov     dptr,#ppi_b     ; PPI A follows the switches on PPI B
        movx    a,@dptr
        mov     dptr,#ppi_a
        movx    @dptr,a
        mov     dptr,#ppi_c     ; upper C: the count's high nibble
        mov     a,count
        anl     a,#0xF0
        movx    @dptr,a
        acall   send_count
        acall   pause
        jnb     p3.2,down
        inc     count
        sjmp    loop
down:   dec     count
        sjmp    loop

; about 280 ms, flickering P1.7
pause:  mov     r5,#2
pause1: mov     r6,#255
pause2: mov     r7,#255
        cpl     p1.7
pause3: djnz    r7,pause3
        djnz    r6,pause2
        djnz    r5,pause1
        ret

; "count NN" and a line end on the serial port (the monitor left it ready, TI set)
send_count:
        mov     dptr,#label
        acall   send_text
        mov     a,count
        swap    a
        acall   send_hex
        mov     a,count
        acall   send_hex
        mov     a,#13
        acall   send
        mov     a,#10
        sjmp    send
send_hex:
        anl     a,#0x0F
        add     a,#0x90         ; the classic nibble to ASCII
        da      a
        addc    a,#0x40
        da      a
send:   jnb     ti,send
        clr     ti
        mov     sbuf,a
        ret
send_text:
        clr     a
        movc    a,@a+dptr
        jz      sent
        acall   send
        inc     dptr
        sjmp    send_text
sent:   ret

lcd_init:
        mov     a,#0x38         ; 8-bit bus, two lines
        acall   command
        mov     a,#0x40         ; character 0: a heart
        acall   command
        mov     dptr,#heart
        acall   lcd_text
        mov     a,#0x01         ; clear
        acall   command
        mov     a,#0x0C         ; display on, no cursor
        acall   command
        mov     a,#0x80
        acall   command
        mov     dptr,#greeting
        acall   lcd_text
        mov     a,#0xC0
        acall   command
        mov     dptr,#second
        acall   lcd_text
        mov     a,#0xC0 + 15    ; the heart, written last, at the end of line 2
        acall   command
        clr     a
        sjmp    data

; the text at DPTR up to its 0xFF end (0 is the heart's code)
lcd_text:
        clr     a
        movc    a,@a+dptr
        cjne    a,#0xFF,lcd_char
        ret
lcd_char:
        acall   data
        inc     dptr
        sjmp    lcd_text

        .include "../testing/programs/lcd.inc"

label:  .ascii  "count "
        .db     0
heart:  .db     0x00, 0x0A, 0x1F, 0x1F, 0x0E, 0x04, 0x00, 0x00, 0xFF
greeting:
        .ascii  "Hello, board!"
        .db     0xFF
second: .ascii  "live view "
        .db     0x7E
        .ascii  " P1"
        .db     0xFF
