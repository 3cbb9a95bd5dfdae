// The scripts that run in the page (resources/page): each file is one
// function expression, called with one object of values. They run in the
// program's own script world, never the page's.
#pragma once

#include <QJsonObject>
#include <QString>

namespace sonavia::qt {

enum class PageScript {
  Shared,          // what the others agree on; installed in every document
  Events,          // reports link focus and frame completions; in every frame
  Snapshot,        // the top document as the conversion reads it
  NextFrame,       // moves the keyboard focus to the next frame
  Mark,            // marks the unit being read
  MarkCall,        // calls the mark already installed in the document
  Collect,         // a full garbage collection of the page process
  HideCollector,   // in the page's own world: takes the collection away
  Media,           // the page's sound: under the speech, paused, played again
  FocusedControl,  // what has the keyboard in the page
  QuietConsole,    // in the page's own world: a few console messages a second
  Elements,        // what a switch user can press on the page, and a press
  Reader,          // finds the page's article with the reader-view library
  Changes,         // reports how much of the page changed after it was read
};

// A call of `script` with `values`, ready to run. The scripts are read from
// the program's resources once.
QString PageScriptCall(PageScript script, const QJsonObject& values = {});

// The reader-view library's source, which defines its functions in the
// world it runs in; the reader script calls them.
const QString& ReaderLibrary();

}  // namespace sonavia::qt
