// What actually reaches the screen, read back from screenshots.
import { describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { useBrowser, open, publish, item, png, until, pixels } from './support.mjs';

const env = useBrowser();

function close(actual, expected, what) {
  const ok = actual.every((c, k) => Math.abs(c - expected[k]) <= 4);
  assert.ok(ok, `${what}: ${JSON.stringify(actual)} is not ${JSON.stringify(expected)}`);
}

// A 200 x 100 box on blue; a 100 x 100 red image, which the tool fitted to the box's height.
const options = {
  width: 200, height: 100, background: '0000FF', loadingBackground: 'FF00FF', infoHeight: 20,
  infoBackground: '00FF00', opacity: 50, fadeTime: 200, slideTime: 200, showDelay: 0, rotate: 600000,
};
const files = { 'slider0.png': png(100, 100, [255, 0, 0]), 'slider1.png': png(200, 100, [255, 255, 255]) };
const slides = [item('slider0.png', 'T', { desc: 'D' }), item('slider1.png', 'U')];

describe('painting', () => {
  it('paints the loading page, then the first slide centred on the background colour with its caption', async () => {
    const url = env.server.add({ ...publish([{ options, items: slides }]), ...files });
    const release = env.server.hold(url + 'slider0.png');
    const s = await open(env.browser, url + 'index.html', { waitUntil: 'domcontentloaded' });
    await until(s.page, () => !!document.querySelector('.Lumivex1_Loading'));
    for (const p of await pixels(s.page, '#Lumivex1_div', [[5, 5], [100, 50], [195, 95]])) {
      close(p, [255, 0, 255], 'loading page');
    }
    release();
    await until(s.page, () => document.querySelector('.Lumivex1_SlideInfo').style.transform === 'translateY(0%)' &&
      document.querySelector('.Lumivex1_SlideImgCntr').style.opacity === '1');
    const [centre, left, right, captionOverImage, captionOverBackground] = await pixels(s.page, '#Lumivex1_div',
      [[100, 40], [20, 40], [180, 40], [130, 95], [180, 95]]);
    close(centre, [255, 0, 0], 'image');
    close(left, [0, 0, 255], 'background left of the image');
    close(right, [0, 0, 255], 'background right of the image');
    // Half-opaque green over the picture.
    close(captionOverImage, [128, 128, 0], 'caption over the image');
    close(captionOverBackground, [0, 128, 128], 'caption over the background');
    assert.deepEqual(s.errors, []);
    await s.close();
  });

  it('paints an item without image in the background colour, with its caption', async () => {
    const o = { ...options, opacity: 100, infoBackground: 'FFFFFF' };
    const url = env.server.add({ ...publish([{ options: o, items: [item('', 'T')] }]) });
    const s = await open(env.browser, url + 'index.html');
    await until(s.page, () => document.querySelector('.Lumivex1_SlideInfo').style.transform === 'translateY(0%)' &&
      document.querySelector('.Lumivex1_SlideImgCntr').style.opacity === '1');
    const [top, caption] = await pixels(s.page, '#Lumivex1_div', [[100, 40], [180, 95]]);
    close(top, [0, 0, 255], 'background');
    close(caption, [255, 255, 255], 'caption');
    await s.close();
  });
});
