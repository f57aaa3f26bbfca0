#include <algorithm>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include "DesktopInterface.h"
#include "Errors.h"
#include "MessageF.h"
#include "QtTranslations.h"
#include "UserInterface.h"

class TestMessageF : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void showsCentredWindowWithWaitCursor();
    void hideDestroysWindowAndRestoresCursor();
    void secondShowReplacesTextOfTheSameWindow();
    void hideWithoutWindowDoesNothing();
    void guardRemovesWindowOnException();
    void guardShowsTheProgramsWaitText();
    void textFitsBesideTheAnimation();
    void animationRuns();
    void paintedBeforeShowReturns();
    void questionButtonsAreRussian();

private:
    // The core's wait message guard reaches the window through the program's interface.
    TDesktopInterface m_desktop;
    UserInterfaceGuard m_installed{m_desktop};
};

namespace {

// Records paint events of the wait window and its children.
class PaintRecorder final : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            for (QObject* o = watched; o; o = o->parent()) {
                if (qobject_cast<TMessageForm*>(o)) {
                    ++paints;
                    break;
                }
            }
        }
        return false;
    }
    int paints = 0;
};

} // namespace

void TestMessageF::cleanup()
{
    HideWaitMessage();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void TestMessageF::showsCentredWindowWithWaitCursor()
{
    ShowWaitMessage(QStringLiteral("Подождите"));
    TMessageForm* form = CurrentWaitMessage();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QVERIFY(!form->isModal());
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(form->size(), QSize(292, 53));
    QCOMPARE(form->text(), QStringLiteral("Подождите"));
    QVERIFY(form->animation());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY((form->frameGeometry().center() - area.center()).manhattanLength() <= 2);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
}

void TestMessageF::hideDestroysWindowAndRestoresCursor()
{
    ShowWaitMessage(QStringLiteral("a"));
    QPointer<TMessageForm> first = CurrentWaitMessage();
    HideWaitMessage();
    QVERIFY(first.isNull());
    QVERIFY(!CurrentWaitMessage());
    QVERIFY(!QApplication::overrideCursor());

    ShowWaitMessage(QStringLiteral("b"));
    QVERIFY(CurrentWaitMessage());
    QCOMPARE(CurrentWaitMessage()->text(), QStringLiteral("b"));
}

void TestMessageF::secondShowReplacesTextOfTheSameWindow()
{
    ShowWaitMessage(QStringLiteral("первый"));
    QPointer<TMessageForm> form = CurrentWaitMessage();
    ShowWaitMessage(QStringLiteral("второй"));
    QCOMPARE(CurrentWaitMessage(), form.data());
    QCOMPARE(form->text(), QStringLiteral("второй"));
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget* w) { return qobject_cast<TMessageForm*>(w) != nullptr; }),
             1);
    // One hide undoes both shows: the cursor was set only once.
    HideWaitMessage();
    QVERIFY(!QApplication::overrideCursor());
}

void TestMessageF::hideWithoutWindowDoesNothing()
{
    QApplication::setOverrideCursor(Qt::BusyCursor); // somebody else's cursor
    HideWaitMessage();
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    QVERIFY(!CurrentWaitMessage());
}

void TestMessageF::guardRemovesWindowOnException()
{
    QPointer<TMessageForm> seen;
    try {
        WaitMessageGuard guard(QStringLiteral("Печать"));
        seen = CurrentWaitMessage();
        QVERIFY(seen && seen->isVisible());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        throw F2tpError(QStringLiteral("Ошибка подготовки"));
    } catch (const F2tpError& e) {
        QCOMPARE(e.message(), QStringLiteral("Ошибка подготовки"));
    }
    QVERIFY(seen.isNull());
    QVERIFY(!CurrentWaitMessage());
    QVERIFY(!QApplication::overrideCursor());
}

void TestMessageF::guardShowsTheProgramsWaitText()
{
    {
        WaitMessageGuard guard;
        QCOMPARE(CurrentWaitMessage()->text(),
                 QStringLiteral("Подождите, идет обработка данных..."));
    }
    QVERIFY(!CurrentWaitMessage());
}

void TestMessageF::textFitsBesideTheAnimation()
{
    ShowWaitMessage(WaitMessageText());
    TMessageForm* form = CurrentWaitMessage();
    auto* label = form->findChild<QLabel*>();
    QVERIFY(label);
    const QRect text = label->geometry();
    QVERIFY(!text.intersects(form->animation()->geometry()));
    QVERIFY2(label->heightForWidth(text.width()) <= text.height(), "the message is clipped");
    const QRect inside = form->rect();
    QVERIFY(inside.contains(label->mapTo(form, QPoint(0, 0))));
    QVERIFY(inside.contains(form->animation()->mapTo(form, QPoint(0, 0))));
    // The animation is vertically centred.
    const QRect anim(form->animation()->mapTo(form, QPoint(0, 0)), form->animation()->size());
    QVERIFY(qAbs(anim.center().y() - inside.center().y()) <= 1);
}

void TestMessageF::animationRuns()
{
    ShowWaitMessage(WaitMessageText());
    TSearchAnimation* animation = CurrentWaitMessage()->animation();
    const int first = animation->frame();
    QTRY_VERIFY(animation->frame() != first);
}

void TestMessageF::paintedBeforeShowReturns()
{
    PaintRecorder recorder;
    qApp->installEventFilter(&recorder);
    ShowWaitMessage(WaitMessageText());
    // No event loop has run since: the caller's long work may start right now.
    const int paints = recorder.paints;
    qApp->removeEventFilter(&recorder);
    QVERIFY(paints > 0);
}

QTEST_MAIN(TestMessageF)
// The program's questions use Qt's standard buttons, whose texts come from
// Qt's translations.
void TestMessageF::questionButtonsAreRussian()
{
    InstallRussianQtTexts();
    QMessageBox box(QMessageBox::Question, QStringLiteral("Подтверждение"),
                    QStringLiteral("Удалить запись?"), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Да"));
    QCOMPARE(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')), QStringLiteral("Нет"));
}

#include "tst_MessageF.moc"
