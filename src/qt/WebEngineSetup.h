// What the embedded browser needs from the program's start: its settings,
// made before the application object exists, and whether it is there at all.
#pragma once

namespace sonavia::qt {

// The name under which the page process offers a full garbage collection
// to the program's scripts: chosen at each start, so that no page can know
// it; the page's own world loses it before its scripts run.
const char* PageCollector();

// Settings the embedded browser needs before the application exists:
// no sandbox when running as root, no GPU where the display has none, a
// full collection the program can ask the page process for.
void ConfigureWebEngineEnvironment();

// The page's sound reaches the desktop's mixer as "Sonavia: pàgina", apart
// from the speech's "Sonavia": the engine names its sound after the
// application's name as it is when the engine starts, which this does.
// Called once the application object exists and before any page.
void NamePageSound();

// Whether assistive technology is at work on the desktop: the
// accessibility bus says so (a screen reader, or the toolkits' support
// switched on), or Qt is told to serve it always.
bool AssistiveTechnologyActive();
// Whether the accessibility bus says a screen reader is at work.
bool ScreenReaderActive();

// When it is, the engine offers the pages' content to it too, which it
// otherwise leaves out. Called after the application object is made and
// before the first page.
void ExposePagesToAssistiveTechnology();

// Whether the web browser component can be hosted: its helper process must
// be there for any page to show.
bool BrowserComponentAvailable();

}  // namespace sonavia::qt
