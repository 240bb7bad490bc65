#include "DutchQtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace dwfm {

namespace {
// The name of the translator this library installs, so that it is installed only once
// per application however many controls and dialogs ask for it.
const char *const kTranslatorName = "dwfmDutchQtTexts";

// True when the application already translates Qt's texts (a host's translation, or
// ours): Qt's own "&Yes" button text then reads otherwise.
bool qtTextsTranslated()
{
    return QCoreApplication::translate("QPlatformTheme", "&Yes") != QLatin1String("&Yes");
}
} // namespace

void UseDutchQtTexts()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || application->findChild<QTranslator *>(QLatin1String(kTranslatorName), Qt::FindDirectChildrenOnly))
        return;
    if (qtTextsTranslated())
        return;
    // The translator stays a child of the application also when the files are missing,
    // so they are looked for once.
    auto *translator = new QTranslator(application);
    translator->setObjectName(QLatin1String(kTranslatorName));
    if (translator->load(QLocale(QLocale::Dutch, QLocale::Netherlands), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

} // namespace dwfm
