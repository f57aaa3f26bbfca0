// The main window of an installed program, as its user starts it: the data
// module finds its folders from where this executable lies (copied into the
// bin/ of an installed tree by installed_user_test.sh). "typeAndClose" types a
// value and closes the window; "startAgain", a later run, finds the value.
#include <memory>

#include <QPointer>
#include <QtTest>

#include "AppErrors.h"
#include "DataSetModel.h"
#include "FormatSettings.h"
#include "MDM.h"
#include "Main.h"
#include "OZGrid.h"
#include "UserInterface.h"

class TestInstalledWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void typeAndClose();
    void startAgain();

private:
    std::unique_ptr<TDM> m_dm;
    QPointer<TF2tpForm> m_form;
};

void TestInstalledWindow::init()
{
    // The name that makes the user's report folder, as the program sets it.
    QCoreApplication::setApplicationName(QStringLiteral("f2tp"));
    FormatSettings::setDecimalSeparator(QLatin1Char(','));
    m_dm = std::make_unique<TDM>();
    m_form = new TF2tpForm(*m_dm);
    m_form->resize(1100, 760);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestInstalledWindow::cleanup()
{
    delete m_form;
    m_dm.reset();
}

void TestInstalledWindow::typeAndClose()
{
    TOZGrid* grid = m_form->grid(1);
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(3, 3)); // row 104, column 2
    QTest::keyClick(grid, '1');
    QWidget* editor = grid->cellEditor();
    QVERIFY(editor);
    for (const char key : {'2', ',', '5'})
        QTest::keyClick(editor, key);
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(m_form->close());
    QTRY_VERIFY(m_form.isNull());
}

void TestInstalledWindow::startAgain()
{
    QCOMPARE(m_form->grid(1)->dataModel()->rowFieldText(3, QStringLiteral("C2"), false),
             QStringLiteral("12,5"));
}

QTEST_MAIN(TestInstalledWindow)
#include "tst_InstalledWindow.moc"
