#include "tools/pdf_file.h"

#include <QBuffer>
#include <QColor>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <cmath>

#include "export/svg_file.h"
#include "geometry/language.h"

namespace tarsel {

namespace {

// The page's units: PDF points, 72 to the inch, and the logical pixels they stand for.
constexpr double kPointsPerInch = 72, kPixelsPerInch = 96;

QPen PenFor(const LineRecord::Segment& line, double dpr, Palette palette) {
  const std::uint32_t c = Substitute(palette, line.colour);  // 00BBGGRR
  QPen pen(QColor(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF));
  pen.setWidthF(DevicePenWidth(line.width, dpr));
  pen.setCapStyle(line.width == 1 ? Qt::SquareCap : Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

}  // namespace

std::string PdfPicture(const LineRecord& record, Size device, double dpr, Palette palette,
                       std::string* pdf) {
  if (!record.complete()) return TooManyLines();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setCreator("tarsel-render");
    writer.setTitle("tarsel");
    // Qt's pages are whole points: the page is rounded up so that it holds the whole picture,
    // which keeps its scale (721.5 points across the design size make a page 722 wide).
    const double points = kPointsPerInch / kPixelsPerInch / dpr;  // per device pixel
    writer.setPageSize(
        QPageSize(QSizeF(std::ceil(device.width * points), std::ceil(device.height * points)),
                  QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    if (!painter.isActive()) return Tr("cannot make the PDF: Qt's PDF writer did not start");
    // The painter's units are the writer's dots; draw in device pixels instead.
    const double scale = writer.resolution() / kPixelsPerInch / dpr;
    painter.scale(scale, scale);
    painter.fillRect(QRectF(0, 0, device.width, device.height), Qt::white);
    QPen pen;
    for (const LineRecord::Segment& line : record.lines()) {
      raster::Point p, q;
      if (!DeviceLine(line, dpr, &p, &q)) continue;
      const QPen wanted = PenFor(line, dpr, palette);
      if (wanted != pen) painter.setPen(pen = wanted);
      painter.drawLine(QLineF(p.x, p.y, q.x, q.y));
    }
  }
  *pdf = bytes.toStdString();
  return "";
}

}  // namespace tarsel
