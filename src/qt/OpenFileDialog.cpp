#include "qt/OpenFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "qt/QtText.h"

namespace sonavia::qt {
namespace {

// A filter of the form "HTML (*.htm)|*.htm|Tots (*.*)|*.*" for a Qt file
// dialog, each description shown as written. "*.*" takes every file, as
// where it was first written: here a file's name need not hold a dot.
QStringList NameFilters(const std::string& filter) {
  const QStringList parts = FromCore(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (patterns == QStringLiteral("*.*")) patterns = QStringLiteral("*");
    filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return filters;
}

}  // namespace

// The open dialog, modal and worked from the keyboard as well as the mouse.
std::optional<std::string> RunOpenDialog(QWidget* parent, const platform::OpenDialog& open) {
  QFileDialog dialog(parent, FromCore(open.Title), QDir::currentPath());
  dialog.setObjectName(QString::fromStdString(open.Name()));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The details in brackets are the patterns; the descriptions say them.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(NameFilters(open.Filter));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return PathBytes(QFileInfo(dialog.selectedFiles().front()).absoluteFilePath());
}

}  // namespace sonavia::qt
