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

describe('a published project', { skip }, () => {
  it('rotates the sample\'s slides in order with their captions, links and tooltips', async () => {
    const site = path.join(work, 'site');
    execFileSync(cli, ['publish', path.join(root, 'share/samples/Sample.lvx'), site],
      { env: { ...process.env, XDG_CACHE_HOME: path.join(work, 'cache') }, stdio: 'pipe' });
    const files = Object.fromEntries(fs.readdirSync(site).map((n) => [n, fs.readFileSync(path.join(site, n))]));
    // The items as the generated script hands them over.
    const script = files['Samplecfg.js'].toString('latin1');
    const rows = new Function(script.replace(/bdas\(.*\);\s*$/, '') + '; return SamplePropsArray;')();
    assert.ok(rows.length >= 2);
    const url = env.server.add(files);
    const s = await open(env.browser, url + 'Sample.html', { clock: true });
    await until(s.page, () => document.querySelector('.Sample_SlideImgCntr')?.style.visibility === 'visible');
    for (let k = 0; k <= rows.length; k++) {
      if (k) await s.page.clock.runFor(4100);
      const v = await view(s.page, 'Sample');
      const row = rows[k % rows.length];
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
});
