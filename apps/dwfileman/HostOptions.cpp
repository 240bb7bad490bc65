#include "HostOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

HostOptions parseHostOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "dwfileman shows the file manager control over a document store.\n"
        "Connect with --server (a store folder, empty for the default demo store), --catalog\n"
        "(the store's database name), --user and --password. Without --sql-security the\n"
        "operating-system account logs on (integrated security); with it, the store's own\n"
        "user and password."));
    parser.addHelpOption();
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("Store folder or server."),
                                    QStringLiteral("server"));
    const QCommandLineOption catalog(QStringLiteral("catalog"), QStringLiteral("Catalogue (database) name."),
                                     QStringLiteral("catalog"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("User name (with --sql-security)."),
                                  QStringLiteral("user"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("Password (with --sql-security)."),
                                      QStringLiteral("password"));
    const QCommandLineOption sqlSecurity(QStringLiteral("sql-security"),
                                         QStringLiteral("Log on with the store's own user and password."));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Render the window to this PNG file and quit."),
                                        QStringLiteral("file"));
    const QCommandLineOption location(
        QStringLiteral("location"),
        QStringLiteral("Open this location after connecting: its path of names, e.g. \"Projecten/Brug Noord\"."),
        QStringLiteral("path"));
    const QCommandLineOption file(QStringLiteral("file"),
                                  QStringLiteral("Click this file of the opened location, e.g. \"Situatie.png\"."),
                                  QStringLiteral("name"));
    const QCommandLineOption dialogShots(
        QStringLiteral("dialog-screenshots"),
        QStringLiteral("Render the add-files and properties dialogs of the opened location to PNG files in this "
                       "folder and quit."),
        QStringLiteral("folder"));
    parser.addOptions({server, catalog, user, password, sqlSecurity, screenshot, location, file, dialogShots});
    parser.process(arguments);

    HostOptions options;
    options.server = parser.value(server);
    options.catalog = parser.value(catalog);
    options.user = parser.value(user);
    options.password = parser.value(password);
    options.sqlSecurity = parser.isSet(sqlSecurity);
    options.screenshot = parser.value(screenshot);
    options.location = parser.value(location);
    options.file = parser.value(file);
    options.dialogScreenshots = parser.value(dialogShots);
    return options;
}
