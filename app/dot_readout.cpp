#include "app/dot_readout.h"

#include "view/zoom_ctrl.h"

QString DescribeDot(const tesk::core::JobListing& listing, QPoint dot) {
  QString text = QString("x %1  y %2").arg(dot.x()).arg(dot.y());
  const auto origin = tesk::core::LocateRow(listing, dot.y());
  if (!origin) return text;
  text += QString::fromUtf8("  第 %1 带 第 %2 行").arg(origin->band).arg(origin->rowInBand);
  text += QString::fromUtf8("  偏移 %1 (0x%2)")
              .arg(origin->offset)
              .arg(QString::number(origin->offset, 16).toUpper());
  if (origin->captureLine >= 0) text += QString::fromUtf8("  BusHound 第 %1 行").arg(origin->captureLine);
  if (origin->transfer >= 0) {
    const tesk::core::JobTransfer& transfer = listing.transfers[static_cast<std::size_t>(origin->transfer)];
    text += QString::fromUtf8("  USB 包 #%1 %2 s").arg(transfer.packet).arg(transfer.seconds, 0, 'f', 6);
  }
  return text;
}

DotReadout::DotReadout(CZoomCtrl* view) : QLabel(view), view_(view) {
  setObjectName("dotReadout");
  setTextFormat(Qt::PlainText);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(255, 255, 225));
  colours.setColor(QPalette::WindowText, Qt::black);
  setPalette(colours);
  setMargin(2);
  // The cursor reads the dot underneath, not the strip.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  hide();
}

void DotReadout::Show(const tesk::core::JobListing& listing, std::optional<QPoint> dot, QPoint cursor) {
  if (!dot) {
    hide();
    return;
  }
  setText(DescribeDot(listing, *dot));
  const QRect client = view_->ClientRect();
  const int height = sizeHint().height();
  const bool cursorLow = cursor.y() > client.bottom() - 3 * height;
  setGeometry(0, cursorLow ? 0 : client.bottom() + 1 - height, client.width(), height);
  show();
  raise();
}
