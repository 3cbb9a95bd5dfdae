// The page's sound and pictures in motion, as the program asks: under the
// speech (each playing element's volume lowered, and put back), paused with
// the reading and played again with it. Works on the document and the
// frames it may reach; the state lives in the program's world, where the
// page cannot see it. What the page starts while its sound is under the
// speech is lowered as it starts.
//
// Values: {action: "under" | "full" | "pause" | "resume", level}.
(function (values) {
  var state = window.__sonaviaMedia;
  if (!state) {
    state = window.__sonaviaMedia = {
      under: false, level: 1, volumes: new Map(), paused: [], watched: new WeakSet()
    };
  }
  function lower(media) {
    if (!state.volumes.has(media)) state.volumes.set(media, media.volume);
    media.volume = state.volumes.get(media) * state.level;
  }
  function documents(doc, found) {
    found.push(doc);
    var frames = doc.querySelectorAll('iframe, frame');
    for (var i = 0; i < frames.length; i++) {
      var inner = null;
      try { inner = frames[i].contentDocument; } catch (e) { inner = null; }
      if (inner) documents(inner, found);
    }
    return found;
  }
  var docs = documents(document, []);
  var media = [];
  docs.forEach(function (doc) {
    if (!state.watched.has(doc)) {
      state.watched.add(doc);
      doc.addEventListener('play', function (e) {
        if (state.under && e.target instanceof HTMLMediaElement) lower(e.target);
      }, true);
    }
    media = media.concat(Array.prototype.slice.call(doc.querySelectorAll('audio, video')));
  });
  if (values.action === 'under') {
    state.under = true;
    state.level = values.level;
    media.forEach(lower);
  } else if (values.action === 'full') {
    state.under = false;
    state.volumes.forEach(function (volume, element) { element.volume = volume; });
    state.volumes.clear();
  } else if (values.action === 'pause') {
    media.forEach(function (element) {
      if (!element.paused) {
        element.pause();
        state.paused.push(element);
      }
    });
  } else if (values.action === 'resume') {
    var paused = state.paused;
    state.paused = [];
    paused.forEach(function (element) {
      var played = element.play();
      if (played && played.catch) played.catch(function () {});
    });
  }
  return media.length;
})
