#include "description/DescriptionWriter.h"

#include "description/RuleCounter.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::size_t kMaxRecordsPerItem = 7;
constexpr std::size_t kMaxChildren = 255;
constexpr std::uint8_t kNoStyleNibble = 3;

[[noreturn]] void Fail(const std::string& what) {
    throw std::invalid_argument("description writer: " + what);
}

bool HasContent(const PageNode& node) {
    if (!node.items.empty()) return true;
    for (const PageNode& child : node.children) {
        if (HasContent(child)) return true;
    }
    return false;
}

bool IsItemPage(const PageNode& node) {
    return !node.hasRule && node.children.empty() && node.items.size() == 1 &&
           !node.items.front().records.empty() &&
           node.name == PageNameFromItemName(node.items.front().records.front().name);
}

// The string table: every choice list is a run of consecutive strings. A list
// that is already in the table, or that begins with the table's last strings,
// reuses them.
class StringTable {
public:
    std::int16_t IndexOf(const std::vector<std::string>& run) {
        auto found = firstSeen_.find(run.front());
        std::size_t start = found == firstSeen_.end() ? strings_.size() : found->second;
        for (; start < strings_.size(); ++start) {
            const std::size_t overlap = std::min(run.size(), strings_.size() - start);
            if (std::equal(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(overlap),
                           strings_.begin() + static_cast<std::ptrdiff_t>(start)))
                break;
        }
        for (std::size_t i = strings_.size() - start; i < run.size(); ++i) {
            firstSeen_.emplace(run[i], strings_.size());
            strings_.push_back(run[i]);
        }
        return ToIndex(start);
    }
    const std::vector<std::string>& Strings() const { return strings_; }

private:
    static std::int16_t ToIndex(std::size_t start) {
        if (start > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
            Fail("string table too large for a 16-bit index");
        return static_cast<std::int16_t>(start);
    }
    std::vector<std::string> strings_;
    std::unordered_map<std::string, std::size_t> firstSeen_;
};

class Encoder {
public:
    explicit Encoder(std::uint8_t modelCode) : modelCode_(modelCode) {}

    ByteString Finish(const PageNode& root) {
        if (!root.items.empty()) Fail("the root holds no items; put them on a page");
        for (const PageNode& page : root.children) {
            if (!HasContent(page)) continue;
            if (IsItemPage(page)) {
                PutItem(page.items.front());
            } else {
                PutGroup(page);
            }
        }
        // The string table is known only once every record is written.
        ByteString file{modelCode_};
        for (const std::string& text : table_.Strings()) AppendString(file, text, "choice");
        file.push_back(0);
        file.insert(file.end(), out_.begin(), out_.end());
        return file;
    }

private:
    void PutGroup(const PageNode& node) {
        if (!node.hasRule && counter_.PassesRuleOn())
            Fail("page \"" + node.name + "\" has no rule but would take over the rule of the group around it");
        std::size_t groups = 0;
        for (const PageNode& child : node.children) groups += HasContent(child) ? 1 : 0;
        const std::size_t count = node.items.size() + groups;
        if (count > kMaxChildren) Fail("page \"" + node.name + "\" holds more than 255 records");

        out_.push_back(static_cast<std::uint8_t>(node.hasRule ? 0x05 : 0x01));
        if (node.hasRule) PutRule(node.rule);
        out_.push_back(static_cast<std::uint8_t>(count));
        // The parser drops one leading "*" of a group name.
        PutString(node.name.starts_with('*') ? "*" + node.name : node.name, "page name");
        counter_.EnterGroup(node.hasRule ? &node.rule : nullptr, static_cast<std::uint8_t>(count));

        for (const ControlItem& item : node.items) {
            counter_.ItemInGroup();
            PutItem(item);
        }
        for (const PageNode& child : node.children) {
            if (HasContent(child)) PutGroup(child);
        }
    }

    void PutItem(const ControlItem& item) {
        const std::size_t n = item.records.size();
        if (n == 0 || n > kMaxRecordsPerItem) Fail("an item holds 1 to 7 records, not " + std::to_string(n));
        const ControlRecord& first = item.records.front();
        const int style = static_cast<int>(first.controlStyle);
        const auto nibble = static_cast<std::uint8_t>(style >= 0 && style <= 2 ? style : kNoStyleNibble);
        out_.push_back(static_cast<std::uint8_t>(0x02 | (item.hasRule ? 0x04 : 0) | (nibble << 4)));
        if (item.hasRule) PutRule(item.rule);
        const std::size_t countBits = n == 1 ? 0 : n;
        out_.push_back(static_cast<std::uint8_t>((countBits << 3) | (first.drivesVisibility ? 0x40 : 0)));
        for (const ControlRecord& record : item.records) {
            if (record.drivesVisibility != first.drivesVisibility)
                Fail("record \"" + record.name + "\": all records of an item drive visibility or none");
            PutRecord(record);
        }
        out_.insert(out_.end(), {item.width, item.height, item.x, item.y});
    }

    void PutRecord(const ControlRecord& record) {
        const auto kind = static_cast<std::uint8_t>(record.valueKind);
        const std::string where = "record \"" + record.name + "\": ";
        if (kind > 7) Fail(where + "value kind above 7");
        if (kind != 0 && (record.minimum != 0 || record.step != 0 || record.format != 0))
            Fail(where + "minimum, step and format belong to value kind 0");
        if (kind != 1 && !record.choices.empty()) Fail(where + "choices belong to value kind 1");
        out_.insert(out_.end(), {kind, record.a, record.b, record.c});
        PutString(record.name, "record name");
        PutString(record.unit, "unit");
        out_.insert(out_.end(), {record.maxValue, record.reserved});
        if (record.valueKind == ValueKind::Numeric) {
            PutNumeric(record, where);
        } else if (record.valueKind == ValueKind::Choices) {
            if (record.choices.size() != record.maxValue + 1u)
                Fail(where + "a choice list holds maxValue + 1 texts");
            for (const std::string& text : record.choices) {
                if (text.empty()) Fail(where + "an empty choice would end the string table");
            }
            PutInt16(table_.IndexOf(record.choices));
        }
    }

    void PutNumeric(const ControlRecord& record, const std::string& where) {
        if (record.minimum < std::numeric_limits<std::int16_t>::min() ||
            record.minimum > std::numeric_limits<std::int16_t>::max())
            Fail(where + "minimum outside 16 bits");
        if (record.step < std::numeric_limits<std::int8_t>::min() ||
            record.step > std::numeric_limits<std::int8_t>::max())
            Fail(where + "step outside 8 bits");
        PutInt16(static_cast<std::int16_t>(record.minimum));
        out_.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(record.step)));
        out_.push_back(record.format);
    }

    void PutRule(const VisibilityRule& rule) {
        out_.insert(out_.end(), {rule.a, rule.b, rule.c, rule.low, rule.high});
    }

    void PutInt16(std::int16_t value) {
        const auto bits = static_cast<std::uint16_t>(value);
        out_.push_back(static_cast<std::uint8_t>(bits >> 8));
        out_.push_back(static_cast<std::uint8_t>(bits & 0xFF));
    }

    static void AppendString(ByteString& out, const std::string& text, const char* what) {
        if (text.find('\0') != std::string::npos) Fail(std::string(what) + " holds a zero byte");
        out.insert(out.end(), text.begin(), text.end());
        out.push_back(0);
    }
    void PutString(const std::string& text, const char* what) { AppendString(out_, text, what); }

    std::uint8_t modelCode_;
    ByteString out_;  // the record area
    StringTable table_;
    RuleCounter counter_;
};

}  // namespace

ByteString DescriptionWriter::Write(const PageNode& root, std::uint8_t modelCode) {
    return Encoder(modelCode).Finish(root);
}
