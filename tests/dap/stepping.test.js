// Steps by line (C and assembly) and by instruction: over a call, into it, out of it.
'use strict';
const assert = require('node:assert');
const { test, beforeEach, afterEach } = require('node:test');
const s = require('./support/session');

let client;
beforeEach(async () => { client = await s.startClient(); });
afterEach(async () => { await s.endClient(client); });

async function stopAt(program, file, marker) {
  const stop = await s.launchWithBreakpoints(client, s.launchArgs(program), file,
    [{ line: s.lineOf(file, marker) }]);
  assert.strictEqual(stop.frame.line, s.lineOf(file, marker));
  return stop;
}
const step = (request, args = {}) => s.nextStop(client, () => client[request]({ threadId: 1, ...args }));

test('next steps over the call to the following line', async () => {
  await stopAt('debuggee', 'debuggee.c', 'call');
  const { event, frame } = await step('nextRequest');
  assert.strictEqual(event.reason, 'step');
  assert.strictEqual(frame.line, s.lineOf('debuggee.c', 'mailbox'));
});

test('stepIn enters the called routine at its first line, stepOut returns to the caller', async () => {
  await stopAt('debuggee', 'debuggee.c', 'call');
  const inside = await step('stepInRequest');
  assert.strictEqual(inside.frame.name, 'scale');
  assert.strictEqual(inside.frame.line, s.lineOf('debuggee.c', 'scale-first'));
  assert.strictEqual(inside.frames[1].name, 'main');
  const back = await step('stepOutRequest');
  assert.strictEqual(back.event.reason, 'step');
  assert.strictEqual(back.frame.name, 'main');
  assert.ok([s.lineOf('debuggee.c', 'call'), s.lineOf('debuggee.c', 'mailbox')].includes(back.frame.line));
});

test('an instruction step moves by one instruction', async () => {
  const { frame } = await stopAt('debuggee', 'debuggee.c', 'call');
  const before = parseInt(frame.instructionPointerReference, 16);
  const [first] = (await client.customRequest('disassemble',
    { memoryReference: frame.instructionPointerReference, instructionCount: 1 })).body.instructions;
  const length = first.instructionBytes.split(' ').length;
  const after = await step('nextRequest', { granularity: 'instruction' });
  assert.strictEqual(after.event.reason, 'step');
  assert.strictEqual(parseInt(after.frame.instructionPointerReference, 16), before + length);
});

test('assembly: steps by source line, into the subroutine and out again', async () => {
  await stopAt('counter', 'counter.asm', 'asm-call');
  const inside = await step('stepInRequest');
  assert.strictEqual(inside.frame.line, s.lineOf('counter.asm', 'asm-pause'));
  assert.strictEqual(inside.frame.source.path, s.source('counter.asm'));
  const next = await step('nextRequest');
  assert.ok(next.frame.line > inside.frame.line);
  const out = await step('stepOutRequest');
  assert.ok(out.frame.line < inside.frame.line, `back in the loop, not at ${out.frame.line}`);
});
