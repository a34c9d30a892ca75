#pragma once

#include "forms/Control.h"

#include <functional>

namespace forms {

// A list of text entries, unsorted: entries keep the order they were added in.
class ListBox : public Control {
public:
    using Control::Control;
    ControlKind kind() const override { return ControlKind::ListBox; }
    static constexpr std::string_view kTypeName = "ListBox";
    std::string_view typeName() const override { return kTypeName; }

    // Adds at the end, or before entry `index` (0..ListCount; else error 5).
    void AddItem(std::string item, int index = -1);
    // Removes entry `index` (error 5 when there is none). Removing the selected entry
    // leaves no selection; the selection of a later entry moves up with it. No Click.
    void RemoveItem(int index);
    // Removes every entry; no selection afterwards, no Click.
    void Clear();

    int ListCount() const { return static_cast<int>(items_.size()); }
    // Entry `index`: "" for -1 and for an index past the end, as the platform reads it;
    // error 381 below -1.
    std::string List(int index) const;
    // Replaces entry `index` in place (error 381 when there is none).
    void setList(int index, std::string item);

    // The selected entry, -1 for none. Setting it (-1..ListCount-1, else error 380)
    // fires Click when it changes, as the platform does.
    int ListIndex() const { return listIndex_; }
    void setListIndex(int index);
    // The selected entry's text, "" when none is selected.
    std::string Text() const { return List(listIndex_); }

    // A number kept with each entry (0 for a new entry); error 381 when there is none.
    long ItemData(int index) const;
    void setItemData(int index, long data);
    // Position of the entry added last; -1 when none was added since the last removal.
    int NewIndex() const { return newIndex_; }

    // Test-reading helpers.
    int count() const { return ListCount(); }
    const std::vector<std::string>& items() const { return items_; }

    // The user clicked entry `index`: selects it and fires Click, also when it was
    // already selected. Ignored (false) when out of reach or no such entry.
    bool userSelect(int index);
    // The user double-clicked entry `index`: the click as above, then DblClick.
    bool userDoubleClick(int index);

    std::function<void()> onClick;
    std::function<void()> onDblClick;

private:
    void checkEntry(int index) const;

    std::vector<std::string> items_;
    std::vector<long> itemData_;
    int listIndex_ = -1;
    int newIndex_ = -1;
};

} // namespace forms
