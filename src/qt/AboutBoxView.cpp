#include "qt/AboutBoxView.h"
#include "qt/QtWindowList.h"

#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "qt/AccessibleNames.h"
#include "qt/ClickFilter.h"
#include "qt/QtText.h"

namespace sonavia::qt {

AboutBoxView::AboutBoxView(about::TAboutBox& box, QWidget* parent) : QDialog(parent), box_(box) {
  setObjectName(QStringLiteral("AboutBox"));
  setProperty(kOwnWindowProperty, true);
  setWindowTitle(QString::fromLatin1(about::kCaption));
  setFixedSize(about::kClientWidth, about::kClientHeight);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* panel1 = new QFrame(this);
  panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel1->setGeometry(16, 16, 273, 137);
  parts_[&box.Panel1] = panel1;
  OnClick(panel1, [this] { box_.Panel1.Click(); });
  auto* bevel = new QFrame(panel1);
  bevel->setFrameStyle(QFrame::Box | QFrame::Raised);
  LayOutOnly(bevel);  // a border round the pictures, nothing of its own
  bevel->setGeometry(6, 6, 41, 41);
  Picture(panel1, box.ImageOrella, ":/orella.svg", QRect(10, 10, 33, 33));
  Picture(panel1, box.ImageOrdinador, ":/ordinador.svg", QRect(10, 10, 33, 33));
  QLabel* product = Text(panel1, box.ProductName, QRect(56, 8, 208, 40), true);
  QFont bold = product->font();
  bold.setBold(true);
  bold.setPointSize(10);
  product->setFont(bold);
  product->setCursor(Qt::PointingHandCursor);
  Text(panel1, box.Version, QRect(56, 50, 208, 16), false);
  Text(panel1, box.MakerLabel, QRect(8, 70, 256, 16), false)->setCursor(Qt::PointingHandCursor);
  Text(panel1, box.Comments, QRect(8, 88, 256, 44), false);

  auto* panel2 = new QFrame(this);
  panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel2->setGeometry(16, 168, 273, 161);
  parts_[&box.Panel2] = panel2;
  OnClick(panel2, [this] { box_.Panel2.Click(); });
  const QRect inside(0, 0, 273, 161);
  Picture(panel2, box.Image2, ":/vista1.svg", inside);
  Picture(panel2, box.Image1, ":/vista2.svg", inside);
  Text(panel2, box.Label1, inside.adjusted(12, 12, -12, -12), true);
  Text(panel2, box.Label2, inside.adjusted(12, 12, -12, -12), true);
  memo_ = new QPlainTextEdit(panel2);
  memo_->setGeometry(inside);
  memo_->setPlainText(FromCore(box.Memo1.Text()));
  memo_->setStyleSheet(QStringLiteral("background: silver; color: black;"));
  parts_[&box.Memo1] = memo_;

  ok_ = new QPushButton(FromCore(box.OKButton.Caption()), this);
  ok_->setGeometry(115, 340, 75, 25);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, [this] { box_.OKButton.Click(); });

  Picture(this, box.Image3, ":/pallasso.svg",
          QRect(0, 0, about::kClientWidth, about::kClientHeight));

  // A modal showing runs the dialog's own loop until the box is closed. The
  // box is already on the screen by then, and a dialog takes its modality
  // only as it is shown: it is shown again.
  for (auto& [part, widget] : parts_) widget->setObjectName(QString::fromStdString(part->Name()));
  ok_->setObjectName(QStringLiteral("OKButton"));
  NameForAccessibility(this);

  box_.RunModal = [this] {
    if (isVisible()) hide();
    exec();
  };
  box_.OnStateChanged = [this] { Refresh(); };
  for (auto& [part, widget] : parts_)
    const_cast<platform::Label*>(part)->OnStateChanged = [this] { Refresh(); };
  box_.OKButton.OnStateChanged = [this] { Refresh(); };
  Refresh();
}

AboutBoxView::~AboutBoxView() {
  box_.RunModal = nullptr;
  box_.OnStateChanged = nullptr;
  for (auto& [part, widget] : parts_) const_cast<platform::Label*>(part)->OnStateChanged = nullptr;
  box_.OKButton.OnStateChanged = nullptr;
}

QWidget* AboutBoxView::Widget(const platform::Label* part) const {
  const auto it = parts_.find(part);
  return it == parts_.end() ? nullptr : it->second;
}

QLabel* AboutBoxView::Picture(QWidget* parent, const platform::Label& part, const char* file,
                              QRect where) {
  auto* label = new QLabel(parent);
  label->setGeometry(where);
  label->setPixmap(QIcon(QString::fromLatin1(file)).pixmap(where.size()));
  label->setToolTip(FromCore(part.Hint()));
  parts_[&part] = label;
  OnClick(label, [&part] { const_cast<platform::Label&>(part).Click(); });
  return label;
}

QLabel* AboutBoxView::Text(QWidget* parent, const platform::Label& part, QRect where,
                           bool centred) {
  auto* label = new QLabel(FromCore(part.Text()), parent);
  label->setGeometry(where);
  label->setWordWrap(true);
  if (centred) label->setAlignment(Qt::AlignCenter);
  label->setToolTip(FromCore(part.Hint()));
  parts_[&part] = label;
  OnClick(label, [&part] { const_cast<platform::Label&>(part).Click(); });
  return label;
}

void AboutBoxView::Refresh() {
  for (auto& [part, widget] : parts_) widget->setVisible(part->Visible());
  memo_->setReadOnly(box_.MemoReadOnly());
  ok_->setVisible(box_.OKButton.Visible());
  if (height() != box_.Height()) setFixedSize(about::kClientWidth, box_.Height());
  if (box_.Visible() && !isVisible()) {
    // Centred on the screen, also where no window manager places it.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      move(screen->availableGeometry().center() - rect().center());
    }
    show();
  }
  // Hiding also ends the dialog's own loop when it was shown modally.
  if (!box_.Visible() && isVisible()) hide();
}

void AboutBoxView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) box_.FormClick();
  QDialog::mouseReleaseEvent(event);
}

void AboutBoxView::done(int result) {
  // The OK button, Escape and the close box all end up here.
  box_.CloseDialog();
  QDialog::done(result);
}

}  // namespace sonavia::qt
