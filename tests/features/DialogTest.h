// What the dialog tests against the simulated switch share: the simulator fixtures, the dialog driver,
// the scripted message box and the request-log helpers under short names (`using namespace
// ksx::dialogtest;`).
#pragma once

#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace ksx::dialogtest {

using ksx::test::DialogDriver;
using ksx::test::RequestLines;
using ksx::test::SetLines;
using ksx::test::WaitUntil;

}  // namespace ksx::dialogtest
