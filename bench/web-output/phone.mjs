// A published modern slideshow in Debian's Chromium, as a phone sees it. Not a test: it prints.
//   node phone.mjs paint FOLDER PAGE   a 412 x 823 phone at 1.75x on a mobile network (150 ms
//       round trip, 1.6 Mbit/s down, 750 kbit/s up) with 4x CPU slowdown, the settings Lighthouse's
//       mobile run models: first paint, largest paint and layout shift, median of RUNS (default 5),
//       and the bytes of the first slide it fetched
//   node phone.mjs frames FOLDER PAGE [PEER...]  at 4x CPU slowdown, the long animation frames
//       (over 50 ms) during three transitions of the slideshow's own rotation (ROTATION ms apart,
//       default 7000, the templates'), then during three by the Next button; then the same in
//       the pages of peers.mjs named (swiper.html, splide.html)
import http from 'node:http';
import path from 'node:path';
import { chromium } from 'playwright-core';
import { peerOrOwn, peerPages } from './peers.mjs';

const [mode, folder, pageName, ...peerNames] = process.argv.slice(2);
const peers = peerNames.length ? peerPages(folder, pageName) : { pages: {}, files: {} };
const runs = Number(process.env.RUNS || 5);
const TYPES = { html: 'text/html', css: 'text/css', js: 'text/javascript', jpg: 'image/jpeg', avif: 'image/avif', gif: 'image/gif' };
const sent = [];
const server = http.createServer((req, res) => {
  const name = path.basename(decodeURIComponent(new URL(req.url, 'http://x').pathname));
  const body = peerOrOwn(folder, peers, name);
  if (body === null) return res.writeHead(404).end();
  sent.push([name, body.length]);
  res.writeHead(200, { 'Content-Type': TYPES[name.split('.').pop()] || 'application/octet-stream', 'Cache-Control': 'no-store' });
  res.end(body);
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
const base = `http://127.0.0.1:${server.address().port}/`;
const url = base + pageName;
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
  for (const name of [pageName, ...peerNames]) {
    const { context, page } = await phone(false);
    await page.goto(base + name, { waitUntil: 'load' });
    await page.waitForFunction(() => !document.querySelector('[aria-busy]'));
    const next = page.getByRole('button', { name: 'Next slide' });
    // Playwright's first query injects its own script and walks the page: over 100 ms at this
    // slowdown, which would be counted as the page's.
    await next.count();
    const rotation = Number(process.env.ROTATION || 7000);
    const during = async (what, act) => {
      const from = await page.evaluate(() => performance.now());
      await act();
      const loaf = (await page.evaluate(() => window.measured.loaf)).filter(([at]) => at >= from);
      // Chromium reports only frames of 50 ms or more.
      const long = loaf.filter(([, d]) => d > 50);
      console.log(`${name}, ${what}: ${long.length} long animation frames over 50 ms during three transitions` +
        `${long.length ? `, the longest ${Math.max(...long.map(([, d]) => d)).toFixed(0)} ms` : ''} (goal 0); ` +
        `of them ${long.filter(([, , b]) => b > 0).length} blocking the main thread, ${long.filter(([, , , n]) => n > 0).length} running a script`);
    };
    await during('rotating', () => page.waitForTimeout(3 * rotation + 1000));
    await during('by the Next button', async () => {
      for (let k = 0; k < 3; k++) {
        await next.click();
        await page.waitForTimeout(2500);
      }
    });
    await context.close();
  }
}
await browser.close();
server.close();
