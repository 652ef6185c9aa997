#pragma once

#include "app/ConnectionController.h"

// What the live rigs wait for after Connect: the link lost, or the controller
// ready with its first page walked and `settled` (what the rig also needs).
inline bool ConnectOutcomeKnown(const CConnectionController& controller, bool settled)
{
    const ConnectionState s = controller.State();
    return s == ConnectionState::Disconnected ||
           (s == ConnectionState::Ready && settled && !controller.RefreshWalkRunning());
}
