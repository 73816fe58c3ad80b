#pragma once
// The texts of the preferences sheet: its caption, the page titles in tab order, the labels
// and explanations of every page and the message of the view-types rule. Every such text is
// here and nowhere else.
#include <array>
#include <string_view>

namespace lh::prefs_texts {

inline constexpr std::string_view kSheetCaption = "Loomhall Preferences";
inline constexpr std::string_view kCommand = "Preferences...";
inline constexpr std::string_view kCommandStatus = "Edit the program preferences.";

inline constexpr std::array<std::string_view, 11> kPageTitles{
    "View Types", "File Selection / Folders", "Conversion", "Tools / On-The-Fly", "Metric/English", "Color Sort",
    "Baste",      "Background Color",         "Bitmap Size", "Tag Line",          "Catalog Path"};

inline constexpr std::string_view kUseDefault = "Use Default";
inline constexpr std::string_view kBrowse = "Browse";

// View Types
inline constexpr std::string_view kTypesIntro =
    "Select the file types that you want to view. You must select at least one type.";
inline constexpr std::string_view kLastTypeText = "At least one item must be set!";
inline constexpr std::string_view kLastTypeCaption = "No items selected";

// File Selection / Folders
inline constexpr std::string_view kSelectionIntro =
    "When performing multiple operations on a set of files, its convenient to only have the newly-modified "
    "versions of the files selected:";
inline constexpr std::string_view kFileSelection = "File Selection:";
inline constexpr std::string_view kSelectNew = "Select the new/modified designs";
inline constexpr std::string_view kKeepSelection = "Keep existing design selections";
inline constexpr std::string_view kNewDesigns = "New Designs: ";
inline constexpr std::string_view kNewDesignsFolder = "Put new designs in this folder:";
inline constexpr std::string_view kModifiedDesigns = "Modified Designs: ";
inline constexpr std::string_view kUseTemporaryFolder = "Put modified designs into a 'temporary' folder:";
inline constexpr std::string_view kWhenClosing = "When the program closes: ";
inline constexpr std::string_view kDeleteTemporaries = "Delete modified designs from the temporary folder.";
inline constexpr std::string_view kConfirmDeletion = "Confirm deletion.";

// Conversion
inline constexpr std::string_view kConversionIntro =
    "Select the file type preferences that you want to adjust, then set the options.";
inline constexpr std::string_view kConversionGroup = "File Type Conversions";
inline constexpr std::string_view kLargestHoop = "Largest Hoop:";
inline constexpr std::string_view kMm = "mm";
inline constexpr std::string_view kTimes = "X";
inline constexpr std::string_view kSplitAfter = "Split after";
inline constexpr std::string_view kColors = "colors";
inline constexpr std::string_view kStitches = "stitches";
inline constexpr std::string_view kBothOrientations = "Software supports both hoop orientations";
inline constexpr std::string_view kRotate = "Rotate design to attempt fit. ";
inline constexpr std::string_view kShrink = "Shrink to fit";
inline constexpr std::string_view kMaximumPct = "Maximum %";
inline constexpr std::string_view kPes5 = "Convert using PES version 5 with real thread colors.";
inline constexpr std::string_view kPes6 = "Convert 180mm x 300mm designs with PES 6.0";
inline constexpr std::string_view kEnsureTrims = "Ensure trims over";
inline constexpr std::string_view kMmDot = "mm.";
inline constexpr std::string_view kCommands = "Commands";

// Tools / On-The-Fly
inline constexpr std::string_view kToolsIntro =
    "The tools menu provides several utilities (Auto-Baste, Color Sort, etc.) which create new embroidery files. "
    "You may wish to have these tools always create a file in the format of your choosing.";
inline constexpr std::string_view kOnTheFlyIntro =
    "Double-clicking a design will run whichever embroidery software that Windows tells it to, based on the "
    "file type. On-The-Fly conversion will convert designs and run the appropriate software for you "
    "automatically.";
inline constexpr std::string_view kKeepIntro =
    " You can also select \"Keep Format\", which will not convert the file, it will simply create it in the "
    "same format as the original. In the case of On-The-Fly, no conversion will be performed.";
inline constexpr std::string_view kToolFormat = "Tool Format";
inline constexpr std::string_view kKeepFormat = "Keep Format";
inline constexpr std::string_view kPreferredFormat = "Use Prefered Format";
inline constexpr std::string_view kShowReport = "Show the \"Report\" dialog after successful file creation.";

// Metric/English
inline constexpr std::string_view kUnitsIntro =
    "The standard for embroidery machines is to use metric system measurements. If you prefer the English "
    "system (inches), set the button below:";
inline constexpr std::string_view kUseInches = "Use Inches!";

// Color Sort
inline constexpr std::string_view kSortPrompt = "Enter the maximum allowable color overlap per layer. (%)";

// Baste
inline constexpr std::string_view kCombineIntro =
    "Click here if you would like the baste file to be a combined baste file and design file copy. Otherwise, "
    "the baste file will have to be sewn first and separately from the design.";
inline constexpr std::string_view kCombine = "Combine baste and copy of design";
inline constexpr std::string_view kCrosshairs = "Add crosshairs to baste";
inline constexpr std::string_view kBasteLengthPrompt = "Enter the stitch length for the baste. (1-100mm)";
inline constexpr std::string_view kBasteEdgePrompt = "Baste past outer edge of design: (0 = edge)";
inline constexpr std::string_view kEdgeFormat = "%i mm";

// Background Color
inline constexpr std::string_view kCustomColor = "Custom Color:";
inline constexpr std::string_view kControls = "Controls:";
inline constexpr std::string_view kDragHint =
    "(Hint: You can drag a color from the box on the right into a storage position on the left.)";
inline constexpr std::string_view kHsb = "HSB";
inline constexpr std::string_view kRgb = "RGB";
inline constexpr std::string_view kReset = "Reset";
inline constexpr std::array<std::string_view, 3> kHsbLabels{"Hue:", "Saturation:", "Brightness:"};
inline constexpr std::array<std::string_view, 3> kRgbLabels{"Red:", "Green:", "Blue:"};

// Bitmap Size
inline constexpr std::string_view kBitmapIntro =
    "Please enter the size that you would like bitmap files to be created. The shape is square, therefore the "
    "size is for either edge. Maximum size is 1024 pixels.";
inline constexpr std::string_view kPixels = "pixels";
inline constexpr std::string_view kRender3dIntro =
    "The image can be rendered in Instant 3-D mode or normal.\nThis can be useful when you wish to re-digitize "
    "a design.";
inline constexpr std::string_view kOutlineIntro = "A bitmap outline of the color layers can also be created.";
inline constexpr std::string_view kMake3d = "I want 3D images";
inline constexpr std::string_view kOutline = "Outline";

// Tag Line
inline constexpr std::string_view kTagIntro = "This line can be used to personalize your copy of Loomhall:";
inline constexpr std::string_view kClear = "Clear";

// Catalog Path
inline constexpr std::string_view kCatalogIntro =
    "Enter the path (directory) that you would like to use for the catalog file.";
inline constexpr std::string_view kCatalogFilter = "Quenby Catalog: (Catalog.QY)";

}  // namespace lh::prefs_texts
