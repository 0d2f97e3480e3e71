#pragma once
// The zoom box below the figures: 1:1 (the default), 2x to 16x, fit to width
// and fit to page. It follows the view when the zoom changes by wheel or key.

class CZoomCtrl;
class QComboBox;
class QRect;
class QWidget;

QComboBox* CreateZoomBox(QWidget& dialog, CZoomCtrl& view, const QRect& geometry);
