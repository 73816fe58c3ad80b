#pragma once
// What the tool commands tell about each design of a run: the fit note on stderr and the
// --json record.
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "tools/tool_runner.h"

namespace lh::cli {

// "PATH: turned a quarter turn and shrunk by 6.8 % to fit the 130 x 180 mm hoop; split into
// 2 files", or nothing for a design that was written as it was.
std::optional<std::string> fitNote(const DesignOutcome& outcome);

// Why a design was not written, in a few words (as the stderr lines say it); empty for a
// written one. `settings` are the run's (the types a folder offers).
std::string reasonText(const DesignOutcome& outcome, const SettingsStore& settings);

// {"source", "outputs", "turned", "shrunk" (percent), "split", "result", "reason"}.
nlohmann::ordered_json outcomeRecord(const DesignOutcome& outcome, const SettingsStore& settings);
// The record of an input that gives no design (it does not exist, say), with the reason.
nlohmann::ordered_json unusableRecord(const std::string& input, const std::string& reason);

}  // namespace lh::cli
