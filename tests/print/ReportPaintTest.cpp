// One painting path for every device: a page rendered into an image matches
// the golden picture; a PDF has its fonts embedded and its Russian text
// extractable.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "Errors.h"
#include "PrintTestSupport.h"
#include "ReportPaint.h"

namespace {

const QString kSample = QStringLiteral(
    "<sheet><page left=\"15\" top=\"15\" right=\"15\" bottom=\"15\"/>"
    "<footer size=\"9\">Страница {PAGE} из {PAGES}</footer>"
    "<columns><column width=\"20\"/><column width=\"80\"/><column width=\"40\"/></columns>"
    "<row height=\"14\"><cell span=\"3\" size=\"16\" bold=\"yes\" align=\"center\">"
    "Протокол контроля</cell></row>"
    "<row height=\"30\"><cell rotate=\"90\" border=\"thick\" align=\"center\">Графа</cell>"
    "<cell border=\"thin\" wrap=\"yes\">Графа 7 сумма строк 102,107,108,109 раздел 1 = Сумме "
    "всех строк графы 2 раздела 2</cell>"
    "<cell border=\"thin\" align=\"right\" valign=\"bottom\" italic=\"yes\">12,345</cell></row>"
    "</sheet>");

std::vector<TLaidPage> samplePages()
{
    return LayoutSheet(readTvxText(kSample).sheets[0], {});
}

QImage render(const TLaidPage& page, int dpi)
{
    const int width = page.size.width() * dpi / 2540;
    const int height = page.size.height() * dpi / 2540;
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(int(dpi / 0.0254 + 0.5));
    image.setDotsPerMeterY(int(dpi / 0.0254 + 0.5));
    image.fill(Qt::gray);
    QPainter painter(&image);
    paintPage(painter, page);
    return image;
}

// Share of pixels whose grey levels differ by more than a quarter.
double differingShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 1;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 64)
                ++differing;
    return double(differing) / (double(a.width()) * a.height());
}

} // namespace

TEST(ReportPaintTest, RenderedPageMatchesTheGoldenImage)
{
    const auto pages = samplePages();
    ASSERT_EQ(pages.size(), 1u);
    const QImage image = render(pages[0], 100);
    const QString golden = QStringLiteral(F2TP_PRINT_TEST_DATA "/sample-page.png");
    if (qEnvironmentVariableIsSet("F2TP_UPDATE_GOLDEN"))
        image.save(golden);
    const QImage expected(golden);
    ASSERT_FALSE(expected.isNull()) << "no golden image";
    EXPECT_LT(differingShare(image.convertToFormat(QImage::Format_RGB32),
                             expected.convertToFormat(QImage::Format_RGB32)),
              0.002);
    // The page is painted white over whatever the device held, and the
    // thick border is at least three pixels wide at 100 dpi (0.5 mm).
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255));
    const int x = 1500 * 100 / 2540;
    const int y = (1500 + 1400 + 1500) * 100 / 2540;
    int dark = 0;
    for (int dx = -4; dx <= 4; ++dx)
        if (qGray(image.pixel(x + dx, y)) < 128)
            ++dark;
    EXPECT_GE(dark, 1);
}

TEST(ReportPaintTest, PdfEmbedsItsFontsAndGivesTheTextBack)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    const QString pdffonts = QStandardPaths::findExecutable(QStringLiteral("pdffonts"));
    if (pdftotext.isEmpty() || pdffonts.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sample.pdf"));
    WritePdf(samplePages(), file, QStringLiteral("Протокол"));
    const QString text = runTool(pdftotext, {QStringLiteral("-layout"), file, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Протокол контроля")));
    EXPECT_TRUE(text.contains(QStringLiteral("Графа 7 сумма строк")));
    EXPECT_TRUE(text.contains(QStringLiteral("12,345")));
    EXPECT_TRUE(text.contains(QStringLiteral("Страница 1 из 1")));
    const QStringList fonts =
        runTool(pdffonts, {file}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GT(fonts.size(), 2);
    for (const QString& line : fonts.mid(2)) {
        EXPECT_TRUE(line.contains(QStringLiteral("Liberation"))) << line.toStdString();
        // Columns: name type encoding emb sub uni object ID.
        const QStringList columns = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_GE(columns.size(), 5);
        EXPECT_EQ(columns.at(columns.size() - 5), QStringLiteral("yes")) << line.toStdString();
    }
}

TEST(ReportPaintTest, PdfThatCannotBeWrittenLeavesNoFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("missing/sample.pdf"));
    EXPECT_THROW(WritePdf(samplePages(), file), F2tpError);
    EXPECT_FALSE(QFile::exists(file));
    // An existing file stays as it was when the new one cannot be committed.
    const QString existing = dir.filePath(QStringLiteral("old.pdf"));
    QFile old(existing);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    WritePdf(samplePages(), existing);
    QFile written(existing);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("%PDF"));
}
