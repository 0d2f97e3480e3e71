#pragma once
// Turns a dialog template into Qt widgets standing where the template puts
// them. No layout manager: resizing the window moves nothing.

#include <QIcon>
#include <vector>

#include "app/dialog_template.h"
#include "app/dialog_units.h"

class QWidget;

// Creates every control of `dialogTemplate` as a child of `dialog`, in template
// order (which is the tab order), named by its id, and returns them in that
// order. The first control ends up on top, as the system stacks them, so a
// group box never covers the buttons drawn inside it.
std::vector<QWidget*> CreateControls(QWidget& dialog, const DialogTemplate& dialogTemplate,
                                     DialogBaseUnits base, const QIcon& icon);

// The pixel size of a template's client area.
QSize DialogPixelSize(const DialogTemplate& dialogTemplate, DialogBaseUnits base);
