// The settings the option-page tests start from: the program's usual values,
// with folders that make the expected texts short.
#pragma once

#include "app/disc_worker.h"
#include "app/settings.h"

inline void SetOptionTestSettings() {
  Busy = AlbumInfoSource = WriteLog = 0;
  LastPage = LoadAlbumInfo = M3U = FillTag = SubFormat = Channel = 1;
  LocalCDDBDir = "/cache";
  DesDir = "/music/";
  Separator = "-";
  OutputFormat = LameChannel = 2;
  FileStyle = LameBits = 11;
  Freq = LameFreq = 7;
}
