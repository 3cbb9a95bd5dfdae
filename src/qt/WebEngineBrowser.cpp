#include "qt/WebEngineBrowser.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QInputDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRandomGenerator>
#include <QUrl>
#include <QVariantMap>
#include <QWebEngineCertificateError>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include "platform/UnitTools.h"
#include "platform/VirtualKeys.h"
#include "qt/QtText.h"
#include "qt/QtWindowList.h"
#include "qt/ReadingMarkScript.h"
#include "qt/WebEngineSetup.h"

namespace sonavia::qt {

namespace {

// Console messages from our own script, from any frame (the web channel
// would reach only the top one), begin with a secret chosen at each start:
// the script runs in the application's isolated world, so the page's own
// scripts can neither read it nor forge our events.
QString NewChannelPrefix() {
  quint64 secret[2];
  QRandomGenerator::system()->fillRange(secret);
  return QStringLiteral("\x01sonavia-%1%2:")
      .arg(secret[0], 16, 16, QLatin1Char('0'))
      .arg(secret[1], 16, 16, QLatin1Char('0'));
}

// Runs in every frame as it is created: reports a keyboard focus moving
// onto a link, and the completion of a frame's document.
const char* const kEventScript = R"JS(
(function () {
  var prefix = '%1';
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
// anchors, in the same order. A line break in the page's text shows as a
// blank, and a block's end parts it from what follows, so that words on two
// lines or in two paragraphs are never read as one.
const char* const kSnapshotScript = R"JS(
(function () {
  var VOID = {AREA:1, BASE:1, BR:1, COL:1, EMBED:1, HR:1, IMG:1, INPUT:1, LINK:1, META:1,
              PARAM:1, SOURCE:1, TRACK:1, WBR:1};
  var SKIP = {SCRIPT:1, STYLE:1, TEMPLATE:1, NOSCRIPT:1};
  var BLOCK = {ADDRESS:1, ARTICLE:1, ASIDE:1, BLOCKQUOTE:1, DD:1, DIV:1, DL:1, DT:1,
               FIGCAPTION:1, FIGURE:1, FOOTER:1, FORM:1, H1:1, H2:1, H3:1, H4:1, H5:1, H6:1,
               HEADER:1, LI:1, MAIN:1, NAV:1, OL:1, P:1, PRE:1, SECTION:1, TABLE:1, TD:1,
               TH:1, TR:1, UL:1};
  var links = [];
  // The elements behind the conversion's links and images, in its order,
  // for the reading mark.
  var items = {links: [], images: []};
  var inLink = 0;
  var pre = 0;
  function text(s) {
    if (pre === 0) s = s.replace(/[\r\n]+/g, ' ');
    return s.replace(/&/g, '&amp;').replace(/\u00a0/g, '&nbsp;')
            .replace(/</g, '&lt;').replace(/>/g, '&gt;');
  }
  // Markup characters in an attribute would end or open a tag for the
  // conversion, which reads attributes as plain text.
  function attr(s) {
    return s.replace(/&/g, '&amp;').replace(/\u00a0/g, '&nbsp;').replace(/"/g, '&quot;')
            .replace(/</g, '&lt;').replace(/>/g, '&gt;');
  }
  function hidden(el) {
    if (el.hasAttribute('hidden') || el.getAttribute('aria-hidden') === 'true') return true;
    var cs = window.getComputedStyle(el);
    return cs.display === 'none' || cs.visibility === 'hidden';
  }
  function serialize(node) {
    if (node.nodeType === 3) return text(node.data);
    if (node.nodeType !== 1 || node.__sonaviaMark) return '';
    var tag = node.tagName.toUpperCase();
    if (SKIP[tag] || hidden(node)) return '';
    if (tag.lastIndexOf('IMG', 0) === 0 && inLink === 0) items.images.push(node);
    var name = node.localName;
    var out = '<' + name;
    var isLink = tag === 'A' && node.hasAttribute('href');
    if (isLink) {
      out += ' href="' + attr(node.getAttribute('href')) + '"';
      links.push(node.href);
      items.links.push(node);
    }
    for (var i = 0; i < node.attributes.length; i++) {
      var a = node.attributes[i];
      if (isLink && a.name === 'href') continue;
      out += ' ' + a.name + '="' + attr(a.value) + '"';
    }
    out += '>';
    if (VOID[tag]) return out;
    if (tag === 'PRE') pre++;
    if (isLink) inLink++;
    for (var c = node.firstChild; c; c = c.nextSibling) out += serialize(c);
    if (isLink) inLink--;
    if (tag === 'PRE') pre--;
    return out + '</' + name + '>' + (BLOCK[tag] ? ' ' : '');
  }
  var body = document.body;
  var html = body ? serialize(body) : '';
  window.__sonaviaItems = items;
  return {title: document.title, hasBody: !!body, body: html, links: links};
})()
)JS";

// Moves the keyboard focus from the frame that holds it to the next one in
// document order, nested frames included, and after the last back to the
// top document. A frame of another origin hides where its focus is: the
// frame last moved to stands for it when it lies inside.
const char* const kNextFrameScript = R"JS(
(function () {
  var frames = [];
  (function walk(w) {
    for (var i = 0; i < w.frames.length; i++) {
      frames.push(w.frames[i]);
      walk(w.frames[i]);
    }
  })(window);
  if (frames.length === 0) return;
  var current = window, hidden = false;
  try {
    var doc = document;
    while (doc) {
      var el = doc.activeElement;
      if (!el || (el.tagName !== 'IFRAME' && el.tagName !== 'FRAME') || !el.contentWindow) break;
      current = el.contentWindow;
      doc = null;
      doc = current.document;
    }
  } catch (e) {
    hidden = true;
  }
  var last = window.sonaviaFrame;
  if (hidden && last && frames.indexOf(last) >= 0) {
    for (var w = last; w && w !== window; w = w.parent) {
      if (w === current) {
        current = last;
        break;
      }
    }
  }
  var next = frames[frames.indexOf(current) + 1];
  window.sonaviaFrame = next;
  if (next) {
    next.focus();
    return;
  }
  if (document.activeElement) document.activeElement.blur();
  window.focus();
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
    const QString& prefix = browser_->ChannelPrefix();
    if (message.startsWith(prefix)) browser_->OnScriptMessage(message.mid(prefix.size()));
  }
  void javaScriptAlert(const QUrl&, const QString& message) override {
    browser_->RunPageDialog(WebEngineBrowser::PageDialog::Alert, message, nullptr);
  }
  bool javaScriptConfirm(const QUrl&, const QString& message) override {
    // The engine asks before leaving a page through this call too, with
    // its own fixed text.
    const bool leaving =
        message == QCoreApplication::translate(
                       "QWebEnginePage",
                       "Are you sure you want to leave this page? Changes that you made may not "
                       "be saved.");
    if (leaving) {
      return browser_->RunPageDialog(
          WebEngineBrowser::PageDialog::Leave,
          QStringLiteral("Voleu sortir d'aquesta p\u00e0gina? Potser no es desaran els canvis "
                         "que hi heu fet."),
          nullptr);
    }
    return browser_->RunPageDialog(WebEngineBrowser::PageDialog::Confirm, message, nullptr);
  }
  bool javaScriptPrompt(const QUrl&, const QString& message, const QString& defaultValue,
                        QString* result) override {
    QString text = defaultValue;
    const bool accepted =
        browser_->RunPageDialog(WebEngineBrowser::PageDialog::Prompt, message, &text);
    if (accepted && result != nullptr) *result = text;
    return accepted;
  }

 private:
  WebEngineBrowser* browser_;
};

WebEngineBrowser::WebEngineBrowser(QWidget* parent) : QObject(parent), prefix_(NewChannelPrefix()) {
  view_ = new QWebEngineView(parent);
  page_ = new WebEnginePage(QWebEngineProfile::defaultProfile(), this);
  QWebEngineScript script;
  script.setName(QStringLiteral("sonavia-events"));
  script.setSourceCode(QString::fromUtf8(kEventScript).arg(prefix_));
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
  // Nobody can answer a password or certificate question for our users:
  // both are refused, and the page fails as any other.
  connect(page_, &QWebEnginePage::authenticationRequired, this,
          [this](const QUrl& url, QAuthenticator* authenticator) {
            *authenticator = QAuthenticator();
            ShowNavigationError(url.toDisplayString(),
                                QStringLiteral("la p\u00e0gina demana una contrasenya"));
          });
  connect(page_, &QWebEnginePage::proxyAuthenticationRequired, this,
          [](const QUrl&, QAuthenticator* authenticator, const QString&) {
            *authenticator = QAuthenticator();
          });
  connect(page_, &QWebEnginePage::certificateError, this,
          [](QWebEngineCertificateError error) { error.rejectCertificate(); });
  // The program has one window: what a link or the user's action would
  // open in a new one opens here, so the user hears it. A popup that the
  // page opens by itself is refused.
  connect(page_, &QWebEnginePage::newWindowRequested, this,
          [this](QWebEngineNewWindowRequest& request) {
            if (!request.isUserInitiated()) return;
            const QUrl url = request.requestedUrl();
            QMetaObject::invokeMethod(
                this, [this, url] { page_->load(url); }, Qt::QueuedConnection);
          });
  qApp->installEventFilter(this);
}

bool WebEngineBrowser::eventFilter(QObject* receiver, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_F6 || key->modifiers() != Qt::NoModifier) return false;
  // Only what the page itself receives: the engine hands a key it leaves
  // back to the view, and that copy must not move the focus again.
  if (view_ == nullptr || receiver != view_->focusProxy()) return false;
  if (event->type() == QEvent::KeyPress) FocusNextFrame();
  return true;
}

void WebEngineBrowser::FocusNextFrame() {
  page_->runJavaScript(QString::fromUtf8(kNextFrameScript), QWebEngineScript::ApplicationWorld);
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
  framesInFlight_ = 0;
  topFinished_ = false;
  topWaiting_ = false;
  dialogTimes_.clear();
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
  topFinished_ = true;
  // The frames' completions go first, whatever order the engine reports.
  if (framesInFlight_ > 0) {
    topWaiting_ = true;
    return;
  }
  TakeTopSnapshot();
}

void WebEngineBrowser::TakeTopSnapshot() {
  topWaiting_ = false;
  TakeSnapshot([this] { QueueCompletion(true); }, true);
}

void WebEngineBrowser::OnScriptMessage(const QString& message) {
  if (message.startsWith(QStringLiteral("focus:"))) {
    // Every move onto a link counts, the one the pointer rests on too.
    RaiseStatus(WithSpaces(message.mid(6)));
  } else if (message == QStringLiteral("frame-complete") && busy_ && !topFinished_) {
    ++framesInFlight_;
    const uint64_t load = load_;
    TakeSnapshot([this, load] {
      if (load != load_) return;
      --framesInFlight_;
      QueueCompletion(false);
      if (framesInFlight_ == 0 && topWaiting_) TakeTopSnapshot();
    });
  }
}

void WebEngineBrowser::QueueCompletion(bool top) {
  completions_.push_back({load_, top});
  if (raising_) return;
  raising_ = true;
  QPointer<WebEngineBrowser> self(this);
  while (self != nullptr && !completions_.empty()) {
    const Completion next = completions_.front();
    completions_.pop_front();
    if (next.load != load_) continue;  // a newer load began meanwhile
    if (next.top) {
      busy_ = false;
      RaiseStatus(QString::fromLatin1(shell::kStatusDone));
    }
    Raise(events.DocumentComplete);
  }
  if (self != nullptr) raising_ = false;
}

void WebEngineBrowser::OnLinkHovered(const QString& url) {
  // An empty text comes with every page commit as well as when the pointer
  // leaves a link; the behaviour ignores empty texts anyway.
  if (url.isEmpty()) return;
  RaiseStatus(WithSpaces(url));
}

void WebEngineBrowser::RaiseStatus(const QString& text) {
  Raise(events.StatusTextChange, ToCp1252(text));
}

void WebEngineBrowser::TakeSnapshot(std::function<void()> then, bool collect) {
  const uint64_t load = load_;
  QPointer<WebEngineBrowser> self(this);
  page_->runJavaScript(QString::fromUtf8(kSnapshotScript), QWebEngineScript::ApplicationWorld,
                       [self, load, collect, then = std::move(then)](const QVariant& result) {
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
                         if (collect && self != nullptr) self->CollectPageGarbage();
                       });
}

void WebEngineBrowser::CollectPageGarbage() {
  // The page left behind and the snapshot's strings are garbage by now;
  // collected at once, they never pile up over a session.
  page_->runJavaScript(
      QStringLiteral("typeof %1 === 'function' && %1()").arg(QString::fromLatin1(kPageCollector)),
      QWebEngineScript::ApplicationWorld);
}

bool WebEngineBrowser::RunPageDialog(PageDialog kind, const QString& message, QString* text) {
  const bool accepting = kind == PageDialog::Alert || kind == PageDialog::Leave;
  // A page that keeps opening dialogs is answered without a window.
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  std::erase_if(dialogTimes_, [now](qint64 t) { return now - t > kDialogFloodWindowMs; });
  if (static_cast<int>(dialogTimes_.size()) >= kDialogsShownInWindow) return accepting;
  dialogTimes_.push_back(now);

  QWidget* owner = view_ != nullptr ? view_->window() : nullptr;
  const QString title = FromCp1252(shell::kPageDialogTitle);
  QPointer<QDialog> dialog;
  if (kind == PageDialog::Prompt) {
    auto* input = new QInputDialog(owner);
    input->setLabelText(message);
    if (text != nullptr) input->setTextValue(*text);
    dialog = input;
  } else {
    auto* box = new QMessageBox(QMessageBox::Information, title, message,
                                accepting && kind == PageDialog::Alert
                                    ? QMessageBox::Ok
                                    : QMessageBox::Ok | QMessageBox::Cancel,
                                owner);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(kind == PageDialog::Alert ? QMessageBox::Ok : QMessageBox::Cancel);
    dialog = box;
  }
  dialog->setWindowTitle(title);
  // Return accepts, Escape cancels: the watchdog answers with the key that
  // changes nothing.
  dialog->setProperty(kAnswerKeyProperty, accepting ? platform::kReturnKey : platform::kEscapeKey);
  // Not modal: the main window stays usable, and its close ends the dialog.
  dialog->setWindowModality(Qt::NonModal);
  dialogs_.push_back(QPointer<QWidget>(dialog.data()));
  QEventLoop wait;
  connect(dialog, &QDialog::finished, &wait, &QEventLoop::quit);
  connect(dialog, &QObject::destroyed, &wait, &QEventLoop::quit);
  dialog->show();
  if (dialog != nullptr && dialog->isVisible()) wait.exec();
  bool accepted = accepting;
  if (dialog != nullptr) {
    if (auto* box = qobject_cast<QMessageBox*>(dialog.data())) {
      accepted = box->clickedButton() != nullptr &&
                 box->standardButton(box->clickedButton()) == QMessageBox::Ok;
    } else {
      accepted = dialog->result() == QDialog::Accepted;
    }
    if (auto* input = qobject_cast<QInputDialog*>(dialog.data()); input != nullptr && text)
      *text = input->textValue();
    dialog->deleteLater();
  }
  std::erase_if(dialogs_, [](const QPointer<QWidget>& d) { return d.isNull(); });
  return accepted;
}

void WebEngineBrowser::CloseDialogs() {
  for (const QPointer<QWidget>& widget : dialogs_) {
    if (auto* dialog = qobject_cast<QDialog*>(widget.data())) dialog->reject();
  }
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

void WebEngineBrowser::ShowReadingMark(const reading::ReadingMark& mark) {
  QJsonObject request;
  request[QStringLiteral("op")] = QStringLiteral("show");
  request[QStringLiteral("kind")] = mark.kind == reading::MarkKind::Text ? QStringLiteral("text")
                                    : mark.kind == reading::MarkKind::Image
                                        ? QStringLiteral("image")
                                        : QStringLiteral("link");
  request[QStringLiteral("text")] = FromCp1252(mark.text);
  request[QStringLiteral("item")] = mark.item;
  RunMarkScript(request);
}

void WebEngineBrowser::HideReadingMark() {
  QJsonObject request;
  request[QStringLiteral("op")] = QStringLiteral("hide");
  RunMarkScript(request);
}

void WebEngineBrowser::RunMarkScript(const QJsonObject& request, bool install) {
  const QString json = QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact));
  QString script = QString::fromUtf8(install ? kReadingMarkScript : kReadingMarkCall);
  script.replace(QStringLiteral("__COLLECTOR__"), QString::fromLatin1(kPageCollector));
  script.replace(QStringLiteral("__REQUEST__"), json);
  QPointer<WebEngineBrowser> self(this);
  const bool show = request.value(QStringLiteral("op")).toString() == QStringLiteral("show");
  page_->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                       [self, show, request, install](const QVariant& result) {
                         if (self == nullptr) return;
                         const QVariantMap map = result.toMap();
                         if (!install && map.value(QStringLiteral("install")).toBool()) {
                           self->RunMarkScript(request, true);
                         } else if (show) {
                           emit self->readingMarkDrawn(map);
                         }
                       });
}

}  // namespace sonavia::qt
