// Asks the page process for a full garbage collection: the page left
// behind and a snapshot's strings are garbage by then, and collected at
// once they never pile up over a session.
//
// Values: none.
(function () {
  var page = window.__sonaviaPage;
  if (page) page.collect();
})
