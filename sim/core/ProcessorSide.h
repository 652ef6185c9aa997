#pragma once

// The processor's side of the protocol (answering commands, running transfers)
// lives in src/processor, shared with the agent; the simulator uses its names
// as its own.
#include "processor/ProcessorLink.h"

namespace vsim {

using processor::Answer;
using processor::CommandLength;
using processor::FaultInjector;
using processor::FaultOptions;
using processor::FollowUp;
using processor::kDuplicateGap;
using processor::LinkOptions;
using processor::MakeReply;
using processor::Output;
using processor::ProcessorLink;

}  // namespace vsim
