// What the runtime builds in the page: elements, classes, links, texts, roles, globals.
import { describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { useBrowser, open, publish, item, png, view, until } from './support.mjs';

const env = useBrowser();

const red = png(400, 300, [255, 0, 0]);
const green = png(200, 300, [0, 255, 0]);

async function show(shows, extraFiles = {}, options) {
  const url = env.server.add({ ...publish(shows), ...extraFiles });
  return open(env.browser, url + 'index.html', options);
}

describe('elements built in the placeholder', () => {
  it('gives every element the class the style sheet styles, and shows the placeholder', async () => {
    const s = await show([{ items: [item('slider0.png', 'One'), item('slider1.png', 'Two'), item('', 'Three')] }],
      { 'slider0.png': red, 'slider1.png': green });
    await until(s.page, () => !document.querySelector('.Lumivex1_Loading').checkVisibility({ visibilityProperty: true }));
    const dom = await s.page.evaluate(() => {
      const box = document.getElementById('Lumivex1_div');
      const count = (c) => box.querySelectorAll('.' + c).length;
      const info = box.querySelector('.Lumivex1_SlideInfo');
      const slide = box.querySelector('.Lumivex1_SlideImgCntr');
      const r = box.getBoundingClientRect();
      return {
        display: getComputedStyle(box).display,
        size: [r.width, r.height],
        boxClass: box.classList.contains('Lumivex1'),
        counts: ['Lumivex1_SlideImgCntr', 'Lumivex1_Loading', 'Lumivex1_SlideInfo', 'Lumivex1_SlideInfoTitle',
          'Lumivex1_SlideInfoDesc'].map(count),
        titleInInfo: !!info.querySelector('.Lumivex1_SlideInfoTitle'),
        descInInfo: !!info.querySelector('.Lumivex1_SlideInfoDesc'),
        slideSize: [slide.offsetWidth, slide.offsetHeight],
        slideColor: getComputedStyle(slide).backgroundColor,
        infoZ: getComputedStyle(info).zIndex,
        infoBottom: r.bottom - info.getBoundingClientRect().bottom,
        infoHeight: info.offsetHeight,
        images: [...box.querySelectorAll('.Lumivex1_SlideImgCntr')].map((s) => s.querySelectorAll('img').length),
      };
    });
    assert.equal(dom.display, 'block');
    assert.deepEqual(dom.size, [400, 300]);
    assert.ok(dom.boxClass);
    assert.deepEqual(dom.counts, [3, 1, 1, 1, 1]);
    assert.ok(dom.titleInInfo && dom.descInInfo);
    assert.deepEqual(dom.slideSize, [400, 300]);
    assert.equal(dom.slideColor, 'rgb(0, 0, 0)');
    assert.equal(dom.infoZ, '1015');
    assert.equal(dom.infoHeight, 80);
    assert.deepEqual(dom.images, [1, 1, 0], 'an item without image has no picture');
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  it('links each slide to its URL and target, with its tooltip and the title as alt text', async () => {
    const items = [
      item('slider0.png', 'First', { url: 'https://example.test/a?x=1&y=2', target: '_blank', tip: 'Tip one' }),
      item('slider1.png', 'Second', { url: 'page2.html', target: 'frameX', tip: '' }),
      item('', '', { url: '', target: '', tip: 'Only a tip' }),
    ];
    const s = await show([{ items }], { 'slider0.png': red, 'slider1.png': green });
    const links = await s.page.evaluate(() => [...document.querySelectorAll('.Lumivex1_SlideImgCntr')].map((sl) => {
      const a = sl.firstElementChild;
      const img = a.querySelector('img');
      return [a.tagName, a.getAttribute('href'), a.getAttribute('target'), a.getAttribute('title'), img && img.alt];
    }));
    assert.deepEqual(links, [
      ['A', 'https://example.test/a?x=1&y=2', '_blank', 'Tip one', 'First'],
      ['A', 'page2.html', 'frameX', null, 'Second'],
      // No URL: no link element at all.
      ['DIV', null, null, 'Only a tip', null],
    ]);
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  it('clicking the caption follows the link of the slide under it', async () => {
    const s = await show([{ options: { showDelay: 0, slideTime: 0 }, items: [
      item('slider0.png', 'Go', { url: '#clicked', target: '_self' }), item('slider1.png', 'B')] }],
    { 'slider0.png': red, 'slider1.png': green });
    await until(s.page, () => document.querySelector('.Lumivex1_SlideInfo').style.transform === 'translateY(0%)');
    const info = await s.page.locator('.Lumivex1_SlideInfo').boundingBox();
    await s.page.mouse.click(info.x + 50, info.y + info.height / 2);
    await until(s.page, () => location.hash === '#clicked');
    await s.close();
  });

  it('sets item texts literally, markup and escaped characters included', async () => {
    const title = 'Sea <b>bold</b> & "quoted" \'single\' back\\slash </script>';
    const desc = 'Zürich – 東京 – café';
    const s = await show([{ items: [item('', title, { desc, tip: 'tip <i>x</i> ü' })] }]);
    const v = await view(s.page);
    assert.equal(v.title, title);
    assert.equal(v.desc, desc);
    const markup = await s.page.evaluate(() => ({
      tags: document.querySelectorAll('#Lumivex1_div b, #Lumivex1_div i, #Lumivex1_div script').length,
      tip: document.querySelector('.Lumivex1_SlideImgCntr a').title,
    }));
    assert.deepEqual(markup, { tags: 0, tip: 'tip <i>x</i> ü' });
    assert.deepEqual(s.errors, []);
    await s.close();
  });
});

describe('announced as a carousel', () => {
  it('has the roles and labels of a carousel and keeps the live region off while rotating', async () => {
    const s = await show([{ items: [item('slider0.png', 'One'), item('', 'Two'), item('', 'Three')] }],
      { 'slider0.png': red });
    await until(s.page, () => !document.querySelector('#Lumivex1_div').hasAttribute('aria-busy'));
    const a = await s.page.evaluate(() => {
      const box = document.getElementById('Lumivex1_div');
      return {
        role: box.getAttribute('role'), desc: box.getAttribute('aria-roledescription'),
        label: box.getAttribute('aria-label'), live: box.getAttribute('aria-live'),
        slides: [...box.querySelectorAll('.Lumivex1_SlideImgCntr')].map((s) =>
          [s.getAttribute('role'), s.getAttribute('aria-roledescription'), s.getAttribute('aria-label')]),
      };
    });
    assert.deepEqual(a, {
      role: 'region', desc: 'carousel', label: 'Slideshow', live: 'off',
      slides: [['group', 'slide', '1 of 3'], ['group', 'slide', '2 of 3'], ['group', 'slide', '3 of 3']],
    });
    // The accessibility tree holds the current slide only.
    const tree = await s.page.locator('#Lumivex1_div').ariaSnapshot();
    assert.match(tree, /1 of 3/);
    assert.doesNotMatch(tree, /2 of 3|3 of 3/);
    await s.close();
  });

  it('lets keyboard users reach the current link with Tab, after the rotation button', async () => {
    const s = await show([{ items: [item('slider0.png', 'One', { url: '#one' }), item('', 'Two', { url: '#two' })] }],
      { 'slider0.png': red });
    await until(s.page, () => !document.querySelector('#Lumivex1_div').hasAttribute('aria-busy'));
    await s.page.keyboard.press('Tab');
    await s.page.keyboard.press('Tab');
    const focused = await s.page.evaluate(() => document.activeElement.getAttribute('href'));
    assert.equal(focused, '#one');
    await s.page.keyboard.press('Enter');
    await until(s.page, () => location.hash === '#one');
    await s.close();
  });
});

describe('the page contract', () => {
  it('defines no globals besides bUar and bdas', async () => {
    const s = await show([{ options: { id: 'A' }, items: [item('slider0.png', 'One')] },
      { options: { id: 'B' }, items: [item('', 'Two'), item('', 'Three')] }], { 'slider0.png': red },
    { beforeLoad: () => { window.__before = Object.getOwnPropertyNames(window); } });
    await until(s.page, () => document.readyState === 'complete');
    const added = await s.page.evaluate(() =>
      Object.getOwnPropertyNames(window).filter((n) => !window.__before.includes(n) && n !== '__before').sort());
    // The configuration scripts own their start functions and item arrays.
    assert.deepEqual(added, ['APropsArray', 'BPropsArray', 'bUar', 'bdas', 'startA', 'startB']);
    await s.close();
  });

  it('bdas calls the start function once when the document is ready, at once if it already is', async () => {
    const url = env.server.add({
      'lumivex.js': '',
      'index.html': `<!DOCTYPE html><html><body><script src="./lumivex.js"></script><script>
        window.calls = [];
        bdas(function () { calls.push(['during parsing', document.readyState, !!document.getElementById('late')]); });
        </script><div id="late"></div><script>
        window.addEventListener('load', function () {
          bdas(function () { calls.push(['after load', document.readyState]); });
          calls.push(['bdas returned']);
        });</script></body></html>`,
    });
    const s = await open(env.browser, url + 'index.html');
    await until(s.page, () => window.calls && window.calls.length === 3);
    await s.page.waitForTimeout(100);
    assert.deepEqual(await s.page.evaluate(() => window.calls), [
      ['during parsing', 'interactive', true],
      ['after load', 'complete'],
      ['bdas returned'],
    ]);
    await s.close();
  });

  it('with no items shows the empty box without loading page or error', async () => {
    const s = await show([{ items: [] }], {}, { clock: true });
    await s.page.clock.runFor(10000);
    const v = await s.page.evaluate(() => {
      const box = document.getElementById('Lumivex1_div');
      return { display: getComputedStyle(box).display, children: box.children.length, h: box.offsetHeight };
    });
    assert.deepEqual(v, { display: 'block', children: 0, h: 300 });
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  it('without a placeholder does nothing and reports no error', async () => {
    const url = env.server.add({ ...publish([{ items: [item('', 'x')] }]) });
    const s = await open(env.browser, url + 'index.html', {
      beforeLoad: () => document.addEventListener('readystatechange', () => {
        const d = document.getElementById('Lumivex1_div');
        if (d) d.id = 'renamed';
      }, { once: true }),
    });
    await until(s.page, () => document.readyState === 'complete');
    assert.equal(await s.page.locator('.Lumivex1_SlideImgCntr').count(), 0);
    assert.deepEqual(s.errors, []);
    await s.close();
  });
});
