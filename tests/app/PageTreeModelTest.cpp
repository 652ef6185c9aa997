#include "app/PageTreeModel.h"
#include "description/DescriptionTree.h"

#include <gtest/gtest.h>

namespace {

PageNode Named(const std::string& name, bool rule = false, bool hidden = false)
{
    PageNode node;
    node.name = name;
    node.hasRule = rule;
    node.hidden = hidden;
    return node;
}

}  // namespace

// Descriptions may name far more than 100 pages; every record keeps its hidden
// flag and its substitute however many come before it.
TEST(PageTreeModel, RecordsPastAHundredKeepHiddenFlagsAndSubstitutes)
{
    PageNode root;  // unnamed: its children are the top level
    for (int group = 0; group < 30; ++group) {
        PageNode g = Named("Group " + std::to_string(group));
        for (int page = 0; page < 4; ++page) {
            const bool ruled = page == 3;
            g.children.push_back(Named("Page " + std::to_string(page), ruled, ruled && group % 2 == 0));
            g.children.back().items.resize(1);
        }
        root.children.push_back(std::move(g));
    }
    CPageTreeModel tree;
    tree.Fill(&root);
    ASSERT_EQ(tree.Records().size(), 150u);

    // Group 29 starts at record 145; its pages are 146..149, the last one ruled.
    const PageTreeRecord* last = tree.Record(149);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->path, "Group 29 > Page 3");
    EXPECT_FALSE(last->hidden);
    EXPECT_EQ(tree.Substitute(149), 148u);
    EXPECT_EQ(last->parent, 145);
    EXPECT_TRUE(tree.Record(144)->hidden);  // Group 28 > Page 3
    EXPECT_EQ(tree.Substitute(144), 143u);
    EXPECT_FALSE(tree.Record(145)->hasPage);
    EXPECT_TRUE(tree.Record(146)->hasPage);
    EXPECT_EQ(tree.Record(150), nullptr);
}
