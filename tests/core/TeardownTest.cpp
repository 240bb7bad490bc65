// A control that goes away while events for its tree and list still wait in the queue: the
// events queued before the deletion are handled, those queued after it reach nothing, and
// no part of the control touches a view that is already gone.
#include "support/ControlFixture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace dwfm::test {
namespace {

class ControlTeardownTest : public ControlFixture {};

TEST_F(ControlTeardownTest, DeletedWhileEventsForTreeAndListAreQueued)
{
    addLocation(5, QStringLiteral("Offertes"), {{6, QStringLiteral("Oud")}});
    setFiles(5, {fileRow(11, QStringLiteral("a.doc"))});
    ASSERT_TRUE(control->ControlInSpecificLocationMode(5, QStringLiteral("Offertes"), true));
    control->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(control.get()));

    const QPointer<QTreeView> tree = control->tvTreeView;
    const QPointer<QTreeView> list = control->lvListView;
    // F5 in the list and in the tree, the keyboard and a click beside the rows in both.
    const auto queueUserEvents = [&] {
        for (QTreeView *view : {tree.data(), list.data()}) {
            QCoreApplication::postEvent(view, new QKeyEvent(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier));
            QCoreApplication::postEvent(view, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier));
            const QPointF below(5, view->viewport()->height() - 2);
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(view->viewport(),
                                            new QMouseEvent(type, below, view->viewport()->mapToGlobal(below),
                                                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        }
    };
    const std::size_t readsBefore = session->calls().size();
    queueUserEvents();
    treeTester.reset(); // the testers and the spy watch the control's models
    listTester.reset();
    locationSpy.reset();
    // The host's event loop handles the queue in order: the deletion comes between the two
    // rounds of events.
    QEventLoop loop;
    QObject::connect(control.get(), &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    control.release()->deleteLater();
    queueUserEvents();
    loop.exec();

    EXPECT_TRUE(tree.isNull());
    EXPECT_TRUE(list.isNull());
    // The F5 in the tree read its locations and the files again, the F5 in the list the
    // files; the events after the deletion read nothing.
    QStringList reads;
    for (std::size_t i = readsBefore; i < session->calls().size(); ++i)
        reads << session->calls()[i].name;
    EXPECT_EQ(reads.count(QStringLiteral("GetLocationDescription")), 1) << reads.join(u' ').toStdString();
    EXPECT_EQ(reads.count(QStringLiteral("GetProjectsInLocation")), 2) << reads.join(u' ').toStdString();
}

} // namespace
} // namespace dwfm::test
