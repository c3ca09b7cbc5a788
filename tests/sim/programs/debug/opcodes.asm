; A program for the debugger's tests in assembly: a loop calling a routine, then every opcode
; once (after it, never run) for the disassembler, each written as the listing shows it; the
; AJMP and ACALL opcodes carry the target's page, so there is a label in each page.
	.module opcodes
	.area CSEG (CODE)
start:
	clr a
	mov r7,#0x03
loop:
	acall twice
	djnz r7,loop
	mov 0x30,a
done:
	sjmp done
twice:
	add a,#0x02
	ret

row0:
	nop
	ajmp row0
	ljmp row0
	rr a
	inc a
	inc SBUF
	inc @r0
	inc @r1
	inc r0
	inc r1
	inc r2
	inc r3
	inc r4
	inc r5
	inc r6
	inc r7
row1:
	jbc 0x30,row1
	acall row0
	lcall row1
	rrc a
	dec a
	dec SBUF
	dec @r0
	dec @r1
	dec r0
	dec r1
	dec r2
	dec r3
	dec r4
	dec r5
	dec r6
	dec r7
row2:
	jb 0x30,row2
	ajmp page1
	ret
	rl a
	add a,#0x30
	add a,SBUF
	add a,@r0
	add a,@r1
	add a,r0
	add a,r1
	add a,r2
	add a,r3
	add a,r4
	add a,r5
	add a,r6
	add a,r7
row3:
	jnb 0x30,row3
	acall page1
	reti
	rlc a
	addc a,#0x30
	addc a,SBUF
	addc a,@r0
	addc a,@r1
	addc a,r0
	addc a,r1
	addc a,r2
	addc a,r3
	addc a,r4
	addc a,r5
	addc a,r6
	addc a,r7
row4:
	jc row4
	ajmp page2
	orl ACC,a
	orl 0x03,#0x10
	orl a,#0x30
	orl a,SBUF
	orl a,@r0
	orl a,@r1
	orl a,r0
	orl a,r1
	orl a,r2
	orl a,r3
	orl a,r4
	orl a,r5
	orl a,r6
	orl a,r7
row5:
	jnc row5
	acall page2
	anl ACC,a
	anl 0x03,#0x10
	anl a,#0x30
	anl a,SBUF
	anl a,@r0
	anl a,@r1
	anl a,r0
	anl a,r1
	anl a,r2
	anl a,r3
	anl a,r4
	anl a,r5
	anl a,r6
	anl a,r7
row6:
	jz row6
	ajmp page3
	xrl ACC,a
	xrl 0x03,#0x10
	xrl a,#0x30
	xrl a,SBUF
	xrl a,@r0
	xrl a,@r1
	xrl a,r0
	xrl a,r1
	xrl a,r2
	xrl a,r3
	xrl a,r4
	xrl a,r5
	xrl a,r6
	xrl a,r7
row7:
	jnz row7
	acall page3
	orl c,ACC.0
	jmp @a+dptr
	mov a,#0x30
	mov SBUF,#0xF0
	mov @r0,#0xE0
	mov @r1,#0x03
	mov r0,#0x30
	mov r1,#0x99
	mov r2,#0xE0
	mov r3,#0x03
	mov r4,#0x30
	mov r5,#0x99
	mov r6,#0xE0
	mov r7,#0x03
row8:
	sjmp row8
	ajmp page4
	anl c,ACC.0
	movc a,@a+pc
	div ab
	mov P1,0x31
	mov ACC,@r0
	mov 0x03,@r1
	mov 0x30,r0
	mov SBUF,r1
	mov ACC,r2
	mov 0x03,r3
	mov 0x30,r4
	mov SBUF,r5
	mov ACC,r6
	mov 0x03,r7
row9:
	mov dptr,#0x4123
	acall page4
	mov ACC.0,c
	movc a,@a+dptr
	subb a,#0x30
	subb a,SBUF
	subb a,@r0
	subb a,@r1
	subb a,r0
	subb a,r1
	subb a,r2
	subb a,r3
	subb a,r4
	subb a,r5
	subb a,r6
	subb a,r7
rowA:
	orl c,/0x30
	ajmp page5
	mov c,ACC.0
	inc dptr
	mul ab
	.db 0xA5
	mov @r0,ACC
	mov @r1,0x03
	mov r0,0x30
	mov r1,SBUF
	mov r2,ACC
	mov r3,0x03
	mov r4,0x30
	mov r5,SBUF
	mov r6,ACC
	mov r7,0x03
rowB:
	anl c,/0x30
	acall page5
	cpl ACC.0
	cpl c
	cjne a,#0x30,rowB
	cjne a,SBUF,rowB
	cjne @r0,#0xE0,rowB
	cjne @r1,#0x03,rowB
	cjne r0,#0x30,rowB
	cjne r1,#0x99,rowB
	cjne r2,#0xE0,rowB
	cjne r3,#0x03,rowB
	cjne r4,#0x30,rowB
	cjne r5,#0x99,rowB
	cjne r6,#0xE0,rowB
	cjne r7,#0x03,rowB
rowC:
	push 0x30
	ajmp page6
	clr ACC.0
	clr c
	swap a
	xch a,SBUF
	xch a,@r0
	xch a,@r1
	xch a,r0
	xch a,r1
	xch a,r2
	xch a,r3
	xch a,r4
	xch a,r5
	xch a,r6
	xch a,r7
rowD:
	pop 0x30
	acall page6
	setb ACC.0
	setb c
	da a
	djnz SBUF,rowD
	xchd a,@r0
	xchd a,@r1
	djnz r0,rowD
	djnz r1,rowD
	djnz r2,rowD
	djnz r3,rowD
	djnz r4,rowD
	djnz r5,rowD
	djnz r6,rowD
	djnz r7,rowD
rowE:
	movx a,@dptr
	ajmp page7
	movx a,@r0
	movx a,@r1
	clr a
	mov a,SBUF
	mov a,@r0
	mov a,@r1
	mov a,r0
	mov a,r1
	mov a,r2
	mov a,r3
	mov a,r4
	mov a,r5
	mov a,r6
	mov a,r7
rowF:
	movx @dptr,a
	acall page7
	movx @r0,a
	movx @r1,a
	cpl a
	mov SBUF,a
	mov @r0,a
	mov @r1,a
	mov r0,a
	mov r1,a
	mov r2,a
	mov r3,a
	mov r4,a
	mov r5,a
	mov r6,a
	mov r7,a
	.ds 0x27
page1:
	nop
	.ds 0xFF
page2:
	nop
	.ds 0xFF
page3:
	nop
	.ds 0xFF
page4:
	nop
	.ds 0xFF
page5:
	nop
	.ds 0xFF
page6:
	nop
	.ds 0xFF
page7:
	nop
