// What the program's page scripts agree on: which elements the reading
// passes over, what counts as a link and as an image, and the elements the
// last snapshot read. The snapshot and the reading mark both take them from
// here, so that the mark looks for exactly the text that the reading says.
// Installed once in every document, in the program's own script world.
//
// Values: {collector}, the name under which the page process offers a full
// garbage collection.
(function (values) {
  // Elements whose content never shows as text.
  var SKIP = {SCRIPT: 1, STYLE: 1, TEMPLATE: 1, NOSCRIPT: 1};

  // Not rendered, or hidden from assistive technology; its style is the
  // one its own document computes, which for a frame's element is the
  // frame's.
  function hidden(el) {
    if (el.hasAttribute('hidden') || el.getAttribute('aria-hidden') === 'true') return true;
    var view = el.ownerDocument.defaultView || window;
    var cs = view.getComputedStyle(el);
    return cs.display === 'none' || cs.visibility === 'hidden';
  }

  function isImage(el) {
    return el.tagName.toUpperCase().lastIndexOf('IMG', 0) === 0;
  }
  // A picture its author marked as decoration (an empty description, or
  // the role of none): a screen reader passes it over.
  function decorative(el) {
    if (!isImage(el)) return false;
    var role = (el.getAttribute('role') || '').trim().toLowerCase();
    if (role === 'presentation' || role === 'none') return true;
    return el.hasAttribute('alt') && !/\S/.test(el.getAttribute('alt')) &&
           !el.getAttribute('aria-label') && !el.getAttribute('title');
  }

  window.__sonaviaPage = {
    // Whether an element, with all it holds, is left out of the reading:
    // the program's own marks, what never shows as text, what is hidden,
    // decoration.
    skipped: function (el) {
      return !!el.__sonaviaMark || SKIP[el.tagName.toUpperCase()] === 1 || hidden(el) ||
             decorative(el);
    },
    // An anchor with an address: a link the user can follow.
    isLink: function (el) {
      return el.tagName.toUpperCase() === 'A' && el.hasAttribute('href');
    },
    // Where a click on a link goes: its address resolved against the
    // document's base, as the engine resolves it (an SVG link's too).
    address: function (el) {
      if (typeof el.href === 'string') return el.href;
      try {
        return new URL(el.getAttribute('href'), el.baseURI).href;
      } catch (e) {
        return '';
      }
    },
    // An image as the conversion counts it: its tag begins with IMG.
    isImage: isImage,
    // The elements behind the conversion's links and images, in its order,
    // as the last snapshot met them: {links: [...], images: [...]}.
    items: null,
    // A full garbage collection of the page process, where it is offered.
    collect: function () {
      var collector = window[values.collector];
      if (typeof collector === 'function') collector();
    }
  };
})
