// The program's icon, drawn from the same picture the desktop menu shows.
#pragma once

#include <QIcon>

QIcon ProgramIcon();
