#include "app/comparison_window.h"

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

ComparisonWindow::ComparisonWindow(const QString& a, const QString& b, const tesk::core::RunOptions& options,
                                   QWidget* parent)
    : QDialog(parent), summary_(new QLabel(this)) {
  setWindowTitle(QString::fromUtf8("比较: %1 与 %2").arg(a, b));
  tesk::core::JobComparisonOptions comparing;
  comparing.run = options;
  comparing.run.progress = nullptr;
  const tesk::core::JobComparison comparison =
      tesk::core::CompareJobs(a.toStdString(), b.toStdString(), comparing);
  summary_->setText(SummaryText(comparison));
  summary_->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  if (comparison.result == tesk::core::ComparisonResult::Identical ||
      comparison.result == tesk::core::ComparisonResult::Different) {
    overlay_ = OverlayImage(comparison.pictures);
    auto* picture = new QLabel;
    picture->setPixmap(QPixmap::fromImage(overlay_));
    auto* scroller = new QScrollArea(this);
    scroller->setWidget(picture);
    layout->addWidget(scroller, 1);
    resize(std::min(overlay_.width() + 40, 900), 600);
  }
}

QImage ComparisonWindow::OverlayImage(const tesk::core::PictureComparison& pictures) {
  if (pictures.width <= 0 || pictures.height <= 0) return {};
  QImage image(static_cast<int>(pictures.width), static_cast<int>(pictures.height), QImage::Format_Indexed8);
  image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)});
  for (int y = 0; y < image.height(); ++y)
    std::copy_n(pictures.overlay.data() +
                    static_cast<std::size_t>(y) * static_cast<std::size_t>(pictures.width),
                pictures.width, image.scanLine(y));
  return image;
}

QString ComparisonWindow::SummaryText(const tesk::core::JobComparison& comparison) {
  if (comparison.result == tesk::core::ComparisonResult::CannotLoad ||
      comparison.result == tesk::core::ComparisonResult::NoPicture)
    return QString::fromStdString(comparison.message);
  const tesk::core::CommandAlignment& commands = comparison.commands;
  const tesk::core::PictureComparison& pictures = comparison.pictures;
  return QString::fromUtf8(
             "命令: 相同%1, 不同%2, 仅A有%3, 仅B有%4 · 点: %5处不同 (仅A红%6, 仅B蓝%7), %8个区域")
      .arg(commands.same)
      .arg(commands.changed)
      .arg(commands.onlyInA)
      .arg(commands.onlyInB)
      .arg(pictures.differingDots)
      .arg(pictures.onlyInA)
      .arg(pictures.onlyInB)
      .arg(pictures.regions.size());
}
