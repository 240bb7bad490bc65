#pragma once

#include <QString>
#include <QStringList>

// What the host program was asked to do on its command line.
struct HostOptions {
    QString server;
    QString catalog;
    QString user;
    QString password;
    bool sqlSecurity = false;
    QString screenshot; // render the window to this PNG and quit
    QString location;   // the location to open after connecting ("Projecten/Brug Noord")
    QString file;       // a file of that location to click ("Situatie.png")
    QString dialogScreenshots; // render two dialogs into this folder and quit
    bool offscreen = false;
};

// Reads the command line; prints help or an error and exits on bad arguments.
HostOptions parseHostOptions(const QStringList &arguments);
