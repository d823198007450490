// What the page's tests share: the tool, a scenario to show, Chromium.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

export const SALTA = 77;

export function argomenti() {
  const a = {};
  const v = process.argv.slice(2);
  for (let i = 0; i < v.length; i += 2) a[v[i].replace(/^--/, '')] = v[i + 1];
  return a;
}

export function chromium() {
  for (const p of ['/usr/bin/chromium', '/usr/bin/chromium-browser']) if (fs.existsSync(p)) return p;
  return null;
}

// puppeteer-core from the build's npm folder.
export function puppeteer(cartellaNpm) {
  const richiedi = createRequire(path.join(cartellaNpm, 'package.json'));
  try {
    return richiedi('puppeteer-core');
  } catch {
    return null;
  }
}

export function cartellaTemporanea(nome) {
  return fs.mkdtempSync(path.join(os.tmpdir(), nome + '-'));
}

export function autori(eseguibile, ...args) {
  return execFileSync(eseguibile, args, { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
}

// The shipped documents, and their build in a folder.
export function scenarioSpedito(eseguibile, cartella) {
  autori(eseguibile, 'documents', path.join(cartella, 'doc'));
  autori(eseguibile, 'compile', path.join(cartella, 'doc', 'Valmora2_linea.txt'),
    path.join(cartella, 'doc', 'Valmora2_1552-.txt'), '--out', path.join(cartella, 'out'));
  return {
    linea: path.join(cartella, 'doc', 'Valmora2_linea.txt'),
    treno: path.join(cartella, 'doc', 'Valmora2_1552-.txt'),
    out: path.join(cartella, 'out')
  };
}

export async function avvia(pp, eseguibileChromium, cartella) {
  return pp.launch({
    executablePath: eseguibileChromium,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--user-data-dir=' + path.join(cartella, 'profilo-chromium')]
  });
}

// A page whose console errors and uncaught exceptions are kept.
export async function apri(browser, url, larghezza = 1400, altezza = 900) {
  const page = await browser.newPage();
  await page.setViewport({ width: larghezza, height: altezza });
  const errori = [];
  page.on('console', m => { if (m.type() === 'error') errori.push(m.text()); });
  page.on('pageerror', e => errori.push(String(e)));
  page.on('requestfailed', r => { if (!r.url().endsWith('/events')) errori.push('request failed: ' + r.url()); });
  const t0 = Date.now();
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => window.vista && window.vista.conta().route !== undefined, { timeout: 10000 });
  const pronta = Date.now() - t0;
  return { page, errori, pronta };
}

let falliti = 0;
export function verifica(condizione, messaggio) {
  if (condizione) console.log('ok   ' + messaggio);
  else { console.log('FAIL ' + messaggio); falliti++; }
}
export function esito() { return falliti ? 1 : 0; }
