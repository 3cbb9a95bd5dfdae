// The browser component on Qt WebEngine. The top document is read by a
// script in the program's own script world when it completes, so the
// page's scripts cannot tamper with what is read aloud; the snapshot is
// ready before DocumentComplete is raised. Which completion is raised when
// is decided by shell::CompletionOrder; this side carries the engine's
// messages to it and its decisions back. A link under the pointer or the
// keyboard focus becomes a status text only when the user put it there
// (shell::UserIntent), every link address in one form (LinkAddressText).
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWebEngineView>
#include <cstdint>
#include <optional>

#include "qt/PageDialogs.h"
#include "qt/QtEventLoop.h"
#include "shell/BrowserComponent.h"
#include "shell/CompletionOrder.h"
#include "shell/PageWatch.h"
#include "shell/UserIntent.h"

class QWebEngineLoadingInfo;
class QWidget;

namespace sonavia::qt {

class LocalFileGuard;
class PageWindows;
class ReadingMarkScript;
class WebEnginePage;

class WebEngineBrowser : public QObject, public shell::BrowserComponent {
  Q_OBJECT

 public:
  // The title of the component's own message window for failed navigations.
  static constexpr const char* kMessageTitle = shell::kNavigationErrorTitle;

  explicit WebEngineBrowser(QWidget* parent);
  ~WebEngineBrowser() override;

  QWebEngineView* View() const { return view_; }

  void Navigate(const std::string& address) override;
  void GoBack() override;
  void GoForward() override;
  void Refresh() override;
  void Stop() override;
  int32_t QueryStatusWB(int32_t command) override;
  void ExecWB(int32_t command, int32_t option) override;

  const shell::BrowserDocument& Document() override;
  std::string LocationName() override;
  std::string LocationURL() override;
  bool Busy() override { return completions_.Busy(); }

  // The reading mark: drawn over the page by the mark script, which
  // reports each mark with readingMarkDrawn.
  void ShowReadingMark(const reading::ReadingMark& mark) override;
  void HideReadingMark() override;
  // The engine keeps a zoom for each site; the level is given to every
  // page as it loads, so that all of them show at it.
  void SetZoom(int percent) override;
  // What a switch user can press, framed and pressed by the elements script.
  void ListPageElements(std::function<void(shell::PageElements)> done) override;
  void ShowPageElements(int first, int last) override;
  void PressPageElement(int index) override;
  void TypeInPageElement(int index, const std::string& text) override;
  void UseArticle(bool article) override;
  void ReadDocumentAgain(std::function<void()> done) override;

  // The page's sound under the speech, its media paused, its sound off.
  void SetPageSoundUnder(bool under) override;
  void PausePageMedia(bool pause) override;
  void MutePage(bool muted) override;

  // Answers every open page dialog with its cancelling answer, and closes
  // every window the page opened.
  void CloseDialogs();
  PageWindows& Windows() { return *windows_; }

 signals:
  // What a mark found on the page: found, kind, text, the rectangle in the
  // view (x, y, width, height) and what was marked.
  void readingMarkDrawn(const QVariantMap& report);

 private:
  void OnLoadStarted();
  void OnLoadFinished();
  void OnLoadingChanged(const QWebEngineLoadingInfo& info);
  // The engine's process that held the page ended, for whatever reason.
  void OnPageProcessEnded();
  // A link's address as a status text.
  void RaiseLink(const QString& address);
  // What the program's scripts in the page report, from any frame.
  void OnScriptReport(const QString& report);
  void RaiseStatus(const QString& text);
  void RaiseCompletion(bool top);
  // Reads the top document; hands it to the completion order.
  void ReadDocument(shell::CompletionOrder::Snapshot snapshot);
  // The reader and the snapshot, in one run; `read` gets the answer.
  void RunSnapshot(bool article, std::function<void(const QVariant&)> read);
  void CollectPageGarbage();
  // Asks the page's process something small; PageWatch times the answer.
  void AskPage(uint64_t question);
  // Ends the page's process, which does not answer; false when none runs.
  bool EndPageProcess();
  void ShowNavigationError(const QString& address, const QString& reason);

  QPointer<QWebEngineView> view_;
  QtEventLoop clock_;  // its tick count times the page's dialogs and the user's moves
  shell::UserIntent intent_{clock_};
  PageDialogs dialogs_;
  WebEnginePage* page_ = nullptr;
  ReadingMarkScript* mark_ = nullptr;
  LocalFileGuard* files_ = nullptr;
  PageWindows* windows_ = nullptr;
  shell::CompletionOrder completions_;
  shell::PageWatch watch_;
  std::optional<shell::BrowserDocument> document_;
  qreal zoom_ = 1.0;
  bool processEnded_ = false;  // since the last load began
  bool readArticle_ = true;    // the mark takes the article's links and images
  uint64_t loads_ = 0;         // counts the loads begun
};

}  // namespace sonavia::qt
