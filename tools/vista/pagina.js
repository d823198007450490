'use strict';
// The page of autori view: the plan and the profile on one kilometre window,
// drawn on canvases at whatever a pixel can show, and the cells' words.

let D = JSON.parse(document.getElementById('dati').textContent);

// ---- What the page holds, in the forms the drawing wants

const CELLA = D.cellMetres || 50;
let P = null; // plan: X, Y per metre (NaN where none), blocks' bounding boxes
let oggetti = {}; // kind -> objects sorted by metre
let totale = 1; // metres the window can run over

const BLOCCO = 1024;

function leggiPiano(p) {
  if (!p) return null;
  const n = p.metres;
  const X = new Float64Array(n), Y = new Float64Array(n);
  if (p.encoding === 'dm16') {
    const b = atob(p.data);
    const u = new Uint8Array(b.length);
    for (let i = 0; i < b.length; i++) u[i] = b.charCodeAt(i);
    const v = new Int16Array(u.buffer, 0, u.length >> 1);
    let x = 0, y = 0;
    for (let m = 0; m < n; m++) {
      const dx = v[2 * m], dy = v[2 * m + 1];
      if (dx === -32768 && dy === -32768) { X[m] = NaN; Y[m] = NaN; continue; }
      x += dx; y += dy;
      X[m] = x / 10; Y[m] = y / 10;
    }
  } else {
    for (let m = 0; m < n; m++) {
      X[m] = p.x[m] === null ? NaN : p.x[m];
      Y[m] = p.y[m] === null ? NaN : p.y[m];
    }
  }
  const nb = Math.ceil(n / BLOCCO);
  const B = new Float64Array(nb * 4);
  for (let k = 0; k < nb; k++) {
    let x0 = Infinity, y0 = Infinity, x1 = -Infinity, y1 = -Infinity;
    for (let m = k * BLOCCO, e = Math.min(n, m + BLOCCO); m < e; m++) {
      const x = X[m], y = Y[m];
      if (x !== x) continue;
      if (x < x0) x0 = x; if (x > x1) x1 = x; if (y < y0) y0 = y; if (y > y1) y1 = y;
    }
    B[4 * k] = x0; B[4 * k + 1] = y0; B[4 * k + 2] = x1; B[4 * k + 3] = y1;
  }
  return { n, X, Y, B };
}

function prepara() {
  P = leggiPiano(D.plan);
  oggetti = {};
  for (const o of D.objects || []) (oggetti[o.kind] = oggetti[o.kind] || []).push(o);
  for (const k in oggetti) oggetti[k].sort((a, b) => a.m - b.m);
  const celle = D.cells ? D.cells.count * CELLA : 0;
  totale = Math.max(1, D.length || 0, celle, P ? 0 : 0);
  if (!D.length && P) totale = Math.max(totale, P.n - 1);
  document.getElementById('titolo').textContent = D.title || '';
  document.title = (D.title || 'scenario') + ' · autori view';
}

// ---- The kinds, their look and their words

const colori = {
  route: '#1f4e9c', station: '#000', listed: '#777', signal: '#d62728', tunnel: '#8a8a8a',
  sign: '#b15928', indicator: '#1f78b4', code: '#6a3d9a', codeless: '#6a3d9a', board: '#d9a400',
  slowdown: '#ff7f00', slowdownEnd: '#ff7f00', gradient: '#8c510a', speed: '#1f78b4', adhesion: '#33a02c',
  finding: '#e00000', cursor: '#e7298a'
};

// Curves by radius: the sharper, the warmer.
const scalaRaggi = [[300, '#d7191c'], [600, '#f07c2c'], [1000, '#e8c020'], [2000, '#78c050'], [Infinity, '#2b83ba']];
function coloreRaggio(r) { for (const [s, c] of scalaRaggi) if (r < s) return c; return '#2b83ba'; }

const livelli = [
  ['stations', 'stations', ['station', 'listed']],
  ['signals', 'signals (head: left kind 1 square, 2 disc)', ['signal']],
  ['tunnels', 'tunnels', ['tunnel']],
  ['signs', 'signs', ['sign']],
  ['indicators', 'speed indicators', ['indicator']],
  ['codes', 'code points', ['code', 'codeless']],
  ['slowdowns', 'slowdowns (board, start to end)', ['board', 'slowdown', 'slowdownEnd']],
  ['curves', 'curves by radius', ['curve']],
  ['gradient', 'gradient (‰)', []],
  ['speed', 'line speed and slowdown speed (km/h)', []],
  ['adhesion', 'adhesion', []],
  ['findings', "check's findings", []]
];
const acceso = {};
for (const [k] of livelli) acceso[k] = true;
const livelloDi = {};
for (const [k, , kinds] of livelli) for (const t of kinds) livelloDi[t] = k;

function presente(k) {
  if (k === 'gradient' || k === 'speed' || k === 'adhesion') return !!D.cells;
  if (k === 'findings') return (D.findings || []).some(f => (f.cells || []).length > 0);
  const kinds = livelli.find(l => l[0] === k)[2];
  return kinds.some(t => (oggetti[t] || []).length > 0);
}

function km(m) { return (m / 1000).toFixed(3) + ' km'; }

function descrivi(o) {
  switch (o.kind) {
    case 'station': return `station ${o.name}${o.time ? ', ' + o.time : ''}, ${km(o.m)}`;
    case 'listed': return `listed point ${o.name}${o.time ? ', ' + o.time : ''}, ${km(o.m)}`;
    case 'signal': return `signal, kind ${o.left}/${o.right} (left ${o.left}, right ${o.right}), ${km(o.m)}`;
    case 'tunnel': return `tunnel, type ${o.type}, ${km(o.m)} to ${km(o.to)}`;
    case 'sign': return `sign "${o.text}", ${km(o.m)}`;
    case 'indicator': return `speed indicator ${o.text} km/h, ${km(o.m)}`;
    case 'code': return `code point, code ${o.code}, ${km(o.m)}`;
    case 'codeless': return `code point without code, ${km(o.m)}`;
    case 'board': return `slowdown warning board, ${o.speed} km/h, ${km(o.m)}`;
    case 'slowdown': return `slowdown ${o.speed} km/h, ${km(o.m)} to ${km(o.to)}`;
    case 'slowdownEnd': return `slowdown end, ${km(o.m)}`;
    case 'curve': return `curve ${o.side}, radius ${o.radius} m, ${km(o.m)} to ${km(o.to)}`;
    case 'finding': return `${o.f.severity}: ${o.f.message}`;
  }
  return o.kind;
}

// ---- The window both pictures show, and the selection

const stato = { a: 0, b: 1, cursore: null, scelta: null };
const MINIMO = 100;

function imposta(a, b) {
  let w = Math.max(MINIMO, Math.min(b - a, totale));
  if (a < 0) a = 0;
  if (a + w > totale) a = totale - w;
  stato.a = a; stato.b = a + w;
  ridisegna();
}
function zoom(f, centro) {
  if (centro === undefined || centro === null) centro = (stato.a + stato.b) / 2;
  const a = centro - (centro - stato.a) * f, b = centro + (stato.b - centro) * f;
  imposta(a, b);
}
function sposta(dm) { imposta(stato.a + dm, stato.b + dm); }

// ---- Canvases

function tela(id) {
  const c = document.getElementById(id), o = document.getElementById(id + '-sopra');
  return { c, o, g: c.getContext('2d'), go: o.getContext('2d'), w: 0, h: 0 };
}
const TP = tela('piano'), TF = tela('profilo');

function misura(t) {
  const r = window.devicePixelRatio || 1;
  const w = t.c.clientWidth, h = t.c.clientHeight;
  if (t.w !== w || t.h !== h || t.r !== r) {
    for (const c of [t.c, t.o]) { c.width = Math.round(w * r); c.height = Math.round(h * r); }
    t.w = w; t.h = h; t.r = r;
  }
  for (const g of [t.g, t.go]) g.setTransform(r, 0, 0, r, 0, 0);
}

let inAttesa = false;
const tempi = { ultimo: 0 };
function ridisegna() {
  if (inAttesa) return;
  inAttesa = true;
  requestAnimationFrame(() => { inAttesa = false; disegnaOra(); });
}
function disegnaOra() {
  const t0 = performance.now();
  misura(TP); misura(TF);
  disegnaPiano();
  disegnaProfilo();
  sopra();
  document.getElementById('finestra').textContent = `${km(stato.a)} – ${km(stato.b)}`;
  tempi.ultimo = performance.now() - t0;
}

// Dense marks: one per pixel spot, which is all a screen can show of them.
function spot() {
  const visti = new Set();
  return (x, y) => { const k = Math.round(x) * 65536 + Math.round(y); if (visti.has(k)) return false; visti.add(k); return true; };
}

function passoTacche(ampiezza, intervalli) {
  const grezzo = ampiezza / Math.max(1, intervalli);
  const p = Math.pow(10, Math.floor(Math.log10(grezzo)));
  for (const f of [1, 2, 5, 10]) if (f * p >= grezzo) return f * p;
  return 10 * p;
}

// Labels that must not cover one another.
function posatore(larghezza, altezza) {
  const presi = [];
  return (x0, y0, x1, y1) => {
    if (larghezza !== undefined && (x0 < 0 || y0 < 0 || x1 > larghezza || y1 > altezza)) return false;
    for (const r of presi) if (x0 < r[2] && r[0] < x1 && y0 < r[3] && r[1] < y1) return false;
    presi.push([x0, y0, x1, y1]);
    return true;
  };
}

// ---- The plan

const vistaPiano = { s: 1, cx: 0, cy: 0, punti: [], segni: [], conta: {} };
const MARGINE = 40;

function pienoM(m) { return m >= 0 && m < P.n && P.X[m] === P.X[m]; }

function cornice(a, b) {
  let x0 = Infinity, y0 = Infinity, x1 = -Infinity, y1 = -Infinity;
  const ka = Math.floor(a / BLOCCO), kb = Math.floor(b / BLOCCO);
  const unisci = (m0, m1) => {
    for (let m = m0; m <= m1; m++) {
      const x = P.X[m], y = P.Y[m];
      if (x !== x) continue;
      if (x < x0) x0 = x; if (x > x1) x1 = x; if (y < y0) y0 = y; if (y > y1) y1 = y;
    }
  };
  if (ka === kb) unisci(a, b);
  else {
    unisci(a, (ka + 1) * BLOCCO - 1);
    for (let k = ka + 1; k < kb; k++) {
      const B = P.B;
      if (B[4 * k] < x0) x0 = B[4 * k]; if (B[4 * k + 1] < y0) y0 = B[4 * k + 1];
      if (B[4 * k + 2] > x1) x1 = B[4 * k + 2]; if (B[4 * k + 3] > y1) y1 = B[4 * k + 3];
    }
    unisci(kb * BLOCCO, b);
  }
  return [x0, y0, x1, y1];
}

function pxPiano(m) {
  const v = vistaPiano;
  return [TP.w / 2 + (P.X[m] - v.cx) * v.s, TP.h / 2 - (P.Y[m] - v.cy) * v.s];
}

// The route from metre m0 to m1, visiting every `passo`-th metre; points in
// one pixel column keep only their extremes.
function tracciaPiano(g, m0, m1, passo, registra) {
  const v = vistaPiano, X = P.X, Y = P.Y, w2 = TP.w / 2, h2 = TP.h / 2, s = v.s;
  m0 = Math.max(0, Math.floor(m0)); m1 = Math.min(P.n - 1, Math.ceil(m1));
  let aperto = false, col = NaN, ymin = 0, ymax = 0, ult = 0, xult = 0;
  const chiudi = () => {
    if (!aperto) return;
    g.lineTo(xult, ymin); g.lineTo(xult, ymax); g.lineTo(xult, ult);
  };
  g.beginPath();
  for (let m = m0; ; m += passo) {
    if (m > m1) { if (m - passo < m1) m = m1; else break; }
    const x = X[m];
    if (x !== x) { chiudi(); aperto = false; col = NaN; if (m === m1) break; continue; }
    const px = w2 + (x - v.cx) * s, py = h2 - (Y[m] - v.cy) * s;
    if (registra) registra(m, px, py);
    const c = Math.floor(px);
    if (!aperto) { g.moveTo(px, py); aperto = true; col = c; ymin = ymax = ult = py; xult = px; }
    else if (c === col) { if (py < ymin) ymin = py; if (py > ymax) ymax = py; ult = py; xult = px; }
    else { chiudi(); g.lineTo(px, py); col = c; ymin = ymax = ult = py; xult = px; }
    if (m === m1) break;
  }
  chiudi();
  g.stroke();
}

function passoPer(s) {
  const mpp = 1 / s;
  let p = 1;
  while (p * 4 < mpp) p *= 2;
  return p;
}

function direzione(m) {
  let a = m - 1, b = m + 1;
  if (!pienoM(a)) a = m; if (!pienoM(b)) b = m;
  if (a === b || !pienoM(a)) return [0, -1];
  const dx = P.X[b] - P.X[a], dy = -(P.Y[b] - P.Y[a]);
  const l = Math.hypot(dx, dy);
  return l === 0 ? [0, -1] : [dx / l, dy / l];
}

function disegnaPiano() {
  const g = TP.g, W = TP.w, H = TP.h, v = vistaPiano;
  g.clearRect(0, 0, W, H);
  v.punti = []; v.segni = []; v.conta = {};
  if (!P) {
    g.fillStyle = '#777'; g.font = '13px sans-serif';
    g.fillText('No plan file: the profile alone.', 20, 30);
    return;
  }
  const a = Math.floor(Math.max(0, stato.a)), b = Math.min(P.n - 1, Math.ceil(stato.b));
  const [x0, y0, x1, y1] = cornice(a, b);
  if (!(x1 >= x0)) return;
  const larga = Math.max(x1 - x0, 1), alta = Math.max(y1 - y0, 1);
  v.s = Math.min((W - 2 * MARGINE) / larga, (H - 2 * MARGINE) / alta);
  v.cx = (x0 + x1) / 2; v.cy = (y0 + y1) / 2;
  const passo = passoPer(v.s);
  // The route beyond the window, faintly, as far as the screen reaches.
  const fuori = (b - a) * 2;
  g.lineWidth = 1.5; g.lineJoin = 'round'; g.strokeStyle = '#c9d3e6';
  tracciaPiano(g, Math.max(0, a - fuori), a, passo);
  tracciaPiano(g, b, Math.min(P.n - 1, b + fuori), passo);
  const ultimo = D.length ? Math.min(D.length, P.n - 1) : P.n - 1;
  g.strokeStyle = colori.route; g.lineWidth = 2;
  const campioni = [];
  tracciaPiano(g, a, Math.min(b, ultimo), passo, (m, x, y) => campioni.push(m, x, y));
  if (b > ultimo) { g.setLineDash([5, 4]); g.lineWidth = 1.5; tracciaPiano(g, Math.max(a, ultimo), b, passo); g.setLineDash([]); }
  v.punti = campioni;
  v.conta.route = campioni.length / 3;

  const nel = o => o.m <= b && (o.to === undefined ? o.m : o.to) >= a;
  const tratto = (lista, stile, larghezza, conta, filtro) => {
    let k = 0;
    g.lineWidth = larghezza; g.lineCap = 'butt';
    for (const o of lista || []) {
      if (!nel(o) || (filtro && !filtro(o))) continue;
      g.strokeStyle = typeof stile === 'function' ? stile(o) : stile;
      const m0 = Math.max(a, o.m), m1 = Math.min(b, o.to);
      if ((m1 - m0) * v.s < 1.5) {
        if (!pienoM(Math.round(m0))) continue;
        const [x, y] = pxPiano(Math.round(m0));
        g.beginPath(); g.arc(x, y, larghezza / 2, 0, 7); g.fillStyle = g.strokeStyle; g.fill();
      } else tracciaPiano(g, m0, m1, Math.max(1, Math.min(passo, Math.floor((m1 - m0) / 4) || 1)));
      v.segni.push({ o, m: (m0 + m1) / 2, lungo: true });
      k++;
    }
    v.conta[conta] = (v.conta[conta] || 0) + k;
  };
  if (acceso.tunnels) { g.globalAlpha = 0.45; tratto(oggetti.tunnel, colori.tunnel, 8, 'tunnels'); g.globalAlpha = 1; }
  if (acceso.curves) tratto(oggetti.curve, o => coloreRaggio(o.radius), 4, 'curves');
  if (acceso.slowdowns) { g.setLineDash([6, 3]); tratto(oggetti.slowdown, colori.slowdown, 3, 'slowdowns'); g.setLineDash([]); }

  // Kilometre ticks across the route.
  const passoKm = passoTacche(80 / v.s, 1);
  const posa = posatore(W, H);
  g.strokeStyle = colori.route; g.fillStyle = colori.route; g.lineWidth = 1.5; g.font = '10px sans-serif';
  for (let m = Math.ceil(a / passoKm) * passoKm; m <= b; m += passoKm) {
    if (!pienoM(m)) continue;
    const [x, y] = pxPiano(m); const [dx, dy] = direzione(m);
    g.beginPath(); g.moveTo(x + 5 * dy, y - 5 * dx); g.lineTo(x - 5 * dy, y + 5 * dx); g.stroke();
    const t = (m / 1000).toFixed(passoKm < 1000 ? 1 : 0) + ' km';
    const lx = x - 9 * dy, ly = y + 9 * dx;
    const w = g.measureText(t).width;
    if (posa(lx - w / 2, ly - 6, lx + w / 2, ly + 6)) { g.textAlign = 'center'; g.fillText(t, lx, ly + 3); }
  }

  const punto = (lista, conta, segno) => {
    if (!lista) return;
    const libero = spot();
    let k = 0;
    for (const o of lista) {
      if (o.m < a || o.m > b || !pienoM(o.m)) continue;
      const [x, y] = pxPiano(o.m);
      if (x < -10 || y < -10 || x > W + 10 || y > H + 10) continue;
      if (!libero(x, y)) continue;
      const d = direzione(o.m);
      segno(o, x, y, d[1], -d[0]);
      v.segni.push({ o, x, y });
      k++;
    }
    v.conta[conta] = (v.conta[conta] || 0) + k;
  };
  if (acceso.signals) punto(oggetti.signal, 'signals', (o, x, y, rx, ry) => {
    g.strokeStyle = colori.signal; g.lineWidth = 1.5;
    g.beginPath(); g.moveTo(x + 2 * rx, y + 2 * ry); g.lineTo(x + 9 * rx, y + 9 * ry); g.stroke();
    const hx = x + 11 * rx, hy = y + 11 * ry;
    g.fillStyle = o.left === 2 ? colori.signal : '#fff';
    g.beginPath();
    if (o.left === 2) g.arc(hx, hy, 2.5, 0, 7); else g.rect(hx - 2.2, hy - 2.2, 4.4, 4.4);
    g.fill(); g.stroke();
  });
  if (acceso.signs) punto(oggetti.sign, 'signs', (o, x, y, rx, ry) => rombo(g, x - 10 * rx, y - 10 * ry, 4, colori.sign));
  if (acceso.indicators) punto(oggetti.indicator, 'indicators', (o, x, y, rx, ry) => {
    g.strokeStyle = colori.indicator; g.lineWidth = 1.5;
    const qx = x - 16 * rx, qy = y - 16 * ry;
    g.beginPath(); g.moveTo(x - 4 * rx, y - 4 * ry); g.lineTo(qx, qy); g.moveTo(qx - 4 * ry, qy + 4 * rx); g.lineTo(qx + 4 * ry, qy - 4 * rx); g.stroke();
  });
  if (acceso.codes) {
    punto(oggetti.code, 'codes', (o, x, y, rx, ry) => cerchio(g, x + 5 * rx, y + 5 * ry, 2.2, colori.code, colori.code));
    punto(oggetti.codeless, 'codes', (o, x, y, rx, ry) => cerchio(g, x + 5 * rx, y + 5 * ry, 2.2, '#fff', colori.code));
  }
  if (acceso.slowdowns) {
    punto(oggetti.board, 'slowdowns', (o, x, y, rx, ry) => triangolo(g, x - 7 * rx, y - 7 * ry, 5, colori.board, '#7a6000'));
    punto(oggetti.slowdownEnd, 'slowdowns', (o, x, y, rx, ry) => cerchio(g, x - 7 * rx, y - 7 * ry, 2.5, '#fff', colori.slowdown));
  }
  if (acceso.findings) punto(segniReperti(), 'findings', (o, x, y) => avviso(g, x, y - 12));
  if (acceso.stations) {
    punto(oggetti.listed, 'stations', (o, x, y) => cerchio(g, x, y, 3, '#fff', '#555'));
    punto(oggetti.station, 'stations', (o, x, y) => cerchio(g, x, y, 4.5, '#000', '#fff'));
    // Names where there is room, stopping points first.
    g.font = '12px sans-serif'; g.textAlign = 'left'; g.fillStyle = '#000';
    for (const lista of [oggetti.station, oggetti.listed]) for (const o of lista || []) {
      if (o.m < a || o.m > b || !pienoM(o.m)) continue;
      const [x, y] = pxPiano(o.m);
      const w = g.measureText(o.name).width;
      for (const [lx, ly] of [[x + 8, y + 4], [x - 8 - w, y + 4], [x - w / 2, y - 10], [x - w / 2, y + 18]])
        if (posa(lx - 1, ly - 11, lx + w + 1, ly + 3)) {
          g.lineWidth = 3; g.strokeStyle = 'rgba(255,255,255,.85)'; g.strokeText(o.name, lx, ly); g.fillText(o.name, lx, ly);
          break;
        }
    }
  }
  // The ends of the window.
  for (const [m, c] of [[0, '#2ca02c'], [ultimo, '#c00']]) {
    if (m < a || m > b || !pienoM(m)) continue;
    const [x, y] = pxPiano(m);
    cerchio(g, x, y, 4, c, '#fff');
  }
  // Scale bar.
  const barra = passoTacche(120 / v.s, 1);
  g.strokeStyle = '#444'; g.fillStyle = '#444'; g.lineWidth = 1; g.font = '11px sans-serif'; g.textAlign = 'left';
  g.beginPath(); g.moveTo(12, H - 14); g.lineTo(12 + barra * v.s, H - 14); g.moveTo(12, H - 18); g.lineTo(12, H - 10); g.moveTo(12 + barra * v.s, H - 18); g.lineTo(12 + barra * v.s, H - 10); g.stroke();
  g.fillText(barra >= 1000 ? barra / 1000 + ' km' : barra + ' m', 18 + barra * v.s, H - 10);
}

function cerchio(g, x, y, r, riempi, tratto) {
  g.beginPath(); g.arc(x, y, r, 0, 7); g.fillStyle = riempi; g.fill();
  g.lineWidth = 1; g.strokeStyle = tratto; g.stroke();
}
function rombo(g, x, y, r, c) {
  g.beginPath(); g.moveTo(x, y - r); g.lineTo(x + r, y); g.lineTo(x, y + r); g.lineTo(x - r, y); g.closePath();
  g.fillStyle = '#fff'; g.fill(); g.strokeStyle = c; g.lineWidth = 1.3; g.stroke();
}
function triangolo(g, x, y, r, riempi, tratto) {
  g.beginPath(); g.moveTo(x - r, y - r * .8); g.lineTo(x + r, y - r * .8); g.lineTo(x, y + r); g.closePath();
  g.fillStyle = riempi; g.fill(); g.strokeStyle = tratto; g.lineWidth = 1; g.stroke();
}
function avviso(g, x, y) {
  triangolo(g, x, y, 6, colori.finding, '#fff');
  g.fillStyle = '#fff'; g.font = 'bold 9px sans-serif'; g.textAlign = 'center'; g.fillText('!', x, y + 1);
}

// Findings stand where the cells of their line are.
function segniReperti() {
  const v = [];
  (D.findings || []).forEach((f, i) => {
    for (const c of f.cells || []) v.push({ kind: 'finding', m: c * CELLA, cell: c, f, i });
  });
  return v.sort((p, q) => p.m - q.m);
}

// ---- The profile

const fila = { nomi: 0, stazioni: 0, segnali: 0, codici: 0, rallentamenti: 0, indicatori: 0, cartelli: 0, curve: 0 };
const vistaProfilo = { sx: 96, dx: 16, pannelli: [], segni: [], conta: {} };

function xProfilo(m) {
  const v = vistaProfilo;
  return v.sx + (m - stato.a) / (stato.b - stato.a) * (TF.w - v.sx - v.dx);
}
function mProfilo(x) {
  const v = vistaProfilo;
  return stato.a + (x - v.sx) / (TF.w - v.sx - v.dx) * (stato.b - stato.a);
}

function disegnaProfilo() {
  const g = TF.g, W = TF.w, H = TF.h, v = vistaProfilo;
  g.clearRect(0, 0, W, H);
  v.segni = []; v.conta = {};
  const a = stato.a, b = stato.b, x0 = v.sx, x1 = W - v.dx;
  // Rows of objects, then the three panels.
  let y = 6;
  fila.nomi = y; y += 40;
  const file = [['stazioni', 'stations'], ['segnali', 'signals'], ['codici', 'codes'], ['rallentamenti', 'slowdowns'],
    ['indicatori', 'indicators'], ['cartelli', 'signs'], ['curve', 'curves']];
  const righe = [];
  for (const [k, l] of file) {
    fila[k] = y;
    if (k === 'stazioni' || (presente(l) && acceso[l])) { righe.push([k, l]); y += 17; }
  }
  if (acceso.findings && presente('findings')) { fila.reperti = y; y += 17; }
  y += 8;
  const resto = Math.max(90, H - y - 28);
  const acc = ['gradient', 'speed', 'adhesion'].filter(k => acceso[k] && D.cells);
  v.pannelli = [];
  const alto = acc.length ? (resto - 10 * (acc.length - 1)) / acc.length : 0;
  for (const k of acc) { v.pannelli.push({ k, alto: y, basso: y + alto }); y += alto + 10; }
  const fondo = y - 10;

  // Tunnels shade every row and panel.
  if (acceso.tunnels) {
    let k = 0, ultimoX = -1;
    g.fillStyle = 'rgba(138,138,138,.28)';
    for (const o of oggetti.tunnel || []) {
      if (o.to < a || o.m > b) continue;
      const xa = Math.max(x0, xProfilo(o.m)), xb = Math.min(x1, xProfilo(o.to));
      if (xb < ultimoX + 0.5 && xa < ultimoX + 0.5) continue;
      g.fillRect(xa, fila.stazioni, Math.max(0.6, xb - xa), fondo - fila.stazioni);
      ultimoX = xb;
      v.segni.push({ o, x: (xa + xb) / 2, y: fila.stazioni + 4, x0: xa, x1: xb, fila: 'tunnel' });
      k++;
    }
    v.conta.tunnels = k;
  }

  g.font = '11px sans-serif'; g.fillStyle = '#444'; g.textAlign = 'right';
  const etichetta = (t, yy) => g.fillText(t, x0 - 6, yy);
  const nomiFile = { stazioni: 'stations', segnali: 'signals', codici: 'code points', rallentamenti: 'slowdowns', indicatori: 'indicators', cartelli: 'signs', curve: 'curves' };
  g.strokeStyle = '#eee'; g.lineWidth = 1;
  g.beginPath();
  for (const [k] of righe) { etichetta(nomiFile[k], fila[k] + 11); if (k !== 'stazioni') { g.moveTo(x0, fila[k] - 1.5); g.lineTo(x1, fila[k] - 1.5); } }
  if (fila.reperti !== undefined && acceso.findings && presente('findings')) { etichetta('findings', fila.reperti + 11); g.moveTo(x0, fila.reperti - 1.5); g.lineTo(x1, fila.reperti - 1.5); }
  g.stroke();

  // Kilometre grid and axis.
  const passo = passoTacche((b - a), Math.max(2, Math.floor((x1 - x0) / 90)));
  g.strokeStyle = '#e6e6e6'; g.fillStyle = '#444'; g.textAlign = 'center';
  g.beginPath();
  for (let m = Math.ceil(a / passo) * passo; m <= b; m += passo) {
    const x = Math.round(xProfilo(m)) + .5;
    g.moveTo(x, fila.stazioni); g.lineTo(x, fondo);
  }
  g.stroke();
  for (let m = Math.ceil(a / passo) * passo; m <= b; m += passo)
    g.fillText((m / 1000).toFixed(passo < 1000 ? (passo < 100 ? 2 : 1) : 0), xProfilo(m), fondo + 13);
  g.fillText('distance along the route (km)', (x0 + x1) / 2, fondo + 25);

  const marca = (lista, conta, fy, segno, filaNome) => {
    if (!lista) return;
    let ultimo = -Infinity, k = 0;
    for (const o of lista) {
      if (o.m < a || o.m > b) continue;
      const x = xProfilo(o.m);
      if (x - ultimo < 1) continue;
      ultimo = x;
      segno(o, x, fy);
      v.segni.push({ o, x, y: fy + 6, fila: filaNome });
      k++;
    }
    v.conta[conta] = (v.conta[conta] || 0) + k;
  };
  const posa = posatore();
  if (acceso.stations) {
    marca(oggetti.listed, 'stations', fila.stazioni, (o, x, y) => { g.beginPath(); g.moveTo(x, y + 1); g.lineTo(x - 4, y + 9); g.lineTo(x + 4, y + 9); g.closePath(); g.fillStyle = '#fff'; g.fill(); g.strokeStyle = '#555'; g.lineWidth = 1; g.stroke(); }, 'stations');
    marca(oggetti.station, 'stations', fila.stazioni, (o, x, y) => { g.beginPath(); g.moveTo(x, y); g.lineTo(x - 5, y + 10); g.lineTo(x + 5, y + 10); g.closePath(); g.fillStyle = '#000'; g.fill(); }, 'stations');
    // Names with their times above, where they fit.
    g.textAlign = 'center';
    for (const lista of [oggetti.station, oggetti.listed]) for (const o of lista || []) {
      if (o.m < a || o.m > b) continue;
      const x = xProfilo(o.m);
      g.font = (o.kind === 'station' ? 'bold ' : '') + '11px sans-serif';
      const w = Math.max(g.measureText(o.name).width, o.time ? g.measureText(o.time).width : 0);
      for (const riga of [0, 1]) {
        const yy = fila.nomi + 12 + riga * 0;
        if (riga === 1) break;
        if (!posa(x - w / 2 - 2, yy - 11, x + w / 2 + 2, yy + 14)) continue;
        g.fillStyle = o.kind === 'station' ? '#000' : '#666';
        g.fillText(o.name, x, yy);
        if (o.time) { g.font = '10px sans-serif'; g.fillStyle = '#555'; g.fillText(o.time, x, yy + 13); }
      }
    }
  }
  if (acceso.signals) marca(oggetti.signal, 'signals', fila.segnali, (o, x, y) => {
    g.strokeStyle = colori.signal; g.lineWidth = 1.2; g.beginPath(); g.moveTo(x, y + 1); g.lineTo(x, y + 13); g.stroke();
    g.fillStyle = o.left === 2 ? colori.signal : '#fff'; g.beginPath();
    if (o.left === 2) g.arc(x, y + 3, 2.5, 0, 7); else g.rect(x - 2.2, y + 1, 4.4, 4.4);
    g.fill(); g.stroke();
  }, 'signals');
  if (acceso.codes) {
    marca(oggetti.code, 'codes', fila.codici, (o, x, y) => { g.strokeStyle = colori.code; g.lineWidth = 1.2; g.beginPath(); g.moveTo(x, y + 1); g.lineTo(x, y + 13); g.stroke(); }, 'codes');
    marca(oggetti.codeless, 'codes', fila.codici, (o, x, y) => { g.strokeStyle = colori.code; g.setLineDash([2, 2]); g.beginPath(); g.moveTo(x, y + 1); g.lineTo(x, y + 13); g.stroke(); g.setLineDash([]); }, 'codes');
    let ultimo = -Infinity;
    g.font = '9px sans-serif'; g.fillStyle = colori.code; g.textAlign = 'left';
    for (const o of oggetti.code || []) {
      if (o.m < a || o.m > b) continue;
      const x = xProfilo(o.m), t = String(o.code), w = g.measureText(t).width;
      if (x + 2 < ultimo) continue;
      g.fillText(t, x + 2, fila.codici + 9); ultimo = x + 4 + w;
    }
  }
  if (acceso.slowdowns) {
    g.globalAlpha = .5; g.strokeStyle = colori.slowdown; g.lineWidth = 3;
    g.beginPath();
    for (const o of oggetti.slowdown || []) if (o.to >= a && o.m <= b) { g.moveTo(Math.max(x0, xProfilo(o.m)), fila.rallentamenti + 8); g.lineTo(Math.min(x1, xProfilo(o.to)), fila.rallentamenti + 8); }
    g.stroke(); g.globalAlpha = 1;
    marca(oggetti.board, 'slowdowns', fila.rallentamenti, (o, x, y) => triangolo(g, x, y + 6, 5, colori.board, '#7a6000'), 'slowdowns');
    marca(oggetti.slowdown, 'slowdowns', fila.rallentamenti, (o, x, y) => { g.strokeStyle = '#8a4500'; g.fillStyle = colori.slowdown; g.lineWidth = 1; g.beginPath(); g.moveTo(x, y + 1); g.lineTo(x, y + 14); g.stroke(); g.beginPath(); g.moveTo(x, y + 1); g.lineTo(x + 8, y + 4); g.lineTo(x, y + 7); g.fill(); }, 'slowdowns');
    marca(oggetti.slowdownEnd, 'slowdowns', fila.rallentamenti, (o, x, y) => { g.strokeStyle = '#8a4500'; g.lineWidth = 1; g.beginPath(); g.moveTo(x, y + 1); g.lineTo(x, y + 14); g.moveTo(x, y + 1); g.lineTo(x - 8, y + 4); g.lineTo(x, y + 7); g.stroke(); }, 'slowdowns');
  }
  if (acceso.indicators) {
    marca(oggetti.indicator, 'indicators', fila.indicatori, (o, x, y) => { g.strokeStyle = colori.indicator; g.lineWidth = 1.4; g.beginPath(); g.moveTo(x, y + 3); g.lineTo(x, y + 14); g.moveTo(x - 4, y + 3); g.lineTo(x + 4, y + 3); g.stroke(); }, 'indicators');
    let ultimo = -Infinity;
    g.font = '9px sans-serif'; g.fillStyle = colori.indicator; g.textAlign = 'left';
    for (const o of oggetti.indicator || []) {
      if (o.m < a || o.m > b) continue;
      const x = xProfilo(o.m), w = g.measureText(o.text).width;
      if (x + 5 < ultimo) continue;
      g.fillText(o.text, x + 5, fila.indicatori + 10); ultimo = x + 8 + w;
    }
  }
  if (acceso.signs) marca(oggetti.sign, 'signs', fila.cartelli, (o, x, y) => rombo(g, x, y + 7, 4.5, colori.sign), 'signs');
  if (acceso.curves && oggetti.curve) {
    const c = fila.curve + 8;
    let k = 0, ultimoX = -1;
    for (const o of oggetti.curve) {
      if (o.to < a || o.m > b) continue;
      const xa = Math.max(x0, xProfilo(o.m)), xb = Math.min(x1, xProfilo(o.to));
      if (xb < ultimoX + 0.5) continue;
      ultimoX = xb;
      const h = Math.max(2, Math.min(7, 7 * 300 / o.radius));
      g.fillStyle = coloreRaggio(o.radius);
      g.fillRect(xa, o.side === 'right' ? c - h : c, Math.max(0.8, xb - xa), h);
      v.segni.push({ o, x: (xa + xb) / 2, y: c, x0: xa, x1: xb, fila: 'curves' });
      k++;
    }
    v.conta.curves = k;
    g.strokeStyle = '#bbb'; g.lineWidth = 1; g.beginPath(); g.moveTo(x0, c + .5); g.lineTo(x1, c + .5); g.stroke();
  }
  if (acceso.findings && presente('findings')) marca(segniReperti(), 'findings', fila.reperti, (o, x, y) => avviso(g, x, y + 7), 'findings');

  for (const p of v.pannelli) pannello(g, p, x0, x1);
}

const titoliPannelli = { gradient: 'gradient ‰', speed: 'speed km/h', adhesion: 'adhesion' };

// A step line over the cells in the window: where many cells share a pixel
// column, the column's extremes and its last value.
function gradini(g, serie, y, x0, x1) {
  const n = serie.length, a = stato.a, b = stato.b;
  let i = Math.max(0, Math.floor(a / CELLA)), fine = Math.min(n - 1, Math.ceil(b / CELLA));
  let aperto = false, col = NaN, vmin = 0, vmax = 0, corrente = null, punti = 0;
  g.beginPath();
  for (; i <= fine; i++) {
    const val = serie[i];
    const x = Math.max(x0, Math.min(x1, xProfilo(i * CELLA)));
    if (val === null) { aperto = false; continue; }
    const py = y(val);
    if (!aperto) { g.moveTo(x, py); aperto = true; corrente = py; col = Math.floor(x); vmin = vmax = py; punti++; continue; }
    const c = Math.floor(x);
    if (c === col) { if (py < vmin) vmin = py; if (py > vmax) vmax = py; if (py !== corrente) { g.lineTo(x, corrente); g.lineTo(x, py); corrente = py; } continue; }
    if (vmin !== vmax) { g.lineTo(col + .5, vmin); g.lineTo(col + .5, vmax); g.lineTo(col + .5, corrente); }
    g.lineTo(x, corrente); g.lineTo(x, py); corrente = py; col = c; vmin = vmax = py; punti++;
  }
  if (aperto) g.lineTo(Math.min(x1, xProfilo(Math.min(b, (fine + 1) * CELLA))), corrente);
  g.stroke();
  return punti;
}

function pannello(g, p, x0, x1) {
  const v = vistaProfilo, serie = D.cells[p.k];
  let lo = Infinity, hi = -Infinity;
  for (const s of serie) if (s !== null) { if (s < lo) lo = s; if (s > hi) hi = s; }
  if (p.k === 'speed') for (const o of (oggetti.slowdown || []).concat(oggetti.board || [])) if (o.speed > hi) hi = o.speed;
  if (p.k === 'gradient') { const m = Math.max(5, Math.abs(lo), Math.abs(hi)); lo = -m; hi = m; }
  else { lo = 0; hi = Math.max(hi, 10); }
  const passo = passoTacche(hi - lo, 4);
  hi = Math.ceil(hi / passo - 1e-9) * passo; lo = Math.floor(lo / passo + 1e-9) * passo;
  const y = val => p.basso - (val - lo) / (hi - lo) * (p.basso - p.alto);
  p.y = y; p.lo = lo; p.hi = hi;
  g.strokeStyle = '#444'; g.lineWidth = 1; g.strokeRect(x0 + .5, p.alto + .5, x1 - x0, p.basso - p.alto);
  g.fillStyle = '#444'; g.font = '10px sans-serif'; g.textAlign = 'right';
  g.strokeStyle = '#eee'; g.beginPath();
  for (let t = lo; t <= hi + 1e-9; t += passo) { const yy = Math.round(y(t)) + .5; g.moveTo(x0, yy); g.lineTo(x1, yy); g.fillText(String(+t.toFixed(6)), x0 - 4, yy + 3); }
  g.stroke();
  g.save(); g.translate(12, (p.alto + p.basso) / 2); g.rotate(-Math.PI / 2); g.textAlign = 'center'; g.fillStyle = colori[p.k]; g.font = '11px sans-serif'; g.fillText(titoliPannelli[p.k], 0, 0); g.restore();
  g.save(); g.beginPath(); g.rect(x0, p.alto, x1 - x0, p.basso - p.alto); g.clip();
  g.strokeStyle = colori[p.k]; g.lineWidth = 1.5;
  v.conta[p.k] = gradini(g, serie, y, x0, x1);
  if (p.k === 'speed' && acceso.slowdowns) {
    g.strokeStyle = colori.slowdown; g.lineWidth = 2; g.setLineDash([4, 2]); g.beginPath();
    for (const o of oggetti.slowdown || []) if (o.to >= stato.a && o.m <= stato.b) { g.moveTo(xProfilo(o.m), y(o.speed)); g.lineTo(xProfilo(o.to), y(o.speed)); }
    g.stroke(); g.setLineDash([]);
  }
  g.restore();
}

// ---- The cursor, the hover text, the selection

function sopra() {
  for (const t of [TP, TF]) t.go.clearRect(0, 0, t.w, t.h);
  const m = stato.cursore;
  const s = stato.scelta;
  const segna = (mm, colore, r) => {
    if (P && pienoM(Math.round(mm))) {
      const [x, y] = pxPiano(Math.round(mm));
      const g = TP.go; g.beginPath(); g.arc(x, y, r, 0, 7); g.lineWidth = 2.5; g.strokeStyle = colore; g.stroke();
    }
    if (mm >= stato.a && mm <= stato.b) {
      const x = xProfilo(mm), g = TF.go;
      g.beginPath(); g.moveTo(x, fila.stazioni); g.lineTo(x, TF.h - 28); g.lineWidth = colore === colori.cursor ? 1 : 2; g.strokeStyle = colore; g.stroke();
    }
  };
  if (s) segna(s.m, '#f0a000', 8);
  if (m !== null) {
    segna(m, colori.cursor, 6);
    const g = TF.go;
    g.font = '11px sans-serif'; g.fillStyle = colori.cursor; g.textAlign = 'left';
    if (m >= stato.a && m <= stato.b) g.fillText(km(m), xProfilo(m) + 4, TF.h - 30);
  }
}

const suggerimento = document.getElementById('suggerimento');
function suggerisci(testo, ev, da) {
  if (!testo) { if (!da || suggerimento.dataset.da === da) suggerimento.hidden = true; return; }
  suggerimento.dataset.da = da || '';
  const r = document.getElementById('disegni').getBoundingClientRect();
  suggerimento.textContent = testo;
  suggerimento.hidden = false;
  suggerimento.style.left = Math.min(r.width - 260, ev.clientX - r.left + 14) + 'px';
  suggerimento.style.top = (ev.clientY - r.top + 14) + 'px';
}

// The nearest route metre drawn near a point of the plan.
function metroVicino(x, y, raggio) {
  const p = vistaPiano.punti;
  let migliore = null, d2 = raggio * raggio;
  for (let i = 0; i < p.length; i += 3) {
    const dx = p[i + 1] - x, dy = p[i + 2] - y, d = dx * dx + dy * dy;
    if (d < d2) { d2 = d; migliore = p[i]; }
  }
  return migliore;
}

function oggettoPiano(x, y) {
  let migliore = null, d2 = 64;
  // A station first: signals and signs stand close around it.
  for (const s of vistaPiano.segni) {
    if (s.lungo || (s.o.kind !== 'station' && s.o.kind !== 'listed')) continue;
    const d = (s.x - x) ** 2 + (s.y - y) ** 2;
    if (d < 49 && d < d2) { d2 = d; migliore = s.o; }
  }
  if (migliore) return migliore;
  for (const s of vistaPiano.segni) {
    if (s.lungo) continue;
    const d = (s.x - x) ** 2 + (s.y - y) ** 2;
    if (d < d2) { d2 = d; migliore = s.o; }
  }
  if (migliore) return migliore;
  // Stretches (curves, tunnels, slowdowns) by the metre under the pointer.
  const m = metroVicino(x, y, 6);
  if (m === null) return null;
  for (const k of ['curve', 'slowdown', 'tunnel'])
    for (const o of oggetti[k] || []) if (o.m <= m && o.to >= m && acceso[livelloDi[k]]) return o;
  return null;
}

function oggettoProfilo(x, y) {
  let migliore = null, d2 = 64;
  for (const s of vistaProfilo.segni) {
    if (s.x0 !== undefined) {
      if (x >= s.x0 - 2 && x <= s.x1 + 2 && Math.abs(y - s.y) < 9 && s.fila === 'curves') return s.o;
      continue;
    }
    const d = (s.x - x) ** 2 + (s.y - y) ** 2;
    if (d < d2) { d2 = d; migliore = s.o; }
  }
  if (migliore) return migliore;
  if (y > fila.stazioni && y < TF.h - 28)
    for (const s of vistaProfilo.segni) if (s.fila === 'tunnel' && x >= s.x0 && x <= s.x1) return s.o;
  return null;
}

// ---- The side panel

function esc(s) { return String(s).replace(/[&<>"]/g, c => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]); }

function scegli(o, m) {
  if (o && o.cell === undefined && o.kind !== 'finding') o = Object.assign({ cell: Math.min(D.cells ? D.cells.count - 1 : 0, Math.floor(o.m / CELLA)) }, o);
  stato.scelta = o ? { o, m: o.m } : (m === null || m === undefined ? null : { o: null, m, cella: Math.floor(m / CELLA) });
  mostraScelta();
  sopra();
}

function mostraScelta() {
  const box = document.getElementById('scelta');
  const s = stato.scelta;
  if (!s) { box.innerHTML = '<p class="vuoto">Click an object or a cell to see it here.</p>'; return; }
  let h = '';
  if (s.o) h += `<h2 class="oggetto">${esc(descrivi(s.o))}</h2>`;
  if (s.o && s.o.rowWords) h += `<p class="parole">${esc(s.o.rowWords)}</p>`;
  const n = s.o ? s.o.cell : s.cella;
  if (D.cells && n !== undefined && n !== null && n >= 0 && n < D.cells.count) {
    const c = D.cells;
    h += `<h2>cell ${n} at ${n * CELLA}–${n * CELLA + CELLA - 1} m</h2>`;
    h += `<p class="parole" id="parole">${esc(c.meanings[c.meaning[n]])}</p>`;
    const f = (D.sources || {})[n];
    if (f && f.file) h += `<div class="fonte" id="fonte">from line ${f.line} of ${esc(f.file)}, column ${f.column}<code>${esc(f.text)}</code></div>`;
    else if (f && f.by) h += `<div class="fonte" id="fonte">added by ${esc(f.by)}</div>`;
    h += '<table id="campi">' + c.fields.map((k, i) => `<tr><td>${esc(k)}</td><td>${c.values[i][n]}</td></tr>`).join('') + '</table>';
  }
  if (s.o && s.o.kind === 'finding') h += `<div class="fonte">${esc(s.o.f.file)}:${s.o.f.line}:${s.o.f.column}<code>${esc(s.o.f.text || '')}</code></div>`;
  box.innerHTML = h;
}

function mostraReperti() {
  const box = document.getElementById('reperti');
  const r = D.findings || [];
  let h = '';
  if (D.buildCode) h += `<p class="reperto">${esc(D.buildCode)}</p>`;
  if (D.sourceNote) h += `<p class="reperto note">the descriptions ${esc(D.sourceNote)}</p>`;
  if (r.length) {
    h += `<h2>Findings (${r.length})</h2>`;
    if (D.findingsNote) h += `<p class="reperto note">${esc(D.findingsNote)}</p>`;
    r.forEach((f, i) => {
      h += `<div class="reperto ${esc(f.severity)}" data-i="${i}">${esc(f.file)}${f.line ? ':' + f.line + ':' + f.column : ''}: ${esc(f.severity)}: ${esc(f.message)}</div>`;
    });
  }
  box.innerHTML = h;
  for (const e of box.querySelectorAll('.reperto[data-i]')) e.onclick = () => {
    const f = r[+e.dataset.i];
    if (f.cells && f.cells.length) {
      const m = f.cells[0] * CELLA;
      centra(m);
      scegli({ kind: 'finding', m, cell: f.cells[0], f });
    }
  };
}

// ---- Layers and legend: only what the page holds

function disegnaCampione(c, k) {
  const g = c.getContext('2d');
  const r = window.devicePixelRatio || 1;
  c.width = 24 * r; c.height = 12 * r; g.scale(r, r);
  const y = 6;
  switch (k) {
    case 'stations': cerchio(g, 12, y, 4, '#000', '#fff'); break;
    case 'signals': g.strokeStyle = colori.signal; g.beginPath(); g.moveTo(8, y); g.lineTo(18, y); g.stroke(); g.fillStyle = '#fff'; g.strokeRect(17, y - 2, 4, 4); break;
    case 'tunnels': g.fillStyle = 'rgba(138,138,138,.5)'; g.fillRect(2, 2, 20, 8); break;
    case 'signs': rombo(g, 12, y, 4, colori.sign); break;
    case 'indicators': g.strokeStyle = colori.indicator; g.lineWidth = 1.4; g.beginPath(); g.moveTo(12, 2); g.lineTo(12, 11); g.moveTo(8, 2); g.lineTo(16, 2); g.stroke(); break;
    case 'codes': cerchio(g, 12, y, 2.5, colori.code, colori.code); break;
    case 'slowdowns': g.strokeStyle = colori.slowdown; g.lineWidth = 3; g.setLineDash([6, 3]); g.beginPath(); g.moveTo(2, y); g.lineTo(22, y); g.stroke(); break;
    case 'curves': scalaRaggi.forEach(([, c2], i) => { g.fillStyle = c2; g.fillRect(2 + i * 4, 2, 4, 8); }); break;
    case 'findings': avviso(g, 12, 5); break;
    default: g.strokeStyle = colori[k]; g.lineWidth = 1.5; g.beginPath(); g.moveTo(2, 9); g.lineTo(9, 9); g.lineTo(9, 3); g.lineTo(22, 3); g.stroke();
  }
}

function mostraLivelli() {
  const box = document.getElementById('livelli');
  box.innerHTML = '';
  const route = document.createElement('label');
  route.innerHTML = '<canvas></canvas><span>route (dashed beyond its end)</span>';
  const g = route.querySelector('canvas');
  box.appendChild(route);
  const r = window.devicePixelRatio || 1; g.width = 24 * r; g.height = 12 * r;
  const gg = g.getContext('2d'); gg.scale(r, r); gg.strokeStyle = colori.route; gg.lineWidth = 2; gg.beginPath(); gg.moveTo(2, 6); gg.lineTo(22, 6); gg.stroke();
  for (const [k, nome] of livelli) {
    if (!presente(k)) continue;
    const l = document.createElement('label');
    l.dataset.layer = k;
    l.innerHTML = `<input type="checkbox"${acceso[k] ? ' checked' : ''}><canvas></canvas><span>${esc(nome)}</span>`;
    disegnaCampione(l.querySelector('canvas'), k);
    l.querySelector('input').onchange = e => { acceso[k] = e.target.checked; ridisegna(); };
    box.appendChild(l);
    if (k === 'curves') {
      const s = document.createElement('div');
      s.style.cssText = 'font-size:11px;margin:0 0 4px 30px';
      s.innerHTML = scalaRaggi.map(([r2, c], i) => `<span style="color:${c}">■</span> ${i === scalaRaggi.length - 1 ? '≥ ' + scalaRaggi[i - 1][0] : '< ' + r2} m`).join(' ');
      box.appendChild(s);
    }
  }
}

// ---- Search

function centra(m) {
  let w = stato.b - stato.a;
  if (w > totale * 0.5) w = Math.min(totale, 5000);
  imposta(m - w / 2, m + w / 2);
}

let ultimaRicerca = { q: '', i: -1 };
function cerca(q) {
  const esito = document.getElementById('esito');
  esito.textContent = '';
  q = q.trim();
  if (!q) return false;
  let r;
  if ((r = /^(?:cell\s*|#)(\d+)$/i.exec(q))) {
    const n = +r[1];
    if (!D.cells || n >= D.cells.count) { esito.textContent = `no cell ${n}: the cells are 0 to ${D.cells ? D.cells.count - 1 : 0}`; return false; }
    centra(n * CELLA + CELLA / 2); scegli(null, n * CELLA); return true;
  }
  if ((r = /^(\d+(?:[.,]\d+)?)\s*(km|m)?$/i.exec(q))) {
    const v = parseFloat(r[1].replace(',', '.'));
    const m = r[2] && r[2].toLowerCase() === 'm' ? v : v * 1000;
    if (m > totale) { esito.textContent = `${km(m)} is beyond the route's ${km(totale)}`; return false; }
    centra(m); scegli(null, m); return true;
  }
  const tutte = (oggetti.station || []).concat(oggetti.listed || []).sort((a, b) => a.m - b.m);
  const ql = q.toLowerCase();
  // The name itself first, then names that begin with it, then the rest.
  const grado = o => { const n = o.name.toLowerCase(); return n === ql ? 0 : n.startsWith(ql) ? 1 : 2; };
  const trovate = tutte.filter(o => o.name.toLowerCase().includes(ql)).sort((x, y) => grado(x) - grado(y) || x.m - y.m);
  if (!trovate.length) { esito.textContent = `no station named like '${q}', no kilometre, no cell`; return false; }
  ultimaRicerca = { q, i: ultimaRicerca.q === q ? (ultimaRicerca.i + 1) % trovate.length : 0 };
  const o = trovate[ultimaRicerca.i];
  centra(o.m); scegli(o);
  return true;
}
document.getElementById('cerca').onsubmit = e => { e.preventDefault(); cerca(document.getElementById('domanda').value); };

// ---- Pointer: wheel, drag, pinch, hover, click

function agganciaTela(t, metroDi, daTrascinamento, oggettoIn) {
  const c = t.c;
  const punti = new Map();
  let inizio = null, mosso = false, distanza = 0;
  c.addEventListener('wheel', e => {
    e.preventDefault();
    const r = c.getBoundingClientRect();
    const f = Math.pow(1.0015, e.deltaY * (e.deltaMode === 1 ? 30 : 1));
    zoom(f, metroDi(e.clientX - r.left, e.clientY - r.top));
  }, { passive: false });
  c.addEventListener('pointerdown', e => {
    // A pointer the browser does not know (one made up by a script) cannot be captured.
    try { c.setPointerCapture(e.pointerId); } catch { /* the moves still come while over the canvas */ }
    punti.set(e.pointerId, [e.clientX, e.clientY]);
    inizio = [e.clientX, e.clientY]; mosso = false;
    if (punti.size === 2) { const [p, q] = [...punti.values()]; distanza = Math.hypot(p[0] - q[0], p[1] - q[1]); }
  });
  c.addEventListener('pointermove', e => {
    const r = c.getBoundingClientRect();
    const x = e.clientX - r.left, y = e.clientY - r.top;
    if (punti.has(e.pointerId)) {
      const prima = punti.get(e.pointerId);
      punti.set(e.pointerId, [e.clientX, e.clientY]);
      if (punti.size === 2) {
        const [p, q] = [...punti.values()];
        const d = Math.hypot(p[0] - q[0], p[1] - q[1]);
        if (distanza > 0 && d > 0) zoom(distanza / d, metroDi((p[0] + q[0]) / 2 - r.left, (p[1] + q[1]) / 2 - r.top));
        distanza = d; mosso = true;
        return;
      }
      if (Math.hypot(e.clientX - inizio[0], e.clientY - inizio[1]) > 3) mosso = true;
      if (mosso) { sposta(daTrascinamento(e.clientX - prima[0], e.clientY - prima[1])); return; }
    }
    const m = metroDi(x, y, true);
    stato.cursore = m;
    sopra();
    const o = oggettoIn(x, y);
    suggerisci(o ? descrivi(o) : (m !== null ? `${km(m)}, cell ${Math.floor(m / CELLA)}` : ''), e, c.id);
  });
  const fine = e => {
    const era = punti.has(e.pointerId);
    punti.delete(e.pointerId);
    if (punti.size < 2) distanza = 0;
    if (!era || mosso || e.type !== 'pointerup') return;
    const r = c.getBoundingClientRect();
    const x = e.clientX - r.left, y = e.clientY - r.top;
    const o = oggettoIn(x, y);
    if (o) scegli(o);
    else { const m = metroDi(x, y, true); if (m !== null) scegli(null, m); }
  };
  c.addEventListener('pointerup', fine);
  c.addEventListener('pointercancel', fine);
  // Leaving one canvas for the other must not hide what the other just showed.
  c.addEventListener('pointerleave', () => { stato.cursore = null; sopra(); suggerisci('', null, c.id); });
}

agganciaTela(TP, (x, y, stretto) => {
  if (!P) return null;
  const m = metroVicino(x, y, stretto ? 12 : 60);
  return m === null ? (stretto ? null : undefined) : m;
}, (dx, dy) => {
  // Dragging moves the route with the pointer along its own direction.
  if (!P) return 0;
  const a = Math.round(stato.a), b = Math.round(Math.min(stato.b, P.n - 1));
  if (!pienoM(a) || !pienoM(b)) return -dx / vistaPiano.s;
  const [xa, ya] = pxPiano(a), [xb, yb] = pxPiano(b);
  const l = Math.hypot(xb - xa, yb - ya);
  if (l < 1) return -dx / vistaPiano.s;
  const lungo = (dx * (xb - xa) + dy * (yb - ya)) / l;
  return -lungo * (b - a) / l;
}, oggettoPiano);

agganciaTela(TF, (x, y, stretto) => {
  const m = mProfilo(x);
  if (m < stato.a || m > stato.b) return stretto ? null : undefined;
  return m;
}, dx => -dx * (stato.b - stato.a) / (TF.w - vistaProfilo.sx - vistaProfilo.dx), oggettoProfilo);

window.addEventListener('resize', ridisegna);
window.addEventListener('keydown', e => {
  if (e.target.tagName === 'INPUT') return;
  if (e.key === '+' || e.key === '=') zoom(1 / 1.5);
  else if (e.key === '-') zoom(1.5);
  else if (e.key === 'ArrowLeft') sposta(-(stato.b - stato.a) / 5);
  else if (e.key === 'ArrowRight') sposta((stato.b - stato.a) / 5);
  else if (e.key === '0') imposta(0, totale);
});

// ---- A new scenario in place of the old one, keeping the window and the selection

function nuovoScenario(dati) {
  const prima = stato.scelta;
  D = dati;
  prepara();
  document.getElementById('guasto').hidden = true;
  imposta(stato.a, stato.b);
  if (prima) {
    // An object gone from this build (a save caught half way) is looked for again in the next.
    const o = prima.o || prima.voluto;
    const ritrovato = o && o.kind !== 'finding' && (oggetti[o.kind] || []).find(x => x.m === o.m);
    stato.scelta = ritrovato ? { o: ritrovato, m: ritrovato.m }
      : { o: null, m: prima.m, cella: Math.floor(prima.m / CELLA), voluto: o && o.kind !== 'finding' ? o : undefined };
  }
  mostraScelta(); mostraReperti(); mostraLivelli();
}

function guasto(testo, reperti) {
  const g = document.getElementById('guasto');
  g.textContent = testo;
  g.hidden = false;
  D.findings = reperti || [];
  mostraReperti();
}

// ---- Start

prepara();
stato.a = 0; stato.b = totale;
mostraLivelli();
mostraReperti();
disegnaOra();

if (DIRETTA) {
  const fonte = new EventSource('events?since=' + (D.generation || 0));
  fonte.addEventListener('scenario', e => {
    const t0 = performance.now();
    nuovoScenario(JSON.parse(e.data));
    disegnaOra();
    tempi.aggiornamento = performance.now() - t0;
  });
  fonte.addEventListener('failure', e => { const j = JSON.parse(e.data); guasto(j.error, j.findings); });
}

// For the tests and for whoever drives the page from a console.
window.vista = {
  stato, tempi,
  finestra: () => [stato.a, stato.b],
  zoom, sposta, imposta, cerca,
  // What each layer drew in the last frame.
  conta: () => {
    const c = Object.assign({}, vistaPiano.conta);
    for (const k in vistaProfilo.conta) c[k] = (c[k] || 0) + vistaProfilo.conta[k];
    return c;
  },
  presenti: () => livelli.map(l => l[0]).filter(presente),
  // Where an object is drawn, on the plan and on the profile, in page pixels.
  posto: (kind, i) => {
    // The plan's frame is the last frame's: one still to come is drawn now.
    if (inAttesa) disegnaOra();
    const o = (oggetti[kind] || [])[i];
    if (!o) return null;
    const rp = TP.c.getBoundingClientRect(), rf = TF.c.getBoundingClientRect();
    const r = { m: o.m, name: o.name };
    if (P && pienoM(o.m)) { const [x, y] = pxPiano(o.m); r.piano = [rp.left + x, rp.top + y]; }
    const righe = { station: 'stazioni', listed: 'stazioni', signal: 'segnali', code: 'codici', codeless: 'codici', board: 'rallentamenti', slowdown: 'rallentamenti', slowdownEnd: 'rallentamenti', indicator: 'indicatori', sign: 'cartelli', curve: 'curve', tunnel: 'stazioni' };
    const m = o.to === undefined ? o.m : (Math.max(o.m, stato.a) + Math.min(o.to, stato.b)) / 2;
    if (m >= stato.a && m <= stato.b) r.profilo = [rf.left + xProfilo(m), rf.top + fila[righe[kind]] + (kind === 'curve' ? 6 : 6)];
    if (o.to !== undefined && P && pienoM(Math.round(m))) { const [x, y] = pxPiano(Math.round(m)); r.piano = [rp.left + x, rp.top + y]; }
    return r;
  },
  // The kilometres the plan shows: the metres of the route drawn inside it.
  kmPiano: () => {
    const p = vistaPiano.punti; let lo = Infinity, hi = -Infinity;
    for (let i = 0; i < p.length; i += 3) if (p[i + 1] >= 0 && p[i + 1] <= TP.w && p[i + 2] >= 0 && p[i + 2] <= TP.h) { lo = Math.min(lo, p[i]); hi = Math.max(hi, p[i]); }
    return [lo, hi];
  },
  kmProfilo: () => [mProfilo(vistaProfilo.sx), mProfilo(TF.w - vistaProfilo.dx)],
  ridisegna: disegnaOra
};
