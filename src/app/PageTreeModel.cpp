#include "app/PageTreeModel.h"

#include "app/DescriptionAccess.h"

void CPageTreeModel::Fill(const PageNode* root)
{
    records_.clear();
    lastWithoutRule_ = 0;
    if (root) AddNode(*root, -1, "");
}

void CPageTreeModel::AddNode(const PageNode& node, int parent, const std::string& parentPath)
{
    int self = parent;
    std::string path = parentPath;
    if (!node.name.empty()) {
        path = parentPath.empty() ? node.name : parentPath + " > " + node.name;
        PageTreeRecord record;
        record.node = &node;
        record.path = path;
        record.hasPage = !node.items.empty();
        record.hidden = node.hidden;
        record.parent = parent;
        const std::size_t index = records_.size();
        if (node.hasRule)
            record.substitute = lastWithoutRule_;
        else
            lastWithoutRule_ = record.substitute = index;
        records_.push_back(std::move(record));
        self = static_cast<int>(index);
    }
    for (const PageNode& child : node.children) AddNode(child, self, path);
}

const PageTreeRecord* CPageTreeModel::Record(std::size_t index) const
{
    return index < records_.size() ? &records_[index] : nullptr;
}

std::size_t CPageTreeModel::Substitute(std::size_t index) const
{
    return index < records_.size() ? records_[index].substitute : 0;
}
