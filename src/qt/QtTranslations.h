// Qt's own texts (the buttons and labels of its file, print and message
// dialogs, the page's context menu) in the program's language: Catalan, or
// Castilian while the reading is in Castilian.
#pragma once

#include <QObject>
#include <QTranslator>
#include <memory>
#include <vector>

namespace sonavia::qt {

class QtTranslations : public QObject {
 public:
  explicit QtTranslations(QObject* parent) : QObject(parent) {}
  ~QtTranslations() override;
  // Does nothing when the language is the one in use.
  void Use(bool castilian);
  // Whether the translations were found; without them Qt speaks English.
  bool Loaded() const { return !translators_.empty(); }

 private:
  void Remove();
  int language_ = -1;  // none yet
  std::vector<std::unique_ptr<QTranslator>> translators_;
};

}  // namespace sonavia::qt
