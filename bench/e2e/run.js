#!/usr/bin/env node
// The end-to-end benchmark: the real Zandrel binary on an X server of its own (Xvfb), and the
// reference browser-source page (reference_page.html) in headless Chromium, each fed by the same
// flood server in this process. Prints one table with both, and their ratio.
//
//   node run.js --zandrel PATH --ui-ping PATH [--lines N] [--memory-lines N] [--idle-seconds N]
//               [--zandrel-verbose | --zandrel-quiet] [--zandrel-only]
//
// What it measures, for each of the two:
//   lines/s        N escaped chat lines (default 50,000), from the first line sent until the client
//                  has them: Zandrel answers a WebSocket ping sent after the last line (its worker
//                  reads on only when the overlay queue has room, so at most one queue of lines, 2,048,
//                  is not yet on screen then); the page reports once it has painted the last one
//   CPU µs/line    user + system time during that flood, Zandrel with the X server, the page with
//                  every browser process, divided by the lines
//   answer ms      how long the UI thread takes to answer during the flood: Zandrel's main window
//                  answers the window manager's ping (_NET_WM_PING, every 20 ms); the page runs a
//                  zero-delay timer (every 20 ms). Median, 99th percentile and maximum
//   memory         resident memory (PSS, so that pages the browser's processes share count once)
//                  after --memory-lines lines (default 1,000,000), Zandrel alone, the page with
//                  every browser process; and its slope per 100,000 lines after the first 200,000
//   idle CPU       share of one core over --idle-seconds (default 60) in a room that says nothing
//   stop ms        Zandrel: Esc in the main window during a flood until the process has ended; the
//                  page: ws.close() during a flood until its close event
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const { WebSocketServer } = require('ws');

function option(name, fallback) {
  const at = process.argv.indexOf(name);
  return at >= 0 ? process.argv[at + 1] : fallback;
}
const zandrelBinary = option('--zandrel');
const uiPingBinary = option('--ui-ping');
const floodLines = Number(option('--lines', 50000));
const memoryLines = Number(option('--memory-lines', 1000000));
const idleSeconds = Number(option('--idle-seconds', 60));
// Zandrel logs errors and warnings only unless asked for a notice per line (--verbose); --quiet
// asks for the default by name.
const zandrelVerbose = process.argv.includes('--zandrel-verbose');
const zandrelQuiet = process.argv.includes('--zandrel-quiet');
// A settings file for Zandrel to start with (its rules for lines, say); none: the defaults.
const zandrelSettings = option('--zandrel-settings');
if (!zandrelBinary || !uiPingBinary) {
  console.error('usage: run.js --zandrel PATH --ui-ping PATH [--lines N] [--memory-lines N] [--idle-seconds N]');
  process.exit(2);
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const phase = (text) => process.stderr.write(`[${new Date().toISOString().slice(11, 19)}] ${text}\n`);
const ticksPerSecond = Number(childProcess.execSync('getconf CLK_TCK').toString());

// ---- Processes -------------------------------------------------------------------------------

function cpuSeconds(pid) {
  try {
    const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').replace(/^.*\) /, '').split(' ');
    return (Number(fields[11]) + Number(fields[12])) / ticksPerSecond;  // utime, stime
  } catch (e) {
    return 0;
  }
}
// Proportional set size: resident memory, with pages shared between processes split between them,
// so that the browser's processes are not counted several times over for what they share.
function pssBytes(pid) {
  try {
    const match = /^Pss:\s+(\d+) kB/m.exec(fs.readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8'));
    return match ? Number(match[1]) * 1024 : 0;
  } catch (e) {
    return 0;
  }
}
// `pid` and every process below it.
function processTree(pid) {
  const children = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const parent = Number(fs.readFileSync(`/proc/${entry}/stat`, 'utf8').replace(/^.*\) /, '').split(' ')[1]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push(Number(entry));
    } catch (e) { /* gone meanwhile */ }
  }
  const all = [];
  const walk = (p) => { all.push(p); for (const c of children.get(p) || []) walk(c); };
  walk(pid);
  return all;
}
const sum = (values) => values.reduce((a, b) => a + b, 0);
function percentiles(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  return sorted.length ? { median: at(0.5), p99: at(0.99), max: sorted[sorted.length - 1], count: sorted.length } : null;
}

function run(command, args, env = {}) {
  return childProcess.spawn(command, args, { env: { ...process.env, ...env }, stdio: ['ignore', 'pipe', 'pipe'] });
}
function output(command, args, env = {}) {
  return childProcess.execFileSync(command, args, { env: { ...process.env, ...env } }).toString().trim();
}
async function waitFor(check, timeoutMs, what) {
  const deadline = Date.now() + timeoutMs;
  for (;;) {
    const value = await check();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}`);
    await sleep(50);
  }
}
function exited(child) {
  return new Promise((resolve) => {
    if (child.exitCode !== null || child.signalCode !== null) resolve();
    else child.once('exit', () => resolve());
  });
}

// ---- The flood server ------------------------------------------------------------------------

// Chat lines as the service sends them: every non-ASCII character escaped, as PHP does.
const names = ['弹幕小王子', '路人甲', '风中追风', '夜猫子', '一只咸鱼', '大白'];
const texts = ['攻略在这 http://wiki.example.com/guide?id=42 很有用<img src="/static/face/12.gif" />',
  '主播好！这波操作可以', '前方高能<img src="/static/face/3.gif" />', '求背景音乐名字', '666666'];
function escapeNonAscii(json) {
  return json.replace(/[\u0080-\uffff]/g, (c) => '\\u' + c.charCodeAt(0).toString(16).padStart(4, '0'));
}
const lines = [];
for (let i = 0; i < 1000; ++i) {
  lines.push(escapeNonAscii(JSON.stringify({ cmd: 'cst', data: `${texts[i % texts.length]} #${i}`,
    user: { name: names[i % names.length], uid: String(100000 + i) } })));
}
const endLine = JSON.stringify({ cmd: 'cst', data: '__end__' });

// What the next connection gets: { kind: 'flood', lines, onProgress(sent), done(resolve) } or quiet.
let scenario = null;
const reports = [];

const page = fs.readFileSync(path.join(__dirname, 'reference_page.html'));
const server = http.createServer((request, response) => {
  if (request.url.startsWith('/index.php')) {
    response.end(`127.0.0.1:${server.address().port}`);
  } else if (request.url.startsWith('/page.html')) {
    response.setHeader('Content-Type', 'text/html; charset=utf-8');
    response.end(page);
  } else if (request.url === '/report' && request.method === 'POST') {
    let body = '';
    request.on('data', (chunk) => { body += chunk; });
    request.on('end', () => { reports.push(JSON.parse(body)); response.end('ok'); });
  } else {
    response.statusCode = 404;
    response.end();
  }
});
const wss = new WebSocketServer({ server, perMessageDeflate: false });
wss.on('connection', (ws) => {
  const current = scenario;
  ws.on('error', () => {});
  ws.once('message', () => {
    ws.send(JSON.stringify({ cmd: 'ack' }));
    if (!current || current.kind === 'quiet') {
      ws.send(JSON.stringify({ cmd: 'cst', data: 'hello', user: { name: 'quiet', uid: '1' } }));
      return;
    }
    flood(ws, current);
  });
});

// Sends the scenario's lines as fast as the client takes them: it waits for the socket to drain
// rather than spinning, so it leaves the CPU to the client.
function flood(ws, current) {
  const socket = ws._socket;
  let sent = 0;
  current.startedAt = process.hrtime.bigint();
  const finish = () => {
    ws.send(endLine);
    if (current.until === 'pong') {
      ws.once('pong', () => current.done({ pong: true }));
      ws.ping();
    } else {
      ws.once('message', (data) => {  // the page: done, with its answer times
        const message = JSON.parse(data.toString());
        if (message.cmd === 'done') current.done(message);
      });
    }
  };
  const pump = () => {
    while (sent < current.lines && ws.readyState === ws.OPEN) {
      ws.send(lines[sent % lines.length]);
      ++sent;
      if (current.onProgress && sent % 100000 === 0) current.onProgress(sent);
      if (socket.writableLength > 256 * 1024) {
        socket.once('drain', pump);
        return;
      }
    }
    if (sent === current.lines) finish();
  };
  pump();
}

// Runs one flood of `count` lines; resolves with the seconds it took and what the client said.
// `until`: 'pong' (Zandrel answers a ping) or 'done' (the page says it has painted the last line).
function floodScenario(count, until, onProgress) {
  return new Promise((resolve) => {
    scenario = {
      kind: 'flood', lines: count, until, onProgress,
      done: (message) => {
        const seconds = Number(process.hrtime.bigint() - scenario.startedAt) / 1e9;
        resolve({ seconds, message });
      },
    };
  });
}

// ---- Zandrel on its own X server --------------------------------------------------------------

let display = null;
let xvfb = null;
async function startDisplay() {
  const fd = 3;
  xvfb = childProcess.spawn('Xvfb', ['-displayfd', String(fd), '-screen', '0', '1280x800x24', '-nolisten', 'tcp', '-noreset'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  display = await new Promise((resolve, reject) => {
    xvfb.stdio[3].once('data', (data) => resolve(':' + data.toString().trim()));
    xvfb.once('exit', () => reject(new Error('Xvfb did not start')));
  });
}
// A runtime folder of the benchmark's own: Zandrel runs once per user and takes commands there, so
// that a Zandrel the user has open would otherwise be shown instead of a new one started.
const runtimeDir = fs.mkdtempSync(path.join(os.tmpdir(), 'zandrel-bench-'));
const xEnv = () => ({ DISPLAY: display, QT_QPA_PLATFORM: 'xcb', XDG_RUNTIME_DIR: runtimeDir });

// Zandrel's settings folder: a copy of --zandrel-settings in a folder of the benchmark's own.
function settingsEnv() {
  if (!zandrelSettings) return {};
  if (!settingsEnv.folder) {
    settingsEnv.folder = fs.mkdtempSync(path.join(os.tmpdir(), 'zandrel-bench-settings-'));
    fs.mkdirSync(path.join(settingsEnv.folder, 'Zandrel'));
    fs.copyFileSync(zandrelSettings, path.join(settingsEnv.folder, 'Zandrel', 'Zandrel.conf'));
  }
  return { XDG_CONFIG_HOME: settingsEnv.folder };
}
async function startZandrel() {
  const args = ['--lookup-host', `127.0.0.1:${server.address().port}`, ...(zandrelVerbose ? ['--verbose'] : zandrelQuiet ? ['--quiet'] : [])];
  const child = process.env.BENCH_PERF && !startZandrel.profiled
    ? run('perf', ['record', '-F', '2000', '-o', process.env.BENCH_PERF, '--', zandrelBinary, ...args], xEnv())
    : run(zandrelBinary, args, { ...xEnv(), ...settingsEnv() });
  startZandrel.profiled = true;
  child.stderr.resume();
  child.stdout.resume();
  const main = await waitFor(() => {
    try { return output('xdotool', ['search', '--onlyvisible', '--name', '^Zandrel$'], xEnv()).split('\n')[0]; } catch (e) { return null; }
  }, 15000, 'Zandrel\'s main window');
  output('xdotool', ['mousemove', '--window', main, '230', '161', 'click', '1'], xEnv());
  output('xdotool', ['type', '--delay', '20', '123'], xEnv());
  return { child, main };
}
function connectZandrel(zandrel) {
  output('xdotool', ['key', 'Return'], xEnv());
}
async function stopZandrel(zandrel) {
  output('xdotool', ['windowfocus', zandrel.main, 'key', 'Escape'], xEnv());
  await Promise.race([exited(zandrel.child), sleep(10000)]);
  zandrel.child.kill('SIGKILL');
}
const zandrelPids = (zandrel) => [zandrel.child.pid, xvfb.pid];

async function benchZandrel() {
  const result = {};
  // Lines per second, CPU per line and answer times, over one flood.
  {
    phase('Zandrel: a flood of ' + floodLines + ' lines');
    const zandrel = await startZandrel();
    const flood = floodScenario(floodLines, 'pong');
    const before = sum(zandrelPids(zandrel).map(cpuSeconds));
    connectZandrel(zandrel);
    const ping = run(uiPingBinary, [zandrel.main, '20', '600000'], xEnv());
    let pingOut = '';
    ping.stdout.on('data', (d) => { pingOut += d; });
    const { seconds } = await flood;
    ping.kill();
    await exited(ping);
    result.linesPerSecond = floodLines / seconds;
    result.cpuMicrosPerLine = (sum(zandrelPids(zandrel).map(cpuSeconds)) - before) * 1e6 / floodLines;
    result.answer = percentiles(pingOut.split('\n').filter((l) => l.startsWith('rtt ')).map((l) => Number(l.slice(4))));
    await stopZandrel(zandrel);
  }
  // Memory over a long flood.
  {
    phase('Zandrel: memory over ' + memoryLines + ' lines');
    const zandrel = await startZandrel();
    const samples = [];
    const flood = floodScenario(memoryLines, 'pong', (sent) => samples.push({ sent, rss: pssBytes(zandrel.child.pid) }));
    connectZandrel(zandrel);
    await flood;
    samples.push({ sent: memoryLines, rss: pssBytes(zandrel.child.pid) });
    result.memory = memoryFigures(samples);
    await stopZandrel(zandrel);
  }
  // Idle in a quiet room.
  {
    phase('Zandrel: idle for ' + idleSeconds + ' s');
    const zandrel = await startZandrel();
    scenario = { kind: 'quiet' };
    connectZandrel(zandrel);
    await sleep(3000);
    const before = cpuSeconds(zandrel.child.pid);
    await sleep(idleSeconds * 1000);
    result.idlePercent = (cpuSeconds(zandrel.child.pid) - before) * 100 / idleSeconds;
    await stopZandrel(zandrel);
  }
  // Stop during a flood.
  {
    phase('Zandrel: stop during a flood');
    const zandrel = await startZandrel();
    floodScenario(1e9, 'pong');
    connectZandrel(zandrel);
    await sleep(2000);
    const asked = process.hrtime.bigint();
    output('xdotool', ['windowfocus', zandrel.main, 'key', 'Escape'], xEnv());
    await exited(zandrel.child);
    result.stopMs = Number(process.hrtime.bigint() - asked) / 1e6;
    for (const client of wss.clients) client.terminate();
  }
  return result;
}

// ---- The reference page in headless Chromium -----------------------------------------------------

function startChromium(query = '') {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'bench-chromium-'));
  const child = run('chromium', ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--disable-background-timer-throttling', '--disable-renderer-backgrounding', `--user-data-dir=${profile}`,
    `http://127.0.0.1:${server.address().port}/page.html${query}`]);
  child.stdout.resume();
  child.stderr.resume();
  return { child, profile };
}
async function stopChromium(chromium) {
  const pids = chromiumPids(chromium);
  chromium.child.kill('SIGTERM');
  await Promise.race([exited(chromium.child), sleep(5000)]);
  for (const pid of pids) {
    try { process.kill(pid, 'SIGKILL'); } catch (e) { /* gone */ }
  }
  await sleep(500);
  try { fs.rmSync(chromium.profile, { recursive: true, force: true }); } catch (e) { /* a straggler's files */ }
}
const chromiumPids = (chromium) => processTree(chromium.child.pid);

async function benchPage() {
  const result = {};
  {
    phase('page: a flood of ' + floodLines + ' lines');
    const flood = floodScenario(floodLines, 'done');
    const chromium = startChromium();
    // The browser's start-up is not the page's work: count from the first line.
    await waitFor(() => scenario.startedAt, 30000, 'the page to join');
    const before = sum(chromiumPids(chromium).map(cpuSeconds));
    const { seconds, message } = await flood;
    result.linesPerSecond = floodLines / seconds;
    result.cpuMicrosPerLine = (sum(chromiumPids(chromium).map(cpuSeconds)) - before) * 1e6 / floodLines;
    result.answer = percentiles(message.lags || []);
    await stopChromium(chromium);
  }
  {
    phase('page: memory over ' + memoryLines + ' lines');
    const samples = [];
    let chromium = null;
    const flood = floodScenario(memoryLines, 'done', (sent) => samples.push({ sent, rss: sum(chromiumPids(chromium).map(pssBytes)) }));
    chromium = startChromium();
    await flood;
    samples.push({ sent: memoryLines, rss: sum(chromiumPids(chromium).map(pssBytes)) });
    result.memory = memoryFigures(samples);
    await stopChromium(chromium);
  }
  {
    phase('page: idle for ' + idleSeconds + ' s');
    scenario = { kind: 'quiet' };
    const chromium = startChromium();
    await sleep(5000);
    const pids = chromiumPids(chromium);
    const before = sum(pids.map(cpuSeconds));
    await sleep(idleSeconds * 1000);
    result.idlePercent = (sum(pids.map(cpuSeconds)) - before) * 100 / idleSeconds;
    await stopChromium(chromium);
  }
  {
    phase('page: stop during a flood');
    floodScenario(1e9, 'done');
    reports.length = 0;
    const chromium = startChromium('?stopAfterMs=2000');
    const report = await waitFor(() => reports.find((r) => r.stopMs !== undefined), 60000, 'the page\'s stop');
    result.stopMs = report.stopMs;
    await stopChromium(chromium);
    for (const client of wss.clients) client.terminate();
  }
  return result;
}

// RSS at the end, and its slope per 100,000 lines once the first 200,000 have warmed it up.
function memoryFigures(samples) {
  const warm = samples.filter((s) => s.sent >= 200000);
  let slope = 0;
  if (warm.length >= 2) {
    const first = warm[0];
    const last = warm[warm.length - 1];
    slope = (last.rss - first.rss) / ((last.sent - first.sent) / 100000);
  }
  return { finalMiB: samples[samples.length - 1].rss / 1048576, slopeMiBPer100k: slope / 1048576 };
}

// ---- The table ---------------------------------------------------------------------------------

function table(z, p) {
  const f = (v, d = 0) => (v === undefined || v === null || Number.isNaN(v) ? '-' : v.toFixed(d));
  const ratio = (a, b) => (a && b ? (a / b).toFixed(2) + 'x' : '-');
  const rows = [
    ['lines/s over ' + floodLines.toLocaleString('en') + ' lines', f(z.linesPerSecond), f(p.linesPerSecond), ratio(z.linesPerSecond, p.linesPerSecond)],
    ['CPU µs per line (Zandrel + X server; all browser processes)', f(z.cpuMicrosPerLine, 1), f(p.cpuMicrosPerLine, 1), ratio(z.cpuMicrosPerLine, p.cpuMicrosPerLine)],
    ['UI answer ms during the flood, median', f(z.answer && z.answer.median, 2), f(p.answer && p.answer.median, 2), ''],
    ['UI answer ms during the flood, p99', f(z.answer && z.answer.p99, 2), f(p.answer && p.answer.p99, 2), ''],
    ['UI answer ms during the flood, max', f(z.answer && z.answer.max, 2), f(p.answer && p.answer.max, 2), ''],
    [`memory (PSS) MiB after ${memoryLines.toLocaleString('en')} lines`, f(z.memory.finalMiB, 1), f(p.memory.finalMiB, 1), ratio(z.memory.finalMiB, p.memory.finalMiB)],
    ['memory slope MiB per 100,000 lines (after 200,000)', f(z.memory.slopeMiBPer100k, 2), f(p.memory.slopeMiBPer100k, 2), ''],
    [`idle CPU % of a core over ${idleSeconds} s`, f(z.idlePercent, 3), f(p.idlePercent, 3), ''],
    ['stop ms during a flood', f(z.stopMs, 1), f(p.stopMs, 1), ''],
  ];
  const out = ['| measure | Zandrel | browser page | Zandrel / page |', '|---|---|---|---|'];
  for (const r of rows) out.push(`| ${r.join(' | ')} |`);
  return out.join('\n');
}

(async () => {
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  await startDisplay();
  try {
    const z = await benchZandrel();
    const p = process.argv.includes('--zandrel-only') ? { memory: {} } : await benchPage();
    console.log(`\n${new Date().toISOString().slice(0, 10)}, ${os.cpus().length} cores (${os.cpus()[0].model.trim()})\n`);
    console.log(table(z, p));
  } finally {
    xvfb.kill();
    server.close();
    setTimeout(() => process.exit(0), 200);
  }
})().catch((error) => {
  console.error(error);
  if (xvfb) xvfb.kill();
  process.exit(1);
});
