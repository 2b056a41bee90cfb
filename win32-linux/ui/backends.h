// win32-linux/ui/backends.h
// The backends that ui/select.cpp chooses among, beside the GTK one (ui/gtk/gtk_module.h).
#ifndef ZAPFILE_STANDIN_UI_BACKENDS_H
#define ZAPFILE_STANDIN_UI_BACKENDS_H

#include "user32/user_driver.h"

namespace standin {

extern const UiBackend kTerminalBackend;
extern const UiBackend kHeadlessBackend;
extern const UiBackend kScriptedBackend;

// Tests replace the automatic choice by one backend; null restores the choice.
void OverrideBackend(const UiBackend* backend);

}  // namespace standin

#endif
