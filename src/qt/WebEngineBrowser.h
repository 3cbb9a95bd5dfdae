// The browser component on Qt WebEngine. The top document is read by a
// script in the application's own isolated world when it completes, so the
// page's scripts cannot tamper with what is read aloud; the snapshot is
// ready before DocumentComplete is raised.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWebEngineView>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "shell/BrowserComponent.h"

class QJsonObject;
class QWebEngineLoadingInfo;
class QWidget;

namespace sonavia::qt {

class WebEnginePage;

class WebEngineBrowser : public QObject, public shell::BrowserComponent {
  Q_OBJECT

 public:
  // The title of the component's own message window for failed navigations.
  static constexpr const char* kMessageTitle = shell::kNavigationErrorTitle;
  // A page's dialogs after the third within this time are answered here.
  static constexpr int kDialogFloodWindowMs = 10000;
  static constexpr int kDialogsShownInWindow = 3;

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
  bool Busy() override { return busy_; }

  // The reading mark: drawn over the page by the injected script, which
  // reports each mark with readingMarkDrawn.
  void ShowReadingMark(const reading::ReadingMark& mark) override;
  void HideReadingMark() override;

  // From the page's injected script, in any frame.
  void OnScriptMessage(const QString& message);

  enum class PageDialog { Alert, Confirm, Prompt, Leave };
  // Shows a page's dialog as a message window of its own and waits for its
  // answer; `text` receives a prompt's answer.
  bool RunPageDialog(PageDialog kind, const QString& message, QString* text);
  // Answers every open page dialog with its cancelling answer.
  void CloseDialogs();
  // What the page's own scripts cannot write: the console messages of the
  // component's injected script begin with it.
  const QString& ChannelPrefix() const { return prefix_; }

 signals:
  // What a mark found on the page: found, kind, text, the rectangle in the
  // view (x, y, width, height) and what was marked.
  void readingMarkDrawn(const QVariantMap& report);

 protected:
  // F6 on the page moves its keyboard focus to the next frame.
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  void FocusNextFrame();
  void OnLoadStarted();
  void OnLoadFinished(bool ok);
  void OnLoadingChanged(const QWebEngineLoadingInfo& info);
  void OnLinkHovered(const QString& url);
  void RaiseStatus(const QString& text);
  // Reads the top document, then runs `then` unless a newer load began;
  // with `collect`, the page process then collects its garbage.
  void TakeSnapshot(std::function<void()> then, bool collect = false);
  // Raises the document completions one at a time, in the order queued:
  // one whose handler is still running is never overtaken by the next.
  void QueueCompletion(bool top);
  void TakeTopSnapshot();
  void ShowNavigationError(const QString& address, const QString& reason);
  // Sends a mark request; with `install`, along with the script that
  // answers it, which a new document does not have yet.
  void RunMarkScript(const QJsonObject& request, bool install = false);
  void CollectPageGarbage();

  QPointer<QWebEngineView> view_;
  WebEnginePage* page_ = nullptr;
  std::optional<shell::BrowserDocument> document_;
  bool busy_ = false;
  uint64_t load_ = 0;  // counts loads, so late script results are dropped
  QString prefix_;
  int framesInFlight_ = 0;    // frame snapshots not yet returned
  bool topFinished_ = false;  // the top document's load has finished
  bool topWaiting_ = false;   // its snapshot waits for the frames'
  struct Completion {
    uint64_t load;
    bool top;
  };
  std::deque<Completion> completions_;
  bool raising_ = false;
  std::vector<qint64> dialogTimes_;  // this load's dialogs shown, ms
  std::vector<QPointer<QWidget>> dialogs_;
};

}  // namespace sonavia::qt
