// Runs in every frame as it is created: reports every move of the keyboard
// focus, with the link's address when it lands on a link (the program
// counts each move against the user's keys), and the completion of a
// frame's document. The reports are console messages that begin with the
// channel's secret prefix, which the page's own scripts, in another world,
// can neither read nor forge.
//
// Values: {prefix}.
(function (values) {
  var prefix = values.prefix;
  document.addEventListener('focusin', function (e) {
    var page = window.__sonaviaPage;
    var t = e.target;
    while (t && !(t.nodeType === 1 && page.isLink(t))) t = t.parentElement;
    console.log(prefix + 'focus:' + (t ? page.address(t) : ''));
  }, true);
  if (window !== window.top) {
    window.addEventListener('load', function () { console.log(prefix + 'frame-complete'); });
  }
})
