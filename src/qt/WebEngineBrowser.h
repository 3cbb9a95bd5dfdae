// The browser component on Qt WebEngine. The top document is read by a
// script in the application's own isolated world when it completes, so the
// page's scripts cannot tamper with what is read aloud; the snapshot is
// ready before DocumentComplete is raised.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWebEngineView>
#include <cstdint>
#include <optional>

#include "shell/BrowserComponent.h"

class QWebEngineLoadingInfo;
class QWidget;

namespace sonavia::qt {

class WebEnginePage;

class WebEngineBrowser : public QObject, public shell::BrowserComponent {
  Q_OBJECT

 public:
  // The title of the component's own message window for failed navigations.
  static constexpr const char* kMessageTitle = "Navegador web";

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

  // From the page's injected script, in any frame.
  void OnScriptMessage(const QString& message);

 private:
  void OnLoadStarted();
  void OnLoadFinished(bool ok);
  void OnLoadingChanged(const QWebEngineLoadingInfo& info);
  void OnLinkHovered(const QString& url);
  void RaiseStatus(const QString& text);
  // Reads the top document, then runs `then` unless a newer load began.
  void TakeSnapshot(std::function<void()> then);
  void ShowNavigationError(const QString& address, const QString& reason);

  QPointer<QWebEngineView> view_;
  WebEnginePage* page_ = nullptr;
  std::optional<shell::BrowserDocument> document_;
  bool busy_ = false;
  uint64_t load_ = 0;  // counts loads, so late script results are dropped
  QString lastStatus_;
};

}  // namespace sonavia::qt
