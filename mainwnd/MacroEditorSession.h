#pragma once

#include "mainwnd/KeyAssignment.h"

class AppConfig;

namespace kg {

// The editor a click on the keyboard image opens: the macro editor dialog, run modally over
// the main window and destroyed when it has ended.
AssignmentEditorFactory macroEditorFactory(const AppConfig& config);

}  // namespace kg
