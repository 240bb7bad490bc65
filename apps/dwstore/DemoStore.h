#pragma once

#include <QString>
#include <QTextStream>

// Creates the demo store: nested locations, text files, pictures, three users (demo and
// collega with passwords, and the operating-system account for integrated security) and
// one file checked out by collega. Throws DwError.
void createDemoStore(const QString &folder, const QString &catalogue, QTextStream &out);
