// The pages that ship beside the program (help, samples) and the pages published from the shipped
// templates, each loaded from file:// in headless Chromium as the help window and a browser show them.
import { describe, it, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launch, until } from './support.mjs';

const root = fileURLToPath(new URL('../../', import.meta.url));
const share = path.join(root, 'share');
const help = path.join(share, 'help');
const cli = process.env.LUMIVEX_CLI || path.join(root, 'build/app/lumivex-cli');
const noCli = fs.existsSync(cli) ? false : `no ${cli}: build the project first`;

// The help page of each group box of the property pages, with the labels the group shows.
const GROUPS = {
  'customizing_js_script_script_slideshow.htm': ['Name', 'Color', 'Width', 'Height', 'Z-Index'],
  'customizing_js_script_script_effects.htm':
    ['Image Rotation Delay', 'Image Transition Duration', 'Image Transition Steps'],
  'customizing_js_script_script_loading_page.htm': ['Background Color', 'Indicator Image'],
  'customizing_js_script_slide_info_slide_info.htm': ['Height', 'Auto', 'Text Indent', 'Background Color', 'Opacity'],
  'customizing_js_script_slide_info_slide_info_effects.htm':
    ['Sliding Duration', 'Sliding Steps', 'Delay Show', 'Delay Hide'],
  'customizing_js_script_slide_info_slide_info_title.htm':
    ['Font', 'Size', 'Color', 'Bold', 'Italic', 'Underline', 'Padding-Left'],
  'customizing_js_script_slide_info_slide_info_description.htm':
    ['Font', 'Size', 'Color', 'Bold', 'Italic', 'Underline', 'Padding-Left', 'Right', 'Top', 'Bottom'],
  'customizing_js_item_item_original_image_path.htm': ['Image'],
  'customizing_js_item_item_link.htm': ['URL', 'Target'],
  'customizing_js_item_item_slide_info.htm': ['Title', 'Desc'],
  'customizing_js_item_item_tooltip.htm': ['Tooltip'],
  'customizing_js_item_focal_point.htm': ['Focal Point'],
  'customizing_js_script_path_path.htm': ['Root Directory for Local Computer', 'Root Directory for Web Server',
    'Test on Local Computer (Convert to Local Path)', 'Upload to Web Server (Convert to Web Path)',
    'Image Leading Path'],
};
const LINK_TIP = "Local link may not work for security reason. Please click the '?' book icon within link group to learn more details.";

const helpPages = fs.readdirSync(help).filter((n) => /\.html?$/.test(n)).sort();
const shippedPages = [...helpPages.map((n) => path.join(help, n)), path.join(share, 'samples/index.html')];

let browser;
let work;
before(async () => {
  browser = await launch();
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'lumivex-share-'));
});
after(async () => {
  await browser?.close();
  if (work) fs.rmSync(work, { recursive: true, force: true });
});

/** Opens a file in a fresh context, recording console errors, uncaught errors, failed loads and
 * every request that does not stay on the disk. */
async function load(file, viewport = { width: 1024, height: 768 }) {
  const context = await browser.newContext({ viewport });
  const page = await context.newPage();
  const problems = [];
  page.on('console', (m) => { if (m.type() === 'error') problems.push('console: ' + m.text()); });
  page.on('pageerror', (e) => problems.push('uncaught: ' + e));
  page.on('requestfailed', (r) => problems.push('failed: ' + r.url()));
  page.on('request', (r) => { if (!/^(file|data):/.test(r.url())) problems.push('network: ' + r.url()); });
  await page.goto(pathToFileURL(file).href, { waitUntil: 'load' });
  return { page, problems, close: () => context.close() };
}

/** Fields of a project file's settings line and item lines. */
function project(file) {
  const lines = fs.readFileSync(file, 'latin1').split('\r\n');
  const fields = (line) => line.split('#$@').slice(0, -1);
  const at = lines.indexOf('<Item_Parameters>');
  return {
    settings: fields(lines[lines.indexOf('<Applet_Parameters>') + 1]),
    items: lines.slice(at + 1, lines.indexOf('</Item_Parameters>')).map(fields),
  };
}

function publish(projectFile, folder) {
  execFileSync(cli, ['publish', projectFile, folder],
    { env: { ...process.env, XDG_CACHE_HOME: path.join(work, 'cache') }, stdio: 'pipe' });
}

describe('help pages', () => {
  it('has an index that links the getting-started page and one page per group, under their file names', async () => {
    const expected = ['getting_started.htm', ...Object.keys(GROUPS)];
    for (const name of expected) assert.ok(helpPages.includes(name), `missing help/${name}`);
    const s = await load(path.join(help, 'index.html'));
    const links = await s.page.$$eval('a[href]', (as) => as.map((a) => a.getAttribute('href')));
    await s.close();
    for (const name of expected) assert.ok(links.includes(name), `the index does not link ${name}`);
    for (const name of helpPages) {
      if (name !== 'index.html') assert.ok(links.includes(name), `the index does not link ${name}`);
    }
  });

  it('explains every setting of a group by the label the editor shows, and leads back to the index', async () => {
    for (const [name, labels] of Object.entries(GROUPS)) {
      const s = await load(path.join(help, name));
      const shown = await s.page.$$eval('.label', (es) => es.map((e) => e.textContent));
      const home = await s.page.$$eval('a[href="index.html"]', (as) => as.length);
      const text = await s.page.evaluate(() => document.body.innerText);
      await s.close();
      for (const label of labels) assert.ok(shown.includes(label), `${name} does not explain "${label}"`);
      assert.ok(home > 0, `${name} has no way back to the index`);
      if (name === 'customizing_js_item_item_link.htm') assert.ok(text.includes(LINK_TIP), 'the link page lacks the tip');
    }
  });
});

describe('every shipped page', () => {
  it('loads from file:// without errors or network requests, fits the help window and links only to what exists', async () => {
    for (const file of shippedPages) {
      const rel = path.relative(share, file);
      for (const viewport of [{ width: 402, height: 428 }, { width: 1024, height: 768 }]) {
        const s = await load(file, viewport);
        // A slideshow sets its pictures' sources one slide ahead; those it has set must arrive.
        await until(s.page, () => [...document.images].every((i) => !i.getAttribute('src') || i.complete));
        const state = await s.page.evaluate(() => ({
          overflow: document.documentElement.scrollWidth - innerWidth,
          broken: [...document.images].filter((i) => i.getAttribute('src') && !i.naturalWidth).map((i) => i.src),
          styled: document.styleSheets.length,
          links: [...document.querySelectorAll('a[href]')].map((a) => a.href),
          ids: [...document.querySelectorAll('[id]')].map((e) => e.id),
        }));
        if (await s.page.$('script')) await new Promise((r) => setTimeout(r, 1500)); // let a slideshow run a while
        assert.deepEqual(s.problems, [], `${rel} at ${viewport.width}px`);
        await s.close();
        assert.ok(state.overflow <= 0, `${rel} is ${state.overflow}px wider than ${viewport.width}px`);
        assert.deepEqual(state.broken, [], `${rel} shows broken pictures`);
        assert.ok(state.styled > 0, `${rel} has no style`);
        for (const link of state.links.filter((l) => l.startsWith('file:'))) {
          const url = new URL(link);
          const target = fileURLToPath(url);
          assert.ok(fs.existsSync(target), `${rel} links to a missing ${target}`);
          if (!url.hash) continue;
          const id = decodeURIComponent(url.hash.slice(1));
          const found = target === file ? state.ids.includes(id) : fs.readFileSync(target, 'utf8').includes(`id="${id}"`);
          assert.ok(found, `${rel} links to a missing #${id} of ${path.basename(target)}`);
        }
      }
    }
  });
});

describe('samples page', () => {
  it('runs the sample slideshow with the shipped runtime, slide after slide', async () => {
    const { items } = project(path.join(share, 'samples/Sample.lvx'));
    const s = await load(path.join(share, 'samples/index.html'));
    const runtime = await s.page.$$eval('script[src]', (ss) => ss.map((e) => e.src));
    assert.ok(runtime.includes(pathToFileURL(path.join(share, 'lumivex.js')).href), 'not the shipped runtime');
    const caption = () => document.querySelector('.Sample_SlideInfoTitle')?.textContent;
    for (const k of [0, 1]) {
      await until(s.page, (t) => document.querySelector('.Sample_SlideInfoTitle')?.textContent === t, items[k][0], 12000);
      const shown = await s.page.evaluate((k) => {
        const slide = document.querySelectorAll('.Sample_SlideImgCntr')[k];
        const img = slide.querySelector('img');
        return { visible: getComputedStyle(slide).visibility, width: img.naturalWidth, src: img.getAttribute('src') };
      }, k);
      assert.deepEqual(shown, { visible: 'visible', width: 400, src: items[k][9] });
    }
    assert.equal(await s.page.evaluate(caption), items[1][0]);
    assert.deepEqual(s.problems, []);
    await s.close();
  });

  it('carries the style sheet and script that publishing the sample writes', { skip: noCli }, () => {
    const site = path.join(work, 'sample');
    publish(path.join(share, 'samples/Sample.lvx'), site);
    for (const name of ['Sample.css', 'Samplecfg.js']) {
      assert.ok(fs.readFileSync(path.join(share, 'samples', name)).equals(fs.readFileSync(path.join(site, name))),
        `samples/${name} differs from a fresh publish`);
    }
  });
});

describe('templates', { skip: noCli }, () => {
  const templates = fs.readdirSync(path.join(share, 'templates')).filter((n) => n.endsWith('.lvx')).sort();

  it('publish to pages that show every slide in the box, with its caption, and no error', async () => {
    assert.ok(templates.length >= 4, `only ${templates.length} templates`);
    for (const name of templates) {
      const { settings, items } = project(path.join(share, 'templates', name));
      const [id, width, height] = [settings[0], Number(settings[10]), Number(settings[11])];
      const site = path.join(work, name.replace('.lvx', ''));
      publish(path.join(share, 'templates', name), site);
      const s = await load(path.join(site, name.replace('.lvx', '.html')), { width: width + 40, height: height + 40 });
      await until(s.page, (id) => document.querySelector(`.${id}_SlideImgCntr`)?.style.visibility === 'visible', id);
      const box = await s.page.evaluate((id) => {
        const r = document.getElementById(id + '_div').getBoundingClientRect();
        return [r.width, r.height];
      }, id);
      assert.deepEqual(box, [width, height], name);
      // Every picture is there and was made for this box.
      const sizes = await s.page.evaluate((names) => Promise.all(names.map((n) => new Promise((done) => {
        const img = new Image();
        img.onload = () => done([img.naturalWidth, img.naturalHeight]);
        img.onerror = () => done(null);
        img.src = n;
      }))), items.map((it) => it[9]).filter(Boolean));
      for (const size of sizes) assert.deepEqual(size, [width, height], name);
      await until(s.page, ([id, t]) => document.querySelector(`.${id}_SlideInfoTitle`)?.textContent === t, [id, items[0][0]]);
      assert.deepEqual(s.problems, [], name);
      await s.close();
    }
  });
});
