#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct PageNode;

// The page tree's records: one per named description node, in insertion
// order, with the node's caption path and whether it has controls of its own.
struct PageTreeRecord {
    const PageNode* node = nullptr;
    std::string path;
    bool hasPage = false;
    bool hidden = false;
    int parent = -1;  // record of the nearest named ancestor, -1 at the top
    // For nodes with a visibility rule: the nearest preceding record without one.
    std::size_t substitute = 0;
};

class CPageTreeModel {
public:
    // Rebuilds the records from the description root (null gives none).
    void Fill(const PageNode* root);
    void Clear() { records_.clear(); }
    const std::vector<PageTreeRecord>& Records() const { return records_; }
    const PageTreeRecord* Record(std::size_t index) const;
    // The page to show instead of a hidden one.
    std::size_t Substitute(std::size_t index) const;

private:
    void AddNode(const PageNode& node, int parent, const std::string& parentPath);
    std::vector<PageTreeRecord> records_;
    std::size_t lastWithoutRule_ = 0;
};
