#pragma once
// "Rename a file": the new name's rules (extension kept or changed on purpose) and renaming a
// plain file or an archive member without ever replacing another file.
#include <functional>
#include <string>
#include <string_view>

#include "browser/core/file_list.h"

namespace lh {

// The answer to texts::kTypeChange (Yes / No / Cancel).
enum class TypeChangeAnswer { Yes, No, Cancel };
using TypeChangeQuestion = std::function<TypeChangeAnswer()>;

// What a typed name comes to.
struct NewName {
  enum class Verdict {
    Use,    // rename to `name`
    Same,   // the name is unchanged: nothing to do
    Stop,   // the user cancelled the type change
    Empty,  // texts::kNoName
    Bad,    // texts::kBadName: a '/', a control character, "." or ".."
  };
  Verdict verdict = Verdict::Stop;
  std::string name;
};

// The name `typed` (surrounding blanks dropped) gives a file now called `oldName`: without an
// extension it takes the old one; a different extension is asked about through `ask` (Yes
// keeps it, No puts the old one back, Cancel stops; no `ask` counts as Cancel).
NewName decideNewName(std::string_view oldName, std::string_view typed, const TypeChangeQuestion& ask);

// Renames the file `item` names to `newName` in the same folder (inside its archive for a
// member); a name that differs in letter case alone goes through an intermediate name. Never
// replaces another file. Returns "" on success, else the message to show.
std::string renameFile(const FileItem& item, const std::string& newName);

enum class RenameStatus { Renamed, Unchanged, NoSelection, Refused, Failed };

struct RenameResult {
  RenameStatus status = RenameStatus::Unchanged;
  std::string message;       // for Refused and Failed
  std::string_view caption;  // for Refused and Failed
};

// Told of a rename: the item before and after, so that the catalog can follow the file.
using RenamedFunction = std::function<void(const FileItem& before, const FileItem& after)>;

// Renames the first selected item to what the user typed (texts::kRenamePrompt); on success
// the item takes the new name and `renamed` hears of it.
RenameResult renameSelected(FileList& list, std::string_view typed, const TypeChangeQuestion& ask,
                            const RenamedFunction& renamed);

}  // namespace lh
