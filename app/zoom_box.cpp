#include "app/zoom_box.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <cmath>

#include "view/zoom_ctrl.h"
#include "view/zoom_steps.h"

namespace {

// Item data: a factor, or one of the fit modes.
constexpr double kFitWidth = -1;
constexpr double kFitPage = -2;

QString FactorText(double zoom) {
  if (zoom == 1) return QStringLiteral("1:1");
  if (zoom > 1 && zoom == std::floor(zoom)) return QString::number(zoom) + QStringLiteral("×");
  return QString::number(zoom * 100, 'g', 3) + QStringLiteral("%");
}

void Follow(QComboBox& box, const CZoomCtrl& view) {
  const QSignalBlocker blocker(&box);
  const double wanted = view.Mode() == CZoomCtrl::ZoomMode::FitWidth  ? kFitWidth
                        : view.Mode() == CZoomCtrl::ZoomMode::FitPage ? kFitPage
                                                                      : view.Zoom();
  const int index = box.findData(wanted);
  // Every factor the steps reach is an item; a fit shows as its item.
  box.setCurrentIndex(index);
}

}  // namespace

QComboBox* CreateZoomBox(QWidget& dialog, CZoomCtrl& view, const QRect& geometry) {
  auto* box = new QComboBox(&dialog);
  box->setObjectName("zoomBox");
  box->setToolTip(QString::fromUtf8("缩放 (Ctrl+滚轮, Ctrl++ / Ctrl+-)"));
  // Reached by a click; the tab order stays the template's.
  box->setFocusPolicy(Qt::ClickFocus);
  for (double factor = tesk::view::kSmallestZoom; factor < 1; factor *= 2)
    box->addItem(FactorText(factor), factor);
  for (const double factor : {1.0, 2.0, 3.0, 4.0, 6.0, 8.0, 12.0, 16.0})
    box->addItem(FactorText(factor), factor);
  box->addItem(QString::fromUtf8("适合宽度"), kFitWidth);
  box->addItem(QString::fromUtf8("适合页面"), kFitPage);
  box->setCurrentIndex(box->findData(1.0));
  box->setGeometry(geometry.x(), geometry.y(), geometry.width(), box->sizeHint().height());
  QObject::connect(box, &QComboBox::activated, &view, [box, &view](int index) {
    const double data = box->itemData(index).toDouble();
    if (data == kFitWidth)
      view.SetZoomMode(CZoomCtrl::ZoomMode::FitWidth);
    else if (data == kFitPage)
      view.SetZoomMode(CZoomCtrl::ZoomMode::FitPage);
    else
      view.SetZoom(data, view.ClientRect().center());
  });
  QObject::connect(&view, &CZoomCtrl::ZoomChanged, box, [box, &view] { Follow(*box, view); });
  return box;
}
