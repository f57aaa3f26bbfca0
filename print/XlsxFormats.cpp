#include "XlsxFormats.h"

#include <tuple>

#include <xlsxwriter.h>

#include "Errors.h"

namespace {

auto tied(const TXlsxLook& look)
{
    const TvxFont& f = look.font;
    return std::tie(f.family, f.size, f.bold, f.italic, f.underline, look.align, look.valign,
                    look.wrap, look.rotation, look.borders, look.decimals);
}

uint8_t horizontal(TvxAlign align)
{
    switch (align) {
    case TvxAlign::Center:
        return LXW_ALIGN_CENTER;
    case TvxAlign::Right:
        return LXW_ALIGN_RIGHT;
    case TvxAlign::Left:
        break;
    }
    return LXW_ALIGN_LEFT;
}

uint8_t vertical(TvxVAlign align)
{
    switch (align) {
    case TvxVAlign::Top:
        return LXW_ALIGN_VERTICAL_TOP;
    case TvxVAlign::Bottom:
        return LXW_ALIGN_VERTICAL_BOTTOM;
    case TvxVAlign::Middle:
        break;
    }
    return LXW_ALIGN_VERTICAL_CENTER;
}

QByteArray numberFormat(int decimals)
{
    QByteArray format("0");
    if (decimals > 0)
        format += '.' + QByteArray(decimals, '0');
    return format;
}

} // namespace

bool TXlsxLook::operator<(const TXlsxLook& other) const
{
    return tied(*this) < tied(other);
}

int XlsxBorderStyle(double width)
{
    if (width <= 0)
        return LXW_BORDER_NONE;
    if (width < 0.15)
        return LXW_BORDER_HAIR;
    if (width < 0.35)
        return LXW_BORDER_THIN;
    if (width < 0.65)
        return LXW_BORDER_MEDIUM;
    return LXW_BORDER_THICK;
}

TXlsxFormats::TXlsxFormats(lxw_workbook* workbook)
    : m_workbook(workbook)
{
}

lxw_format* TXlsxFormats::format(const TXlsxLook& look)
{
    const auto it = m_formats.find(look);
    if (it != m_formats.end())
        return it->second;
    lxw_format* created = create(look);
    m_formats.emplace(look, created);
    return created;
}

lxw_format* TXlsxFormats::create(const TXlsxLook& look)
{
    lxw_format* format = workbook_add_format(m_workbook);
    if (!format)
        throw F2tpError(QStringLiteral("не хватает памяти"));
    format_set_font_name(format, look.font.family.toUtf8().constData());
    format_set_font_size(format, look.font.size);
    if (look.font.bold)
        format_set_bold(format);
    if (look.font.italic)
        format_set_italic(format);
    if (look.font.underline)
        format_set_underline(format, LXW_UNDERLINE_SINGLE);
    format_set_align(format, horizontal(look.align));
    format_set_align(format, vertical(look.valign));
    if (look.wrap)
        format_set_text_wrap(format);
    // Excel turns counter-clockwise for positive angles: 90 reads upwards.
    if (look.rotation == 90)
        format_set_rotation(format, 90);
    else if (look.rotation == 270)
        format_set_rotation(format, -90);
    format_set_left(format, uint8_t(XlsxBorderStyle(look.borders[0])));
    format_set_top(format, uint8_t(XlsxBorderStyle(look.borders[1])));
    format_set_right(format, uint8_t(XlsxBorderStyle(look.borders[2])));
    format_set_bottom(format, uint8_t(XlsxBorderStyle(look.borders[3])));
    if (look.decimals >= 0)
        format_set_num_format(format, numberFormat(look.decimals).constData());
    return format;
}
