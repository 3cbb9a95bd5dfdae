// What has the keyboard in the page, through the frames it may reach, as
// "tag:type" in lower case ("input:date", "select:select-one"); empty for
// nothing.
//
// Values: none.
(function () {
  var element = document.activeElement;
  try {
    while (element && element.contentDocument && element.contentDocument.activeElement) {
      element = element.contentDocument.activeElement;
    }
  } catch (e) {
    // A frame of another site: what is inside is not ours to see.
  }
  return element ? (element.tagName + ':' + (element.type || '')).toLowerCase() : '';
})
