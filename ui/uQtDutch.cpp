#include "uQtDutch.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtDutch()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Dutch, QLocale::Netherlands), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder)
        || !QCoreApplication::installTranslator(translator)) {
        // Before the settings are read, so not in the debug log.
        qWarning() << "Qt's Dutch texts not found in" << folder;
        delete translator;
        return false;
    }
    return true;
}
