// Modern rows: pictures with 1x/2x and AVIF sources in a fluid box, decoded before they fade in,
// changed by swipes and the arrow keys.
import { describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import { useBrowser, open, publish, item, view, until, startShow, pixels, modernItem, modernItems,
  modernImages } from './support.mjs';

const env = useBrowser();
const MINIFIED = fileURLToPath(new URL('../../share/lumivex.min.js', import.meta.url));
const AXE = createRequire(import.meta.url).resolve('axe-core/axe.min.js');
const visible = (k) => document.querySelectorAll('.Lumivex1_SlideImgCntr')[k]?.style.visibility === 'visible';
const label = (s) => s.page.getAttribute('.Lumivex1_Rotation', 'aria-label');

describe('modern slides', () => {
  it('are pictures with the sources, sizes and alt text of their rows; the first fetched first', async () => {
    const rows = [modernItem('slider0', 'One'), modernItem('slider1', 'Two', { x2: false, avif: [] }),
      [...item('', 'Three'), 0, 0, '', '', '']];
    const s = await open(env.browser, env.server.add({ ...publish([{ items: rows }]), ...modernImages(2) }) + 'index.html');
    // Slide 1 is fetched once slide 0 is on the screen.
    await until(s.page, () => document.querySelectorAll('.Lumivex1_SlideImgCntr img')[1].src);
    const built = await s.page.evaluate(() => [...document.querySelectorAll('.Lumivex1_SlideImgCntr a')].map((a) => {
      const get = (e, names) => e && names.map((n) => e.getAttribute(n));
      return [a.children.length && a.children[0].tagName, get(a.querySelector('source'), ['type', 'srcset', 'sizes']),
        get(a.querySelector('img'), ['src', 'srcset', 'sizes', 'width', 'height', 'alt', 'fetchpriority', 'loading'])];
    }));
    const box = 'min(100vw, 400px)';
    assert.deepEqual(built, [
      ['PICTURE', ['image/avif', 'slider0.avif 400w, slider0@2x.avif 800w', box],
        ['slider0.jpg', 'slider0.jpg 400w, slider0@2x.jpg 800w', box, '400', '300', 'One', 'high', null]],
      ['PICTURE', null, ['slider1.jpg', 'slider1.jpg 400w', box, '400', '300', 'Two', null, null]],
      [0, null, null],
    ]);
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  // The page preloads the first slide with the srcset the runtime chooses from: one request each.
  const CHOICES = [
    // device pixel ratio, densities with an AVIF copy, 2x written, the file the first slide shows
    [1, ['1x', '2x'], true, 'slider0.avif'],
    [2, ['1x', '2x'], true, 'slider0@2x.avif'],
    [2, ['1x'], true, 'slider0@2x.jpg'],
    [1, [], true, 'slider0.jpg'],
    [2, [], true, 'slider0@2x.jpg'],
    [2, [], false, 'slider0.jpg'],
  ];
  it('show the density the screen needs, as AVIF where there is one, fetched once', async () => {
    for (const [dpr, avif, x2, file] of CHOICES) {
      const rows = [0, 1].map((k) => modernItem('slider' + k, 'T' + k, { avif, x2 }));
      const url = env.server.add({ ...publish([{ items: rows }]), ...modernImages(2) });
      const s = await open(env.browser, url + 'index.html', { deviceScaleFactor: dpr });
      const where = `at ${dpr}x with AVIF ${avif}, 2x ${x2}`;
      await until(s.page, () => document.querySelectorAll('.Lumivex1_SlideImgCntr img')[1].naturalWidth);
      const shown = await s.page.$$eval('.Lumivex1_SlideImgCntr img', (imgs) => imgs.map((i) => i.currentSrc.split('/').pop()));
      const next = file.replace('slider0', 'slider1');
      assert.deepEqual(shown, [file, next], where);
      assert.deepEqual(env.server.requests(url).filter((n) => n.startsWith('slider')).sort(), [file, next].sort(), where);
      assert.deepEqual(s.errors, [], where);
      await s.close();
    }
  });

  const WIDTHS = [[320, 2], [768, 1], [1920, 2]];
  it('fill a box that shrinks with the page, keep their proportions and move nothing', async () => {
    // The first slide is a quarter of the box: drawn at its own size, never stretched to the box.
    const sizes = [[200, 150], [400, 300]];
    for (const [width, dpr] of WIDTHS) {
      const s = await startShow(env, [{ items: modernItems(2, sizes) }], modernImages(2, sizes), {
        viewport: { width, height: 900 }, deviceScaleFactor: dpr, page: { after: '<p>After the slideshow.</p>' },
        beforeLoad: () => {
          window.shifted = 0;
          new PerformanceObserver((list) => list.getEntries().forEach((e) => { window.shifted += e.value; }))
            .observe({ type: 'layout-shift', buffered: true });
        },
      });
      const where = `at ${width} px, ${dpr}x`;
      const [w, h] = await s.page.$eval('#Lumivex1_div', (b) => [b.offsetWidth, b.offsetHeight]);
      assert.deepEqual([w, h], [Math.min(400, width - 16), Math.round(Math.min(400, width - 16) * 3 / 4)], where);
      // Just inside and just outside each edge of the quarter in the middle.
      const points = [[w / 4 + 8, h / 2], [w / 4 - 8, h / 2], [w * 3 / 4 - 8, h / 2], [w * 3 / 4 + 8, h / 2],
        [w / 2, h / 4 + 8], [w / 2, h / 4 - 8]].map(([x, y]) => [Math.round(x), Math.round(y)]);
      const seen = (await pixels(s.page, '#Lumivex1_div', points)).map(([r, g, b]) => r > 200 && g < 50 && b < 50);
      assert.deepEqual(seen, [true, false, true, false, true, false], where);
      await s.at(3100);
      await until(s.page, visible, 1);
      await s.at(4200);
      assert.deepEqual((await view(s.page)).shown, [1], where);
      assert.equal(await s.page.evaluate(() => window.shifted), 0, where);
      // The measure itself: a line pushed in above the slideshow is a shift.
      await s.page.evaluate(() => document.body.prepend(Object.assign(document.createElement('p'), { textContent: 'x' })));
      await until(s.page, () => window.shifted > 0);
      assert.deepEqual(s.errors, [], where);
      await s.close();
    }
  });
});

describe('modern timeline', () => {
  const WAITS = [
    // what keeps slide 1 back, what lets it go
    ['its image on its way', { hold: true }],
    ['its picture being decoded', { decode: 'hold' }],
    ['a picture that cannot be decoded', { decode: 'fail' }],
  ];
  it('shows the first slide at once and fades each next one in once its picture is decoded', async () => {
    for (const [what, how] of WAITS) {
      const url = env.server.add({ ...publish([{ items: modernItems(3) }]), ...modernImages(3) });
      const release = how.hold ? env.server.hold(url + 'slider1.avif') : () => {};
      const s = await open(env.browser, url + 'index.html', { clock: true, waitUntil: 'domcontentloaded', beforeLoad: (how) => {
        const decode = HTMLImageElement.prototype.decode;
        HTMLImageElement.prototype.decode = function () {
          if (!how || this.getAttribute('src') !== 'slider1.jpg') return decode.call(this);
          if (how === 'fail') return Promise.reject(new DOMException('test', 'EncodingError'));
          return new Promise((resolve) => { window.release = () => decode.call(this).then(resolve); });
        };
      }, arg: how.decode });
      await until(s.page, visible, 0);
      let v = await view(s.page);
      assert.deepEqual([v.opacity[0], v.loading], [1, false], what);
      // Nothing competes with the first picture until it is on the screen.
      assert.deepEqual(env.server.requests(url).filter((n) => n.startsWith('slider')), ['slider0.avif'], what);
      // Slide 1 is due at 3000 ms.
      await s.page.clock.runFor(3100);
      if (how.decode !== 'fail') {
        if (how.decode) await until(s.page, () => !!window.release);
        await new Promise((r) => setTimeout(r, 300));
        await s.page.clock.runFor(5000);
        v = await view(s.page);
        assert.deepEqual([v.top, v.shown, v.opacity[1], v.title], [0, [0], 0, 'Title 0'], what);
        release();
        if (how.decode) await s.page.evaluate(() => window.release());
      }
      await until(s.page, visible, 1);
      await s.page.clock.runFor(1100);
      v = await view(s.page);
      assert.deepEqual([v.top, v.shown, v.title], [1, [1], 'Title 1'], what);
      assert.deepEqual(s.errors, [], what);
      await s.close();
    }
  });
});

describe('modern navigation', () => {
  for (const [name, runtime] of [['lumivex.js'], ['lumivex.min.js', MINIFIED]]) {
    it(`${name}: the arrow keys change slides while focus is inside, and stop the rotation`, async () => {
      const s = await startShow(env, [{ items: modernItems(3) }], modernImages(3),
        { runtime, page: { after: '<input id="field" aria-label="Field">' } });
      // A click holds the slideshow; only the keys stop it.
      await s.page.click('.Lumivex1_SlideImgCntr a');
      assert.equal(await label(s), 'Stop slide rotation');
      const KEYS = [['ArrowRight', 1], ['ArrowRight', 2], ['ArrowRight', 0], ['ArrowLeft', 2], ['Home', 0],
        ['End', 2], ['Shift+ArrowLeft', 2]];
      let t = 0;
      for (const [key, top] of KEYS) {
        await s.page.keyboard.press(key);
        await until(s.page, visible, top);
        await s.at(t += 1100);
        const v = await view(s.page);
        // Focus moves on with the slide's link.
        const focused = await s.page.evaluate(() => [...document.querySelectorAll('.Lumivex1_SlideImgCntr')]
          .findIndex((e) => e.contains(document.activeElement)));
        assert.deepEqual([v.top, v.shown, v.title, focused], [top, [top], 'Title ' + top, top], key);
      }
      assert.equal(await label(s), 'Start slide rotation');
      // Keys in a field outside are the field's; the rotation stays stopped after focus leaves.
      await s.page.mouse.move(890, 690);
      await s.page.focus('#field');
      await s.page.keyboard.press('ArrowLeft');
      await s.at(t += 30000);
      assert.equal((await view(s.page)).top, 2);
      assert.deepEqual(s.errors, []);
      await s.close();
    });

    it(`${name}: a horizontal swipe changes slides and stops the rotation; a short or upright one does not`, async () => {
      const s = await startShow(env, [{ items: modernItems(3) }], modernImages(3), { runtime, hasTouch: true });
      const touch = await s.context.newCDPSession(s.page);
      const box = await s.page.locator('#Lumivex1_div').boundingBox();
      const swipe = async (dx, dy) => {
        const [x, y] = [box.x + box.width / 2, box.y + box.height / 2];
        const at = (f) => [{ x: x + dx * f, y: y + dy * f }];
        await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: at(0) });
        for (const f of [0.25, 0.5, 0.75, 1]) await touch.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: at(f) });
        await touch.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
      };
      const SWIPES = [[-120, 0, 1], [-120, 10, 2], [120, 0, 1], [-30, 0, 1], [-60, 100, 1], [120, -20, 0]];
      let t = 0;
      for (const [dx, dy, top] of SWIPES) {
        await swipe(dx, dy);
        await until(s.page, visible, top);
        await s.at(t += 1100);
        const v = await view(s.page);
        assert.deepEqual([v.top, v.shown, v.title], [top, [top], 'Title ' + top], `swipe ${dx}, ${dy}`);
      }
      assert.equal(await label(s), 'Start slide rotation');
      await s.at(t += 30000);
      assert.equal((await view(s.page)).top, 0);
      assert.deepEqual(s.errors, []);
      await s.close();
    });
  }
});

describe('accessibility', () => {
  const WCAG = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'];
  const SHOWS = [['modern', modernItems(3), modernImages(3)], ['classic', [item('slider0.jpg', 'A'), item('slider1.jpg', 'B')], modernImages(2)]];
  it('breaks no WCAG A or AA rule, rotating and stopped', async () => {
    for (const [flavour, rows, files] of SHOWS) {
      const s = await open(env.browser, env.server.add({ ...publish([{ items: rows }]), ...files }) + 'index.html');
      await until(s.page, () => !document.getElementById('Lumivex1_div').hasAttribute('aria-busy'));
      await s.page.addScriptTag({ path: AXE });
      for (const state of ['rotating', 'stopped']) {
        if (state === 'stopped') await s.page.keyboard.press('Tab');
        const found = await s.page.evaluate((tags) => axe.run('#Lumivex1_div', { runOnly: { type: 'tag', values: tags } })
          .then((r) => r.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`)), WCAG);
        assert.deepEqual(found, [], `${flavour}, ${state}`);
      }
      assert.deepEqual(s.errors, [], flavour);
      await s.close();
    }
  });
});
