// Tokenizes the shipped descriptions with the extension's grammar, as VS Code
// does (vscode-textmate over the Oniguruma of vscode-oniguruma), and checks
// the scope of one word on each line of a table.
//   node test/grammatica.js LINEA.txt TRENO.txt
'use strict';
const fs = require('fs');
const path = require('path');
const oniguruma = require('vscode-oniguruma');
const textmate = require('vscode-textmate');

// [file, line (1-based), word, scope it must carry]
const casi = [
  ['treno', 1, 'TRENO IC 1552', 'comment.block.preamble.valmora'],
  ['treno', 37, 'generale', 'entity.name.section.valmora'],
  ['treno', 41, '53', 'constant.numeric.valmora'],
  ['treno', 60, "velocita' limite", 'keyword.other.record.valmora'],
  ['treno', 60, '266300', 'constant.numeric.valmora'],
  ['treno', 61, 'stazioni', 'entity.name.section.valmora'],
  ['treno', 62, 'pos. tipo', 'comment.line.dash.valmora'],
  ['treno', 66, 'stazione', 'keyword.other.record.valmora'],
  ['treno', 66, '4500', 'constant.numeric.valmora'],
  ['treno', 66, 'ROMA TIBURTINA', 'string.unquoted.valmora'],
  ['treno', 95, 'stazione', 'comment.line.dash.valmora'],
  ['treno', 118, '13400', 'constant.numeric.valmora'],
  ['linea', 3, 'Roma Termini', 'comment.block.preamble.valmora'],
  ['linea', 37, 'generale', 'entity.name.section.valmora'],
  ['linea', 38, 'lunghezza percorso', 'keyword.other.record.valmora'],
  ['linea', 38, '270000', 'constant.numeric.valmora'],
  ['linea', 48, '-11', 'constant.numeric.valmora'],
  ['linea', 287, 'curvad2', 'keyword.other.record.valmora'],
  ['linea', 507, 'cartello_indicatore', 'keyword.other.record.valmora'],
  ['linea', 507, 'MONTE PERAZZO', 'string.unquoted.valmora'],
];

async function main() {
  const [linea, treno] = process.argv.slice(2);
  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  const registro = new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (s) => new oniguruma.OnigScanner(s),
      createOnigString: (s) => new oniguruma.OnigString(s),
    }),
    loadGrammar: async () =>
      textmate.parseRawGrammar(
        fs.readFileSync(path.join(__dirname, '..', 'syntaxes', 'valmora.tmLanguage.json'), 'utf8'),
        'valmora.tmLanguage.json'),
  });
  const grammatica = await registro.loadGrammar('source.valmora');
  // The descriptions are Latin-1, as the editor is told to read them.
  const righe = (f) => fs.readFileSync(f, 'latin1').split(/\r\n|\r|\n/);
  const token = {};
  for (const [nome, file] of [['linea', linea], ['treno', treno]]) {
    let stato = textmate.INITIAL;
    token[nome] = righe(file).map((r) => {
      const t = grammatica.tokenizeLine(r, stato);
      stato = t.ruleStack;
      return { testo: r, token: t.tokens };
    });
  }
  let errori = 0;
  for (const [nome, riga, parola, atteso] of casi) {
    const r = token[nome][riga - 1];
    const dove = r.testo.indexOf(parola);
    const t = dove < 0 ? undefined : r.token.find((k) => k.startIndex <= dove && dove < k.endIndex);
    if (!t || !t.scopes.includes(atteso)) {
      ++errori;
      console.error(`${nome}:${riga}: '${parola}' in ${JSON.stringify(r.testo)} has ${t ? t.scopes.join(' ') : 'no token'}, not ${atteso}`);
    }
  }
  console.log(`${casi.length - errori} of ${casi.length} scopes as expected`);
  process.exit(errori ? 1 : 0);
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
