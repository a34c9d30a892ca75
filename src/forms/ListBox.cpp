#include "forms/ListBox.h"

#include "runtime/Error.h"

namespace forms {

namespace {
constexpr int InvalidPropertyArrayIndex = 381;

[[noreturn]] void badArrayIndex() {
    throw runtime::Error(InvalidPropertyArrayIndex, "Invalid property array index");
}
} // namespace

void ListBox::checkEntry(int index) const {
    if (index < 0 || index >= ListCount()) badArrayIndex();
}

void ListBox::AddItem(std::string item, int index) {
    if (index < 0) index = ListCount();
    if (index > ListCount()) throw runtime::Error(runtime::err::InvalidProcedureCall);
    items_.insert(items_.begin() + index, std::move(item));
    itemData_.insert(itemData_.begin() + index, 0);
    newIndex_ = index;
    if (listIndex_ >= index) ++listIndex_;
    changed(prop::List);
}

void ListBox::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) throw runtime::Error(runtime::err::InvalidProcedureCall);
    items_.erase(items_.begin() + index);
    itemData_.erase(itemData_.begin() + index);
    newIndex_ = -1;
    const int before = listIndex_;
    if (listIndex_ == index)
        listIndex_ = -1;
    else if (listIndex_ > index)
        --listIndex_;
    changed(prop::List);
    if (listIndex_ != before) changed(prop::ListIndex);
}

void ListBox::Clear() {
    if (items_.empty() && listIndex_ == -1) return;
    items_.clear();
    itemData_.clear();
    newIndex_ = -1;
    const bool hadSelection = listIndex_ != -1;
    listIndex_ = -1;
    changed(prop::List);
    if (hadSelection) changed(prop::ListIndex);
}

std::string ListBox::List(int index) const {
    if (index < -1) badArrayIndex();
    if (index == -1 || index >= ListCount()) return {};
    return items_[index];
}

void ListBox::setList(int index, std::string item) {
    checkEntry(index);
    if (items_[index] == item) return;
    items_[index] = std::move(item);
    changed(prop::List);
}

void ListBox::setListIndex(int index) {
    if (index < -1 || index >= ListCount())
        throw runtime::Error(runtime::err::InvalidPropertyValue);
    if (listIndex_ == index) return;
    listIndex_ = index;
    changed(prop::ListIndex);
    raise(onClick, false);
}

long ListBox::ItemData(int index) const {
    checkEntry(index);
    return itemData_[index];
}

void ListBox::setItemData(int index, long data) {
    checkEntry(index);
    itemData_[index] = data;
}

bool ListBox::userSelect(int index) {
    if (!acceptsUser() || index < 0 || index >= ListCount()) return false;
    if (listIndex_ != index) {
        listIndex_ = index;
        changed(prop::ListIndex);
    }
    raise(onClick, true);
    return true;
}

bool ListBox::userDoubleClick(int index) {
    if (!userSelect(index)) return false;
    raise(onDblClick, true);
    return true;
}

} // namespace forms
