// One section of the plugin inventory: its keys and values.
#pragma once
#include <map>
#include <string>

using InvRecord = std::map<std::wstring, std::wstring>;

// The key's value; "" when absent.
std::wstring EntryGet(const InvRecord& entry, const std::wstring& key);
// Sets the key only when the value differs, and then sets changed.
void EntrySet(InvRecord& entry, const std::wstring& key, const std::wstring& value, bool& changed);
// Lister (and any unknown type) before Content, Packer, File system; then by name
// without case.
bool InvEntryLess(const InvRecord& a, const InvRecord& b);
