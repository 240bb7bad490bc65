#include "FileManUIPlugin.h"

#include "core/FileManUI.h"

#include <QIcon>

FileManUIPlugin::FileManUIPlugin(QObject *parent) : QObject(parent) {}

QString FileManUIPlugin::name() const { return QStringLiteral("dwfm::FileManUI"); }
QString FileManUIPlugin::group() const { return QStringLiteral("DwProjectFileManUI"); }
QString FileManUIPlugin::toolTip() const { return QStringLiteral("Bestandsbeheer over de documentstore"); }
QString FileManUIPlugin::whatsThis() const
{
    return QStringLiteral("Boom met locaties, lijst met bestanden en voorbeeld; verbind met SetupConnection "
                          "en kies een modus.");
}
// The include a generated ui_*.h uses: the installed header's path below the package's
// include folder.
QString FileManUIPlugin::includeFile() const { return QStringLiteral("core/FileManUI.h"); }
QIcon FileManUIPlugin::icon() const { return QIcon::fromTheme(QStringLiteral("dwfileman")); }
bool FileManUIPlugin::isContainer() const { return false; }
QWidget *FileManUIPlugin::createWidget(QWidget *parent) { return new dwfm::FileManUI(parent); }
bool FileManUIPlugin::isInitialized() const { return m_initialized; }
void FileManUIPlugin::initialize(QDesignerFormEditorInterface *) { m_initialized = true; }

QString FileManUIPlugin::domXml() const
{
    return QStringLiteral(R"(<ui language="c++">
 <widget class="dwfm::FileManUI" name="fileManUI">
  <property name="geometry"><rect><x>0</x><y>0</y><width>640</width><height>420</height></rect></property>
 </widget>
</ui>
)");
}
