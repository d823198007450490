// Starts `autori lsp` for the line and train descriptions: the server does
// the checking; this only tells VS Code where it is.
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const autori = vscode.workspace.getConfiguration('valmora').get('autori') || 'autori';
  const server = { command: autori, args: ['lsp'] };
  client = new LanguageClient('autori', 'autori lsp', { run: server, debug: server }, {
    documentSelector: [{ scheme: 'file', language: 'valmora' }],
  });
  context.subscriptions.push({ dispose: () => client && client.stop() });
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
