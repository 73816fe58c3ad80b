#pragma once
// Every message and caption the catalog gives the user, in one place.
#include <string_view>

namespace lh::catalog_texts {

// The first category of a new catalog, and the whole of a new catalog file.
inline constexpr std::string_view kTopCategoryName = "Loomhall Catalog";
inline constexpr std::string_view kNewCatalogFile = "Loomhall Catalog\r\n";
inline constexpr std::string_view kCatalogFileName = "Catalog.QY";

// Deleting the top category.
inline constexpr std::string_view kKeepTopCategory =
    "Don't delete your top category. Try renaming it instead.";
inline constexpr std::string_view kKeepTopCategoryCaption = "Whoops!";

// Asked before a category is deleted: kConfirmDelete + name + "'".
inline constexpr std::string_view kConfirmDelete = "Are you sure your want to delete the category: \n'";
inline constexpr std::string_view kConfirmDeleteCaption = "Confirm Delete";

inline constexpr std::string_view kNewCategoryPrompt = "Please enter the new category name:";
// A name that a catalog file cannot hold (a line break in it, a tab in front).
inline constexpr std::string_view kBadCategoryName =
    "A category name must not be empty, hold a line break or begin with a tab.";
inline constexpr std::string_view kBadCategoryNameCaption = "Category Name";

// Start-up: kErrorReading + the system's text; caption kErrorCaption.
inline constexpr std::string_view kErrorReading = "Error reading catalog file:\n";
inline constexpr std::string_view kErrorCaption = "Error";

// Saving is refused after a read that did not take the whole file; kSaveRefused + the reason.
inline constexpr std::string_view kSaveRefused =
    "The catalog was not saved, so that the catalog file is not replaced by a shorter one:\n";
inline constexpr std::string_view kSaveFailed = "The catalog could not be saved:\n";
inline constexpr std::string_view kReadFailedReason = "the catalog file could not be read (";
inline constexpr std::string_view kDroppedReason =
    " entry lines before the first category could not be placed";
inline constexpr std::string_view kTooLargeReason = "the catalog file is too large to read";
inline constexpr std::string_view kNotCatalogReason =
    "the file is not a catalog file (its extension is not QY)";

// Finding moved designs.
inline constexpr std::string_view kLinksUpdated = "%i catalog links updated.";
inline constexpr std::string_view kLinksUpdatedCaption = "Links Updated";
inline constexpr std::string_view kLookForMore = "Look for other missing links from the same old directory?";
inline constexpr std::string_view kLookForMoreCaption = "Look for more?";

// A design that no category lists: "%s\n%s" with these two.
inline constexpr std::string_view kNotCataloged = "This item is not cataloged.";
inline constexpr std::string_view kNotCatalogedCaption = "Not Cataloged";

// "Delete Catalog Entries..." with more than one item selected.
inline constexpr std::string_view kDeleteEntriesCaption = "Delete Catalog Entries?";
inline constexpr std::string_view kDeleteEntriesOfMany =
    "You have selected multiple items.\n"
    "Would you like to remove all entries from all selected items?\n"
    "If you would like entry-by-entry control, please select only one item.";

// Cataloguing refusals, gathered and told once: kSomeCatalogued (only when something was
// catalogued) + the reason's text.
inline constexpr std::string_view kSomeCatalogued = "Some files were cataloged fine, but others were not.\n";
inline constexpr std::string_view kUnnamedDisk =
    "You have asked to catalog files from an unnamed removable or floppy disk.\n";
inline constexpr std::string_view kNameDiskQuestion = "Would you like to name this disk?\n\n";
inline constexpr std::string_view kUnnamedDiskCaption = "Catalog Failure: Un-Named Removable Disk";
inline constexpr std::string_view kTemporaryFiles =
    "You have attempted to catalog temporary (TMP) files.\n"
    "If you want to save the files, copy them by dragging them into a different directory.\n"
    "This will also allow you to catalog them.";
inline constexpr std::string_view kTemporaryFilesCaption = "Catalog Failure: Temporary (TMP) Files";

}  // namespace lh::catalog_texts
