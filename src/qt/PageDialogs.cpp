#include "qt/PageDialogs.h"

#include <QDialog>
#include <QEventLoop>
#include <QInputDialog>
#include <QMessageBox>

#include "platform/VirtualKeys.h"
#include "qt/QtText.h"
#include "qt/QtWindowList.h"
#include "shell/BrowserComponent.h"

namespace sonavia::qt {

namespace {

// A page's message is shown up to this many characters: a message of
// megabytes would hold the program in its window's text layout.
constexpr qsizetype kLongestMessage = 2000;

}  // namespace

bool PageDialogs::Run(Kind kind, const QString& fullMessage, QString* text) {
  const bool accepting = kind == Kind::Alert || kind == Kind::Leave;
  if (!limit_.MayShow()) return accepting;
  const QString message = fullMessage.size() <= kLongestMessage
                              ? fullMessage
                              : fullMessage.left(kLongestMessage) + QChar(0x2026);

  const QString title = FromCore(shell::kPageDialogTitle);
  QPointer<QDialog> dialog;
  if (kind == Kind::Prompt) {
    auto* input = new QInputDialog(owner_());
    input->setLabelText(message);
    if (text != nullptr) input->setTextValue(*text);
    dialog = input;
  } else {
    auto* box = new QMessageBox(
        QMessageBox::Information, title, message,
        kind == Kind::Alert ? QMessageBox::Ok : QMessageBox::Ok | QMessageBox::Cancel, owner_());
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(kind == Kind::Alert ? QMessageBox::Ok : QMessageBox::Cancel);
    dialog = box;
  }
  dialog->setWindowTitle(title);
  // Return accepts, Escape cancels: the watchdog answers with the key that
  // changes nothing.
  dialog->setProperty(kAnswerKeyProperty, accepting ? platform::kReturnKey : platform::kEscapeKey);
  // Not modal: the main window stays usable, and its close ends the dialog.
  dialog->setWindowModality(Qt::NonModal);
  open_.push_back(QPointer<QWidget>(dialog.data()));
  QEventLoop wait;
  QObject::connect(dialog, &QDialog::finished, &wait, &QEventLoop::quit);
  QObject::connect(dialog, &QObject::destroyed, &wait, &QEventLoop::quit);
  dialog->show();
  if (dialog != nullptr && dialog->isVisible()) {
    if (waiting_) waiting_(true);
    wait.exec();
    if (waiting_) waiting_(false);
  }
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
  std::erase_if(open_, [](const QPointer<QWidget>& d) { return d.isNull(); });
  return accepted;
}

void PageDialogs::CloseAll() {
  for (const QPointer<QWidget>& widget : open_) {
    if (auto* dialog = qobject_cast<QDialog*>(widget.data())) dialog->reject();
  }
}

}  // namespace sonavia::qt
