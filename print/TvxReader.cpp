#include "TvxReader.h"

#include <map>

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "Cp1251.h"
#include "Errors.h"
#include "ObFunc.h"

namespace {

// Files are Windows-1251 unless their declaration says UTF-8.
QString decodeTemplate(const QByteArray& bytes)
{
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)[\"']"));
    const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(bytes.left(200)));
    if (match.hasMatch() &&
        match.captured(1).compare(QLatin1String("utf-8"), Qt::CaseInsensitive) == 0)
        return QString::fromUtf8(bytes);
    return Cp1251::decode(bytes);
}

class Reader
{
public:
    Reader(const QString& text, const QString& fileName)
        : m_xml(text)
        , m_fileName(fileName)
    {
    }

    TvxTemplate read()
    {
        TvxTemplate result;
        if (m_xml.readNextStartElement()) {
            if (m_xml.name() != QLatin1String("tvx"))
                fail(QStringLiteral("ожидается элемент tvx"));
            while (m_xml.readNextStartElement()) {
                if (m_xml.name() == QLatin1String("style"))
                    readStyle();
                else if (m_xml.name() == QLatin1String("sheet"))
                    result.sheets.push_back(readSheet());
                else
                    m_xml.skipCurrentElement();
            }
        }
        if (m_xml.hasError())
            fail(m_xml.errorString());
        if (result.sheets.empty())
            fail(QStringLiteral("в шаблоне нет ни одного листа"));
        return result;
    }

private:
    [[noreturn]] void fail(const QString& what) const
    {
        throw F2tpError(QStringLiteral("Шаблон ") + m_fileName + QStringLiteral(", строка ") +
                        QString::number(m_xml.lineNumber()) + QStringLiteral(", столбец ") +
                        QString::number(m_xml.columnNumber()) + QStringLiteral(": ") + what);
    }

    QString attribute(const char* name) const
    {
        return m_xml.attributes().value(QLatin1String(name)).toString();
    }
    bool has(const char* name) const
    {
        return m_xml.attributes().hasAttribute(QLatin1String(name));
    }

    double number(const char* name, double fallback, double least = 0) const
    {
        if (!has(name))
            return fallback;
        const std::optional<double> value = TextToFloat(attribute(name), QLatin1Char('.'));
        if (!value || *value < least)
            fail(QStringLiteral("неверное значение атрибута ") + QLatin1String(name) +
                 QStringLiteral(": \"") + attribute(name) + QLatin1Char('"'));
        return *value;
    }

    int integer(const char* name, int fallback, int least) const
    {
        if (!has(name))
            return fallback;
        const std::optional<qint64> value = TextToInteger(attribute(name));
        if (!value || *value < least || *value > 10000)
            fail(QStringLiteral("неверное значение атрибута ") + QLatin1String(name) +
                 QStringLiteral(": \"") + attribute(name) + QLatin1Char('"'));
        return int(*value);
    }

    bool flag(const char* name, bool fallback) const
    {
        if (!has(name))
            return fallback;
        const QString text = attribute(name);
        if (text == QLatin1String("yes"))
            return true;
        if (text == QLatin1String("no"))
            return false;
        fail(QStringLiteral("атрибут ") + QLatin1String(name) +
             QStringLiteral(" принимает значения yes и no"));
    }

    template <class T>
    T choice(const char* name, T fallback, const std::map<QString, T>& values) const
    {
        if (!has(name))
            return fallback;
        const auto it = values.find(attribute(name));
        if (it == values.end())
            fail(QStringLiteral("неверное значение атрибута ") + QLatin1String(name) +
                 QStringLiteral(": \"") + attribute(name) + QLatin1Char('"'));
        return it->second;
    }

    double border(const char* name, double fallback) const
    {
        if (!has(name))
            return fallback;
        const QString text = attribute(name);
        if (text == QLatin1String("none"))
            return 0;
        if (text == QLatin1String("thin"))
            return kTvxThinBorder;
        if (text == QLatin1String("thick"))
            return kTvxThickBorder;
        return number(name, fallback);
    }

    void readFont(TvxFont& font) const
    {
        if (has("font"))
            font.family = attribute("font");
        font.size = number("size", font.size, 1);
        font.bold = flag("bold", font.bold);
        font.italic = flag("italic", font.italic);
        font.underline = flag("underline", font.underline);
    }

    // The attributes a style, a row and a cell share, over the given base.
    TvxCell readLook(TvxCell cell) const
    {
        if (has("style")) {
            const auto it = m_styles.find(attribute("style"));
            if (it == m_styles.end())
                fail(QStringLiteral("нет стиля \"") + attribute("style") + QLatin1Char('"'));
            cell = it->second;
        }
        readFont(cell.font);
        cell.align = choice("align", cell.align,
                            {{QStringLiteral("left"), TvxAlign::Left},
                             {QStringLiteral("center"), TvxAlign::Center},
                             {QStringLiteral("right"), TvxAlign::Right}});
        cell.valign = choice("valign", cell.valign,
                             {{QStringLiteral("top"), TvxVAlign::Top},
                              {QStringLiteral("middle"), TvxVAlign::Middle},
                              {QStringLiteral("bottom"), TvxVAlign::Bottom}});
        cell.wrap = flag("wrap", cell.wrap);
        cell.rotation = choice(
            "rotate", cell.rotation,
            {{QStringLiteral("0"), 0}, {QStringLiteral("90"), 90}, {QStringLiteral("270"), 270}});
        const double all = border("border", -1);
        static const char* const sides[] = {"border-left", "border-top", "border-right",
                                            "border-bottom"};
        for (std::size_t i = 0; i < 4; ++i)
            cell.borders[i] = border(sides[i], all >= 0 ? all : cell.borders[i]);
        return cell;
    }

    void readStyle()
    {
        const QString name = attribute("name");
        if (name.isEmpty())
            fail(QStringLiteral("у стиля нет имени"));
        m_styles[name] = readLook(TvxCell());
        m_xml.skipCurrentElement();
    }

    TvxSheet readSheet()
    {
        TvxSheet sheet;
        sheet.name = attribute("name");
        m_covered.clear();
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("page"))
                readPage(sheet.page);
            else if (m_xml.name() == QLatin1String("footer"))
                readFooter(sheet.page);
            else if (m_xml.name() == QLatin1String("style"))
                readStyle();
            else if (m_xml.name() == QLatin1String("columns"))
                readColumns(sheet);
            else if (m_xml.name() == QLatin1String("row"))
                sheet.rows.push_back(readRow(sheet));
            else
                m_xml.skipCurrentElement();
        }
        return sheet;
    }

    void readPage(TvxPage& page)
    {
        page.paper = choice("paper", page.paper,
                            {{QStringLiteral("A4"), QPageSize::A4},
                             {QStringLiteral("A3"), QPageSize::A3},
                             {QStringLiteral("A5"), QPageSize::A5},
                             {QStringLiteral("Letter"), QPageSize::Letter}});
        page.orientation = choice("orientation", page.orientation,
                                  {{QStringLiteral("portrait"), QPageLayout::Portrait},
                                   {QStringLiteral("landscape"), QPageLayout::Landscape}});
        static const char* const sides[] = {"left", "top", "right", "bottom"};
        for (std::size_t i = 0; i < 4; ++i)
            page.margins[i] = number(sides[i], page.margins[i]);
        page.scale = number("scale", page.scale, 10);
        m_xml.skipCurrentElement();
    }

    void readFooter(TvxPage& page)
    {
        readFont(page.footerFont);
        page.footerAlign = choice("align", page.footerAlign,
                                  {{QStringLiteral("left"), TvxAlign::Left},
                                   {QStringLiteral("center"), TvxAlign::Center},
                                   {QStringLiteral("right"), TvxAlign::Right}});
        page.footer = m_xml.readElementText(QXmlStreamReader::SkipChildElements);
    }

    void readColumns(TvxSheet& sheet)
    {
        if (!sheet.rows.empty())
            fail(QStringLiteral("столбцы описываются до строк"));
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("column"))
                sheet.columns.push_back(number("width", 20, 0.1));
            m_xml.skipCurrentElement();
        }
    }

    TvxRow readRow(const TvxSheet& sheet)
    {
        const int columns = int(sheet.columns.size());
        if (columns == 0)
            fail(QStringLiteral("у листа не описаны столбцы"));
        TvxRow row;
        row.height = number("height", row.height, 0.1);
        row.repeat = flag("repeat", false);
        row.model = flag("model", false);
        row.pageBreak = flag("break", false);
        const TvxCell look = readLook(TvxCell());
        row.cells.assign(std::size_t(columns), look);
        // Columns still covered by row spans from rows above, for the cells
        // that follow them here; each entry counts the rows it still covers.
        m_covered.resize(std::size_t(columns), 0);
        std::vector<bool> taken(std::size_t(columns), false);
        for (int c = 0; c < columns; ++c)
            taken[std::size_t(c)] = m_covered[std::size_t(c)] > 0;
        int column = 0;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != QLatin1String("cell")) {
                m_xml.skipCurrentElement();
                continue;
            }
            while (column < columns && taken[std::size_t(column)])
                ++column;
            if (column >= columns)
                fail(QStringLiteral("ячеек в строке больше, чем столбцов"));
            TvxCell cell = readLook(look);
            cell.colSpan = integer("span", 1, 1);
            cell.rowSpan = integer("rowspan", 1, 1);
            if (column + cell.colSpan > columns)
                fail(QStringLiteral("ячейка выходит за последний столбец"));
            cell.text = m_xml.readElementText(QXmlStreamReader::SkipChildElements);
            for (int c = column; c < column + cell.colSpan; ++c) {
                taken[std::size_t(c)] = true;
                m_covered[std::size_t(c)] = std::max(m_covered[std::size_t(c)], cell.rowSpan);
            }
            row.cells[std::size_t(column)] = cell;
            column += cell.colSpan;
        }
        for (int& left : m_covered)
            left = std::max(0, left - 1);
        return row;
    }

    QXmlStreamReader m_xml;
    QString m_fileName;
    std::map<QString, TvxCell> m_styles;
    std::vector<int> m_covered;
};

} // namespace

TvxTemplate ReadTvx(const QByteArray& bytes, const QString& fileName)
{
    return Reader(decodeTemplate(bytes), fileName).read();
}

TvxTemplate ReadTvxFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw F2tpError(QStringLiteral("Не удается открыть шаблон ") + fileName);
    return ReadTvx(file.readAll(), fileName);
}
