// Runs in the page's own world, in every document as it is created and
// before the page's scripts: the page writes at most `most` console
// messages a second, and reports at most as many errors it left uncaught.
// Every message crosses to the program's process; a page writing in a loop
// would keep the program busy and its memory growing. The program's own
// world has a console of its own, which this leaves alone.
//
// Values: {most}.
(function (values) {
  var most = values.most, count = 0, since = 0;
  function allowed() {
    var now = Date.now();
    if (now - since >= 1000) {
      since = now;
      count = 0;
    }
    return ++count <= most;
  }
  var console = window.console;
  ['log', 'info', 'warn', 'error', 'debug', 'trace', 'dir', 'dirxml', 'table', 'group',
   'groupCollapsed', 'groupEnd', 'assert', 'count', 'countReset', 'time', 'timeLog', 'timeEnd'
  ].forEach(function (name) {
    var write = console[name];
    if (typeof write !== 'function') return;
    console[name] = function () {
      if (allowed()) return write.apply(console, arguments);
    };
  });
  function quiet(e) { if (!allowed()) e.preventDefault(); }
  window.addEventListener('error', quiet, true);
  window.addEventListener('unhandledrejection', quiet, true);
})
