// Serializes the top document's body the way a reader should meet it: what
// the reading passes over is left out, and each anchor with an address has
// it first, so the conversion finds every link; the links list holds
// exactly those anchors, in the same order. A line break in the page's text
// shows as a blank, and a block's end parts it from what follows, so that
// words on two lines or in two paragraphs are never read as one.
//
// Values: {longestTitle}: no more of the title is taken, so that a title of
// megabytes never crosses to the program. Answers {title, hasBody, body,
// links}.
(function (values) {
  var page = window.__sonaviaPage;
  var VOID = {AREA:1, BASE:1, BR:1, COL:1, EMBED:1, HR:1, IMG:1, INPUT:1, LINK:1, META:1,
              PARAM:1, SOURCE:1, TRACK:1, WBR:1};
  var BLOCK = {ADDRESS:1, ARTICLE:1, ASIDE:1, BLOCKQUOTE:1, DD:1, DIV:1, DL:1, DT:1,
               FIGCAPTION:1, FIGURE:1, FOOTER:1, FORM:1, H1:1, H2:1, H3:1, H4:1, H5:1, H6:1,
               HEADER:1, LI:1, MAIN:1, NAV:1, OL:1, P:1, PRE:1, SECTION:1, TABLE:1, TD:1,
               TH:1, TR:1, UL:1};
  var links = [];
  // The elements behind the conversion's links and images, in its order,
  // for the reading mark.
  var items = {links: [], images: []};
  var inLink = 0;
  var pre = 0;
  function text(s) {
    if (pre === 0) s = s.replace(/[\r\n]+/g, ' ');
    return s.replace(/&/g, '&amp;').replace(/\u00a0/g, '&nbsp;')
            .replace(/</g, '&lt;').replace(/>/g, '&gt;');
  }
  // Markup characters in an attribute would end or open a tag for the
  // conversion, which reads attributes as plain text.
  function attr(s) {
    return s.replace(/&/g, '&amp;').replace(/\u00a0/g, '&nbsp;').replace(/"/g, '&quot;')
            .replace(/</g, '&lt;').replace(/>/g, '&gt;');
  }
  function serialize(node) {
    if (node.nodeType === 3) return text(node.data);
    if (node.nodeType !== 1 || page.skipped(node)) return '';
    var tag = node.tagName.toUpperCase();
    if (inLink === 0 && page.isImage(node)) items.images.push(node);
    var name = node.localName;
    var out = '<' + name;
    var isLink = page.isLink(node);
    if (isLink) {
      out += ' href="' + attr(node.getAttribute('href')) + '"';
      links.push(page.address(node));
      items.links.push(node);
    }
    for (var i = 0; i < node.attributes.length; i++) {
      var a = node.attributes[i];
      if (isLink && a.name === 'href') continue;
      out += ' ' + a.name + '="' + attr(a.value) + '"';
    }
    out += '>';
    if (VOID[tag]) return out;
    if (tag === 'PRE') pre++;
    if (isLink) inLink++;
    for (var c = node.firstChild; c; c = c.nextSibling) out += serialize(c);
    if (isLink) inLink--;
    if (tag === 'PRE') pre--;
    return out + '</' + name + '>' + (BLOCK[tag] ? ' ' : '');
  }
  var body = document.body;
  var html = body ? serialize(body) : '';
  page.items = items;
  var title = document.title;
  // One character more than is kept, so that the program sees it was cut.
  if (title.length > values.longestTitle) title = title.slice(0, values.longestTitle + 1);
  return {title: title, hasBody: !!body, body: html, links: links};
})
