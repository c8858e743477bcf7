// The dialog's local field operations: the data-file name check, the format selector and the
// data-file list.
#pragma once
#include "app/recorder_state.h"
#include "files/stack_format.h"

// InvalidFileName for a name of 4 characters or fewer, IncorrectFileType unless it ends in ".qel"
// (any case), FileOpenError when create is set and the file cannot be created or emptied. On
// Success, currentPath holds the name.
StatusCode checkDataFileName(Recorder& recorder, bool create);

StackFormat selectedStackFormat(DialogPort& dialog);

void refreshFileList(DialogPort& dialog, int comboId);
