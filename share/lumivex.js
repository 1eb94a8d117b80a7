/* Lumivex 1.0 slideshow runtime. The page's configuration script calls bUar and bdas; nothing
   else is global. Times are milliseconds, the opacity a percentage. Each slide fades in over the
   transition duration and then stays for the rotation delay; its caption starts sliding up
   "Delay Show" after the fade and starts sliding away "Delay Hide" before the next one. */

function bdas(start) {
  if (document.readyState == 'loading') document.addEventListener('DOMContentLoaded', function () { start() });
  else start();
}

function bUar(id, items, opacity, rotate, fadeTime, fadeSteps, slideTime, slideSteps, showDelay, hideDelay) {
  'use strict';
  var doc = document,
    box = doc.getElementById(id + '_div'),
    n = items ? items.length : 0,
    reduce = matchMedia('(prefers-reduced-motion: reduce)'),
    slides = [],
    cur = -1,
    held = 0, // 1: pointer over, 2: focus inside, 4: page hidden
    timer, due, left, next, info, title, desc, loading, first,
    now = function () { return performance.now() };

  function num(x) { return Math.max(0, +x || 0) }
  function el(tag, cls, parent, css) {
    var e = doc.createElement(tag);
    if (cls) e.className = id + cls;
    e.style.cssText = css || '';
    return parent.appendChild(e);
  }
  function attr(e, name, value) { if (value) e.setAttribute(name, value) }
  function on(target, type, f) { target.addEventListener(type, f) }
  function fade(e, v) { e.style.opacity = v }
  function slide(e, v) { e.style.transform = 'translateY(' + (100 - v * 100) + '%)' }

  // Moves e.v towards `to` in the designer's number of steps, one frame at a time.
  function tween(e, to, time, steps, draw, done) {
    var from = e.v, start = now();
    steps = Math.round(num(steps)) || 1;
    if (reduce.matches) time = 0;
    cancelAnimationFrame(e.frame);
    (function frame() {
      var p = time ? Math.min(1, (now() - start) / time) : 1;
      draw(e, e.v = from + (to - from) * Math.floor(p * steps) / steps);
      if (p < 1) e.frame = requestAnimationFrame(frame);
      else if (done) done();
    })();
  }

  // One pending step of the timeline; it stands still while anything holds the slideshow.
  function wait(ms, f) {
    clearTimeout(timer);
    left = ms;
    next = f;
    run();
  }
  function run() {
    if (held || !next) return;
    due = now() + left;
    timer = setTimeout(function () { var f = next; next = 0; f() }, left);
  }
  function hold(bit, set) {
    var was = held;
    held = set ? held | bit : held & ~bit;
    // A rotating carousel must not talk over the reader; a still one may.
    box.setAttribute('aria-live', held || n < 2 ? 'polite' : 'off');
    if (!was && held && next) {
      clearTimeout(timer);
      left = due - now();
    }
    if (was && !held) run();
  }

  // Images are fetched one slide ahead instead of all at once. Rotation does not wait for them:
  // a late image appears when it arrives, a broken one leaves the background colour.
  function load(k) {
    var img = slides[k % n].img;
    if (img && !img.src) {
      img.onerror = function () { img.remove() };
      img.src = items[k % n][0];
    }
    return img;
  }
  function begin() { if (cur < 0) show(0) }

  function show(k) {
    var s = slides[k], prev = slides[cur] || loading, it = items[k],
      hideAt = Math.max(showDelay, rotate - hideDelay);
    cur = k;
    title.textContent = it[3];
    desc.textContent = it[4];
    load(k + 1);
    s.style.visibility = 'visible';
    s.style.zIndex = 1;
    tween(s, 1, fadeTime, fadeSteps, fade, function () {
      if (prev != s) {
        prev.style.visibility = 'hidden';
        fade(prev, prev.v = 0);
      }
      s.style.zIndex = 0;
      box.removeAttribute('aria-busy');
      wait(showDelay, function () {
        if (it[3] || it[4]) tween(info, 1, slideTime, slideSteps, slide);
        if (n > 1) wait(hideAt - showDelay, function () {
          tween(info, 0, slideTime, slideSteps, slide);
          wait(rotate - hideAt, function () { show((cur + 1) % n) });
        });
      });
    });
  }

  if (!box) return;
  rotate = num(rotate);
  fadeTime = num(fadeTime);
  slideTime = num(slideTime);
  showDelay = num(showDelay);
  hideDelay = num(hideDelay);
  box.classList.add(id);
  box.style.display = 'block';
  attr(box, 'role', 'region');
  attr(box, 'aria-roledescription', 'carousel');
  attr(box, 'aria-label', box.getAttribute('aria-label') || 'Slideshow');
  on(box, 'pointerenter', function () { hold(1, 1) });
  on(box, 'pointerleave', function () { hold(1, 0) });
  on(box, 'focusin', function () { hold(2, 1) });
  on(box, 'focusout', function (e) { hold(2, box.contains(e.relatedTarget)) });
  on(doc, 'visibilitychange', function () { hold(4, doc.hidden) });
  hold(4, doc.hidden);
  if (!n) return;

  box.setAttribute('aria-busy', 'true');
  loading = el('div', '_Loading', box);
  loading.v = 1;
  items.forEach(function (it, k) {
    var s = el('div', '_SlideImgCntr', box, 'position:absolute;left:0;top:0;opacity:0;visibility:hidden'),
      a = el('a', '', s, 'display:flex;align-items:center;justify-content:center;width:100%;height:100%;outline-offset:-3px');
    s.v = 0;
    attr(s, 'role', 'group');
    attr(s, 'aria-roledescription', 'slide');
    attr(s, 'aria-label', k + 1 + ' of ' + n);
    attr(a, 'href', it[1]);
    attr(a, 'target', it[2]);
    attr(a, 'title', it[5]);
    if (it[0]) {
      s.img = el('img', '', a, 'max-width:100%;max-height:100%');
      s.img.alt = it[3] || '';
    }
    slides.push(s);
  });
  // Clicks and the tooltip go through the caption to the slide's link.
  info = el('div', '_SlideInfo', box, 'pointer-events:none;transform:translateY(100%);opacity:' +
    Math.min(100, num(opacity)) / 100);
  info.v = 0;
  title = el('div', '_SlideInfoTitle', info);
  desc = el('div', '_SlideInfoDesc', info);
  // The loading page stays until the first image is there, or has failed.
  first = load(0);
  if (first && !first.complete) {
    on(first, 'load', begin);
    on(first, 'error', begin);
  } else begin();
}
