#include "qt/AccessibleNames.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>
#include <map>

namespace sonavia::qt {

namespace {

struct Words {
  const char* name;  // nullptr: the control's caption names it
  const char* description;
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
      {"SpeedButtonEscComencar", {nullptr, "Torna a comen\u00e7ar la lectura (Ctrl+F3)"}},
      {"SpeedButtonEscLinkLlegit", {nullptr, "Segueix l'enlla\u00e7 que s'est\u00e0 llegint (F2)"}},
      {"SpeedButtonEscMarc", {nullptr, "Passa al marc seg\u00fcent de la p\u00e0gina (F6)"}},
      {"SpeedButtonEscParlat", {nullptr, "L'escaneig diu o calla el nom de cada bot\u00f3"}},
      {"SpeedButtonEscAturar", {nullptr, "Atura l'escaneig autom\u00e0tic (Ctrl+F2)"}},
      {"ImageQuelva2000", {"Quelva", "Obre la p\u00e0gina web dels autors"}},
      {"cboAddress", {"Adre\u00e7a", "L'adre\u00e7a de la p\u00e0gina; F8 per escriure'n una"}},
      {"EditVelocitat",
       {"Velocitat de lectura", "Un nombre de 1 a 255; com m\u00e9s gran, m\u00e9s r\u00e0pid"}},
      {"TextDecimesScan",
       {"Pas d'escaneig", "D\u00e8cimes de segon que dura el pas d'escaneig, de 1 a 100"}},
      {"TextTimerParo",
       {"Paro de l'escaneig", "D\u00e8cimes de segon que dura el paro de l'escaneig, de 1 a 100"}},
      {"StatusBar1", {"Estat", "Qu\u00e8 fa el navegador"}},
      {"StatusBarSo", {"So", "Si la lectura es pot sentir"}},
      {"brwWebBrowser", {"P\u00e0gina", "La p\u00e0gina web que s'est\u00e0 llegint"}},
      {"ToolBarBotons",
       {"Botons", "Les ordres del navegador; amb l'escaneig, el punter hi passa d'un en un"}},
      {"ToolBarAdressa",
       {"Barra d'adre\u00e7a", "L'adre\u00e7a, la velocitat i els temps de l'escaneig"}},
      // The about box.
      {"ProductName", {nullptr, "Obre la p\u00e0gina web dels autors"}},
      {"Version", {nullptr, "La versi\u00f3 del programa"}},
      {"MakerLabel", {nullptr, "Obre la p\u00e0gina web dels autors"}},
      {"Comments", {nullptr, "Per a qui es va fer el programa"}},
      {"ImageOrella", {"Orella", "Dibuix d'una orella"}},
      {"ImageOrdinador", {"Ordinador", "Dibuix d'un ordinador"}},
      {"Image1", {"Vista", "Dibuix; un clic passa a la vista seg\u00fcent"}},
      {"Image2", {"Vista", "Dibuix; un clic passa a la vista seg\u00fcent"}},
      {"Label1", {nullptr, "Un clic passa a la vista seg\u00fcent"}},
      {"Label2", {nullptr, "Un clic passa a la vista seg\u00fcent"}},
      {"Memo1", {"Llic\u00e8ncia", "El text de la llic\u00e8ncia"}},
      {"Image3", {"Pallasso", "En Pallasso Rialles"}},
      {"OKButton", {"D'acord", "Tanca aquesta finestra"}},
  };
  return table;
}

void Apply(QWidget* widget) {
  const auto it = Table().find(widget->objectName());
  if (it == Table().end()) return;
  if (it->second.name != nullptr) widget->setAccessibleName(QString::fromUtf8(it->second.name));
  widget->setAccessibleDescription(QString::fromUtf8(it->second.description));
  // A screen reader here names a combo box by its text: the name goes on
  // its edit as well.
  if (auto* box = qobject_cast<QComboBox*>(widget); box != nullptr && box->lineEdit() != nullptr) {
    box->lineEdit()->setAccessibleName(widget->accessibleName());
    box->lineEdit()->setAccessibleDescription(widget->accessibleDescription());
  }
}

}  // namespace

void NameForAccessibility(QWidget* root) {
  Apply(root);
  for (QWidget* child : root->findChildren<QWidget*>()) Apply(child);
}

}  // namespace sonavia::qt
