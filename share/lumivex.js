/* Lumivex 1.0 slideshow runtime, called by the configuration script (bUar, bdas). */

function bdas(start) {
  if (document.readyState == 'loading') document.addEventListener('DOMContentLoaded', function () { start() });
  else start();
}

function bUar(id, items, opacity, rotate, fadeTime, fadeSteps, slideTime, slideSteps, showDelay, hideDelay, look) {
  'use strict';
  var doc = document,
    box = doc.getElementById(id + '_div'),
    n = items ? items.length : 0,
    modern = n && items[0].length > 10,
    reduce = matchMedia('(prefers-reduced-motion: reduce)'),
    slides = [],
    cur = -1,
    aim = 0, // the slide shown or on its way
    ticket = 0, // the latest show; an older one decoded late gives way
    held = 0, // 1: pointer over, 2: focus inside (not on the button), 4: page hidden, 8: stopped
    mouse = 0, // the last input was a pointer, not a key
    touched = 0, // the last touch or pen was inside the slideshow
    want = 0, // where the timeline puts the caption
    // The button and its focus ring keep out of this corner square.
    corner = 46,
    motion = (look = look || {}).transition,
    controls = [],
    dots = [],
    dir = 1, // 1: the coming slide enters from the right
    start = 0, // how far a swipe has moved it
    timer, due, left, next, info, title, desc, loading, first, button, icon, gap, swipe, drags, arrows, picker,
    now = function () { return performance.now() };

  function num(x) { return Math.max(0, +x || 0) }
  function el(tag, cls, parent, css) {
    var e = doc.createElement(tag);
    if (cls) e.className = id + cls;
    e.style.cssText = css || '';
    return parent.appendChild(e);
  }
  function attr(e, name, value) { if (value) e.setAttribute(name, value) }
  function on(target, type, f, capture) { target.addEventListener(type, f, capture) }
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
    if ((was ^ held) & 8) mark();
    var z = slides[cur] && slides[cur].zoom;
    if (z && z.playState != 'finished') held ? z.pause() : z.play();
    if (button) paint();
  }

  // Styled here, where a page's content policy cannot hide them; a ring for keyboard focus.
  function paint() {
    controls.forEach(function (c) {
      var s = c.style, ring = doc.activeElement == c && !mouse;
      s.opacity = held & 1 || touched || box.contains(doc.activeElement) ? 1 : 0;
      s.outline = ring ? '2px solid #fff' : '';
      s.boxShadow = ring ? '0 0 0 2px #000' : '';
    });
  }

  // The button offers what it will do: start a stopped slideshow, stop a rotating one.
  function mark() {
    button.setAttribute('aria-label', (held & 8 ? 'Start' : 'Stop') + ' slide rotation');
    icon.setAttribute('d', held & 8 ? 'M4 2v12l10-6z' : 'M3 2h4v12H3zm6 0h4v12H9z');
    caption();
  }

  // A stopped slideshow keeps its caption up: it may be all the visitor reads.
  function caption(to) {
    var it = items[cur] || [];
    if (to != null) want = to;
    tween(info, held & 8 ? +!!(it[3] || it[4]) : want, slideTime, slideSteps, slide);
  }

  // Caption text flows around the button in the corner; arrows that would reach the caption go
  // up; a box lower than a finger (a phone's banner) holds them as large as it can.
  function fit() {
    if (arrows) {
      var h = box.clientHeight, low = h / 2 + 24 > h - info.offsetHeight, s = Math.max(24, h - 4);
      arrows[1].style.right = low ? '40px' : '6px';
      if (picker) picker.style.cssText += ';right:' + (low ? 86 : 52) + 'px;top:' + (s < 44 ? (h - Math.min(dots[0].size, s)) / 2 : 6) + 'px';
      controls.forEach(function (c) {
        var e = Math.min(c.size, s), t = c.style;
        t.width = t.height = e + 'px';
        if (c.parentNode == box && (c != button || s < 44)) t.top = s < 44 ? (h - e) / 2 + 'px' : low ? '6px' : 'calc(50% - 22px)';
      });
    }
    for (var k = 0; k < 3; k++) gap.style.height = Math.max(0, corner - info.offsetTop) + 'px';
  }

  // Fetched one slide ahead; classic rotation does not wait for them.
  function load(k) {
    var s = slides[k % n], img = s.img, it = items[k % n];
    if (img && !img.src) {
      img.onerror = function () { img.remove() };
      if (s.avif) s.avif.srcset = it[9];
      attr(img, 'srcset', it[8]);
      img.src = it[0];
    }
    return img;
  }
  function begin() { if (cur < 0) show(0) }

  // Once s is shown whole, every other slide goes.
  function settle(s) {
    slides.concat(loading).forEach(function (o) {
      if (o != s) {
        cancelAnimationFrame(o.frame);
        o.style.visibility = 'hidden';
        o.style.transform = '';
        fade(o, o.v = 0);
        if (o.zoom) o.zoom = o.zoom.cancel();
      }
    });
    s.style.zIndex = 0;
    s.style.transform = '';
  }

  // A picture comes in decoded (or undecodable), except the first, which has loaded.
  function show(k) {
    var t = ++ticket, img = slides[aim = k].img;
    function go() { if (t == ticket) enter(k) }
    load(k);
    if (modern && img && cur >= 0) img.decode().then(go, go);
    else go();
  }

  function shift(e, f) { e.style.transform = f ? 'translateX(' + f * dir * 100 + '%)' : '' }

  function enter(k) {
    var s = slides[k], prev = slides[cur] || loading, it = items[k], draw = fade,
      hideAt = Math.max(showDelay, rotate - hideDelay);
    cur = k;
    dots.forEach(function (d, j) {
      d.firstChild.style.background = j == k ? '#fff' : 'rgba(0,0,0,.6)';
      j == k ? d.setAttribute('aria-current', 'true') : d.removeAttribute('aria-current');
    });
    title.textContent = it[3];
    desc.textContent = it[4];
    if (gap) fit();
    if (held & 8) caption();
    // Modern: later, so that nothing competes with the page's first picture.
    if (modern) setTimeout(load, 500, k + 1);
    else load(k + 1);
    s.style.visibility = 'visible';
    s.style.zIndex = 1;
    // Focus on the going slide moves on.
    if (prev.contains(doc.activeElement)) (s.a.href ? s.a : button).focus();
    if (motion == 'Slide' && prev != loading) {
      fade(s, 1);
      s.v = start;
      draw = function (e, v) { shift(e, 1 - v); shift(prev, -v) };
    }
    start = 0;
    // A slow zoom towards the slide's focus while it shows.
    if (motion == 'Zoom' && s.a.animate && !reduce.matches) {
      s.a.style.transformOrigin = (look.focus || [])[k] || '';
      s.zoom = s.a.animate([{ transform: 'none' }, { transform: 'scale(1.1)' }],
        { duration: fadeTime + rotate, easing: 'ease-out', fill: 'forwards' });
      if (held) s.zoom.pause();
    }
    // The first picture shows at once: a fade would only delay the page's largest paint.
    tween(s, 1, modern && prev == loading ? 0 : fadeTime, fadeSteps, draw, function () {
      settle(s);
      box.removeAttribute('aria-busy');
      wait(showDelay, function () {
        if (it[3] || it[4]) caption(1);
        if (n > 1) wait(hideAt - showDelay, function () {
          caption(0);
          wait(rotate - hideAt, function () { dir = 1; show((cur + 1) % n) });
        });
      });
    });
  }

  // Shows the slide on its way whole (unless a swipe `moved` them), then k; stops the rotation.
  function jump(k, moved) {
    var s = slides[cur];
    if (!s) return;
    hold(8, 1);
    clearTimeout(timer);
    next = 0;
    dir = k < aim ? -1 : 1;
    cancelAnimationFrame(s.frame);
    if (!moved) {
      fade(s, s.v = 1);
      settle(s);
    }
    show((k + n) % n);
  }

  function control(label, d, css, act, parent) {
    var b = el('button', '_Control', parent || box, 'box-sizing:border-box;margin:0;padding:0;border:2px solid #fff;' +
      'border-radius:50%;background:rgba(0,0,0,.7);color:#fff;cursor:pointer;outline-offset:2px;z-index:' +
      (+getComputedStyle(info).zIndex + 1 || 1) + ';' + css);
    b.type = 'button';
    b.size = +/height:(\d+)/.exec(css)[1];
    attr(b, 'aria-label', label);
    if (d) {
      b.innerHTML = '<svg viewBox="0 0 16 16" fill="currentColor" aria-hidden="true"><path d="' + d + '"/></svg>';
      b.firstChild.style.cssText = 'display:block;margin:auto;width:16px;height:16px;pointer-events:none';
      b.icon = b.firstChild.firstChild;
    }
    on(b, 'click', act);
    controls.push(b);
    return b;
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
  on(box, 'focusin', function (e) {
    var t = e.target;
    hold(2, t != button);
    // Keyboard focus stops the rotation, a click only holds it; not a move from the button.
    if (button && !mouse && (t != button || !box.contains(e.relatedTarget))) hold(8, 1);
  });
  on(box, 'focusout', function (e) { var r = e.relatedTarget; hold(2, box.contains(r) && r != button) });
  on(doc, 'pointerdown', function (e) {
    mouse = 1;
    // A touch leaves no pointer over: the controls stay until a touch elsewhere.
    touched = e.pointerType != 'mouse' && box.contains(e.target);
    if (button) paint();
  }, true);
  on(doc, 'keydown', function () { mouse = 0 }, true);
  on(doc, 'visibilitychange', function () { hold(4, doc.hidden) });
  hold(4, doc.hidden);
  if (!n) return;

  box.setAttribute('aria-busy', 'true');
  // No loading image under a first picture the page already shows.
  first = modern && box.querySelector('img');
  loading = el('div', '_Loading', box, first && first.complete ? 'background-image:none' : '');
  loading.v = 1;
  items.forEach(function (it, k) {
    var s = el('div', '_SlideImgCntr', box, 'position:absolute;left:0;top:0;opacity:0;visibility:hidden'),
      // No URL, no link.
      a = el(it[1] ? 'a' : 'div', '', s, 'display:flex;align-items:center;justify-content:center;width:100%;height:100%;outline-offset:-3px');
    s.v = 0;
    attr(s, 'role', 'group');
    attr(s, 'aria-roledescription', 'slide');
    attr(s, 'aria-label', k + 1 + ' of ' + n);
    attr(a, 'href', it[1]);
    attr(a, 'target', it[2]);
    attr(a, 'title', it[5]);
    s.a = a;
    if (it[0]) {
      // At its own size, shrunk to fit; width and height hold its place.
      var p = modern ? el('picture', '', a, 'display:contents') : a;
      if (modern && it[9]) {
        s.avif = el('source', '', p);
        s.avif.type = 'image/avif';
        s.avif.sizes = it[10];
      }
      s.img = el('img', '', p, (modern ? 'width:auto;height:auto;' : '') + 'max-width:100%;max-height:100%');
      s.img.alt = it[3] || '';
      if (modern) {
        attr(s.img, 'width', it[6]);
        attr(s.img, 'height', it[7]);
        attr(s.img, 'sizes', it[10]);
        if (!k) attr(s.img, 'fetchpriority', 'high');
      }
    }
    slides.push(s);
  });
  // Clicks and the tooltip go through the caption to the slide's link.
  info = el('div', '_SlideInfo', box, 'pointer-events:none;transform:translateY(100%);opacity:' +
    Math.min(100, num(opacity)) / 100);
  info.v = 0;
  if (n > 1) {
    gap = el('div', '', info, 'float:right;width:' + corner + 'px');
    // First in the tab order, over the caption; shown while pointer or focus is inside.
    button = control('', 'M0 0', 'position:absolute;top:6px;right:6px;width:32px;height:32px', function () { hold(8, !(held & 8)) });
    button.className = id + '_Rotation';
    icon = button.icon;
    box.insertBefore(button, box.firstChild);
    if (/Arrows/.test(look.navigation)) {
      // After the button in the tab order; 44 px, a finger's size.
      var side = 'position:absolute;width:44px;height:44px;',
        after = button.nextSibling,
        place = function (e) { return box.insertBefore(e, after) };
      arrows = [place(control('Previous slide', 'M10.5 1.5 4 8l6.5 6.5 1.5-1.5-5-5 5-5z', side + 'left:6px', function () { jump(aim - 1) })),
        place(control('Next slide', 'M5.5 1.5 12 8l-6.5 6.5L4 13l5-5-5-5z', side, function () { jump(aim + 1) }))];
      if (look.navigation == 'ArrowsAndDots') {
        picker = el('div', '_Picker', box, 'position:absolute;top:6px;left:52px;display:flex;flex-wrap:wrap;justify-content:center');
        var size = matchMedia('(pointer:coarse)').matches ? 44 : 24;
        place(picker);
        attr(picker, 'role', 'group');
        attr(picker, 'aria-label', 'Choose a slide');
        items.forEach(function (it, k) {
          var d = control('Slide ' + (k + 1) + ' of ' + n, '', 'width:' + size + 'px;height:' + size + 'px;border:0;background:0', function () { if (k != aim) jump(k) }, picker);
          el('span', '', d, 'display:block;margin:auto;box-sizing:border-box;width:12px;height:12px;border:2px solid #fff;border-radius:50%;background:rgba(0,0,0,.6)');
          dots.push(d);
        });
      }
    }
    hold(8, reduce.matches);
    mark();
    on(window, 'resize', fit);
    reduce.onchange = function () { if (reduce.matches) hold(8, 1) };
    if (modern) {
      // Vertical strokes still scroll the page and two fingers still zoom it.
      box.style.touchAction = 'pan-y pinch-zoom';
      on(box, 'pointerdown', function (e) {
        swipe = e.pointerType != 'mouse' && e.isPrimary && e;
        drags = motion == 'Slide' && !reduce.matches;
      });
      // Sliding, both slides follow the finger.
      function drag(f) {
        var s = slides[cur], o = slides[(cur + n + (dir = f < 0 ? 1 : -1)) % n];
        slides.forEach(function (x) { x.style.visibility = x == s || f && x == o ? 'visible' : 'hidden' });
        fade(o, 1);
        shift(o, f && 1 - Math.abs(f));
        shift(s, f && -Math.abs(f));
      }
      on(box, 'pointermove', function (e) { if (swipe && drags && cur == aim) drag((e.clientX - swipe.clientX) / box.offsetWidth) });
      on(box, 'pointercancel', function () { if (swipe && drags) drag(0); swipe = 0 });
      on(box, 'pointerup', function (e) {
        var dx = swipe ? e.clientX - swipe.clientX : 0;
        if (Math.abs(dx) > 40 && Math.abs(dx) > 2 * Math.abs(e.clientY - swipe.clientY)) {
          start = drags ? Math.abs(dx) / box.offsetWidth : 0;
          jump(aim + (dx < 0 ? 1 : -1), drags);
        } else if (swipe && drags) drag(0);
        swipe = 0;
      });
      on(box, 'keydown', function (e) {
        var k = { ArrowLeft: aim - 1, ArrowRight: aim + 1, Home: 0, End: n - 1 }[e.key];
        if (k != null && !(e.altKey || e.ctrlKey || e.metaKey || e.shiftKey)) {
          e.preventDefault();
          jump(k);
        }
      });
    }
  }
  title = el('div', '_SlideInfoTitle', info);
  desc = el('div', '_SlideInfoDesc', info);
  // The loading page stays until the first image is there, or has failed.
  first = load(0);
  if (first && !first.complete) {
    on(first, 'load', begin);
    on(first, 'error', begin);
  } else begin();
}
