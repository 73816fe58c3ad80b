#pragma once
// The checks a folder chosen by the user goes through before the browser uses it: the question
// before a whole large drive is shown, and the folder picker's checks of a typed path.
#include <string>
#include <string_view>

#include "files/drives.h"

namespace lh {

// Every text the checks show, in one place.
namespace folder_text {
inline constexpr std::string_view kLargeDriveCaption = "Large Drive Selected";
inline constexpr std::string_view kLargeDriveQuestion =
    "You have selected a large drive to view.\n"
    "Are you sure that you want to view the entire contents of this drive?";
inline constexpr std::string_view kNotValid = "\nThis is not a valid folder.";
inline constexpr std::string_view kNotADirectory = "\nThis is a file not a directory.";
inline constexpr std::string_view kAskToCreate = "\nThis folder does not exist.\n\nDo you want to create it?";
inline constexpr std::string_view kCannotCreateRemovable =
    "You cannot create this folder.\nThe medium may be write-protected.";
inline constexpr std::string_view kCannotCreateNetwork =
    "You do not have permission to create\nthis folder on the network.";
inline constexpr std::string_view kCannotCreateOptical =
    "You cannot create this folder\nas the CD ROM medium is read-only.";
inline constexpr std::string_view kCannotCreate = "You do not have permission\nto create this folder.";
}  // namespace folder_text

// True when showing `folder` means showing a whole large drive, so the user is asked first:
// "/" and the root of every mount point that does not hold removable media (a stick, a card
// or a disc).
bool isLargeDrive(std::string_view folder, const DriveService& drives);

enum class FolderVerdict {
  Ok,           // an existing folder: use `path`
  Refused,      // show `message`; nothing changes
  AskToCreate,  // ask `message` (Yes / No); on Yes call createFolder(path)
};

struct FolderCheck {
  FolderVerdict verdict = FolderVerdict::Refused;
  std::string path;     // the typed path without a trailing '/' (except "/" itself)
  std::string message;  // the path followed by the reason or the question
};

// The folder picker's checks of a typed absolute path, in order: not a usable path, an
// existing file, a missing folder.
FolderCheck checkTypedFolder(std::string_view typed);

// Creates `folder` and any missing folders above it, after the user agreed to. "" on success;
// otherwise the text to show, chosen by the kind of drive the folder would be made on.
std::string createFolder(std::string_view folder, const DriveService& drives);

}  // namespace lh
