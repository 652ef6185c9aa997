// End to end in a real browser: Debian's chromium, headless, against the
// browser remote of vexlor-agent and the simulator on 127.0.0.1. Started by
// run-browser-test.sh, which passes the ports, the simulator's log, vexlor-cli
// and chromium in the environment.
import puppeteer from 'puppeteer-core';
import net from 'node:net';
import fs from 'node:fs';
import dgram from 'node:dgram';
import { execFile } from 'node:child_process';

const env = process.env;
const base = `http://127.0.0.1:${env.WEB_PORT}`;
const shots = env.SHOT_DIR;
const failures = [];
const check = (ok, what) => { console.log((ok ? 'ok   ' : 'FAIL ') + what); if (!ok) failures.push(what); };
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Waits at most `ms` for `fn` to give something truthy.
async function until(fn, ms = 8000) {
  const end = Date.now() + ms;
  for (;;) {
    const v = await fn();
    if (v || Date.now() > end) return v;
    await sleep(50);
  }
}

const simWrites = () => fs.readFileSync(env.SIM_LOG, 'utf8').split('\n').filter((l) => l.includes('< Write :'));
// What the processor holds, read through the agent's UDP port with one read
// packet of the processor's protocol (command, address, byte sum), its reply
// awaited, tried again when lost.
async function agentCommand(bytes, isReply) {
  const packet = Buffer.from([...bytes, bytes.reduce((x, y) => x + y, 0) & 0xff]);
  for (let attempt = 0; attempt < 5; ++attempt) {
    const socket = dgram.createSocket('udp4');
    const reply = await new Promise((resolve) => {
      const timer = setTimeout(() => resolve(null), 1000);
      socket.on('message', (m) => { if (isReply(m)) { clearTimeout(timer); resolve(m); } });
      socket.send(packet, Number(env.AGENT_PORT), '127.0.0.1');
    });
    socket.close();
    if (reply) return reply;
  }
  throw new Error('the agent did not answer ' + packet.toString('hex'));
}
const simRead = async (a, b, c) =>
  (await agentCommand([0x81, a, b, c], (m) => m[0] === 0x06 && m[1] === 0x81 && m[2] === a && m[3] === b && m[4] === c))[5];
// vexlor-cli as another remote of the agent: a whole connect, a write and its read-back.
const cliSet = (a, b, c, v) => new Promise((resolve) => {
  execFile(env.CLI, ['--port', env.AGENT_PORT, '--lock', '0000', '--timeout', '20', 'set', `${a}`, `${b}`, `${c}`, `${v}`],
    { timeout: 30000 }, (error, stdout, stderr) => resolve({ ok: !error, out: stdout + stderr }));
});

async function login(user, password, origin = base) {
  const r = await fetch(base + '/api/login', {
    method: 'POST', headers: { 'Content-Type': 'application/json', Origin: origin }, body: JSON.stringify({ user, password }),
  });
  const cookie = (r.headers.get('set-cookie') || '').split(';')[0];
  return { status: r.status, cookie };
}

// A WebSocket by hand, so the test controls every header and frame.
function rawSocket(headers) {
  return new Promise((resolve) => {
    const socket = net.connect(Number(env.WEB_PORT), '127.0.0.1');
    let buffer = Buffer.alloc(0);
    let status = 0;
    const messages = [];
    let closed = false;
    socket.on('data', (data) => {
      buffer = Buffer.concat([buffer, data]);
      if (!status) {
        const end = buffer.indexOf('\r\n\r\n');
        if (end < 0) return;
        status = Number(buffer.subarray(0, end).toString().split(' ')[1]);
        buffer = buffer.subarray(end + 4);
        resolve({ status, socket, messages, closed: () => closed, send: (text) => socket.write(frame(text)) });
      }
      while (buffer.length >= 2) {
        let len = buffer[1] & 0x7f, at = 2;
        if (len === 126) { if (buffer.length < 4) return; len = buffer.readUInt16BE(2); at = 4; }
        else if (len === 127) { if (buffer.length < 10) return; len = Number(buffer.readBigUInt64BE(2)); at = 10; }
        if (buffer.length < at + len) return;
        if ((buffer[0] & 0x0f) === 1) messages.push(JSON.parse(buffer.subarray(at, at + len).toString()));
        if ((buffer[0] & 0x0f) === 8) closed = true;
        buffer = buffer.subarray(at + len);
      }
    });
    socket.on('close', () => { closed = true; if (!status) resolve({ status: 0, closed: () => true, messages }); });
    socket.on('error', () => {});
    const lines = ['GET /ws?p=0 HTTP/1.1', `Host: 127.0.0.1:${env.WEB_PORT}`, 'Upgrade: websocket', 'Connection: Upgrade',
      'Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==', 'Sec-WebSocket-Version: 13'];
    for (const [k, v] of Object.entries(headers)) if (v) lines.push(`${k}: ${v}`);
    socket.write(lines.join('\r\n') + '\r\n\r\n');
  });
}

function frame(text) {
  const payload = Buffer.from(text);
  const n = payload.length;
  const head = n < 126 ? Buffer.from([0x81, 0x80 | n])
    : n < 65536 ? Buffer.from([0x81, 0x80 | 126, n >> 8, n & 0xff])
    : Buffer.concat([Buffer.from([0x81, 0x80 | 127]), (() => { const b = Buffer.alloc(8); b.writeBigUInt64BE(BigInt(n)); return b; })()]);
  const mask = Buffer.from([1, 2, 3, 4]);
  const body = Buffer.alloc(n);
  for (let i = 0; i < n; ++i) body[i] = payload[i] ^ mask[i & 3];
  return Buffer.concat([head, mask, body]);
}

const message = (ws, pred) => until(() => ws.messages.find(pred), 8000);

async function securityChecks() {
  const wrong = await login('ann', 'not the password');
  check(wrong.status === 401 && !wrong.cookie, 'a wrong password is refused without a cookie');
  const r = await fetch(base + '/api/processors');
  check(r.status === 401, 'no cookie, no processor list');
  const foreignLogin = await login('ann', env.ADMIN_PASSWORD, 'http://evil.example');
  check(foreignLogin.status === 403, 'a log-in from a foreign page is refused');
  const admin = await login('ann', env.ADMIN_PASSWORD);
  check(admin.status === 200 && admin.cookie.startsWith('vexlor_session='), 'the admin logs in');

  const noCookie = await rawSocket({ Origin: base });
  check(noCookie.status !== 101, `a WebSocket without a session is refused (${noCookie.status})`);
  const foreign = await rawSocket({ Origin: 'http://evil.example', Cookie: admin.cookie });
  check(foreign.status !== 101, `a WebSocket from a foreign Origin is refused (${foreign.status})`);

  const before = simWrites().length;
  const ws = await rawSocket({ Origin: base, Cookie: admin.cookie });
  check(ws.status === 101, 'the admin\'s WebSocket opens');
  await message(ws, (m) => m.t === 'state' && m.state === 'ready');
  ws.send(JSON.stringify({ t: 'open', page: 4 }));
  const page = await message(ws, (m) => m.t === 'page' && m.index === 4);
  const slider = page && page.page.items.find((i) => i.kind === 'slider');
  ws.send(JSON.stringify({ t: 'set', a: 9, b: 9, c: 9, v: 1 }));
  check(await message(ws, (m) => m.t === 'refused' && /address/.test(m.text)), 'an unknown address is refused');
  const outside = [...Array(256).keys()].find((v) => !slider.raws.includes(v));
  ws.send(JSON.stringify({ t: 'set', a: slider.address[0], b: slider.address[1], c: slider.address[2], v: outside }));
  check(await message(ws, (m) => m.t === 'refused' && /range/.test(m.text)), `an out-of-range value (${outside}) is refused`);
  ws.send(JSON.stringify({ t: 'set', a: 0, b: 1, c: 2, v: 1, pad: 'x'.repeat(1 << 20) }));
  check(await until(() => ws.closed()), 'a 1 MB frame closes the WebSocket');

  const ro = await login('ro', env.READONLY_PASSWORD);
  const rows = await rawSocket({ Origin: base, Cookie: ro.cookie });
  await message(rows, (m) => m.t === 'state' && m.state === 'ready');
  rows.send(JSON.stringify({ t: 'set', a: slider.address[0], b: slider.address[1], c: slider.address[2], v: slider.raws[0] }));
  check(await message(rows, (m) => m.t === 'refused' && /read-only/.test(m.text)), 'a read-only user\'s write is refused');
  rows.send(JSON.stringify({ t: 'preset', cmd: 'load', index: 0 }));
  check(await message(rows, (m) => m.t === 'refused' && m.text === 'read-only user'), 'a read-only user cannot load a preset');
  const roFile = await fetch(base + '/api/preset?p=0&index=0', { headers: { Cookie: ro.cookie, Origin: base } });
  check(roFile.status === 403, 'a read-only user cannot download a preset file');
  rows.socket.end();
  await sleep(500);
  check(simWrites().length === before, 'nothing refused reached the processor');

  const file = await fetch(base + '/api/preset?p=0&index=20', { headers: { Cookie: admin.cookie, Origin: base } });
  const bytes = Buffer.from(await file.arrayBuffer());
  check(file.status === 200 && bytes.length > 0, `a preset file downloads (${bytes.length} bytes)`);
  const up = await fetch(base + '/api/preset?p=0&index=3', { method: 'POST', body: bytes, headers: { Cookie: admin.cookie, Origin: base } });
  check(up.status === 200, 'the file uploads into user preset 4');
}

// A new page of `context` logged in through the form, showing the chooser.
async function logInPage(context, user, password) {
  const page = await context.newPage();
  await page.setViewport({ width: 1100, height: 760 });
  page.on('pageerror', (e) => check(false, 'no script error: ' + e.message));
  await page.goto(base + '/');
  await page.waitForSelector('#login-form', { visible: true });
  await page.type('#login-user', user);
  await page.type('#login-password', password);
  await page.keyboard.press('Enter');
  await page.waitForSelector('#processors li', { visible: true });
  return page;
}

async function browserChecks(browser) {
  const page = await logInPage(browser, 'ann', env.ADMIN_PASSWORD);
  check(await until(() => page.$eval('#processors', (e) => /studio/.test(e.textContent) && /ready/.test(e.textContent))),
    'the chooser lists the processor as ready');
  await page.screenshot({ path: `${shots}/web-chooser.png` });
  await page.focus('#processors li');
  await page.keyboard.press('Enter');
  await page.waitForSelector('#tree li', { visible: true });

  // Every page of the tree opens and shows its controls.
  const entries = await page.$$eval('#tree li', (lis) => lis.map((li) => [Number(li.dataset.index), li.textContent]));
  let opened = 0;
  for (const [index, name] of entries) {
    await page.click(`#tree li[data-index="${index}"]`);
    const shown = await until(() => page.evaluate((n) => {
      const caption = document.getElementById('caption').textContent;
      return caption.endsWith(n) && document.querySelectorAll('#page input, #page select, #page fieldset').length > 0;
    }, name), 5000);
    const group = await page.$eval(`#tree li[data-index="${index}"]`, (li) => li.nextElementSibling &&
      parseInt(li.nextElementSibling.style.paddingLeft) > parseInt(li.style.paddingLeft));
    check(shown || group, `page "${name}" opens with its controls`);
    if (shown) ++opened;
    if (name === 'Presets') await page.screenshot({ path: `${shots}/web-spins.png` });
  }
  check(opened >= 10, `${opened} pages opened`);

  // Drag a slider from the keyboard: the write reaches the processor.
  await page.click('#tree li[data-index="4"]');
  await page.waitForSelector('#page input[aria-label="Drive"]');
  await until(() => page.$eval('#page input[aria-label="Drive"]', (i) => !i.disabled));
  const writes = simWrites().length;
  await page.focus('#page input[aria-label="Drive"]');
  for (let i = 0; i < 4; ++i) await page.keyboard.press('ArrowDown');
  const reached = await until(() => simWrites().slice(writes).some((l) => l.includes('00 - 01 - 02')));
  check(reached, 'a slider moved in the browser writes to the processor');
  const got = await simRead(0, 1, 2);
  const sent = simWrites().map((l) => /Write : 00 - 01 - 02 - ([0-9A-Fa-f]{2})/.exec(l)).filter(Boolean).pop();
  check(sent && parseInt(sent[1], 16) === got && got !== 16, `the processor holds the last value written (${got})`);
  await page.screenshot({ path: `${shots}/web-desktop.png` });

  // A change made by vexlor-cli through the agent shows in the page.
  const ratioText = () => page.evaluate(() => {
    const caps = [...document.querySelectorAll('#page .cap')];
    const cap = caps.find((c) => c.textContent === 'Ratio');
    const vals = [...document.querySelectorAll('#page .val')];
    return vals[caps.filter((c) => c.textContent).indexOf(cap)]?.textContent;
  });
  const ratioBefore = await ratioText();
  const cli = await cliSet(0, 1, 3, 5);
  check(cli.ok, 'vexlor-cli writes through the agent' + (cli.ok ? '' : ': ' + cli.out));
  check(await until(async () => (await ratioText()) !== ratioBefore, 5000),
    `a change made by vexlor-cli through the agent shows in the page (${ratioBefore} -> ${await ratioText()})`);

  // B: the compare lock holds the group-0 controls.
  await until(() => page.$eval('#btn-b', (b) => !b.disabled));
  await page.click('#btn-b');
  check(await until(() => page.$eval('#btn-b', (b) => b.getAttribute('aria-pressed') === 'true')), 'B is chosen');
  check(await until(() => page.$eval('#page input[aria-label="Drive"]', (i) => i.disabled)), 'comparing locks the group-0 controls');
  await page.click('#btn-a');
  check(await until(() => page.$eval('#page input[aria-label="Drive"]', (i) => !i.disabled)), 'A releases the lock');

  // Meters move between two screenshots.
  const meter = await page.$('#meter');
  const first = await meter.screenshot();
  await sleep(700);
  const second = await meter.screenshot();
  check(!first.equals(second), 'the meters change between two screenshots');

  // Load a preset from the list.
  await page.click('#tab-presets');
  await page.click('#presets li[data-index="2"]');
  await page.click('#p-load');
  check(await until(() => page.$eval('#presets li[data-index="2"]', (li) => li.classList.contains('current'))), 'a loaded preset becomes current');
  await page.screenshot({ path: `${shots}/web-presets.png` });

  // Phone width: the same remote, stacked.
  await page.click('#tab-pages');
  await page.setViewport({ width: 390, height: 844 });
  await sleep(300);
  const fits = await page.evaluate(() => document.documentElement.scrollWidth <= 400);
  check(fits, 'nothing runs wider than a phone');
  await page.screenshot({ path: `${shots}/web-phone.png`, fullPage: true });
  await page.close();

  // A read-only user sees pages and meters with every control disabled.
  const context = await browser.createBrowserContext();
  const ro = await logInPage(context, 'ro', env.READONLY_PASSWORD);
  await ro.click('#processors li');
  await ro.waitForSelector('#page input, #page select', { visible: true });
  check(await ro.$$eval('#page input, #page select, #page fieldset button', (all) => all.length > 0 && all.every((e) => e.disabled)),
    'a read-only user\'s controls are disabled');
  await context.close();
}

const browser = await puppeteer.launch({
  executablePath: env.CHROMIUM,
  headless: true,
  userDataDir: env.PROFILE_DIR,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
const pid = browser.process().pid;
try {
  await securityChecks();
  await browserChecks(browser);
} catch (e) {
  check(false, 'the test ran to its end: ' + (e.stack || e));
} finally {
  await Promise.race([browser.close(), sleep(5000)]);
  try { process.kill(pid, 'SIGKILL'); } catch { /* already gone */ }
}
console.log(failures.length ? `${failures.length} check(s) failed` : 'every browser check passed');
process.exit(failures.length ? 1 : 0);
