#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QPushButton;
class QStandardItemModel;
class QTreeView;

namespace dwfm {

// The versions of one file on the properties dialog's "Logboek" tab, for a store that keeps
// them (ProjectVersions): number, date, user, size and remark, newest first, the current one
// in bold. "Bekijken" opens a read-only copy of the chosen version as "Bestand Bekijken"
// opens one; "Terugzetten" makes it the file's content again after a question, while the
// file is free or the user's own.
class VersionPanel : public QWidget {
    Q_OBJECT
public:
    enum Column { ColVersion, ColDate, ColUser, ColSize, ColRemark, ColumnCount };

    explicit VersionPanel(QWidget *parent = nullptr);
    ~VersionPanel() override;

    // Reads the versions of the file from the store. False (and nothing shown) when the
    // store keeps no versions or has none for the file. `holder`: who has the file in use
    // (empty when free).
    bool fill(qint32 projectID, const QString &fileName, const QString &holder);

    // Opens a read-only copy of one version for the user (set by the dialog's owner).
    std::function<void(qint32 projectID, qint32 version)> viewVersion;

    void cmdBekijken_Click();
    void cmdTerugzetten_Click();

    // The version number of a row of the list.
    qint32 versionOfRow(int row) const;
    QStandardItemModel *items() const { return m_items; }

    QTreeView *lvVersies;
    QPushButton *cmdBekijken;
    QPushButton *cmdTerugzetten;

signals:
    // A version was restored: the file's history and versions changed.
    void restored();

private:
    void updateButtons();
    // The version of the selected row; 0 when none is selected.
    qint32 selectedVersion() const;

    QStandardItemModel *m_items;
    qint32 m_projectID = 0;
    QString m_fileName;
    QString m_holder;
    qint32 m_current = 0;
    bool m_mayRestore = false;
};

} // namespace dwfm
