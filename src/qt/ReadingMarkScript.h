// The reading mark on the page: each unit being read is marked where it
// stands by the mark script, which draws over the page in the program's own
// script world and reports what it marked.
#pragma once

#include <QJsonObject>
#include <QObject>
#include <QVariantMap>

#include "reading/ReadingFollower.h"

class QWebEnginePage;

namespace sonavia::qt {

class ReadingMarkScript : public QObject {
  Q_OBJECT

 public:
  ReadingMarkScript(QWebEnginePage* page, QObject* parent);

  void Show(const reading::ReadingMark& mark);
  void Hide();
  // Frames the page's elements `first` to `last` (from 0) of the elements
  // script's last list, scrolled into view.
  void ShowElements(int first, int last);

 signals:
  // What a mark found on the page: found, kind, text, the rectangle in the
  // view (x, y, width, height) and what was marked.
  void drawn(const QVariantMap& report);

 private:
  // Sends a mark request; with `install`, along with the script that
  // answers it, which a new document does not have yet.
  void Run(const QJsonObject& request, bool install);

  QWebEnginePage* page_;
};

}  // namespace sonavia::qt
