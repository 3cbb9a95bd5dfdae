#include "qt/EnginePolicy.h"

#include <QAuthenticator>
#include <QUrl>
#include <QWebEngineCertificateError>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>

namespace sonavia::qt {

namespace {

shell::PageAsk AskOf(QWebEnginePage::Feature feature) {
  switch (feature) {
    case QWebEnginePage::Geolocation:
      return shell::PageAsk::Location;
    case QWebEnginePage::Notifications:
      return shell::PageAsk::Notifications;
    case QWebEnginePage::MediaVideoCapture:
      return shell::PageAsk::Camera;
    case QWebEnginePage::MediaAudioCapture:
      return shell::PageAsk::Microphone;
    case QWebEnginePage::MediaAudioVideoCapture:
      return shell::PageAsk::CameraAndMicrophone;
    case QWebEnginePage::DesktopVideoCapture:
    case QWebEnginePage::DesktopAudioVideoCapture:
      return shell::PageAsk::Screen;
    default:
      return shell::PageAsk::Other;
  }
}

}  // namespace

EnginePolicy::EnginePolicy(QWebEnginePage* page, Failed failed, Refused refused) : QObject(page) {
  // Refused at once: a request left unanswered holds the page's script,
  // and nobody is there to answer it.
  connect(page, &QWebEnginePage::featurePermissionRequested, this,
          [page, refused](const QUrl& origin, QWebEnginePage::Feature feature) {
            page->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            refused(AskOf(feature));
          });
  connect(page, &QWebEnginePage::fileSystemAccessRequested, this,
          [refused](QWebEngineFileSystemAccessRequest request) {
            request.reject();
            refused(shell::PageAsk::Other);
          });
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
