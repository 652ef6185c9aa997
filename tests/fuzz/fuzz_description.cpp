// libFuzzer target: loads arbitrary bytes as a control description. Built by
// scripts/fuzz.sh with clang (-fsanitize=fuzzer,address,undefined).
#include "description/DescriptionParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class DiscardErrors : public IConfigErrorSink {
public:
    void ShowConfigError(const std::string&, const std::string&) override {}
};

void CheckNode(const PageNode& node, int depth) {
    if (depth > DescriptionParser::kMaxPageDepth) std::abort();
    for (const ControlItem& item : node.items) {
        if (item.records.empty() || item.records.size() > 7) std::abort();
        for (const ControlRecord& record : item.records) {
            if (record.valueKind == ValueKind::Choices && record.choices.size() != record.maxValue + 1u) std::abort();
        }
    }
    for (const PageNode& child : node.children) CheckNode(child, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static DiscardErrors errors;
    DescriptionParser parser(&errors);
    parser.LoadFromMemory(data, size);
    if (!parser.Root()) std::abort();
    CheckNode(*parser.Root(), 0);
    return 0;
}
