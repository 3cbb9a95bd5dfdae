// Runs in the page's own world, in every document as it is created and
// before the page's scripts: takes away the full garbage collection that
// the engine offers every world under the program's name for it. Only the
// program's own world keeps it; a page calling it would stall its process.
//
// Values: {collector}.
(function (values) {
  var name = values.collector;
  // The engine declares it like a global function: it cannot be deleted,
  // but it can be overwritten and then fixed.
  if (!(delete window[name])) {
    try {
      Object.defineProperty(window, name, {value: undefined, writable: false});
    } catch (e) {
      window[name] = undefined;
    }
  }
})
