// Asking a plugin about itself: the parent side of the /probe child.
#pragma once
#include <string>

#include "probe/child_run.h"
#include "probe/child_settings.h"
#include "probe_record/probe_result.h"

// Probes the plugin of a configured, expanded path as kind 0..3 in a child process
// (the 32-bit twin for a 32-bit plugin). A file-system plugin is only asked with
// force; without it its exports are read. Every outcome is a status.
void ProbePlugin(ProbeResult& result, const std::wstring& path, int kind, bool force,
                 const ChildSettings& settings);

// Turns a finished /probe child's output into status, answer and error text;
// timeoutMs is the limit the child was given.
void ReadProbeOutput(ProbeResult& result, const ChildRun& run, uint32_t timeoutMs);
