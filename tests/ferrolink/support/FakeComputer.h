// The fake system and the fake window of one computer in one object, for
// the tests that run the main form: they lay out files and registry and read
// what the window shows on the same object, which the form takes as both
// (`TMainForm form{p, p}`).
#pragma once

#include "FakeSystem.h"
#include "FakeView.h"

namespace ferrolink::test {

class FakeComputer : public FakeSystem, public FakeView {};

}  // namespace ferrolink::test
