#include "description/DescriptionParser.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

// Reads forward through the loaded bytes and refuses to step past their end.
class ByteCursor {
public:
    ByteCursor(const std::uint8_t* data, std::size_t size, std::size_t position)
        : data_(data), size_(size), pos_(std::min(position, size)) {}

    std::size_t Position() const { return pos_; }

    bool Peek(std::uint8_t& out) const {
        if (pos_ >= size_) return false;
        out = data_[pos_];
        return true;
    }
    bool Byte(std::uint8_t& out) {
        if (!Peek(out)) return false;
        ++pos_;
        return true;
    }
    bool Int16(std::int16_t& out) {
        std::uint8_t high = 0;
        std::uint8_t low = 0;
        if (size_ - pos_ < 2) return false;
        Byte(high);
        Byte(low);
        out = static_cast<std::int16_t>(static_cast<std::uint16_t>((high << 8) | low));
        return true;
    }
    bool Int8(std::int8_t& out) {
        std::uint8_t byte = 0;
        if (!Byte(byte)) return false;
        out = static_cast<std::int8_t>(byte);
        return true;
    }
    // A zero-terminated string; false when no zero comes before the end.
    bool String(std::string& out, std::size_t maxKept) {
        const std::uint8_t* begin = data_ + pos_;
        const std::uint8_t* end = data_ + size_;
        const std::uint8_t* zero = std::find(begin, end, std::uint8_t{0});
        if (zero == end) return false;
        const auto length = static_cast<std::size_t>(zero - begin);
        out.assign(reinterpret_cast<const char*>(begin), std::min(length, maxKept));
        pos_ += length + 1;
        return true;
    }
    bool Rule(VisibilityRule& rule) {
        return Byte(rule.a) && Byte(rule.b) && Byte(rule.c) && Byte(rule.low) && Byte(rule.high);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_;
};

constexpr std::uint8_t kGroupBit = 0x01;
constexpr std::uint8_t kItemPresentBit = 0x02;
constexpr std::uint8_t kRuleBit = 0x04;
constexpr std::uint8_t kDrivesVisibilityBit = 0x40;

bool IsEmpty(const PageNode& node) { return node.items.empty() && node.children.empty(); }

std::size_t TrimmedLength(const std::uint8_t* data, std::size_t size) {
    while (size > 0 && data[size - 1] == 0) --size;
    return size;
}

}  // namespace

// One load: the cursor, the limits, and the record grammar. Each Parse function
// returns false when reading has to stop (end of data or a limit); what it
// completed before that is already in the tree.
class DescriptionParser::Reader {
public:
    Reader(DescriptionParser& parser, const std::uint8_t* data, std::size_t size)
        : parser_(parser), data_(data), size_(size), cursor_(data, size, 1) {}

    // Returns where the records begin: after the empty string that ends the
    // table. (Looking for the first two zero bytes in a row finds the same place
    // unless the table is empty; then it would land inside the first record.)
    std::size_t ReadStringTable() {
        std::string text;
        while (cursor_.String(text, kMaxStringLength)) {
            if (text.empty()) return cursor_.Position();
            parser_.strings_.push_back(text);
        }
        return size_;
    }

    void ReadRecords(std::size_t start, std::size_t end, PageNode& root) {
        cursor_ = ByteCursor(data_, size_, start);
        while (cursor_.Position() < end) {
            if (!ParseGroup(root, 1)) {
                parser_.stoppedEarly_ = true;
                return;
            }
        }
    }

private:
    bool ParseGroup(PageNode& parent, int depth) {
        std::uint8_t flags = 0;
        if (!cursor_.Peek(flags) || depth > kMaxPageDepth) return false;
        PageNode node;
        bool complete = true;
        if (!(flags & kGroupBit)) {
            // An item record standing at the top level makes a page of its own.
            complete = ParseItem(node);
            if (!node.items.empty()) node.name = PageNameFromItemName(node.items.front().records.front().name);
        } else {
            complete = ParseGroupBody(node, flags, depth);
        }
        if (!IsEmpty(node)) parent.children.push_back(std::move(node));
        return complete;
    }

    bool ParseGroupBody(PageNode& node, std::uint8_t flags, int depth) {
        cursor_.Byte(flags);
        VisibilityRule ownRule;
        std::uint8_t count = 0;
        std::string name;
        const bool hasOwnRule = (flags & kRuleBit) != 0;
        if ((hasOwnRule && !cursor_.Rule(ownRule)) || !cursor_.Byte(count) ||
            !cursor_.String(name, kMaxStringLength + 1))
            return false;
        if (auto rule = parser_.ruleCounter_.EnterGroup(hasOwnRule ? &ownRule : nullptr, count)) {
            node.hasRule = true;
            node.rule = *rule;
        }
        if (!name.empty() && name.front() == '*') name.erase(0, 1);
        node.name = name.substr(0, kMaxStringLength);

        for (unsigned i = 0; i < count; ++i) {
            std::uint8_t childFlags = 0;
            if (!cursor_.Peek(childFlags)) return false;
            if (childFlags & kGroupBit) {
                if (!ParseGroup(node, depth + 1)) return false;
            } else {
                parser_.ruleCounter_.ItemInGroup();
                if (!ParseItem(node)) return false;
            }
        }
        return true;
    }

    // Appends the item to `node` only when all of its bytes were there.
    bool ParseItem(PageNode& node) {
        std::uint8_t flags = 0;
        cursor_.Byte(flags);
        if (!(flags & kItemPresentBit)) return true;
        ControlItem item;
        std::uint8_t layout = 0;
        if ((flags & kRuleBit) && !cursor_.Rule(item.rule)) return false;
        item.hasRule = (flags & kRuleBit) != 0;
        if (!cursor_.Byte(layout)) return false;
        const unsigned countBits = (layout >> 3) & 0x07;
        const unsigned recordCount = countBits == 0 ? 1 : countBits;
        item.records.resize(recordCount);
        for (ControlRecord& record : item.records) {
            if (!ParseRecord(record)) return false;
            record.drivesVisibility = (layout & kDrivesVisibilityBit) != 0;
        }
        const int style = flags >> 4;
        if (style <= 2) item.records.front().controlStyle = static_cast<ControlStyle>(style);
        if (!cursor_.Byte(item.width) || !cursor_.Byte(item.height) || !cursor_.Byte(item.x) ||
            !cursor_.Byte(item.y))
            return false;
        node.items.push_back(std::move(item));
        return true;
    }

    bool ParseRecord(ControlRecord& record) {
        std::uint8_t kind = 0;
        if (!cursor_.Byte(kind) || !cursor_.Byte(record.a) || !cursor_.Byte(record.b) ||
            !cursor_.Byte(record.c) || !cursor_.String(record.name, kMaxStringLength) ||
            !cursor_.String(record.unit, kMaxStringLength) || !cursor_.Byte(record.maxValue) ||
            !cursor_.Byte(record.reserved))
            return false;
        record.valueKind = static_cast<ValueKind>(kind & 0x07);
        if (record.valueKind == ValueKind::Numeric) {
            std::int16_t minimum = 0;
            std::int8_t step = 0;
            if (!cursor_.Int16(minimum) || !cursor_.Int8(step) || !cursor_.Byte(record.format)) return false;
            record.minimum = minimum;
            record.step = step;
        } else if (record.valueKind == ValueKind::Choices) {
            return ReadChoices(record);
        }
        return true;
    }

    bool ReadChoices(ControlRecord& record) {
        std::int16_t first = 0;
        if (!cursor_.Int16(first)) return false;
        const std::size_t wanted = record.maxValue + 1u;
        if (wanted > choicesLeft_) return false;
        choicesLeft_ -= wanted;
        const std::vector<std::string>& table = parser_.strings_;
        record.choices.reserve(wanted);
        for (int j = first; j <= first + record.maxValue; ++j) {
            if (j >= 0 && static_cast<std::size_t>(j) < table.size()) {
                record.choices.push_back(table[static_cast<std::size_t>(j)]);
            } else {
                record.choices.emplace_back(kBadIndexText);
                parser_.ReportIndexError(j, cursor_.Position());
            }
        }
        return true;
    }

    DescriptionParser& parser_;
    const std::uint8_t* data_;
    std::size_t size_;
    ByteCursor cursor_;
    std::size_t choicesLeft_ = kMaxChoicesPerLoad;
};

bool DescriptionParser::Load(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        root_.reset();
        return false;
    }
    // One byte more than is read, so that an oversized file shows as stopped early.
    ByteString data(kMaxDescriptionBytes + 1);
    file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<std::size_t>(file.gcount()));
    LoadFromMemory(data);
    return true;
}

void DescriptionParser::LoadFromMemory(const std::uint8_t* data, std::size_t size) {
    // Each load reads its description on its own: state left over from a
    // malformed earlier file cannot leak into the next one.
    ruleCounter_.Reset();
    strings_.clear();
    stoppedEarly_ = size > kMaxDescriptionBytes;
    size = std::min(size, kMaxDescriptionBytes);
    modelCode_ = size > 0 ? data[0] : 0;
    root_ = std::make_unique<PageNode>();

    const std::size_t length = TrimmedLength(data, size);
    Reader reader(*this, data, size);
    const std::size_t recordStart = reader.ReadStringTable();
    reader.ReadRecords(recordStart, length, *root_);
    strings_.clear();
}

void DescriptionParser::ReportIndexError(int askedIndex, std::size_t offsetAfterIndex) {
    if (!errorBoxAllowed_) return;
    errorBoxAllowed_ = false;
    if (!errorSink_) return;
    char offset[32];
    std::snprintf(offset, sizeof offset, "%zx", offsetAfterIndex);
    const std::string text = "Index Error.\n Asked index : " + std::to_string(askedIndex) +
                             ". Max possible index : " + std::to_string(static_cast<long>(strings_.size()) - 1) +
                             "\nAddress in config file : " + offset;
    errorSink_->ShowConfigError(text, kConfigErrorCaption);
}
