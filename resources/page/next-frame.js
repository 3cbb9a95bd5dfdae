// Moves the keyboard focus from the frame that holds it to the next one in
// document order, nested frames included, and after the last back to the
// top document. A frame of another origin hides where its focus is: the
// frame last moved to stands for it when it lies inside.
//
// Values: none.
(function () {
  var frames = [];
  (function walk(w) {
    for (var i = 0; i < w.frames.length; i++) {
      frames.push(w.frames[i]);
      walk(w.frames[i]);
    }
  })(window);
  if (frames.length === 0) return;
  var current = window, hidden = false;
  try {
    var doc = document;
    while (doc) {
      var el = doc.activeElement;
      if (!el || (el.tagName !== 'IFRAME' && el.tagName !== 'FRAME') || !el.contentWindow) break;
      current = el.contentWindow;
      doc = null;
      doc = current.document;
    }
  } catch (e) {
    hidden = true;
  }
  var last = window.sonaviaFrame;
  if (hidden && last && frames.indexOf(last) >= 0) {
    for (var w = last; w && w !== window; w = w.parent) {
      if (w === current) {
        current = last;
        break;
      }
    }
  }
  var next = frames[frames.indexOf(current) + 1];
  window.sonaviaFrame = next;
  if (next) {
    next.focus();
    return;
  }
  if (document.activeElement) document.activeElement.blur();
  window.focus();
})
