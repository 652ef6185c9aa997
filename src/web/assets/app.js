'use strict';
// The browser remote: draws what the server sends (pages, meters, presets)
// and sends the operator's changes; it derives no texts or ranges itself.
(() => {
  const $ = (id) => document.getElementById(id);
  const el = (tag, cls, text) => {
    const e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  };
  const show = (id) => { for (const s of ['login', 'chooser', 'remote']) $(s).hidden = s !== id; };

  let me = null;
  let ws = null;
  let proc = -1;
  let pages = [];
  let pageIndex = -1;
  let presets = { rows: [], users: 0 };
  let selectedPreset = -1;
  let state = {};
  const values = new Map();
  const bound = [];  // {addr, update(value), control}
  let meterLayout = null;
  let meterFrame = '';
  let chooserTimer = 0;

  const key = (a) => a.join(',');
  const canWrite = () => me && me.role === 'admin';
  const notice = (text) => { $('notice').textContent = text || ''; };

  async function api(path, options) {
    const r = await fetch(path, Object.assign({ credentials: 'same-origin' }, options || {}));
    if (r.status === 401 && path !== '/api/login') { me = null; show('login'); }
    return r;
  }

  // Log-in and the processor chooser.
  async function start() {
    const r = await api('/api/me');
    if (!r.ok) { show('login'); $('login-user').focus(); return; }
    me = await r.json();
    openChooser();
  }

  $('login-form').addEventListener('submit', async (ev) => {
    ev.preventDefault();
    const body = JSON.stringify({ user: $('login-user').value, password: $('login-password').value });
    const r = await api('/api/login', { method: 'POST', headers: { 'Content-Type': 'application/json' }, body });
    $('login-password').value = '';
    if (!r.ok) { $('login-error').textContent = (await r.json()).error || 'log-in failed'; return; }
    $('login-error').textContent = '';
    me = await r.json();
    openChooser();
  });

  $('logout').addEventListener('click', async () => {
    await api('/api/logout', { method: 'POST' });
    me = null;
    clearInterval(chooserTimer);
    show('login');
  });

  async function refreshChooser() {
    const r = await api('/api/processors');
    if (!r.ok) return;
    const list = await r.json();
    const ul = $('processors');
    ul.replaceChildren();
    list.forEach((p, i) => {
      const li = el('li');
      li.tabIndex = 0;
      li.setAttribute('role', 'button');
      li.append(el('span', 'name', p.name + (p.model ? ' (' + p.model + ')' : '')), el('span', 'state', p.state));
      const go = () => openProcessor(i);
      li.addEventListener('click', go);
      li.addEventListener('keydown', (ev) => { if (ev.key === 'Enter' || ev.key === ' ') { ev.preventDefault(); go(); } });
      ul.append(li);
    });
  }

  function openChooser() {
    if (ws) { ws.onclose = null; ws.close(); ws = null; }
    $('who').textContent = me.user + ' (' + me.role + ')';
    show('chooser');
    refreshChooser();
    clearInterval(chooserTimer);
    chooserTimer = setInterval(refreshChooser, 2000);
  }

  $('back').addEventListener('click', openChooser);

  // One processor over its WebSocket.
  function openProcessor(index) {
    clearInterval(chooserTimer);
    proc = index;
    pageIndex = -1;
    values.clear();
    show('remote');
    $('page').replaceChildren();
    $('caption').replaceChildren();
    const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
    ws = new WebSocket(scheme + location.host + '/ws?p=' + index);
    ws.onmessage = (ev) => handle(JSON.parse(ev.data));
    ws.onclose = () => { notice('connection to the server lost'); setTimeout(() => { if (proc === index && me) openProcessor(index); }, 2000); };
    ws.onopen = () => notice('');
  }

  const send = (msg) => { if (ws && ws.readyState === WebSocket.OPEN) ws.send(JSON.stringify(msg)); };

  function handle(m) {
    switch (m.t) {
      case 'state': state = m; showState(); break;
      case 'tree': pages = m.pages; showTree(); break;
      case 'presets': presets = m; showPresets(); break;
      case 'meterLayout': setMeterLayout(m.layout); break;
      case 'meter': meterFrame = m.leds; break;
      case 'values': for (const [a, b, c, v] of m.v) { values.set(key([a, b, c]), v); } refreshBound(); break;
      case 'page': showPage(m); break;
      case 'refused': notice('refused: ' + m.text); break;
    }
  }

  function showState() {
    $('title').textContent = state.title || state.name;
    $('state').textContent = state.state + (state.model ? ' · ' + state.model : '') + (state.message ? ' · ' + state.message : '');
    $('btn-a').setAttribute('aria-pressed', String(!!state.a));
    $('btn-b').setAttribute('aria-pressed', String(!!state.b));
    $('btn-a').disabled = $('btn-b').disabled = !state.abEnabled || !canWrite();
    refreshBound();
    if (state.state === 'ready' && pageIndex < 0 && pages.length) openFirstPage();
  }

  $('btn-a').addEventListener('click', () => send({ t: 'ab', which: 'a' }));
  $('btn-b').addEventListener('click', () => send({ t: 'ab', which: 'b' }));

  // Page tree: pages under a hidden page are hidden with it.
  function showTree() {
    const ul = $('tree');
    ul.replaceChildren();
    const shown = [];
    const depth = [];
    pages.forEach((p, i) => {
      const parentShown = p.parent < 0 || shown[p.parent];
      shown[i] = !p.hidden && parentShown;
      depth[i] = p.parent < 0 ? 0 : depth[p.parent] + 1;
      if (!shown[i]) return;
      const li = el('li', '', p.name);
      li.style.paddingLeft = 6 + depth[i] * 12 + 'px';
      li.tabIndex = 0;
      li.dataset.index = i;
      li.setAttribute('role', 'treeitem');
      li.setAttribute('aria-selected', String(i === pageIndex));
      li.addEventListener('click', () => openPage(i));
      li.addEventListener('keydown', treeKey);
      ul.append(li);
    });
    if (state.state === 'ready' && pageIndex < 0 && pages.length) openFirstPage();
  }

  function treeKey(ev) {
    const items = [...$('tree').children];
    const at = items.indexOf(ev.currentTarget);
    if (ev.key === 'ArrowDown' && at + 1 < items.length) { ev.preventDefault(); items[at + 1].focus(); }
    else if (ev.key === 'ArrowUp' && at > 0) { ev.preventDefault(); items[at - 1].focus(); }
    else if (ev.key === 'Enter' || ev.key === ' ') { ev.preventDefault(); openPage(Number(ev.currentTarget.dataset.index)); }
  }

  function openFirstPage() {
    // A group without controls opens its first child, as the desktop tree does.
    const first = pages.findIndex((p) => p.hasPage && !p.hidden);
    if (first >= 0) openPage(first);
  }

  function openPage(i) {
    let index = i;
    if (!pages[index].hasPage) {
      const child = pages.findIndex((p, j) => j > index && p.hasPage && !p.hidden);
      if (child >= 0) index = child;
    }
    pageIndex = index;
    for (const li of $('tree').children) li.setAttribute('aria-selected', String(Number(li.dataset.index) === index));
    send({ t: 'open', page: index });
  }

  // Pages: every control where the description puts it.
  const place = (e, r) => { e.style.left = r[0] + 'px'; e.style.top = r[1] + 'px'; e.style.width = r[2] + 'px'; e.style.height = r[3] + 'px'; };

  function showPage(m) {
    const area = $('page');
    area.replaceChildren();
    bound.length = 0;
    const cap = $('caption');
    cap.replaceChildren();
    if (!m.page) return;
    pageIndex = m.index;
    m.page.caption.forEach((part, i) => {
      if (i > 0) cap.append(el('span', 'sep', '›'));
      cap.append(el('span', '', part));
    });
    let right = 0, bottom = 0;
    const grow = (r) => { right = Math.max(right, r[0] + r[2]); bottom = Math.max(bottom, r[1] + r[3]); };
    for (const item of m.page.items) {
      if (item.hidden) continue;
      if (item.kind === 'slider') grow(slider(area, item));
      else if (item.kind === 'group') grow(group(area, item));
      else if (item.kind === 'spin') grow(spin(area, item));
    }
    area.style.width = right + 'px';
    area.style.height = bottom + 'px';
    refreshBound();
  }

  const locked = (addr) => !canWrite() || (state.compareLock && addr[0] === 0);

  function slider(area, item) {
    const caption = el('div', 'cap', item.caption);
    place(caption, item.captionRect);
    const value = el('div', 'val');
    place(value, item.valueRect);
    const input = el('input');
    input.type = 'range';
    input.min = 0;
    input.max = item.raws.length - 1;
    input.step = 1;
    input.setAttribute('aria-label', item.caption);
    place(input, item.track);
    let dragging = false;
    const write = (release) => {
      const pos = Number(input.value);
      value.textContent = item.texts[pos];
      send({ t: 'set', a: item.address[0], b: item.address[1], c: item.address[2], v: item.raws[pos], release });
    };
    input.addEventListener('input', () => { dragging = true; write(false); });
    input.addEventListener('change', () => { dragging = false; write(true); });
    area.append(caption, value, input);
    bound.push({ addr: item.address, control: input, update: (v) => {
      if (dragging) return;
      const pos = item.raws.indexOf(v);
      if (pos < 0) return;
      input.value = pos;
      value.textContent = item.texts[pos];
    } });
    return [item.captionRect[0], item.captionRect[1], item.track[0] + item.track[2] - item.captionRect[0], item.track[1] + item.track[3] - item.captionRect[1]];
  }

  function group(area, item) {
    const set = el('fieldset');
    set.append(el('legend', '', item.caption));
    set.style.left = item.left + 'px';
    set.style.top = item.top + 'px';
    set.style.width = item.width + 'px';
    const buttons = item.labels.map((label, i) => {
      const b = el('button', '', label);
      b.type = 'button';
      b.setAttribute('aria-pressed', 'false');
      b.addEventListener('click', () => send({ t: 'set', a: item.address[0], b: item.address[1], c: item.address[2], v: i, release: true }));
      set.append(b);
      return b;
    });
    area.append(set);
    bound.push({ addr: item.address, controls: buttons, update: (v) => buttons.forEach((b, i) => b.setAttribute('aria-pressed', String(i === v))) });
    return [item.left, item.top, item.width, 14 + 16 * item.labels.length];
  }

  function spin(area, item) {
    const caption = el('div', 'cap', item.caption);
    place(caption, item.captionRect);
    const box = el('div', 'spin');
    place(box, item.rect);
    // Each field where the spin's own layout puts it (the first record's field stands last).
    for (const field of item.fields) {
      if (field.separator) {
        const sep = el('span', '', field.separator);
        place(sep, field.separatorRect);
        box.append(sep);
      }
      const select = el('select');
      select.setAttribute('aria-label', item.caption + (field.separator ? ' ' + field.separator : ''));
      place(select, field.edit);
      const raws = field.raws || field.texts.map((_, i) => i);
      field.texts.forEach((t, i) => { const o = el('option', '', t); o.value = raws[i]; select.append(o); });
      select.addEventListener('change', () => send({ t: 'set', a: field.address[0], b: field.address[1], c: field.address[2], v: Number(select.value), release: true }));
      box.append(select);
      bound.push({ addr: field.address, control: select, update: (v) => { select.value = String(v); } });
    }
    area.append(caption, box);
    return [item.rect[0], item.captionRect[1], item.rect[2], item.rect[1] + item.rect[3] - item.captionRect[1]];
  }

  function refreshBound() {
    for (const b of bound) {
      const v = values.get(key(b.addr));
      if (v !== undefined) b.update(v);
      const off = locked(b.addr);
      if (b.control) b.control.disabled = off;
      if (b.controls) b.controls.forEach((c) => { c.disabled = off; });
    }
  }

  // Presets.
  function showPresets() {
    const ul = $('presets');
    ul.replaceChildren();
    presets.rows.forEach(([label, name], i) => {
      const marks = [];
      if (i === presets.tr) marks.push('TR');
      if (i === presets.dp) marks.push('DP');
      if (i === presets.def) marks.push('DEF');
      const li = el('li', i === presets.current ? 'current' : '', label + ' ' + name + (marks.length ? ' (' + marks.join(',') + ')' : ''));
      li.tabIndex = 0;
      li.dataset.index = i;
      li.setAttribute('role', 'option');
      li.setAttribute('aria-selected', String(i === selectedPreset));
      li.addEventListener('click', () => selectPreset(i));
      li.addEventListener('keydown', (ev) => {
        const items = [...ul.children];
        if (ev.key === 'ArrowDown' && i + 1 < items.length) { ev.preventDefault(); items[i + 1].focus(); selectPreset(i + 1); }
        else if (ev.key === 'ArrowUp' && i > 0) { ev.preventDefault(); items[i - 1].focus(); selectPreset(i - 1); }
        else if (ev.key === 'Enter') { ev.preventDefault(); presetCommand('load'); }
      });
      ul.append(li);
    });
    presetButtons();
  }

  function selectPreset(i) {
    selectedPreset = i;
    for (const li of $('presets').children) li.setAttribute('aria-selected', String(Number(li.dataset.index) === i));
    presetButtons();
  }

  function presetButtons() {
    const any = selectedPreset >= 0 && canWrite();
    const user = any && selectedPreset < presets.users;
    $('p-load').disabled = $('p-download').disabled = !any;
    $('p-save').disabled = $('p-rename').disabled = $('p-upload').disabled = !user;
  }

  function presetCommand(cmd, extra) {
    if (selectedPreset < 0) return;
    send(Object.assign({ t: 'preset', cmd, index: selectedPreset }, extra || {}));
  }

  $('p-load').addEventListener('click', () => presetCommand('load'));
  $('p-save').addEventListener('click', () => presetCommand('save'));
  $('p-rename').addEventListener('click', () => {
    const row = presets.rows[selectedPreset];
    const name = window.prompt('New name (up to 15 characters)', row ? row[1] : '');
    if (name) presetCommand('rename', { name: name.toUpperCase() });
  });
  $('p-download').addEventListener('click', async () => {
    notice('downloading…');
    const r = await api('/api/preset?p=' + proc + '&index=' + selectedPreset);
    if (!r.ok) { notice('the download failed'); return; }
    const a = el('a');
    a.href = URL.createObjectURL(await r.blob());
    a.download = 'preset' + (selectedPreset + 1) + '.pst';
    a.click();
    URL.revokeObjectURL(a.href);
    notice('');
  });
  $('p-upload').addEventListener('click', () => $('p-file').click());
  $('p-file').addEventListener('change', async () => {
    const file = $('p-file').files[0];
    $('p-file').value = '';
    if (!file) return;
    notice('uploading…');
    const r = await api('/api/preset?p=' + proc + '&index=' + selectedPreset, { method: 'POST', body: await file.arrayBuffer() });
    notice(r.ok ? '' : 'the upload failed');
  });

  const tab = (presetsShown) => {
    $('tab-pages').setAttribute('aria-selected', String(!presetsShown));
    $('tab-presets').setAttribute('aria-selected', String(presetsShown));
    $('tree').hidden = presetsShown;
    $('preset-box').hidden = !presetsShown;
  };
  $('tab-pages').addEventListener('click', () => tab(false));
  $('tab-presets').addEventListener('click', () => tab(true));

  // Meters at 10 Hz from the newest frame; images as the desktop skin draws them.
  const kLed = {
    1: ['#1E3A2C', 11, 6], 2: ['#3DDC84', 11, 6], 3: ['#EB5757', 11, 6],
    4: ['#1E3A2C', 7, 5], 5: ['#3DDC84', 7, 5], 6: ['#EB5757', 7, 5], 7: ['#F2C94C', 7, 5],
  };
  let meterBackground = null;
  function setMeterLayout(layout) {
    meterLayout = layout;
    meterBackground = null;
    if (!layout.background) return;
    const img = new Image();
    img.onload = () => { if (meterLayout === layout) meterBackground = img; };
    img.src = layout.background;
  }

  // Without the skin's background, each bar gets its label under it.
  function drawLabels(g, height) {
    g.font = '9px "DejaVu Sans", sans-serif';
    g.fillStyle = '#9AA3AE';
    g.textAlign = 'center';
    const lowest = new Map();
    meterLayout.leds.forEach(([x, y, bar]) => {
      const l = lowest.get(bar);
      if (!l || y > l[1]) lowest.set(bar, [x, y]);
    });
    meterLayout.bars.forEach((b, i) => {
      const l = lowest.get(i);
      if (l && l[1] + 16 <= height) g.fillText(b.label.split('_').pop(), l[0] + 5, l[1] + 15);
    });
  }

  function drawMeter() {
    const canvas = $('meter');
    const g = canvas.getContext('2d');
    g.fillStyle = '#131519';
    g.fillRect(0, 0, canvas.width, canvas.height);
    if (!meterLayout) return;
    if (meterBackground) g.drawImage(meterBackground, 0, 0);
    else drawLabels(g, canvas.height);
    meterLayout.leds.forEach(([x, y], i) => {
      const look = kLed[meterFrame[i]] || kLed[1];
      g.fillStyle = look[0];
      g.fillRect(x, y, look[1], look[2]);
    });
  }
  setInterval(() => { if (!$('remote').hidden) drawMeter(); }, 100);

  start();
})();
