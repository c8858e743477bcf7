// The criteria controls of the "Search Engine" group: showing the stored settings, the clicks,
// and reading the edits the searches need.
#pragma once
#include "app/recorder_state.h"

void showSearchCriteria(DialogPort& dialog, const SearchSettings& settings);

// Handles a click on a pattern bit, a Sync, Errors or Bus choice icon, a gap check box or a gap
// side icon (the id ranges in res/resource_ids.h). False for any other id.
bool handleCriteriaClick(DialogPort& dialog, SearchSettings& settings, unsigned id);

// Reads the occurrence and the two gap bound edits into the settings; SyntaxError for a bad number.
StatusCode gatherSearchCriteriaFromDialog(DialogPort& dialog, SearchSettings& settings);

// Reads the five time-tag edits into target (microseconds); SyntaxError for a bad field.
StatusCode readTimeTagFields(DialogPort& dialog, double& target);

// "%d GBytes" of the size truncated to a whole number.
std::string formatMaxFileSize(float gigabytes);
