// The fake system and the fake window of one computer in one object, for
// the tests that run the main form: they lay out files and registry and read
// what the window shows on the same object, which the form takes as both
// (`TMainForm form{p, p}`).
#pragma once

#include <string>

#include "FakeSystem.h"
#include "FakeView.h"

namespace ferrolink::test {

class FakeComputer : public FakeSystem, public FakeView {
 public:
  // The instrument software's settings in C:\Calyrix, the source C:\Daten
  // and Ferrolink's own settings with the target D:\Ziel in either mode.
  void Instrument(bool delete_mode) {
    settings_value = "C:\\Calyrix\\k9q2.ini";
    AddFile(settings_value, "[Directories]\r\nDatafiles=C:\\Daten\r\n");
    AddFile("C:\\Calyrix\\ferrolink.ini", std::string("[General]\r\nTarget=D:\\Ziel\r\nDelete=") +
                                              (delete_mode ? "1" : "0") + "\r\n");
    AddDir("C:\\Daten");
    AddDir("D:\\Ziel");
  }
};

}  // namespace ferrolink::test
