#include "forms/SSIndexTab.h"

#include "runtime/Error.h"

namespace forms {

TabPage::TabPage(SSIndexTab& strip, int index, std::string caption)
    : Container(&strip.form()), strip_(&strip), index_(index), caption_(std::move(caption)) {}

Control* TabPage::ownerControl() const {
    return strip_;
}

SSIndexTab::SSIndexTab(const Init& init) : Control(init) {}

SSIndexTab::~SSIndexTab() = default;

TabPage& SSIndexTab::addTab(std::string caption) {
    pages_.push_back(std::make_unique<TabPage>(*this, Tabs(), std::move(caption)));
    changed(prop::Tabs);
    return *pages_.back();
}

TabPage& SSIndexTab::page(int index) const {
    if (index < 0 || index >= Tabs()) throw runtime::Error(runtime::err::InvalidPropertyValue);
    return *pages_[index];
}

void SSIndexTab::setTab(int index) {
    page(index); // range check
    if (tab_ == index) return;
    const int previous = tab_;
    tab_ = index;
    changed(prop::Tab);
    raise(onClick ? std::function<void()>([this, previous] { onClick(previous); }) : nullptr,
          false);
}

void SSIndexTab::setTabCaption(int index, std::string caption) {
    TabPage& p = page(index);
    if (p.caption_ == caption) return;
    p.caption_ = std::move(caption);
    changed(prop::TabCaption);
}

void SSIndexTab::setTabEnabled(int index, bool enabled) {
    TabPage& p = page(index);
    if (p.enabled_ == enabled) return;
    p.enabled_ = enabled;
    changed(prop::TabEnabled);
}

bool SSIndexTab::userSelectTab(int index) {
    if (!acceptsUser() || index < 0 || index >= Tabs() || !pages_[index]->enabled_) return false;
    if (tab_ == index) return true;
    const int previous = tab_;
    tab_ = index;
    changed(prop::Tab);
    raise(onClick ? std::function<void()>([this, previous] { onClick(previous); }) : nullptr, true);
    return true;
}

} // namespace forms
