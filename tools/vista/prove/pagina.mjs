// autori view in Chromium: the shipped scenario's page, from its folder and
// from its descriptions.
import fs from 'node:fs';
import path from 'node:path';
import { SALTA, argomenti, chromium, puppeteer, cartellaTemporanea, autori, scenarioSpedito, avvia, apri, verifica, esito } from './comune.mjs';

const a = argomenti();
const browser_ = chromium();
if (!browser_) { console.log('chromium is not installed: /usr/bin/chromium'); process.exit(SALTA); }
const pp = puppeteer(a.npm);
if (!pp) { console.log('puppeteer-core is not installed in ' + a.npm + ' (npm ci)'); process.exit(SALTA); }

const cartella = cartellaTemporanea('vista');
const s = scenarioSpedito(a.autori, cartella);
const daCartella = path.join(cartella, 'cartella.html');
const daDescrizioni = path.join(cartella, 'descrizioni.html');
autori(a.autori, 'view', s.out, '-o', daCartella);
// The shipped train holds no slowdown: one more record gives the page one.
const treno = path.join(cartella, 'treno-rallentato.txt');
fs.writeFileSync(treno, fs.readFileSync(s.treno, 'latin1').replace('[rallentamenti]\r\n', '[rallentamenti]\r\nrallentamento, 100000, 60, 1000, 0, 1, 0\r\n')
  .replace(/\[rallentamenti\]\n/, '[rallentamenti]\nrallentamento, 100000, 60, 1000, 0, 1, 0\n'), 'latin1');
autori(a.autori, 'view', s.linea, treno, '-o', daDescrizioni);
const schermate = a.schermate;
fs.mkdirSync(schermate, { recursive: true });

// Under 3 MB, with no address of the network in it.
for (const f of [daCartella, daDescrizioni]) {
  const byte = fs.statSync(f).size;
  verifica(byte < 3e6, `${path.basename(f)} is ${byte} bytes, under 3 MB`);
  const testo = fs.readFileSync(f, 'utf8');
  verifica(!/(src|href)\s*=\s*["']?(https?:)?\/\//i.test(testo) && !/fetch\(|import\s*\(/.test(testo),
    `${path.basename(f)} loads nothing from elsewhere`);
}

const browser = await avvia(pp, browser_, cartella);
try {
  for (const [nome, file] of [['folder', daCartella], ['descriptions', daDescrizioni]]) {
    const { page, errori, pronta } = await apri(browser, 'file://' + file);
    console.log(`time ${nome}: page usable ${pronta} ms after opening`);
    verifica(errori.length === 0, `${nome}: no console error (${errori.join('; ')})`);

    // Every layer the legend lists drew something at the whole route.
    const presenti = await page.evaluate(() => window.vista.presenti());
    const conta = await page.evaluate(() => window.vista.conta());
    const attesi = ['stations', 'signals', 'tunnels', 'signs', 'indicators', 'codes', 'curves',
      'gradient', 'speed', 'adhesion'];
    if (nome === 'descriptions') attesi.push('slowdowns');
    else verifica(!presenti.includes('slowdowns'), `${nome}: no slowdown in the legend, as the shipped scenario has none`);
    for (const k of attesi) verifica(presenti.includes(k), `${nome}: layer ${k} is in the legend`);
    for (const k of presenti) verifica(conta[k] > 0, `${nome}: layer ${k} drew ${conta[k]} marks`);
    verifica(conta.route > 100, `${nome}: the route drew ${conta.route} points`);
    const legenda = await page.$$eval('#livelli label[data-layer]', l => l.map(e => e.dataset.layer));
    verifica(JSON.stringify(legenda) === JSON.stringify(presenti), `${nome}: the legend lists exactly ${presenti}`);

    // A wheel step over the profile narrows both pictures' kilometres.
    const prima = await page.evaluate(() => [window.vista.kmPiano(), window.vista.kmProfilo()]);
    const tela = await page.$('#profilo');
    const r = await tela.boundingBox();
    await page.mouse.move(r.x + r.width / 2, r.y + r.height / 2);
    const tempi = [];
    for (let i = 0; i < 3; i++) {
      await page.mouse.wheel({ deltaY: -400 });
      await page.evaluate(() => new Promise(requestAnimationFrame));
      tempi.push(await page.evaluate(() => window.vista.tempi.ultimo));
    }
    const dopo = await page.evaluate(() => [window.vista.kmPiano(), window.vista.kmProfilo()]);
    const largo = x => x[1] - x[0];
    verifica(largo(dopo[1]) < largo(prima[1]) * 0.6, `${nome}: zoom narrows the profile from ${largo(prima[1]).toFixed(0)} m to ${largo(dopo[1]).toFixed(0)} m`);
    verifica(largo(dopo[0]) < largo(prima[0]) * 0.6, `${nome}: zoom narrows the plan from ${largo(prima[0]).toFixed(0)} m to ${largo(dopo[0]).toFixed(0)} m`);
    // The plan shows the profile's kilometres, give or take the frame's margin.
    verifica(dopo[0][0] >= dopo[1][0] - 50 && dopo[0][1] <= dopo[1][1] + 50,
      `${nome}: the plan's metres ${dopo[0].map(Math.round)} lie within the profile's ${dopo[1].map(Math.round)}`);
    console.log(`time ${nome}: zoom redraws in ${tempi.map(t => t.toFixed(1)).join(', ')} ms`);
    // A drag pans both.
    await page.mouse.move(r.x + r.width / 2, r.y + r.height / 2);
    await page.mouse.down();
    await page.mouse.move(r.x + r.width / 2 - 200, r.y + r.height / 2, { steps: 5 });
    await page.mouse.up();
    await page.evaluate(() => new Promise(requestAnimationFrame));
    const spostato = await page.evaluate(() => window.vista.kmProfilo());
    verifica(spostato[0] > dopo[1][0] + 1, `${nome}: a drag to the left moves the window on, to ${spostato.map(Math.round)}`);

    // Two fingers moving apart on the plan zoom in about their middle.
    await page.evaluate(() => window.vista.imposta(0, 1e9));
    const prima2 = await page.evaluate(() => window.vista.finestra());
    await page.evaluate(() => {
      const c = document.getElementById('piano'), r = c.getBoundingClientRect();
      const x = r.left + r.width / 2, y = r.top + r.height / 2;
      const e = (tipo, id, dx) => c.dispatchEvent(new PointerEvent(tipo, { pointerId: id, clientX: x + dx, clientY: y, bubbles: true, pointerType: 'touch', isPrimary: id === 1 }));
      e('pointerdown', 1, -20); e('pointerdown', 2, 20);
      for (let d = 20; d <= 120; d += 20) { e('pointermove', 1, -d); e('pointermove', 2, d); }
      e('pointerup', 1, -120); e('pointerup', 2, 120);
    });
    const dopo2 = await page.evaluate(() => window.vista.finestra());
    // The fingers end 240 px apart from 40: a sixth of the width, give or take the clamp at the ends.
    verifica(dopo2[1] - dopo2[0] < (prima2[1] - prima2[0]) / 4, `${nome}: a pinch zooms in, from ${Math.round(prima2[1] - prima2[0])} m to ${Math.round(dopo2[1] - dopo2[0])} m`);

    // The search finds a station and selects it.
    await page.evaluate(() => window.vista.imposta(0, 1e9));
    await page.type('#domanda', 'AREZZO');
    await page.keyboard.press('Enter');
    await page.evaluate(() => new Promise(requestAnimationFrame));
    const scelta = await page.$eval('#scelta', e => e.textContent);
    verifica(/^station AREZZO, 15:22:00, 198\.750 km/.test(scelta), `${nome}: the search for AREZZO selects it (${scelta.slice(0, 60)})`);
    const finestra = await page.evaluate(() => window.vista.finestra());
    const arezzo = await page.evaluate(() => window.vista.posto('station', 0) && window.vista.stato.scelta.m);
    verifica(finestra[0] <= arezzo && arezzo <= finestra[1] && finestra[1] - finestra[0] < 20000,
      `${nome}: the window ${finestra.map(Math.round)} is around AREZZO at ${arezzo} m`);
    // A point with no time of its own shows none (the table holds 0 there), where a station shows its own.
    await page.$eval('#domanda', e => { e.value = ''; });
    await page.type('#domanda', 'P.C. SALARCO');
    await page.keyboard.press('Enter');
    const salarco = await page.$eval('#scelta h2', e => e.textContent);
    verifica(salarco === 'listed point P.C. SALARCO, 177.100 km', `${nome}: a listed point has no time: ${salarco}`);
    // A kilometre and a cell.
    await page.$eval('#domanda', e => { e.value = ''; });
    await page.type('#domanda', 'cell 250');
    await page.keyboard.press('Enter');
    verifica(/cell 250 at 12500–12549 m/.test(await page.$eval('#scelta', e => e.textContent)), `${nome}: the search for cell 250 shows it`);

    // A click on a station, on the profile and on the plan, shows its cell and, from descriptions, its source line.
    for (const dove of ['profilo', 'piano']) {
      await page.evaluate(() => { window.vista.imposta(196000, 201000); window.vista.stato.scelta = null; window.vista.ridisegna(); });
      const posti = await page.evaluate(() => {
        const v = [];
        for (let k = 0; ; k++) { const p = window.vista.posto('station', k); if (!p) break; v.push(p); }
        return v;
      });
      const p = posti.find(x => x.name === 'AREZZO' && x[dove]);
      verifica(!!p, `${nome}: AREZZO is drawn on the ${dove}`);
      if (!p) continue;
      await page.mouse.click(p[dove][0], p[dove][1]);
      const testo = await page.$eval('#scelta', e => e.textContent);
      // AREZZO stands at 198750 m with an area of 800 m: 198350 to 199150 m; its cell is the one
      // that ends the area, 199150 / 50 - 1 = 3982.
      verifica(/station AREZZO/.test(testo) && /cell 3982 at 199100–199149 m/.test(testo), `${nome}: a click on AREZZO on the ${dove} shows it and its cell`);
      const fonte = await page.$('#fonte');
      if (nome === 'descriptions') {
        const f = fonte ? await page.$eval('#fonte', e => e.textContent) : '';
        // The train description names the station's record, which holds its name.
        // Line 84 of the shipped train, one line lower for the slowdown added above it.
        verifica(/from line 85 of .*treno-rallentato\.txt/.test(f) && /stazione,\s+198750,.*AREZZO/.test(f), `${nome}: the source line is shown: ${f}`);
      } else {
        verifica(fonte === null, `${nome}: no source line without the descriptions`);
      }
    }

    // Hovering a curve tells its side and radius, on the profile and on the plan.
    await page.evaluate(() => window.vista.imposta(100000, 110000));
    const curva = await page.evaluate(() => {
      for (let k = 0; ; k++) { const p = window.vista.posto('curve', k); if (!p) return null; if (p.m >= 101000 && p.profilo && p.piano) return Object.assign(p, { k }); }
    });
    verifica(!!curva, `${nome}: a curve is drawn between 101 and 110 km`);
    if (curva) {
      for (const dove of ['profilo', 'piano']) {
        await page.mouse.move(curva[dove][0], curva[dove][1]);
        const t = await page.$eval('#suggerimento', e => e.hidden ? '' : e.textContent);
        const w = await page.evaluate(() => window.vista.finestra());
        verifica(/^curve (left|right), radius \d+ m, /.test(t), `${nome}: hovering a curve on the ${dove} says "${t}" (${JSON.stringify(curva)}, window ${w})`);
      }
    }

    // Switching a layer off leaves it out.
    await page.evaluate(() => window.vista.imposta(0, 1e9));
    await page.click('#livelli label[data-layer="signals"] input');
    await page.evaluate(() => new Promise(requestAnimationFrame));
    verifica(!(await page.evaluate(() => window.vista.conta().signals)), `${nome}: the signals switched off draw nothing`);
    await page.click('#livelli label[data-layer="signals"] input');

    if (nome === 'descriptions') {
      // Three zoom levels to look at: the whole route, a stretch, a station.
      await page.evaluate(() => { window.vista.imposta(0, 1e9); window.vista.ridisegna(); });
      await page.screenshot({ path: path.join(schermate, 'vista-intera.png') });
      await page.evaluate(() => { window.vista.imposta(170000, 215000); window.vista.ridisegna(); });
      await page.screenshot({ path: path.join(schermate, 'vista-tratto.png') });
      await page.$eval('#domanda', e => { e.value = ''; });
      await page.type('#domanda', 'AREZZO');
      await page.keyboard.press('Enter');
      await page.evaluate(() => { const [a, b] = window.vista.finestra(); const c = (a + b) / 2; window.vista.imposta(c - 1500, c + 1500); window.vista.ridisegna(); });
      await page.screenshot({ path: path.join(schermate, 'vista-stazione.png') });
    }
    verifica(errori.length === 0, `${nome}: still no console error (${errori.join('; ')})`);
    await page.close();
  }
} finally {
  await browser.close();
  fs.rmSync(cartella, { recursive: true, force: true });
}
process.exit(esito());
