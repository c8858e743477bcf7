// The criteria controls of the "Search Engine" group: showing the stored settings, the clicks,
// and reading the edits the searches need.
#pragma once
#include "app/recorder_state.h"

void showSearchCriteria(DialogPort& dialog, const SearchSettings& settings);

// Handles a click on a pattern bit (100-123, 200-223, 300-323), a choice icon (400-402, 500-502,
// 600-604), a gap check box (842, 843) or a gap side icon (844, 845). False for any other id.
bool handleCriteriaClick(DialogPort& dialog, SearchSettings& settings, unsigned id);

// Reads edits 803, 840 and 841 into the settings; status 9 for a bad number.
StatusCode gatherSearchCriteriaFromDialog(DialogPort& dialog, SearchSettings& settings);

// Reads the five time-tag edits into target (microseconds); status 9 for a bad field.
StatusCode readTimeTagFields(DialogPort& dialog, double& target);

// "%d GBytes" of the size truncated to a whole number.
std::string formatMaxFileSize(float gigabytes);
