#include "qt/PageWindows.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <algorithm>

#include "qt/PageScripts.h"

namespace sonavia::qt {

namespace {

constexpr char kPageWindowProperty[] = "sonavia-page-window";

// The key as a shortcut reads it.
QKeySequence SequenceOf(const QKeyEvent* key) {
  return QKeySequence(QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
}

// The program's keys are its function keys and its Ctrl shortcuts; the
// rest (letters, arrows, Tab, Enter, Escape) belong to the window.
bool IsProgramKey(const QKeyEvent* key) {
  const bool function = key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F12;
  return function || (key->modifiers() & Qt::ControlModifier);
}

shell::PageWindowKind KindOfControl(const QString& control) {
  static const QStringList dates = {QStringLiteral("input:date"), QStringLiteral("input:time"),
                                    QStringLiteral("input:datetime-local"),
                                    QStringLiteral("input:month"), QStringLiteral("input:week")};
  return dates.contains(control) ? shell::PageWindowKind::Date : shell::PageWindowKind::List;
}

}  // namespace

PageWindows::PageWindows(QWebEngineView* view, shell::UserIntent& intent, Opened opened,
                         QObject* parent)
    : QObject(parent), view_(view), intent_(intent), opened_(std::move(opened)) {
  QCoreApplication::instance()->installEventFilter(this);
}

int PageWindows::Open() {
  std::erase_if(open_, [](const QPointer<QWidget>& w) { return w.isNull() || !w->isVisible(); });
  return static_cast<int>(open_.size());
}

bool PageWindows::IsPageWindow(QWidget* widget) const {
  if (widget->property(kPageWindowProperty).toBool()) return true;
  if (view_ == nullptr || widget->parentWidget() != view_.data()) return false;
  // The engine's pop-ups (a calendar, a list) and its colour picker.
  return widget->windowType() == Qt::Popup || qobject_cast<QColorDialog*>(widget) != nullptr;
}

// Every object of the program passes the filter, the engine's own among
// them, whose classes the undefined-behaviour sanitizer cannot see: this file
// is built without its type check (src/CMakeLists.txt).
bool PageWindows::eventFilter(QObject* receiver, QEvent* event) {
  // Only widgets are looked into: the engine's own objects come here too.
  if (!receiver->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(receiver);
  if (event->type() == QEvent::Show && widget->isWindow() && IsPageWindow(widget)) {
    Shown(widget);
  } else if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
    QWidget* window = widget->window();
    const auto* key = static_cast<QKeyEvent*>(event);
    if (window != nullptr && IsProgramKey(key) &&
        std::any_of(open_.begin(), open_.end(),
                    [window](const QPointer<QWidget>& w) { return w.data() == window; })) {
      if (event->type() == QEvent::ShortcutOverride) {
        // The window's own shortcut of that key does not take it.
        event->accept();
        return true;
      }
      return RunProgramKey(key);
    }
  }
  return false;
}

void PageWindows::Shown(QWidget* widget) {
  if (std::any_of(open_.begin(), open_.end(),
                  [widget](const QPointer<QWidget>& w) { return w.data() == widget; })) {
    return;
  }
  open_.emplace_back(widget);
  if (qobject_cast<QColorDialog*>(widget) != nullptr) {
    // Shown modal, it would keep the user from the main window and its
    // close until Escape.
    widget->setWindowModality(Qt::NonModal);
    opened_(shell::PageWindowKind::Colour);
  } else if (widget->property(kPageWindowProperty).toBool()) {
    opened_(shell::PageWindowKind::File);
  } else if (view_ != nullptr) {
    // A calendar or a list: what the page's focused control is tells.
    QPointer<PageWindows> self(this);
    view_->page()->runJavaScript(PageScriptCall(PageScript::FocusedControl),
                                 QWebEngineScript::ApplicationWorld, [self](const QVariant& r) {
                                   if (self != nullptr) self->opened_(KindOfControl(r.toString()));
                                 });
  }
}

bool PageWindows::RunProgramKey(const QKeyEvent* key) {
  if (view_ == nullptr) return false;
  // A pop-up holds the keyboard and the pointer: the key takes the user
  // out of it first. A dialog stays, beside the window.
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  const QKeySequence sequence = SequenceOf(key);
  for (QAction* action : view_->window()->findChildren<QAction*>()) {
    if (!action->isEnabled() || !action->shortcuts().contains(sequence)) continue;
    action->trigger();
    return true;
  }
  return false;
}

QStringList PageWindows::ChooseFiles(QWebEnginePage::FileSelectionMode mode,
                                     const QStringList& oldFiles, const QStringList&) {
  // A page may ask for it only as the answer to the user's key or click.
  if (!intent_.WindowIsUsers()) return {};
  QWidget* owner = view_ != nullptr ? view_->window() : nullptr;
  QPointer<QFileDialog> dialog =
      new QFileDialog(owner, QStringLiteral("Triar un fitxer per a la p\u00e0gina"));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setProperty(kPageWindowProperty, true);
  dialog->setAttribute(Qt::WA_DeleteOnClose, false);
  switch (mode) {
    case QWebEnginePage::FileSelectOpenMultiple:
      dialog->setFileMode(QFileDialog::ExistingFiles);
      break;
    case QWebEnginePage::FileSelectUploadFolder:
      dialog->setFileMode(QFileDialog::Directory);
      break;
    case QWebEnginePage::FileSelectSave:
      dialog->setAcceptMode(QFileDialog::AcceptSave);
      dialog->setFileMode(QFileDialog::AnyFile);
      break;
    default:
      dialog->setFileMode(QFileDialog::ExistingFile);
      break;
  }
  dialog->setDirectory(oldFiles.isEmpty() ? QDir::homePath() : oldFiles.front());
  // Not modal: the main window, its keys and its close stay usable.
  dialog->setWindowModality(Qt::NonModal);
  QEventLoop wait;
  connect(dialog, &QDialog::finished, &wait, &QEventLoop::quit);
  connect(dialog, &QObject::destroyed, &wait, &QEventLoop::quit);
  dialog->show();
  if (dialog != nullptr && dialog->isVisible()) wait.exec();
  QStringList chosen;
  if (dialog != nullptr) {
    if (dialog->result() == QDialog::Accepted) chosen = dialog->selectedFiles();
    dialog->deleteLater();
  }
  return chosen;
}

void PageWindows::CloseAll() {
  for (const QPointer<QWidget>& widget : open_) {
    if (widget.isNull()) continue;
    if (auto* dialog = qobject_cast<QDialog*>(widget.data())) {
      dialog->reject();
    } else {
      widget->close();
    }
  }
  open_.clear();
}

}  // namespace sonavia::qt
