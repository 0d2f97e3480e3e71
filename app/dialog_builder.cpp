#include "app/dialog_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "view/zoom_ctrl.h"

namespace {

// Icon statics size themselves to the system's icon, whatever the template says.
constexpr int kIconPixels = 32;

QLabel* CreateLabel(QWidget& parent, const QString& text, Qt::Alignment alignment) {
  auto* label = new QLabel(text, &parent);
  // Paths and figures are shown as they are, never read as markup.
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(alignment | Qt::AlignTop);
  return label;
}

QWidget* CreateControl(QWidget& parent, const ControlTemplate& control, const QIcon& icon) {
  const QString text = QString::fromUtf8(control.text);
  switch (control.kind) {
    case ControlKind::Static: return CreateLabel(parent, text, Qt::AlignLeft);
    case ControlKind::CaptionStatic: return CreateLabel(parent, text, Qt::AlignRight);
    case ControlKind::PushButton: {
      auto* button = new QPushButton(text, &parent);
      // Enter is the dialog's to handle (see CTeskDlg::keyPressEvent).
      button->setAutoDefault(false);
      return button;
    }
    case ControlKind::DropDownList: return new QComboBox(&parent);
    case ControlKind::PictureFrame: return new CZoomCtrl(&parent);
    case ControlKind::RadioButton: return new QRadioButton(text, &parent);
    case ControlKind::CheckBox: return new QCheckBox(text, &parent);
    case ControlKind::GroupBox: return new QGroupBox(text, &parent);
    case ControlKind::Icon: {
      auto* label = new QLabel(&parent);
      label->setPixmap(icon.pixmap(kIconPixels, kIconPixels));
      return label;
    }
  }
  return nullptr;
}

QRect PixelGeometry(const ControlTemplate& control, QWidget& widget, DialogBaseUnits base) {
  QRect pixels = DialogUnitsToPixels(control.units, base);
  // A drop-down list's height in the template is that of its open list; closed,
  // it is one line high.
  if (control.kind == ControlKind::DropDownList) pixels.setHeight(widget.sizeHint().height());
  if (control.kind == ControlKind::Icon) pixels.setSize(QSize(kIconPixels, kIconPixels));
  return pixels;
}

}  // namespace

std::vector<QWidget*> CreateControls(QWidget& dialog, const DialogTemplate& dialogTemplate,
                                     DialogBaseUnits base, const QIcon& icon) {
  std::vector<QWidget*> widgets;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = CreateControl(dialog, control, icon);
    if (control.id != kNoControlId) widget->setObjectName(QString::number(control.id));
    widget->setGeometry(PixelGeometry(control, *widget, base));
    // Only controls marked as tab stops are reached with Tab; the rest take the
    // focus from a click at most.
    if (widget->focusPolicy() != Qt::NoFocus)
      widget->setFocusPolicy(control.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    widgets.push_back(widget);
  }
  for (auto it = widgets.rbegin(); it != widgets.rend(); ++it) (*it)->raise();
  return widgets;
}

QSize DialogPixelSize(const DialogTemplate& dialogTemplate, DialogBaseUnits base) {
  return QSize(DialogUnitsToPixelsX(dialogTemplate.width, base),
               DialogUnitsToPixelsY(dialogTemplate.height, base));
}
