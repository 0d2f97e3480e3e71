#include "app/about_dlg.h"

#include <QPushButton>

#include "app/app_icon.h"
#include "app/dialog_builder.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  const DialogTemplate& dialogTemplate = AboutDialogTemplate();
  setWindowTitle(QString::fromUtf8(dialogTemplate.title));
  // A modal frame with a caption and a close box, nothing to resize.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  QFont font;
  font.setFamilies({"MS Shell Dlg", "SimSun", "Noto Sans CJK SC", "WenQuanYi Micro Hei"});
  font.setPointSize(9);
  setFont(font);

  const DialogBaseUnits base = BaseUnitsOf(font);
  setFixedSize(DialogPixelSize(dialogTemplate, base));
  CreateControls(*this, dialogTemplate, base, TeskIcon());

  auto* ok = findChild<QPushButton*>(QString::number(control::kOk));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  ok->setFocus();
}
