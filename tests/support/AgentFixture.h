#pragma once

#include <memory>

#include "AppletAgent.h"
#include "RecordingProgress.h"
#include "TempFolder.h"

namespace lumivex::testing {

// An engine with an in-memory tree, recording progress and messages, and a program folder of
// its own in a temporary folder.
struct AgentHarness {
    AgentHarness() : agent(tree, progress, messages, programFolder.slash()) { agent.SetDefaults(); }

    TempFolder programFolder;
    MemoryItemTree tree;
    RecordingProgress progress;
    RecordingMessages messages;
    TzqxAppletAgent agent;
};

}  // namespace lumivex::testing
