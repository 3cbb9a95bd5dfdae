// Serializes the top document's body the way a reader should meet it: what
// the reading passes over is left out, and each anchor with an address has
// it first, so the conversion finds every link; the links list holds
// exactly those anchors, in the same order. A line break in the page's text
// shows as a blank, and a block's end parts it from what follows, so that
// words on two lines or in two paragraphs are never read as one.
//
// A reading unit ends at the end of each block (a heading, a paragraph, a
// list item, a table cell), at a line break and at each line of
// preformatted text: there the serialization gives the conversion a
// sentence end of its own, ".<br>", which it consumes whole, so nothing
// more is heard. One is given only after something to read, so that no
// empty unit is made. A link whose content says nothing (an icon) is
// given the name a screen reader would say. A field or a button becomes a
// mark that the program reads as the control it is.
//
// Headings, lists and data tables are told by notes, each written as an
// image whose source is the structure mark "(S)" and its number, as a
// control is: {kind: 'heading', level}, {kind: 'list', items}, {kind:
// 'table', rows, columns}, {kind: 'header', text} (a cell's column header).
//
// Values: {longestTitle, article, readArticle}: no more of the title is
// taken, so that a title of megabytes never crosses to the program; with
// `article`, the article the reader script found is serialized as well,
// and with `readArticle` the reading mark takes its links and images.
// Answers {title, hasBody, body, links, controls, notes, lang, article},
// the article {title, body, links, controls, notes} or null; each control
// is described as the shared script describes one.
(function (values) {
  var page = window.__sonaviaPage;
  var VOID = {AREA:1, BASE:1, BR:1, COL:1, EMBED:1, HR:1, IMG:1, INPUT:1, LINK:1, META:1,
              PARAM:1, SOURCE:1, TRACK:1, WBR:1};
  var BLOCK = {ADDRESS:1, ARTICLE:1, ASIDE:1, BLOCKQUOTE:1, CAPTION:1, CENTER:1, DD:1,
               DETAILS:1, DIALOG:1, DIR:1, DIV:1, DL:1, DT:1, FIELDSET:1, FIGCAPTION:1,
               FIGURE:1, FOOTER:1, FORM:1, H1:1, H2:1, H3:1, H4:1, H5:1, H6:1, HEADER:1,
               HGROUP:1, HR:1, LEGEND:1, LI:1, MAIN:1, MENU:1, NAV:1, OL:1, P:1, PRE:1,
               SECTION:1, SUMMARY:1, TABLE:1, TD:1, TH:1, TR:1, UL:1};
  // Laid out as blocks whatever their tag.
  var BLOCK_DISPLAY = {'block':1, 'list-item':1, 'table':1, 'table-row':1, 'table-cell':1,
                       'table-caption':1, 'flex':1, 'grid':1, 'flow-root':1};
  // The conversion's own sentence end: a full stop and a line break.
  var END = '.<br>';
  // The end of a paragraph, just before its sentence end; never a page's own.
  var PARAGRAPH = '\u2029';
  var SAYS = /[\p{L}\p{N}]/u;
  // The body serialized; with `article` ({keep, path}), only what the
  // article holds, the elements on the way to it parting its blocks.
  function take(root, article) {
    var links = [];
    // The elements behind the conversion's links and images, in its order,
    // for the reading mark.
    var items = {links: [], images: []};
    // The controls outside links, each written as an image whose source is
    // the control mark and its number: a page's own text never holds an
    // opening bracket. No more than the reading can hold.
    var controls = [];
    var MOST_CONTROLS = 1000;
    var inLink = 0;
    var pre = 0;
    // Whether something to read has come since the last end of a unit.
    var pending = false;

    // The conversion marks links, images and sentence ends with words in
    // brackets ("(L)", "(PUNT)"): a bracket of the page's own is written as a
    // character reference, so that its text is never read as a mark.
    function escapeText(s) {
      return s.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
              .replace(/\(/g, '&#40;');
    }
    // Markup characters in an attribute would end or open a tag for the
    // conversion, which reads attributes as plain text.
    function attr(s) {
      return s.replace(/\u00a0/g, ' ').replace(/&/g, '&amp;').replace(/"/g, '&quot;')
              .replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/\(/g, '&#40;');
    }
    // Notes text that goes into the flow of the page's units; a ". " in it
    // has already ended a unit.
    function noteText(s) {
      if (inLink > 0) return;
      var stop = s.lastIndexOf('. ');
      if (stop >= 0) pending = SAYS.test(s.slice(stop + 2));
      else if (SAYS.test(s)) pending = true;
    }
    // The end of a unit where one is due; else `otherwise`. A block's end
    // is a paragraph's too, which the program keeps for its moves.
    function end(otherwise, paragraph) {
      if (!pending || inLink > 0) return otherwise;
      pending = false;
      return (paragraph ? PARAGRAPH : '') + END;
    }
    // A non-breaking space is a space to the ear: the conversion would join
    // the words on both sides of one.
    function text(s) {
      s = s.replace(/\u00a0|\u2029/g, ' ');
      if (pre === 0) {
        s = s.replace(/[ \t\r\n\f]+/g, ' ');
        // Blanks with nothing before them in the unit would only make one of
        // blanks before the next link or image.
        if (!pending && inLink === 0 && s === ' ') return '';
        noteText(s);
        return escapeText(s);
      }
      // Preformatted text is read line by line.
      var lines = s.split(/\r\n|\r|\n/), out = '';
      for (var i = 0; i < lines.length; i++) {
        if (i > 0) out += end(inLink > 0 ? ' ' : '');
        noteText(lines[i]);
        out += escapeText(lines[i]);
      }
      return out;
    }
    function isBlock(node, tag) {
      if (BLOCK[tag]) return true;
      var view = node.ownerDocument.defaultView || window;
      return BLOCK_DISPLAY[view.getComputedStyle(node).display] === 1;
    }
    // What a link's own content gives to say: its text and its images'
    // descriptions, as the reading would take them.
    function contentSays(node) {
      if (node.nodeType === 3) return SAYS.test(node.data);
      if (node.nodeType !== 1 || page.skipped(node)) return false;
      if (page.isImage(node)) return SAYS.test(node.getAttribute('alt') || '');
      for (var c = node.firstChild; c; c = c.nextSibling) {
        if (contentSays(c)) return true;
      }
      return false;
    }
    // The name a screen reader gives a link whose content says nothing: its
    // label, its title, its image's description, else the last part of its
    // address.
    function linkName(a) {
      var named = [a.getAttribute('aria-label'), a.getAttribute('title')];
      var pictures = a.querySelectorAll('img, svg, [role="img"]');
      for (var i = 0; i < pictures.length; i++) {
        var p = pictures[i], title = p.querySelector ? p.querySelector('title') : null;
        named.push(p.getAttribute('alt'), p.getAttribute('aria-label'), p.getAttribute('title'),
                   title ? title.textContent : null);
      }
      for (var k = 0; k < named.length; k++) {
        if (named[k] && SAYS.test(named[k])) return named[k].replace(/\s+/g, ' ').trim();
      }
      var href = a.getAttribute('href') || '';
      var path = href.split('#')[0].split('?')[0];
      var parts = path.split('/').filter(function (part) { return SAYS.test(part); });
      var last = parts.length ? parts[parts.length - 1] : href.split('#')[1] || href;
      try { last = decodeURIComponent(last); } catch (e) {}
      return last;
    }
    // What the structure of the page tells a listener: a heading's level,
    // a list's length, a data table's size and, before a cell, its column's
    // header when it is not the one said last. Written as an image whose
    // source is the structure mark and the note's number, as a control is.
    var notes = [], tables = new Map(), MOST_NOTES = 1000;
    function structure(node, tag) {
      if (notes.length >= MOST_NOTES) return '';
      var note = null, role = (node.getAttribute('role') || '').trim().toLowerCase();
      var level = /^H([1-6])$/.exec(tag);
      if (level) {
        note = {kind: 'heading', level: Number(level[1])};
      } else if (role === 'heading') {
        note = {kind: 'heading', level: Math.min(6, Math.max(1, parseInt(
            node.getAttribute('aria-level'), 10) || 2))};
      } else if (tag === 'UL' || tag === 'OL') {
        var count = 0;
        for (var li = node.firstElementChild; li; li = li.nextElementSibling) {
          if (li.tagName.toUpperCase() === 'LI' && !page.skipped(li)) count++;
        }
        if (count) note = {kind: 'list', items: count};
      } else if (tag === 'TABLE') {
        var table = tableOf(node);
        table.last = null;
        if (table.data) note = {kind: 'table', rows: table.rows, columns: table.columns};
      } else if (tag === 'TD') {
        var holder = node.closest('table'), info = holder ? tableOf(holder) : null;
        var header = info && info.data ? info.headers[columnOf(node)] : '';
        if (header && header !== info.last) note = {kind: 'header', text: header};
        if (info && header) info.last = header;
      }
      if (!note) return '';
      notes.push(note);
      items.images.push(node);
      pending = false;
      return '<img src="(S)' + notes.length + '">';
    }
    // Where a cell stands in its row, counting the columns the cells before
    // it span.
    function columnOf(cell) {
      var column = 0;
      for (var c = cell.previousElementSibling; c; c = c.previousElementSibling) {
        column += Math.max(1, c.colSpan || 1);
      }
      return column;
    }
    // A table of data says what it holds (it has headers, a caption or the
    // role of one); one that only lays the page out (no headers, or tables
    // inside it) says nothing.
    function tableOf(t) {
      var info = tables.get(t);
      if (info) return info;
      info = {data: false, rows: 0, columns: 0, headers: [], last: null};
      tables.set(t, info);
      var role = (t.getAttribute('role') || '').trim().toLowerCase();
      if (role === 'presentation' || role === 'none' || !t.rows) return info;
      info.rows = t.rows.length;
      for (var r = 0; r < t.rows.length; r++) {
        var width = 0, cells = t.rows[r].cells;
        for (var k = 0; k < cells.length; k++) width += Math.max(1, cells[k].colSpan || 1);
        info.columns = Math.max(info.columns, width);
      }
      if (t.querySelector('table') || !info.rows || !info.columns) return info;
      // Header cells alone make no table of data: a documentation page's
      // navigation bar has a title cell over one row of links.
      var rowsOfData = 0;
      for (var d = 0; d < t.rows.length; d++) {
        if (t.rows[d].querySelector('td')) rowsOfData++;
      }
      info.data = !!(t.caption || role === 'table' || role === 'grid' ||
                     ((t.tHead || t.querySelector('th')) && rowsOfData >= 2));
      var head = t.tHead && t.tHead.rows.length ? t.tHead.rows[t.tHead.rows.length - 1]
                                                 : t.rows[0];
      // A header over the whole table is its title, not a column's.
      var all = head.cells.length > 1 || (head.cells.length === 1 && info.columns === 1);
      for (var h = 0; h < head.cells.length; h++) {
        if (head.cells[h].tagName.toUpperCase() !== 'TH') all = false;
      }
      if (!all) return info;
      for (var i = 0, column = 0; i < head.cells.length; i++) {
        var said = head.cells[i].textContent.replace(/\s+/g, ' ').trim().slice(0, 200);
        var span = Math.max(1, head.cells[i].colSpan || 1);
        for (var s = 0; s < span; s++) info.headers[column + s] = SAYS.test(said) ? said : '';
        column += span;
      }
      return info;
    }
    function serialize(node) {
      if (node.nodeType === 3) {
        if (article && !article.keep.has(node.parentNode)) return '';
        return text(node.data);
      }
      if (node.nodeType !== 1 || page.skipped(node)) return '';
      if (article && !article.keep.has(node)) {
        if (!article.path.has(node)) return '';
        // On the way to the article: only what it holds, its blocks parted.
        var inner = end('', true);
        for (var p = node.firstChild; p; p = p.nextSibling) inner += serialize(p);
        return inner + end('', true);
      }
      var tag = node.tagName.toUpperCase();
      // Past the most, a control is serialized as any element.
      var control = inLink === 0 && controls.length < MOST_CONTROLS && !page.isLink(node)
                        ? page.describe(node) : null;
      if (control) {
        controls.push(control);
        items.images.push(node);
        // It parts the units around it, as an image does.
        var before = isBlock(node, tag) ? end('') : '';
        pending = false;
        return before + '<img src="(C)' + controls.length + '">';
      }
      // In a link's text a line break or a block only parts the words.
      if (tag === 'BR') return inLink > 0 ? ' ' : end('<br>');
      var blockish = isBlock(node, tag);
      var block = inLink === 0 && blockish;
      var out = block ? end('', true) : '';
      if (inLink === 0) out += structure(node, tag);
      if (inLink === 0 && page.isImage(node)) items.images.push(node);
      var name = node.localName;
      out += '<' + name;
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
      if (VOID[tag]) {
        // An image parts the units around it; what follows starts anew.
        if (inLink === 0 && page.isImage(node)) pending = false;
        return out;
      }
      if (tag === 'PRE') pre++;
      if (isLink) inLink++;
      if (isLink && !contentSays(node)) {
        out += escapeText(linkName(node));
      } else {
        for (var c = node.firstChild; c; c = c.nextSibling) out += serialize(c);
      }
      if (isLink) inLink--;
      if (tag === 'PRE') pre--;
      out += '</' + name + '>';
      // A link parts the units around it as an image does.
      if (isLink && inLink === 0) pending = false;
      return out + (block ? end('', true) : blockish ? ' ' : '');
    }
    var html = root ? serialize(root) : '';
    return {html: html, links: links, items: items, controls: controls, notes: notes};
  }
  // The language the document says it is in: its root element's, else its
  // head's.
  function language() {
    var root = document.documentElement;
    var lang = root ? root.getAttribute('lang') || root.getAttribute('xml:lang') ||
               root.getAttributeNS('http://www.w3.org/XML/1998/namespace', 'lang') : '';
    if (!lang) {
      var meta = document.querySelector('meta[http-equiv="content-language" i]');
      if (meta) lang = (meta.getAttribute('content') || '').split(',')[0];
    }
    return (lang || '').trim();
  }
  var body = document.body;
  page.forgetLabels();
  var whole = take(body, null);
  // The article, when the reader found one: read first, the whole page one
  // key away.
  var article = values.article ? page.article : null;
  var found = article ? take(body, article) : null;
  if (found) found.title = article.title;
  page.pageItems = whole.items;
  page.articleItems = found ? found.items : null;
  page.items = found && values.readArticle ? found.items : whole.items;
  // What the change watcher counts: the article while it is read.
  page.articleKeep = found ? article.keep : null;
  page.readKeep = found && values.readArticle ? article.keep : null;
  page.article = null;
  // One character more than is kept, so that the program sees it was cut;
  // counted in characters, so that none is split in two.
  function cut(title) {
    if (title.length <= values.longestTitle) return title;
    return Array.from(title.slice(0, 2 * values.longestTitle + 2))
                .slice(0, values.longestTitle + 1).join('');
  }
  return {title: cut(document.title), hasBody: !!body, body: whole.html, links: whole.links,
          controls: whole.controls, notes: whole.notes, lang: language(),
          article: found && found.html ? {title: cut(found.title || document.title),
                                          body: found.html, links: found.links,
                                          controls: found.controls, notes: found.notes}
                                       : null};
})
