#include "XlsxPageSetup.h"

#include <algorithm>
#include <cmath>

#include <xlsxwriter.h>

#include "XlsxError.h"

namespace {

constexpr double kMmPerInch = 25.4;
// Excel's limits of the print scale, in percent.
constexpr double kMinScale = 10;
constexpr double kMaxScale = 400;

// Excel's paper codes; 0 leaves the printer's default.
uint8_t paperCode(QPageSize::PageSizeId paper)
{
    switch (paper) {
    case QPageSize::Letter:
        return 1;
    case QPageSize::Legal:
        return 5;
    case QPageSize::Executive:
        return 7;
    case QPageSize::A3:
        return 8;
    case QPageSize::A4:
        return 9;
    case QPageSize::A5:
        return 11;
    case QPageSize::B4:
        return 33;
    case QPageSize::B5:
        return 34;
    default:
        return 0;
    }
}

QString escapedAmpersands(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString fontCodes(const TvxFont& font)
{
    QString style;
    if (font.bold)
        style = QStringLiteral("Bold");
    if (font.italic)
        style += style.isEmpty() ? QStringLiteral("Italic") : QStringLiteral(" Italic");
    if (style.isEmpty())
        style = QStringLiteral("Regular");
    // The size comes first: a digit right after it would join the number.
    QString codes = QLatin1Char('&') + QString::number(std::max(1L, std::lround(font.size))) +
                    QStringLiteral("&\"") + font.family + QLatin1Char(',') + style +
                    QLatin1Char('"');
    if (font.underline)
        codes += QStringLiteral("&U");
    return codes;
}

QString sectionCode(TvxAlign align)
{
    switch (align) {
    case TvxAlign::Left:
        return QStringLiteral("&L");
    case TvxAlign::Center:
        return QStringLiteral("&C");
    case TvxAlign::Right:
        break;
    }
    return QStringLiteral("&R");
}

double inches(double mm)
{
    return std::max(0.0, mm) / kMmPerInch;
}

} // namespace

QString XlsxFooter(const TvxPage& page, const TReportVariables& variables)
{
    if (page.footer.isEmpty())
        return QString();
    TReportVariables codes;
    for (const auto& [name, value] : variables)
        codes[name] = escapedAmpersands(value);
    codes[QStringLiteral("PAGE")] = QStringLiteral("&P");
    codes[QStringLiteral("PAGES")] = QStringLiteral("&N");
    return sectionCode(page.footerAlign) + fontCodes(page.footerFont) +
           SubstituteVariables(escapedAmpersands(page.footer), codes);
}

void SetXlsxPageSetup(lxw_worksheet* worksheet, const TvxPage& page,
                      const TReportVariables& variables)
{
    worksheet_set_paper(worksheet, paperCode(page.paper));
    if (page.orientation == QPageLayout::Landscape)
        worksheet_set_landscape(worksheet);
    else
        worksheet_set_portrait(worksheet);
    // Kept for a person who turns fitting off; fitting, the last one set, rules.
    worksheet_set_print_scale(worksheet,
                              uint16_t(std::lround(std::clamp(page.scale, kMinScale, kMaxScale))));
    // A spreadsheet measures columns in digits of its default font, so the
    // columns that fill the paper in print may be wider than the paper there,
    // which would cut every page in two. One page wide, as tall as the page
    // breaks make it.
    worksheet_fit_to_pages(worksheet, 1, 0);
    const auto& m = page.margins;
    const double footer = LayoutFooterHeight(page) / double(kLayoutUnitsPerMm);
    worksheet_set_margins(worksheet, inches(m[0]), inches(m[2]), inches(m[1]),
                          inches(m[3] + footer));
    const QString codes = XlsxFooter(page, variables);
    if (codes.isEmpty())
        return;
    lxw_header_footer_options options{};
    // Excel wants a footer margin above 0.
    options.margin = std::max(inches(m[3]), 0.01);
    CheckXlsx(worksheet_set_footer_opt(worksheet, codes.toUtf8().constData(), &options));
}
