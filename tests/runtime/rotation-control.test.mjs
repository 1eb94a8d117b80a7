// The button that stops and starts the rotation, and what stops the rotation without it.
import { describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { useBrowser, item, png, view, images, items, startShow, pixels } from './support.mjs';

const env = useBrowser();
const start = (shows, files, options) => startShow(env, shows, files, options);
const BUTTON = '.Lumivex1_Rotation';
const label = (s) => s.page.getAttribute(BUTTON, 'aria-label');
const visible = (s) => s.page.$eval(BUTTON, (b) => getComputedStyle(b).opacity === '1');
const focused = (s) => s.page.evaluate(() => document.activeElement.className || document.activeElement.tagName);

function luminance([r, g, b]) {
  const f = (c) => (c /= 255) <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
  return 0.2126 * f(r) + 0.7152 * f(g) + 0.0722 * f(b);
}
const contrast = (a, b) => (Math.max(luminance(a), luminance(b)) + 0.05) / (Math.min(luminance(a), luminance(b)) + 0.05);

describe('rotation control', () => {
  it('comes first for the keyboard, and keyboard focus stops the rotation until the button starts it', async () => {
    const s = await start([{ items: items(3) }], images(3));
    assert.match(await s.page.locator('#Lumivex1_div').ariaSnapshot(),
      /^- region "Slideshow":\n {2}- button "Stop slide rotation"\n {2}- group "1 of 3"/);
    assert.equal(await visible(s), false);
    await s.at(1500);
    await s.page.keyboard.press('Tab');
    assert.deepEqual([await focused(s), await label(s), await visible(s), (await view(s.page)).live],
      ['Lumivex1_Rotation', 'Start slide rotation', true, 'polite']);
    // On through the slide and out of the page: the rotation stays stopped, the caption up.
    await s.page.keyboard.press('Tab');
    await s.page.keyboard.press('Tab');
    assert.equal(await focused(s), 'BODY');
    await s.at(60000);
    let v = await view(s.page);
    assert.deepEqual([v.top, v.up, await label(s), await visible(s)], [0, 1, 'Start slide rotation', false]);
    await s.page.keyboard.press('Shift+Tab');
    await s.page.keyboard.press('Shift+Tab');
    await s.page.keyboard.press('Enter');
    assert.deepEqual([await focused(s), await label(s), (await view(s.page)).live], ['Lumivex1_Rotation', 'Stop slide rotation', 'off']);
    // It goes on where it stopped while focus stays on the button.
    await s.at(63000);
    assert.equal((await view(s.page)).top, 1);
    await s.page.keyboard.press('Space');
    await s.at(90000);
    assert.deepEqual([(await view(s.page)).top, await label(s)], [1, 'Start slide rotation']);
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  it('shows while the pointer is inside; a click toggles it once; hovering still holds the slide', async () => {
    const s = await start([{ items: items(2) }], images(2));
    await s.page.hover('#Lumivex1_div', { position: { x: 100, y: 100 } });
    const shown = await visible(s);
    await s.page.mouse.move(800, 650);
    assert.deepEqual([shown, await visible(s)], [true, false]);
    await s.page.click(BUTTON);
    const stopped = await label(s);
    await s.page.click(BUTTON);
    assert.deepEqual([stopped, await label(s)], ['Start slide rotation', 'Stop slide rotation']);
    await s.at(30000);
    assert.equal((await view(s.page)).top, 0);
    // Focus on the button does not hold a rotation the visitor started.
    await s.page.mouse.move(800, 650);
    await s.at(34100);
    assert.deepEqual([(await view(s.page)).top, await focused(s)], [1, 'Lumivex1_Rotation']);
    await s.close();
  });

  it('starts stopped, caption up, for visitors who prefer reduced motion; starts without motion', async () => {
    const s = await start([{ items: items(2) }], images(2), { reducedMotion: 'reduce' });
    await s.at(20);
    let v = await view(s.page);
    assert.deepEqual([v.top, v.opacity[0], v.up, v.loading, await label(s)], [0, 1, 1, false, 'Start slide rotation']);
    await s.at(60000);
    await s.page.$eval(BUTTON, (b) => b.click());
    // The remaining timetable, each change at once.
    for (const [t, up] of [[60990, 0], [61010, 1], [62010, 0]]) {
      await s.at(t);
      assert.equal((await view(s.page)).up, up, `at ${t}`);
    }
    await s.at(63020);
    v = await view(s.page);
    assert.deepEqual([v.top, v.shown, v.opacity[1]], [1, [1], 1], 'stopped until the click, then on at once');
    // Asking for reduced motion while it rotates stops it too.
    await s.page.emulateMedia({ reducedMotion: 'no-preference' });
    await s.page.emulateMedia({ reducedMotion: 'reduce' });
    await s.page.waitForFunction(() => document.querySelector('.Lumivex1_Rotation').ariaLabel === 'Start slide rotation');
    await s.close();
  });

  it('never covers caption text, stays above the caption and stands out on any image', async () => {
    const desc = 'A description long enough to fill the box from top to bottom. '.repeat(20);
    // The caption is laid out but transparent, so that the button is seen on the image itself.
    for (const color of [[255, 255, 255], [0, 0, 0], [119, 119, 119]]) {
      const s = await start([{ options: { infoHeightAuto: '1', descSize: 14, opacity: 0 }, items: [item('slider0.png', 'Title', { desc }), item('', '')] }],
        { 'slider0.png': png(400, 300, color) });
      await s.at(1500);
      await s.page.keyboard.press('Tab');
      const geometry = () => s.page.evaluate(() => {
        const b = document.querySelector('.Lumivex1_Rotation').getBoundingClientRect(), ring = 4, range = document.createRange();
        const lines = [...document.querySelectorAll('.Lumivex1_SlideInfo div')].flatMap((e) => (range.selectNodeContents(e), [...range.getClientRects()]));
        return {
          size: [b.width, b.height], atCentre: document.elementFromPoint(b.x + 16, b.y + 16).className,
          covered: lines.filter((t) => t.width && t.right > b.left - ring && t.left < b.right + ring && t.bottom > b.top - ring &&
            t.top < b.bottom + ring).length,
          reaches: lines.some((t) => t.top < b.bottom),
        };
      });
      // Rising, then up: no line of text under the button at any point.
      for (const t of [2000, 3000]) {
        await s.at(t);
        assert.deepEqual(await geometry(), { size: [32, 32], atCentre: 'Lumivex1_Rotation', covered: 0, reaches: t === 3000 });
      }
      // Across the button's middle row: image, ring, border, fill, icon.
      const row = () => pixels(s.page, '#Lumivex1_div', [[340, 22], [359, 22], [361, 22], [363, 22], [367, 22], [375, 22]]);
      const [image, outer, inner, border, fill, icon] = await row();
      assert.ok(contrast(icon, fill) >= 4.5, `icon ${icon} on ${fill}`);
      assert.ok(Math.max(contrast(border, image), contrast(fill, image)) >= 3, `button ${border} ${fill} on ${image}`);
      assert.ok(Math.max(contrast(outer, image), contrast(inner, image)) >= 3, `focus ring ${outer} ${inner} on ${image}`);
      await s.page.hover('#Lumivex1_div', { position: { x: 100, y: 100 } });
      await s.page.evaluate(() => document.activeElement.blur());
      const unfocused = await row();
      assert.ok(unfocused.slice(1, 3).every((p) => contrast(p, image) < 1.1), 'no ring without focus');
      await s.close();
    }
  });
});
