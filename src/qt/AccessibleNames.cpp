#include "qt/AccessibleNames.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QFocusFrame>
#include <QLineEdit>
#include <QMenu>
#include <QWidget>
#include <map>

#include "qt/SynthesizedInput.h"

namespace sonavia::qt {

namespace {

// The mark of a widget that only lays out others.
constexpr char kLayOutOnlyProperty[] = "sonaviaLayOutOnly";

// The widgets offered with a role of the table's. Assistive technology asks
// about every object, the browser engine's own too, which are built
// without type information: they are told apart by their address alone.
std::map<const QObject*, QAccessible::Role>& Roles() {
  static std::map<const QObject*, QAccessible::Role> roles;
  return roles;
}

struct Words {
  const char* name;  // nullptr: the control's caption or text names it
  const char* description;
  QAccessible::Role role = QAccessible::NoRole;  // NoRole: Qt's own
};

// UTF-8 throughout; keyed by the controls' object names.
const std::map<QString, Words>& Table() {
  static const std::map<QString, Words> table = {
      {"SpeedButtonAnterior", {nullptr, "Torna a la p\u00e0gina anterior (F9)"}},
      {"SpeedButtonSeguent", {nullptr, "Va a la p\u00e0gina seg\u00fcent (Ctrl+F9)"}},
      {"SpeedButtonPararCarrega", {nullptr, "Para la c\u00e0rrega de la p\u00e0gina (Ctrl+P)"}},
      {"SpeedButtonRecarregar", {nullptr, "Torna a carregar la p\u00e0gina (Ctrl+R)"}},
      {"SpeedButtonMarcSeguent", {nullptr, "Passa al marc seg\u00fcent de la p\u00e0gina (F6)"}},
      {"SpeedButtonRePag", {nullptr, "Puja una pantalla la p\u00e0gina (Re P\u00e0g)"}},
      {"SpeedButtonAvPag", {nullptr, "Baixa una pantalla la p\u00e0gina (Av P\u00e0g)"}},
      {"SpeedButtonTab",
       {nullptr, "Passa al seg\u00fcent enlla\u00e7 o camp de la p\u00e0gina (Tab)"}},
      {"SpeedButtonAlLink",
       {nullptr, "Segueix l'enlla\u00e7 assenyalat o el que s'est\u00e0 llegint (F2)"}},
      {"SpeedButtonParlar", {nullptr, "Atura o repr\u00e8n la lectura en veu alta (F3)"}},
      // The second cycle of the scan, after a long press of the switch.
      {"SpeedButtonEscLinks",
       {nullptr, "Llegeix nom\u00e9s els enlla\u00e7os, o tota la p\u00e0gina (F4)"}},
      {"SpeedButtonEscLlengua", {nullptr, "Llegeix en l'altra llengua (F7)"}},
      {"SpeedButtonEscEscriure",
       {nullptr, "Obre el teclat per escriure una adre\u00e7a o una cerca amb el polsador (F8)"}},
      {"SpeedButtonEscPreferits", {nullptr, "Ofereix els preferits, un a cada pas"}},
      {"SpeedButtonEscAfegirPreferit", {nullptr, "Afegeix la p\u00e0gina als preferits (Ctrl+D)"}},
      {"SpeedButtonEscMesRapid", {nullptr, "Llegeix m\u00e9s de pressa"}},
      {"SpeedButtonEscMesLent", {nullptr, "Llegeix m\u00e9s a poc a poc"}},
      {"SpeedButtonEscComencar", {nullptr, "Torna a comen\u00e7ar la lectura (Ctrl+F3)"}},
      {"SpeedButtonEscLinkLlegit", {nullptr, "Segueix l'enlla\u00e7 que s'est\u00e0 llegint (F2)"}},
      {"SpeedButtonEscMarc", {nullptr, "Passa al marc seg\u00fcent de la p\u00e0gina (F6)"}},
      {"SpeedButtonEscParlat", {nullptr, "L'escaneig diu o calla el nom de cada bot\u00f3"}},
      {"SpeedButtonEscSo", {nullptr, "Silencia la p\u00e0gina o li torna el so (Ctrl+M)"}},
      {"SpeedButtonEscAturar", {nullptr, "Atura l'escaneig autom\u00e0tic (Ctrl+F2)"}},
      {"SpeedButtonEscArticle",
       {nullptr, "Llegeix l'article de la p\u00e0gina o la p\u00e0gina sencera (Maj+F4)"}},
      {"SpeedButtonEscTitolSeg", {nullptr, "Salta al t\u00edtol seg\u00fcent (F11)"}},
      {"SpeedButtonEscTitolAnt", {nullptr, "Torna al t\u00edtol anterior (Maj+F11)"}},
      {"SpeedButtonEscParagrafSeg", {nullptr, "Salta al par\u00e0graf seg\u00fcent (F12)"}},
      {"SpeedButtonEscParagrafAnt", {nullptr, "Torna al par\u00e0graf anterior (Maj+F12)"}},
      {"SpeedButtonEscFraseSeg", {nullptr, "Salta a la frase seg\u00fcent (F5)"}},
      {"SpeedButtonEscFraseAnt", {nullptr, "Torna a la frase anterior (Maj+F5)"}},
      {"ImageQuelva2000",
       {"P\u00e0gina web dels autors", "El logotip de Quelva; obre la p\u00e0gina web dels autors",
        QAccessible::Link}},
      {"cboAddress", {"Adre\u00e7a", "L'adre\u00e7a de la p\u00e0gina; F8 per escriure'n una"}},
      {"EditVelocitat",
       {"Velocitat de lectura", "Un nombre de 1 a 255; com m\u00e9s gran, m\u00e9s r\u00e0pid"}},
      {"TextDecimesScan",
       {"Pas d'escaneig", "D\u00e8cimes de segon que dura el pas d'escaneig, de 1 a 100"}},
      {"TextTimerParo",
       {"Paro de l'escaneig", "D\u00e8cimes de segon que dura el paro de l'escaneig, de 1 a 100"}},
      // The status texts are named by what they say, and shown only then.
      {"StatusBar1", {nullptr, "Qu\u00e8 fa el navegador"}},
      {"StatusBarSo", {nullptr, "Si la lectura es pot sentir"}},
      {"BarraEstat", {"Barra d'estat", "Qu\u00e8 fa el navegador", QAccessible::StatusBar}},
      {"brwWebBrowser", {"P\u00e0gina", "La p\u00e0gina web que s'est\u00e0 llegint"}},
      {"FilaBotons",
       {"Barra de botons",
        "Les ordres del navegador; amb l'escaneig, el punter hi passa d'un en un",
        QAccessible::ToolBar}},
      {"ToolBarAdressa",
       {"Barra d'adre\u00e7a", "L'adre\u00e7a, la velocitat i els temps de l'escaneig",
        QAccessible::ToolBar}},
      {"BarraMenus", {"Barra de men\u00fas", "Les ordres del programa; Alt o F10 l'obren"}},
      {"FinestraPrincipal", {nullptr, "El navegador que llegeix", QAccessible::Window}},
      // The about box.
      {"AboutBox", {nullptr, "Sobre el programa", QAccessible::Dialog}},
      {"Panel1", {"El programa", "El nom, la versi\u00f3 i els autors", QAccessible::Grouping}},
      {"Panel2", {"Vistes", "Un clic passa a la vista seg\u00fcent", QAccessible::Grouping}},
      {"ProductName", {nullptr, "Obre la p\u00e0gina web dels autors"}},
      {"Version", {nullptr, "La versi\u00f3 del programa"}},
      {"MakerLabel", {nullptr, "Obre la p\u00e0gina web dels autors"}},
      {"Comments", {nullptr, "Per a qui es va fer el programa"}},
      {"ImageOrella", {"Dibuix d'una orella", "Sonavia parla"}},
      {"ImageOrdinador", {"Dibuix d'un ordinador", "Sonavia es mou per la pantalla"}},
      {"Image1", {"Dibuix d'un ordinador que parla", "Un clic passa a la vista seg\u00fcent"}},
      {"Image2",
       {"Dibuix d'una orella que escolta un text", "Un clic passa a la vista seg\u00fcent"}},
      {"Label1", {nullptr, "Un clic passa a la vista seg\u00fcent"}},
      {"Label2", {nullptr, "Un clic passa a la vista seg\u00fcent"}},
      {"Memo1", {"Llic\u00e8ncia", "El text de la llic\u00e8ncia"}},
      {"Image3", {"Dibuix d'en Pallasso Rialles", "Un clic el fa marxar"}},
      {"OKButton", {"D'acord", "Tanca aquesta finestra"}},
  };
  return table;
}

bool LaysOutOnly(const QWidget* widget) {
  return widget->property(kLayOutOnlyProperty).toBool();
}

// What a screen reader meets under `widget`: the widgets on the screen
// with room of their own, in place of a widget that only lays them out.
QWidgetList Shown(const QWidget* widget) {
  QWidgetList shown;
  for (QObject* object : widget->children()) {
    if (!object->isWidgetType()) continue;
    auto* child = static_cast<QWidget*>(object);
    if (child->isWindow() || child->isHidden() || child->width() <= 0 || child->height() <= 0 ||
        qobject_cast<QMenu*>(child) != nullptr || qobject_cast<QFocusFrame*>(child) != nullptr)
      continue;
    if (LaysOutOnly(child)) {
      shown += Shown(child);
    } else {
      shown.append(child);
    }
  }
  return shown;
}

int IndexOf(const QWidgetList& widgets, const QObject* object) {
  for (int i = 0; i < widgets.size(); ++i) {
    if (static_cast<const QObject*>(widgets.at(i)) == object) return i;
  }
  return -1;
}

// A window or a container of the program's: only what is shown.
class Container : public QAccessibleWidget {
 public:
  Container(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

  int childCount() const override { return static_cast<int>(Shown(widget()).size()); }
  QAccessibleInterface* child(int index) const override {
    const QWidgetList shown = Shown(widget());
    if (index < 0 || index >= shown.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(shown.at(index));
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr ? IndexOf(Shown(widget()), child->object()) : -1;
  }
  QAccessibleInterface* parent() const override {
    if (widget()->isWindow()) return QAccessibleWidget::parent();
    QWidget* above = widget()->parentWidget();
    while (above != nullptr && !above->isWindow() && LaysOutOnly(above))
      above = above->parentWidget();
    return above != nullptr ? QAccessible::queryAccessibleInterface(above)
                            : QAccessibleWidget::parent();
  }
};

// A picture that opens a page when it is clicked: a link a screen reader
// can follow.
class PictureLink : public QAccessibleWidget {
 public:
  explicit PictureLink(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Link) {}
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (name == pressAction()) SendClick(widget(), widget()->rect().center());
  }
};

// Only the windows on the screen: no hidden dialog, no window that the
// browser engine draws pages in off the screen.
class Application : public QAccessibleApplication {
 public:
  int childCount() const override { return static_cast<int>(Windows().size()); }
  QAccessibleInterface* child(int index) const override {
    const QWidgetList windows = Windows();
    if (index < 0 || index >= windows.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(windows.at(index));
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr ? IndexOf(Windows(), child->object()) : -1;
  }

 private:
  static QWidgetList Windows() {
    QWidgetList windows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      const Qt::WindowType type = window->windowType();
      if (window->isVisible() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::Desktop)
        windows.append(window);
    }
    return windows;
  }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (object == qApp) return className == QLatin1String("QApplication") ? new Application : nullptr;
  const auto it = Roles().find(object);
  if (it == Roles().end()) return nullptr;
  auto* widget = static_cast<QWidget*>(object);
  if (it->second == QAccessible::Link) return new PictureLink(widget);
  return new Container(widget, it->second);
}

void Apply(QWidget* widget) {
  const auto it = Table().find(widget->objectName());
  if (it == Table().end()) return;
  const Words& words = it->second;
  if (words.role != QAccessible::NoRole && Roles().count(widget) == 0) {
    Roles()[widget] = words.role;
    QObject::connect(widget, &QObject::destroyed, [widget] { Roles().erase(widget); });
    // An interface that assistive technology asked for before the role
    // was given is made again, with it.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
    if (made != nullptr && dynamic_cast<Container*>(made) == nullptr &&
        dynamic_cast<PictureLink*>(made) == nullptr)
      QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
  }
  if (words.name != nullptr) widget->setAccessibleName(QString::fromUtf8(words.name));
  widget->setAccessibleDescription(QString::fromUtf8(words.description));
  // A screen reader here names a combo box by its text: the name goes on
  // its edit as well.
  if (auto* box = qobject_cast<QComboBox*>(widget); box != nullptr && box->lineEdit() != nullptr) {
    box->lineEdit()->setAccessibleName(widget->accessibleName());
    box->lineEdit()->setAccessibleDescription(widget->accessibleDescription());
  }
}

}  // namespace

void InstallAccessibility() {
  QAccessible::installFactory(Factory);
  QAccessibleInterface* made = QAccessible::queryAccessibleInterface(qApp);
  if (made != nullptr && dynamic_cast<Application*>(made) == nullptr)
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void NameForAccessibility(QWidget* root) {
  Apply(root);
  for (QWidget* child : root->findChildren<QWidget*>()) Apply(child);
}

void LayOutOnly(QWidget* widget) {
  widget->setProperty(kLayOutOnlyProperty, true);
}

}  // namespace sonavia::qt
