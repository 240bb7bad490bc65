#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace dwfm {

// "Eigenschappen" of the file list: the properties dialog for one file, shown modally.
class PropertiesCommand : public QObject {
    Q_OBJECT
public:
    struct Context {
        QWidget *owner = nullptr;
        std::function<bool()> treeNodeSelected;
        std::function<void()> refreshListView;
        // Opens a read-only copy of one version of a file, as "Bestand Bekijken" opens one.
        std::function<void(qint32 lProjectID, qint32 lVersion)> viewVersion;
    };

    explicit PropertiesCommand(Context context, QObject *parent = nullptr);

    // Shows the dialog for the file; `listedName` is the name the list shows for it. When
    // the dialog found the store different from the list, the list is refilled
    // afterwards (with a location selected). Failing steps are skipped.
    void EigenschappenProject(qint32 lProjectID, const QString &listedName = QString());

private:
    Context m_ctx;
};

} // namespace dwfm
