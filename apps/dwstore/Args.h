#pragma once

#include <QMap>
#include <QStringList>

// A wrong command line; dwstore prints the text and ends with the usage exit code.
struct UsageError {
    QString text;
};

// Options of the form --name value or --flag; everything else is positional.
struct Args {
    QStringList positional;
    QMap<QString, QString> options;

    Args(const QStringList &words, const QStringList &valued, const QStringList &flags)
    {
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString w = words[i];
            if (!w.startsWith(QLatin1String("--"))) {
                positional << w;
                continue;
            }
            const QString name = w.mid(2);
            if (flags.contains(name)) {
                options[name] = QStringLiteral("yes");
            } else if (valued.contains(name)) {
                if (i + 1 >= words.size())
                    throw UsageError{QStringLiteral("De optie --%1 verwacht een waarde.").arg(name)};
                options[name] = words[++i];
            } else {
                throw UsageError{QStringLiteral("Onbekende optie --%1.").arg(name)};
            }
        }
    }
    bool has(const QString &n) const { return options.contains(n); }
};
