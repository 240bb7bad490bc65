#include "TextHelpers.h"

#include "ErrorReport.h"
#include "Prompts.h"

#include <QDir>

namespace dwfm {

namespace {
const QString kCrLf = QStringLiteral("\r\n");

bool endsInSeparator(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'));
}

void showNameMessage(const QString &text)
{
    prompts().message(text, ApplicationTitle(), Prompts::Icon::None, Prompts::Buttons::Ok, Prompts::Answer::Ok);
}
} // namespace

bool FileNameValid(const QString &fileName)
{
    try {
        if (fileName.size() > 253) {
            showNameMessage(QStringLiteral("Bestandsnaam is te lang!") + kCrLf + kCrLf + fileName);
            return false;
        }
        static const QString forbidden = QStringLiteral("<>:/\\|\"");
        for (const QChar c : forbidden) {
            if (fileName.contains(c)) {
                showNameMessage(QStringLiteral("Bestandsnaam bevat ongeldige karakters!") + kCrLf + kCrLf + fileName);
                return false;
            }
        }
        return true;
    } catch (const std::exception &error) {
        ShowError(QStringLiteral("modMain.FileNameValid"), error);
        return false;
    }
}

bool KeyAllowed(qint16 &keyCode)
{
    static const QString allowed = QStringLiteral("abcdefghijklmnopqrstuvwxyz!@#$%1234567890");
    const QChar c = QChar(ushort(keyCode)).toLower();
    if (!allowed.contains(c) && keyCode >= 32) {
        keyCode = 0;
        return false;
    }
    return true;
}

QString NullToEmpty(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    return value.toString();
}

QString StripLastChar(const QString &text) { return text.size() > 1 ? text.left(text.size() - 1) : QString(); }

QString AddBackslash(const QString &path)
{
    if (path.isEmpty() || endsInSeparator(path))
        return path;
    return path + QDir::separator();
}

QString RemoveTrailingBackslash(const QString &path)
{
    if (endsInSeparator(path))
        return path.left(path.size() - 1);
    return path;
}

QString ComputerNameText(const QString &computerName)
{
    // Wide enough for any usual host name; a longer one keeps its start, which is the part
    // that tells machines apart.
    constexpr qsizetype kPanelChars = 40;
    QString name = computerName.trimmed();
    if (name.isEmpty())
        name = QStringLiteral(" ");
    else if (name.size() > kPanelChars)
        name = name.left(kPanelChars - 1) + QChar(0x2026);
    return QStringLiteral("[") + name + QStringLiteral("]  ");
}

} // namespace dwfm
