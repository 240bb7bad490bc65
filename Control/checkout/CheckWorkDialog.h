#pragma once

#include "core/Keys.h"
#include "core/SessionAccess.h"
#include "SessionRegistry.h"

#include <QDialog>
#include <QRectF>
#include <QStringList>

class QLabel;
class QModelIndex;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStandardItemModel;
class QTreeView;

namespace dwfm {

// What check-out and check-in share: a dialog that lists the chosen files, works through
// them one by one when its OK button runs, writes "OK" or "Mislukt!" per file, and goes
// from ready (OK and Annuleren) through working (busy bar) to done (only Sluiten). The
// control fills it and runs the work without showing it; shown, the buttons do the same.
class CheckWorkDialog : public QDialog {
    Q_OBJECT
public:
    enum class Phase { Ready, Working, Done };
    enum Column { ColProject, ColSource, ColTarget, ColResult, ColumnCount };

    static constexpr double ClientWidth = 7110;
    static constexpr double ClientHeight = 4125;
    static constexpr double ColumnWidth = 1500;

    ~CheckWorkDialog() override;

    // True once the work has run; False after "Annuleren".
    bool OKPressed = false;
    // How many files SetData takes from its arrays; set it before SetData.
    qint32 ItemCount = 0;

    // Takes the first ItemCount names and keys (the file-list row texts and keys), adds one
    // row per name and leaves no row selected. Arrays shorter than ItemCount are refused
    // with DwError 9 and change nothing.
    void SetData(const QStringList &names, const QStringList &keys);
    // What loading does: every column 1500 twips wide, the dialog centred on the screen.
    void Form_Load();

    void cmdAnnuleren_Click();
    void cmdSluiten_Click();
    // A click on a row takes that row out of the selection.
    void lvOverzicht_ItemClick(const QModelIndex &index);

    Phase phase() const { return m_phase; }
    // The file name and the "Resultaat" text of row `row` (0-based).
    QString rowText(int row) const;
    QString resultText(int row) const;
    // The key of each column ("project", "projectdir", "bestanddir", "ophalen").
    QString columnKey(int column) const;
    QStandardItemModel *items() const { return m_items; }

    QLabel *Label1;
    QTreeView *lvOverzicht;
    QLabel *Label2;
    QPlainTextEdit *txtOmschrijving;
    QProgressBar *eBar;
    QPushButton *cmdOK;
    QPushButton *cmdAnnuleren;
    QPushButton *cmdSluiten;

protected:
    // The designed texts and positions (twips) that differ between the two dialogs.
    struct Design {
        QString objectName;
        QString caption;
        QString label1Text;
        QString okCaption;
        QRectF label1;
        QRectF list;
        QRectF label2;
        QRectF remark;
        QRectF bar;
    };

    CheckWorkDialog(const Design &design, QWidget *parent);

    // The OK button's work: beginWork gets the files up front, then each file in list order
    // is handed to workOne with its row, ID and the remark; True writes "OK" and calls
    // workDone before the next file, False writes "Mislukt!". An error leaves the loop at
    // once and is the caller's to report.
    void runWork();
    // The files (in list order, up to the first key that names none) before any is handed
    // to workOne: a dialog whose store takes them together does its work here.
    virtual void beginWork(const QList<qint32> &lProjectIDs, const QString &strDescription);
    virtual bool workOne(int row, qint32 lProjectID, const QString &strDescription) = 0;
    virtual void workDone(int row, qint32 lProjectID) = 0;

private:
    void setPhase(Phase phase);

    QStandardItemModel *m_items;
    QStringList m_keys;
    Phase m_phase = Phase::Ready;
};

} // namespace dwfm
