#include "qt/PasswordWindow.h"

#include <QAuthenticator>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

namespace sonavia::qt {

PasswordWindow::PasswordWindow(std::function<QWidget*()> owner, std::function<void(bool)> opened,
                               QObject* parent)
    : QObject(parent), owner_(std::move(owner)), opened_(std::move(opened)) {}

void PasswordWindow::Ask(const QUrl& address, QAuthenticator* authenticator) {
  const QString site = address.scheme() + QStringLiteral("://") + address.host() +
                       QLatin1Char(':') + QString::number(address.port());
  const QString key = site + QLatin1Char(' ') + authenticator->realm();
  if (open_ || cancelled_.contains(key)) {
    *authenticator = QAuthenticator();
    return;
  }
  QDialog window(owner_());
  window.setWindowTitle(QString::fromUtf8(kPasswordWindowTitle));
  window.setAccessibleName(window.windowTitle());
  auto* form = new QFormLayout(&window);
  auto* what = new QLabel(
      QStringLiteral("El lloc %1 demana un nom d'usuari i una contrasenya.").arg(address.host()),
      &window);
  what->setWordWrap(true);
  form->addRow(what);
  if (!authenticator->realm().isEmpty()) {
    form->addRow(new QLabel(QStringLiteral("Zona: %1").arg(authenticator->realm()), &window));
  }
  auto* user = new QLineEdit(&window);
  user->setAccessibleName(QStringLiteral("Nom d'usuari"));
  form->addRow(QStringLiteral("&Nom d'usuari:"), user);
  auto* password = new QLineEdit(&window);
  password->setEchoMode(QLineEdit::Password);
  password->setAccessibleName(QStringLiteral("Contrasenya"));
  form->addRow(QStringLiteral("&Contrasenya:"), password);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &window);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Entra"));
  buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("Entra"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel\u00b7la"));
  buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel\u00b7la"));
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &window, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
  user->setFocus();
  open_ = true;
  opened_(true);
  const bool accepted = window.exec() == QDialog::Accepted;
  open_ = false;
  opened_(false);
  if (!accepted) {
    cancelled_.insert(key);
    *authenticator = QAuthenticator();
    return;
  }
  authenticator->setUser(user->text());
  authenticator->setPassword(password->text());
}

}  // namespace sonavia::qt
