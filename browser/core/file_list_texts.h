#pragma once
// Every message, question and caption of the file list and its file operations, in one place.
// Texts with "%i" or "%s" are formats: fill them with countText and pathText.
#include <cstddef>
#include <string>
#include <string_view>

namespace lh::texts {

// Status bar panes.
inline constexpr std::string_view kFilesCount = "Files: %i";
inline constexpr std::string_view kSelectedCount = "Selected: %i";

// Delete selected files.
inline constexpr std::string_view kDeleteCaption = "Delete Files";
inline constexpr std::string_view kDeleteMany = "Are you sure that you want to delete these %i files!";
inline constexpr std::string_view kDeleteOne = "Are you sure that you want to delete this file!";
// Shown with kDeleteCaption.
inline constexpr std::string_view kDeleteFailed = "These files could not be deleted:\n%s";

// Copy to, Send to Floppy.
inline constexpr std::string_view kCopiedCaption = "Files Copied";
inline constexpr std::string_view kCopiedMany = "%i files copied";
inline constexpr std::string_view kCopiedOne = "One file copied";
inline constexpr std::string_view kClashCaption = "File Exists";
inline constexpr std::string_view kClashQuestion =
    "%s\nA file of this name is already there.\n\n"
    "Replace it, keep both (the copy gets a new name), or skip this file?";
inline constexpr std::string_view kClashReplace = "Replace";
inline constexpr std::string_view kClashKeepBoth = "Keep Both";
inline constexpr std::string_view kClashSkip = "Skip";
inline constexpr std::string_view kCopyFailedCaption = "Copy Failed";
inline constexpr std::string_view kCopyFailed = "%s\nThe file could not be copied.\n";
inline constexpr std::string_view kSendToFloppy = "Send to Floppy (A:)";
// The menu text of that command here: it copies to the first mounted removable medium.
inline constexpr std::string_view kSendToRemovable = "Send to Removable Disk";
inline constexpr std::string_view kNoRemovableCaption = "No Removable Medium";
inline constexpr std::string_view kNoRemovable =
    "No removable medium is mounted.\nInsert a disk or memory stick and try again.";

// Rename a file.
inline constexpr std::string_view kRenamePrompt = "Please enter the new name:";
inline constexpr std::string_view kNoNameCaption = "No File Name";
inline constexpr std::string_view kNoName = "Please use a filename.";
inline constexpr std::string_view kBadNameCaption = "Bad File Name";
inline constexpr std::string_view kBadName =
    "A file name cannot hold \"/\" or control characters, nor be \".\" or \"..\".";
inline constexpr std::string_view kTypeChangeCaption = "File Type Change";
inline constexpr std::string_view kTypeChange =
    "You are changing the file type, but this will NOT CONVERT THE FILE!\n Are you sure that this is what "
    "you want?";
inline constexpr std::string_view kRenameFailedCaption = "Rename Failed";
inline constexpr std::string_view kRenameTaken = "%s\nA file of this name is already there.";
inline constexpr std::string_view kRenameFailed = "%s\nThe file could not be renamed.\n";

// New folders.
inline constexpr std::string_view kNewFolder = "New Folder";
inline constexpr std::string_view kNumberedFolder = "%s(%i)";

// `format` with its "%i" replaced by `n`.
std::string countText(std::string_view format, std::size_t n);
// `format` with its "%s" replaced by `text`.
std::string pathText(std::string_view format, std::string_view text);

// "Files: n" and "Selected: n".
std::string filesCountText(std::size_t n);
std::string selectedCountText(std::size_t n);
// The delete question for `n` files (singular for one).
std::string deleteQuestion(std::size_t n);
// "One file copied" or "n files copied".
std::string copiedText(std::size_t n);

// File errors by cause: 0 no error, 1 unspecified, 2 not found, 3 bad path, 4 too many open
// files, 5 access denied, 6 bad handle, 7 current folder, 8 no more entries, 9 seek, 10
// hardware, 11 sharing, 12 lock, 13 disk full, 14 end of file.
inline constexpr int kEndOfFileCause = 14;
// The text of a cause; empty for a cause outside 0..14.
std::string_view fileErrorText(int cause);
// The cause that stands for a system error number.
int fileErrorCause(int errnoValue);
// The text for a system error number.
inline std::string_view errnoText(int errnoValue) { return fileErrorText(fileErrorCause(errnoValue)); }

}  // namespace lh::texts
