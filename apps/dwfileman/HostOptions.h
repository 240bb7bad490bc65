#pragma once

#include "StoreConnection.h"

#include <QString>
#include <QStringList>

// What the host program was asked to do on its command line.
struct HostOptions {
    StoreConnection connection;
    // A connection option was given (--server, --catalog, --user, --password,
    // --password-stdin, --sql-security): the command line says where to connect, no
    // dialog asks and nothing is remembered.
    bool connectionGiven = false;
    bool passwordStdin = false; // read the password from the first line of standard input
    QString screenshot; // render the window to this PNG and quit
    QString location;   // the location to open after connecting ("Projecten/Brug Noord")
    QString file;       // a file of that location to click ("Situatie.png")
    QString search;     // text to search the store for, as the search field does
    QString dialogScreenshots; // render the dialogs into this folder and quit
};

// Reads the command line; prints help or an error and exits on bad arguments.
HostOptions parseHostOptions(const QStringList &arguments);
