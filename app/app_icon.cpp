#include "app/app_icon.h"

QIcon TeskIcon() { return QIcon(QStringLiteral(":/tesk/tesk.png")); }
