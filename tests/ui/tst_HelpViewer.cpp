#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QXmlStreamReader>
#include <QtTest>

#include "DesktopLauncher.h"
#include "HelpViewer.h"

namespace {

struct CompiledHelpCall
{
    QString file;
    QWidget* owner;
};

class RecordingLauncher final : public TDesktopLauncher
{
public:
    bool openUrl(const QUrl& url) override
    {
        urls.append(url);
        return true;
    }
    void showCompiledHelp(const QString& file, QWidget* owner) override
    {
        helpCalls.append({file, owner});
    }

    QList<QUrl> urls;
    QList<CompiledHelpCall> helpCalls;
};

const QString HelpSourceDir = QStringLiteral(F2TP_HELP_SOURCE_DIR);
const QStringList Documents = {QStringLiteral("2tp"), QStringLiteral("Instr2tpv"),
                               QStringLiteral("PK_VLT")};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The anchor names a loaded document offers to links.
QSet<QString> anchorsOf(const QTextDocument* document)
{
    QSet<QString> names;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (const QString& name : block.charFormat().anchorNames())
            names.insert(name);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            for (const QString& name : it.fragment().charFormat().anchorNames())
                names.insert(name);
        }
    }
    return names;
}

struct ParsedDocument
{
    QString title;
    QString lang;
    QStringList links;       // href of <a>
    QStringList stylesheets; // href of <link rel="stylesheet">
    QString error;
    QStringList problems; // elements and attributes that do not belong in the documents
};

// The help documents are kept well-formed, so any XML reader can check them.
ParsedDocument parse(const QString& path)
{
    ParsedDocument doc;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        doc.error = QStringLiteral("cannot open");
        return doc;
    }
    // The elements the documents are written with: current HTML that the help
    // window renders as well as a browser does.
    static const QSet<QString> allowed = {
        QStringLiteral("html"),  QStringLiteral("head"), QStringLiteral("meta"),
        QStringLiteral("title"), QStringLiteral("link"), QStringLiteral("body"),
        QStringLiteral("h1"),    QStringLiteral("h2"),   QStringLiteral("h3"),
        QStringLiteral("p"),     QStringLiteral("div"),  QStringLiteral("span"),
        QStringLiteral("a"),     QStringLiteral("b"),    QStringLiteral("br"),
        QStringLiteral("ul"),    QStringLiteral("ol"),   QStringLiteral("li"),
        QStringLiteral("table"), QStringLiteral("tr"),   QStringLiteral("th"),
        QStringLiteral("td"),    QStringLiteral("code"), QStringLiteral("kbd")};
    static const QSet<QString> obsolete = {QStringLiteral("cellspacing"),
                                           QStringLiteral("cellpadding"), QStringLiteral("align"),
                                           QStringLiteral("bgcolor")};
    QSet<QString> ids;
    QXmlStreamReader xml(&file);
    bool inTitle = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (!allowed.contains(name.toString()))
                doc.problems.append(QStringLiteral("element ") + name.toString());
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                if (obsolete.contains(attribute.name().toString()))
                    doc.problems.append(QStringLiteral("attribute ") + attribute.name().toString());
            }
            const QString id = xml.attributes().value(QLatin1String("id")).toString();
            if (!id.isEmpty()) {
                if (ids.contains(id))
                    doc.problems.append(QStringLiteral("duplicate id ") + id);
                ids.insert(id);
            }
            if (name == QLatin1String("html"))
                doc.lang = xml.attributes().value(QLatin1String("lang")).toString();
            else if (name == QLatin1String("title"))
                inTitle = true;
            else if (name == QLatin1String("a") &&
                     xml.attributes().hasAttribute(QLatin1String("href")))
                doc.links.append(xml.attributes().value(QLatin1String("href")).toString());
            else if (name == QLatin1String("link") &&
                     xml.attributes().value(QLatin1String("rel")) == QLatin1String("stylesheet"))
                doc.stylesheets.append(xml.attributes().value(QLatin1String("href")).toString());
        } else if (xml.isEndElement() && xml.name() == QLatin1String("title")) {
            inTitle = false;
        } else if (xml.isCharacters() && inTitle) {
            doc.title += xml.text();
        }
    }
    if (xml.hasError())
        doc.error = QStringLiteral("%1 at line %2, column %3")
                        .arg(xml.errorString())
                        .arg(xml.lineNumber())
                        .arg(xml.columnNumber());
    return doc;
}

} // namespace

class TestHelpViewer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void compiledHelpGoesToThePlatformViewer();
    void htmlHelpOpensTheProgramsWindow();
    void programDirWithOrWithoutSeparator();
    void withoutHelpFilesNothingHappens();
    void windowFollowsLinksAndGoesBackAndHome();
    void externalLinksGoToTheDesktop();
    void documentsAreWellFormedRussianHtml_data();
    void documentsAreWellFormedRussianHtml();
    void everyLinkResolves_data();
    void everyLinkResolves();
    void buildFolderHoldsEveryDocument();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_programDir;
};

void TestHelpViewer::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_programDir = m_dir->path() + QLatin1Char('/');
}

void TestHelpViewer::compiledHelpGoesToThePlatformViewer()
{
    RecordingLauncher recorder;
    ScopedDesktopLauncher scope(recorder);
    writeFile(m_programDir + QStringLiteral("help/2tp.chm"), "ITSF");
    writeFile(m_programDir + QStringLiteral("help/2tp.html"),
              "<html><head><title>T</title></head><body>x</body></html>");
    QWidget owner;

    OpenHelp(m_programDir, QStringLiteral("2tp"), &owner);

    QCOMPARE(recorder.helpCalls.size(), 1);
    QCOMPARE(QDir::fromNativeSeparators(recorder.helpCalls[0].file),
             m_programDir + QStringLiteral("help/2tp.chm"));
    QCOMPARE(recorder.helpCalls[0].owner, &owner);
    QVERIFY(!FindHelpWindow(m_programDir + QStringLiteral("help/2tp.html")));
}

void TestHelpViewer::htmlHelpOpensTheProgramsWindow()
{
    RecordingLauncher recorder;
    ScopedDesktopLauncher scope(recorder);
    const QString html = m_programDir + QStringLiteral("help/Instr2tpv.html");
    QVERIFY(QDir().mkpath(m_programDir + QStringLiteral("help")));
    QVERIFY(QFile::copy(HelpSourceDir + QStringLiteral("/Instr2tpv.html"), html));
    QWidget owner;

    OpenHelp(m_programDir, QStringLiteral("Instr2tpv"), &owner);

    QVERIFY(recorder.helpCalls.isEmpty());
    THelpWindow* window = FindHelpWindow(html);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->parentWidget(), &owner);
    QCOMPARE(window->browser()->source(), QUrl::fromLocalFile(QFileInfo(html).canonicalFilePath()));
    QCOMPARE(window->windowTitle(), QStringLiteral("Инструкция по заполнению формы"));
    QVERIFY(window->browser()->toPlainText().contains(QStringLiteral("Раздел 1")));

    // The window is kept: opening the document again shows the same one.
    window->hide();
    OpenHelp(m_programDir, QStringLiteral("Instr2tpv"), &owner);
    QCOMPARE(FindHelpWindow(html), window);
    QVERIFY(window->isVisible());
}

void TestHelpViewer::programDirWithOrWithoutSeparator()
{
    RecordingLauncher recorder;
    ScopedDesktopLauncher scope(recorder);
    writeFile(m_programDir + QStringLiteral("help/PK_VLT.chm"), "ITSF");
    OpenHelp(m_dir->path(), QStringLiteral("PK_VLT"));
    OpenHelp(QDir::toNativeSeparators(m_programDir), QStringLiteral("PK_VLT"));
    OpenHelp(m_dir->path() + QLatin1Char('\\'), QStringLiteral("PK_VLT"));
    QCOMPARE(recorder.helpCalls.size(), 3);
    QCOMPARE(recorder.helpCalls[0].file, recorder.helpCalls[1].file);
    QCOMPARE(recorder.helpCalls[0].file, recorder.helpCalls[2].file);
    QCOMPARE(recorder.helpCalls[0].owner, nullptr);
}

void TestHelpViewer::withoutHelpFilesNothingHappens()
{
    RecordingLauncher recorder;
    ScopedDesktopLauncher scope(recorder);
    QDir().mkpath(m_programDir + QStringLiteral("help/2tp.html")); // a folder, not a file
    const int windowsBefore = int(QApplication::topLevelWidgets().size());

    OpenHelp(m_programDir, QStringLiteral("2tp"));
    OpenHelp(m_programDir, QStringLiteral("PK_VLT"));

    QVERIFY(recorder.helpCalls.isEmpty());
    QVERIFY(recorder.urls.isEmpty());
    QCOMPARE(int(QApplication::topLevelWidgets().size()), windowsBefore);
}

void TestHelpViewer::windowFollowsLinksAndGoesBackAndHome()
{
    writeFile(m_programDir + QStringLiteral("help/2tp.html"),
              "<!DOCTYPE html><html><head><meta charset=\"utf-8\"/><title>Справка</title></head>"
              "<body><p><a href=\"#keys\">Клавиши</a> <a href=\"other.html#end\">Другой</a></p>"
              "<h2 id=\"keys\">Клавиши</h2><p>F1</p></body></html>");
    writeFile(
        m_programDir + QStringLiteral("help/other.html"),
        "<html><head><title>Другой</title></head><body><h2 id=\"end\">Конец</h2></body></html>");
    QWidget owner;
    OpenHelp(m_programDir, QStringLiteral("2tp"), &owner);
    THelpWindow* window = FindHelpWindow(m_programDir + QStringLiteral("help/2tp.html"));
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Справка"));
    QVERIFY(!window->backAction()->isEnabled());

    Q_EMIT window->browser()->anchorClicked(QUrl(QStringLiteral("#keys")));
    QCOMPARE(window->browser()->source().fragment(), QStringLiteral("keys"));
    QVERIFY(window->backAction()->isEnabled());

    Q_EMIT window->browser()->anchorClicked(QUrl(QStringLiteral("other.html#end")));
    QCOMPARE(window->browser()->source().fileName(), QStringLiteral("other.html"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Другой"));

    window->backAction()->trigger();
    QCOMPARE(window->browser()->source().fileName(), QStringLiteral("2tp.html"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Справка"));
    QVERIFY(window->forwardAction()->isEnabled());
    window->forwardAction()->trigger();
    QCOMPARE(window->browser()->source().fileName(), QStringLiteral("other.html"));

    window->homeAction()->trigger();
    QCOMPARE(window->browser()->source(), window->home());
    QCOMPARE(window->windowTitle(), QStringLiteral("Справка"));
}

void TestHelpViewer::externalLinksGoToTheDesktop()
{
    RecordingLauncher recorder;
    ScopedDesktopLauncher scope(recorder);
    writeFile(m_programDir + QStringLiteral("help/2tp.html"),
              "<html><head><title>С</title></head><body>x</body></html>");
    QWidget owner;
    OpenHelp(m_programDir, QStringLiteral("2tp"), &owner);
    THelpWindow* window = FindHelpWindow(m_programDir + QStringLiteral("help/2tp.html"));
    QVERIFY(window);
    const QUrl before = window->browser()->source();

    const QUrl mail(QStringLiteral("mailto:info@velta-soft.example"));
    const QUrl web(QStringLiteral("https://www.velta-soft.example/"));
    Q_EMIT window->browser()->anchorClicked(mail);
    Q_EMIT window->browser()->anchorClicked(web);

    QCOMPARE(recorder.urls, (QList<QUrl>{mail, web}));
    QCOMPARE(window->browser()->source(), before);
}

void TestHelpViewer::documentsAreWellFormedRussianHtml_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::newRow("2tp") << QStringLiteral("2tp") << QStringLiteral("Руководство пользователя");
    QTest::newRow("Instr2tpv") << QStringLiteral("Instr2tpv")
                               << QStringLiteral("Инструкция по заполнению формы");
    QTest::newRow("PK_VLT") << QStringLiteral("PK_VLT") << QStringLiteral("О ПК \"Велта\"");
}

void TestHelpViewer::documentsAreWellFormedRussianHtml()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    const QString path = HelpSourceDir + QLatin1Char('/') + name + QStringLiteral(".html");
    const ParsedDocument doc = parse(path);
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QVERIFY2(doc.problems.isEmpty(), qPrintable(doc.problems.join(QStringLiteral(", "))));
    QCOMPARE(doc.lang, QStringLiteral("ru"));
    QCOMPARE(doc.title.simplified(), title);
    for (const QString& sheet : doc.stylesheets)
        QVERIFY2(QFileInfo::exists(HelpSourceDir + QLatin1Char('/') + sheet), qPrintable(sheet));

    QTextBrowser browser;
    browser.setSource(QUrl::fromLocalFile(path));
    QCOMPARE(browser.documentTitle(), title);
    const QString text = browser.toPlainText();
    QVERIFY(text.size() > 2000);
    // No mojibake: the document reads as Russian text.
    QVERIFY(text.contains(QStringLiteral("форм")));
    QVERIFY(!text.contains(QChar(0xFFFD)));
    QVERIFY(!text.contains(QStringLiteral("Ð")));
}

void TestHelpViewer::everyLinkResolves_data()
{
    QTest::addColumn<QString>("name");
    for (const QString& name : Documents)
        QTest::newRow(qPrintable(name)) << name;
}

void TestHelpViewer::everyLinkResolves()
{
    QFETCH(QString, name);
    const QString path = HelpSourceDir + QLatin1Char('/') + name + QStringLiteral(".html");
    const ParsedDocument doc = parse(path);
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QVERIFY(!doc.links.isEmpty());

    QHash<QString, QSet<QString>> anchors; // by file name
    auto anchorsIn = [&](const QString& file) -> const QSet<QString>& {
        if (!anchors.contains(file)) {
            QTextBrowser browser;
            browser.setSource(QUrl::fromLocalFile(HelpSourceDir + QLatin1Char('/') + file));
            anchors.insert(file, anchorsOf(browser.document()));
        }
        return anchors[file];
    };

    for (const QString& href : doc.links) {
        const QUrl link(href);
        if (!link.scheme().isEmpty()) {
            // Outside links name only the program's own reserved example addresses.
            QVERIFY2(link.scheme() == QLatin1String("mailto") ||
                         link.scheme() == QLatin1String("http") ||
                         link.scheme() == QLatin1String("https"),
                     qPrintable(href));
            const QString host = link.scheme() == QLatin1String("mailto")
                                     ? link.path().section(QLatin1Char('@'), 1)
                                     : link.host();
            QVERIFY2(host.endsWith(QLatin1String(".example")), qPrintable(href));
            continue;
        }
        const QString file = link.path().isEmpty() ? name + QStringLiteral(".html") : link.path();
        QVERIFY2(QFileInfo::exists(HelpSourceDir + QLatin1Char('/') + file), qPrintable(href));
        if (link.hasFragment())
            QVERIFY2(anchorsIn(file).contains(link.fragment()), qPrintable(href));
    }
}

void TestHelpViewer::buildFolderHoldsEveryDocument()
{
    const QString runtimeDir = QStringLiteral(F2TP_RUNTIME_DIR);
    const QStringList titles = {QStringLiteral("Руководство пользователя"),
                                QStringLiteral("Инструкция по заполнению формы"),
                                QStringLiteral("О ПК \"Велта\"")};
    QWidget owner;
    for (int i = 0; i < Documents.size(); ++i) {
        OpenHelp(runtimeDir, Documents[i], &owner);
        THelpWindow* window = FindHelpWindow(runtimeDir + QStringLiteral("/help/") + Documents[i] +
                                             QStringLiteral(".html"));
        QVERIFY2(window, qPrintable(Documents[i]));
        QCOMPARE(window->windowTitle(), titles[i]);
    }
}

QTEST_MAIN(TestHelpViewer)
#include "tst_HelpViewer.moc"
