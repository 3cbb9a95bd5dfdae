// Runs in every frame as it is created: reports a keyboard focus moving
// onto a link, and the completion of a frame's document. The reports are
// console messages that begin with the channel's secret prefix, which the
// page's own scripts, in another world, can neither read nor forge.
//
// Values: {prefix}.
(function (values) {
  var prefix = values.prefix;
  document.addEventListener('focusin', function (e) {
    var page = window.__sonaviaPage;
    var t = e.target;
    while (t && !(t.nodeType === 1 && page.isLink(t))) t = t.parentElement;
    if (t) console.log(prefix + 'focus:' + t.href);
  }, true);
  if (window !== window.top) {
    window.addEventListener('load', function () { console.log(prefix + 'frame-complete'); });
  }
})
