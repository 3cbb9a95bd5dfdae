// Finds the page's article with the reader-view library (Readability, run
// beside this script in the program's own script world) and tells the
// snapshot which of the page's own elements hold it. The library works on a
// copy of the document, which it cuts and rearranges; each element of the
// copy carries the number of the page's element it was copied from, an
// attribute that survives the library's moves and renamings, so that the
// article is read from the page itself, in its order, with its links and
// controls, and the reading mark finds it there.
//
// Values: {op: 'find', most}: a page of more elements than `most` is read
// whole, so that a huge page costs no copy; sets page.article to {title,
// keep, path} (keep: the page's elements in the article; path: the
// elements that hold them) or null when there is no article, for the
// snapshot that follows. {op: 'use', article}: the reading mark takes the
// links and images of the article, or of the whole page, and the change
// watcher counts what changes in it.
(function (values) {
  var page = window.__sonaviaPage;
  if (!page) return;
  if (values.op === 'use') {
    page.items = values.article && page.articleItems ? page.articleItems : page.pageItems;
    page.readKeep = values.article ? page.articleKeep : null;
    return;
  }
  page.article = null;
  var NUMBER = 'data-sonavia-n';
  // Less text than this is no article: the page is read whole.
  var LEAST_TEXT = 140;
  if (typeof Readability !== 'function' || typeof isProbablyReaderable !== 'function') return;
  if (!document.body || document.getElementsByTagName('*').length > values.most) return;
  try {
    if (!isProbablyReaderable(document)) return;
    var copy = document.cloneNode(true);
    // The copy has the page's shape: both are walked side by side, without
    // recursion, as a page may nest deeper than the stack.
    var originals = [];
    var a = document.documentElement, b = copy.documentElement;
    while (a && b) {
      if (a.nodeType === 1) {
        b.setAttribute(NUMBER, String(originals.length));
        originals.push(a);
      }
      if (a.firstChild && b.firstChild) {
        a = a.firstChild;
        b = b.firstChild;
        continue;
      }
      while (a && b && !a.nextSibling) {
        a = a.parentNode;
        b = b.parentNode;
        if (a === document) a = b = null;
      }
      if (a && b) {
        a = a.nextSibling;
        b = b.nextSibling;
      }
    }
    var found = new Readability(copy, {serializer: function (el) { return el; }}).parse();
    if (!found || !found.content || (found.textContent || '').trim().length < LEAST_TEXT) return;
    var keep = new Set(), path = new Set();
    var all = found.content.querySelectorAll('[' + NUMBER + ']');
    for (var i = 0; i < all.length; i++) {
      var original = originals[Number(all[i].getAttribute(NUMBER))];
      if (original && original !== document.body && original !== document.documentElement) {
        keep.add(original);
      }
    }
    if (!keep.size) return;
    keep.forEach(function (el) {
      for (var up = el.parentNode; up && up.nodeType === 1 && !path.has(up); up = up.parentNode) {
        path.add(up);
      }
    });
    page.article = {title: String(found.title || '').replace(/\s+/g, ' ').trim(), keep: keep,
                    path: path};
  } catch (e) {
    page.article = null;
  }
})
