#include "HostOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

HostOptions parseHostOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "dwfileman shows the file manager control over a document store.\n"
        "Without connection options it opens the connection dialog, filled with what was used\n"
        "last time (never the password), or connects straight away when the last connection\n"
        "logged on as the operating-system account.\n"
        "For scripts: --server (a store folder, empty for the default store folder, or a\n"
        "server), --catalog (the store's database name) and --user. Without --sql-security the\n"
        "operating-system account logs on (integrated security); with it, the store's own user.\n"
        "A password that is not given is asked for: in the dialog, or on the terminal without\n"
        "showing it. --password-stdin reads it from standard input; --password puts it where\n"
        "every user of the machine can read it (the process list) and is best avoided."));
    parser.addHelpOption();
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("Store folder or server."),
                                    QStringLiteral("server"));
    const QCommandLineOption catalog(QStringLiteral("catalog"), QStringLiteral("Catalogue (database) name."),
                                     QStringLiteral("catalog"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("User name (with --sql-security)."),
                                  QStringLiteral("user"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("Password (with --sql-security); visible to others, prefer the dialog or --password-stdin."),
                                      QStringLiteral("password"));
    const QCommandLineOption passwordStdin(QStringLiteral("password-stdin"),
                                           QStringLiteral("Read the password from the first line of standard input."));
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
    const QCommandLineOption search(QStringLiteral("search"),
                                    QStringLiteral("Search the store for this text, as the search field above the list does."),
                                    QStringLiteral("text"));
    const QCommandLineOption dialogShots(
        QStringLiteral("dialog-screenshots"),
        QStringLiteral("Render the connection dialog and the add-files and properties dialogs of the opened "
                       "location to PNG files in this folder and quit."),
        QStringLiteral("folder"));
    parser.addOptions({server, catalog, user, password, passwordStdin, sqlSecurity, screenshot, location, file, search,
                       dialogShots});
    parser.process(arguments);

    HostOptions options;
    options.connection.server = parser.value(server);
    options.connection.catalog = parser.value(catalog);
    options.connection.user = parser.value(user);
    options.connection.password = parser.value(password);
    options.connection.sqlSecurity = parser.isSet(sqlSecurity);
    options.passwordStdin = parser.isSet(passwordStdin);
    for (const QCommandLineOption *given : {&server, &catalog, &user, &password, &passwordStdin, &sqlSecurity})
        options.connectionGiven = options.connectionGiven || parser.isSet(*given);
    options.screenshot = parser.value(screenshot);
    options.location = parser.value(location);
    options.file = parser.value(file);
    options.search = parser.value(search);
    options.dialogScreenshots = parser.value(dialogShots);
    return options;
}
