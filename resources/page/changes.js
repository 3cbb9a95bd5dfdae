// Watches the page for changes after it was read (results that arrive, a
// page that fills itself) and reports how much text came or went, at most
// once a second: "changed:" and the number of characters. While the article
// is read, only changes inside it count. Installed again with each snapshot;
// runs in the program's own script world, and the mark's own host, outside
// the body, is never watched.
//
// Values: {prefix}, the channel's prefix for the report.
(function (values) {
  var page = window.__sonaviaPage;
  if (!page || !document.body || typeof MutationObserver !== 'function') return;
  if (page.changes) page.changes.disconnect();
  var pending = 0, timer = null;
  // Whether a node lies in the article being read (anywhere, when the whole
  // page is read); a bounded walk up, as a page may nest deep.
  function counts(node) {
    var keep = page.readKeep;
    if (!keep) return true;
    for (var n = node, depth = 0; n && depth < 2000; n = n.parentNode, depth++) {
      if (keep.has(n)) return true;
    }
    return false;
  }
  function size(nodes) {
    var total = 0;
    for (var i = 0; i < nodes.length; i++) total += (nodes[i].textContent || '').length;
    return total;
  }
  page.changes = new MutationObserver(function (records) {
    for (var r = 0; r < records.length; r++) {
      var m = records[r];
      if (!counts(m.target)) continue;
      if (m.type === 'characterData') {
        pending += Math.abs((m.target.data || '').length - (m.oldValue || '').length) || 1;
      } else {
        pending += size(m.addedNodes) + size(m.removedNodes);
      }
    }
    if (pending && !timer) {
      timer = setTimeout(function () {
        console.log(values.prefix + 'changed:' + pending);
        pending = 0;
        timer = null;
      }, 1000);
    }
  });
  page.changes.observe(document.body, {childList: true, subtree: true, characterData: true,
                                       characterDataOldValue: true});
})
