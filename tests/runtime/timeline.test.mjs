// The slideshow over time, on a clock that only moves when the test moves it.
import { describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { useBrowser, open, publish, item, view, until, images, items, startShow } from './support.mjs';

const env = useBrowser();
const start = (shows, files, options) => startShow(env, shows, files, options);

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const near = (a, b, eps = 0.06) => Math.abs(a - b) <= eps;

describe('rotation with the default timings', () => {
  it('fades each slide in over 1 s, shows it 3 s with its caption, in order, round and round', async () => {
    const s = await start([{ items: items(3) }], images(3));
    // Each slide: fade 0-1000, caption rises 2000-3000 and falls 3000-4000, next fade at 4000. Each
    // fade ends on the first frame after its time is up, so the cycle takes about 4016 ms.
    const expect = [];
    for (let k = 0; k < 4; k++) {
      const c = k * 4016, top = k % 3, under = k ? (k - 1) % 3 : undefined;
      expect.push([c + 500, { top, fade: 0.5, up: 0, under }], [c + 1500, { top, fade: 1, up: 0 }],
        [c + 2500, { top, fade: 1, up: 0.5 }], [c + 2950, { top, fade: 1, up: 0.93 }],
        [c + 3500, { top, fade: 1, up: 0.5 }], [c + 3950, { top, fade: 1, up: 0.07 }]);
    }
    Object.assign(expect[0][1], { loading: true });
    Object.assign(expect[1][1], { loading: false });
    for (const [t, e] of expect) {
      await s.at(t);
      const v = await view(s.page);
      const where = `at ${t} ms: ${JSON.stringify(v)}`;
      assert.equal(v.top, e.top, where);
      assert.ok(near(v.opacity[e.top], e.fade, 0.1), where);
      assert.equal(v.title, 'Title ' + e.top, where);
      assert.equal(v.desc, 'Desc ' + e.top, where);
      if ('up' in e) assert.ok(near(v.up, e.up, 0.1), where);
      if ('loading' in e) assert.equal(v.loading, e.loading, where);
      // Fading in over the previous slide, which stays fully opaque under it.
      if (e.under !== undefined) assert.deepEqual([v.shown.sort(), v.opacity[e.under]], [[e.under, e.top].sort(), 1], where);
      else if (e.fade === 1) assert.deepEqual(v.shown, [e.top], where);
    }
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  it('moves in the designer\'s number of steps', async () => {
    const s = await start([{ options: { fadeSteps: 4, slideSteps: 2, showDelay: 0 }, items: items(2) }], images(2));
    const seen = new Set();
    for (let t = 40; t < 1000; t += 40) {
      await s.at(t);
      seen.add((await view(s.page)).opacity[0]);
    }
    assert.deepEqual([...seen].sort(), [0, 0.25, 0.5, 0.75]);
    const up = new Set();
    for (let t = 1040; t < 2000; t += 40) {
      await s.at(t);
      up.add((await view(s.page)).up);
    }
    assert.deepEqual([...up].sort(), [0, 0.5]);
    await s.at(2100);
    assert.equal((await view(s.page)).up, 1);
    await s.close();
  });

  it('gives the caption the opacity in percent, and no caption to an item without texts', async () => {
    const s = await start([{ options: { opacity: 30, showDelay: 100, slideTime: 100, rotate: 1000, hideDelay: 200 },
      items: [item('slider0.png', 'Has title', { desc: '' }), item('slider1.png', '', { desc: '' }), item('', 'No image')] }],
    images(2));
    assert.equal(await s.page.evaluate(() => getComputedStyle(document.querySelector('.Lumivex1_SlideInfo')).opacity), '0.3');
    const at = async (t) => { await s.at(t); const v = await view(s.page); return [v.top, v.up, v.title]; };
    assert.deepEqual(await at(1300), [0, 1, 'Has title']);
    // The second item has neither title nor description: its caption stays down.
    assert.deepEqual(await at(3300), [1, 0, '']);
    // The third has no image: the background colour with its caption.
    assert.deepEqual(await at(5300), [2, 1, 'No image']);
    await s.close();
  });

  it('shows a single item without rotating and keeps its caption up', async () => {
    const s = await start([{ items: items(1) }], images(1));
    await s.at(60000);
    const v = await view(s.page);
    assert.deepEqual([v.top, v.shown, v.opacity[0], v.up, v.loading, v.live], [0, [0], 1, 1, false, 'polite']);
    // Nothing rotates, so there is nothing to stop.
    assert.equal(await s.page.locator('#Lumivex1_div button').count(), 0);
    assert.deepEqual(s.errors, []);
    await s.close();
  });
});

describe('loading', () => {
  it('shows the loading page until the first image has arrived', async () => {
    const url = env.server.add({ ...publish([{ items: items(2) }]), ...images(2) });
    const release = env.server.hold(url + 'slider0.png');
    const s = await open(env.browser, url + 'index.html', { clock: true, waitUntil: 'domcontentloaded' });
    await until(s.page, () => !!document.querySelector('.Lumivex1_Loading'));
    await s.page.clock.runFor(10000);
    let v = await view(s.page);
    assert.deepEqual([v.loading, v.opacity], [true, [0, 0]]);
    assert.equal(await s.page.locator('#Lumivex1_div').getAttribute('aria-busy'), 'true');
    release();
    await until(s.page, () => document.querySelector('.Lumivex1_SlideImgCntr').style.visibility === 'visible');
    await s.page.clock.runFor(1100);
    v = await view(s.page);
    assert.deepEqual([v.loading, v.top, v.opacity[0]], [false, 0, 1]);
    assert.equal(await s.page.locator('#Lumivex1_div').getAttribute('aria-busy'), null);
    await s.close();
  });

  it('fetches each image only when the slide before it shows', async () => {
    const s = await start([{ items: items(4) }], images(4));
    const requested = () => env.server.requests(s.url).filter((n) => n.startsWith('slider'));
    // Waits for the expected count, then a little longer for requests that should not come.
    const settled = async (count) => {
      for (let k = 0; k < 100 && requested().length < count; k++) await sleep(20);
      await sleep(300);
      return requested();
    };
    assert.deepEqual(await settled(2), ['slider0.png', 'slider1.png']);
    await s.at(3900);
    assert.deepEqual(await settled(2), ['slider0.png', 'slider1.png']);
    await s.at(4100);
    assert.deepEqual(await settled(3), ['slider0.png', 'slider1.png', 'slider2.png']);
    await s.at(8100);
    assert.deepEqual(await settled(4), ['slider0.png', 'slider1.png', 'slider2.png', 'slider3.png']);
    // Round again: nothing is fetched twice.
    await s.at(16100);
    assert.equal((await view(s.page)).top, 0);
    assert.equal((await settled(4)).length, 4);
    await s.close();
  });

  it('keeps time when an image is late, and shows it when it arrives', async () => {
    const url = env.server.add({ ...publish([{ items: items(2) }]), ...images(2) });
    const release = env.server.hold(url + 'slider1.png');
    const s = await open(env.browser, url + 'index.html', { clock: true, waitUntil: 'domcontentloaded' });
    await until(s.page, () => document.querySelector('.Lumivex1_SlideImgCntr').style.visibility === 'visible');
    const picture = () => s.page.evaluate(() => document.querySelectorAll('.Lumivex1_SlideImgCntr img')[1].naturalWidth);
    await s.page.clock.runFor(4500);
    let v = await view(s.page);
    assert.deepEqual([v.top, near(v.opacity[1], 0.5), v.title], [1, true, 'Title 1'], JSON.stringify(v));
    assert.equal(await picture(), 0);
    release();
    await until(s.page, () => document.querySelectorAll('.Lumivex1_SlideImgCntr img')[1].complete);
    assert.equal(await picture(), 400);
    await s.page.clock.runFor(1000);
    v = await view(s.page);
    assert.deepEqual([v.top, v.opacity[1]], [1, 1]);
    await s.close();
  });

  it('shows the background colour and caption for an image that fails, and goes on', async () => {
    const files = images(3);
    delete files['slider1.png'];
    const s = await start([{ items: items(3) }], files);
    await s.at(6600);
    let v = await view(s.page);
    assert.deepEqual([v.top, v.title, v.up > 0.3], [1, 'Title 1', true]);
    assert.equal(await s.page.locator('.Lumivex1_SlideImgCntr').nth(1).locator('img').count(), 0);
    await s.at(9000);
    v = await view(s.page);
    assert.equal(v.top, 2);
    // The browser reports the missing file itself; the runtime adds nothing.
    assert.equal(s.errors.length, 1);
    assert.match(s.errors[0], /404/);
    await s.close();
  });
});

describe('pausing', () => {
  it('holds the slide while the pointer is over the slideshow, then goes on where it stopped', async () => {
    const s = await start([{ items: items(3) }], images(3));
    await s.at(2500);
    await s.page.hover('#Lumivex1_div');
    assert.equal((await view(s.page)).live, 'polite');
    await s.at(20000);
    let v = await view(s.page);
    assert.deepEqual([v.top, v.shown], [0, [0]]);
    await s.page.mouse.move(800, 650);
    assert.equal((await view(s.page)).live, 'off');
    // 1.5 s of the slide were left when the pointer came.
    await s.at(21400);
    assert.equal((await view(s.page)).top, 0);
    await s.at(22000);
    v = await view(s.page);
    assert.equal(v.top, 1);
    await s.close();
  });

  it('holds the slide while a link clicked in it has focus', async () => {
    const s = await start([{ items: items(2) }], images(2), {});
    await s.at(1500);
    await s.page.click('.Lumivex1_SlideImgCntr a');
    await s.page.mouse.move(800, 650);
    assert.equal(await s.page.evaluate(() => document.activeElement.closest('.Lumivex1_SlideImgCntr') !== null), true);
    await s.at(30000);
    assert.deepEqual((await view(s.page)).shown, [0]);
    await s.page.evaluate(() => document.activeElement.blur());
    await s.at(32600);
    assert.equal((await view(s.page)).top, 1);
    // A click holds; only keyboard focus stops.
    assert.equal(await s.page.getAttribute('.Lumivex1_Rotation', 'aria-label'), 'Stop slide rotation');
    await s.close();
  });

  it('holds the slide while the page is hidden', async () => {
    const s = await start([{ items: items(2) }], images(2), {
      beforeLoad: () => {
        window.__hidden = false;
        Object.defineProperty(Document.prototype, 'hidden', { get: () => window.__hidden });
      },
    });
    const setHidden = (h) => s.page.evaluate((h) => {
      window.__hidden = h;
      document.dispatchEvent(new Event('visibilitychange'));
    }, h);
    await s.at(1500);
    await setHidden(true);
    await s.at(30000);
    assert.equal((await view(s.page)).top, 0);
    await setHidden(false);
    await s.at(32600);
    assert.equal((await view(s.page)).top, 1);
    await s.close();
  });
});

describe('two slideshows on one page', () => {
  it('run on their own timings and pause on their own', async () => {
    const quick = { id: 'Quick', rotate: 1000, fadeTime: 0, showDelay: 0, slideTime: 0, hideDelay: 0 };
    const slow = { id: 'Slow', rotate: 5000, fadeTime: 0, showDelay: 0, slideTime: 0, hideDelay: 0 };
    const s = await start([{ options: quick, items: items(3) }, { options: slow, items: items(2) }], images(3));
    await until(s.page, () => document.querySelector('.Slow_SlideImgCntr').style.visibility === 'visible');
    await s.at(2500);
    assert.equal((await view(s.page, 'Quick')).top, 2);
    assert.equal((await view(s.page, 'Slow')).top, 0);
    await s.page.hover('#Slow_div');
    await s.at(6500);
    assert.equal((await view(s.page, 'Quick')).top, 0);
    assert.equal((await view(s.page, 'Slow')).top, 0);
    await s.page.mouse.move(890, 690);
    await s.at(9500);
    assert.equal((await view(s.page, 'Slow')).top, 1);
    assert.deepEqual(s.errors, []);
    await s.close();
  });
});
