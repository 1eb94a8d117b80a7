// The look of the slideshow: previous/next buttons and a slide picker, the sliding and zooming
// transitions, and what reduced motion leaves of them.
import { describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { useBrowser, open, publish, view, until, startShow, modernItems, modernImages } from './support.mjs';

const env = useBrowser();
const AXE = createRequire(import.meta.url).resolve('axe-core/axe.min.js');
const WCAG = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'];
const look = (transition, navigation, extra = {}) => ({ look: { transition, navigation, ...extra } });
const show = (options, n = 3, more = {}) => startShow(env, [{ options, items: modernItems(n) }], modernImages(n), more);
const label = (s) => s.page.getAttribute('.Lumivex1_Rotation', 'aria-label');
const current = (s) => s.page.$$eval('[aria-current]', (d) => d.map((e) => e.getAttribute('aria-label')));
const slideStyle = (s, k) => s.page.evaluate((k) => {
  const e = document.querySelectorAll('.Lumivex1_SlideImgCntr')[k];
  return { transform: e.style.transform, opacity: getComputedStyle(e).opacity, visibility: getComputedStyle(e).visibility };
}, k);

describe('navigation', () => {
  it('offers labelled previous, next and slide buttons after the rotation button; each stops the rotation', async () => {
    const s = await show(look('Fade', 'ArrowsAndDots'));
    assert.match(await s.page.locator('#Lumivex1_div').ariaSnapshot(), new RegExp([
      '- button "Stop slide rotation"', '- button "Previous slide"', '- button "Next slide"',
      '- group "Choose a slide":', '- button "Slide 1 of 3"', '- button "Slide 2 of 3"', '- button "Slide 3 of 3"',
      '- group "1 of 3"'].map((l) => ' *' + l.replace(/[()"]/g, '.')).join('\n')));
    await s.at(1500);
    assert.deepEqual(await current(s), ['Slide 1 of 3']);
    // Clicks on the buttons, as a mouse gives them; they show while the pointer is inside.
    for (const [control, top] of [['Next slide', 1], ['Slide 3 of 3', 2], ['Next slide', 0], ['Previous slide', 2]]) {
      await s.page.getByRole('button', { name: control, exact: true }).click();
      await s.at(s.t = (s.t || 1500) + 1500);
      const v = await view(s.page);
      assert.deepEqual([control, v.top, await current(s), await label(s)], [control, top, [`Slide ${top + 1} of 3`], 'Start slide rotation']);
    }
    // Stopped: it stays where the visitor put it.
    await s.at(60000);
    assert.equal((await view(s.page)).top, 2);
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  // A banner on a phone is lower than a finger: its controls are as large as it holds them.
  for (const [touch, dot, arrow, box] of [[false, 24, 44], [true, 44, 44], [true, 35, 35, { width: 468, height: 60 }]])
  it(`gives the arrows ${arrow} px and the slide buttons ${dot} px ${touch ? 'on a touch screen' : 'for a mouse'}${box ? ' in a low box' : ''}`, async () => {
    const s = await show({ ...look('Fade', 'ArrowsAndDots'), ...box }, 3, { hasTouch: touch, viewport: { width: box ? 320 : 375, height: 700 } });
    const sizes = await s.page.$$eval('.Lumivex1_Control', (bs) => bs.map((b) => [b.getAttribute('aria-label'), b.offsetWidth, b.offsetHeight]));
    assert.deepEqual(sizes, [['Previous slide', arrow, arrow], ['Next slide', arrow, arrow],
      ...[1, 2, 3].map((k) => [`Slide ${k} of 3`, dot, dot])]);
    // None is cut off by the box.
    assert.deepEqual(await s.page.$$eval('#Lumivex1_div button', (bs) => bs.filter((b) => {
      const r = b.getBoundingClientRect(), o = b.closest('[aria-roledescription=carousel]').getBoundingClientRect();
      return r.top < o.top || r.bottom > o.bottom || r.left < o.left || r.right > o.right;
    }).map((b) => b.getAttribute('aria-label'))), []);
    await s.close();
  });

  it('offers only the arrows with Arrows, and nothing without the option', async () => {
    for (const [options, names] of [[look('Fade', 'Arrows'), ['Previous slide', 'Next slide']], [{}, []]]) {
      const s = await show(options);
      assert.deepEqual(await s.page.$$eval('.Lumivex1_Control', (bs) => bs.map((b) => b.getAttribute('aria-label'))), names);
      await s.close();
    }
  });

  it('breaks no WCAG A or AA rule with every option, rotating and stopped', async () => {
    for (const transition of ['Fade', 'Slide', 'Zoom']) {
      const s = await open(env.browser, env.server.add({ ...publish([{ options: look(transition, 'ArrowsAndDots'), items: modernItems(3) }]),
        ...modernImages(3) }) + 'index.html');
      await until(s.page, () => !document.getElementById('Lumivex1_div').hasAttribute('aria-busy'));
      await s.page.addScriptTag({ path: AXE });
      for (const state of ['rotating', 'stopped']) {
        if (state === 'stopped') await s.page.keyboard.press('Tab');
        const found = await s.page.evaluate((tags) => axe.run('#Lumivex1_div', { runOnly: { type: 'tag', values: tags } })
          .then((r) => r.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`)), WCAG);
        assert.deepEqual(found, [], `${transition}, ${state}`);
      }
      assert.deepEqual(s.errors, [], transition);
      await s.close();
    }
  });
});

describe('transitions', () => {
  for (const [reducedMotion, moving] of [['no-preference', true], ['reduce', false]])
  it(`slides the next slide in from the side it comes from${moving ? '' : ', or not at all with reduced motion'}`, async () => {
    const s = await show(look('Slide', 'Arrows'), 3, { reducedMotion });
    await s.at(1500);
    for (const [control, k, sign] of [['Next slide', 1, 1], ['Previous slide', 0, -1]]) {
      await s.page.getByRole('button', { name: control }).click();
      await until(s.page, (k) => document.querySelectorAll('.Lumivex1_SlideImgCntr')[k].style.visibility === 'visible', k);
      await s.page.clock.runFor(300);
      const coming = await slideStyle(s, k);
      const shift = Number((/translateX\((-?[\d.]+)%\)/.exec(coming.transform) || [0, 0])[1]);
      assert.equal(coming.opacity, '1', control);
      if (moving) assert.ok(shift * sign > 0 && shift * sign < 100, `${control}: ${coming.transform}`);
      else assert.equal(coming.transform, '', control);
      await s.page.clock.runFor(1500);
      assert.deepEqual([(await view(s.page)).shown, (await slideStyle(s, k)).transform], [[k], ''], control);
    }
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  // Mid-swipe the two slides stand where the finger has moved them; let go, the next one slides home.
  it('moves the slides with the finger during a swipe when sliding', async () => {
    const s = await show(look('Slide', 'None'), 3, { hasTouch: true });
    const touch = await s.context.newCDPSession(s.page);
    const box = await s.page.locator('#Lumivex1_div').boundingBox();
    const y = box.y + box.height / 2, x = box.x + box.width * 0.75;
    const send = (type, dx) => touch.send('Input.dispatchTouchEvent', { type, touchPoints: type === 'touchEnd' ? [] : [{ x: x + dx, y }] });
    const shift = async (k) => Number((/translateX\((-?[\d.]+)%\)/.exec((await slideStyle(s, k)).transform) || [0, 0])[1]);
    await send('touchStart', 0);
    for (const f of [0.1, 0.2, 0.25]) await send('touchMove', -box.width * f);
    await until(s.page, () => document.querySelector('.Lumivex1_SlideImgCntr').style.transform === 'translateX(-25%)');
    const [here, coming] = [await shift(0), await shift(1)];
    assert.ok(Math.abs(here + 25) < 2 && Math.abs(coming - 75) < 2, `${here} ${coming}`);
    assert.equal((await slideStyle(s, 1)).visibility, 'visible');
    await send('touchEnd');
    await until(s.page, () => document.querySelectorAll('.Lumivex1_SlideImgCntr')[1].style.zIndex === '1');
    await s.page.clock.runFor(1500);
    assert.deepEqual([(await view(s.page)).shown, await shift(1)], [[1], 0]);
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  for (const [reducedMotion, zooms] of [['no-preference', true], ['reduce', false]])
  it(`zooms towards each slide's focus while it shows${zooms ? '' : ', except with reduced motion'}`, async () => {
    const s = await show(look('Zoom', 'None', { focus: ['80.0% 20.0%', '', '10.0% 90.0%'] }), 3, { reducedMotion });
    const zoom = (k) => s.page.evaluate((k) => {
      const a = document.querySelectorAll('.Lumivex1_SlideImgCntr')[k].firstElementChild;
      return [a.style.transformOrigin, a.getAnimations().map((x) => x.playState)];
    }, k);
    assert.deepEqual(await zoom(0), zooms ? ['80% 20%', ['running']] : ['', []]);
    // Pointer over the slideshow holds the zoom with the rotation.
    if (zooms) {
      await s.page.hover('#Lumivex1_div');
      assert.deepEqual(await zoom(0), ['80% 20%', ['paused']]);
      await s.page.mouse.move(890, 690);
      await s.at(4500);
      await until(s.page, () => document.querySelectorAll('.Lumivex1_SlideImgCntr')[1].style.visibility === 'visible');
      await s.at(7000);
      assert.deepEqual([await zoom(1), await zoom(0)], [['', ['running']], ['80% 20%', []]]);
    }
    assert.deepEqual(s.errors, []);
    await s.close();
  });
});
