#include "qt/PageScripts.h"

#include <QFile>
#include <QJsonDocument>
#include <array>

// The scripts are compiled into this static library; its resources must be
// named to be kept.
static void InitPageScripts() {
  Q_INIT_RESOURCE(page_scripts);
  Q_INIT_RESOURCE(page_libraries);
}

namespace sonavia::qt {

namespace {

constexpr std::array kFiles = {
    ":/page/shared.js",          ":/page/events.js",         ":/page/snapshot.js",
    ":/page/next-frame.js",      ":/page/mark.js",           ":/page/mark-call.js",
    ":/page/collect.js",         ":/page/hide-collector.js", ":/page/page-media.js",
    ":/page/focused-control.js", ":/page/quiet-console.js",  ":/page/elements.js",
    ":/page/reader.js",          ":/page/changes.js"};

QString ReadResource(const char* name) {
  QFile file(QString::fromLatin1(name));
  // Without its scripts the program cannot read a page: a build fault.
  if (!file.open(QIODevice::ReadOnly)) qFatal("page script %s is missing", name);
  return QString::fromUtf8(file.readAll());
}

const QString& Source(PageScript script) {
  static const std::array<QString, kFiles.size()> sources = [] {
    InitPageScripts();
    std::array<QString, kFiles.size()> read;
    for (size_t i = 0; i < kFiles.size(); ++i) read[i] = ReadResource(kFiles[i]);
    return read;
  }();
  return sources.at(static_cast<size_t>(script));
}

}  // namespace

const QString& ReaderLibrary() {
  static const QString source = [] {
    InitPageScripts();
    // Each file is a script of its own; a line break keeps a last comment
    // from running into the next.
    return ReadResource(":/page/Readability.js") + QStringLiteral("\n;\n") +
           ReadResource(":/page/Readability-readerable.js") + QStringLiteral("\n;\n");
  }();
  return source;
}

QString PageScriptCall(PageScript script, const QJsonObject& values) {
  // A line break before the closing parenthesis, so that a comment on the
  // file's last line cannot swallow it.
  return QLatin1Char('(') + Source(script) + QStringLiteral("\n)(") +
         QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact)) + QLatin1Char(')');
}

}  // namespace sonavia::qt
