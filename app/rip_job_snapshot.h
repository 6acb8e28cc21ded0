// The Rip command's side of the rip job: what the job works from, taken from
// the settings, the current album and the disc in the drive at the moment the
// job is made. The job itself reads none of them.
#pragma once

#include "rip/file_naming.h"
#include "rip/rip_job_settings.h"

// The naming rules over the current settings (DesDir, FileStyle, Separator,
// OutputFormat) and the current album (AlbumRecord): what the rip writes and
// what the track list's Destination column shows.
OutputNaming CurrentOutputNaming();

// Everything a rip job needs, from the settings, AlbumRecord, DiscID,
// AlbumInfoIsDefault, the table of contents (first and last track) and the
// program folder. A rate or bit-rate index outside its table (a damaged
// settings file) takes its default: 44100 Hz, 128 kbps.
RipJobSettings MakeRipJobSettings();
