#pragma once
// The window's "与…比较": the job on screen laid over a second job, in a
// window of its own beside the main one. Dots in both black, only in the job
// on screen red, only in the other blue; the summary line above counts them.

#include <QDialog>
#include <QImage>

#include "core/job_comparison.h"

class QLabel;

class ComparisonWindow : public QDialog {
  Q_OBJECT

 public:
  // Compares `a` with `b` as the window's run would load them; the overlay
  // is also written beside `a` as its base name + ".diff.png".
  ComparisonWindow(const QString& a, const QString& b, const tesk::core::RunOptions& options,
                   QWidget* parent);

  QLabel* Summary() const { return summary_; }
  const QImage& Overlay() const { return overlay_; }

  // The overlay's dots as an indexed image: 0 white, 1 black, 2 red, 3 blue.
  static QImage OverlayImage(const tesk::core::PictureComparison& pictures);
  static QString SummaryText(const tesk::core::JobComparison& comparison);

 private:
  QLabel* summary_;
  QImage overlay_;
};
