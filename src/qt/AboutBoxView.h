// The about box on Qt, mirroring the dialog's behaviour object.
#pragma once

#include <QDialog>
#include <map>

#include "about/AboutBox.h"

class QLabel;
class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace sonavia::qt {

class AboutBoxView : public QDialog {
 public:
  AboutBoxView(about::TAboutBox& box, QWidget* parent);
  ~AboutBoxView() override;

  QWidget* Widget(const platform::Label* part) const;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void done(int result) override;

 private:
  void Refresh();
  QLabel* Picture(QWidget* parent, const platform::Label& part, const char* file, QRect where);
  QLabel* Text(QWidget* parent, const platform::Label& part, QRect where, bool centred);

  about::TAboutBox& box_;
  std::map<const platform::Label*, QWidget*> parts_;
  QPushButton* ok_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
};

}  // namespace sonavia::qt
