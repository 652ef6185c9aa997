#include "skin/ui/SkinClient.h"

#include "skin/ui/SkinManager.h"

#include <QVariant>
#include <QWidget>

#include <set>

namespace {
constexpr const char* kControlIdProperty = "vexlorControlId";
constexpr int kFirstControlId = 101;
} // namespace

CSkinClient::CSkinClient(std::string element, CSkinManager& manager)
    : element_(std::move(element))
    , manager_(manager)
{
}

CSkinClient::~CSkinClient()
{
    Detach();
}

void CSkinClient::Attach(QWidget* window)
{
    if (window_ && window_ != window)
        Detach();
    window_ = window;
    manager_.Register(window, this);
}

void CSkinClient::Detach()
{
    if (!window_)
        return;
    manager_.Unregister(window_);
    window_ = nullptr;
}

void CSkinClient::SetElement(std::string element)
{
    element_ = std::move(element);
    ApplySkin();
}

QImage CSkinClient::GetImage(std::string_view property) const
{
    CSkin* skin = manager_.Skin();
    return skin ? skin->GetImage(element_, property, window_, SkinScale(window_)) : QImage();
}

QIcon CSkinClient::GetIcon(std::string_view property) const
{
    CSkin* skin = manager_.Skin();
    return skin ? skin->GetIcon(element_, property, window_) : QIcon();
}

std::int32_t CSkinClient::GetLong(std::string_view property) const
{
    const CSkin* skin = manager_.Skin();
    return skin ? skin->GetLong(element_, property) : 0;
}

QString CSkinClient::GetString(std::string_view property) const
{
    const CSkin* skin = manager_.Skin();
    return skin ? skin->GetString(element_, property) : QString();
}

int CSkinClient::FirstFreeControlId() const
{
    std::set<int> used;
    if (window_)
        for (const QWidget* child : window_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            used.insert(ControlId(child));
    int id = kFirstControlId;
    while (used.count(id))
        ++id;
    return id;
}

void SetControlId(QWidget* control, int id)
{
    control->setProperty(kControlIdProperty, id);
}

int ControlId(const QWidget* control)
{
    return control->property(kControlIdProperty).toInt();
}
