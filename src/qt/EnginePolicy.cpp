#include "qt/EnginePolicy.h"

#include <QAuthenticator>
#include <QUrl>
#include <QWebEngineCertificateError>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>

namespace sonavia::qt {

EnginePolicy::EnginePolicy(QWebEnginePage* page, Failed failed) : QObject(page) {
  connect(page, &QWebEnginePage::authenticationRequired, this,
          [failed = std::move(failed)](const QUrl& url, QAuthenticator* authenticator) {
            *authenticator = QAuthenticator();
            failed(url.toDisplayString(), QStringLiteral("la p\u00e0gina demana una contrasenya"));
          });
  connect(page, &QWebEnginePage::proxyAuthenticationRequired, this,
          [](const QUrl&, QAuthenticator* authenticator, const QString&) {
            *authenticator = QAuthenticator();
          });
  connect(page, &QWebEnginePage::certificateError, this,
          [](QWebEngineCertificateError error) { error.rejectCertificate(); });
  connect(page, &QWebEnginePage::newWindowRequested, this,
          [this, page](QWebEngineNewWindowRequest& request) {
            if (!request.isUserInitiated()) return;
            const QUrl url = request.requestedUrl();
            QMetaObject::invokeMethod(
                this, [page, url] { page->load(url); }, Qt::QueuedConnection);
          });
}

}  // namespace sonavia::qt
