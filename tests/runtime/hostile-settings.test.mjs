// Font lists and a loading image that try to fetch an address, add style rules or run script
// are published as names only: the page asks for nothing but its own files, its style sheet
// keeps its rules, and the slideshow runs.
import { describe, it, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { useBrowser, until, view } from './support.mjs';

const root = fileURLToPath(new URL('../../', import.meta.url));
const cli = process.env.LUMIVEX_CLI || path.join(root, 'build/app/lumivex-cli');
const skip = fs.existsSync(cli) ? false : `no ${cli}: build the project first`;
const samples = path.join(root, 'share/samples');

// Settings fields by their place on the project's settings line.
const FIELD = { title: 21, desc: 28, loading: 15 };
const LEAK = 'http://127.0.0.1:9/leak';
const CASES = [
  ['title', `Verdana;} body { background: url(${LEAK}/title) } x {`],
  ['desc', `"Arial"; } body { background: url("${LEAK}/desc\\"") } p { x: "y"`],
  ['title', 'Verdana; } .Sample_SlideImgCntr { display: none } x {'],
  ['desc', 'x; } body { background: url(javascript:alert(1)) } y {'],
  ['loading', 'wait.gif); } .Sample_SlideImgCntr { display: none } x { y: url(wait.gif'],
  ['loading', `wait.gif); } body { background: url("${LEAK}/quoted") } x { y: url(wait.gif`],
  ['loading', `wait.gif) } body { background: url(${LEAK}/loading) } x { y: url(wait.gif`],
];

function withSetting(project, index, value) {
  const lines = project.split('\r\n');
  const at = lines.indexOf('<Applet_Parameters>') + 1;
  const fields = lines[at].split('#$@');
  fields[index] = value;
  lines[at] = fields.join('#$@');
  return lines.join('\r\n');
}

const env = skip ? {} : useBrowser();
let work;
before(() => {
  if (!skip) work = fs.mkdtempSync(path.join(os.tmpdir(), 'lumivex-hostile-'));
});
after(() => {
  if (work) fs.rmSync(work, { recursive: true, force: true });
});

describe('hostile settings in a published page', { skip }, () => {
  CASES.forEach(([field, value], k) => {
    it(`${field}: ${value}`, async () => {
      const project = path.join(work, 'project' + k);
      const site = path.join(work, 'site' + k);
      fs.cpSync(samples, project, { recursive: true });
      const lvx = fs.readFileSync(path.join(project, 'Sample.lvx'), 'latin1');
      fs.writeFileSync(path.join(project, 'Sample.lvx'), withSetting(lvx, FIELD[field], value), 'latin1');
      // A loading image that can be a file name is one, so that it is published like any other.
      if (field === 'loading' && !/[/\\]/.test(value)) {
        fs.copyFileSync(path.join(samples, 'wait.gif'), path.join(project, value));
      }
      execFileSync(cli, ['publish', path.join(project, 'Sample.lvx'), site],
        { env: { ...process.env, XDG_CACHE_HOME: path.join(work, 'cache') }, stdio: 'pipe' });
      const files = Object.fromEntries(fs.readdirSync(site).map((n) => [n, fs.readFileSync(path.join(site, n))]));
      const url = env.server.add(files);
      const allowed = new Set(Object.keys(files).map((n) => new URL('./' + n, url).href));
      // A loading image that is no plain file name is not published, but the page still asks for it.
      if (field === 'loading') allowed.add(new URL('./' + value, url).href);

      const context = await env.browser.newContext({ viewport: { width: 900, height: 700 } });
      const page = await context.newPage();
      const dialogs = [];
      const requests = [];
      page.on('dialog', (d) => { dialogs.push(d.message()); d.dismiss().catch(() => {}); });
      page.on('request', (r) => requests.push(r.url()));
      await page.goto(url + 'Sample.html');
      await until(page, () => {
        const img = document.querySelector('.Sample_SlideImgCntr img');
        return img?.complete && img.naturalWidth > 0;
      });
      const v = await view(page, 'Sample');
      assert.equal(v.top, 0, JSON.stringify(v));
      assert.equal(v.title, 'Morning Sky');
      const rules = await page.evaluate(() =>
        [...document.styleSheets].filter((s) => s.href?.endsWith('/Sample.css')).map((s) => s.cssRules.length));
      assert.deepEqual(rules, [9]);
      assert.deepEqual(dialogs, []);
      assert.deepEqual(requests.filter((r) => !allowed.has(r)), []);
      await context.close();
    });
  });
});
