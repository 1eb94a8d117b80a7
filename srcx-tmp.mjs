import { chromium } from 'playwright-core';
const b = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--headless','--no-sandbox','--disable-gpu'] });
const sets = JSON.parse(process.argv[2]);
const svg = (w) => `<svg xmlns="http://www.w3.org/2000/svg" width="${w}" height="10"/>`;
for (const [vw, dpr] of [[390,3],[412,1.75],[375,2],[360,3],[320,2],[414,2],[1280,1],[1280,2]]) {
  const out = [];
  for (const ws of sets) {
    const ctx = await b.newContext({ viewport: { width: vw, height: 800 }, deviceScaleFactor: dpr });
    const p = await ctx.newPage();
    await p.route('http://x.test/**', (r) => { const u = r.request().url(); if (u.endsWith('/')) return r.fulfill({ contentType: 'text/html', body: `<img srcset="${ws.map(w => `i${w}.svg ${w}w`).join(', ')}" sizes="calc(min(100vw, 960px) * 600 / 960)">` }); return r.fulfill({ contentType: 'image/svg+xml', body: svg(10) }); });
    await p.goto('http://x.test/');
    await p.waitForFunction(() => document.querySelector('img').complete);
    out.push(await p.evaluate(() => document.querySelector('img').currentSrc.split('/').pop()));
    await ctx.close();
  }
  const need = Math.min(vw,960)*600/960*dpr;
  console.log(vw, dpr, 'need', need.toFixed(0), out.join(' | '));
}
await b.close();
