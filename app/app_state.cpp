// app/app_state.cpp
#include "app_state.h"

#include "text_helpers.h"

// Filled before WinMain runs.
AppState app = {
    nullptr,
    nullptr,
    nullptr,
    0,
    0,
    AllocZeroed(TEXT_BUFFER_SIZE),
    AllocZeroed(TEXT_BUFFER_SIZE),
    AllocZeroed(TEXT_BUFFER_SIZE),
    AllocZeroed(TEXT_BUFFER_SIZE),
    RegistryKey{},
    CommonDialogs{},
};
