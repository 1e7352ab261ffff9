// What Ferrolink's logic needs of the operating system, in one seam per job:
// the settings (SettingsStore), the path rules and the window's texts
// (Names), the walk and the folder tests (Folders), the delivery of a file
// (TransferFiles) and the journal (JournalFiles). Each job reaches the
// system only through its own; the real ones are over the Win32 API, the
// tests' over a fake. What the window shows goes through FormView instead.
//
// Every path and text here is UTF-8, so that a file keeps its name whatever
// its characters; the system side works with the names as the file system
// holds them (UTF-16). Only the settings files hold text in the ANSI code
// page: FromAnsi and ToAnsi convert their values.
//
// The logic names files by plain paths of any length. The calls that reach
// files and folders hand them on in their long form (SystemPath), in one
// place, System.cpp: Windows refuses a plain path of 260 UTF-16 units or
// more, and a fake that keeps that rule sees exactly what Windows would.
#pragma once

#include "Folders.h"
#include "JournalFiles.h"
#include "Names.h"
#include "SettingsStore.h"
#include "TransferFiles.h"

namespace ferrolink {

// Every seam, as the form hands them on to its jobs.
struct System {
  SettingsStore& settings;
  Names& names;
  Folders& folders;
  TransferFiles& transfer;
  JournalFiles& journal;
};

}  // namespace ferrolink
