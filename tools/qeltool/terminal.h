// What qeltool asks of the terminal: whether its outputs go to one, and how wide it is.
#pragma once

bool standardErrorIsTerminal();

// Standard output and standard error are the same terminal: what is printed and the progress
// line would run into each other.
bool outputsShareTerminal();

// The width in columns of the terminal that standard output is; 80 away from a terminal.
int standardOutputColumns();
