// The macro tests' ground is the main-window fixture's.
#pragma once

#include "MainWindowFixture.h"

using MacroWindowFixture = MainWindowFixture;
