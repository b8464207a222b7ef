// The windowless child modes of the program, chosen by the first argument.
#pragma once

// Runs /probe <plugin> <letter> or /fields <plugin> <file> <contplug.ini> when the
// command line asks for one and gives true with the mode's exit code; false for
// the window mode. A child mode creates no lock, reads no settings, loads no texts.
bool RunChildMode(int& exitCode);
