#pragma once

#include "SimModel.h"
#include "common/ByteString.h"
#include "description/DescriptionTree.h"

namespace vsim {

// The control description the processor sends after Get config: the model byte,
// the string table and the page tree, encoded with the description writer.
ByteString EncodeDescription(const Model& model);

// The tree the application should parse out of that description.
PageNode DescriptionTree(const Model& model);

// A description damaged the way a faulty processor would send it: the last entry
// of its string table is missing (so the choice lists that use it point past the
// table) and its last record is cut short.
ByteString CorruptDescription(const ByteString& description);

}  // namespace vsim
