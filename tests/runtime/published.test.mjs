// The sample project as the command-line tool publishes it, shown by the current runtime.
import { describe, it, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { useBrowser, open, until, view } from './support.mjs';

const root = fileURLToPath(new URL('../../', import.meta.url));
const cli = process.env.LUMIVEX_CLI || path.join(root, 'build/app/lumivex-cli');
const skip = fs.existsSync(cli) ? false : `no ${cli}: build the project first`;

const env = skip ? {} : useBrowser();
let work;
before(() => {
  if (!skip) work = fs.mkdtempSync(path.join(os.tmpdir(), 'lumivex-published-'));
});
after(() => {
  if (work) fs.rmSync(work, { recursive: true, force: true });
});

// The modern web output of the same sample: a copy of its folder whose project holds the option.
function modernSample() {
  const folder = path.join(work, 'modern-sample');
  fs.cpSync(path.join(root, 'share/samples'), folder, { recursive: true });
  const project = path.join(folder, 'Sample.lvx');
  const text = fs.readFileSync(project, 'latin1')
    .replace('</Applet_Parameters>\r\n', '</Applet_Parameters>\r\n<Lumivex_Options>\r\nWebOutput=Modern\r\n</Lumivex_Options>\r\n');
  fs.writeFileSync(project, text, 'latin1');
  return project;
}

// The files the command-line tool publishes, by name.
const published = {};
function publishSample(flavour) {
  if (published[flavour]) return published[flavour];
  const site = path.join(work, 'site-' + flavour);
  const project = flavour === 'modern' ? modernSample() : path.join(root, 'share/samples/Sample.lvx');
  execFileSync(cli, ['publish', project, site],
    { env: { ...process.env, XDG_CACHE_HOME: path.join(work, 'cache') }, stdio: 'pipe' });
  return published[flavour] = Object.fromEntries(fs.readdirSync(site).map((n) => [n, fs.readFileSync(path.join(site, n))]));
}

describe('a published project', { skip }, () => {
  for (const flavour of ['classic', 'modern'])
  it(`rotates the sample's slides in order with their captions, links and tooltips (${flavour})`, async () => {
    const files = publishSample(flavour);
    // The items as the generated script hands them over.
    const script = files['Samplecfg.js'].toString('latin1');
    const rows = new Function(script.replace(/bdas\(.*\);\s*$/, '') + '; return SamplePropsArray;')();
    assert.ok(rows.length >= 2);
    assert.equal(rows[0].length, flavour === 'modern' ? 11 : 6);
    const url = env.server.add(files);
    const s = await open(env.browser, url + 'Sample.html', { clock: true });
    await until(s.page, () => document.querySelector('.Sample_SlideImgCntr')?.style.visibility === 'visible');
    for (let k = 0; k <= rows.length; k++) {
      if (k) await s.page.clock.runFor(4100);
      const row = rows[k % rows.length];
      // A modern slide enters once its picture is decoded, which waits on the server, not the clock.
      let v = await view(s.page, 'Sample');
      for (const end = Date.now() + 10000; v.top !== k % rows.length && Date.now() < end;) {
        await new Promise((r) => setTimeout(r, 20));
        v = await view(s.page, 'Sample');
      }
      assert.equal(v.top, k % rows.length, JSON.stringify(v));
      assert.deepEqual([v.title, v.desc], [row[3], row[4]]);
      const link = await until(s.page, (k) => {
        const a = document.querySelectorAll('.Sample_SlideImgCntr')[k].querySelector('a');
        const img = a.querySelector('img');
        return img.naturalWidth > 0 && [img.getAttribute('src'), a.getAttribute('href'), a.getAttribute('target'), a.title];
      }, k % rows.length);
      assert.deepEqual(link, [row[0], row[1], row[2], row[5]]);
    }
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  // Held back: the runtime, so that the page's first picture is there before it starts; or that
  // picture, so that it is still on its way.
  for (const [held, fetched] of [['lumivex.js', false], ['slider0.jpg', true]])
  it(`fetches the loading image only while the page's first picture is on its way (modern, ${held} late)`, async () => {
    const url = env.server.add(publishSample('modern'));
    const release = env.server.hold(url + held);
    const s = await open(env.browser, url + 'Sample.html', { waitUntil: 'commit' });
    await until(s.page, (runtimeLate) => runtimeLate ? document.querySelector('picture img')?.complete
      : document.querySelector('.Sample_Loading'), held === 'lumivex.js');
    const asked = () => env.server.requests(url).includes('wait.gif');
    for (const end = Date.now() + 2000; fetched && !asked() && Date.now() < end;)
      await new Promise((r) => setTimeout(r, 20));
    release();
    await until(s.page, () => document.querySelector('.Sample_SlideImgCntr')?.style.visibility === 'visible');
    assert.equal(asked(), fetched);
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  // Each template as published, its first caption measured at a phone's width and at its own;
  // also as a browser without container queries (the editor's preview among them) sees it.
  it('keeps each template\'s caption within 40 % of a 320 px box with its title on one or two lines, as designed at full width', async () => {
    const templates = path.join(root, 'share/templates');
    for (let [name, older] of fs.readdirSync(templates).filter((n) => n.endsWith('.lvx')).flatMap((n) => [[n, false], [n, true]])) {
      const site = path.join(work, 'template-' + name.replace('.lvx', ''));
      execFileSync(cli, ['publish', path.join(templates, name), site],
        { env: { ...process.env, XDG_CACHE_HOME: path.join(work, 'cache') }, stdio: 'pipe' });
      const files = Object.fromEntries(fs.readdirSync(site).map((n) => [n, fs.readFileSync(path.join(site, n))]));
      const page = Object.keys(files).find((n) => n.endsWith('.html'));
      const sheet = Object.keys(files).find((n) => n.endsWith('.css'));
      if (older) files[sheet] = files[sheet].toString().replaceAll('(width: 1cqw)', '(width: 1unknown)');
      const url = env.server.add(files) + page;
      const measures = [];
      for (const width of [336, 1300]) {
        const s = await open(env.browser, url, { viewport: { width, height: 800 }, reducedMotion: 'reduce' });
        measures.push(await until(s.page, () => {
          const info = document.querySelector('[class$="_SlideInfo"]'), box = info?.parentElement;
          const title = info?.querySelector('[class$="_SlideInfoTitle"]');
          if (!title?.textContent) return null;
          return { box: box.offsetWidth, share: info.offsetHeight / box.offsetHeight, titleHeight: title.offsetHeight,
            font: parseFloat(getComputedStyle(title).fontSize) };
        }));
        await s.close();
      }
      const [phone, full] = measures;
      assert.ok(phone.box <= 320, `${name}: ${JSON.stringify(phone)}`);
      name += older ? ' without container queries' : '';
      assert.ok(phone.titleHeight <= 2.6 * phone.font, `${name}: the title takes more than two lines: ${JSON.stringify(phone)}`);
      // A design whose caption covers more than 40 % of its box keeps that share.
      assert.ok(phone.share <= Math.max(0.405, full.share + 0.01), `${name}: ${JSON.stringify(phone)} ${JSON.stringify(full)}`);
      const settings = files[page.replace('.html', '.lvx')].toString('latin1').split('<Applet_Parameters>\r\n')[1].split('#$@');
      assert.equal(full.font, Number(settings[22]), `${name}: the designed title size at full width`);
    }
  });

  // Touch-sized controls in a phone's 320 px box: none on the caption or on another. A banner
  // lower than two rows of targets cannot hold both and is left out.
  it('keeps the buttons and the slide picker off the caption and off each other in a 320 px box', async () => {
    const templates = path.join(root, 'share/templates');
    for (const name of fs.readdirSync(templates).filter((n) => n.endsWith('.lvx'))) {
      const site = path.join(work, 'touch-' + name.replace('.lvx', ''));
      execFileSync(cli, ['publish', path.join(templates, name), site],
        { env: { ...process.env, XDG_CACHE_HOME: path.join(work, 'cache') }, stdio: 'pipe' });
      const files = Object.fromEntries(fs.readdirSync(site).map((n) => [n, fs.readFileSync(path.join(site, n))]));
      const page = Object.keys(files).find((n) => n.endsWith('.html'));
      const s = await open(env.browser, env.server.add(files) + page,
        { viewport: { width: 336, height: 800 }, reducedMotion: 'reduce', hasTouch: true });
      const found = await until(s.page, () => {
        const info = document.querySelector('[class$="_SlideInfo"]');
        if (!info?.querySelector('[class$="_SlideInfoTitle"]').textContent) return null;
        const rect = (e) => { const r = e.getBoundingClientRect(); return [e.getAttribute('aria-label') || 'caption', r.left, r.top, r.right, r.bottom]; };
        return { box: info.parentElement.offsetHeight, rects: [info, ...info.parentElement.querySelectorAll('button')].map(rect) };
      });
      await s.close();
      if (found.box < 100) continue;
      const meet = (a, b) => a[1] < b[3] && b[1] < a[3] && a[2] < b[4] && b[2] < a[4];
      const touching = found.rects.flatMap((a, i) => found.rects.slice(i + 1).filter((b) => meet(a, b)).map((b) => `${a[0]} / ${b[0]}`));
      assert.deepEqual(touching, [], `${name}: ${JSON.stringify(found.rects)}`);
      assert.ok(found.rects.slice(1).every((r) => r[0] === 'Stop slide rotation' || r[0] === 'Start slide rotation' ||
        (r[3] - r[1] >= 44 && r[4] - r[2] >= 44)), `${name}: a target under 44 px`);
    }
  });

  // Camera-like photos in the Gallery's 960 x 400 box: each phone takes the smallest width that
  // covers its slot in device pixels, and the first slide stays within 20 KB.
  const PHONES = [
    // viewport width, device pixel ratio
    [412, 1.75],
    [375, 2],
    [390, 3],
  ];
  it('gives each phone the smallest picture that covers it, the first slide within 20 KB', async () => {
    const folder = path.join(work, 'photos');
    fs.mkdirSync(folder, { recursive: true });
    const template = fs.readFileSync(path.join(root, 'share/templates/Gallery_960x400.lvx'), 'latin1');
    const [head, rest] = template.split('<Item_Parameters>\r\n');
    const rows = [1, 2].map((k) => {
      const photo = path.join(folder, `photo${k}.jpg`);
      execFileSync('convert', ['-size', '3000x2000', '-seed', String(k), 'plasma:fractal', '-blur', '0x2', '-attenuate', '0.3',
        '+noise', 'Gaussian', '-quality', '92', photo]);
      return `Photo ${k}#$@#$@_self#$@#$@#$@0#$@#$@#$@-1#$@#$@${photo}#$@#$@#$@\r\n`;
    });
    const project = path.join(folder, 'Phones.lvx');
    fs.writeFileSync(project, head + '<Item_Parameters>\r\n' + rows.join('') + '</Item_Parameters>' + rest.split('</Item_Parameters>')[1], 'latin1');
    const site = path.join(work, 'site-phones');
    execFileSync(cli, ['publish', project, site], { env: { ...process.env, XDG_CACHE_HOME: path.join(work, 'cache') }, stdio: 'pipe' });
    const files = Object.fromEntries(fs.readdirSync(site).map((n) => [n, fs.readFileSync(path.join(site, n))]));
    for (const [width, dpr] of PHONES) {
      const url = env.server.add(files);
      const s = await open(env.browser, url + 'Phones.html', { viewport: { width, height: 800 }, deviceScaleFactor: dpr, hasTouch: true });
      const where = `${width} px at ${dpr}x`;
      const seen = await until(s.page, () => {
        const img = document.querySelector('.Gallery1_SlideImgCntr img');
        if (!img?.complete || !img.currentSrc) return null;
        // The slot the page's sizes give, in CSS pixels.
        const probe = document.body.appendChild(Object.assign(document.createElement('div'), { style: `position:absolute;width:${img.sizes}` }));
        const slot = probe.getBoundingClientRect().width;
        probe.remove();
        return { shown: img.currentSrc.split('/').pop(), slot, srcset: img.parentElement.querySelector('source').srcset };
      });
      const candidates = seen.srcset.split(', ').map((c) => c.split(' ')).map(([n, w]) => [n, parseInt(w)]);
      assert.equal(candidates.length, 5, where);
      const covering = candidates.filter(([, w]) => w >= seen.slot * dpr).sort((a, b) => a[1] - b[1])[0][0];
      assert.equal(seen.shown, covering, `${where}: ${JSON.stringify(seen)}`);
      // One picture of the first slide, whatever size; a busy browser may ask for it twice when
      // the preload and the image race, which is still the one file.
      const first = [...new Set(env.server.requests(url).filter((n) => n.startsWith('slider0')))];
      assert.deepEqual(first, [covering], where);
      if (width === 412) assert.ok(files[covering].length <= 20000, `${where}: ${covering} is ${files[covering].length} bytes`);
      await s.close();
    }
  });
});
