// From the engine's "loaded" to "Pàgina carregada" and to the first unit,
// on a page of 2 MB and one of 20 MB in the real engine (offscreen): the
// parts that are the program's own, each timed alone. The snapshot (the
// script in the page, its answer carried over and made UTF-8) comes between
// the engine's "loaded" and "Pàgina carregada"; the conversion and the
// mark's index (built by the first mark on a document) come before the
// first unit, after the announcement's own 2.5 s.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <fstream>
#include <string>

#include "RealisticPage.h"
#include "qt/PageScripts.h"
#include "qt/QtText.h"
#include "qt/WebEngineBrowser.h"
#include "qt/WebEngineSetup.h"
#include "reading/PageConverter.h"
#include "reading/ReadingList.h"
#include "shell/PageEvents.h"

namespace {

using sonavia::qt::WebEngineBrowser;

// Spins the event loop until `done` or `ms` have passed.
bool WaitUntil(const std::function<bool()>& done, int ms = 120000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) {
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return done();
}

void Announcement(benchmark::State& state) {
  const size_t size = static_cast<size_t>(state.range(0)) * 1024 * 1024;
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("gran.htm")).toStdString();
  {
    std::ofstream out(path);
    out << "<!DOCTYPE html><html><head><meta charset='utf-8'><title>Gran</title></head>"
        << sonavia::bench::RealisticBody(size) << "</body></html>";
  }
  QWidget window;
  window.resize(1000, 700);
  WebEngineBrowser browser(&window);
  browser.View()->resize(1000, 700);
  window.show();
  QWebEnginePage* page = browser.View()->page();
  double snapshotMs = 0, conversionMs = 0, markMs = 0, loadMs = 0;
  int64_t bodyBytes = 0;
  for (auto _ : state) {
    bool loaded = false;
    auto connection = QObject::connect(page, &QWebEnginePage::loadFinished, [&] { loaded = true; });
    QElapsedTimer load;
    load.start();
    browser.Navigate("file://" + path);
    WaitUntil([&] { return loaded; });
    loadMs += static_cast<double>(load.elapsed());
    QObject::disconnect(connection);

    // The snapshot, as the component reads the top document.
    QElapsedTimer clock;
    clock.start();
    std::string body;
    bool read = false;
    page->runJavaScript(
        sonavia::qt::PageScriptCall(
            sonavia::qt::PageScript::Snapshot,
            {{QStringLiteral("longestTitle"), static_cast<int>(sonavia::shell::kLongestTitle)}}),
        QWebEngineScript::ApplicationWorld, [&](const QVariant& result) {
          body = sonavia::qt::ToCore(result.toMap().value(QStringLiteral("body")).toString());
          read = true;
        });
    WaitUntil([&] { return read; });
    const double snapshot = static_cast<double>(clock.nsecsElapsed()) / 1e6;

    clock.restart();
    sonavia::reading::ReadingList list;
    sonavia::reading::PageConverter converter(list, nullptr);
    converter.ConvertPage(body);
    const double conversion = static_cast<double>(clock.nsecsElapsed()) / 1e6;

    // The first mark on a document builds its text index.
    clock.restart();
    bool drawn = false;
    auto marked = QObject::connect(&browser, &WebEngineBrowser::readingMarkDrawn,
                                   [&](const QVariantMap&) { drawn = true; });
    int32_t first = 1;
    while (first < list.UnitCount && list.Unit(first).Kind != sonavia::reading::UnitKind::Text)
      ++first;
    browser.ShowReadingMark({sonavia::reading::MarkKind::Text, list.Unit(first).Text, 0});
    WaitUntil([&] { return drawn; });
    QObject::disconnect(marked);
    const double mark = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    browser.HideReadingMark();

    state.SetIterationTime((snapshot + conversion + mark) / 1000.0);
    snapshotMs += snapshot;
    conversionMs += conversion;
    markMs += mark;
    bodyBytes = static_cast<int64_t>(body.size());
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["engine_load_ms"] = loadMs / n;
  state.counters["snapshot_ms"] = snapshotMs / n;
  state.counters["conversion_ms"] = conversionMs / n;
  state.counters["mark_index_ms"] = markMs / n;
  state.counters["to_announcement_ms"] = snapshotMs / n;
  state.counters["to_first_unit_ms"] =
      (snapshotMs + conversionMs + markMs) / n + sonavia::shell::kPageLoadedWait;
  state.counters["body_bytes"] = static_cast<double>(bodyBytes);
}
BENCHMARK(Announcement)->Arg(2)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Announcement)->Arg(20)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  sonavia::qt::ConfigureWebEngineEnvironment();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
