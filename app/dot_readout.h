#pragma once
// The status line over the picture: which dot is under the cursor, and where
// in the job (band, row, byte offset, the capture's transfer) it comes from.

#include <QLabel>
#include <QPoint>
#include <optional>

#include "core/job_listing.h"

class CZoomCtrl;

// "x 12  y 345  第 3 带 第 9 行  偏移 1234 (0x4D2)  USB 包 #17 0.1234 s"
QString DescribeDot(const tesk::core::JobListing& listing, QPoint dot);

// A strip along the bottom (or, when the cursor is down there, the top) of
// the view, shown only while the cursor is over the picture.
class DotReadout : public QLabel {
  Q_OBJECT

 public:
  explicit DotReadout(CZoomCtrl* view);
  void Show(const tesk::core::JobListing& listing, std::optional<QPoint> dot, QPoint cursor);

 private:
  CZoomCtrl* view_;
};
