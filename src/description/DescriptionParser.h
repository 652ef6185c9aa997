#pragma once

#include "common/ByteString.h"
#include "description/DescriptionTree.h"
#include "description/IConfigErrorSink.h"
#include "description/RuleCounter.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// Reads a control description ("pccontrol.bin") into a tree of pages. Lives as
// long as the main window and is reused for every connection.
//
// The description comes from the network, so reading never goes past the data:
// a record that the data ends inside of is dropped whole (an item needs all its
// bytes, a page needs its flag, rule, count and name), while every record
// completed before it is kept, along with the pages that hold them. Zero bytes
// at the end are padding: no record starts in them, but a record may end in
// them (an item whose cell sits at x 0, y 0 ends with two zero bytes).
class DescriptionParser {
public:
    static constexpr std::size_t kMaxDescriptionBytes = 1u << 20;  // the rest of a larger file is not read
    static constexpr std::size_t kMaxStringLength = 255;           // longer strings keep their first 255
    static constexpr std::size_t kMaxChoicesPerLoad = 65536;       // then reading stops
    static constexpr int kMaxPageDepth = 32;                       // a deeper page stops reading
    static constexpr const char* kConfigErrorCaption = "Config Error";
    static constexpr const char* kBadIndexText = "Incorect Index";

    explicit DescriptionParser(IConfigErrorSink* errorSink = nullptr) : errorSink_(errorSink) {}
    DescriptionParser(const DescriptionParser&) = delete;
    DescriptionParser& operator=(const DescriptionParser&) = delete;

    void SetErrorSink(IConfigErrorSink* errorSink) { errorSink_ = errorSink; }

    // Builds a new tree from the file and makes it the current one. False only
    // when the file cannot be opened; the parser then has no tree.
    bool Load(const std::filesystem::path& path);
    // The same from bytes in memory; always gives a tree.
    void LoadFromMemory(const std::uint8_t* data, std::size_t size);
    void LoadFromMemory(const ByteString& data) { LoadFromMemory(data.data(), data.size()); }

    // The current tree, or null before the first load and after a failed one.
    PageNode* Root() { return root_.get(); }
    const PageNode* Root() const { return root_.get(); }

    // The first byte of the last loaded description (0 when it was empty).
    std::uint8_t ModelCode() const { return modelCode_; }
    // True when the last load ended inside a record or at one of the limits above.
    bool StoppedEarly() const { return stoppedEarly_; }

private:
    class Reader;
    friend class Reader;

    void ReportIndexError(int askedIndex, std::size_t offsetAfterIndex);

    IConfigErrorSink* errorSink_;
    std::unique_ptr<PageNode> root_;
    std::vector<std::string> strings_;  // only during a load
    RuleCounter ruleCounter_;
    bool errorBoxAllowed_ = true;
    std::uint8_t modelCode_ = 0;
    bool stoppedEarly_ = false;
};
