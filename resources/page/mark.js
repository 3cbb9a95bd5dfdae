// Marks on the page the unit being read. It runs in the program's own
// script world, so the page's scripts never see its state, and it draws
// over the page instead of editing it: absolutely placed boxes in a closed
// shadow root, on one host element appended to the document's root element
// while the reading goes on and removed when it stops. The body, which the
// conversion reads and the page's scripts work on, is never touched.
//
// A unit's text comes from the conversion, so it is found in the page's
// text with case, blanks and punctuation set aside (letters and digits
// only, and the conversion's "hi" for a lone "i" folded back), searching on
// from where the last unit was found (a bounded way ahead) and then from the
// top (within a budget, so that a reading stays linear). The text index is
// built once per document, and again only after the page changed; it
// leaves out what the snapshot leaves out. Images and links are taken by
// their number among the elements that the last snapshot serialized, which
// are exactly those that the conversion counted.
//
// Values: the request, {op: 'hide'} or {op: 'show', kind: 'text' | 'image'
// | 'link' | 'elements', text, item, last}: for 'elements', the page's
// elements `item` to `last` (from 1) that the switch user is offered; each
// with the page's `zoom` (1 at its own size). Answers what was marked: {found, kind, text, x, y,
// width, height, marked}, the rectangle in the top window's viewport, in
// CSS pixels.
(function (request) {
  var page = window.__sonaviaPage;
  if (!page) return {found: false, kind: request.kind || 'none'};
  var M = window.__sonaviaMarker;
  if (!M) {
    M = window.__sonaviaMarker = {index: null, dirty: true, cursor: 0, hosts: [], last: null};
    var KEEP = /[\p{L}\p{N}]/u;
    // Letters and digits of any script, in small letters; anything else
    // only parts words.
    M.fold = function (ch) {
      var c = ch.toLowerCase();
      return c.length === 1 && KEEP.test(c) ? c : '';
    };
    // The folded form of every character code below 0x250 (0: left out);
    // the rarer ones above are folded one by one.
    var TABLE = new Uint16Array(0x250);
    for (var t = 0; t < TABLE.length; t++) {
      var folded = M.fold(String.fromCharCode(t));
      TABLE[t] = folded ? folded.charCodeAt(0) : 0;
    }
    function foldCode(code) {
      if (code < TABLE.length) return TABLE[code];
      var folded = M.fold(String.fromCharCode(code));
      return folded ? folded.charCodeAt(0) : 0;
    }
    // The folded text of a text node's data, a lone "hi" made "i"; with
    // `offsets`, where in the data each of its characters stands.
    M.foldData = function (data, offsets) {
      var codes = [], word = 0, pieces = [];
      for (var i = 0; i <= data.length; i++) {
        var c = i < data.length ? foldCode(data.charCodeAt(i)) : 0;
        if (c) {
          codes.push(c);
          if (offsets) offsets.push(i);
          word++;
        } else {
          var n = codes.length;
          if (word === 2 && codes[n - 2] === 104 && codes[n - 1] === 105) {
            codes[n - 2] = 105;
            codes.pop();
            if (offsets) offsets.splice(offsets.length - 2, 1);
          }
          word = 0;
        }
        // In pieces, as a call takes only so many arguments; never inside
        // a word that may still be a lone "hi".
        if (codes.length >= 8192 && (word === 0 || word > 2)) {
          pieces.push(String.fromCharCode.apply(null, codes));
          codes = [];
        }
      }
      pieces.push(String.fromCharCode.apply(null, codes));
      return pieces.join('');
    };
    M.key = function (text) {
      text = text.replace(/&(amp|lt|gt|quot|nbsp|rsquo|#\d+|#x[0-9a-f]+);?/gi, ' ');
      return M.foldData(text, null);
    };
    // The folded text of the document and then of its frames. Each text
    // node that adds to it is listed with where its part starts; where a
    // character stands in its node is worked out again when it is marked,
    // so that the index of a large page stays small. Links and images
    // keep where the text after them starts.
    M.build = function () {
      var ix = {text: '', nodes: [], starts: [], after: new Map(), cache: null};
      var pieces = [], length = 0;
      function walk(node) {
        if (node.nodeType === 3) {
          var part = M.foldData(node.data, null);
          if (part.length) {
            ix.nodes.push(node);
            ix.starts.push(length);
            pieces.push(part);
            length += part.length;
          }
          return;
        }
        // What the snapshot leaves out, so that the reading never says it.
        if (node.nodeType !== 1 || page.skipped(node)) return;
        var tag = node.tagName.toUpperCase();
        if (tag === 'IFRAME' || tag === 'FRAME') {
          frames.push(node);
        } else {
          for (var c2 = node.firstChild; c2; c2 = c2.nextSibling) walk(c2);
        }
        if (page.isLink(node) || page.isImage(node)) ix.after.set(node, length);
      }
      // Frames come after the document: the conversion reads the top
      // document alone, and its sentences run on across a frame.
      var frames = [];
      if (document.body) walk(document.body);
      for (var f = 0; f < frames.length; f++) {
        var inner = null;
        try { inner = frames[f].contentDocument; } catch (e) {}
        if (inner && inner.body) walk(inner.body);
      }
      ix.text = pieces.join('');
      return ix;
    };
    // The node that holds the character at `at`, by its number.
    M.nodeAt = function (ix, at) {
      var lo = 0, hi = ix.starts.length - 1;
      while (lo < hi) {
        var mid = (lo + hi + 1) >> 1;
        if (ix.starts[mid] <= at) lo = mid; else hi = mid - 1;
      }
      return lo;
    };
    // Where the characters of node `k` stand in its data; the last node
    // asked for is kept, as a reading goes through it unit by unit.
    M.offsets = function (ix, k) {
      if (!ix.cache || ix.cache.k !== k) {
        var offsets = [];
        M.foldData(ix.nodes[k].data, offsets);
        ix.cache = {k: k, offsets: offsets};
      }
      return ix.cache.offsets;
    };
    // The page changing its text makes the index stale; the marks' own
    // host coming and going does not.
    new MutationObserver(function (records) {
      for (var i = 0; i < records.length; i++) {
        var r = records[i], ours = r.type === 'childList';
        for (var j = 0; ours && j < r.addedNodes.length; j++) ours = !!r.addedNodes[j].__sonaviaMark;
        for (var k = 0; ours && k < r.removedNodes.length; k++) ours = !!r.removedNodes[k].__sonaviaMark;
        if (!ours) { M.dirty = true; return; }
      }
    }).observe(document, {childList: true, subtree: true, characterData: true});
    // Between units only the boxes change, so that the page sees its
    // root element change once when a reading starts and once when it stops.
    M.clear = function (keepHosts) {
      for (var i = 0; i < M.hosts.length; i++) {
        var layer = M.hosts[i];
        if (!keepHosts) { layer.host.remove(); continue; }
        while (layer.root.lastChild !== layer.style) layer.root.lastChild.remove();
      }
      if (!keepHosts) M.hosts = [];
    };
    M.layer = function (doc) {
      for (var i = 0; i < M.hosts.length; i++) {
        if (M.hosts[i].doc === doc && M.hosts[i].host.isConnected) return M.hosts[i];
      }
      var host = doc.createElement('div');
      host.__sonaviaMark = true;
      host.setAttribute('style', 'all: initial !important; position: absolute !important; ' +
          'top: 0 !important; left: 0 !important; width: 0 !important; height: 0 !important; ' +
          'overflow: visible !important; pointer-events: none !important; ' +
          'display: block !important;');
      // Drawn for the eye alone: a screen reader never meets it.
      host.setAttribute('aria-hidden', 'true');
      host.setAttribute('role', 'presentation');
      var root = host.attachShadow({mode: 'closed'});
      var style = doc.createElement('style');
      // Each mark is outlined in black and yellow, two colours far apart:
      // whatever the page's colour, one of them stands out from it (at
      // least 4:1). A sentence keeps a soft yellow behind it as well, which
      // shows on a light page and leaves its text as it was.
      // Their bands are as thick on the screen at any zoom: --u is a screen
      // pixel in the page's pixels.
      style.textContent =
          '.t { position: absolute; z-index: 2147483647; background: #ffe34d; ' +
          '     mix-blend-mode: multiply; border-radius: 2px; }' +
          '.o { position: absolute; z-index: 2147483647; box-sizing: border-box; ' +
          '     border: calc(2 * var(--u, 1px)) solid #000000; ' +
          '     box-shadow: 0 0 0 calc(2 * var(--u, 1px)) #ffd400; border-radius: 3px; }' +
          '.f { position: absolute; z-index: 2147483647; box-sizing: border-box; ' +
          '     border: calc(3 * var(--u, 1px)) solid #000000; ' +
          '     box-shadow: 0 0 0 calc(3 * var(--u, 1px)) #ffd400; border-radius: 3px; }';
      root.appendChild(style);
      doc.documentElement.appendChild(host);
      var layer = {doc: doc, host: host, root: root, style: style};
      M.hosts.push(layer);
      return layer;
    };
    M.draw = function (doc, rects, frame) {
      if (!rects.length) return;
      var layer = M.layer(doc);
      var u = 1 / (M.zoom > 0 ? M.zoom : 1);
      layer.host.style.setProperty('--u', u + 'px');
      var origin = layer.host.getBoundingClientRect();
      var pad = (frame ? 5 : 1) * u;
      // A sentence: its colour behind each line, and an outline around
      // each line drawn over it, outside the letters. Where two of its lines
      // stand too close for the bands to pass between them, the outline
      // goes around both and no band runs between, over their letters.
      var kinds = frame ? [['f', pad, 0]] : [['t', pad, 0], ['o', pad + 2 * u, 2 * u]];
      for (var k = 0; k < kinds.length; k++) {
        var p = kinds[k][1], reach = p + kinds[k][2];
        for (var i = 0; i < rects.length; i++) {
          var r = rects[i], box = doc.createElement('div'), up = p, down = p;
          var joinUp = false, joinDown = false;
          for (var j = 0; !frame && j < rects.length; j++) {
            var o = rects[j];
            if (o.right <= r.left || o.left >= r.right) continue;
            if (o.bottom <= r.top + 1 && (r.top - o.bottom) / 2 < reach) joinUp = true;
            if (o.top >= r.bottom - 1 && (o.top - r.bottom) / 2 < reach) joinDown = true;
          }
          box.className = kinds[k][0];
          if (joinUp) up = 0;
          if (joinDown) down = 0;
          if (kinds[k][0] === 'o' && (joinUp || joinDown)) {
            if (joinUp) box.style.borderTopWidth = '0';
            if (joinDown) box.style.borderBottomWidth = '0';
            var far = (-4 * reach) + 'px';
            box.style.clipPath = 'inset(' + (joinUp ? '0' : far) + ' ' + far + ' ' +
                                 (joinDown ? '0' : far) + ' ' + far + ')';
          }
          box.style.left = (r.left - origin.left - p) + 'px';
          box.style.top = (r.top - origin.top - up) + 'px';
          box.style.width = (r.width + 2 * p) + 'px';
          box.style.height = (r.height + up + down) + 'px';
          layer.root.appendChild(box);
        }
      }
    };
    M.union = function (rects) {
      var u = null;
      for (var i = 0; i < rects.length; i++) {
        var r = rects[i];
        if (!u) { u = {left: r.left, top: r.top, right: r.right, bottom: r.bottom}; continue; }
        u.left = Math.min(u.left, r.left); u.top = Math.min(u.top, r.top);
        u.right = Math.max(u.right, r.right); u.bottom = Math.max(u.bottom, r.bottom);
      }
      return u;
    };
    // Scrolls a window so that a rectangle of its viewport is seen whole,
    // or its top when it is taller; a rectangle already in view stays put.
    M.reveal = function (win, u) {
      var h = win.innerHeight, w = win.innerWidth, dy = 0, dx = 0;
      if (u.top < 0 || u.bottom > h) {
        dy = u.bottom - u.top <= h ? (u.top + u.bottom - h) / 2 : u.top - 16;
      }
      if (u.left < 0 || u.right > w) {
        dx = u.right - u.left <= w ? (u.left + u.right - w) / 2 : u.left - 16;
      }
      if (dx || dy) win.scrollBy({left: dx, top: dy, behavior: 'instant'});
    };
    M.rects = function (list) {
      var out = [];
      for (var i = 0; i < list.length; i++) {
        var r = list[i];
        if (r.width > 0 && r.height > 0) out.push(r);
      }
      return out;
    };
    // The client rectangles of a found text, one text node at a time.
    M.textRects = function (ix, start, end) {
      var rects = [], k = M.nodeAt(ix, start), doc = ix.nodes[k].ownerDocument;
      for (var i = start; i < end && k < ix.nodes.length; k++) {
        var node = ix.nodes[k], from = ix.starts[k];
        var to = k + 1 < ix.starts.length ? ix.starts[k + 1] : ix.text.length;
        var j = Math.min(end, to);
        var offsets = M.offsets(ix, k);
        if (node.ownerDocument === doc && j - from <= offsets.length) {
          try {
            var range = doc.createRange();
            range.setStart(node, offsets[i - from]);
            range.setEnd(node, offsets[j - 1 - from] + 1);
            rects = rects.concat(M.rects(range.getClientRects()));
          } catch (e) {
            // The node changed under the index: nothing to mark in it.
          }
        }
        i = j;
      }
      return {doc: doc, rects: rects};
    };
    M.find = function (text) {
      if (M.dirty || !M.index) {
        M.index = null;
        M.index = M.build();
        // The first build leaves much garbage on a large page; later ones,
        // on a page that keeps changing, are left to the usual collection.
        if (!M.collected) {
          M.collected = true;
          page.collect();
        }
        M.budget = 2 * M.index.text.length;
        M.dirty = false;
        M.cursor = Math.min(M.cursor, M.index.text.length);
      }
      var key = M.key(text);
      if (!key) return null;
      // The next unit is near: the search on looks a bounded way ahead, and
      // a search from the top is paid from a budget that each unit tops up
      // by the same amount, so a whole reading stays linear in the page's
      // size however many units are not found.
      var all = M.index.text;
      var ahead = Math.max(8192, key.length * 8);
      M.budget = Math.min((M.budget || 0) + ahead, 2 * all.length);
      var at = all.substring(M.cursor, M.cursor + ahead + key.length).indexOf(key);
      if (at >= 0) {
        at += M.cursor;
      } else if (M.budget >= all.length) {
        M.budget -= all.length;
        at = all.indexOf(key);
      }
      if (at < 0) return null;
      M.cursor = at + key.length;
      return M.textRects(M.index, at, at + key.length);
    };
    M.item = function (kind, number, last) {
      // A switch user's group of the page's elements: framed together.
      if (kind === 'elements') {
        var els = page.elements || [], rects = [];
        for (var n = number; n <= (last || number); n++) {
          var one = els[n - 1];
          if (one && one.isConnected) rects = rects.concat(M.rects(one.getClientRects()));
        }
        var head = els[number - 1];
        if (!head || !head.isConnected || !rects.length) return null;
        return {doc: head.ownerDocument, rects: rects, element: head, last: last || number};
      }
      var items = page.items;
      var list = items ? (kind === 'link' ? items.links : items.images)
                       : document.querySelectorAll(kind === 'link' ? 'a[href]' : 'img');
      var el = list[number - 1];
      if (!el || !el.isConnected) return null;
      if (M.index && !M.dirty && M.index.after.has(el)) M.cursor = M.index.after.get(el);
      return {doc: el.ownerDocument, rects: M.rects(el.getClientRects()), element: el};
    };
    // Draws the last request again where the page now puts it.
    M.show = function (req, scroll) {
      M.clear(true);
      var hit = req.kind === 'text' ? M.find(req.text) : M.item(req.kind, req.item, req.last);
      var report = {found: false, kind: req.kind, text: req.text, x: 0, y: 0, width: 0, height: 0};
      if (!hit || !hit.rects.length) return report;
      var win = hit.doc.defaultView;
      if (scroll) {
        M.reveal(win, M.union(hit.rects));
        if (win.frameElement) M.reveal(window, M.union(M.rects(win.frameElement.getClientRects())));
        hit = hit.last ? M.item(req.kind, req.item, req.last)
            : hit.element ? {doc: hit.doc, rects: M.rects(hit.element.getClientRects()),
                             element: hit.element}
                          : M.textRects(M.index, M.cursor - M.key(req.text).length, M.cursor);
      }
      M.draw(hit.doc, hit.rects, req.kind !== 'text');
      var u = M.union(hit.rects), dx = 0, dy = 0;
      for (var w = win; w.frameElement; w = w.parent) {
        var fr = w.frameElement.getBoundingClientRect();
        dx += fr.left + w.frameElement.clientLeft;
        dy += fr.top + w.frameElement.clientTop;
      }
      report.found = true;
      report.x = u.left + dx; report.y = u.top + dy;
      report.width = u.right - u.left; report.height = u.bottom - u.top;
      report.marked = hit.element ? hit.element.outerHTML.slice(0, 200)
                                  : M.index.text.slice(M.cursor - M.key(req.text).length, M.cursor);
      return report;
    };
    window.addEventListener('resize', function () {
      if (M.last) { M.cursor = M.last.from; M.show(M.last.req, false); }
    });
    M.run = function (request) {
      if (request.zoom > 0) M.zoom = request.zoom;
      if (request.op === 'hide') {
        M.last = null;
        M.clear();
        return {found: false, kind: 'none'};
      }
      var from = M.cursor;
      var report = M.show(request, true);
      M.last = {req: request, from: from};
      return report;
    };
  }
  return M.run(request);
})
