"""Prints what an .xlsx workbook holds, as the workbook tests check it, as JSON."""
import json
import sys

import openpyxl
from openpyxl.utils import get_column_letter


def font_of(cell):
    f = cell.font
    return {"name": f.name, "size": f.sz, "bold": bool(f.b), "italic": bool(f.i),
            "underline": f.u or ""}


def cell_of(cell):
    a = cell.alignment
    b = cell.border
    return {"value": cell.value,
            "type": cell.data_type,
            "format": cell.number_format,
            "font": font_of(cell),
            "align": a.horizontal or "", "valign": a.vertical or "",
            "wrap": bool(a.wrap_text), "rotation": a.textRotation or 0,
            "borders": [b.left.style or "", b.top.style or "", b.right.style or "",
                        b.bottom.style or ""]}


def footer_of(ws):
    result = {}
    for name in ("left", "center", "right"):
        part = getattr(ws.oddFooter, name)
        if part.text:
            result[name] = {"text": part.text, "font": part.font or "", "size": part.size}
    return result


def fit_of(ws):
    """[pages wide, pages tall] when the sheet is fitted to pages, else []."""
    properties = ws.sheet_properties.pageSetUpPr
    if properties is None or not properties.fitToPage:
        return []
    setup = ws.page_setup
    return [1 if setup.fitToWidth is None else int(setup.fitToWidth),
            1 if setup.fitToHeight is None else int(setup.fitToHeight)]


def sheet_of(ws):
    cells = {}
    for row in ws.iter_rows():
        for cell in row:
            if cell.value is not None or cell.has_style:
                cells[cell.coordinate] = cell_of(cell)
    m = ws.page_margins
    return {"name": ws.title,
            "max_row": ws.max_row,
            "cells": cells,
            "merged": sorted(str(r) for r in ws.merged_cells.ranges),
            "widths": {get_column_letter(i): ws.column_dimensions[get_column_letter(i)].width
                       for i in range(1, ws.max_column + 1)},
            "heights": {str(i): ws.row_dimensions[i].height for i in range(1, ws.max_row + 1)},
            "paper": ws.page_setup.paperSize, "orientation": ws.page_setup.orientation,
            "scale": ws.page_setup.scale,
            "fit": fit_of(ws),
            "margins": [m.left, m.top, m.right, m.bottom, m.footer],
            "footer": footer_of(ws),
            "breaks": [b.id for b in ws.row_breaks.brk],
            "print_titles": ws.print_title_rows or "",
            "print_area": ",".join(ws.print_area or [])}


def main():
    book = openpyxl.load_workbook(sys.argv[1])
    json.dump({"title": book.properties.title or "",
               "sheets": [sheet_of(ws) for ws in book.worksheets]},
              sys.stdout, ensure_ascii=False)


main()
