// Connects the plugin list's extra columns to the caches' reset.
#pragma once

void ConnectExtraColumns();
