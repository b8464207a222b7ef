// TC's own basic fields of a file ("tc" in a field reference), read straight from
// Windows, so that the preview can set them beside what the plugins say.
#pragma once
#include <string>

#include "probe/fields.h"

// Appends a field with the next index and one value: the text, or an empty field
// (-3) when the text is empty. TAB, CR and LF in the text become blanks.
void AddFieldDef(PvPlugin& row, const std::wstring& name, int type, const std::wstring& value);

// Adds the 31 built-in fields of the file to the row; false, and no fields, when
// the file's directory entry cannot be read.
bool AddBuiltInFields(PvPlugin& row, const std::wstring& file);

// The file's line of descript.ion in its folder, "" when there is none.
std::wstring DescriptIonComment(const std::wstring& file);
