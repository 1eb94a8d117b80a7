// The same slides in the pages of two slider libraries (Swiper and Splide), each given the
// published <picture> of every slide, for the benchmarks to measure beside the published page.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const modules = path.join(path.dirname(fileURLToPath(import.meta.url)), 'node_modules');

// The pages, by name, and the libraries' files they load, by name: their paths.
export function peerPages(folder, pageName) {
  const page = fs.readFileSync(path.join(folder, pageName), 'utf8');
  const picture = page.match(/<picture[^>]*>.*?<\/picture>/s)[0];
  const slides = fs.readdirSync(folder).filter((n) => /^slider\d+\.jpg$/.test(n)).length;
  const pictureOf = (k) => {
    const p = picture.replaceAll('slider0', `slider${k}`).replace(' aria-hidden="true"', '').replace('alt=""', `alt="Slide ${k + 1}"`);
    return k === 0 ? p : p.replace(' fetchpriority="high"', ' loading="lazy"');
  };
  const [width, height] = [...picture.matchAll(/(?:width|height)="(\d+)"/g)].map((m) => m[1]);
  const shell = (head, body) => `<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n` +
    `<meta name="viewport" content="width=device-width, initial-scale=1">\n<title>Slides</title>\n` +
    `<link rel="icon" href="data:,">\n${head}\n</head>\n<body>\n${body}\n</body>\n</html>\n`;
  const box = `max-width:${width}px;aspect-ratio:${width}/${height}`;
  const list = (wrap) => Array.from({ length: slides }, (_, k) => wrap(pictureOf(k))).join('');
  const pages = {
    'swiper.html': shell('<link rel="stylesheet" href="swiper-bundle.min.css">',
      `<div class="swiper" style="${box}"><div class="swiper-wrapper">${list((p) => `<div class="swiper-slide">${p}</div>`)}</div>` +
      '<div class="swiper-pagination"></div><div class="swiper-button-prev"></div><div class="swiper-button-next"></div></div>\n' +
      '<script src="swiper-bundle.min.js"></script>\n<script>new Swiper(".swiper", {loop: true, autoplay: {delay: 7000}, ' +
      'pagination: {el: ".swiper-pagination", clickable: true}, navigation: {nextEl: ".swiper-button-next", prevEl: ".swiper-button-prev"}});</script>'),
    'splide.html': shell('<link rel="stylesheet" href="splide.min.css">',
      `<section class="splide" aria-label="Slides" style="${box}"><div class="splide__track"><ul class="splide__list">` +
      `${list((p) => `<li class="splide__slide">${p}</li>`)}</ul></div></section>\n<script src="splide.min.js"></script>\n` +
      '<script>new Splide(".splide", {type: "loop", autoplay: true, interval: 7000}).mount();</script>'),
  };
  const files = {
    'swiper-bundle.min.css': path.join(modules, 'swiper/swiper-bundle.min.css'),
    'swiper-bundle.min.js': path.join(modules, 'swiper/swiper-bundle.min.js'),
    'splide.min.css': path.join(modules, '@splidejs/splide/dist/css/splide.min.css'),
    'splide.min.js': path.join(modules, '@splidejs/splide/dist/js/splide.min.js'),
  };
  return { pages, files };
}

// The body of a request for `name`: a peer's page or file, or the folder's own; null if none.
export function peerOrOwn(folder, peers, name) {
  if (peers.pages[name] !== undefined) return Buffer.from(peers.pages[name]);
  if (peers.files[name]) return fs.readFileSync(peers.files[name]);
  const own = path.join(folder, name);
  return fs.existsSync(own) ? fs.readFileSync(own) : null;
}
