#include "forms/ListBox.h"
#include "qt/Bindings.h"

#include <QEvent>
#include <QListWidget>
#include <QSignalBlocker>

namespace qtui {

// Marks the start of every mouse press on the list, so that a press that moves the
// selection and the click that ends it reach the model as one click.
class ListPressWatcher : public QObject {
public:
    ListPressWatcher(ListBoxBinding& binding, QObject* parent)
        : QObject(parent), binding_(binding) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) binding_.pressDelivered_ = false;
        return QObject::eventFilter(watched, event);
    }

private:
    ListBoxBinding& binding_;
};

ListBoxBinding::ListBoxBinding(forms::ListBox& list, QWidget* parent)
    : ControlBinding(list, new QListWidget(parent)), list_(list),
      widget_(static_cast<QListWidget*>(widget())) {
    widget_->setSelectionMode(QAbstractItemView::SingleSelection);
    widget_->setUniformItemSizes(true); // long client lists stay fast
    widget_->viewport()->installEventFilter(new ListPressWatcher(*this, widget_));

    // A new current row comes from a press or from the keyboard: either is a click.
    listen(widget_, &QListWidget::currentRowChanged, [this](int row) {
        if (row < 0 || row == list_.ListIndex()) return;
        userPicked(row);
        pressDelivered_ = true;
    });
    // A click on the row already selected still clicks, as on the platform.
    listen(widget_, &QListWidget::itemClicked, [this](QListWidgetItem* item) {
        if (!pressDelivered_) userPicked(widget_->row(item));
        pressDelivered_ = true;
    });
    listen(widget_, &QListWidget::itemDoubleClicked, [this](QListWidgetItem* item) {
        if (!list_.userDoubleClick(widget_->row(item))) showSelection();
    });
}

void ListBoxBinding::userPicked(int row) {
    if (!list_.userSelect(row)) showSelection();
}

void ListBoxBinding::showItems() {
    const QSignalBlocker block(widget_);
    const int modelCount = list_.ListCount();
    const int shown = widget_->count();
    const int added = list_.NewIndex();
    if (modelCount == 0) {
        widget_->clear();
    } else if (modelCount == shown + 1 && added >= 0 && added < modelCount) {
        // The usual change, one entry added: no need to compare the rest.
        widget_->insertItem(added, QString::fromStdString(list_.List(added)));
    } else {
        const auto& items = list_.items();
        int first = 0;
        while (first < shown && first < modelCount &&
               widget_->item(first)->text().toStdString() == items[first])
            ++first;
        while (widget_->count() > first)
            delete widget_->takeItem(widget_->count() - 1);
        for (int i = first; i < modelCount; ++i)
            widget_->addItem(QString::fromStdString(items[i]));
    }
}

void ListBoxBinding::showSelection() {
    const QSignalBlocker block(widget_);
    const int index = list_.ListIndex();
    if (index < 0) {
        widget_->setCurrentRow(-1);
        widget_->clearSelection();
    } else if (widget_->currentRow() != index || !widget_->item(index)->isSelected()) {
        widget_->setCurrentRow(index);
    }
    if (index >= 0) widget_->scrollToItem(widget_->item(index));
    // The view paints its current row from its selection model; signals were blocked.
    widget_->viewport()->update();
}

void ListBoxBinding::applyOwn(std::string_view property) {
    if (property == forms::prop::List) {
        showItems();
        showSelection();
    } else if (property == forms::prop::ListIndex) {
        showSelection();
    }
}

void ListBoxBinding::applyAllOwn() {
    showItems();
    showSelection();
}

} // namespace qtui
