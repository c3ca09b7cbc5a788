// orvane.exe dap under Wine: one session through the same client, with Windows paths (Wine's
// drive Z: is the root of the file system).
'use strict';
const assert = require('node:assert');
const path = require('node:path');
const { test } = require('node:test');
const s = require('../support/session');

const windows = (unixPath) => `Z:${unixPath.split(path.sep).join('\\')}`;

test('orvane.exe dap: a breakpoint hit and the locals read', { timeout: 240000 }, async () => {
  const client = await s.startClient();
  // Wine's first start in a fresh prefix is slow.
  client.defaultTimeout = 120000;
  try {
    const source = windows(s.source('debuggee.c'));
    const line = s.lineOf('debuggee.c', 'scale-first');
    await client.hitBreakpoint(
      { program: windows(s.program('debuggee')), sourceDirs: [windows(path.dirname(s.source('debuggee.c')))] },
      { path: source, line });
    const stack = await client.stackTraceRequest({ threadId: 1 });
    assert.strictEqual(stack.body.stackFrames[0].name, 'scale');
    const locals = await s.scopeVariables(client, stack.body.stackFrames[0].id, 'Locals');
    assert.match(locals.factor.value, /^6\b/);  // scale(7, 6)
  } finally {
    await s.endClient(client);
  }
});
