// The session's course and its edges: a launch that fails, broken debug data, bad input,
// disconnect and terminate, and the loopback port.
'use strict';
const assert = require('node:assert');
const cp = require('node:child_process');
const fs = require('node:fs');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');
const { test } = require('node:test');
const s = require('./support/session');
const { protocolErrors } = require('./support/protocol_schema');

// The adapter spoken to byte by byte: what it answers, each answer a protocol message.
class RawAdapter {
  constructor(args = ['dap']) {
    this.process = cp.spawn(s.adapter, args, { stdio: ['pipe', 'pipe', 'pipe'] });
    this.buffer = Buffer.alloc(0);
    this.messages = [];
    this.waiters = [];
    this.exited = new Promise((resolve) => this.process.on('exit', (code) => resolve(code)));
    this.process.stdout.on('data', (data) => this.take(data));
  }
  take(data) {
    this.buffer = Buffer.concat([this.buffer, data]);
    for (;;) {
      const end = this.buffer.indexOf('\r\n\r\n');
      if (end < 0) return;
      const length = Number(/Content-Length: (\d+)/.exec(this.buffer.subarray(0, end).toString())[1]);
      if (this.buffer.length < end + 4 + length) return;
      const message = JSON.parse(this.buffer.subarray(end + 4, end + 4 + length).toString());
      this.buffer = this.buffer.subarray(end + 4 + length);
      assert.strictEqual(protocolErrors(message), null);
      this.messages.push(message);
      this.waiters = this.waiters.filter((waiter) => !waiter(message));
    }
  }
  send(bytes) { this.process.stdin.write(bytes); }
  request(seq, command, args) {
    const body = JSON.stringify({ seq, type: 'request', command, arguments: args });
    this.send(`Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`);
  }
  // The first message (from now on, or already here) that matches.
  next(match) {
    const found = this.messages.find(match);
    if (found) return Promise.resolve(found);
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error('no such message in 20 s')), 20000);
      this.waiters.push((message) => {
        if (!match(message)) return false;
        clearTimeout(timer);
        resolve(message);
        return true;
      });
    });
  }
  response(seq) { return this.next((m) => m.type === 'response' && m.request_seq === seq); }
}

test('a program that cannot be read fails launch with its name', async () => {
  const client = await s.startClient();
  await client.initializeRequest();
  const missing = path.join(os.tmpdir(), 'no-such-program.hex');
  await assert.rejects(client.launchRequest({ program: missing }), (e) => e.message.includes(missing));
  await assert.rejects(client.launchRequest({}), /program/);
  await s.endClient(client);
});

test('broken debug data is said in the output and leaves instruction-level debugging', async () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'orvane-dap-'));
  const program = path.join(folder, 'debuggee.hex');
  fs.copyFileSync(s.program('debuggee'), program);
  fs.writeFileSync(path.join(folder, 'debuggee.cdb'), 'L:C$nonsense\nM:\x01\x02\n');
  const client = await s.startClient();
  try {
    const output = client.waitForEvent('output');
    await client.initializeRequest();
    await client.launchRequest({ program, stopOnEntry: true });
    assert.match((await output).body.output, /Skipped|No debug data/);
    const { event, frame } = await s.nextStop(client, () => client.configurationDoneRequest());
    assert.strictEqual(event.reason, 'entry');
    assert.strictEqual(frame.instructionPointerReference, '0x4000');
    const step = await s.nextStop(client, () => client.nextRequest({ threadId: 1, granularity: 'instruction' }));
    assert.notStrictEqual(step.frame.instructionPointerReference, '0x4000');
  } finally {
    await s.endClient(client);
    fs.rmSync(folder, { recursive: true, force: true });
  }
});

test('bad input gets an error and the session goes on; disconnect ends it with status 0', async () => {
  const adapter = new RawAdapter();
  adapter.send('garbage without a header end');
  adapter.send('\r\n\r\nContent-Length: 99999999999\r\n\r\n');
  adapter.send('Content-Length: 5\r\n\r\n{bad}');
  adapter.send('Content-Length: 2\r\n\r\n[]');
  adapter.request(1, 'noSuchRequest', {});
  adapter.request(2, 'launch', { program: 42 });
  adapter.request(3, 'stackTrace', { threadId: 1 });
  adapter.request(4, 'initialize', { adapterID: 'orvane' });
  assert.strictEqual((await adapter.response(1)).success, false);
  assert.match((await adapter.response(2)).message, /program/);
  assert.strictEqual((await adapter.response(3)).success, false);
  const initialize = await adapter.response(4);
  assert.strictEqual(initialize.success, true);
  for (const capability of ['supportsConfigurationDoneRequest', 'supportsConditionalBreakpoints',
    'supportsHitConditionalBreakpoints', 'supportsSetVariable', 'supportsReadMemoryRequest',
    'supportsWriteMemoryRequest', 'supportsDisassembleRequest', 'supportsSteppingGranularity',
    'supportsInstructionBreakpoints', 'supportsDataBreakpoints', 'supportsEvaluateForHovers',
    'supportsTerminateRequest']) {
    assert.strictEqual(initialize.body[capability], true, capability);
  }
  const errors = adapter.messages.filter((m) => m.type === 'event' && m.event === 'output');
  assert.ok(errors.length >= 3, 'each piece of garbage said');
  adapter.request(5, 'disconnect', {});
  await adapter.response(5);
  assert.strictEqual(await adapter.exited, 0);
});

test('terminate ends the running program and the adapter with status 0', async () => {
  const adapter = new RawAdapter();
  adapter.request(1, 'initialize', {});
  adapter.request(2, 'launch', s.launchArgs('debuggee', { speed: 'max' }));
  adapter.request(3, 'configurationDone', {});
  await adapter.response(3);
  adapter.request(4, 'terminate', {});
  assert.strictEqual((await adapter.response(4)).success, true);
  await adapter.next((m) => m.type === 'event' && m.event === 'terminated');
  assert.strictEqual(await adapter.exited, 0);
});

test('--listen serves one client after the other on the loopback port', async () => {
  const server = cp.spawn(s.adapter, ['dap', '--listen', '0'], { stdio: ['ignore', 'pipe', 'pipe'] });
  try {
    let said = '';
    const port = await new Promise((resolve, reject) => {
      server.stderr.on('data', (data) => {
        said += data;
        const found = /listening on 127\.0\.0\.1 port (\d+)/.exec(said);
        if (found) resolve(Number(found[1]));
      });
      server.on('exit', () => reject(new Error(`exited: ${said}`)));
    });
    for (let round = 0; round < 2; ++round) {
      const socket = net.createConnection(port, '127.0.0.1');
      const answer = new Promise((resolve) => {
        let text = '';
        socket.on('data', (data) => {
          text += data;
          if (text.includes('"command":"disconnect"')) resolve(text);
        });
      });
      const request = (seq, command) => {
        const body = JSON.stringify({ seq, type: 'request', command });
        socket.write(`Content-Length: ${body.length}\r\n\r\n${body}`);
      };
      request(1, 'initialize');
      request(2, 'disconnect');
      assert.match(await answer, /"supportsConfigurationDoneRequest":true/);
      socket.end();
    }
    assert.strictEqual(server.stdout.read(), null, 'nothing on standard output');
  } finally {
    server.kill();
  }
});
