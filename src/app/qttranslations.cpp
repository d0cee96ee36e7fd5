#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QPointer>
#include <QTranslator>

namespace {

Q_LOGGING_CATEGORY(lcStartup, "zarvello.startup")

// The translator installed for French, kept so that choosing English again removes it. It
// belongs to the application, so it goes when the application does.
QPointer<QTranslator> frenchTranslator;

} // namespace

void installQtTranslations(bool french)
{
    if (frenchTranslator) {
        QCoreApplication::removeTranslator(frenchTranslator);
        delete frenchTranslator;
    }
    if (!french)
        return;
    // qtbase holds every text the widgets show; Debian ships it in qt6-translations-l10n. When it
    // is missing, Qt's texts stay English rather than the program failing to start.
    auto *translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(QStringLiteral("qtbase_fr"), folder)) {
        QCoreApplication::installTranslator(translator);
        frenchTranslator = translator;
    } else {
        qCWarning(lcStartup) << "no qtbase_fr translation in" << folder
                             << "- Qt's own texts stay English";
        delete translator;
    }
}
