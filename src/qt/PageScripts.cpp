#include "qt/PageScripts.h"

#include <QFile>
#include <QJsonDocument>
#include <array>

// The scripts are compiled into this static library; its resources must be
// named to be kept.
static void InitPageScripts() {
  Q_INIT_RESOURCE(page_scripts);
}

namespace sonavia::qt {

namespace {

constexpr std::array kFiles = {
    ":/page/shared.js",          ":/page/events.js",         ":/page/snapshot.js",
    ":/page/next-frame.js",      ":/page/mark.js",           ":/page/mark-call.js",
    ":/page/collect.js",         ":/page/hide-collector.js", ":/page/page-media.js",
    ":/page/focused-control.js", ":/page/quiet-console.js",  ":/page/elements.js"};

const QString& Source(PageScript script) {
  static const std::array<QString, kFiles.size()> sources = [] {
    InitPageScripts();
    std::array<QString, kFiles.size()> read;
    for (size_t i = 0; i < kFiles.size(); ++i) {
      QFile file(QString::fromLatin1(kFiles[i]));
      // Without its scripts the program cannot read a page: a build fault.
      if (!file.open(QIODevice::ReadOnly)) qFatal("page script %s is missing", kFiles[i]);
      read[i] = QString::fromUtf8(file.readAll());
    }
    return read;
  }();
  return sources.at(static_cast<size_t>(script));
}

}  // namespace

QString PageScriptCall(PageScript script, const QJsonObject& values) {
  // A line break before the closing parenthesis, so that a comment on the
  // file's last line cannot swallow it.
  return QLatin1Char('(') + Source(script) + QStringLiteral("\n)(") +
         QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact)) + QLatin1Char(')');
}

}  // namespace sonavia::qt
