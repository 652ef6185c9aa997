#include "cli/TextViews.h"

#include "settings/ConnectionSettings.h"

void CTextViews::SetConnectedLayout(bool connected)
{
    connectedLayout = connected;
    treeEnabled = connected;
    settingsPanelShown = !connected;
}

void CTextViews::ShowMessage(const std::string& text, const std::string& caption)
{
    messages.push_back({text, caption});
    if (onMessage) onMessage(messages.back());
}

void CTextViews::KeepConnectedSettings(const ConnectionSettings& settings)
{
    keptSettings.emplace_back(settings.host, settings.lockCode);
}

void CTextViews::ApplyPanel(ConnectionSettings& settings)
{
    if (panelValues) panelValues(settings);
}

void CTextViews::AddItem(int record, int parent, const std::string& name, bool hasPage)
{
    treeItems.push_back({record, parent, name, hasPage});
}

void CTextViews::SelectFirstItem()
{
    if (treeItems.empty()) return;
    const TreeItem* item = &treeItems.front();
    // A group without controls of its own opens its first child.
    if (!item->hasPage)
        for (const TreeItem& child : treeItems)
            if (child.parent == item->record) {
                item = &child;
                break;
            }
    selectedItem = item->record;
    if (onSelectPage) onSelectPage(item->record);
}

void CTextViews::SelectItem(int record)
{
    selectedItem = record;
    if (onSelectPage) onSelectPage(record);
}

void CTextViews::ShowLinkStatus(const std::string& text, bool stoppable)
{
    linkStatus = text;
    linkStatusStoppable = stoppable;
    if (onLinkStatus) onLinkStatus(text);
}

void CTextViews::InsertRow(unsigned index, const std::string& label)
{
    const auto at = std::min<std::size_t>(index, rows.size());
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), {label, ""});
}

void CTextViews::SetRowName(unsigned index, const std::string& name)
{
    if (index < rows.size()) rows[index].second = name;
}

std::string CTextViews::RowName(unsigned index)
{
    return index < rows.size() ? rows[index].second : std::string();
}

void CTextViews::Deselect(unsigned index)
{
    if (selectedRow == index) selectedRow.reset();
}

std::unique_ptr<IPageView> CTextViews::BuildPage(const PageNode& node, const std::string& path)
{
    if (node.items.empty()) return nullptr;
    ++pagesBuilt;
    return std::make_unique<CTextPage>(node, path);
}

void CTextViews::AddLine(const std::string& text)
{
    logLines.push_back(text);
    if (onLog) onLog(text);
}
