// Lighthouse's audit of a published modern slideshow beside the same slides in the pages of two
// slider libraries (Swiper and Splide), each given the published <picture> of every slide. Not a
// test: it prints.
//   node lighthouse.mjs FOLDER PAGE
// For each page and each device (Lighthouse's mobile run: a 412 px phone at 1.75x with its
// simulated network and 4x CPU slowdown; a 375 px phone at 2x; its desktop run), the median of
// RUNS (default 3) runs: first and largest contentful paint, layout shift, blocking time, and the
// image audits that did not pass.
import http from 'node:http';
import path from 'node:path';
import lighthouse from 'lighthouse';
import desktopConfig from 'lighthouse/core/config/desktop-config.js';
import * as chromeLauncher from 'chrome-launcher';
import { peerOrOwn, peerPages } from './peers.mjs';

const [folder, pageName] = process.argv.slice(2);
const runs = Number(process.env.RUNS || 3);
const TYPES = { html: 'text/html', css: 'text/css', js: 'text/javascript', jpg: 'image/jpeg', avif: 'image/avif', gif: 'image/gif' };

const peers = peerPages(folder, pageName);

// Keep-alive and long cache lifetimes, as a production server would serve them; no compression.
const server = http.createServer((req, res) => {
  const name = path.basename(decodeURIComponent(new URL(req.url, 'http://x').pathname));
  const body = peerOrOwn(folder, peers, name);
  if (body === null) return res.writeHead(404).end();
  res.writeHead(200, { 'Content-Type': TYPES[name.split('.').pop()] || 'application/octet-stream', 'Cache-Control': 'max-age=31536000' });
  res.end(body);
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
const base = `http://127.0.0.1:${server.address().port}/`;
const chrome = await chromeLauncher.launch({ chromePath: process.env.CHROMIUM || '/usr/bin/chromium',
  chromeFlags: ['--headless=new', '--no-sandbox', '--disable-gpu'] });

const IMAGE_AUDITS = ['uses-responsive-images', 'modern-image-formats', 'uses-optimized-images', 'offscreen-images',
  'unsized-images', 'prioritize-lcp-image', 'lcp-lazy-loaded', 'efficient-animated-content', 'image-delivery-insight'];
const DEVICES = [
  ['phone 412 px at 1.75x', undefined, {}],
  ['phone 375 px at 2x', undefined, { screenEmulation: { mobile: true, width: 375, height: 667, deviceScaleFactor: 2, disabled: false } }],
  ['desktop', desktopConfig, {}],
];
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const ours = {};
for (const [device, config, flags] of DEVICES) {
  console.log(`-- ${device}`);
  for (const name of [pageName, 'swiper.html', 'splide.html']) {
    const got = { fcp: [], lcp: [], cls: [], tbt: [] };
    const failed = new Set();
    for (let r = 0; r < runs; r++) {
      const { lhr } = await lighthouse(base + name, { port: chrome.port, output: 'json', logLevel: 'error',
        onlyCategories: ['performance'], ...flags }, config);
      got.fcp.push(lhr.audits['first-contentful-paint'].numericValue);
      got.lcp.push(lhr.audits['largest-contentful-paint'].numericValue);
      got.cls.push(lhr.audits['cumulative-layout-shift'].numericValue);
      got.tbt.push(lhr.audits['total-blocking-time'].numericValue);
      for (const id of IMAGE_AUDITS) {
        const a = lhr.audits[id];
        if (a && a.score !== null && a.score < 1) failed.add(`${id} (${a.displayValue || a.score})`);
      }
    }
    const lcp = median(got.lcp);
    if (name === pageName) ours[device] = lcp;
    console.log(`${name.padEnd(14)} first paint ${median(got.fcp).toFixed(0)} ms, largest paint ${lcp.toFixed(0)} ms` +
      (name === pageName ? ' (goal <= 1000 on the phone)' : ` (${(lcp / ours[device]).toFixed(2)}x ours)`) +
      `, layout shift ${median(got.cls).toFixed(3)}, blocking ${median(got.tbt).toFixed(0)} ms; ` +
      `image audits not passed: ${failed.size ? [...failed].join(', ') : 'none'}`);
  }
}
await chrome.kill();
server.close();
