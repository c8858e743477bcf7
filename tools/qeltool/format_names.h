// The --format names of the bus formats (the dialog's "STACK Format" buttons).
#pragma once
#include <string>

#include "files/stack_format.h"

// binary, mdm, ldb, mec, eiu, 1553; false for any other name.
bool stackFormatNamed(const std::string& name, StackFormat& format);
