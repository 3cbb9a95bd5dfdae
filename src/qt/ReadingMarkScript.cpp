#include "qt/ReadingMarkScript.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include "qt/PageScripts.h"
#include "qt/QtText.h"

namespace sonavia::qt {

ReadingMarkScript::ReadingMarkScript(QWebEnginePage* page, QObject* parent)
    : QObject(parent), page_(page) {}

void ReadingMarkScript::Show(const reading::ReadingMark& mark) {
  QJsonObject request;
  request[QStringLiteral("op")] = QStringLiteral("show");
  request[QStringLiteral("kind")] = mark.kind == reading::MarkKind::Text ? QStringLiteral("text")
                                    : mark.kind == reading::MarkKind::Image
                                        ? QStringLiteral("image")
                                        : QStringLiteral("link");
  request[QStringLiteral("text")] = FromCore(mark.text);
  request[QStringLiteral("item")] = mark.item;
  Run(request, false);
}

void ReadingMarkScript::ShowElements(int first, int last) {
  Run({{QStringLiteral("op"), QStringLiteral("show")},
       {QStringLiteral("kind"), QStringLiteral("elements")},
       {QStringLiteral("item"), first + 1},
       {QStringLiteral("last"), last + 1}},
      false);
}

void ReadingMarkScript::Hide() {
  Run({{QStringLiteral("op"), QStringLiteral("hide")}}, false);
}

void ReadingMarkScript::Run(const QJsonObject& given, bool install) {
  QPointer<ReadingMarkScript> self(this);
  // The mark's bands keep their thickness on the screen at any zoom.
  QJsonObject request = given;
  request[QStringLiteral("zoom")] = page_->zoomFactor();
  const bool show = request.value(QStringLiteral("op")).toString() == QStringLiteral("show");
  page_->runJavaScript(PageScriptCall(install ? PageScript::Mark : PageScript::MarkCall, request),
                       QWebEngineScript::ApplicationWorld,
                       [self, show, request, install](const QVariant& result) {
                         if (self == nullptr) return;
                         const QVariantMap map = result.toMap();
                         if (!install && map.value(QStringLiteral("install")).toBool()) {
                           self->Run(request, true);
                         } else if (show) {
                           emit self->drawn(map);
                         }
                       });
}

}  // namespace sonavia::qt
