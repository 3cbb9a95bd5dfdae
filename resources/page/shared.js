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

  // Text as a reader says it: blanks folded, at most a sentence's length.
  function said(s) {
    return String(s || '').replace(/\s+/g, ' ').trim().slice(0, 200);
  }
  // The kind of control an element is, as the program names kinds, or null.
  function controlKind(el) {
    var tag = el.tagName.toUpperCase();
    var role = (el.getAttribute('role') || '').trim().toLowerCase();
    if (tag === 'A' && el.hasAttribute('href')) return 'link';
    if (tag === 'BUTTON') return 'button';
    if (tag === 'SELECT') return 'list';
    if (tag === 'TEXTAREA') return 'textarea';
    if (tag === 'SUMMARY') return 'summary';
    if (tag === 'INPUT') {
      var type = (el.getAttribute('type') || 'text').trim().toLowerCase();
      if (type === 'hidden') return null;
      if (type === 'checkbox' || type === 'radio' || type === 'password') return type;
      if (/^(submit|button|reset|image|file)$/.test(type)) return 'button';
      return 'text';
    }
    if (role === 'button' || role === 'link') return role;
    if (role === 'checkbox' || role === 'switch') return 'checkbox';
    if (role === 'radio') return 'radio';
    if (role === 'textbox' || role === 'searchbox' || role === 'combobox') return 'text';
    if (el.isContentEditable && !(el.parentElement && el.parentElement.isContentEditable)) {
      return 'text';
    }
    return null;
  }
  // The text of each label that names a control by its id, gathered once
  // for a document until `forget` is called, so that a page of many fields
  // costs one pass.
  var labelCache = null;
  function labelsFor(doc) {
    if (labelCache && labelCache.doc === doc) return labelCache.map;
    var map = Object.create(null), all = doc.querySelectorAll('label[for]');
    for (var i = 0; i < all.length; i++) {
      var id = all[i].getAttribute('for');
      if (!(id in map)) map[id] = all[i].textContent;
    }
    labelCache = {doc: doc, map: map};
    return map;
  }
  // What names a control: what its author pointed to, its label, its own
  // text, its placeholder or title.
  function controlLabel(el, kind) {
    var doc = el.ownerDocument, ids = (el.getAttribute('aria-labelledby') || '').split(/\s+/);
    var named = '';
    for (var i = 0; i < ids.length && i < 8; i++) {
      var by = ids[i] ? doc.getElementById(ids[i]) : null;
      if (by) named += ' ' + by.textContent;
    }
    // The label around it and those that name it by its id; an element's
    // own list of labels is looked up in the whole document each time.
    var labels = [], around = el.parentElement ? el.parentElement.closest('label') : null;
    if (around) labels.push(around.textContent);
    if (el.id) {
      var named = labelsFor(doc)[el.id];
      if (named) labels.push(named);
    }
    var own = '';
    var tag = el.tagName.toUpperCase();
    if (tag === 'INPUT' && kind === 'button') {
      own = el.getAttribute('value') || el.getAttribute('alt') || '';
    } else if (kind === 'button' || kind === 'link' || kind === 'summary' ||
               (tag !== 'INPUT' && tag !== 'SELECT' && tag !== 'TEXTAREA' && !el.isContentEditable)) {
      own = el.textContent;
      if (!/\S/.test(own)) {
        var img = el.querySelector('img[alt]');
        if (img) own = img.getAttribute('alt');
      }
    }
    var choices = [named, el.getAttribute('aria-label'), labels.join(' '), own,
                   el.getAttribute('placeholder'), el.getAttribute('title')];
    for (var c = 0; c < choices.length; c++) {
      if (choices[c] && /\S/.test(choices[c])) return said(choices[c]);
    }
    return '';
  }
  // A control as the program announces it, or null for any other element.
  function describe(el) {
    if (!el || el.nodeType !== 1) return null;
    var kind = controlKind(el);
    if (!kind) return null;
    var tag = el.tagName.toUpperCase();
    var value = '';
    if (tag === 'SELECT') {
      var chosen = el.selectedIndex >= 0 ? el.options[el.selectedIndex] : null;
      value = chosen ? chosen.text : '';
    } else if (kind === 'text' || kind === 'textarea') {
      value = tag === 'INPUT' || tag === 'TEXTAREA' ? el.value : el.textContent;
    }
    var aria = function (name) { return el.getAttribute(name) === 'true'; };
    var details = tag === 'SUMMARY' ? el.parentElement : null;
    return {kind: kind, label: controlLabel(el, kind), value: said(value),
            checked: !!el.checked || aria('aria-checked'), required: !!el.required ||
            aria('aria-required'), expanded: details ? !!details.open : aria('aria-expanded')};
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
    // A control's kind, label, value and state ({kind, label, value,
    // checked, required, expanded}), or null for what is no control.
    describe: describe,
    // The labels gathered for `describe` are read again from the page.
    forgetLabels: function () { labelCache = null; },
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
