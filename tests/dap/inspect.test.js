// What a stopped program shows: the four scopes, values set within range, expressions, memory,
// disassembly; and what a running one does: its serial output, typing to it, pause.
'use strict';
const assert = require('node:assert');
const { test, beforeEach, afterEach } = require('node:test');
const s = require('./support/session');

let client;
beforeEach(async () => { client = await s.startClient(); });
afterEach(async () => { await s.endClient(client); });

async function stopAt(marker) {
  return (await s.launchWithBreakpoints(client, s.launchArgs('debuggee'), 'debuggee.c',
    [{ line: s.lineOf('debuggee.c', marker) }])).frame;
}
const evaluate = async (expression, frame) =>
  (await client.evaluateRequest({ expression, frameId: frame.id, context: 'watch' })).body;

test('the four scopes: locals of each frame, globals, registers with the flags, the board', async () => {
  const frame = await stopAt('scale-first');
  const scopes = (await client.scopesRequest({ frameId: frame.id })).body.scopes.map((x) => x.name);
  assert.deepStrictEqual(scopes, ['Locals', 'Globals', 'Registers', 'Board']);

  // scale(7, 6): `factor` has its place in RAM; `value` is in registers, which SDCC's debug data
  // names wrongly before the statement that moves it there.
  const locals = await s.scopeVariables(client, frame.id, 'Locals');
  assert.match(locals.factor.value, /^6\b/);
  assert.ok(locals.value && locals.result);

  const globals = await s.scopeVariables(client, frame.id, 'Globals');
  assert.match(globals.mailbox.memoryReference, /^xdata:0x8000$/);
  const table = (await client.variablesRequest({ variablesReference: globals.table.variablesReference }))
    .body.variables.map((v) => v.value.split(' ')[0]);
  assert.deepStrictEqual(table, ['10', '20', '30', '40']);
  assert.strictEqual(globals.total.value, '200');  // (10 + 20 + 30 + 40) twice, by the loop
  const registers = await s.scopeVariables(client, frame.id, 'Registers');
  for (const name of ['A', 'B', 'PSW', 'SP', 'DPTR', 'PC', 'R0', 'R7']) assert.ok(registers[name], name);
  assert.match(registers.PC.value, /^0x[0-9A-Fa-f]{4}$/);
  const flags = (await client.variablesRequest({ variablesReference: registers.PSW.variablesReference }))
    .body.variables.map((v) => v.name);
  assert.ok(flags.includes('CY') && flags.includes('OV'), flags.join(' '));

  const board = await s.scopeVariables(client, frame.id, 'Board');
  assert.strictEqual(board.P1.value, '10100101');  // P1 = 0xA5 in main
  assert.ok(board['PPI A'] && board['LCD 1'] && board['LCD 2']);
  assert.match(board['LCD 1'].value, /^\|.{16}\|$/);
});

test('values set within their range; out of range refused', async () => {
  const frame = await stopAt('scale-first');
  const scopes = (await client.scopesRequest({ frameId: frame.id })).body.scopes;
  const globals = scopes.find((x) => x.name === 'Globals').variablesReference;
  const set = await client.setVariableRequest({ variablesReference: globals, name: 'rounds', value: '300' });
  assert.strictEqual(set.body.value, '300');
  assert.strictEqual((await evaluate('rounds', frame)).result, '300');
  await assert.rejects(client.setVariableRequest({ variablesReference: globals, name: 'rounds', value: '70000' }));
  const registers = scopes.find((x) => x.name === 'Registers').variablesReference;
  const b = await client.setVariableRequest({ variablesReference: registers, name: 'B', value: '0x5A' });
  assert.match(b.body.value, /^0x5A$/i);
  assert.match((await evaluate('B', frame)).result, /^(0x5A|90\b)/i);
  const expression = await client.customRequest('setExpression',
    { expression: 'table[1]', value: '99', frameId: frame.id });
  assert.match(expression.body.value, /^99\b/);
  assert.match((await evaluate('corner.y', frame)).result, /^-4$/);
});

test('memory read and written by reference; disassembly with source lines', async () => {
  const frame = await stopAt('scale-first');
  const written = await client.customRequest('writeMemory',
    { memoryReference: 'xdata:0x8000', data: Buffer.from([0x12, 0x34]).toString('base64') });
  assert.strictEqual(written.body.bytesWritten, 2);
  const read = await client.customRequest('readMemory', { memoryReference: 'xdata:0x7FFF', offset: 1, count: 2 });
  assert.deepStrictEqual([...Buffer.from(read.body.data, 'base64')], [0x12, 0x34]);
  assert.match((await evaluate('xdata[0x8000]', frame)).result, /^18\b/);
  const tail = await client.customRequest('readMemory', { memoryReference: 'iram:0xFE', count: 4 });
  assert.strictEqual(Buffer.from(tail.body.data, 'base64').length, 2);
  assert.strictEqual(tail.body.unreadableBytes, 2);

  const listing = (await client.customRequest('disassemble', { memoryReference: frame.instructionPointerReference,
    instructionOffset: -2, instructionCount: 5 })).body.instructions;
  assert.strictEqual(listing.length, 5);
  assert.strictEqual(listing[2].address, frame.instructionPointerReference);
  assert.strictEqual(listing[2].line, frame.line);
  assert.strictEqual(listing[2].location.path, s.source('debuggee.c'));
  for (const item of listing) assert.match(item.instructionBytes, /^[0-9A-F]{2}( [0-9A-F]{2}){0,2}$/);
});

test('the program\'s serial output arrives as output; typed text is sent; pause stops it', async () => {
  const output = client.assertOutput('stdout', 'hello, debugger\n', 20000);
  await client.initializeRequest();
  await client.launchRequest(s.launchArgs('debuggee'));
  await client.configurationDoneRequest();
  await output;
  const typed = await client.evaluateRequest({ expression: '"hi\\r"', context: 'repl' });
  assert.match(typed.body.result, /3 bytes/);
  const started = Date.now();
  const { event, frame } = await s.nextStop(client, () => client.pauseRequest({ threadId: 1 }));
  assert.strictEqual(event.reason, 'pause');
  assert.ok(Date.now() - started < 1000, `paused after ${Date.now() - started} ms`);
  assert.strictEqual(frame.name, 'main');
});
