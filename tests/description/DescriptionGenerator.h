#pragma once

#include "description/DescriptionTree.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Makes random description trees that the writer can carry, for round trips and
// as seeds of the mutation test. Deterministic for a seed.
class DescriptionGenerator {
public:
    explicit DescriptionGenerator(std::uint32_t seed) : random_(seed) {}

    // About `items` items on pages up to `depth` levels deep.
    PageNode Tree(int items, int depth = 3) {
        PageNode root;
        int left = items;
        while (left > 0) {
            if (Chance(10)) {
                root.children.push_back(ItemPage());
                --left;
            } else {
                root.children.push_back(Page(left, depth, false));
            }
        }
        return root;
    }

    ControlItem Item() {
        ControlItem item;
        const int records = Chance(70) ? 1 : 1 + Below(7);
        const bool drives = Chance(20);
        for (int i = 0; i < records; ++i) {
            item.records.push_back(Record());
            item.records.back().drivesVisibility = drives;
        }
        const int style = Below(5);
        item.records.front().controlStyle = style <= 2 ? static_cast<ControlStyle>(style) : ControlStyle::None;
        if (Chance(25)) {
            item.hasRule = true;
            item.rule = Rule();
        }
        item.width = Byte();
        item.height = Byte();
        item.x = Byte();
        item.y = Byte();
        return item;
    }

private:
    // Once a page has a rule, every page below it gets one too: a page without
    // a rule inside a ruled page could not be written.
    PageNode Page(int& left, int depth, bool insideRule) {
        PageNode page;
        page.name = Chance(10) ? "*" + Text(1, 20) : Text(1, 20);
        if (insideRule || Chance(30)) {
            page.hasRule = true;
            page.rule = Rule();
        }
        const int items = 1 + Below(12);
        for (int i = 0; i < items && left > 0; ++i, --left) page.items.push_back(Item());
        if (page.items.empty()) page.items.push_back(Item());
        while (depth > 1 && left > 0 && Chance(40)) page.children.push_back(Page(left, depth - 1, page.hasRule));
        return page;
    }

    PageNode ItemPage() {
        PageNode page;
        page.items.push_back(Item());
        page.name = PageNameFromItemName(page.items.front().records.front().name);
        return page;
    }

    ControlRecord Record() {
        ControlRecord record;
        record.a = Byte();
        record.b = Byte();
        record.c = Byte();
        record.name = Chance(10) ? "*" + Text(0, 16) : Text(0, 16);
        record.unit = Chance(50) ? "" : Text(1, 4);
        record.reserved = Chance(90) ? 0 : Byte();
        const int kind = Below(10);
        if (kind < 5) {
            record.valueKind = ValueKind::Numeric;
            record.maxValue = Byte();
            record.minimum = Below(65536) - 32768;
            record.step = Below(256) - 128;
            record.format = Byte();
        } else if (kind < 8) {
            record.valueKind = ValueKind::Choices;
            const int count = 1 + Below(Chance(90) ? 6 : 256);
            record.maxValue = static_cast<std::uint8_t>(count - 1);
            // Lists from a small pool, so that equal runs are shared in the table.
            const int start = Below(40);
            for (int i = 0; i < count; ++i) record.choices.push_back(PoolText(start + i));
        } else {
            record.valueKind = static_cast<ValueKind>(2 + Below(6));
            record.maxValue = Byte();
        }
        return record;
    }

    VisibilityRule Rule() {
        const std::uint8_t low = static_cast<std::uint8_t>(Below(4));
        return {static_cast<std::uint8_t>(Below(3)), 0, static_cast<std::uint8_t>(Below(4)), low,
                static_cast<std::uint8_t>(low + Below(3))};
    }

    std::string PoolText(int index) {
        static const char* const kWords[] = {"Off", "On", "Low", "Mid", "High", "Auto", "Bypass*", "Fast", "Slow"};
        return std::string(kWords[index % 9]) + (index >= 9 ? std::to_string(index / 9) : "");
    }

    std::string Text(int minLength, int maxLength) {
        std::string text;
        const int length = minLength + Below(maxLength - minLength + 1);
        for (int i = 0; i < length; ++i) text += static_cast<char>(Chance(15) ? ' ' : 'a' + Below(26) - (Chance(30) ? 32 : 0));
        return text;
    }

    int Below(int bound) { return static_cast<int>(random_() % static_cast<std::uint32_t>(bound)); }
    bool Chance(int percent) { return Below(100) < percent; }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Below(256)); }

    std::mt19937 random_;
};
