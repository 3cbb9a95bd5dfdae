#include "qt/WebEngineBrowser.h"

#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>
#include <QVariantMap>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include "platform/UnitTools.h"
#include "qt/QtText.h"

namespace sonavia::qt {

namespace {

// Console messages with this prefix come from our own script, from any
// frame (the web channel would reach only the top one).
const QString kPrefix = QStringLiteral("\x01sonavia:");

// Runs in every frame as it is created: reports a keyboard focus moving
// onto a link, and the completion of a frame's document.
const char* const kEventScript = R"JS(
(function () {
  var prefix = '\x01sonavia:';
  document.addEventListener('focusin', function (e) {
    var t = e.target;
    while (t && !(t.tagName === 'A' && t.hasAttribute('href'))) t = t.parentElement;
    if (t) console.log(prefix + 'focus:' + t.href);
  }, true);
  if (window !== window.top) {
    window.addEventListener('load', function () { console.log(prefix + 'frame-complete'); });
  }
})();
)JS";

// Serializes the body the way a reader should meet it: what is not
// rendered is left out, and each anchor with an address has it first, so
// the conversion finds every link; the links list holds exactly those
// anchors, in the same order.
const char* const kSnapshotScript = R"JS(
(function () {
  var VOID = {AREA:1, BASE:1, BR:1, COL:1, EMBED:1, HR:1, IMG:1, INPUT:1, LINK:1, META:1,
              PARAM:1, SOURCE:1, TRACK:1, WBR:1};
  var SKIP = {SCRIPT:1, STYLE:1, TEMPLATE:1, NOSCRIPT:1};
  var links = [];
  function text(s) {
    return s.replace(/&/g, '&amp;').replace(/\u00a0/g, '&nbsp;')
            .replace(/</g, '&lt;').replace(/>/g, '&gt;');
  }
  function attr(s) {
    return s.replace(/&/g, '&amp;').replace(/\u00a0/g, '&nbsp;').replace(/"/g, '&quot;');
  }
  function hidden(el) {
    if (el.hasAttribute('hidden') || el.getAttribute('aria-hidden') === 'true') return true;
    var cs = window.getComputedStyle(el);
    return cs.display === 'none' || cs.visibility === 'hidden';
  }
  function serialize(node) {
    if (node.nodeType === 3) return text(node.data);
    if (node.nodeType !== 1) return '';
    var tag = node.tagName.toUpperCase();
    if (SKIP[tag] || hidden(node)) return '';
    var name = node.localName;
    var out = '<' + name;
    var isLink = tag === 'A' && node.hasAttribute('href');
    if (isLink) {
      out += ' href="' + attr(node.getAttribute('href')) + '"';
      links.push(node.href);
    }
    for (var i = 0; i < node.attributes.length; i++) {
      var a = node.attributes[i];
      if (isLink && a.name === 'href') continue;
      out += ' ' + a.name + '="' + attr(a.value) + '"';
    }
    out += '>';
    if (VOID[tag]) return out;
    for (var c = node.firstChild; c; c = c.nextSibling) out += serialize(c);
    return out + '</' + name + '>';
  }
  var body = document.body;
  return {title: document.title, hasBody: !!body, body: body ? serialize(body) : '', links: links};
})()
)JS";

QString WithSpaces(const QString& address) {
  QString shown = address;
  return shown.replace(QStringLiteral("%20"), QStringLiteral(" "));
}

}  // namespace

class WebEnginePage : public QWebEnginePage {
 public:
  WebEnginePage(QWebEngineProfile* profile, WebEngineBrowser* browser)
      : QWebEnginePage(profile, browser), browser_(browser) {}

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                const QString&) override {
    if (message.startsWith(kPrefix)) browser_->OnScriptMessage(message.mid(kPrefix.size()));
  }

 private:
  WebEngineBrowser* browser_;
};

WebEngineBrowser::WebEngineBrowser(QWidget* parent) : QObject(parent) {
  view_ = new QWebEngineView(parent);
  page_ = new WebEnginePage(QWebEngineProfile::defaultProfile(), this);
  QWebEngineScript script;
  script.setName(QStringLiteral("sonavia-events"));
  script.setSourceCode(QString::fromUtf8(kEventScript));
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::ApplicationWorld);
  script.setRunsOnSubFrames(true);
  page_->scripts().insert(script);
  view_->setPage(page_);

  connect(page_, &QWebEnginePage::loadStarted, this, &WebEngineBrowser::OnLoadStarted);
  connect(page_, &QWebEnginePage::loadProgress, this,
          [this](int progress) { Raise(events.ProgressChange, progress, 100); });
  connect(page_, &QWebEnginePage::urlChanged, this, [this] { Raise(events.NavigateComplete2); });
  connect(page_, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::OnLoadingChanged);
  connect(page_, &QWebEnginePage::loadFinished, this, &WebEngineBrowser::OnLoadFinished);
  connect(page_, &QWebEnginePage::linkHovered, this, &WebEngineBrowser::OnLinkHovered);
}

WebEngineBrowser::~WebEngineBrowser() {
  ++load_;  // late script results find nothing to do
  if (view_ != nullptr) view_->setPage(nullptr);
  delete page_;
}

void WebEngineBrowser::Navigate(const std::string& address) {
  // As an address bar takes it: "www.xtec.cat" is a web address, an
  // absolute path a file.
  const QUrl url = QUrl::fromUserInput(FromCp1252(address));
  if (!url.isValid()) throw shell::BrowserError("not an address");
  page_->load(url);
}

void WebEngineBrowser::GoBack() {
  page_->triggerAction(QWebEnginePage::Back);
}
void WebEngineBrowser::GoForward() {
  page_->triggerAction(QWebEnginePage::Forward);
}
void WebEngineBrowser::Refresh() {
  page_->triggerAction(QWebEnginePage::Reload);
}
void WebEngineBrowser::Stop() {
  page_->triggerAction(QWebEnginePage::Stop);
}

int32_t WebEngineBrowser::QueryStatusWB(int32_t command) {
  if (command == shell::OLECMDID_PRINT) {
    const bool shown = !page_->url().isEmpty() && document_.has_value();
    return shell::OLECMDF_SUPPORTED | (shown ? shell::OLECMDF_ENABLED : 0);
  }
  if (command == shell::OLECMDID_SAVECOPYAS) return shell::OLECMDF_SUPPORTED;
  return 0;
}

void WebEngineBrowser::ExecWB(int32_t command, int32_t option) {
  if (command != shell::OLECMDID_PRINT || option != shell::OLECMDEXECOPT_PROMPTUSER) {
    throw shell::BrowserError("command not supported");
  }
  auto* printer = new QPrinter(QPrinter::HighResolution);
  QPrintDialog dialog(printer, view_);
  if (dialog.exec() != QDialog::Accepted || view_ == nullptr) {
    delete printer;
    return;
  }
  // Printing goes on in the background; the printer lives until it ends.
  connect(
      view_.data(), &QWebEngineView::printFinished, this, [printer](bool) { delete printer; },
      Qt::SingleShotConnection);
  view_->print(printer);
}

const shell::BrowserDocument& WebEngineBrowser::Document() {
  if (!document_) throw shell::BrowserError("no document yet");
  return *document_;
}

std::string WebEngineBrowser::LocationURL() {
  return ToCp1252(QString::fromUtf8(page_->url().toEncoded()));
}

std::string WebEngineBrowser::LocationName() {
  // The last segment of the same text as LocationURL, so that cutting it
  // off leaves the document's folder.
  const QUrl url = page_->url();
  const QString path = QString::fromUtf8(url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority |
                                                       QUrl::RemoveQuery | QUrl::RemoveFragment));
  return ToCp1252(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
}

void WebEngineBrowser::OnLoadStarted() {
  ++load_;
  busy_ = true;
  Raise(events.DownloadBegin);
}

void WebEngineBrowser::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
  if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus) return;
  // An error page that the server sends is a page like any other; a load
  // stopped or replaced by another is no failure either.
  if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain) return;
  if (info.errorCode() == -3) return;  // aborted
  ShowNavigationError(info.url().toDisplayString(), info.errorString());
}

void WebEngineBrowser::OnLoadFinished(bool /*ok*/) {
  Raise(events.DownloadComplete);
  TakeSnapshot([this] {
    busy_ = false;
    RaiseStatus(QString::fromLatin1(shell::kStatusDone));
    Raise(events.DocumentComplete);
  });
}

void WebEngineBrowser::OnScriptMessage(const QString& message) {
  if (message.startsWith(QStringLiteral("focus:"))) {
    const QString text = WithSpaces(message.mid(6));
    // A focus move that the hover signal has just reported already.
    if (text != lastStatus_) RaiseStatus(text);
  } else if (message == QStringLiteral("frame-complete") && busy_) {
    TakeSnapshot([this] { Raise(events.DocumentComplete); });
  }
}

void WebEngineBrowser::OnLinkHovered(const QString& url) {
  // An empty text comes with every page commit as well as when the pointer
  // leaves a link; the behaviour ignores empty texts anyway.
  if (url.isEmpty()) return;
  RaiseStatus(WithSpaces(url));
}

void WebEngineBrowser::RaiseStatus(const QString& text) {
  lastStatus_ = text;
  Raise(events.StatusTextChange, ToCp1252(text));
}

void WebEngineBrowser::TakeSnapshot(std::function<void()> then) {
  const uint64_t load = load_;
  QPointer<WebEngineBrowser> self(this);
  page_->runJavaScript(QString::fromUtf8(kSnapshotScript), QWebEngineScript::ApplicationWorld,
                       [self, load, then = std::move(then)](const QVariant& result) {
                         // The page may be gone, or a newer load may have begun.
                         if (self == nullptr || self->load_ != load) return;
                         const QVariantMap map = result.toMap();
                         std::vector<std::string> links;
                         for (const QVariant& link : map.value(QStringLiteral("links")).toList()) {
                           links.push_back(ToCp1252(link.toString()));
                         }
                         std::optional<std::string> body;
                         if (map.value(QStringLiteral("hasBody")).toBool()) {
                           body = ToCp1252(map.value(QStringLiteral("body")).toString());
                         }
                         self->document_ = shell::BrowserDocument(
                             ToCp1252(map.value(QStringLiteral("title")).toString()),
                             std::move(body), std::move(links));
                         then();
                       });
}

void WebEngineBrowser::ShowNavigationError(const QString& address, const QString& reason) {
  QWidget* owner = view_ != nullptr ? view_->window() : nullptr;
  auto* box = new QMessageBox(
      QMessageBox::Warning, QString::fromLatin1(kMessageTitle),
      QStringLiteral("No s'ha pogut obrir la p\u00e0gina %1.\n(%2)").arg(address, reason),
      QMessageBox::Ok, owner);
  box->setDefaultButton(QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
}

}  // namespace sonavia::qt
