// The fakes of every seam over one disk, for the tests that run the main
// form and its jobs together: one object for every seam, and their System.
#pragma once

#include "FakeFolders.h"
#include "FakeJournalFiles.h"
#include "FakeNames.h"
#include "FakeSettingsStore.h"
#include "FakeTransferFiles.h"

namespace ferrolink::test {

class FakeSystem : public FakeParts<FakeSettingsStore, FakeNames, FakeFolders, FakeTransferFiles,
                                    FakeJournalFiles> {
 public:
  // Every seam, over this one fake.
  operator System() { return {*this, *this, *this, *this, *this}; }
};

}  // namespace ferrolink::test
