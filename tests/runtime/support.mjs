// Shared pieces of the runtime's browser tests: the published files of a slideshow as the tool
// writes them, test images, a local web server and Debian's Chromium.
import http from 'node:http';
import fs from 'node:fs';
import zlib from 'node:zlib';
import { before, after } from 'node:test';
import { chromium } from 'playwright-core';

// LUMIVEX_RUNTIME serves another copy of the runtime, for trying a change without touching the shipped one.
export const RUNTIME_PATH = process.env.LUMIVEX_RUNTIME || new URL('../../share/lumivex.js', import.meta.url);

// ---- images -------------------------------------------------------------------------------

const CRC_TABLE = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(buf) {
  let c = 0xffffffff;
  for (const b of buf) c = CRC_TABLE[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}
function chunk(type, data) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(data.length, 0);
  head.write(type, 4, 'latin1');
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])));
  return Buffer.concat([head, data, crc]);
}

/** A PNG of one colour, [r, g, b]. */
export function png(width, height, [r, g, b]) {
  const ihdr = Buffer.alloc(13);
  ihdr.writeUInt32BE(width, 0);
  ihdr.writeUInt32BE(height, 4);
  ihdr.set([8, 2, 0, 0, 0], 8); // 8-bit RGB
  const row = Buffer.alloc(1 + width * 3);
  for (let x = 0; x < width; x++) row.set([r, g, b], 1 + x * 3);
  const raw = Buffer.concat(Array.from({ length: height }, () => row));
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', ihdr),
    chunk('IDAT', zlib.deflateSync(raw)),
    chunk('IEND', Buffer.alloc(0)),
  ]);
}

// ---- the published files --------------------------------------------------------------------

export const DEFAULTS = {
  id: 'Lumivex1',
  opacity: 65, rotate: 3000, fadeTime: 1000, fadeSteps: 50,
  slideTime: 1000, slideSteps: 50, showDelay: 1000, hideDelay: 1000,
  width: 400, height: 300, zIndex: 1000,
  background: '000000', loadingBackground: '000000', loadingImage: '',
  infoHeightAuto: '0', infoHeight: 80, infoBackground: '000000', textIndent: 15,
  titleFont: 'Verdana,Ms Sans Serif,Georgia,Helvetica,Arial', titleSize: 9, titleBold: '1',
  titleColor: 'FFFF00',
  descFont: 'Verdana,Ms Sans Serif,Georgia,Helvetica,Arial', descSize: 9, descColor: 'FFFFFF',
};

/** An item row: [image, url, target, title, description, tooltip]. */
export function item(image, title, extra = {}) {
  return [image, extra.url ?? 'javascript:void(0)', extra.target ?? '_self', title,
    extra.desc ?? 'Description Here', extra.tip ?? 'ToolTip Here'];
}

function color(c) { return c.toLowerCase() === 'transparent' ? c : '#' + c; }

/**
 * A modern row: the classic six, then the 1x size and the srcsets of "<base>.jpg" (w x h) and
 * "<base>@2x.jpg"; `avif` names the densities that have an AVIF copy, `x2` whether a 2x was written.
 */
export function modernItem(base, title, { w = DEFAULTS.width, h = DEFAULTS.height, box = DEFAULTS.width,
  x2 = true, avif = ['1x', '2x'], ...extra } = {}) {
  const name = (d, ext) => base + (d === '2x' ? '@2x.' : '.') + ext;
  const densities = x2 ? [['1x', w], ['2x', 2 * w]] : [['1x', w]];
  const srcset = (pick) => densities.map(([d, width]) => `${name(d, pick(d))} ${width}w`).join(', ');
  const boxWidth = `min(100vw, ${box}px)`;
  return [...item(name('1x', 'jpg'), title, extra), w, h, srcset(() => 'jpg'),
    avif.length ? srcset((d) => avif.includes(d) ? 'avif' : 'jpg') : '',
    w < box ? `calc(${boxWidth} * ${w} / ${box})` : boxWidth];
}

const isModern = (rows) => rows[0]?.length > 10;

export function styleSheet(o, modern = false) {
  const id = o.id;
  const rule = (sel, decls) => sel + '\n{\n' + decls.map((d) => d + ';\n').join('') + '}\n\n';
  return [
    modern
      ? rule(`#${id}_div`, [`width: ${o.width}px`, 'height: auto', 'max-width: 100%',
        `aspect-ratio: ${o.width} / ${o.height}`, `z-index: ${o.zIndex}`])
      : rule(`#${id}_div`, [`width: ${o.width}px`, `height: ${o.height}px`, `z-index: ${o.zIndex}`]),
    modern
      ? rule(`.${id}`, ['position: relative', 'display: block', 'overflow: hidden',
        `background-color: ${color(o.background)}`])
      : rule(`.${id}`, ['position: relative', 'display: none', 'overflow: hidden']),
    rule(`.${id} img`, ['border: 0', 'margin: 0']),
    rule(`.${id} a`, ['text-decoration: none', 'font-size: 100%']),
    rule(`.${id} .${id}_SlideImgCntr`, ['width: 100%', 'height: 100%', 'background-repeat: no-repeat',
      'background-position: center center', `background-color: ${color(o.background)}`]),
    rule(`.${id} .${id}_Loading`, ['position: absolute', 'left: 0', 'top: 0', 'width: 100%', 'height: 100%',
      'background-repeat: no-repeat', 'background-position: center center',
      `background-color: ${color(o.loadingBackground)}`,
      `background-image: ${o.loadingImage.trim() ? `url(./${o.loadingImage})` : 'none'}`]),
    rule(`.${id} .${id}_SlideInfo`, ['position: absolute', `z-index: ${Number(o.zIndex) + 15}`, 'width: 100%',
      o.infoHeightAuto === '1' ? 'height: auto' : `height: ${o.infoHeight}px`, 'margin: 0px', 'left: 0',
      'bottom: 0', `background-color: ${color(o.infoBackground)}`, `text-indent: ${o.textIndent}px`]),
    rule(`.${id} .${id}_SlideInfo .${id}_SlideInfoTitle`, [`font-family: ${o.titleFont}`,
      `font-size: ${o.titleSize}px`, `font-weight: ${o.titleBold === '1' ? 'bold' : 'normal'}`,
      'font-style: normal', 'text-decoration: none', `color: ${color(o.titleColor)}`, 'padding-left: 0px',
      'margin: 0px']),
    rule(`.${id} .${id}_SlideInfo .${id}_SlideInfoDesc`, [`font-family: ${o.descFont}`,
      `font-size: ${o.descSize}px`, 'font-weight: normal', 'font-style: normal', 'text-decoration: none',
      `color: ${color(o.descColor)}`, 'padding-top: 5px', 'padding-right: 0px', 'padding-bottom: 0px',
      'padding-left: 0px', 'margin: 0px']),
  ].join('');
}

// Item texts reach the script escaped as string content, as the tool writes them.
export function jsText(s) {
  return s.replace(/[\\'"\r\n]|<\/|[^\x20-\x7e]/g, (c) => ({
    '\\': '\\\\', "'": "\\'", '"': '\\"', '\r': '\\r', '\n': '\\n', '</': '<\\/',
  })[c] ?? '\\u' + c.charCodeAt(0).toString(16).padStart(4, '0'));
}

export function configScript(o, items) {
  const id = o.id;
  const rows = items.map((r) => '[' + r.map((v) => typeof v === 'number' ? v : `'${jsText(v)}'`).join(',') + ']');
  const nums = [o.opacity, o.rotate, o.fadeTime, o.fadeSteps, o.slideTime, o.slideSteps, o.showDelay,
    o.hideDelay].join(',') + (o.look ? ',' + JSON.stringify(o.look) : '');
  return ['/*', 'Lumivex 1.0', 'Copyright (c) Lumivex', 'http://www.lumivex.test/', 'http://www.lumivex.test/support/',
    '*/', `var ${id}PropsArray = [`, rows.join(',\r\n'), '];'].filter((l, k) => k !== 7 || rows.length)
    .join('\r\n') + '\r\n' +
    [`function start${id}(){`, `var ${id} = new bUar('${id}',${id}PropsArray,${nums});`, '}',
      `bdas(start${id});`].join('\n') + '\r\n';
}

/** The page; `shows` is a list of ids, each with its own style sheet and script. */
export function page(ids, { head = '', body = '' } = {}) {
  const address = 'http://www.lumivex.test/';
  const lines = [
    '<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN" "http://www.w3.org/TR/1999/REC-html401-19991224/loose.dtd">',
    `<!-- saved from url=(${String(address.length).padStart(4, '0')})${address} -->`,
    '<HTML>', '<HEAD>', '<TITLE>Preview</TITLE>', '', '<!-- Lumivex 1.0 -->',
    '<!-- Copyright (c) Lumivex -->', '<!-- Please insert following codes into <head> section of Web pages. -->',
    '<!-- BEGIN -->',
    ...ids.map((id) => `<LINK href="./${id}.css" type="text/css" rel="stylesheet" />`),
    '<!-- END -->', head, '</HEAD>', '<BODY>', body,
    '<!-- Please insert following <div> and <script> to web pages where you want to include the script -->',
  ];
  ids.forEach((id, k) => {
    lines.push(`<DIV id="${id}_div" class="${id}"></DIV>`);
    if (k === 0) lines.push('<SCRIPT language="javascript" type="text/javascript" src="./lumivex.js"></SCRIPT>');
    lines.push(`<SCRIPT language="javascript" type="text/javascript" src="./${id}cfg.js"></SCRIPT>`);
  });
  lines.push('', '</BODY>', '</HTML>');
  return lines.map((l) => l + '\r\n').join('');
}

const attribute = (v) => v.replace(/&/g, '&amp;').replace(/"/g, '&quot;');

/**
 * The HTML5 page of a modern slideshow: the first slide preloaded with the srcset that the runtime
 * will choose from, its AVIF one where there is one; `after` follows the slideshow.
 */
export function modernPage(ids, first, { head = '', body = '', after = '' } = {}) {
  const preload = first?.[0] ? [`<link rel="preload" as="image"${first[9] ? ' type="image/avif"' : ''} ` +
    `imagesrcset="${attribute(first[9] || first[8])}" imagesizes="${attribute(first[10])}" fetchpriority="high">`] : [];
  const lines = ['<!DOCTYPE html>', '<html lang="en">', '<head>', '<meta charset="utf-8">',
    '<meta name="viewport" content="width=device-width, initial-scale=1">', `<title>${ids[0]}</title>`, '',
    '<!-- BEGIN -->', ...preload, ...ids.map((id) => `<link href="./${id}.css" rel="stylesheet">`), '<!-- END -->',
    head, '</head>', '<body>', body];
  ids.forEach((id, k) => {
    lines.push(`<div id="${id}_div" class="${id}"></div>`);
    if (k === 0) lines.push('<script src="./lumivex.js" defer></script>');
    lines.push(`<script src="./${id}cfg.js" defer></script>`);
  });
  lines.push(after, '</body>', '</html>');
  return lines.map((l) => l + '\r\n').join('');
}

/**
 * The files of a published folder: page "index.html", one slideshow per entry of `shows`. Rows of
 * modern length (see modernItem) make the modern style sheet and page.
 */
export function publish(shows, pageOptions) {
  const files = {};
  const modern = isModern(shows[0].items);
  for (const s of shows) {
    const o = { ...DEFAULTS, ...s.options };
    files[o.id + '.css'] = styleSheet(o, modern);
    files[o.id + 'cfg.js'] = configScript(o, s.items);
  }
  const ids = shows.map((s) => ({ ...DEFAULTS, ...s.options }).id);
  files['index.html'] = modern ? modernPage(ids, shows[0].items[0], pageOptions) : page(ids, pageOptions);
  return files;
}

const COLORS = [[255, 0, 0], [0, 255, 0], [0, 0, 255], [255, 255, 0], [0, 255, 255]];
/** Images "slider0.png"... of 400 x 300 in different colours. */
export function images(n) {
  return Object.fromEntries(Array.from({ length: n }, (_, k) => [`slider${k}.png`, png(400, 300, COLORS[k])]));
}
/** Items showing those images, titled "Title 0"... and described "Desc 0"... */
export function items(n) {
  return Array.from({ length: n }, (_, k) => item(`slider${k}.png`, 'Title ' + k, { desc: 'Desc ' + k }));
}
/**
 * The files of modern slides "slider0"...: each 1x and 2x density as ".jpg" and ".avif" (PNG
 * data: the browser picks by name and declared type, and decodes by content); `sizes` [w, h] each.
 */
export function modernImages(n, sizes = []) {
  const files = {};
  for (let k = 0; k < n; k++) {
    const [w, h] = sizes[k] || [DEFAULTS.width, DEFAULTS.height];
    const one = png(w, h, COLORS[k]), two = png(2 * w, 2 * h, COLORS[k]);
    Object.assign(files, { [`slider${k}.jpg`]: one, [`slider${k}.avif`]: one, [`slider${k}@2x.jpg`]: two,
      [`slider${k}@2x.avif`]: two });
  }
  return files;
}
/** Modern items of those images, titled and described as items(n). */
export function modernItems(n, sizes = []) {
  return Array.from({ length: n }, (_, k) => modernItem(`slider${k}`, 'Title ' + k,
    { desc: 'Desc ' + k, ...(sizes[k] && { w: sizes[k][0], h: sizes[k][1] }) }));
}

// ---- web server ---------------------------------------------------------------------------

const TYPES = { html: 'text/html', css: 'text/css', js: 'text/javascript', png: 'image/png', gif: 'image/gif',
  jpg: 'image/jpeg', avif: 'image/avif' };

/**
 * Serves folders of files on 127.0.0.1, the runtime as "lumivex.js" in each. Every request is
 * logged with the time it arrived; a path can be held back until released.
 */
export async function startServer() {
  const folders = new Map();
  const runtimes = new Map();
  const held = new Map();
  const log = [];
  let count = 0;
  const server = http.createServer(async (req, res) => {
    const url = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    log.push({ url, at: Date.now() });
    const [, folder, name] = url.match(/^\/([^/]+)\/(.*)$/) || [];
    let body = folders.get(folder)?.[name];
    if (name === 'lumivex.js' && folders.has(folder)) body = fs.readFileSync(runtimes.get(folder) || RUNTIME_PATH);
    if (held.has(url)) await held.get(url).promise;
    if (body === undefined) {
      res.writeHead(url === '/favicon.ico' ? 204 : 404).end();
      return;
    }
    res.writeHead(200, { 'Content-Type': TYPES[name.split('.').pop()] || 'application/octet-stream',
      'Cache-Control': 'no-store' });
    res.end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const base = `http://127.0.0.1:${server.address().port}`;
  return {
    /** Adds a folder of files, served with `runtime` as "lumivex.js" if given; returns its address. */
    add(files, runtime) {
      const folder = 'site' + ++count;
      folders.set(folder, files);
      if (runtime) runtimes.set(folder, runtime);
      return `${base}/${folder}/`;
    },
    /** Requests of a folder's files, as names. */
    requests(folderUrl) {
      const prefix = new URL(folderUrl).pathname;
      return log.filter((r) => r.url.startsWith(prefix)).map((r) => r.url.slice(prefix.length));
    },
    /** Holds back the answer to a file until the returned function is called. */
    hold(fileUrl) {
      const p = new URL(fileUrl).pathname;
      let release;
      const promise = new Promise((r) => { release = r; });
      held.set(p, { promise });
      return () => { held.delete(p); release(); };
    },
    close: () => new Promise((resolve) => { server.closeAllConnections?.(); server.close(resolve); }),
  };
}

// ---- browser ------------------------------------------------------------------------------

export async function launch() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}

/**
 * Opens a page in a fresh context. With `clock`, time stands still until the test moves it
 * (runFor), so the timeline can be checked step by step. `beforeLoad` runs in the page, given `arg`,
 * before its scripts. Collects console errors and uncaught exceptions in `errors`.
 */
export async function open(browser, url, { clock = false, reducedMotion = 'no-preference', beforeLoad, arg, waitUntil,
  viewport = { width: 900, height: 700 }, deviceScaleFactor = 1, hasTouch = false } = {}) {
  const context = await browser.newContext({ viewport, reducedMotion, deviceScaleFactor, hasTouch });
  if (clock) {
    await context.clock.install({ time: 0 });
    await context.clock.pauseAt(1000);
  }
  const page = await context.newPage();
  const errors = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  if (beforeLoad) await page.addInitScript(beforeLoad, arg);
  await page.goto(url, { waitUntil });
  return { page, context, errors, close: () => context.close() };
}

/** Polls fn in the page (in real time) until it returns a truthy value. */
export async function until(page, fn, arg, timeout = 10000) {
  const end = Date.now() + timeout;
  for (;;) {
    const v = await page.evaluate(fn, arg);
    if (v) return v;
    if (Date.now() > end) throw new Error('timed out waiting for ' + fn);
    await new Promise((r) => setTimeout(r, 20));
  }
}

/**
 * What a visitor sees of a slideshow: the slide on top, each slide's opacity, whether the
 * loading page shows, the caption's texts and how far it is up (0 = hidden, 1 = fully up).
 */
export function view(page, id = DEFAULTS.id) {
  return page.evaluate((id) => {
    const box = document.getElementById(id + '_div');
    const slides = [...box.querySelectorAll('.' + id + '_SlideImgCntr')];
    const shown = slides.filter((s) => getComputedStyle(s).visibility === 'visible');
    const top = shown.find((s) => s.style.zIndex === '1') || shown[0];
    const info = box.querySelector('.' + id + '_SlideInfo');
    const loading = box.querySelector('.' + id + '_Loading');
    let up = null;
    if (info) {
      const m = new DOMMatrix(getComputedStyle(info).transform);
      up = Math.round((1 - m.m42 / info.offsetHeight) * 1000) / 1000;
    }
    return {
      top: slides.indexOf(top),
      shown: shown.map((s) => slides.indexOf(s)),
      opacity: slides.map((s) => Number(getComputedStyle(s).opacity)),
      loading: !!loading && getComputedStyle(loading).visibility === 'visible' &&
        Number(getComputedStyle(loading).opacity) > 0,
      title: info ? info.querySelector('.' + id + '_SlideInfoTitle').textContent : null,
      desc: info ? info.querySelector('.' + id + '_SlideInfoDesc').textContent : null,
      up,
      live: box.getAttribute('aria-live'),
    };
  }, id);
}

/** Colours [r, g, b] at the given [x, y] points of a screenshot of `selector`. */
export async function pixels(page, selector, points) {
  const shot = await page.locator(selector).screenshot({ animations: 'allow', scale: 'css' });
  return page.evaluate(async ({ data, points }) => {
    const img = new Image();
    img.src = 'data:image/png;base64,' + data;
    await img.decode();
    const c = document.createElement('canvas');
    c.width = img.naturalWidth;
    c.height = img.naturalHeight;
    const g = c.getContext('2d');
    g.drawImage(img, 0, 0);
    return points.map(([x, y]) => [...g.getImageData(x, y, 1, 1).data.slice(0, 3)]);
  }, { data: shot.toString('base64'), points });
}

/**
 * Opens a slideshow on a stopped clock and waits until its first slide starts to fade in; s.at(ms)
 * then moves the clock to that time since the fade began.
 */
export async function startShow(env, shows, files, options = {}) {
  const url = env.server.add({ ...publish(shows, options.page), ...files }, options.runtime);
  const s = await open(env.browser, url + 'index.html', { clock: true, ...options });
  s.url = url;
  const id = shows[0].options?.id || 'Lumivex1';
  if (shows[0].items.length) await until(s.page, (id) => document.querySelector(`.${id}_SlideImgCntr`).style.visibility === 'visible', id);
  let t = 0;
  s.at = async (ms) => {
    if (ms < t) throw new Error('time moves forward');
    await s.page.clock.runFor(ms - t);
    t = ms;
  };
  return s;
}

// One server and one browser for the tests of a file: env.server and env.browser are set once the
// file's tests start, and closed after the last.
export function useBrowser() {
  const env = {};
  before(async () => {
    env.server = await startServer();
    env.browser = await launch();
  });
  after(async () => {
    await env.browser?.close();
    await env.server?.close();
  });
  return env;
}
