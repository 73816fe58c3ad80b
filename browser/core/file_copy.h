#pragma once
// The copy routine of "Copy to...", "Send to Floppy (A:)" and drops on the folder tree: one
// listed file into a folder, archive members extracted, a name clash asked about, never
// overwritten without being asked.
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/file_item.h"
#include "files/drives.h"

namespace lh {

// The user's answer when the target folder already holds a file of the copy's name.
enum class ClashAnswer {
  Replace,   // the copy takes the existing file's place (atomically)
  KeepBoth,  // the copy gets the next free "(n)" name
  Skip,      // this file is not copied; the run goes on
  Cancel,    // nothing more is copied
};
// Asked with the item being copied and the path it would take (texts::kClashQuestion).
using ClashQuestion = std::function<ClashAnswer(const FileItem& item, const std::string& target)>;

enum class CopyStatus { Copied, Skipped, Cancelled, Failed };

struct CopyResult {
  CopyStatus status = CopyStatus::Failed;
  std::string target;  // the path written, when Copied
  std::string error;   // the message, when Failed
};

// Copies `item` (a plain file, or an archive member extracted from its archive) into
// `folder` under its own name. Without `ask` a clash is skipped.
CopyResult copyItem(const FileItem& item, std::string_view folder, const ClashQuestion& ask);

struct CopyRun {
  std::size_t copied = 0;
  std::vector<std::string> targets;  // the paths written, in order
  // The copy that stopped the run (a failure or a cancel); nothing when the run went through.
  std::optional<CopyResult> stop;
};

// Copies the items in order into `folder`, stopping at the first failure or cancel.
// texts::copiedText(copied) is the closing message.
CopyRun copyItems(std::span<const FileItem> items, std::string_view folder, const ClashQuestion& ask);

// Where "Send to Floppy (A:)" copies: the root of the first mounted removable medium; nothing
// when none is mounted (texts::kNoRemovable).
std::optional<std::string> removableMediumFolder(const DriveService& drives);

}  // namespace lh
