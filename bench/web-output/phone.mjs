// A published modern slideshow in Debian's Chromium, as a phone sees it. Not a test: it prints.
//   node phone.mjs paint FOLDER PAGE   a 412 x 823 phone at 1.75x on a mobile network (150 ms
//       round trip, 1.6 Mbit/s down, 750 kbit/s up) with 4x CPU slowdown, the settings Lighthouse's
//       mobile run models: first paint, largest paint and layout shift, median of RUNS (default 5),
//       and the bytes of the first slide it fetched
//   node phone.mjs frames FOLDER PAGE  three transitions by the Next button at 4x CPU slowdown:
//       the long animation frames (over 50 ms) meanwhile
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';

const [mode, folder, pageName] = process.argv.slice(2);
const runs = Number(process.env.RUNS || 5);
const TYPES = { html: 'text/html', css: 'text/css', js: 'text/javascript', jpg: 'image/jpeg', avif: 'image/avif', gif: 'image/gif' };
const sent = [];
const server = http.createServer((req, res) => {
  const name = decodeURIComponent(new URL(req.url, 'http://x').pathname).slice(1);
  const file = path.join(folder, path.basename(name));
  if (!fs.existsSync(file)) return res.writeHead(404).end();
  const body = fs.readFileSync(file);
  sent.push([name, body.length]);
  res.writeHead(200, { 'Content-Type': TYPES[name.split('.').pop()] || 'application/octet-stream', 'Cache-Control': 'no-store' });
  res.end(body);
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
const url = `http://127.0.0.1:${server.address().port}/${pageName}`;
const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking'],
});

async function phone(network) {
  const context = await browser.newContext({ viewport: { width: 412, height: 823 }, deviceScaleFactor: 1.75, isMobile: true, hasTouch: true });
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: 4 });
  if (network) {
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions',
      { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 750e3 / 8 });
  }
  await page.addInitScript(() => {
    window.measured = { lcp: 0, cls: 0, loaf: [] };
    new PerformanceObserver((l) => l.getEntries().forEach((e) => { window.measured.lcp = e.startTime; }))
      .observe({ type: 'largest-contentful-paint', buffered: true });
    new PerformanceObserver((l) => l.getEntries().forEach((e) => { if (!e.hadRecentInput) window.measured.cls += e.value; }))
      .observe({ type: 'layout-shift', buffered: true });
    new PerformanceObserver((l) => l.getEntries().forEach((e) => window.measured.loaf.push([e.startTime, e.duration, e.blockingDuration, e.scripts.length])))
      .observe({ type: 'long-animation-frame', buffered: true });
  });
  return { context, page };
}

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

if (mode === 'paint') {
  const fcp = [], lcp = [], cls = [];
  let first = [];
  for (let r = 0; r < runs; r++) {
    sent.length = 0;
    const { context, page } = await phone(true);
    await page.goto(url, { waitUntil: 'load' });
    await page.waitForTimeout(1500);
    const m = await page.evaluate(() => ({ ...window.measured,
      fcp: performance.getEntriesByName('first-contentful-paint')[0]?.startTime }));
    fcp.push(m.fcp);
    lcp.push(m.lcp);
    cls.push(m.cls);
    first = sent.filter(([n]) => /^slider0[.@]/.test(n));
    await context.close();
  }
  console.log(`first contentful paint ${median(fcp).toFixed(0)} ms (goal <= 800), largest contentful paint ` +
    `${median(lcp).toFixed(0)} ms (goal <= 1000), layout shift ${median(cls).toFixed(3)} (goal 0); median of ${runs}`);
  console.log(`first slide fetched: ${first.map(([n, b]) => `${n} ${b} B`).join(', ')}; ` +
    `${first.reduce((s, [, b]) => s + b, 0)} B (goal <= 20000)`);
} else if (mode === 'frames') {
  const { context, page } = await phone(false);
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => !document.querySelector('[aria-busy]'));
  const from = await page.evaluate(() => performance.now());
  for (let k = 0; k < 3; k++) {
    await page.getByRole('button', { name: 'Next slide' }).click();
    await page.waitForTimeout(2500);
  }
  const loaf = (await page.evaluate(() => window.measured.loaf)).filter(([at]) => at >= from);
  // Chromium reports only frames of 50 ms or more.
  const long = loaf.filter(([, d]) => d > 50);
  console.log(`${pageName}: ${long.length} long animation frames over 50 ms during three transitions at 4x CPU slowdown` +
    `${long.length ? `, the longest ${Math.max(...long.map(([, d]) => d)).toFixed(0)} ms` : ''} (goal 0); ` +
    `of them ${long.filter(([, , b]) => b > 0).length} blocking the main thread, ${long.filter(([, , , n]) => n > 0).length} running a script`);
  await context.close();
}
await browser.close();
server.close();
