#include <QApplication>
#include <QEnterEvent>
#include <QImageReader>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "AboutNew.h"
#include "DesktopLauncher.h"
#include "UiResources.h"
#include "splash.h"

namespace {

class RecordingLauncher final : public TDesktopLauncher
{
public:
    bool openUrl(const QUrl& url) override
    {
        urls.append(url);
        return true;
    }
    void showCompiledHelp(const QString&, QWidget*) override {}

    QList<QUrl> urls;
};

// Every text of the panel must be readable in full with the fonts of the machine.
void verifyNothingClipped(const TSplashPanel* panel)
{
    const auto labels = panel->findChildren<QLabel*>();
    QVERIFY(labels.size() >= 12);
    for (const QLabel* label : labels) {
        const QRect place = label->geometry();
        QVERIFY2(panel->rect().contains(place), qPrintable(label->text()));
        if (label->text().isEmpty())
            continue;
        if (label->wordWrap())
            QVERIFY2(label->heightForWidth(place.width()) <= place.height(),
                     qPrintable(label->text()));
        else
            QVERIFY2(label->sizeHint().width() <= place.width() &&
                         label->sizeHint().height() <= place.height() + 2,
                     qPrintable(label->text()));
    }
}

} // namespace

class TestSplash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splashHasItsSizeAndVersionRecordTexts();
    void theVersionIsTheBuildsRecord();
    void closingTheSplashDestroysIt();
    void aboutIsFixedDialogWithOkButton();
    void picturesDecode();
    void linksOpenWebAndMailAddresses();
    void linksUnderlineWhileHovered();
    void textsAreNotClipped();
};

void TestSplash::splashHasItsSizeAndVersionRecordTexts()
{
    TSplashWindow splash;
    QCOMPARE(splash.size(), QSize(663, 476));
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash.panel()->geometry(), QRect(0, 0, 663, 476));
    QCOMPARE(splash.cursor().shape(), Qt::WaitCursor);
    QCOMPARE(splash.versionLabel()->text(), QStringLiteral("версия " F2TP_BUILD_VERSION));
    QCOMPARE(splash.productLabel()->text(),
             QStringLiteral("Пакет прикладных программ в области экологической, промышленной, "
                            "пожарной безопасности \"Велта\"\nФорма 2-тп (воздух)"));
    QCOMPARE(splash.bottomLabel()->text(), MakerRightsNotice());
    QVERIFY(MakerRightsNotice().contains(QRegularExpression(QStringLiteral("\\b20\\d\\d\\b"))));
    const QFont font = splash.versionLabel()->font();
    QVERIFY(font.bold() && font.italic());
    QCOMPARE(font.pixelSize(), 16);
    QCOMPARE(splash.productLabel()->font(), font);
    QCOMPARE(splash.versionLabel()->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
    QCOMPARE(splash.bottomLabel()->palette().color(QPalette::WindowText), QColor(Qt::white));
}

void TestSplash::theVersionIsTheBuildsRecord()
{
    // The record the build gives the program file, which the windows show.
    QCOMPARE(ReadVersionInfo()->fileVersion, QStringLiteral(F2TP_BUILD_VERSION));
    QCOMPARE(QStringLiteral(F2TP_BUILD_VERSION), QStringLiteral("6.0.1.0"));
    TFAbout about;
    QCOMPARE(about.versionLabel()->text(), QStringLiteral("версия " F2TP_BUILD_VERSION));
}

void TestSplash::closingTheSplashDestroysIt()
{
    QPointer<TSplashWindow> splash = new TSplashWindow;
    splash->show();
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    splash->close();
    QTRY_VERIFY(splash.isNull());
}

void TestSplash::aboutIsFixedDialogWithOkButton()
{
    TFAbout about;
    QCOMPARE(about.size(), QSize(660, 484));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    QVERIFY(about.windowFlags() & Qt::WindowSystemMenuHint);
    QVERIFY(!(about.windowFlags() & Qt::FramelessWindowHint));
    QVERIFY(!about.testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(about.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(about.versionLabel()->text(), QStringLiteral("версия " F2TP_BUILD_VERSION));
    QCOMPARE(about.okButton()->text(), QStringLiteral("ОК"));
    // The panel and the button bar share the window without overlapping.
    QVERIFY(about.panel()->geometry().bottom() < about.okButton()->mapTo(&about, QPoint()).y());
    QVERIFY(about.rect().contains(about.panel()->geometry()));

    about.open();
    QVERIFY(about.isVisible());
    QTest::mouseClick(about.okButton(), Qt::LeftButton);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

void TestSplash::picturesDecode()
{
    InitUiResources();
    QImageReader reader(SplashBackgroundPath());
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage background = reader.read();
    QVERIFY2(!background.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(background.size(), QSize(663, 476));

    for (int i = 0; i < 3; ++i) {
        const QImage mark(CertificationMarkPath(i));
        QVERIFY(!mark.isNull());
        QCOMPARE(mark.size(), QSize(56, 56));
    }
    QVERIFY(!ProgramIcon().isNull());
    QVERIFY(!ProgramIcon().pixmap(48).isNull());

    TSplashWindow splash;
    QCOMPARE(splash.panel()->background().size(), QSize(663, 476));
}

void TestSplash::linksOpenWebAndMailAddresses()
{
    RecordingLauncher recorder;
    ScopedDesktopLauncher scope(recorder);
    TFAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    QTest::mouseClick(about.webLabel(), Qt::LeftButton);
    QTest::mouseClick(about.mailLabel(), Qt::LeftButton);
    QTest::mouseClick(about.mailLabel(), Qt::RightButton);
    QCOMPARE(recorder.urls.size(), 2);
    QCOMPARE(recorder.urls[0].scheme(), QStringLiteral("http"));
    QCOMPARE(recorder.urls[0].host(), about.webLabel()->text());
    QCOMPARE(recorder.urls[1].scheme(), QStringLiteral("mailto"));
    QCOMPARE(recorder.urls[1].path(), about.mailLabel()->text());
    // The maker is our own: its addresses are reserved example names.
    QVERIFY(recorder.urls[0].host().endsWith(QStringLiteral(".example")));
    QVERIFY(recorder.urls[1].path().endsWith(QStringLiteral(".example")));

    for (TLinkLabel* link : {about.webLabel(), about.mailLabel()}) {
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
    }
}

void TestSplash::linksUnderlineWhileHovered()
{
    TSplashWindow splash;
    TLinkLabel* link = splash.webLabel();
    QVERIFY(!link->font().underline());
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(link, &enter);
    QVERIFY(link->font().underline());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    QVERIFY(!link->font().underline());
}

void TestSplash::textsAreNotClipped()
{
    {
        TSplashWindow splash;
        verifyNothingClipped(splash.panel());
    }
    TFAbout about;
    verifyNothingClipped(about.panel());
}

QTEST_MAIN(TestSplash)
#include "tst_Splash.moc"
