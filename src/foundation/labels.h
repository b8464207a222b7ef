// Texts built from text keys only: plugin kinds, exported function names, tab
// captions, entry numbers, view modes and packer capabilities. Any layer may use them.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>

// The kind names of the set bits of a kind mask (1 Lister, 2 Content, 4 Packer,
// 8 File system) joined by " + "; "none" when no bit is set.
std::wstring PluginKindText(int kindMask);
// True when any of the names is in the set.
bool AnyNameIn(const std::set<std::string>& set, std::initializer_list<const char*> names);
// When any of the names is in the set, appends the key's text to the list in result.
void AppendKeyTextIfAnyNameIn(const std::set<std::string>& set, std::wstring& result, const char* key,
                  std::initializer_list<const char*> names);

// The caption of a main tab: 0..3 the plugin kinds, 4 inventory, 5 findings, 6 preview;
// indexes outside are clamped.
std::wstring TabName(int tab);
// "#<n>" in the current language.
std::wstring EntryNumberText(int number);
// The description of a view mode "1".."8" or "4i"; any other word unchanged.
std::wstring ModeNameText(const std::wstring& word);
// The caption of the edit command for a plugin kind.
std::wstring EditMenuText(int kind);
// The names of TC's packer capability bits joined by ", "; unknown bits as "unknown 0x..".
std::wstring PackerCapsText(uint32_t bits);
// The bits added ("+ name") and removed ("− name") between two capability numbers.
std::wstring PackerCapsAddedText(uint32_t oldBits, uint32_t newBits);
