#include "TestHelpers.h"

#include "SessionRegistry.h"
#include "platform/frmError.h"

#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QTest>

namespace dwfm::test {

void selectRows(QAbstractItemView *view, const std::vector<int> &rows)
{
    view->clearSelection();
    for (int row : rows)
        view->selectionModel()->select(view->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!rows.empty())
        view->selectionModel()->setCurrentIndex(view->model()->index(rows.front(), 0), QItemSelectionModel::NoUpdate);
}

bool showUncovered(FileManUI &control, int width, int height)
{
    control.resize(width, height);
    control.HideOverlay();
    control.show();
    return QTest::qWaitForWindowExposed(&control);
}

void expectErrorReport(ScriptedPrompts &prompts, const QString &procedure)
{
    prompts.expectDialog([procedure](QDialog &dialog) {
        auto *error = qobject_cast<frmError *>(&dialog);
        EXPECT_NE(error, nullptr) << dialog.objectName().toStdString();
        if (error) {
            EXPECT_TRUE(error->txtDetails->toPlainText().contains(QStringLiteral("Procedure = ") + procedure))
                << error->txtDetails->toPlainText().toStdString();
        }
        return 0;
    });
}

CurrentSession::CurrentSession() { SessionRegistry::setCurrent(session); }
CurrentSession::~CurrentSession() { SessionRegistry::setCurrent(nullptr); }

} // namespace dwfm::test
