#pragma once

#include <vector>

#include <QString>

#include "ReportLayout.h"

class QPainter;
class QPagedPaintDevice;

// The one painting path of the engine: screen preview, printer and PDF. The
// painter's device must start at the paper's corner (full page); the page is
// scaled from layout units to the device's resolution and painted on white.
void paintPage(QPainter& painter, const TLaidPage& page);

// Paints every page on a paged device (printer or PDF writer) whose painting
// has not begun, each page with its own size. Fails with F2tpError when the
// device cannot be painted on.
void paintPages(QPagedPaintDevice& device, const std::vector<TLaidPage>& pages);

// Writes the pages as a PDF file with its fonts embedded, atomically: on
// failure ("Не удается записать файл <name>") the file is as it was.
void WritePdf(const std::vector<TLaidPage>& pages, const QString& fileName,
              const QString& title = QString());
