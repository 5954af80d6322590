// The windows the program opens besides its main window: one without a parent opens over the
// main window and transient for it, one with a parent stays where Qt puts it; every show keeps
// a window within the screen's available area; an open one stays where it is when the main
// window moves; menus and the owner are left alone.
#include "ownedwindows.h"

#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>
#include <QtTest>

class TestOwnedWindows : public QObject
{
    Q_OBJECT

private slots:
    void windowsOpenOverTheOwnerAndWithinTheScreen()
    {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget owner;
        owner.setGeometry(available.x() + 40, available.y() + 30, 400, 300);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        OwnedWindows owned(&owner);

        QDialog free;
        free.resize(120, 80);
        free.move(available.bottomRight() - QPoint(20, 20)); // mostly off the screen
        free.show();
        QCOMPARE(free.frameGeometry().center(), owner.frameGeometry().center());
        QCOMPARE(free.windowHandle()->transientParent(), owner.windowHandle());

        // Moved by the user over the owner, it keeps its place on the next show; elsewhere, it
        // opens over the owner again.
        for (const QPoint &place : {owner.pos() + QPoint(5, 7), available.bottomRight()}) {
            free.hide();
            free.move(place);
            free.show();
            QCOMPARE(free.frameGeometry().center() == owner.frameGeometry().center(),
                     place == available.bottomRight());
        }

        // An open window stays where it is when the owner moves, a box too (the log's errors
        // show in the owner's own bar), and where it is put, also when raised again.
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), QStringLiteral("note"));
        box.setModal(false);
        box.show();
        const QPoint freeAt = free.pos();
        const QPoint boxAt = box.pos();
        const QPoint ownerAt = owner.pos();
        owner.move(ownerAt + QPoint(300, 200));
        QTRY_VERIFY(owner.pos() != ownerAt);
        QCOMPARE(free.pos(), freeAt);
        QCOMPARE(box.pos(), boxAt);
        box.move(available.topLeft());
        QTRY_COMPARE(box.pos(), available.topLeft());
        box.raise();
        QCOMPARE(box.pos(), available.topLeft());

        // Larger than the screen: cut to it.
        QDialog huge(&owner);
        huge.resize(available.size() + QSize(300, 200));
        huge.show();
        QVERIFY(available.contains(huge.frameGeometry()));

        // One whose parent is another window stays transient for that window.
        QWidget other;
        other.show();
        QDialog child(&other);
        child.show();
        QCOMPARE(child.windowHandle()->transientParent(), other.windowHandle());

        // The owner itself is left where it is, even partly off the screen.
        owner.hide();
        owner.move(available.right() - 100, available.y() + 30);
        const QRect ownerFrame = owner.frameGeometry();
        owner.show();
        QCOMPARE(owner.frameGeometry(), ownerFrame);

        QMenu menu;
        menu.addAction(QStringLiteral("item"));
        menu.popup(available.bottomRight() - QPoint(5, 5));
        QVERIFY(menu.windowHandle()->transientParent() != owner.windowHandle());
    }

};

QTEST_MAIN(TestOwnedWindows)
#include "tst_ownedwindows.moc"
