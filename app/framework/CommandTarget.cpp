#include "framework/CommandTarget.h"

bool CCommandTarget::OnCommand(UINT) { return false; }

bool CCommandTarget::QueryCommandState(UINT, CommandState&) { return false; }
