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

  // Each template as published, its first caption measured at a phone's width and at its own.
  it('keeps each template\'s caption within 40 % of a 320 px box with its title on one or two lines, as designed at full width', async () => {
    const templates = path.join(root, 'share/templates');
    for (const name of fs.readdirSync(templates).filter((n) => n.endsWith('.lvx'))) {
      const site = path.join(work, 'template-' + name.replace('.lvx', ''));
      execFileSync(cli, ['publish', path.join(templates, name), site],
        { env: { ...process.env, XDG_CACHE_HOME: path.join(work, 'cache') }, stdio: 'pipe' });
      const files = Object.fromEntries(fs.readdirSync(site).map((n) => [n, fs.readFileSync(path.join(site, n))]));
      const page = Object.keys(files).find((n) => n.endsWith('.html'));
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
      assert.ok(phone.titleHeight <= 2.6 * phone.font, `${name}: the title takes more than two lines: ${JSON.stringify(phone)}`);
      // A design whose caption covers more than 40 % of its box keeps that share.
      assert.ok(phone.share <= Math.max(0.405, full.share + 0.01), `${name}: ${JSON.stringify(phone)} ${JSON.stringify(full)}`);
      const settings = files[page.replace('.html', '.lvx')].toString('latin1').split('<Applet_Parameters>\r\n')[1].split('#$@');
      assert.equal(full.font, Number(settings[22]), `${name}: the designed title size at full width`);
    }
  });
});
