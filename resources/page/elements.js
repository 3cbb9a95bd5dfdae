// What a switch user can press on the page: its links, buttons, fields,
// check boxes, lists and summaries that show and are enabled, in the page's
// order, a consent dialog's buttons first (a visible dialog or banner whose
// buttons accept or refuse cookies). The elements are kept for the mark,
// which frames them, and for a press.
//
// Values: {op: 'list'} answers {consent, elements: [description]}; {op:
// 'press', index} presses the element at `index` of the last list (from 0):
// a field takes the keyboard, anything else is clicked as well; {op: 'type',
// index, text} puts the text in that field, as typing would.
(function (values) {
  var page = window.__sonaviaPage;
  if (!page) return {consent: 0, elements: []};
  var MOST = 2000;
  var SELECTOR = 'a[href], button, input, select, textarea, summary, [role="button"], ' +
                 '[role="link"], [role="checkbox"], [role="switch"], [role="radio"], ' +
                 '[role="textbox"], [role="searchbox"], [role="combobox"], [contenteditable]';
  var CONSENT_BOX = /cookie|consent|gdpr|rgpd/i;
  var CONSENT_WORD = /accept|acept|d'acord|de acuerdo|agree|allow|permet|rebutj|rechaz|reject|refuse|decline|deny|denega/i;
  function shows(el) {
    if (el.disabled || el.getAttribute('aria-disabled') === 'true') return false;
    for (var n = el; n && n.nodeType === 1; n = n.parentElement) {
      if (page.skipped(n)) return false;
    }
    return el.getClientRects().length > 0;
  }
  function consentBox(el) {
    for (var n = el.parentElement; n && n !== document.body; n = n.parentElement) {
      var role = n.getAttribute('role') || '';
      var dialog = n.tagName === 'DIALOG' || /dialog|alertdialog|banner|region/.test(role) ||
                   n.getAttribute('aria-modal') === 'true';
      if ((dialog || CONSENT_BOX.test(n.id + ' ' + n.className)) &&
          CONSENT_BOX.test((n.id + ' ' + n.className + ' ' + (n.getAttribute('aria-label') || '') +
                            ' ' + n.textContent.slice(0, 2000)))) {
        return true;
      }
    }
    return false;
  }
  if (values.op === 'press') {
    var el = (page.elements || [])[values.index];
    if (!el || !el.isConnected) return false;
    var kind = page.describe(el) ? page.describe(el).kind : '';
    el.scrollIntoView({block: 'center', inline: 'nearest'});
    el.focus();
    if (!/^(text|password|textarea|list)$/.test(kind)) el.click();
    return true;
  }
  if (values.op === 'type') {
    var field = (page.elements || [])[values.index];
    if (!field || !field.isConnected) return false;
    if (field.isContentEditable) {
      field.textContent = values.text;
    } else if ('value' in field) {
      field.value = values.text;
    } else {
      return false;
    }
    // The page hears it as typing.
    field.dispatchEvent(new Event('input', {bubbles: true}));
    field.dispatchEvent(new Event('change', {bubbles: true}));
    return true;
  }
  page.forgetLabels();
  var first = [], rest = [], found = document.querySelectorAll(SELECTOR);
  for (var i = 0; i < found.length && first.length + rest.length < MOST; i++) {
    var node = found[i], control = page.describe(node);
    if (!control || !shows(node)) continue;
    var offer = {el: node, control: control};
    if (first.length < 8 && (control.kind === 'button' || control.kind === 'link') &&
        CONSENT_WORD.test(control.label) && consentBox(node)) {
      first.push(offer);
    } else {
      rest.push(offer);
    }
  }
  var all = first.concat(rest);
  page.elements = all.map(function (o) { return o.el; });
  return {consent: first.length,
          elements: all.map(function (o) { return o.control; })};
})
