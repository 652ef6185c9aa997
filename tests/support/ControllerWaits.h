#pragma once

#include "app/ConnectionController.h"

#include <chrono>
#include <cstddef>

// What the live rigs (headless and Qt) wait for. A rig offers Controller(),
// RunUntil(done, limit) and a count of finished refresh walks, `walks`.

// After Connect: the link lost, or the controller ready with its first page
// walked and `settled` (what the rig also needs).
inline bool ConnectOutcomeKnown(const CConnectionController& controller, bool settled)
{
    const ConnectionState s = controller.State();
    return s == ConnectionState::Disconnected ||
           (s == ConnectionState::Ready && settled && !controller.RefreshWalkRunning());
}

// Opens a page and runs until its refresh walk has ended.
template <typename Rig>
bool OpenPageAndWalk(Rig& rig, std::size_t page, std::chrono::milliseconds limit)
{
    const std::size_t before = rig.walks;
    rig.Controller().OpenPage(page, true);
    return rig.RunUntil([&] { return rig.walks > before; }, limit);
}

// Runs until the controller has seen the link go (at most three seconds).
template <typename Rig>
void WaitForDisconnected(Rig& rig)
{
    rig.RunUntil([&] { return rig.Controller().State() == ConnectionState::Disconnected; },
                 std::chrono::seconds(3));
}
