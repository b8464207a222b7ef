// Texts built from text keys for plugin kinds and exported function names.
#pragma once
#include <initializer_list>
#include <set>
#include <string>

// The kind names of the set bits of a kind mask (1 Lister, 2 Content, 4 Packer,
// 8 File system) joined by " + "; "none" when no bit is set.
std::wstring PluginKindText(int kindMask);
// True when any of the names is in the set.
bool NamesToSetA(const std::set<std::string>& set, std::initializer_list<const char*> names);
// When any of the names is in the set, appends the key's text to the list in result.
void NamesToTextA(const std::set<std::string>& set, std::wstring& result, const char* key,
                  std::initializer_list<const char*> names);
