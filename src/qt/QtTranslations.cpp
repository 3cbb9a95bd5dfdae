#include "qt/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace sonavia::qt {

QtTranslations::~QtTranslations() {
  Remove();
}

void QtTranslations::Remove() {
  for (auto& translator : translators_) QCoreApplication::removeTranslator(translator.get());
  translators_.clear();
}

void QtTranslations::Use(bool castilian) {
  const int language = castilian ? 1 : 0;
  if (language == language_) return;
  language_ = language;
  Remove();
  const QLocale locale(castilian ? QLocale::Spanish : QLocale::Catalan, QLocale::Spain);
  QLocale::setDefault(locale);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  // "qt" gathers the base modules; the web engine's are apart.
  for (const char* module : {"qt", "qtwebengine"}) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, QString::fromLatin1(module), QStringLiteral("_"), folder))
      continue;
    QCoreApplication::installTranslator(translator.get());
    translators_.push_back(std::move(translator));
  }
}

}  // namespace sonavia::qt
