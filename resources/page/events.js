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
  // The top document: that it has been created, when it has been parsed, and
  // when its content changes (the parser adding what arrives, or the page's
  // scripts), so that the program can tell when its text has settled. Looked
  // at every `gap` ms, and cheaply: the elements' count (which the engine
  // keeps) and the length of the document's last text, where the parser
  // adds. An observer of every change would cost the page a walk up the
  // tree at each one, without end on a deep page.
  console.log(prefix + 'started');
  var gap = 150, last = '';
  var all = document.getElementsByTagName('*');
  function content() {
    var node = document.body, text = 0;
    while (node && node.lastChild) node = node.lastChild;
    if (node && node.nodeType === 3) text = node.length;
    return all.length + ':' + text;
  }
  var looking = setInterval(function () {
    var now = content();
    if (document.body && now !== last) console.log(prefix + 'changed');
    last = now;
  }, gap);
  window.addEventListener('load', function () { clearInterval(looking); });
  document.addEventListener('DOMContentLoaded', function () {
    last = content();  // the parse's end is news of its own
    console.log(prefix + 'parsed');
  });
})
