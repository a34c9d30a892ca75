#include "qt/FormView.h"

#include "forms/Frame.h"
#include "forms/SSIndexTab.h"
#include "qt/Bindings.h"
#include "qt/ContainerLayout.h"

namespace qtui {

namespace {

// A label's access key hands the focus to the control after it, as on the platform,
// when that control can take the focus.
void connectBuddies(
    const forms::Container& container,
    const std::unordered_map<const forms::Control*, std::unique_ptr<ControlBinding>>& bindings) {
    const auto& controls = container.controls();
    for (std::size_t i = 0; i + 1 < controls.size(); ++i) {
        auto* label = dynamic_cast<LabelBinding*>(bindings.at(controls[i].get()).get());
        if (!label) continue;
        QWidget* next = bindings.at(controls[i + 1].get())->widget();
        if (next && next->focusPolicy() != Qt::NoFocus) label->setBuddyCandidate(next);
    }
}

} // namespace

FormView::FormView(forms::Form& form, LayoutHints hints, QWidget* parent)
    : QWidget(parent), form_(form), hints_(std::move(hints)) {
    populate(form_, this, form_.Name(), true);
    subscription_ = form_.subscribe(
        [this](forms::Control* control, std::string_view property) { changed(control, property); });
}

FormView::~FormView() {
    form_.unsubscribe(subscription_);
    bindings_.clear(); // before the widgets go
}

void FormView::populate(const forms::Container& container, QWidget* host, const std::string& key,
                        bool fillHeight) {
    std::vector<LayoutItem> items;
    for (const auto& owned : container.controls()) {
        forms::Control& control = *owned;
        auto binding = makeBinding(control, host);
        QWidget* widget = binding->widget();
        if (auto* inner = dynamic_cast<const forms::Container*>(&control))
            populate(*inner, widget, control.fullName(), false);
        if (auto* strip = dynamic_cast<TabStripBinding*>(binding.get())) {
            const std::string name = control.fullName();
            strip->buildPages([this, name](forms::TabPage& page, QWidget* pageWidget) {
                populate(page, pageWidget, name + ":" + std::to_string(page.index()), true);
            });
        }
        items.push_back({&control, widget});
        bindings_.emplace(&control, std::move(binding));
    }

    for (const auto& group : layOutContainer(host, items, hints_, key, fillHeight))
        for (const LayoutItem& item : items)
            if (group->contains(*item.control)) bindings_.at(item.control)->setOverlapGroup(group);

    connectBuddies(container, bindings_);
    for (const LayoutItem& item : items)
        bindings_.at(item.control)->applyAll();
}

QWidget* FormView::widgetFor(const forms::Control& control) const {
    auto it = bindings_.find(&control);
    return it == bindings_.end() ? nullptr : it->second->widget();
}

QWidget* FormView::widgetFor(std::string_view fullName) const {
    const forms::Control* control = form_.tryFind(fullName);
    return control ? widgetFor(*control) : nullptr;
}

void FormView::changed(forms::Control* control, std::string_view property) {
    if (!control) {
        if (onFormChanged) onFormChanged(property);
        return;
    }
    auto it = bindings_.find(control);
    if (it != bindings_.end()) it->second->apply(property);
}

} // namespace qtui
