// Breakpoints: on a line, moved from a line without code, with a condition and a hit count, in
// an interrupt routine, by address, and on data.
'use strict';
const assert = require('node:assert');
const { test, beforeEach, afterEach } = require('node:test');
const s = require('./support/session');

let client;
beforeEach(async () => { client = await s.startClient(); });
afterEach(async () => { await s.endClient(client); });

test('a breakpoint on a line stops there with the source found', async () => {
  const line = s.lineOf('debuggee.c', 'call');
  await client.hitBreakpoint(s.launchArgs('debuggee'), { path: s.source('debuggee.c'), line });
  const stack = await client.stackTraceRequest({ threadId: 1 });
  const top = stack.body.stackFrames[0];
  assert.strictEqual(top.name, 'main');
  assert.match(top.instructionPointerReference, /^0x[0-9A-F]{4}$/);
});

test('a breakpoint on a line without code moves to the next line with code', async () => {
  const asked = s.lineOf('debuggee.c', 'scale-declaration');
  const moved = s.lineOf('debuggee.c', 'scale-first');
  await client.hitBreakpoint(s.launchArgs('debuggee'),
    { path: s.source('debuggee.c'), line: asked }, { path: s.source('debuggee.c'), line: moved },
    { path: s.source('debuggee.c'), line: moved, verified: true });
});

test('a conditional breakpoint stops only when its condition holds', async () => {
  const line = s.lineOf('debuggee.c', 'loop');
  const { breakpoints: [breakpoint], event, frame } = await s.launchWithBreakpoints(client,
    s.launchArgs('debuggee'), 'debuggee.c', [{ line, condition: 'rounds == 5' }]);
  assert.ok(breakpoint.verified);
  assert.strictEqual(event.reason, 'breakpoint');
  assert.strictEqual(frame.line, line);
  const rounds = await client.evaluateRequest({ expression: 'rounds', frameId: frame.id, context: 'watch' });
  assert.strictEqual(rounds.body.result, '5');
});

test('a hit count lets the first hits pass', async () => {
  const line = s.lineOf('debuggee.c', 'loop');
  const { frame } = await s.launchWithBreakpoints(client, s.launchArgs('debuggee'), 'debuggee.c',
    [{ line, hitCondition: '3' }]);
  const rounds = await client.evaluateRequest({ expression: 'rounds', frameId: frame.id, context: 'watch' });
  assert.strictEqual(rounds.body.result, '2');
});

test('a breakpoint in an interrupt routine shows the routine as an interrupt', async () => {
  const line = s.lineOf('debuggee.c', 'isr');
  const { event, frame, frames } = await s.launchWithBreakpoints(client, s.launchArgs('debuggee'),
    'debuggee.c', [{ line }]);
  assert.strictEqual(event.reason, 'breakpoint');
  assert.strictEqual(frame.line, line);
  assert.match(frame.name, /^timer0_isr.*interrupt/);
  assert.ok(frames.length >= 2, 'the interrupted routine below it');
});

test('an instruction breakpoint stops at its address', async () => {
  await client.initializeRequest();
  await client.launchRequest(s.launchArgs('debuggee'));
  // The address of a line, from the adapter's own answer for it.
  const line = s.lineOf('debuggee.c', 'mailbox');
  const [lineBreakpoint] = (await client.setBreakpointsRequest({
    source: { path: s.source('debuggee.c') }, breakpoints: [{ line }] })).body.breakpoints;
  await client.setBreakpointsRequest({ source: { path: s.source('debuggee.c') }, breakpoints: [] });
  const address = lineBreakpoint.instructionReference;
  const answer = await client.customRequest('setInstructionBreakpoints',
    { breakpoints: [{ instructionReference: address }] });
  assert.ok(answer.body.breakpoints[0].verified);
  const { event, frame } = await s.nextStop(client, () => client.configurationDoneRequest());
  assert.strictEqual(event.reason, 'instruction breakpoint');
  assert.strictEqual(frame.instructionPointerReference, address);
});

test('a data breakpoint stops at the write to its variable', async () => {
  await client.initializeRequest();
  await client.launchRequest(s.launchArgs('debuggee', { stopOnEntry: true }));
  const entry = await s.nextStop(client, () => client.configurationDoneRequest());
  assert.strictEqual(entry.event.reason, 'entry');
  const scopes = (await client.scopesRequest({ frameId: entry.frame.id })).body.scopes;
  const globals = scopes.find((scope) => scope.name === 'Globals');
  const info = await client.customRequest('dataBreakpointInfo',
    { name: 'mailbox', variablesReference: globals.variablesReference });
  assert.ok(info.body.dataId, info.body.description);
  assert.deepStrictEqual(info.body.accessTypes, ['read', 'write', 'readWrite']);
  const set = await client.customRequest('setDataBreakpoints',
    { breakpoints: [{ dataId: info.body.dataId, accessType: 'write' }] });
  assert.ok(set.body.breakpoints[0].verified);
  const { event, frame } = await s.nextStop(client, () => client.continueRequest({ threadId: 1 }));
  assert.strictEqual(event.reason, 'data breakpoint');
  assert.strictEqual(event.hitBreakpointIds[0], set.body.breakpoints[0].id);
  const mailbox = await client.evaluateRequest({ expression: 'mailbox', frameId: frame.id, context: 'watch' });
  assert.match(mailbox.body.result, /^42\b/);  // scale(7, 6), written by the @mailbox line
  assert.strictEqual(frame.name, 'main');
});
