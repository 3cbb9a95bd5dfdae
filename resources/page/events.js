// Runs in every frame as it is created: reports every move of the keyboard
// focus, with the link's address when it lands on a link or the control's
// description when on a field or button, and what the user types (the program
// counts each move against the user's keys), each change of the link under
// the pointer (the program counts it only after the user's pointer moves),
// the completion of a frame's document, and the top document's parse and
// changes. The reports are console messages that begin with the
// channel's secret prefix, which the page's own scripts, in another world,
// can neither read nor forge.
//
// Values: {prefix}.
(function (values) {
  var prefix = values.prefix;
  // The link that holds `node`, or null.
  function linkOf(node) {
    var page = window.__sonaviaPage;
    while (node && !(node.nodeType === 1 && page.isLink(node))) node = node.parentElement;
    return node;
  }
  function report(kind, link) {
    console.log(prefix + kind + ':' + (link ? window.__sonaviaPage.address(link) : ''));
  }
  // A control (a field, a button, a list) is told with what a reader says
  // of it; any other move with the link it lands on, if any.
  document.addEventListener('focusin', function (e) {
    var link = linkOf(e.target);
    window.__sonaviaPage.forgetLabels();
    var control = link ? null : window.__sonaviaPage.describe(e.target);
    if (control) console.log(prefix + 'control:' + JSON.stringify(control));
    else report('focus', link);
  }, true);
  // What the user types into a field, as it is typed; never a password's.
  document.addEventListener('input', function (e) {
    if (!e.isTrusted || e.inputType !== 'insertText' || !e.data) return;
    window.__sonaviaPage.forgetLabels();
    var control = window.__sonaviaPage.describe(e.target);
    if (control && control.kind !== 'password') console.log(prefix + 'typed:' + e.data);
  }, true);
  // Only a change: moving within a link, over its parts, is no new link.
  var pointed = null;
  document.addEventListener('mouseover', function (e) {
    var link = linkOf(e.target);
    if (link === pointed) return;
    pointed = link;
    report('hover', link);
  }, true);
  document.addEventListener('mouseout', function (e) {
    if (!e.relatedTarget) pointed = null;  // the pointer left the document
  }, true);
  if (window !== window.top) {
    window.addEventListener('load', function () { console.log(prefix + 'frame-complete'); });
    return;
  }
  // The top document: when it has been parsed, and when its body changes
  // (the parser adding what arrives, or the page's scripts), so that the
  // program can tell when its text has settled. Changes are reported at
  // most every `gap` ms: at once, and once more at the end of the gap if
  // more came meanwhile.
  var gap = 200, held = false, more = false;
  function changed() {
    if (held) { more = true; return; }
    console.log(prefix + 'changed');
    held = true;
    setTimeout(function () {
      held = false;
      if (more) { more = false; changed(); }
    }, gap);
  }
  new MutationObserver(function (records) {
    var body = document.body;
    if (!body) return;
    for (var i = 0; i < records.length; ++i) {
      if (body === records[i].target || body.contains(records[i].target)) { changed(); return; }
    }
  }).observe(document, {childList: true, subtree: true, characterData: true});
  document.addEventListener('DOMContentLoaded', function () { console.log(prefix + 'parsed'); });
})
