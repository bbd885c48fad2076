#pragma once
// The main window's toolbar. It draws its buttons through the framework's toolbar for
// now; the owner-drawn button faces come here when the bar gets its own look.

#include "framework/ControlBars.h"

class CToolBarEx : public CToolBar {};
