// Sessions of `orvane dap` for the tests: the client (DebugClient, every message it receives
// checked against the protocol), the test programs and their marked lines, and an end that
// cannot hang.
'use strict';
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { DebugClient } = require('@vscode/debugadapter-testsupport');
const { protocolErrors } = require('./protocol_schema');

const adapter = process.env.ORVANE_DAP_ADAPTER;
const programs = process.env.ORVANE_DAP_PROGRAMS;
const sources = process.env.ORVANE_DAP_SOURCES;
if (!adapter || !programs || !sources) {
  throw new Error('ORVANE_DAP_ADAPTER, ORVANE_DAP_PROGRAMS and ORVANE_DAP_SOURCES must be set (CTest sets them)');
}

class CheckedClient extends DebugClient {
  constructor() {
    super(adapter, 'dap', 'orvane');
    this.violations = [];
    this.messages = [];
  }
  dispatch(body) {
    const message = JSON.parse(body);
    this.messages.push(message);
    const error = protocolErrors(message);
    if (error) this.violations.push(error);
    super.dispatch(body);
  }
}

// The sanitized build and a shared machine are slow to start: the client's own 5 s is too short.
const kTimeout = 20000;

async function startClient() {
  const client = new CheckedClient();
  client.defaultTimeout = kTimeout;
  await client.start();
  return client;
}

// Ends the session: stop() never settles once the adapter has exited by itself, so it races a
// timer; then every message it sent must have been a protocol message.
async function endClient(client) {
  await Promise.race([client.stop(), new Promise((resolve) => setTimeout(resolve, 2000))]);
  assert.deepStrictEqual(client.violations, []);
}

const source = (file) => path.join(sources, file);
const program = (name) => path.join(programs, `${name}.hex`);
const launchArgs = (name, extra = {}) => ({ program: program(name), sourceDirs: [sources], ...extra });

// The line of a source that carries the marker `@name`.
function lineOf(file, marker) {
  const lines = fs.readFileSync(source(file), 'utf8').split('\n');
  const index = lines.findIndex((line) => new RegExp(`@${marker}\\b`).test(line));
  assert.ok(index >= 0, `no @${marker} in ${file}`);
  return index + 1;
}

// Launches with the given breakpoints set, as an editor does: launch, breakpoints, then
// configurationDone. Resolves with the breakpoints' answer and the first stop (nextStop), heard
// from before the program starts.
async function launchWithBreakpoints(client, args, file, breakpoints) {
  await client.initializeRequest();
  await client.launchRequest(args);
  const answer = await client.setBreakpointsRequest({ source: { path: source(file) }, breakpoints });
  const stop = await nextStop(client, () => client.configurationDoneRequest());
  return { breakpoints: answer.body.breakpoints, ...stop };
}

// Waits for the next stop: its reason, and the top frame of the stack then.
async function nextStop(client, during) {
  const stopped = client.waitForEvent('stopped');
  if (during) await during();
  const event = await stopped;
  const stack = await client.stackTraceRequest({ threadId: 1 });
  return { event: event.body, frame: stack.body.stackFrames[0], frames: stack.body.stackFrames };
}

// A scope's variables by name.
async function scopeVariables(client, frameId, scopeName) {
  const scopes = await client.scopesRequest({ frameId });
  const scope = scopes.body.scopes.find((s) => s.name === scopeName);
  assert.ok(scope, `no scope ${scopeName}`);
  const answer = await client.variablesRequest({ variablesReference: scope.variablesReference });
  return Object.fromEntries(answer.body.variables.map((v) => [v.name, v]));
}

module.exports = {
  startClient, endClient, source, program, launchArgs, lineOf, launchWithBreakpoints, nextStop,
  scopeVariables, adapter,
};
