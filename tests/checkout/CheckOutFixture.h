#pragma once

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

namespace dwfm::test {

// A scripted session as the process's session, prompts that must all be expected, and one
// log of the events raised, in the order they came.
class CheckOutFixture : public ::testing::Test {
protected:
    CurrentSession session;
    ScriptedPrompts prompts;
    EventLog events;
};

} // namespace dwfm::test
