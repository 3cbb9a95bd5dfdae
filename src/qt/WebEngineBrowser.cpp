#include "qt/WebEngineBrowser.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>
#include <QVariantList>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <csignal>

#include "qt/EnginePolicy.h"
#include "qt/FrameKey.h"
#include "qt/LinkAddress.h"
#include "qt/LocalFileGuard.h"
#include "qt/PageScripts.h"
#include "qt/PageWindows.h"
#include "qt/QtText.h"
#include "qt/ReadingMarkScript.h"
#include "qt/UserInputWatch.h"
#include "qt/WebEnginePage.h"
#include "shell/PageEvents.h"

namespace sonavia::qt {

namespace {

// A page of more elements than this is read whole: the reader view would
// copy it and walk it several times.
constexpr int kMostReaderElements = 30000;
// The page's sound under the speech: a quarter of its volume, 12 dB down.
constexpr double kPageSoundUnderSpeech = 0.25;
// A control as the page scripts describe it; nothing for what is none.
std::optional<reading::PageControl> ControlFrom(const QVariantMap& map) {
  const auto kind = reading::ControlKindNamed(ToCore(map.value(QStringLiteral("kind")).toString()));
  if (!kind) return std::nullopt;
  reading::PageControl control;
  control.kind = *kind;
  control.label = ToCore(map.value(QStringLiteral("label")).toString());
  control.value = ToCore(map.value(QStringLiteral("value")).toString());
  control.checked = map.value(QStringLiteral("checked")).toBool();
  control.required = map.value(QStringLiteral("required")).toBool();
  control.expanded = map.value(QStringLiteral("expanded")).toBool();
  return control;
}

std::vector<reading::PageControl> ControlsFrom(const QVariant& list) {
  std::vector<reading::PageControl> controls;
  for (const QVariant& item : list.toList()) {
    // One the program cannot name keeps its place, as a button.
    controls.push_back(ControlFrom(item.toMap()).value_or(reading::PageControl{}));
  }
  return controls;
}

std::vector<reading::StructureNote> NotesFrom(const QVariant& list) {
  static const std::pair<const char*, reading::NoteKind> kinds[] = {
      {"heading", reading::NoteKind::Heading},
      {"list", reading::NoteKind::List},
      {"table", reading::NoteKind::Table},
      {"header", reading::NoteKind::Header}};
  std::vector<reading::StructureNote> notes;
  for (const QVariant& item : list.toList()) {
    const QVariantMap map = item.toMap();
    reading::StructureNote note;
    const QString kind = map.value(QStringLiteral("kind")).toString();
    for (const auto& [name, value] : kinds) {
      if (kind == QLatin1String(name)) note.kind = value;
    }
    note.level = map.value(QStringLiteral("level")).toInt();
    note.items = map.value(QStringLiteral("items")).toInt();
    note.rows = map.value(QStringLiteral("rows")).toInt();
    note.columns = map.value(QStringLiteral("columns")).toInt();
    note.text = ToCore(map.value(QStringLiteral("text")).toString());
    notes.push_back(std::move(note));
  }
  return notes;
}

// The snapshot script's answer as the document the behaviour reads; the
// article, when there is one, as a document of its own.
shell::BrowserDocument DocumentFrom(const QVariant& result, bool withArticle = true) {
  const QVariantMap map = result.toMap();
  std::vector<std::string> links;
  for (const QVariant& link : map.value(QStringLiteral("links")).toList()) {
    links.push_back(ToCore(LinkAddressText(link.toString())));
  }
  std::optional<std::string> body;
  if (map.value(QStringLiteral("hasBody")).toBool()) {
    body = ToCore(map.value(QStringLiteral("body")).toString());
  }
  shell::BrowserDocument document(ToCore(map.value(QStringLiteral("title")).toString()),
                                  std::move(body), std::move(links));
  document.SetLanguage(ToCore(map.value(QStringLiteral("lang")).toString()));
  document.SetControls(ControlsFrom(map.value(QStringLiteral("controls"))));
  document.SetNotes(NotesFrom(map.value(QStringLiteral("notes"))));
  const QVariantMap article = map.value(QStringLiteral("article")).toMap();
  if (withArticle && !article.isEmpty()) {
    QVariantMap whole = article;
    whole.insert(QStringLiteral("hasBody"), true);
    whole.insert(QStringLiteral("lang"), map.value(QStringLiteral("lang")));
    document.SetArticle(DocumentFrom(whole, false));
  }
  return document;
}

}  // namespace

WebEngineBrowser::WebEngineBrowser(QWidget* parent)
    : QObject(parent),
      view_(new QWebEngineView(parent)),
      dialogs_(clock_, [this] { return view_ != nullptr ? view_->window() : nullptr; }),
      completions_({[this](shell::CompletionOrder::Snapshot s) { ReadDocument(s); },
                    [this](bool top) { RaiseCompletion(top); }},
                   clock_),
      watch_({[this](uint64_t question) { AskPage(question); },
              [this] { Raise(events.PageNotResponding); }, [this] { return EndPageProcess(); }},
             clock_) {
  dialogs_.SetWaiting([this](bool open) { watch_.DialogOpen(open); });
  page_ = new WebEnginePage(this, dialogs_, [this](const QString& r) { OnScriptReport(r); });
  view_->setPage(page_);
  mark_ = new ReadingMarkScript(page_, this);
  connect(mark_, &ReadingMarkScript::drawn, this, &WebEngineBrowser::readingMarkDrawn);
  new EnginePolicy(
      page_,
      [this](const QString& address, const QString& reason) {
        ShowNavigationError(address, reason);
      },
      [this](shell::PageAsk ask) { Raise(events.PermissionRefused, ask); });
  windows_ = new PageWindows(
      view_, intent_, [this](shell::PageWindowKind kind) { Raise(events.PageWindowOpened, kind); },
      this);
  page_->SetChooser(
      [this](QWebEnginePage::FileSelectionMode mode, const QStringList& oldFiles,
             const QStringList& types) { return windows_->ChooseFiles(mode, oldFiles, types); });
  new FrameKey(view_, this);
  files_ = new LocalFileGuard(page_);
  new UserInputWatch(this, view_, intent_);

  connect(page_, &QWebEnginePage::loadStarted, this, &WebEngineBrowser::OnLoadStarted);
  connect(page_, &QWebEnginePage::loadProgress, this,
          [this](int progress) { Raise(events.ProgressChange, progress, 100); });
  connect(page_, &QWebEnginePage::urlChanged, this, [this] {
    page_->setZoomFactor(zoom_);
    Raise(events.NavigateComplete2);
  });
  connect(page_, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::OnLoadingChanged);
  connect(page_, &QWebEnginePage::loadFinished, this, &WebEngineBrowser::OnLoadFinished);
  connect(page_, &QWebEnginePage::renderProcessTerminated, this,
          &WebEngineBrowser::OnPageProcessEnded);
}

WebEngineBrowser::~WebEngineBrowser() {
  completions_.Forget();  // late script results find nothing to do
  if (view_ != nullptr) view_->setPage(nullptr);
  delete page_;
}

void WebEngineBrowser::SetZoom(int percent) {
  zoom_ = percent / 100.0;
  page_->setZoomFactor(zoom_);
}

void WebEngineBrowser::Navigate(const std::string& address) {
  // As an address bar takes it: "www.xtec.cat" is a web address, an
  // absolute path a file.
  const QUrl url = QUrl::fromUserInput(FromCore(address));
  if (!url.isValid()) throw shell::BrowserError("not an address");
  // A page that does not answer would never let the load reach the
  // network: it gets a fresh process first.
  watch_.Run([this, url] { page_->load(url); });
}

void WebEngineBrowser::GoBack() {
  watch_.Run([this] { page_->triggerAction(QWebEnginePage::Back); });
}
void WebEngineBrowser::GoForward() {
  watch_.Run([this] { page_->triggerAction(QWebEnginePage::Forward); });
}
void WebEngineBrowser::Refresh() {
  watch_.Run([this] { page_->triggerAction(QWebEnginePage::Reload); });
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
  return ToCore(QString::fromUtf8(page_->url().toEncoded()));
}

std::string WebEngineBrowser::LocationName() {
  // What follows the last "/" of the path in the same text as LocationURL,
  // query and fragment included, so that cutting it off leaves the
  // document's folder.
  const QUrl url = page_->url();
  const QByteArray full = url.toEncoded();
  const QByteArray path = url.toEncoded(QUrl::RemoveQuery | QUrl::RemoveFragment);
  return ToCore(QString::fromUtf8(full.mid(path.lastIndexOf('/') + 1)));
}

void WebEngineBrowser::CloseDialogs() {
  dialogs_.CloseAll();
  windows_->CloseAll();
}

void WebEngineBrowser::SetPageSoundUnder(bool under) {
  const QJsonObject values{
      {QStringLiteral("action"), under ? QStringLiteral("under") : QStringLiteral("full")},
      {QStringLiteral("level"), kPageSoundUnderSpeech}};
  page_->runJavaScript(PageScriptCall(PageScript::Media, values),
                       QWebEngineScript::ApplicationWorld);
}

void WebEngineBrowser::PausePageMedia(bool pause) {
  const QJsonObject values{
      {QStringLiteral("action"), pause ? QStringLiteral("pause") : QStringLiteral("resume")}};
  page_->runJavaScript(PageScriptCall(PageScript::Media, values),
                       QWebEngineScript::ApplicationWorld);
}

void WebEngineBrowser::MutePage(bool muted) {
  page_->setAudioMuted(muted);
}

void WebEngineBrowser::OnLoadStarted() {
  processEnded_ = false;
  ++loads_;
  // Leaving the page closes what it opened.
  windows_->CloseAll();
  completions_.LoadStarted();
  dialogs_.NewPage();
  Raise(events.DownloadBegin);
}

void WebEngineBrowser::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
  if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus) return;
  // A load cut short by the end of the page's process is no address that
  // could not be found: that end has been told already.
  if (processEnded_) return;
  // An error page that the server sends is a page like any other; a load
  // stopped or replaced by another is no failure either.
  if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain) return;
  if (info.errorCode() == -3) return;  // aborted
  const QString refusal = files_->Refusal(info.url());
  ShowNavigationError(info.url().toDisplayString(),
                      refusal.isEmpty() ? info.errorString() : refusal);
}

void WebEngineBrowser::OnPageProcessEnded() {
  processEnded_ = true;
  completions_.Abandon();
  // Ended here for the user's command, which runs now: no failure to tell.
  if (watch_.ProcessEnded()) return;
  Raise(events.PageProcessEnded);
}

void WebEngineBrowser::AskPage(uint64_t question) {
  QPointer<WebEngineBrowser> self(this);
  page_->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                       [self, question](const QVariant&) {
                         if (self != nullptr) self->watch_.Answered(question);
                       });
}

bool WebEngineBrowser::EndPageProcess() {
  // Its dialogs go with it; the page's wait for them ends.
  dialogs_.CloseAll();
  const qint64 pid = page_->renderProcessPid();
  return pid > 0 && ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

void WebEngineBrowser::OnLoadFinished() {
  page_->setZoomFactor(zoom_);
  Raise(events.DownloadComplete);
  completions_.TopLoaded();
}

void WebEngineBrowser::OnScriptReport(const QString& report) {
  if (report.startsWith(QStringLiteral("focus:"))) {
    // Every focus move the user's key makes is a status text when it lands
    // on a link, the one the pointer rests on too; the page's own are not.
    const bool users = intent_.FocusMoveIsUsers();
    if (users) RaiseLink(report.mid(6));
    Raise(events.ControlFocus, std::nullopt, users);
  } else if (report.startsWith(QStringLiteral("control:"))) {
    const bool users = intent_.FocusMoveIsUsers();
    const QVariantMap map = QJsonDocument::fromJson(report.mid(8).toUtf8()).toVariant().toMap();
    Raise(events.ControlFocus, ControlFrom(map), users);
  } else if (report.startsWith(QStringLiteral("typed:"))) {
    Raise(events.Typed, ToCore(report.mid(6)));
  } else if (report.startsWith(QStringLiteral("hover:"))) {
    // A link that came under a pointer the user did not move is not
    // pointed at. (The engine's own hover signal gives the focused link as
    // well, whoever focused it.)
    if (intent_.HoverIsUsers()) RaiseLink(report.mid(6));
  } else if (report.startsWith(QStringLiteral("changed:"))) {
    Raise(events.PageChanged, report.mid(8).toInt());
  } else if (report == QStringLiteral("frame-complete")) {
    completions_.FrameLoaded();
  } else if (report == QStringLiteral("started")) {
    if (!completions_.TopStarted()) {
      OnLoadStarted();
      completions_.TopStarted();
    }
  } else if (report == QStringLiteral("parsed")) {
    completions_.TopParsed();
  } else if (report == QStringLiteral("changed")) {
    completions_.TopChanged();
  }
}

void WebEngineBrowser::RaiseLink(const QString& address) {
  // An empty address is a move off the links, which says nothing.
  if (!address.isEmpty()) RaiseStatus(LinkAddressText(address));
}

void WebEngineBrowser::RaiseStatus(const QString& text) {
  Raise(events.StatusTextChange, ToCore(text));
}

void WebEngineBrowser::RaiseCompletion(bool top) {
  if (top) RaiseStatus(QString::fromLatin1(shell::kStatusDone));
  Raise(events.DocumentComplete);
}

void WebEngineBrowser::RunSnapshot(bool article, std::function<void(const QVariant&)> read) {
  const QJsonObject values{{QStringLiteral("longestTitle"), static_cast<int>(shell::kLongestTitle)},
                           {QStringLiteral("article"), article},
                           {QStringLiteral("readArticle"), readArticle_}};
  // The reader finds the article first, with its library, in one run with
  // the snapshot that reads it; then the page is watched for changes. A
  // frame's completion is no complete page, and has no article yet.
  const QString call =
      (article ? ReaderLibrary() : QString()) +
      PageScriptCall(PageScript::Reader, {{QStringLiteral("op"), "find"},
                                          {QStringLiteral("most"), kMostReaderElements}}) +
      QStringLiteral(";\n") + PageScriptCall(PageScript::Snapshot, values);
  page_->runJavaScript(call, QWebEngineScript::ApplicationWorld, std::move(read));
  page_->runJavaScript(
      PageScriptCall(PageScript::Changes, {{QStringLiteral("prefix"), page_->ReportPrefix()}}),
      QWebEngineScript::ApplicationWorld);
}

void WebEngineBrowser::ReadDocument(shell::CompletionOrder::Snapshot snapshot) {
  QPointer<WebEngineBrowser> self(this);
  RunSnapshot(snapshot.top, [self, snapshot](const QVariant& result) {
    // The page may be gone, or a newer load may have begun.
    if (self == nullptr || !self->completions_.Current(snapshot)) return;
    self->document_ = DocumentFrom(result);
    self->completions_.SnapshotRead(snapshot);
    // The page left behind and the snapshot's strings
    // are garbage by now.
    if (snapshot.top && self != nullptr) self->CollectPageGarbage();
  });
}

void WebEngineBrowser::ReadDocumentAgain(std::function<void()> done) {
  // A page still loading is read when it completes.
  if (completions_.Busy() || !document_) {
    done();
    return;
  }
  QPointer<WebEngineBrowser> self(this);
  const uint64_t load = loads_;
  RunSnapshot(true, [self, load, done = std::move(done)](const QVariant& result) {
    if (self == nullptr) return;
    if (self->loads_ == load && result.isValid()) self->document_ = DocumentFrom(result);
    done();
  });
}

void WebEngineBrowser::CollectPageGarbage() {
  page_->runJavaScript(PageScriptCall(PageScript::Collect), QWebEngineScript::ApplicationWorld);
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

void WebEngineBrowser::ListPageElements(std::function<void(shell::PageElements)> done) {
  QPointer<WebEngineBrowser> self(this);
  page_->runJavaScript(
      PageScriptCall(PageScript::Elements, {{QStringLiteral("op"), "list"}}),
      QWebEngineScript::ApplicationWorld, [self, done = std::move(done)](const QVariant& result) {
        if (self == nullptr) return;
        const QVariantMap map = result.toMap();
        shell::PageElements found;
        found.elements = ControlsFrom(map.value(QStringLiteral("elements")));
        found.consent =
            static_cast<size_t>(std::max(0, map.value(QStringLiteral("consent")).toInt()));
        done(std::move(found));
      });
}

void WebEngineBrowser::ShowPageElements(int first, int last) {
  if (first < 0) {
    mark_->Hide();
  } else {
    mark_->ShowElements(first, last);
  }
}

void WebEngineBrowser::PressPageElement(int index) {
  // The focus it moves is the user's: a field so reached takes Enter.
  intent_.FocusKeyPressed();
  if (view_ != nullptr) view_->setFocus(Qt::OtherFocusReason);
  page_->runJavaScript(PageScriptCall(PageScript::Elements, {{QStringLiteral("op"), "press"},
                                                             {QStringLiteral("index"), index}}),
                       QWebEngineScript::ApplicationWorld);
}

void WebEngineBrowser::TypeInPageElement(int index, const std::string& text) {
  page_->runJavaScript(
      PageScriptCall(PageScript::Elements, {{QStringLiteral("op"), "type"},
                                            {QStringLiteral("index"), index},
                                            {QStringLiteral("text"), FromCore(text)}}),
      QWebEngineScript::ApplicationWorld);
}

void WebEngineBrowser::UseArticle(bool article) {
  readArticle_ = article;
  page_->runJavaScript(PageScriptCall(PageScript::Reader, {{QStringLiteral("op"), "use"},
                                                           {QStringLiteral("article"), article}}),
                       QWebEngineScript::ApplicationWorld);
}

void WebEngineBrowser::ShowReadingMark(const reading::ReadingMark& mark) {
  mark_->Show(mark);
}

void WebEngineBrowser::HideReadingMark() {
  mark_->Hide();
}

}  // namespace sonavia::qt
