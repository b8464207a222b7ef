// The built-in texts: key, English, German. Kept in the order the key list fixes.
#include "foundation/texts.h"

namespace {

const TextRow rows[] = {
    {"app_title", L"Kestrovane – Check, understand and manage plugins", L"Kestrovane – Plugins prüfen, verstehen und verwalten"},
};

}  // namespace

std::span<const TextRow> TextTable() { return rows; }
