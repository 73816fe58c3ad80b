#include "cli/run_records.h"

#include <cmath>
#include <cstdio>

#include "cli/design_io.h"
#include "cli/tool_run.h"

namespace lh::cli {

namespace {

// The shrink as a percentage with one decimal; never 0.0 for a design that was shrunk.
double shrinkPercent(float shrink) {
  if (shrink <= 0.0f) return 0.0;
  return std::max(0.1, std::round(static_cast<double>(shrink) * 1000.0) / 10.0);
}

std::string hoopText(const HoopFit& fit) {
  return std::to_string(fit.hoopWidth) + " x " + std::to_string(fit.hoopHeight) + " mm hoop";
}

std::string_view resultName(DesignResult r) {
  switch (r) {
    case DesignResult::Written:
      return "written";
    case DesignResult::Unchanged:
      return "unchanged";
    case DesignResult::Skipped:
      return "skipped";
    case DesignResult::Failed:
      return "failed";
  }
  return "failed";
}

}  // namespace

std::optional<std::string> fitNote(const DesignOutcome& o) {
  if (o.result != DesignResult::Written) return std::nullopt;
  std::string note;
  if (o.fit.quarterTurn != 0) note = "turned a quarter turn";
  if (o.fit.shrink > 0.0f) {
    char pct[32];
    std::snprintf(pct, sizeof pct, "%.1f", shrinkPercent(o.fit.shrink));
    note += (note.empty() ? "shrunk by " : " and shrunk by ") + std::string(pct) + " %";
  }
  if (!note.empty()) note += " to fit the " + hoopText(o.fit);
  if (o.files.size() > 1) note += (note.empty() ? "split into " : "; split into ") + std::to_string(o.files.size()) + " files";
  if (note.empty()) return std::nullopt;
  return o.source + ": " + note;
}

std::string reasonText(const DesignOutcome& o, const SettingsStore& settings) {
  switch (o.result) {
    case DesignResult::Written:
      return {};
    case DesignResult::Skipped:
      return o.existing + " exists";
    case DesignResult::Unchanged:
      return "nothing to write";
    case DesignResult::Failed:
      break;
  }
  if (o.loadResult != LoadResult::Ok) return loadFailureText(settings, o.source, o.loadResult);
  if (isFailure(o.conversion)) return failureReason(o.conversion, o.failure);
  return "refused by the tool";
}

nlohmann::ordered_json outcomeRecord(const DesignOutcome& o, const SettingsStore& settings) {
  nlohmann::ordered_json j;
  j["source"] = o.source;
  j["outputs"] = o.files;
  j["turned"] = o.result == DesignResult::Written && o.fit.quarterTurn != 0;
  j["shrunk"] = o.result == DesignResult::Written ? shrinkPercent(o.fit.shrink) : 0.0;
  j["split"] = o.files.size() > 1;
  j["result"] = resultName(o.result);
  const std::string reason = reasonText(o, settings);
  j["reason"] = reason.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(reason);
  return j;
}

nlohmann::ordered_json unusableRecord(const std::string& input, const std::string& reason) {
  nlohmann::ordered_json j;
  j["source"] = input;
  j["outputs"] = nlohmann::ordered_json::array();
  j["turned"] = false;
  j["shrunk"] = 0.0;
  j["split"] = false;
  j["result"] = "failed";
  j["reason"] = reason;
  return j;
}

}  // namespace lh::cli
