#pragma once
// The sequencer that comes with the browser: `tinctor` installed in the browser's own folder
// is entered among the installed plug-ins as "Loomhall Huetide", so that nobody has to edit
// settings to get it. It happens once: an entry of that name the user made is kept, and an
// entry the user removed stays removed.
#include <QString>

#include "design/settings.h"

namespace lh {

enum class SequencerRegistration {
  Registered,     // the entry was written
  UserEntryKept,  // an entry of that name was there already
  AlreadyDone,    // an earlier start did this
  NotInstalled,   // no sequencer beside the browser (a later start may find one)
};

// `browserSettings` keeps the note that it happened; `programFolder` is the browser's folder.
SequencerRegistration registerBundledSequencer(SettingsStore& browserSettings, const QString& programFolder);

}  // namespace lh
