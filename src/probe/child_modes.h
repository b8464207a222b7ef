// The windowless child modes of the program, chosen by the first argument.
#pragma once
#include <string>

// The /unpack child belongs to the installing, above this layer: the program hands its entry in.
using UnpackChildEntry = int (*)(const std::wstring& archive, const std::wstring& target);

// Runs /probe <plugin> <letter>, /fields <plugin> <file> <contplug.ini> or, with an
// entry given, /unpack <archive> <target> when the command line asks for one and
// gives true with the mode's exit code; false for the window mode. A child mode
// creates no lock, reads no settings, loads no texts.
bool RunChildMode(int& exitCode, UnpackChildEntry unpack = nullptr);
