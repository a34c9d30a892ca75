#pragma once

#include "forms/Control.h"

#include <functional>

namespace forms {

class SSIndexTab;

// One page of a tab strip: a container with a caption.
class TabPage : public Container {
public:
    TabPage(SSIndexTab& strip, int index, std::string caption);

    SSIndexTab& strip() const { return *strip_; }
    int index() const { return index_; }
    const std::string& Caption() const { return caption_; }
    bool Enabled() const { return enabled_; }
    Control* ownerControl() const override;

private:
    friend class SSIndexTab;
    SSIndexTab* strip_;
    int index_;
    std::string caption_;
    bool enabled_ = true;
};

// A tab strip with pages; `Tab` is the page shown.
class SSIndexTab : public Control {
public:
    explicit SSIndexTab(const Init& init);
    ~SSIndexTab() override;
    ControlKind kind() const override { return ControlKind::SSIndexTab; }
    static constexpr std::string_view kTypeName = "SSIndexTab";
    std::string_view typeName() const override { return kTypeName; }

    // Adds a page at the end and returns it.
    TabPage& addTab(std::string caption);
    int Tabs() const { return static_cast<int>(pages_.size()); }
    TabPage& page(int index) const; // error 380 when there is no such page

    int Tab() const { return tab_; }
    // Shows page `index` (error 380 when there is none); when the page changes, Click
    // fires with the page shown before.
    void setTab(int index);

    const std::string& TabCaption(int index) const { return page(index).Caption(); }
    void setTabCaption(int index, std::string caption);
    bool TabEnabled(int index) const { return page(index).Enabled(); }
    void setTabEnabled(int index, bool enabled);

    // The user chose page `index`: ignored (false) when the strip is out of reach or the
    // page is disabled or missing; choosing the page already shown fires nothing.
    bool userSelectTab(int index);

    std::function<void(int PreviousTab)> onClick;

private:
    std::vector<std::unique_ptr<TabPage>> pages_;
    int tab_ = 0;
};

} // namespace forms
