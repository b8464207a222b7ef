// Findings the user has marked as checked, kept in section Acknowledged of the program's INI.
#pragma once
#include <map>
#include <string>

// Acknowledgement key -> time stamp.
extern std::map<std::wstring, std::wstring> AckSet;

// Replaces AckSet by the section's key=value pairs.
void LoadAckSet();
