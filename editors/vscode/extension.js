// Starts `orvane dap` for each debug session: the program at the path the settings give, else
// the one on the PATH.
'use strict';
const vscode = require('vscode');

function activate(context) {
  const factory = {
    createDebugAdapterDescriptor() {
      const configured = vscode.workspace.getConfiguration('orvane').get('executablePath');
      const program = configured || (process.platform === 'win32' ? 'orvane.exe' : 'orvane');
      return new vscode.DebugAdapterExecutable(program, ['dap']);
    },
  };
  context.subscriptions.push(vscode.debug.registerDebugAdapterDescriptorFactory('orvane', factory));
}

function deactivate() {}

module.exports = { activate, deactivate };
