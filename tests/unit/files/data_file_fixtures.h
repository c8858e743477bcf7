// Left only for the recording session test until it includes tests/support/temp_folder.h itself;
// the files tests build their records with tests/support/test_records.h.
#pragma once
#include "tests/support/temp_folder.h"
