// autori serve in Chromium: saved edits reach the open page; requests the
// server must not answer are refused.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { SALTA, argomenti, chromium, puppeteer, cartellaTemporanea, scenarioSpedito, avvia, apri, verifica, esito } from './comune.mjs';

const a = argomenti();
const browser_ = chromium();
if (!browser_) { console.log('chromium is not installed: /usr/bin/chromium'); process.exit(SALTA); }
const pp = puppeteer(a.npm);
if (!pp) { console.log('puppeteer-core is not installed in ' + a.npm + ' (npm ci)'); process.exit(SALTA); }

const cartella = cartellaTemporanea('servi');
const s = scenarioSpedito(a.autori, cartella);
const linea = path.join(cartella, 'L.txt'), treno = path.join(cartella, 'T.txt');
fs.copyFileSync(s.linea, linea);
const originale = fs.readFileSync(s.treno, 'latin1');
fs.writeFileSync(treno, originale, 'latin1');

const server = spawn(a.autori, ['serve', linea, treno, '--port', '0'], { stdio: ['ignore', 'pipe', 'pipe'] });
let uscita = '', errori = '';
server.stdout.on('data', d => { uscita += d; });
server.stderr.on('data', d => { errori += d; });
const fine = new Promise(r => server.on('exit', (codice, segnale) => r({ codice, segnale })));
const porta = await new Promise((r, x) => {
  const t = setInterval(() => {
    const m = /http:\/\/127\.0\.0\.1:(\d+)\//.exec(uscita);
    if (m) { clearInterval(t); r(+m[1]); }
  }, 50);
  setTimeout(() => { clearInterval(t); x(new Error('no address printed: ' + uscita + errori)); }, 20000);
});

function chiedi(percorso, host) {
  return new Promise(r => {
    const q = http.get({ host: '127.0.0.1', port: porta, path: percorso, headers: { Host: host || `127.0.0.1:${porta}` } }, res => {
      let corpo = '';
      res.on('data', d => { corpo += d; });
      res.on('end', () => r({ stato: res.statusCode, corpo }));
    });
    q.on('error', e => r({ stato: 0, corpo: String(e) }));
  });
}

const browser = await avvia(pp, browser_, cartella);
try {
  verifica((await chiedi('/')).stato === 200, 'the page is at /');
  verifica((await chiedi('/', `localhost:${porta}`)).stato === 200, 'the page answers as localhost');
  // A page of another site whose name resolves here sends its own name.
  verifica((await chiedi('/', `evil.example:${porta}`)).stato === 403, 'a foreign Host header is refused');
  verifica((await chiedi('/events', 'evil.example')).stato === 403, 'a foreign Host header is refused for the events');
  for (const p of ['/T.txt', '/../T.txt', '/%2e%2e/T.txt', path.join('/', treno), '/index.html', '/events/x'])
    verifica((await chiedi(p)).stato === 404, `no file by name: ${p} is refused`);

  const { page, errori: console_, pronta } = await apri(browser, `http://127.0.0.1:${porta}/`);
  console.log(`time serve: page usable ${pronta} ms after opening`);
  verifica(console_.length === 0, `no console error (${console_.join('; ')})`);

  // A window and a selection, to be kept across saves.
  await page.type('#domanda', 'AREZZO');
  await page.keyboard.press('Enter');
  await page.evaluate(() => window.vista.imposta(190000, 200000));
  let finestra = await page.evaluate(() => window.vista.finestra());

  // Saves, each with what the page must show after it.
  const salva = async (testo, attesa, descrizione) => {
    const t0 = Date.now();
    fs.writeFileSync(treno, testo, 'latin1');
    try {
      await page.waitForFunction(attesa, { timeout: 10000, polling: 'raf' });
    } catch {
      verifica(false, descrizione + ' (not within 10 s)');
      return;
    }
    const ms = Date.now() - t0;
    const costruzione = [...errori.matchAll(/in (\d+) ms/g)].pop();
    const pagina = await page.evaluate(() => window.vista.tempi.aggiornamento);
    console.log(`time serve: ${descrizione} shows ${ms} ms after the save (the server's build ${costruzione ? costruzione[1] : '?'} ms, the page's update ${pagina ? pagina.toFixed(0) : '?'} ms)`);
    verifica(true, descrizione);
    const dopo = await page.evaluate(() => window.vista.finestra());
    verifica(Math.abs(dopo[0] - finestra[0]) < 1 && Math.abs(dopo[1] - finestra[1]) < 1, `${descrizione}: the window stays ${dopo.map(Math.round)}`);
    const scelta = await page.$eval('#scelta', e => e.textContent);
    verifica(/station AREZZO/.test(scelta), `${descrizione}: AREZZO stays selected (${scelta.slice(0, 80)})`);
  };
  // A second signal in the cell of the one at 3900 m (line 108): the build records code 16.
  const doppio = originale.replace(/^(segnale,    3900,.*)\r\n/m, '$1\r\nsegnale,    3910,   2, 3, 7,  7, 2,    2,  1,1,0, 0\r\n');
  verifica(doppio !== originale, 'the edit applies to the shipped train');
  await salva(doppio, () => /T\.txt:109:1: error: .*code 16.*cell 79 is already taken by the signal of line 108/.test(
    [...document.querySelectorAll('#reperti .reperto.error')].map(e => e.textContent).join('|')), 'the taken cell is listed');
  await salva(originale, () => document.querySelectorAll('#reperti .reperto.error').length === 0 && document.querySelectorAll('#reperti .reperto').length > 0, 'the fix clears it');
  // Marks too large for their byte (10 x (3 x 9 + 3) + 4 = 304 > 255): an error on the signal
  // of line 108, in cell 3900 / 50 + 1 = 79, marked on plan and profile.
  const largo = originale.replace(/^segnale,    3900,   2, 3/m, 'segnale,    3900,   9, 3');
  await page.evaluate(() => window.vista.imposta(0, 10000));
  finestra = await page.evaluate(() => window.vista.finestra());
  await salva(largo, () => (window.vista.conta().findings || 0) > 0 && /T\.txt:108:1: error/.test(document.querySelector('#reperti').textContent), 'the wrapped marks are marked on the route');
  const marche = await page.evaluate(() => window.vista.conta().findings);
  verifica(marche >= 2, `the wrapped marks are marked on both pictures (${marche} marks)`);
  await salva(originale, () => !/T\.txt:108:1: error/.test(document.querySelector('#reperti').textContent), 'the fix clears the mark');
  // A build that stops shows its error in place of the pictures, and the page stays: a line
  // description emptied, as an editor may leave it half way through a save, gives no route.
  const lineaOriginale = fs.readFileSync(linea);
  const salvaLinea = async (contenuto, attesa, descrizione) => {
    const t0 = Date.now();
    fs.writeFileSync(linea, contenuto);
    try {
      await page.waitForFunction(attesa, { timeout: 10000, polling: 'raf' });
      console.log(`time serve: ${descrizione} shows ${Date.now() - t0} ms after the save`);
      verifica(true, descrizione);
    } catch {
      verifica(false, descrizione + ' (not within 10 s)');
    }
  };
  await salvaLinea('', () => !document.getElementById('guasto').hidden && /L\.txt.*error/.test(document.getElementById('guasto').textContent), 'a failed build shows its error');
  console.log('       ' + await page.$eval('#guasto', e => e.textContent));
  verifica(await page.$eval('#scelta', e => /station AREZZO/.test(e.textContent)), 'the page keeps its selection under the error');
  await salvaLinea(lineaOriginale, () => document.getElementById('guasto').hidden && window.vista.conta().route > 0, 'the mended build shows the pictures again');
  const dopo = await page.evaluate(() => window.vista.finestra());
  verifica(Math.abs(dopo[0] - finestra[0]) < 1 && Math.abs(dopo[1] - finestra[1]) < 1, `after the mend the window stays ${dopo.map(Math.round)}`);
  verifica(console_.length === 0, `still no console error (${console_.join('; ')})`);
  await page.close();
} finally {
  await browser.close();
  server.kill('SIGINT');
  const t0 = Date.now();
  const { codice, segnale } = await fine;
  verifica(codice === 0 && segnale === null, `Ctrl-C ends the server cleanly, status ${codice}, in ${Date.now() - t0} ms`);
  fs.rmSync(cartella, { recursive: true, force: true });
}
process.exit(esito());
