#pragma once

#include <QIcon>

// The program's icon, from the resources built into the program.
QIcon TeskIcon();
