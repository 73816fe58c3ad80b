#pragma once
// Pictures of the program on a design for a person to look at: the main window, a simulation
// paused halfway, the colour chooser and the colour preferences.
#include <QString>

namespace lh {

class TinctorApp;

// Waits for the design and its colours, then writes PREFIX-window.png, PREFIX-paused.png,
// PREFIX-chooser.png and PREFIX-preferences.png. False when the design never came or a picture
// could not be written.
bool writeScreenshots(TinctorApp& app, const QString& prefix);

}  // namespace lh
